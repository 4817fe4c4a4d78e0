#pragma once
// TEMPORARY: a stand-in for a scene not yet built; clears to its own colour, brightening
// through its slot. Goes away with the last Temporary*.cpp.
#include <SDL_opengl.h>

#include <cstdint>

inline void temporaryScene(int8_t mode, float t, float r, float g, float b) {
  if (mode != 1) return;
  float k = 0.3f + 0.7f * (t > 1.0f ? 1.0f : t);
  glClearColor(r * k, g * k, b * k, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT);
}
