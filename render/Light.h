#pragma once
#include <cstdint>

// A handle on one fixed-function light. Lights number themselves from a global counter and get
// a fixed white-grey colour when made; the first is GL_LIGHT0.
struct Light {
  int16_t index = 0;
  int16_t w = 0;  // homogeneous w of later positions, truncated toward zero

  explicit Light(float w);
  void enable();
  void disable();
  // Position in the current modelview's coordinates, with the stored w.
  void setPosition(float x, float y, float z);
  // Stores w (truncated) and places the light at the current origin with w as given.
  void setW(float w);
};

// The number the next light made takes.
extern int16_t lightCounter;
// The next light made is GL_LIGHT0 again, for a context prepared afresh.
void restartLightNumbers();
