#pragma once
#include <cstdint>

// The overlay space: setOrtho's projection, 800 x 600 units with the origin in the centre and
// y up, whatever the picture's size in pixels. Full-screen passes (the glow's copies, blurs and
// overlays, the cinema bars) draw in it, and one unit is width / 800 pixels across and
// height / 600 up.
constexpr int16_t overlayWidth = 800;
constexpr int16_t overlayHeight = 600;

// One (s, t) texture coordinate of a screen-quad corner.
struct CornerUV {
  float s = 0;
  float t = 0;
};

// The full overlay-space quad shifted by (dx, dy), texture coordinates 0..1.
void drawScreenQuad(int16_t dx, int16_t dy);
// The full-screen quad with corner coordinates top-left, bottom-left, bottom-right, top-right.
void drawScreenQuadUV(const CornerUV corners[4]);
