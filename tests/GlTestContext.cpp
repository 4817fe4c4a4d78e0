#include "tests/GlTestContext.h"

#include "shell/DemoWindow.h"

#include <SDL.h>
#include <SDL_opengl.h>
#include <GL/glu.h>

#include <cstdlib>
#include <sys/stat.h>
#include <vector>

#include "platform/Png.h"

namespace {
DemoWindow* testWindow = nullptr;

// The tests never need a display or a sound card: offscreen GL and the silent audio driver,
// unless the person running them asks for others. Mesa's shader cache stays off: its writer
// thread, still exiting at process exit, crashed the leak checker's stop-the-world, and the
// programs the tests start inherit the setting.
const bool headless = [] {
  setenv("SDL_VIDEODRIVER", "offscreen", 0);
  setenv("SDL_AUDIODRIVER", "dummy", 0);
  setenv("MESA_SHADER_CACHE_DISABLE", "true", 0);
  return true;
}();
}

Screen& glTestScreen() {
  if (!testWindow) {
    const char* why = "";
    if (!startVideo(DisplayMode::Offscreen, &why)) {
      std::fprintf(stderr, "no GL for the tests: %s\n", why);
      std::abort();
    }
    testWindow = new DemoWindow;
    if (!testWindow->create("test", DisplayMode::Offscreen, 0, 0, 800, 600)) std::abort();
  }
  return testWindow->screen;
}

std::array<int, 3> pixelAt(int x, int y) {
  unsigned char px[4] = {0, 0, 0, 0};
  GLint pack = 4;
  glGetIntegerv(GL_PACK_ALIGNMENT, &pack);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(x, glTestScreen().height - 1 - y, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, px);
  glPixelStorei(GL_PACK_ALIGNMENT, pack);
  return {px[0], px[1], px[2]};
}

std::array<float, 4> currentColour() {
  std::array<float, 4> c{};
  glGetFloatv(GL_CURRENT_COLOR, c.data());
  return c;
}

std::array<float, 16> matrix(unsigned which) {
  std::array<float, 16> m{};
  glGetFloatv(which, m.data());
  return m;
}

std::array<float, 16> perspective60() {
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  gluPerspective(60, 4.0 / 3.0, 1, 5000);
  std::array<float, 16> m = matrix(GL_PROJECTION_MATRIX);
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);
  return m;
}

std::string saveTestPicture(const std::string& name) {
  Screen& s = glTestScreen();
  mkdir(KELVARN_TEST_TMP, 0755);
  std::vector<unsigned char> rgb(static_cast<size_t>(s.width) * s.height * 3);
  readScreenPixels(s, rgb.data());
  std::string path = std::string(KELVARN_TEST_TMP) + "/" + name + ".png";
  writePng(path, s.width, s.height, rgb.data());
  return path;
}

void GlTest::SetUp() {
  glTestScreen();
  glPushAttrib(GL_ALL_ATTRIB_BITS);
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();
}

void GlTest::TearDown() {
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);
  glPopMatrix();
  glPopAttrib();
  while (glGetError() != GL_NO_ERROR) {
  }
}
