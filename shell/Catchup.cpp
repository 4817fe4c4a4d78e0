#include "shell/Catchup.h"

#include "platform/Clock.h"
#include "shell/Timeline.h"

namespace {
bool frameAt(uint32_t elapsed) {
  setVirtualClock(elapsed);  // the first frame latches 0, so the clock reads elapsed time
  frameCallback();
  return elapsed > timeline.table.start[sceneCount];
}
}  // namespace

bool catchUpTo(uint32_t ms, uint32_t stepMs) {
  resetFrameClock();
  bool ended = frameAt(0);
  if (ms == 0) return ended;
  float t = 0.0f;
  int target = findSlot(timeline.table, ms, &t);
  for (int i = 0; i < target; ++i) {
    frameAt(timeline.table.start[i] + 1);
    frameAt(timeline.table.start[i + 1]);
  }
  uint32_t step = stepMs == 0 ? 1 : stepMs;
  for (uint32_t e = timeline.table.start[target] + 1; e < ms; e += step) frameAt(e);
  return frameAt(ms);
}
