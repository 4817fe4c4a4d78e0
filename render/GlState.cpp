#include "render/GlState.h"

#include "platform/Gl.h"
#include "platform/GlProcs.h"
#include "render/OverlaySpace.h"
#include "render/Texture.h"

#include <cmath>

namespace {
// The cinema bars, across the whole overlay space.
constexpr int16_t screenLeft = -overlayWidth / 2;
constexpr int16_t screenRight = overlayWidth / 2;
constexpr int16_t screenTop = overlayHeight / 2;
constexpr int16_t screenBottom = -overlayHeight / 2;
constexpr int16_t barHeight = 75;

void drawBar(int16_t top, int16_t bottom) {
  glBegin(GL_TRIANGLE_STRIP);
  glVertex2i(screenLeft, top);
  glVertex2i(screenLeft, bottom);
  glVertex2i(screenRight, top);
  glVertex2i(screenRight, bottom);
  glEnd();
}
}  // namespace

void beginBlend(GLenum src, GLenum dst, bool translucent) {
  if (translucent) {
    glDepthMask(GL_FALSE);
    glLightModelf(GL_LIGHT_MODEL_TWO_SIDE, 1.0f);
    glDisable(GL_CULL_FACE);
  }
  glBlendFunc(src, dst);
  glEnable(GL_BLEND);
}

void endBlend() {
  glDepthMask(GL_TRUE);
  glDisable(GL_BLEND);
  glLightModelf(GL_LIGHT_MODEL_TWO_SIDE, 0.0f);
  glEnable(GL_CULL_FACE);
}

void disableFog(bool off) {
  if (off)
    glDisable(GL_FOG);
  else
    glEnable(GL_FOG);
}

void setFog(GLint mode, float density, float start, float end, const float* colour) {
  glFogi(GL_FOG_MODE, mode);
  glFogf(GL_FOG_DENSITY, density);
  glFogf(GL_FOG_START, start);
  glFogf(GL_FOG_END, end);
  glFogfv(GL_FOG_COLOR, colour);
}

void setFogDensity(float density) { glFogf(GL_FOG_DENSITY, density); }

void setFogColour(float r, float g, float b, float a) {
  const GLfloat colour[4] = {r, g, b, a};
  glFogfv(GL_FOG_COLOR, colour);
}

void setPerspective(double fovY) {
  glPushMatrix();
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluPerspective(fovY, 1.3333333333333333, 1, 5000);
  glMatrixMode(GL_MODELVIEW);
  glPopMatrix();
}

void setOrtho() {
  glPushMatrix();
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(-overlayWidth / 2, overlayWidth / 2, -overlayHeight / 2, overlayHeight / 2, -500, 5000);
  glMatrixMode(GL_MODELVIEW);
  glPopMatrix();
}

void clearScreen(float r, float g, float b, float a) {
  glClearColor(r, g, b, a);
  glClear(GL_COLOR_BUFFER_BIT);
}

void Texture::beginCapture(float r, float g, float b, float a) {
  glClearColor(r, g, b, a);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glViewport(0, 0, width, height);
  glLoadIdentity();
}

void drawLetterbox(uint8_t flags) {
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_LIGHTING);
  glDisable(GL_TEXTURE_2D);
  glPushMatrix();
  setOrtho();
  glLoadIdentity();
  glColor3f(0, 0, 0);
  if (flags & 1) drawBar(screenTop, screenTop - barHeight);
  if (flags & 2) drawBar(screenBottom + barHeight, screenBottom);
  glColor3f(1, 1, 1);
  setPerspective(60);
  glPopMatrix();
  glEnable(GL_TEXTURE_2D);
  glEnable(GL_LIGHTING);
  glEnable(GL_DEPTH_TEST);
}

void setSphereMap(bool on) {
  if (on) {
    glTexGeni(GL_S, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
    glTexGeni(GL_T, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
    glEnable(GL_TEXTURE_GEN_S);
    glEnable(GL_TEXTURE_GEN_T);
  } else {
    glDisable(GL_TEXTURE_GEN_S);
    glDisable(GL_TEXTURE_GEN_T);
  }
}

bool sphereOutOfView(float radius) {
  if (fixedFunctionForced()) return false;
  GLfloat p[16], m[16];
  glGetFloatv(GL_PROJECTION_MATRIX, p);
  glGetFloatv(GL_MODELVIEW_MATRIX, m);
  // Rows of projection x modelview, both column-major: row i, column j is c[j * 4 + i].
  double c[16];
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) {
      double sum = 0;
      for (int k = 0; k < 4; ++k) sum += double(p[k * 4 + i]) * double(m[j * 4 + k]);
      c[j * 4 + i] = sum;
    }
  // The clip volume widened by 5 % of w on every side: -1.05 w <= x, y, z <= 1.05 w, which is
  // at least 12 pixels at the edges of a 512-pixel viewport.
  const double widen = 1.05;
  for (int axis = 0; axis < 3; ++axis)
    for (int side = -1; side <= 1; side += 2) {
      double plane[4];
      for (int j = 0; j < 4; ++j) plane[j] = widen * c[j * 4 + 3] + side * c[j * 4 + axis];
      const double length =
          std::sqrt(plane[0] * plane[0] + plane[1] * plane[1] + plane[2] * plane[2]);
      // The plane at the origin (its constant term) against the radius along its normal.
      if (length > 0 && plane[3] < -double(radius) * length) return true;
    }
  return false;
}
