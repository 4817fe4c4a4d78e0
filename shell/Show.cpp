#include "shell/Show.h"

#include "platform/Clock.h"
#include "platform/MessageBox.h"
#include "platform/Png.h"
#include "platform/ProcessTime.h"
#include "shell/Catchup.h"
#include "shell/DemoWindow.h"
#include "shell/MusicTrack.h"
#include "shell/Preparation.h"
#include "shell/Timeline.h"

#include <SDL.h>

#include <cstdio>
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

void reportingFrameCallback() {
  static bool reported = false;
  if (!reported) {
    reported = true;
    std::fprintf(stderr, "kelvarn: first frame %.0f ms after the process started\n",
                 msSinceProcessStart());
  }
  frameCallback();
}

bool interactiveDisplay() {
  const char* driver = SDL_GetCurrentVideoDriver();
  return driver && SDL_strcmp(driver, "offscreen") != 0 && SDL_strcmp(driver, "dummy") != 0;
}
}  // namespace

void prepareShow(const Options& options) {
  prepareStartup();
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
  if (!window.create("test", DisplayMode::Offscreen, 0, 0, 800, 600)) {
    closeShow(window);
    *exitCode = exitNoWindow;
    return false;
  }
  prepareShow(options);
  return true;
}

void closeShow(DemoWindow& window) {
  window.destroy();
  stopVideo();
}

int playShow(const Options& options) {
  DemoWindow window;
  if (!startDisplay(options.mode)) return exitUsage;
  allowDialogs(interactiveDisplay());
  MusicTrack music;
  music.open(musicPath);
  if (!window.create("test", options.mode, 0, 0, 800, 600)) {
    window.destroy();
    music.close();
    stopVideo();
    return exitNoWindow;
  }
  setSwapInterval(options.vsync);
  window.enterFullscreen(800, 600);
  prepareShow(options);
  if (options.seek) {
    catchUpTo(options.seekMs, options.stepMs);  // scenes carry state: reach the moment as a run would
    continueFrameClockLive(options.seekMs);
  }
  music.play(static_cast<int>(options.seekMs));
  window.setFrameCallback(options.reportStartup ? reportingFrameCallback : frameCallback);
  int exitCode = window.run();
  music.close();
  closeShow(window);
  return exitCode;
}

int renderShot(const Options& options) {
  DemoWindow window;
  int failed = 0;
  if (!openOffscreenShow(window, options, &failed)) return failed;
  catchUpTo(options.shotMs, options.stepMs);
  std::vector<unsigned char> rgb(static_cast<size_t>(window.screen.width) * window.screen.height * 3);
  readScreenPixels(window.screen, rgb.data());
  bool written = writePng(options.shotFile, window.screen.width, window.screen.height, rgb.data());
  closeShow(window);
  return written ? 0 : exitNoWindow;
}
