#include "shell/LivePlay.h"

#include "platform/Clock.h"
#include "platform/Events.h"
#include "platform/GlProcs.h"
#include "platform/Host.h"
#include "platform/MessageBox.h"
#include "platform/ProcessTime.h"
#include "render/OnScreenLine.h"
#include "shell/Catchup.h"
#include "shell/DemoWindow.h"
#include "shell/MusicTrack.h"
#include "shell/Preparation.h"
#include "shell/Replay.h"
#include "shell/Show.h"
#include "shell/Timeline.h"

#include <algorithm>
#include <cstdio>
#include <string>

namespace {
// What live play keeps between the pump's calls.
struct LivePlay {
  DemoWindow* window = nullptr;
  MusicTrack* music = nullptr;
  LiveSources sources;
  uint32_t stepMs = 100;
  bool loop = false;
  bool reportStartup = false;
  bool reported = false;
  StartupMarks marks;
  bool hidden = false;
  ShowClock clock;
  bool dialogs = false;
  uint32_t lastMotion = 0;
  int cursor = -1;  // -1 not set yet, else whether it shows
  bool osd = true;
  bool osdArmed = false;  // a key asked for the line; it shows until osdUntil, or while paused
  uint32_t osdUntil = 0;
};

LivePlay live;

constexpr uint32_t cursorIdleMs = 2000;
constexpr uint32_t osdShownMs = 1500;

uint32_t wallNow() { return live.sources.wallMs ? live.sources.wallMs() : readWallClock(); }

double musicNow() { return live.sources.musicMs ? live.sources.musicMs() : live.music->positionMs(); }

// "1:23 / 4:02 - tunnel", and "paused" while paused.
std::string osdText() {
  uint32_t shown = std::min(live.clock.shown, showLengthMs);
  float t = 0.0f;
  char text[96];
  std::snprintf(text, sizeof text, "%u:%02u / %u:%02u - %s%s", shown / 60000, shown / 1000 % 60,
                showLengthMs / 60000, showLengthMs / 1000 % 60,
                sceneName(findSlot(timeline.table, shown, &t)), live.clock.paused ? " - paused" : "");
  return text;
}

// A key did something the viewer should see: the line shows for a while.
void armOsd() {
  live.osdArmed = live.osd;
  live.osdUntil = live.clock.lastWall + osdShownMs;
}

// Puts the line over the picture while it is due, or takes it away.
void updateOsd() {
  bool due = live.osdArmed &&
             (live.clock.paused || int32_t(live.osdUntil - live.clock.lastWall) > 0);
  if (due) {
    showOnScreenLine(osdText().c_str());
    return;
  }
  hideOnScreenLine();
  // Every text the line showed is cached as a texture: let them go with it.
  releaseOnScreenLine();
  live.osdArmed = false;
}

// Shows the picture as it stands (paused, or drawn by a seek), with the line if it is due.
void present() {
  updateOsd();
  presentScreen(live.window->screen);
}

// Puts the show back as start-up left it, so that a replay from 0 draws what a fresh run draws:
// the GL state from before the scenes' preparation, the light's stored w, then every scene
// prepared again, which also re-arms their first-frame set-up.
void freshTimeline() {
  if (!returnToStartState()) return;
  allowDialogs(false);  // a picture that failed to load was reported at start-up
  prepareScenes();
  allowDialogs(live.dialogs);
}

// Reaches ms the way --seek does (scenes carry state: a fresh timeline, then the catch-up), with
// the music sought to the same moment; a paused show stays paused and shows the new moment.
void moveTo(uint32_t ms) {
  live.music->pause();  // silent while the picture catches up
  freshTimeline();
  catchUpTo(ms, live.stepMs);
  forgetOnScreenLine();
  useWallClock();
  live.music->play(static_cast<int>(ms));
  seekClock(live.clock, ms, wallNow());
  if (live.clock.paused) {
    live.music->pause();
    present();
  }
}

// The show has run out: ends it, or with --loop starts it again on a fresh timeline.
void showEnded() {
  if (live.loop)
    moveTo(0);
  else
    postQuit(0);
}

void updateCursor(uint32_t wall) {
  bool want = !live.window->screen.fullscreen && wall - live.lastMotion < cursorIdleMs;
  if (int(want) == live.cursor) return;
  live.cursor = want;
  setCursorVisible(want);
}

void liveFrame() {
  uint32_t wall = wallNow();
  uint32_t elapsed = advanceClock(live.clock, wall, musicNow());
  bool ended = drawFrameAt(elapsed);
  hostFrameDrawn(elapsed);
  forgetOnScreenLine();
  if (live.osdArmed) updateOsd();
  if (live.reportStartup && !live.reported) {
    live.reported = true;
    const Screen& screen = live.window->screen;
    const double now = msSinceProcessStart();
    char steps[160] = "";
    const StartupMarks& m = live.marks;
    if (m.windowReady >= 0 && m.prepared >= m.windowReady)
      std::snprintf(steps, sizeof steps,
                    ": window, GL and music %.0f ms, preparation %.0f ms, first frame %.0f ms",
                    m.windowReady, m.prepared - m.windowReady, now - m.prepared);
    std::fprintf(stderr,
                 "kelvarn: first frame %.0f ms after the process started%s (a %dx%d picture in a "
                 "%dx%d frame)\n",
                 now, steps, screen.width, screen.height, screen.frameWidth, screen.frameHeight);
  }
  updateCursor(wall);
  if (ended) showEnded();
}

// Paused or out of sight: nothing is drawn, but time goes on with the music.
bool liveIdle() {
  if (!live.clock.paused && !live.hidden) return false;
  uint32_t wall = wallNow();
  uint32_t elapsed = advanceClock(live.clock, wall, musicNow());
  updateCursor(wall);
  if (elapsed > timeline.table.start[sceneCount]) showEnded();
  return live.clock.paused || live.hidden;
}

uint32_t sceneJump(uint32_t now, int by) {
  float t = 0.0f;
  int slot = findSlot(timeline.table, now, &t) + by;
  if (slot < 0) return 0;
  if (slot >= sceneCount) return now;  // no scene after the last
  return timeline.table.start[slot] + 1;   // the first moment the scene itself is drawn
}

void liveCommand(const ShowCommand& c) {
  uint32_t now = live.clock.shown;
  switch (c.kind) {
    case Command::Pause:
      pauseClock(live.clock, !live.clock.paused, wallNow());
      armOsd();
      if (live.clock.paused) {
        live.music->pause();
        present();
      } else {
        live.music->resume();
      }
      break;
    case Command::SeekBy: {
      int64_t to = int64_t(now) + c.value;
      armOsd();
      moveTo(static_cast<uint32_t>(std::clamp<int64_t>(to, 0, showLengthMs)));
      break;
    }
    case Command::JumpScene:
      armOsd();
      moveTo(sceneJump(now, c.value));
      break;
    case Command::Restart:
      armOsd();
      moveTo(0);
      break;
    case Command::ToggleFullscreen:
      toggleScreenFullscreen(live.window->screen);
      if (live.clock.paused) present();
      break;
    case Command::Hidden: live.hidden = true; break;
    case Command::Shown:
    case Command::Redraw:
      if (c.kind == Command::Shown) live.hidden = false;
      if (live.clock.paused) present();
      break;
    case Command::PointerMoved: live.lastMotion = wallNow(); break;
    case Command::AudioLost:
      if (!live.music->player.music) break;  // already silent
      std::fprintf(stderr, "kelvarn: the audio device is gone; the show goes on silent\n");
      live.music->close();  // the clock goes on from where it stands, on the wall clock
      break;
    case Command::Quit: break;
  }
}
}  // namespace

int runLive(DemoWindow& window, MusicTrack& music, uint32_t fromMs, const Options& options,
            LiveSources sources, StartupMarks marks) {
  live = LivePlay{};
  live.marks = marks;
  live.dialogs = displayInteractive();
  live.window = &window;
  live.music = &music;
  live.sources = sources;
  live.stepMs = options.stepMs;
  live.loop = options.loop;
  live.reportStartup = options.reportStartup;
  live.osd = options.osd;
  live.lastMotion = wallNow();
  if (fromMs > 0) catchUpTo(fromMs, options.stepMs);  // scenes carry state: reach the moment as a run would
  useWallClock();
  resetFrameClock();
  music.play(static_cast<int>(fromMs));
  seekClock(live.clock, fromMs, wallNow());
  window.setFrameCallback(liveFrame);
  window.commandCallback = liveCommand;
  window.idleCallback = liveIdle;
  int exitCode = window.run();
  // Where the host offers the show again once it has ended (a page's end screen), it starts
  // over from 0, as Home starts it, unpaused.
  while (exitCode == 0) {
    live.music->pause();
    if (!hostOffersReplay()) break;
    if (live.clock.paused) pauseClock(live.clock, false, wallNow());
    moveTo(0);
    exitCode = window.run();
  }
  setCursorVisible(true);
  releaseOnScreenLine();
  releaseStartState();
  live = LivePlay{};
  return exitCode;
}

int playShow(const Options& options) {
  DemoWindow window;
  if (!startDisplay(options.mode)) return exitUsage;
  allowDialogs(displayInteractive());
  MusicTrack music;
  music.open(showMusicPath);
  int failed = 0;
  if (!openShowWindow(window, options, true, &failed)) {
    window.destroy();
    music.close();
    stopVideo();
    return failed;
  }
  setSwapInterval(options.vsync);
  window.enterFullscreen(800, 600);
  StartupMarks marks;
  marks.windowReady = msSinceProcessStart();
  prepareShow(options, true);
  marks.prepared = msSinceProcessStart();
  int exitCode = runLive(window, music, options.run == RunMode::Seek ? options.seekMs : 0, options,
                         {}, marks);
  music.close();
  closeShow(window);
  return exitCode;
}

