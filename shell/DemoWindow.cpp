#include "shell/DemoWindow.h"

#include "platform/MessageBox.h"

#include <SDL_opengl.h>
#include <GL/glu.h>

#include <cstdint>

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
  for (;;) {
    bool idle = idleCallback && idleCallback();
    ShowCommand c;
    if (idle ? waitCommand(&c, idleWaitMs) : pollCommand(&c)) {
      if (c.kind == Command::Quit) return c.value;
      if (commandCallback) commandCallback(c);
      continue;
    }
    if (idle) continue;
    frameCallback();
    presentScreen(screen);
  }
}

void DemoWindow::destroy() { closeScreen(screen); }
