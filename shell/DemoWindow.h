#pragma once
#include "platform/Display.h"
#include "platform/Events.h"

// The show's screen and its message pump, which doubles as the frame loop.
struct DemoWindow {
  Screen screen;
  bool fullscreen = false;
  void (*frameCallback)() = nullptr;
  // Live play: every command but quit goes here (none set: they change nothing), and while
  // idleCallback answers true (paused, minimised) the pump waits for events instead of drawing.
  void (*commandCallback)(const ShowCommand&) = nullptr;
  bool (*idleCallback)() = nullptr;

  // The window (hidden) and its GL context. False after reporting the failure.
  bool open(const char* title, DisplayMode mode, int x, int y, int width, int height);
  // The picture for a frame of frameWidth x frameHeight: the largest 4:3 area that fits,
  // centred; the picture's scale, its viewport and the 60-degree perspective; then the window
  // shows. False after reporting the failure.
  bool setFrame(int frameWidth, int frameHeight);
  // open, then setFrame for a frame of the window's size.
  bool create(const char* title, DisplayMode mode, int x, int y, int width, int height);
  // True if this call took the show full screen; a second call changes nothing.
  bool enterFullscreen(int width, int height);
  // Viewport and projection: 'o' orthographic, anything else the 60-degree perspective.
  void setProjection(int width, int height, char mode);
  void setFrameCallback(void (*callback)());
  // Drains events; whenever none is waiting, draws a frame and presents it. Escape, closing the
  // window and the posted quit end it; returns the exit code.
  int run();
  void destroy();
};

// The largest 4:3 picture inside a frame of frameWidth x frameHeight (bars beside it or above).
void fitPicture(int frameWidth, int frameHeight, int* width, int* height);

// How long an idle pump sleeps between looks at the clock.
constexpr int idleWaitMs = 100;
