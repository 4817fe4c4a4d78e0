#include "shell/DemoWindow.h"

#include "platform/MessageBox.h"

#include <SDL.h>
#include <SDL_opengl.h>
#include <GL/glu.h>

#include <cstdint>

namespace {
Uint32 quitEvent = 0;

Uint32 quitEventType() {
  if (quitEvent == 0) quitEvent = SDL_RegisterEvents(1);
  return quitEvent;
}
}  // namespace

void postQuit(int code) {
  SDL_Event e{};
  e.type = quitEventType();
  e.user.code = code;
  SDL_PushEvent(&e);
}

bool DemoWindow::create(const char* title, DisplayMode mode, int x, int y, int width, int height) {
  int16_t w = static_cast<int16_t>(width), h = static_cast<int16_t>(height);
  const char* failedStep = "";
  if (!openScreen(screen, title, mode, static_cast<int16_t>(x), static_cast<int16_t>(y), w, h,
                  &failedStep)) {
    showMessage(failedStep, "Error");
    return false;
  }
  setProjection(w, h, 'p');
  showScreen(screen);
  return true;
}

bool DemoWindow::enterFullscreen(int, int) {
  if (fullscreen) return false;
  fullscreen = enterScreenFullscreen(screen);
  return fullscreen;
}

void DemoWindow::setProjection(int width, int height, char mode) {
  glViewport(0, 0, width, height);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  if (mode == 'o')
    glOrtho(-400, 400, -300, 300, -100, 5000);
  else
    gluPerspective(60, 1.3333333333333333, 1, 5000);
  glMatrixMode(GL_MODELVIEW);
}

void DemoWindow::setFrameCallback(void (*callback)()) { frameCallback = callback; }

int DemoWindow::run() {
  Uint32 quitType = quitEventType();
  for (;;) {
    SDL_Event e;
    if (SDL_PollEvent(&e)) {
      if (e.type == SDL_KEYDOWN && e.key.keysym.sym == SDLK_ESCAPE) return 0;
      if (e.type == SDL_QUIT) return 0;
      if (e.type == SDL_WINDOWEVENT && e.window.event == SDL_WINDOWEVENT_CLOSE) return 0;
      if (e.type == quitType) return e.user.code;
      continue;  // every other event, other keys included, does nothing
    }
    frameCallback();
    presentScreen(screen);
  }
}

void DemoWindow::destroy() { closeScreen(screen); }
