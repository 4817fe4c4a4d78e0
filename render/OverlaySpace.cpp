#include "render/OverlaySpace.h"

#include "platform/Gl.h"

namespace {
constexpr int16_t halfWidth = overlayWidth / 2;
constexpr int16_t halfHeight = overlayHeight / 2;
}  // namespace

void drawScreenQuad(int16_t dx, int16_t dy) {
  glBegin(GL_TRIANGLE_STRIP);
  glTexCoord2f(0, 1);
  glVertex2i(dx - halfWidth, dy + halfHeight);
  glTexCoord2f(0, 0);
  glVertex2i(dx - halfWidth, dy - halfHeight);
  glTexCoord2f(1, 1);
  glVertex2i(dx + halfWidth, dy + halfHeight);
  glTexCoord2f(1, 0);
  glVertex2i(dx + halfWidth, dy - halfHeight);
  glEnd();
}

void drawScreenQuadUV(const CornerUV corners[4]) {
  const CornerUV& topLeft = corners[0];
  const CornerUV& bottomLeft = corners[1];
  const CornerUV& bottomRight = corners[2];
  const CornerUV& topRight = corners[3];
  glBegin(GL_TRIANGLE_STRIP);
  glTexCoord2f(topLeft.s, topLeft.t);
  glVertex2i(-halfWidth, halfHeight);
  glTexCoord2f(bottomLeft.s, bottomLeft.t);
  glVertex2i(-halfWidth, -halfHeight);
  glTexCoord2f(topRight.s, topRight.t);
  glVertex2i(halfWidth, halfHeight);
  glTexCoord2f(bottomRight.s, bottomRight.t);
  glVertex2i(halfWidth, -halfHeight);
  glEnd();
}
