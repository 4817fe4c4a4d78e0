#include "shell/Shot.h"

#include "platform/Host.h"
#include "platform/Png.h"
#include "shell/Catchup.h"
#include "shell/DemoWindow.h"
#include "shell/Show.h"

#include <vector>

int renderShot(const Options& options) {
  DemoWindow window;
  int failed = 0;
  if (!openOffscreenShow(window, options, &failed)) return failed;
  catchUpTo(options.shotMs, options.stepMs);
  Screen& screen = window.screen;
  std::vector<unsigned char> rgb(static_cast<size_t>(screen.frameWidth) * screen.frameHeight * 3);
  readScreenPixels(screen, rgb.data());
  bool written = writePng(options.shotFile, screen.frameWidth, screen.frameHeight, rgb.data());
  // Where the window is always on view (a page's canvas), the frame stays there to be seen.
  presentScreen(screen);
  hostKeepStill(options.shotMs);
  closeShow(window);
  return written ? 0 : exitNoWindow;
}
