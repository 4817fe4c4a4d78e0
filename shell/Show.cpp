#include "shell/Show.h"

#include "platform/Clock.h"
#include "platform/Events.h"
#include "platform/Gl.h"
#include "platform/GlProcs.h"
#include "platform/MessageBox.h"
#include "platform/Png.h"
#include "platform/ProcessTime.h"
#include "render/Light.h"
#include "scenes/SharedLists.h"
#include "shell/Catchup.h"
#include "shell/DemoWindow.h"
#include "shell/MusicTrack.h"
#include "shell/Preparation.h"
#include "shell/Timeline.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace {
const char* const musicPath = "data/music/tessaloop.mp3";

bool startDisplay(DisplayMode mode) {
  const char* why = "";
  if (startVideo(mode, &why)) return true;
  if (mode == DisplayMode::Offscreen)
    std::fprintf(stderr, "kelvarn: cannot start offscreen rendering: %s\n", why);
  else
    std::fprintf(stderr,
                 "kelvarn: cannot open a window: %s; use --shot MS FILE.png to render offscreen\n",
                 why);
  return false;
}

// Whether this GL can draw a frame of w x h: its picture within the renderbuffer and viewport
// limits, and the glow's largest target at the picture's scale within the texture limit. False
// with the reason.
bool frameFits(int w, int h, char* why, size_t whySize) {
  int pw = 0, ph = 0;
  fitPicture(w, h, &pw, &ph);
  const ScreenLimits limits = screenLimits();
  const long long target = std::llround(512.0 * ph / 600.0);  // the largest glow target
  int most = std::min(limits.renderbuffer, std::min(limits.viewportWidth, limits.viewportHeight));
  if (pw <= most && ph <= most && target <= limits.texture) return true;
  std::snprintf(why, whySize,
                "a %dx%d frame needs a %dx%d picture and %lldx%lld glow textures; this GL draws "
                "at most %dx%d pictures and %dx%d textures",
                w, h, pw, ph, target, target, most, most, limits.texture, limits.texture);
  return false;
}

// Opens the show's window for a frame of --resolution's size, the display's own for native
// (and by default for live play on a GPU), or 800 x 600. A size GL cannot draw ends it with the
// usage status before the window ever shows.
bool openShowWindow(DemoWindow& window, const Options& o, bool livePlay, int* exitCode) {
  const bool given = o.resolutionWidth > 0;
  const bool automatic = livePlay && !given && !o.nativeResolution && o.mode != DisplayMode::ModeSwitch;
  int frameW = given ? o.resolutionWidth : 800, frameH = given ? o.resolutionHeight : 600;
  int nativeW = 0, nativeH = 0;
  const bool native = (o.nativeResolution || automatic) && desktopSize(&nativeW, &nativeH);
  if (o.nativeResolution && !native) {
    std::fprintf(stderr, "kelvarn: --resolution native needs a display to take its size from; "
                         "give a size such as 1920x1080\n");
    *exitCode = exitUsage;
    return false;
  }
  // The window opens hidden at the show's own size and takes the frame's once GL has said it
  // can draw it.
  int windowW = given ? frameW : 800, windowH = given ? frameH : 600;
  if (o.nativeResolution && o.mode == DisplayMode::ModeSwitch) windowW = nativeW, windowH = nativeH;
  if (!window.open("test", o.mode, 0, 0, 800, 600)) {
    *exitCode = exitNoWindow;
    return false;
  }
  // Without a GPU the show stays at 800 x 600 unless asked, so that it stays fluid.
  if (native && !(automatic && softwareRenderer())) frameW = nativeW, frameH = nativeH;
  char why[256] = "";
  if (!frameFits(frameW, frameH, why, sizeof why)) {
    if (given || o.nativeResolution) {
      std::fprintf(stderr, "kelvarn: --resolution %s: %s\n",
                   given ? (std::to_string(frameW) + "x" + std::to_string(frameH)).c_str() : "native",
                   why);
      *exitCode = exitUsage;
      return false;
    }
    std::fprintf(stderr, "kelvarn: %s; drawing 800x600 instead\n", why);
    frameW = 800, frameH = 600;
  }
  if (windowW != 800 || windowH != 600) resizeScreenWindow(window.screen, windowW, windowH);
  if (!window.setFrame(frameW, frameH)) {
    *exitCode = exitNoWindow;
    return false;
  }
  return true;
}

// What live play keeps between the pump's calls.
struct LivePlay {
  DemoWindow* window = nullptr;
  MusicTrack* music = nullptr;
  LiveSources sources;
  uint32_t stepMs = 100;
  bool loop = false;
  bool reportStartup = false;
  bool reported = false;
  bool hidden = false;
  ShowClock clock;
  bool dialogs = false;
  uint32_t lastMotion = 0;
  int cursor = -1;  // -1 not set yet, else whether it shows
};

LivePlay live;

// The state start-up leaves before the scenes prepare, kept for live play's fresh timelines.
struct StartState {
  bool kept = false;  // GL's attributes are on its stacks
  GLfloat projection[16] = {};
  int16_t lightW = 0;
};

StartState startState;

constexpr uint32_t cursorIdleMs = 2000;

uint32_t wallNow() { return live.sources.wallMs ? live.sources.wallMs() : readWallClock(); }

double musicNow() { return live.sources.musicMs ? live.sources.musicMs() : live.music->positionMs(); }

void present() { presentScreen(live.window->screen); }

// Puts the show back as start-up left it, so that a replay from 0 draws what a fresh run draws:
// the GL state from before the scenes' preparation, the light's stored w, then every scene
// prepared again, which also re-arms their first-frame set-up.
void freshTimeline() {
  if (!startState.kept) return;
  glPopClientAttrib();
  glPopAttrib();
  glPushAttrib(GL_ALL_ATTRIB_BITS);
  glPushClientAttrib(GL_CLIENT_ALL_ATTRIB_BITS);
  glMatrixMode(GL_PROJECTION);
  glLoadMatrixf(startState.projection);
  glMatrixMode(GL_MODELVIEW);
  if (sceneLight) sceneLight->w = startState.lightW;
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
  useWallClock();
  live.music->play(static_cast<int>(ms));
  if (live.clock.paused) {
    live.music->pause();
    present();
  }
  seekClock(live.clock, ms, wallNow());
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
  if (live.reportStartup && !live.reported) {
    live.reported = true;
    const Screen& screen = live.window->screen;
    std::fprintf(stderr,
                 "kelvarn: first frame %.0f ms after the process started (a %dx%d picture in a "
                 "%dx%d frame)\n",
                 msSinceProcessStart(), screen.width, screen.height, screen.frameWidth,
                 screen.frameHeight);
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
  if (elapsed > sceneTable.start[sceneCount]) showEnded();
  return live.clock.paused || live.hidden;
}

uint32_t sceneJump(uint32_t now, int by) {
  float t = 0.0f;
  int slot = findSlot(sceneTable, now, &t) + by;
  if (slot < 0) return 0;
  if (slot >= sceneCount) return now;  // no scene after the last
  return sceneTable.start[slot] + 1;   // the first moment the scene itself is drawn
}

void liveCommand(const ShowCommand& c) {
  uint32_t now = live.clock.shown;
  switch (c.kind) {
    case Command::Pause:
      pauseClock(live.clock, !live.clock.paused, wallNow());
      if (live.clock.paused)
        live.music->pause();
      else
        live.music->resume();
      break;
    case Command::SeekBy: {
      int64_t to = int64_t(now) + c.value;
      moveTo(static_cast<uint32_t>(std::clamp<int64_t>(to, 0, showLengthMs)));
      break;
    }
    case Command::JumpScene: moveTo(sceneJump(now, c.value)); break;
    case Command::Restart: moveTo(0); break;
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

void keepStartState() {
  if (startState.kept) return;
  glPushAttrib(GL_ALL_ATTRIB_BITS);
  glPushClientAttrib(GL_CLIENT_ALL_ATTRIB_BITS);
  glGetFloatv(GL_PROJECTION_MATRIX, startState.projection);
  startState.lightW = sceneLight ? sceneLight->w : 0;
  startState.kept = true;
}

void prepareShow(const Options& options, bool forLivePlay) {
  prepareStartup();
  if (forLivePlay) keepStartState();
  prepareScenes();
  enableGlChecks(options.glCheck);
  if (options.glCheck) reportGlErrors("start-up");
}

bool openOffscreenShow(DemoWindow& window, const Options& options, int* exitCode) {
  if (!startDisplay(DisplayMode::Offscreen)) {
    *exitCode = exitUsage;
    return false;
  }
  allowDialogs(false);
  if (!openShowWindow(window, options, false, exitCode)) {
    closeShow(window);
    return false;
  }
  prepareShow(options);
  return true;
}

void closeShow(DemoWindow& window) {
  window.destroy();
  stopVideo();
}

int runLive(DemoWindow& window, MusicTrack& music, uint32_t fromMs, const Options& options,
            LiveSources sources) {
  live = LivePlay{};
  live.dialogs = displayInteractive();
  live.window = &window;
  live.music = &music;
  live.sources = sources;
  live.stepMs = options.stepMs;
  live.loop = options.loop;
  live.reportStartup = options.reportStartup;
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
  setCursorVisible(true);
  if (startState.kept) {
    glPopClientAttrib();
    glPopAttrib();
  }
  startState = StartState{};
  live = LivePlay{};
  return exitCode;
}

int playShow(const Options& options) {
  DemoWindow window;
  if (!startDisplay(options.mode)) return exitUsage;
  allowDialogs(displayInteractive());
  MusicTrack music;
  music.open(musicPath);
  int failed = 0;
  if (!openShowWindow(window, options, true, &failed)) {
    window.destroy();
    music.close();
    stopVideo();
    return failed;
  }
  setSwapInterval(options.vsync);
  window.enterFullscreen(800, 600);
  prepareShow(options, true);
  int exitCode = runLive(window, music, options.seek ? options.seekMs : 0, options);
  music.close();
  closeShow(window);
  return exitCode;
}

int renderShot(const Options& options) {
  DemoWindow window;
  int failed = 0;
  if (!openOffscreenShow(window, options, &failed)) return failed;
  catchUpTo(options.shotMs, options.stepMs);
  const Screen& screen = window.screen;
  std::vector<unsigned char> rgb(static_cast<size_t>(screen.frameWidth) * screen.frameHeight * 3);
  readScreenPixels(screen, rgb.data());
  bool written = writePng(options.shotFile, screen.frameWidth, screen.frameHeight, rgb.data());
  closeShow(window);
  return written ? 0 : exitNoWindow;
}
