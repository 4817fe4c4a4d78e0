#include "platform/Display.h"

#include "platform/Desktop.h"
#include "platform/GlProcs.h"

#include <SDL.h>

#include <algorithm>
#include <cstdlib>

namespace {

bool makeFramebuffer(Screen& s) {
  const FramebufferProcs* calls = framebufferProcs();
  if (!calls) return false;
  const FramebufferProcs& fb = *calls;
  fb.genRenderbuffers(1, &s.colourBuffer);
  fb.bindRenderbuffer(GL_RENDERBUFFER, s.colourBuffer);
  fb.renderbufferStorage(GL_RENDERBUFFER, GL_RGB8, s.width, s.height);  // no alpha, as on the window
  fb.genRenderbuffers(1, &s.depthBuffer);
  fb.bindRenderbuffer(GL_RENDERBUFFER, s.depthBuffer);
  fb.renderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, s.width, s.height);
  fb.bindRenderbuffer(GL_RENDERBUFFER, 0);
  fb.genFramebuffers(1, &s.framebuffer);
  fb.bindFramebuffer(GL_FRAMEBUFFER, s.framebuffer);
  fb.framebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, s.colourBuffer);
  fb.framebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, s.depthBuffer);
  return fb.checkFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
}

SDL_Window* window(const Screen& s) { return static_cast<SDL_Window*>(s.window); }

// Where the picture sits in the frame, from the lower-left corner.
int pictureX(const Screen& s) { return (s.frameWidth - s.width) / 2; }
int pictureY(const Screen& s) { return (s.frameHeight - s.height) / 2; }

}  // namespace

bool startVideo(DisplayMode mode, const char** why) {
  const char* driver = nullptr;
  if (!desktopReachable(why)) {
    if (mode != DisplayMode::Offscreen) return false;
    driver = headlessVideoDriver();
  }
  if (SDL_InitSubSystem(SDL_INIT_EVENTS) != 0 || SDL_VideoInit(driver) != 0) {
    *why = SDL_GetError();
    return false;
  }
  return true;
}

void stopVideo() { SDL_VideoQuit(); }

bool displayInteractive() {
  const char* driver = SDL_GetCurrentVideoDriver();
  return driver && SDL_strcmp(driver, "offscreen") != 0 && SDL_strcmp(driver, "dummy") != 0;
}

bool desktopSize(int* width, int* height) {
  SDL_DisplayMode desktop{};
  if (!displayInteractive() || SDL_GetDesktopDisplayMode(0, &desktop) != 0) return false;
  if (desktop.w <= 0 || desktop.h <= 0) return false;
  *width = desktop.w;
  *height = desktop.h;
  return true;
}

bool openScreen(Screen& s, const char* title, DisplayMode mode, int x, int y, int width, int height,
                const char** failedStep) {
  s.mode = mode;
  s.windowWidth = width;
  s.windowHeight = height;
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
  SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 0);
  SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 0);  // depth lives in the offscreen framebuffer
  Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_BORDERLESS | SDL_WINDOW_HIDDEN;
  if (mode == DisplayMode::Windowed) flags |= SDL_WINDOW_RESIZABLE;
  s.window = SDL_CreateWindow(title, x, y, width, height, flags);
  if (!s.window) {
    *failedStep = "Create Failed.\n- CreateWindow";
    return false;
  }
  s.context = SDL_GL_CreateContext(window(s));
  if (!s.context) {
    *failedStep = "InitPixcel Failed.\n- wglCreateContext()";
    return false;
  }
  SDL_GL_MakeCurrent(window(s), s.context);
  if (!framebufferProcs()) {
    *failedStep = "InitPixcel Failed.\n- SetPixelFormat()";
    return false;
  }
  return true;
}

void resizeScreenWindow(Screen& s, int width, int height) {
  s.windowWidth = width;
  s.windowHeight = height;
  if (s.window && s.mode != DisplayMode::Offscreen) SDL_SetWindowSize(window(s), width, height);
}

ScreenLimits screenLimits() {
  ScreenLimits limits;
  GLint viewport[2] = {0, 0};
  glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &limits.renderbuffer);
  glGetIntegerv(GL_MAX_TEXTURE_SIZE, &limits.texture);
  glGetIntegerv(GL_MAX_VIEWPORT_DIMS, viewport);
  limits.viewportWidth = viewport[0];
  limits.viewportHeight = viewport[1];
  return limits;
}

bool makeScreenPicture(Screen& s, int pictureWidth, int pictureHeight, int frameWidth,
                       int frameHeight, const char** failedStep) {
  s.width = pictureWidth;
  s.height = pictureHeight;
  s.frameWidth = frameWidth;
  s.frameHeight = frameHeight;
  if (!makeFramebuffer(s)) {
    *failedStep = "InitPixcel Failed.\n- SetPixelFormat()";
    return false;
  }
  return true;
}

void showScreen(Screen& s) {
  if (s.window && s.mode != DisplayMode::Offscreen) SDL_ShowWindow(window(s));
}

namespace {
bool coverDisplay(Screen& s) {
  SDL_Rect bounds{};
  int index = SDL_GetWindowDisplayIndex(window(s));
  if (index < 0 || SDL_GetDisplayBounds(index, &bounds) != 0) return false;
  SDL_SetWindowPosition(window(s), bounds.x, bounds.y);
  SDL_SetWindowSize(window(s), bounds.w, bounds.h);
  return SDL_SetWindowFullscreen(window(s), SDL_WINDOW_FULLSCREEN_DESKTOP) == 0;
}

bool switchDisplay(Screen& s) {
  SDL_DisplayMode wanted{};
  wanted.w = s.windowWidth;
  wanted.h = s.windowHeight;
  SDL_DisplayMode closest{};
  int index = SDL_GetWindowDisplayIndex(window(s));
  if (index < 0 || !SDL_GetClosestDisplayMode(index, &wanted, &closest)) return false;
  if (closest.w != s.windowWidth || closest.h != s.windowHeight) return false;
  if (SDL_SetWindowDisplayMode(window(s), &closest) != 0) return false;
  return SDL_SetWindowFullscreen(window(s), SDL_WINDOW_FULLSCREEN) == 0;
}
}  // namespace

bool enterScreenFullscreen(Screen& s) {
  if (!s.window) return false;
  bool done = false;
  if (s.mode == DisplayMode::Desktop) done = coverDisplay(s);
  if (s.mode == DisplayMode::ModeSwitch) done = switchDisplay(s);
  if (done) s.fullscreen = true;
  return done;
}

bool toggleScreenFullscreen(Screen& s) {
  if (!s.window || s.mode == DisplayMode::Offscreen) return false;
  if (!s.fullscreen) {
    s.fullscreen = (s.mode == DisplayMode::ModeSwitch && switchDisplay(s)) || coverDisplay(s);
    return s.fullscreen;
  }
  SDL_SetWindowFullscreen(window(s), 0);
  SDL_SetWindowResizable(window(s), SDL_TRUE);
  SDL_SetWindowSize(window(s), s.windowWidth, s.windowHeight);
  SDL_SetWindowPosition(window(s), 0, 0);
  s.fullscreen = false;
  return false;
}

void setCursorVisible(bool visible) { SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE); }

bool glContextCurrent() { return SDL_GL_GetCurrentContext() != nullptr; }

void setSwapInterval(bool vsync) {
  if (!vsync) {
    SDL_GL_SetSwapInterval(0);
    return;
  }
  if (SDL_GL_SetSwapInterval(-1) != 0) SDL_GL_SetSwapInterval(1);  // adaptive where the driver has it
}

void presentScreen(Screen& s) {
  const FramebufferProcs* calls = framebufferProcs();
  if (s.mode == DisplayMode::Offscreen || !s.window || !calls) {
    glFlush();
    return;
  }
  int w = 0, h = 0;
  SDL_GL_GetDrawableSize(window(s), &w, &h);
  // Fit 4:3 into the window, bars beside or above.
  int fitW = w, fitH = w * s.height / s.width;
  if (fitH > h) {
    fitH = h;
    fitW = h * s.width / s.height;
  }
  int x0 = (w - fitW) / 2, y0 = (h - fitH) / 2;

  const FramebufferProcs& fb = *calls;
  GLfloat clear[4];
  glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
  GLboolean scissor = glIsEnabled(GL_SCISSOR_TEST);
  if (scissor) glDisable(GL_SCISSOR_TEST);
  fb.bindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  fb.bindFramebuffer(GL_READ_FRAMEBUFFER, s.framebuffer);
  fb.blitFramebuffer(0, 0, s.width, s.height, x0, y0, x0 + fitW, y0 + fitH, GL_COLOR_BUFFER_BIT,
                     (fitW == s.width && fitH == s.height) ? GL_NEAREST : GL_LINEAR);
  SDL_GL_SwapWindow(window(s));
  fb.bindFramebuffer(GL_FRAMEBUFFER, s.framebuffer);
  glClearColor(clear[0], clear[1], clear[2], clear[3]);
  if (scissor) glEnable(GL_SCISSOR_TEST);
}

namespace {
// The picture read into its place in a frame-sized buffer, bottom row first; the bars untouched.
void readPicture(const Screen& s, GLenum format, int bytesPerPixel, unsigned char* frame) {
  GLint packAlignment = 4, rowLength = 0;
  glGetIntegerv(GL_PACK_ALIGNMENT, &packAlignment);
  glGetIntegerv(GL_PACK_ROW_LENGTH, &rowLength);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glPixelStorei(GL_PACK_ROW_LENGTH, s.frameWidth);
  size_t offset = (size_t(pictureY(s)) * s.frameWidth + pictureX(s)) * bytesPerPixel;
  glReadPixels(0, 0, s.width, s.height, format, GL_UNSIGNED_BYTE, frame + offset);
  glPixelStorei(GL_PACK_ROW_LENGTH, rowLength);
  glPixelStorei(GL_PACK_ALIGNMENT, packAlignment);
}
}  // namespace

void readScreenPixels(const Screen& s, unsigned char* rgb, bool topRowFirst) {
  size_t row = static_cast<size_t>(s.frameWidth) * 3;
  if (s.frameWidth != s.width || s.frameHeight != s.height)
    std::fill(rgb, rgb + row * s.frameHeight, static_cast<unsigned char>(0));
  readPicture(s, GL_RGB, 3, rgb);
  if (!topRowFirst) return;
  for (int y = 0; y < s.frameHeight / 2; ++y)
    std::swap_ranges(rgb + row * y, rgb + row * (y + 1), rgb + row * (s.frameHeight - 1 - y));
}

void readScreenPixelsBgra(const Screen& s, unsigned char* bgra) {
  readPicture(s, GL_BGRA, 4, bgra);
}

void closeScreen(Screen& s) {
  if (s.context) {
    const FramebufferProcs* fb = framebufferProcs();
    if (s.framebuffer && fb) {
      fb->bindFramebuffer(GL_FRAMEBUFFER, 0);
      fb->deleteFramebuffers(1, &s.framebuffer);
      fb->deleteRenderbuffers(1, &s.colourBuffer);
      fb->deleteRenderbuffers(1, &s.depthBuffer);
    }
    SDL_GL_MakeCurrent(window(s), nullptr);
    SDL_GL_DeleteContext(s.context);
  }
  if (s.window) {
    SDL_SetWindowFullscreen(window(s), 0);  // gives the desktop its own mode back
    SDL_DestroyWindow(window(s));
  }
  s = Screen{};
}
