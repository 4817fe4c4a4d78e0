#pragma once
#include "platform/Display.h"

// The show's screen and its message pump, which doubles as the frame loop.
struct DemoWindow {
  Screen screen;
  bool fullscreen = false;
  void (*frameCallback)() = nullptr;

  // Window, GL context and the 60-degree perspective. False after reporting the failure.
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

// Asks the pump to return `code` at its next poll (the frame being drawn is still presented).
void postQuit(int code);
