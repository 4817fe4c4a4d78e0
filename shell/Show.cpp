#include "shell/Show.h"

#include "platform/Gl.h"
#include "platform/GlProcs.h"
#include "platform/MessageBox.h"
#include "render/PictureScale.h"
#include "shell/DemoWindow.h"
#include "shell/Preparation.h"
#include "shell/Replay.h"
#include "shell/Timeline.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

namespace {
// Whether this GL can draw a frame of w x h: its picture within the renderbuffer and viewport
// limits, and the glow's largest target at the picture's scale within the texture limit. False
// with the reason.
bool frameFits(int w, int h, char* why, size_t whySize) {
  int pw = 0, ph = 0;
  fitPicture(w, h, &pw, &ph);
  const ScreenLimits limits = screenLimits();
  const long long target = targetSideAt(ph, 512);  // the largest glow target
  int most = std::min(limits.renderbuffer, std::min(limits.viewportWidth, limits.viewportHeight));
  if (pw <= most && ph <= most && target <= limits.texture) return true;
  std::snprintf(why, whySize,
                "a %dx%d frame needs a %dx%d picture and %lldx%lld glow textures; this GL draws "
                "at most %dx%d pictures and %dx%d textures",
                w, h, pw, ph, target, target, most, most, limits.texture, limits.texture);
  return false;
}

}  // namespace

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

