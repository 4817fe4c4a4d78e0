#include "platform/Display.h"

#include "platform/Desktop.h"
#include "platform/GlProcs.h"

#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

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
  // In a browser the frame loop itself hands control back to the page (platform/DisplayPace.h);
  // SDL must not also sleep inside its own calls.
  SDL_SetHint(SDL_HINT_EMSCRIPTEN_ASYNCIFY, "0");
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

namespace {
// What SDL is asked for with the next window and its context: a compatibility context for the
// reference (any version, so the newest the driver has), OpenGL 3.3 core or OpenGL ES 3.0 for
// the shader renderer.
void requestContext(GlRenderer renderer) {
  int profile = SDL_GL_CONTEXT_PROFILE_COMPATIBILITY, major = 2, minor = 1, flags = 0;
  if (renderer == GlRenderer::Core) {
    profile = SDL_GL_CONTEXT_PROFILE_CORE;
    major = 3;
    minor = 3;
    flags = SDL_GL_CONTEXT_FORWARD_COMPATIBLE_FLAG;
  } else if (renderer == GlRenderer::Es) {
    profile = SDL_GL_CONTEXT_PROFILE_ES;
    major = 3;
    minor = 0;
  }
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, profile);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, major);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, minor);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_FLAGS, flags);
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
  SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 0);
  SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 0);  // depth lives in the offscreen framebuffer
}

// True when the current context keeps GL 1.1's fixed-function pipeline, as the reference
// needs: below 3.0, 3.0 unless forward-compatible, and from 3.1 a compatibility profile or
// GL_ARB_compatibility (whose GL_EXTENSIONS string a context without it no longer has). A
// core-only system answers a compatibility request with less.
bool fixedFunctionOffered() {
  const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
  int major = 0, minor = 0;
  if (!version || std::sscanf(version, "%d.%d", &major, &minor) != 2) return false;
  if (major < 3) return true;
  GLint flags = 0, profile = 0;
  glGetIntegerv(GL_CONTEXT_FLAGS, &flags);
  bool offered = !(flags & GL_CONTEXT_FLAG_FORWARD_COMPATIBLE_BIT);
  if (offered && (major > 3 || minor >= 1)) {
    glGetIntegerv(GL_CONTEXT_PROFILE_MASK, &profile);  // from 3.2; an error before, 0 kept
    const char* extensions = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    offered = (profile & GL_CONTEXT_COMPATIBILITY_PROFILE_BIT) ||
              (!(profile & GL_CONTEXT_CORE_PROFILE_BIT) && extensions &&
               std::strstr(extensions, "GL_ARB_compatibility"));
  }
  for (int i = 0; i < 4 && glGetError() != GL_NO_ERROR; ++i) {  // the queries' own errors
  }
  return offered;
}

const char* rendererName(GlRenderer renderer) {
  switch (renderer) {
    case GlRenderer::Core: return "the core renderer (OpenGL 3.3)";
    case GlRenderer::Es: return "the ES renderer (OpenGL ES 3.0)";
    default: return "the GL 1.1 reference";
  }
}

// The step that failed; for the shader renderer with the renderer and SDL's reason.
const char* failedStepFor(const char* step) {
  if (chosenGlRenderer() == GlRenderer::Reference) return step;
  static std::string text;
  text = std::string(step) + " for " + rendererName(chosenGlRenderer()) + ": " + SDL_GetError();
  return text.c_str();
}

// The window (hidden) and the chosen renderer's context, made current.
bool openWindow(Screen& s, const char* title, int x, int y, const char** failedStep) {
  requestContext(chosenGlRenderer());
  Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_BORDERLESS | SDL_WINDOW_HIDDEN;
  if (s.mode == DisplayMode::Windowed) flags |= SDL_WINDOW_RESIZABLE;
  s.window = SDL_CreateWindow(title, x, y, s.windowWidth, s.windowHeight, flags);
  if (!s.window) {
    *failedStep = failedStepFor("Create Failed.\n- CreateWindow");
    return false;
  }
  s.context = SDL_GL_CreateContext(window(s));
  if (!s.context) {
    *failedStep = failedStepFor("InitPixcel Failed.\n- wglCreateContext()");
    return false;
  }
  SDL_GL_MakeCurrent(window(s), s.context);
  return true;
}

void dropWindow(Screen& s) {
  if (s.context) {
    SDL_GL_MakeCurrent(window(s), nullptr);
    SDL_GL_DeleteContext(s.context);
  }
  if (s.window) SDL_DestroyWindow(window(s));
  s.context = s.window = nullptr;
}
}  // namespace

bool openScreen(Screen& s, const char* title, DisplayMode mode, int x, int y, int width, int height,
                const char** failedStep) {
  s.mode = mode;
  s.windowWidth = width;
  s.windowHeight = height;
  bool opened = openWindow(s, title, x, y, failedStep);
  if (chosenGlRenderer() == GlRenderer::Reference && s.window &&
      (!opened || !fixedFunctionOffered())) {
    // A system with core contexts only: the shader renderer draws the same scenes there.
    dropWindow(s);
    chooseGlRenderer(GlRenderer::Core);
    opened = openWindow(s, title, x, y, failedStep);
    if (opened)
      std::fprintf(stderr, "kelvarn: no compatibility GL context here; drawing with the core "
                           "renderer\n");
  }
  if (!opened) return false;
  const char* why = "";
  if (!startGlCalls(&why)) {
    static std::string step;
    step = std::string("InitPixcel Failed.\n- ") + rendererName(chosenGlRenderer()) +
           " cannot draw here: " + why;
    *failedStep = step.c_str();
    return false;
  }
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
  settleGlCalls();
  const FramebufferProcs* calls = framebufferProcs();
  if ((s.mode == DisplayMode::Offscreen && !offscreenFramesShow()) || !s.window || !calls) {
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
// An ES context reads only RGBA: its rows are read whole and repacked into the frame.
void readPicture(Screen& s, GLenum format, int bytesPerPixel, unsigned char* frame) {
  GLint packAlignment = 4, rowLength = 0;
  glGetIntegerv(GL_PACK_ALIGNMENT, &packAlignment);
  glGetIntegerv(GL_PACK_ROW_LENGTH, &rowLength);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  size_t offset = (size_t(pictureY(s)) * s.frameWidth + pictureX(s)) * bytesPerPixel;
  if (chosenGlRenderer() == GlRenderer::Es) {
    glPixelStorei(GL_PACK_ROW_LENGTH, 0);
    s.readScratch.resize(size_t(s.width) * size_t(s.height) * 4);
    glReadPixels(0, 0, s.width, s.height, GL_RGBA, GL_UNSIGNED_BYTE, s.readScratch.data());
    const bool bgra = format == GL_BGRA;
    for (int y = 0; y < s.height; ++y) {
      const unsigned char* from = s.readScratch.data() + size_t(y) * size_t(s.width) * 4;
      unsigned char* to = frame + offset + size_t(y) * size_t(s.frameWidth) * bytesPerPixel;
      for (int x = 0; x < s.width; ++x, from += 4, to += bytesPerPixel) {
        to[0] = from[bgra ? 2 : 0];
        to[1] = from[1];
        to[2] = from[bgra ? 0 : 2];
        if (bytesPerPixel == 4) to[3] = from[3];
      }
    }
  } else {
    glPixelStorei(GL_PACK_ROW_LENGTH, s.frameWidth);
    glReadPixels(0, 0, s.width, s.height, format, GL_UNSIGNED_BYTE, frame + offset);
  }
  glPixelStorei(GL_PACK_ROW_LENGTH, rowLength);
  glPixelStorei(GL_PACK_ALIGNMENT, packAlignment);
}
}  // namespace

void readScreenPixels(Screen& s, unsigned char* rgb, bool topRowFirst) {
  size_t row = static_cast<size_t>(s.frameWidth) * 3;
  if (s.frameWidth != s.width || s.frameHeight != s.height)
    std::fill(rgb, rgb + row * s.frameHeight, static_cast<unsigned char>(0));
  readPicture(s, GL_RGB, 3, rgb);
  if (!topRowFirst) return;
  for (int y = 0; y < s.frameHeight / 2; ++y)
    std::swap_ranges(rgb + row * y, rgb + row * (y + 1), rgb + row * (s.frameHeight - 1 - y));
}

void readScreenPixelsBgra(Screen& s, unsigned char* bgra) {
  readPicture(s, GL_BGRA, 4, bgra);
}

void closeScreen(Screen& s) {
  if (s.context) {
    SDL_GL_MakeCurrent(window(s), s.context);
    stopGlCalls();
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
