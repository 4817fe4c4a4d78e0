#include "shell/Soak.h"

#include "platform/Clock.h"
#include "platform/Memory.h"
#include "shell/Capture.h"
#include "shell/DemoWindow.h"
#include "shell/Show.h"
#include "shell/Timeline.h"

#include <cstdio>

namespace {
uint32_t soakNum = 10, soakDen = 1;
uint32_t framesDrawn = 0;
uint32_t lastElapsed = 0;
long residentKb[6] = {0};
// Within each slot: memory once a quarter of it has played (the renderer has met the scene's
// state by then) and at its last frame. A leak in a drawn frame grows between the two.
long slotQuarterKb[sceneCount] = {0};
long slotEndKb[sceneCount] = {0};

void soakFrame() {
  lastElapsed = captureFrameTime(0, framesDrawn, soakNum, soakDen);
  setVirtualClock(lastElapsed);
  frameCallback();
  ++framesDrawn;
  long kb = residentMemoryKb();
  uint32_t minute = lastElapsed / 60000;
  if (minute < 6) residentKb[minute] = kb;  // the last reading in each minute
  float t = 0.0f;
  int slot = findSlot(sceneTable, lastElapsed, &t);
  if (slot < 0) return;
  if (t >= 0.25f && slotQuarterKb[slot] == 0) slotQuarterKb[slot] = kb;
  if (t <= 1.0f) slotEndKb[slot] = kb;
}
}  // namespace

int soakShow(const Options& o) {
  Options checked = o;
  checked.glCheck = true;
  DemoWindow window;
  int failed = 0;
  if (!openOffscreenShow(window, checked, &failed)) return failed;
  soakNum = o.fpsNum;
  soakDen = o.fpsDen;
  resetFrameClock();
  window.setFrameCallback(soakFrame);
  int code = window.run();
  std::printf("frames drawn: %u\n", framesDrawn);
  std::printf("last frame at elapsed %u ms (the quit follows the first frame after %u ms)\n",
              lastElapsed, showLengthMs);
  std::printf("GL errors: %d\n", glErrorCount());
  for (int m = 0; m < 5; ++m)
    std::printf("resident memory at the end of minute %d: %ld KiB\n", m + 1, residentKb[m]);
  for (int i = 0; i < sceneCount; ++i)
    std::printf("slot %d memory: %ld KiB a quarter in, %ld KiB at its end, growth %ld KiB\n", i,
                slotQuarterKb[i], slotEndKb[i], slotEndKb[i] - slotQuarterKb[i]);
  closeShow(window);
  return code == 0 && glErrorCount() == 0 ? 0 : 1;
}
