#pragma once
#include <cstdint>

// A scene's one entry point: mode 0 prepares once at start-up, mode 1 draws one frame at the
// normalised scene time t; any other mode does nothing.
using SceneFn = void (*)(int8_t mode, float t);

constexpr int sceneCount = 10;
constexpr uint32_t showLengthMs = 242300;

struct SceneTable {
  uint32_t start[sceneCount + 1];  // start[i] opens slot i; start[10] ends the show
  SceneFn slot[sceneCount];
};


// Fills the show's timeline with its ten scenes.
void fillSceneTable(SceneTable& table);
// What a viewer calls the scene of a slot ("tunnel"); the opening's name before the first.
const char* sceneName(int slot);

// The frame clock: the counter value latched on the first frame, and what the last frame drew.
struct FrameClock {
  uint32_t startTime = 0;
  bool latched = false;
  int lastSlot = -1;
  float lastT = 0.0f;
};

// The show's timeline as the frame loop runs it: the table, the frame clock, and the GL error
// checks with what they have counted.
struct Timeline {
  SceneTable table{};
  FrameClock clock;
  bool glChecks = false;
  int glErrorsSeen = 0;
};

extern Timeline timeline;

// Elapsed ms of a frame read at `now` (latching the start on the first frame).
uint32_t elapsedAt(FrameClock& clock, uint32_t now);
// The slot whose window (start, next start] holds elapsed, or -1 before the first; slot 9 also
// takes everything after the end. t is the normalised time within the slot.
int findSlot(const SceneTable& table, uint32_t elapsed, float* t);
// One frame: clears colour and depth, loads the identity, draws the scene that elapsed falls in.
// Returns true once the show has run out, which asks the caller to end after this frame.
bool stepFrame(FrameClock& clock, const SceneTable& table, uint32_t now);

// One frame at exactly `elapsed` ms (the clock latched at 0), GL errors checked if asked for.
// True once the show has run out.
bool drawFrameAt(uint32_t elapsed);

// The live show's clock. With sound it follows the music's position, filled in with the wall
// clock between the decoder's updates; silent, it runs on the wall clock from where it stands.
// It never goes backwards except when sought, and stands still while paused.
struct ShowClock {
  uint32_t shown = 0;      // the last time handed out
  uint32_t lastWall = 0;   // the wall time it was handed out at
  bool paused = false;
  double musicAt = -1.0;   // the decoder's last position, negative: none yet
  uint32_t musicWall = 0;  // the wall time it was first seen at
};
// The longest the picture runs on past a position the decoder keeps reporting: a stalled device
// holds the picture with the sound.
constexpr uint32_t musicHoldMs = 60;

void seekClock(ShowClock& clock, uint32_t showMs, uint32_t wall);
void pauseClock(ShowClock& clock, bool paused, uint32_t wall);
// The show's time at `wall`, given the music's position (negative while silent).
uint32_t advanceClock(ShowClock& clock, uint32_t wall, double musicMs);

// The show's frame callback: reads the clock once and posts the quit when the show has run out.
void frameCallback();
void resetFrameClock();

// Debug switch: glGetError after every frame, each error reported with the slot and t.
void enableGlChecks(bool on);
// Reports pending GL errors as happening in `where`; returns how many there were.
int reportGlErrors(const char* where);
int glErrorCount();
