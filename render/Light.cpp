#include "render/Light.h"

#include "platform/Gl.h"

#include <cstdint>

int16_t lightCounter = 0;

namespace {
GLenum glLight(int16_t index) { return static_cast<GLenum>(GL_LIGHT0 + index); }

// Truncated toward zero; values beyond 16 bits (and NaN) are pinned instead of overflowing.
int16_t truncateW(float w) {
  if (!(w > -32769.0f)) return w != w ? 0 : INT16_MIN;
  if (w >= 32768.0f) return INT16_MAX;
  return static_cast<int16_t>(w);
}
}  // namespace

void restartLightNumbers() { lightCounter = 0; }

Light::Light(float w) : index(lightCounter), w(truncateW(w)) {
  ++lightCounter;
  const GLfloat specular[4] = {1.0f, 1.0f, 1.0f, 1.0f};
  const GLfloat diffuse[4] = {0.7f, 0.7f, 0.7f, 1.0f};
  const GLfloat ambient[4] = {0.1f, 0.1f, 0.1f, 1.0f};
  const GLfloat position[4] = {0.0f, 0.0f, 0.0f, w};
  glLightfv(glLight(index), GL_SPECULAR, specular);
  glLightfv(glLight(index), GL_DIFFUSE, diffuse);
  glLightfv(glLight(index), GL_AMBIENT, ambient);
  glLightfv(glLight(index), GL_POSITION, position);
}

void Light::enable() { glEnable(glLight(index)); }

void Light::disable() { glDisable(glLight(index)); }

void Light::setPosition(float x, float y, float z) {
  const GLfloat position[4] = {x, y, z, static_cast<float>(w)};
  glLightfv(glLight(index), GL_POSITION, position);
}

void Light::setW(float w) {
  this->w = truncateW(w);
  const GLfloat position[4] = {0.0f, 0.0f, 0.0f, w};
  glLightfv(glLight(index), GL_POSITION, position);
}
