#include "scenes/Helix.h"

#include "geometry/Meshes.h"
#include "platform/Gl.h"

#include <cmath>

namespace {
// Texture coordinate, normal and vertex of the tube point at coil angle a, height y and tube
// angle theta. The normal points away from the tube's centre circle and ignores the rise.
void emitHelixVertex(float coilRadius, float tubeRadius, float a, float y, float theta, float s,
                     float t) {
  const double sinA = std::sin(double{a}), cosA = std::cos(double{a});
  const double sinTheta = std::sin(double{theta}), cosTheta = std::cos(double{theta});
  float normal[3] = {static_cast<float>(sinTheta * sinA), static_cast<float>(cosTheta),
                     static_cast<float>(sinTheta * cosA)};
  normalize(normal, normal);
  const double ring = coilRadius + tubeRadius * sinTheta;
  glTexCoord2f(s, t);
  glNormal3fv(normal);
  glVertex3f(static_cast<float>(ring * sinA), static_cast<float>(y + tubeRadius * cosTheta),
             static_cast<float>(ring * cosA));
}
}  // namespace

void drawHelixTurn(float coilRadius, float tubeRadius, float height, int32_t along,
                   int32_t around, int32_t periodAlong, int32_t periodAround) {
  if (periodAlong < 1 || periodAround < 1) return;
  const int32_t strips = along + along % periodAlong;
  const int32_t segments = around + around % periodAround;
  if (strips < 1) return;

  const float stepA = meshTurn / static_cast<float>(strips);
  const float stepTheta = meshTurn / static_cast<float>(segments);
  const float rise = height / static_cast<float>(along);  // along, not strips
  float a0 = 0.0f;
  float a1 = stepA;
  for (int32_t i = 0; i < strips; ++i) {
    if (i + 1 == strips) a1 = 0.0f;  // the turn ends where it began
    const float y0 = static_cast<float>(i) * rise;
    const float y1 = static_cast<float>(i + 1) * rise;
    const int32_t phase = i % periodAlong;
    const float t0 = static_cast<float>(phase) / static_cast<float>(periodAlong);
    const float t1 = static_cast<float>(phase + 1) / static_cast<float>(periodAlong);

    glBegin(GL_QUAD_STRIP);
    float theta = 0.0f;
    for (int32_t j = 0; j <= segments; ++j) {
      if (j == segments) theta = 0.0f;
      const float s = static_cast<float>(j) / static_cast<float>(periodAround);
      emitHelixVertex(coilRadius, tubeRadius, a1, y1, theta, s, t1);
      emitHelixVertex(coilRadius, tubeRadius, a0, y0, theta, s, t0);
      theta += stepTheta;
    }
    glEnd();
    a0 += stepA;
    a1 += stepA;
  }
}

void drawHelixColumn(int32_t turns, float height, float coilRadius, float tubeRadius,
                     float along, float around) {
  const auto alongSegments = static_cast<int32_t>(along);
  const auto aroundSegments = static_cast<int32_t>(around);
  glPushMatrix();
  glTranslatef(0, -height / 2, 0);
  for (int32_t i = 0; i < turns; ++i) {
    const float turnHeight = height / static_cast<float>(turns);
    if (i > 0) glTranslatef(0, turnHeight, 0);
    drawHelixTurn(coilRadius, tubeRadius, turnHeight, alongSegments, aroundSegments,
                  alongSegments, aroundSegments);
  }
  glPopMatrix();
}
