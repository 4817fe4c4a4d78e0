#include "shell/Soak.h"

#include "platform/Clock.h"
#include "platform/Memory.h"
#include "shell/Capture.h"
#include "shell/DemoWindow.h"
#include "shell/Show.h"
#include "shell/Timeline.h"

#include <cstdio>

namespace {
// What the soak counts as it runs.
struct Soak {
  uint32_t num = 10, den = 1;  // its frame rate
  uint32_t framesDrawn = 0;
  uint32_t lastElapsed = 0;
  long residentKb[6] = {0};  // the last reading in each minute
  // Within each slot: memory once a quarter of it has played (the renderer has met the scene's
  // state by then) and at its last frame. A leak in a drawn frame grows between the two.
  long slotQuarterKb[sceneCount] = {0};
  long slotEndKb[sceneCount] = {0};
};

Soak soak;

void soakFrame() {
  soak.lastElapsed = captureFrameTime(0, soak.framesDrawn, soak.num, soak.den);
  setVirtualClock(soak.lastElapsed);
  frameCallback();
  ++soak.framesDrawn;
  long kb = residentMemoryKb();
  uint32_t minute = soak.lastElapsed / 60000;
  if (minute < 6) soak.residentKb[minute] = kb;  // the last reading in each minute
  float t = 0.0f;
  int slot = findSlot(timeline.table, soak.lastElapsed, &t);
  if (slot < 0) return;
  if (t >= 0.25f && soak.slotQuarterKb[slot] == 0) soak.slotQuarterKb[slot] = kb;
  if (t <= 1.0f) soak.slotEndKb[slot] = kb;
}
}  // namespace

int soakShow(const Options& o) {
  Options checked = o;
  checked.glCheck = true;
  DemoWindow window;
  int failed = 0;
  if (!openOffscreenShow(window, checked, &failed)) return failed;
  soak = Soak{};
  soak.num = o.fpsNum;
  soak.den = o.fpsDen;
  resetFrameClock();
  window.setFrameCallback(soakFrame);
  int code = window.run();
  std::printf("frames drawn: %u\n", soak.framesDrawn);
  std::printf("last frame at elapsed %u ms (the quit follows the first frame after %u ms)\n",
              soak.lastElapsed, showLengthMs);
  std::printf("GL errors: %d\n", glErrorCount());
  for (int m = 0; m < 5; ++m)
    std::printf("resident memory at the end of minute %d: %ld KiB\n", m + 1, soak.residentKb[m]);
  for (int i = 0; i < sceneCount; ++i)
    std::printf("slot %d memory: %ld KiB a quarter in, %ld KiB at its end, growth %ld KiB\n", i,
                soak.slotQuarterKb[i], soak.slotEndKb[i], soak.slotEndKb[i] - soak.slotQuarterKb[i]);
  closeShow(window);
  return code == 0 && glErrorCount() == 0 ? 0 : 1;
}
