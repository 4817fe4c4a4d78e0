#include "shell/DemoWindow.h"

#include "platform/DisplayPace.h"
#include "platform/Gl.h"
#include "platform/MessageBox.h"
#include "render/PictureScale.h"

#include <cstdint>

void fitPicture(int frameWidth, int frameHeight, int* width, int* height) {
  if (int64_t(frameWidth) * 3 >= int64_t(frameHeight) * 4) {
    *height = frameHeight;
    *width = int((int64_t(frameHeight) * 8 + 3) / 6);  // 4/3 of the height, rounded
  } else {
    *width = frameWidth;
    *height = int((int64_t(frameWidth) * 6 + 4) / 8);  // 3/4 of the width, rounded
  }
}

bool DemoWindow::open(const char* title, DisplayMode mode, int x, int y, int width, int height) {
  const char* failedStep = "";
  if (!openScreen(screen, title, mode, x, y, width, height, &failedStep)) {
    showMessage(failedStep, "Error");
    return false;
  }
  return true;
}

bool DemoWindow::setFrame(int frameWidth, int frameHeight) {
  int w = 0, h = 0;
  fitPicture(frameWidth, frameHeight, &w, &h);
  const char* failedStep = "";
  if (!makeScreenPicture(screen, w, h, frameWidth, frameHeight, &failedStep)) {
    showMessage(failedStep, "Error");
    return false;
  }
  setPictureScale(h);
  setLineWidth(1);
  setProjection(w, h, 'p');
  showScreen(screen);
  return true;
}

bool DemoWindow::create(const char* title, DisplayMode mode, int x, int y, int width, int height) {
  return open(title, mode, x, y, width, height) && setFrame(width, height);
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
    awaitNextRefresh();
  }
}

void DemoWindow::destroy() { closeScreen(screen); }
