#include "shell/Timeline.h"

#include "platform/Clock.h"
#include "platform/Events.h"
#include "platform/Gl.h"
#include "scenes/Scenes.h"

#include <cstdio>

Timeline timeline;

uint32_t elapsedAt(FrameClock& clock, uint32_t now) {
  if (!clock.latched) {
    clock.latched = true;
    clock.startTime = now;
  }
  return now - clock.startTime;  // unsigned: wraps with the counter
}

int findSlot(const SceneTable& table, uint32_t elapsed, float* t) {
  for (int i = sceneCount - 1; i >= 0; --i) {
    if (elapsed > table.start[i]) {
      double into = static_cast<double>(elapsed - table.start[i]);
      double length = static_cast<double>(table.start[i + 1] - table.start[i]);
      *t = static_cast<float>(into / length);
      return i;
    }
  }
  return -1;
}

bool stepFrame(FrameClock& clock, const SceneTable& table, uint32_t now) {
  uint32_t elapsed = elapsedAt(clock, now);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glLoadIdentity();
  float t = 0.0f;
  int slot = findSlot(table, elapsed, &t);
  clock.lastSlot = slot;
  clock.lastT = t;
  if (slot >= 0) table.slot[slot](1, t);
  return elapsed > table.start[sceneCount];
}

namespace {
void checkFrame() {
  if (timeline.glChecks) {
    char where[64];
    std::snprintf(where, sizeof where, "slot %d at t = %.6f", timeline.clock.lastSlot,
                  static_cast<double>(timeline.clock.lastT));
    reportGlErrors(where);
  }
}
}  // namespace

void frameCallback() {
  bool ended = stepFrame(timeline.clock, timeline.table, readClock());
  checkFrame();
  if (ended) postQuit(0);
}

bool drawFrameAt(uint32_t elapsed) {
  timeline.clock.latched = true;
  timeline.clock.startTime = 0;
  bool ended = stepFrame(timeline.clock, timeline.table, elapsed);
  checkFrame();
  return ended;
}

void seekClock(ShowClock& c, uint32_t showMs, uint32_t wall) {
  c.shown = showMs;
  c.lastWall = wall;
  c.musicAt = -1.0;
}

void pauseClock(ShowClock& c, bool paused, uint32_t wall) {
  c.paused = paused;
  c.lastWall = wall;
  c.musicAt = -1.0;  // the decoder's next report starts the count afresh
}

uint32_t advanceClock(ShowClock& c, uint32_t wall, double musicMs) {
  uint32_t since = wall - c.lastWall;
  c.lastWall = wall;
  if (c.paused) return c.shown;
  double estimate = static_cast<double>(c.shown) + since;  // the wall clock from where it stands
  if (musicMs >= 0.0) {
    if (musicMs != c.musicAt) {
      c.musicAt = musicMs;
      c.musicWall = wall;
    }
    uint32_t fill = wall - c.musicWall;
    estimate = c.musicAt + (fill < musicHoldMs ? fill : musicHoldMs);
  }
  if (estimate > 4294967295.0) estimate = 4294967295.0;
  if (estimate > c.shown) c.shown = static_cast<uint32_t>(estimate);
  return c.shown;
}

void enableGlChecks(bool on) { timeline.glChecks = on; }

int reportGlErrors(const char* where) {
  int found = 0;
  for (GLenum e = glGetError(); e != GL_NO_ERROR && found < 32; e = glGetError()) {
    std::fprintf(stderr, "kelvarn: GL error 0x%04x in %s\n", e, where);
    ++found;
  }
  timeline.glErrorsSeen += found;
  return found;
}

int glErrorCount() { return timeline.glErrorsSeen; }

void resetFrameClock() { timeline.clock = FrameClock{}; }

void fillSceneTable(SceneTable& table) {
  static const uint32_t starts[sceneCount + 1] = {0,      30000,  52000,  80000,  92000, 118300,
                                                  128300, 168300, 178300, 206300, 242300};
  static const SceneFn scenes[sceneCount] = {
      openingScene, titleCard1,   tunnelScene, titleCard2, creditScene,
      titleCard3,   greetingsScene, titleCard4, spiralScene, endScroller};
  for (int i = 0; i <= sceneCount; ++i) table.start[i] = starts[i];
  for (int i = 0; i < sceneCount; ++i) table.slot[i] = scenes[i];
}

const char* sceneName(int slot) {
  static const char* const names[sceneCount] = {"opening", "Shift 1",   "tunnel",  "Shift 2",
                                                "credits", "Shift 3",   "greetings", "Shift 4",
                                                "spiral",  "end scroller"};
  return names[slot < 0 ? 0 : slot >= sceneCount ? sceneCount - 1 : slot];
}
