#pragma once

// The 800 x 600 screen the show draws into. Scenes render into an offscreen framebuffer with a
// 24-bit depth buffer that stands for the window's back buffer; presenting scales it into the
// window with its 4:3 aspect kept and black bars beside it.

struct SDL_Window;

enum class DisplayMode {
  Desktop,     // the whole display, the picture scaled up (the default)
  ModeSwitch,  // a real switch of the display to 800 x 600
  Windowed,    // a borderless, resizable 800 x 600 window at the top-left corner
  Offscreen,   // no window on any display: still frames, video capture, benchmark, tests
};

struct Screen {
  SDL_Window* window = nullptr;
  void* context = nullptr;
  unsigned framebuffer = 0;
  unsigned colourBuffer = 0;
  unsigned depthBuffer = 0;
  int width = 0;
  int height = 0;
  DisplayMode mode = DisplayMode::Windowed;
  bool fullscreen = false;  // covering the display now (either full-screen way)
};

// Brings SDL's video up. Offscreen runs draw into a hidden window on the desktop; on Linux with
// no display reachable they use SDL's offscreen driver (EGL) instead. Returns false, with the
// reason in *why, when no video driver starts.
bool startVideo(DisplayMode mode, const char** why);
void stopVideo();
// True when the video driver shows windows to a viewer (not the offscreen or dummy one).
bool displayInteractive();

// Window, compatibility GL context and the offscreen framebuffer; the window stays hidden.
// On failure returns false and names the step that failed in *failedStep.
bool openScreen(Screen& screen, const char* title, DisplayMode mode, int x, int y, int width,
                int height, const char** failedStep);
void showScreen(Screen& screen);
// Desktop full screen or the real 800 x 600 switch, as the mode asks. False if nothing changed.
// Desktop full screen first lays the window borderless over the display's whole bounds, so it
// fills the display even where no window manager honours the full-screen request.
bool enterScreenFullscreen(Screen& screen);
// Full screen to the 800 x 600 window at the top-left corner and back (a window goes to desktop
// full screen). Returns whether the screen is full screen afterwards.
bool toggleScreenFullscreen(Screen& screen);
void setCursorVisible(bool visible);
// True while a GL context is current on this thread.
bool glContextCurrent();
void setSwapInterval(bool vsync);
// Shows the frame drawn so far. Leaves the scenes' framebuffer bound and their state untouched.
void presentScreen(Screen& screen);
// The picture as 8-bit RGB (width * height * 3 bytes), top row first or, cheaper, as GL keeps
// it with the bottom row first. Allocates nothing.
void readScreenPixels(const Screen& screen, unsigned char* rgb, bool topRowFirst = true);
// The picture as GL keeps it, bottom row first, 4 bytes a pixel (blue, green, red, unused):
// the driver's own layout, so the read is a plain copy (width * height * 4 bytes).
void readScreenPixelsBgra(const Screen& screen, unsigned char* bgra);
void closeScreen(Screen& screen);
