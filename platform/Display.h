#pragma once
#include <vector>

// The screen the show draws into. Scenes render into an offscreen framebuffer (the picture, 4:3,
// 800 x 600 unless asked otherwise) with a 24-bit depth buffer that stands for the window's back
// buffer; presenting scales it into the window with its 4:3 aspect kept and black bars beside
// it, and reading it back gives the whole frame: the picture centred, black bars around.

enum class DisplayMode {
  Desktop,     // the whole display, the picture scaled up (the default)
  ModeSwitch,  // a real switch of the display to the window's size (800 x 600 by default)
  Windowed,    // a borderless, resizable window (800 x 600 by default) at the top-left corner
  Offscreen,   // no window on any display: still frames, video capture, benchmark, tests
};

struct Screen {
  void* window = nullptr;   // the windowing layer's own window and GL context
  void* context = nullptr;
  unsigned framebuffer = 0;
  unsigned colourBuffer = 0;
  unsigned depthBuffer = 0;
  int width = 0;   // the picture
  int height = 0;
  int frameWidth = 0;  // the frame read back: the picture centred in it, black bars around
  int frameHeight = 0;
  int windowWidth = 0;  // the window's size when it is not full screen
  int windowHeight = 0;
  DisplayMode mode = DisplayMode::Windowed;
  bool fullscreen = false;  // covering the display now (either full-screen way)
  std::vector<unsigned char> readScratch;  // an ES context's RGBA rows on their way to a frame
};

// Brings SDL's video up. Offscreen runs draw into a hidden window on the desktop; on Linux with
// no display reachable they use SDL's offscreen driver (EGL) instead. Returns false, with the
// reason in *why, when no video driver starts.
bool startVideo(DisplayMode mode, const char** why);
void stopVideo();
// True when the video driver shows windows to a viewer (not the offscreen or dummy one).
bool displayInteractive();

// The display's own size in pixels (the desktop mode of the first display). False with no
// display that shows windows.
bool desktopSize(int* width, int* height);

// Window and GL context for the chosen renderer (platform/GlCalls.h), made current, with the
// call table filled; the window stays hidden. The reference asks for a compatibility context;
// where the system offers none with GL 1.1's pipeline (core-only), the core renderer is chosen
// instead, with one line on stderr. On failure returns false and names the step that failed
// in *failedStep.
bool openScreen(Screen& screen, const char* title, DisplayMode mode, int x, int y, int width,
                int height, const char** failedStep);
// The window's size when it is not full screen; a hidden window takes it at once.
void resizeScreenWindow(Screen& screen, int width, int height);
// The largest sizes the current context draws into: a renderbuffer, a texture's side and the
// viewport.
struct ScreenLimits {
  int renderbuffer = 0;
  int texture = 0;
  int viewportWidth = 0;
  int viewportHeight = 0;
};
ScreenLimits screenLimits();
// The picture's framebuffer (pictureWidth x pictureHeight), read back inside a frame of
// frameWidth x frameHeight, and bound. False, with the step in *failedStep, when GL refuses it.
bool makeScreenPicture(Screen& screen, int pictureWidth, int pictureHeight, int frameWidth,
                       int frameHeight, const char** failedStep);
void showScreen(Screen& screen);
// Desktop full screen or the real switch to the window's size, as the mode asks. False if nothing changed.
// Desktop full screen first lays the window borderless over the display's whole bounds, so it
// fills the display even where no window manager honours the full-screen request.
bool enterScreenFullscreen(Screen& screen);
// Full screen to the window (its own size) at the top-left corner and back (a window goes to desktop
// full screen). Returns whether the screen is full screen afterwards.
bool toggleScreenFullscreen(Screen& screen);
void setCursorVisible(bool visible);
// True while a GL context is current on this thread.
bool glContextCurrent();
void setSwapInterval(bool vsync);
// Shows the frame drawn so far. Leaves the scenes' framebuffer bound and their state untouched.
void presentScreen(Screen& screen);
// The frame as 8-bit RGB (frameWidth * frameHeight * 3 bytes): the picture centred, the bars
// black; top row first or, cheaper, as GL keeps it with the bottom row first. Allocates nothing.
void readScreenPixels(Screen& screen, unsigned char* rgb, bool topRowFirst = true);
// The frame as GL keeps it, bottom row first, 4 bytes a pixel (blue, green, red, unused): the
// driver's own layout, so the read is a plain copy (frameWidth * frameHeight * 4 bytes). Only the
// picture's pixels are written; the bars keep what the buffer held (zeros give black bars).
void readScreenPixelsBgra(Screen& screen, unsigned char* bgra);
// Gives back the renderer's GL objects and the picture, then the context and the window.
void closeScreen(Screen& screen);
