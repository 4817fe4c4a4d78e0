#include "geometry/Meshes.h"

#include "platform/Gl.h"

#include <cmath>

namespace {
// Point of the tube of radius rho at ring angle phi and tube angle theta.
// Sines and cosines are taken in double precision of the float angles.
Point3 tubePoint(float R, float rho, float phi, float theta) {
  const double ring = R + rho * std::sin(double{theta});
  return {static_cast<float>(ring * std::sin(double{phi})),
          static_cast<float>(rho * std::cos(double{theta})),
          static_cast<float>(ring * std::cos(double{phi}))};
}

// Normal and vertex of the tube point; the normal points away from the tube's centre line.
void emitTubeVertex(float R, float rho, float phi, float theta) {
  const double sinTheta = std::sin(double{theta});
  float offset[3] = {static_cast<float>(rho * sinTheta * std::sin(double{phi})),
                     static_cast<float>(rho * std::cos(double{theta})),
                     static_cast<float>(rho * sinTheta * std::cos(double{phi}))};
  normalize(offset, offset);
  glNormal3fv(offset);
  const Point3 p = tubePoint(R, rho, phi, theta);
  glVertex3f(p.x, p.y, p.z);
}

void emitPoint(const Point3& p) { glVertex3f(p.x, p.y, p.z); }

// A count that is not a multiple of its period grows by the remainder (50 by 3 gives 52).
int32_t growByRemainder(int32_t count, int32_t period) {
  const int32_t remainder = count % period;
  return remainder != 0 ? count + remainder : count;
}
}  // namespace

void normalize(const float* source, float* destination) {
  const double x = source[0], y = source[1], z = source[2];
  const double length = std::sqrt(x * x + y * y + z * z);
  if (length == 0.0) {
    destination[0] = destination[1] = destination[2] = 0.0f;
    return;
  }
  const double k = 1.0 / length;
  destination[0] = static_cast<float>(x * k);
  destination[1] = static_cast<float>(y * k);
  destination[2] = static_cast<float>(z * k);
}

void makeCirclePoints(Point3* points, int32_t count, float radius, float fx, float fy, float fz) {
  if (count < 2 || (fx != 1.0f && fy != 1.0f)) return;
  const float step = meshTurn / static_cast<float>(count - 1);
  float angle = 0.0f;
  for (int32_t k = 0; k < count; ++k) {
    const float sinPart = static_cast<float>(radius * std::sin(double{angle}));
    const float cosPart = static_cast<float>(radius * std::cos(double{angle}));
    if (fx == 1.0f)
      points[k] = {cosPart, fy * sinPart, fz * sinPart};
    else
      points[k] = {fx * sinPart, cosPart, fz * sinPart};
    angle += step;
  }
}

void drawTorus(float R, float r, int32_t ringSegments, int32_t tubeSegments, int32_t vPeriod,
               int32_t uDivisor) {
  if (ringSegments < 1 || tubeSegments < 1 || vPeriod < 1 || uDivisor < 1) return;
  const int32_t n = growByRemainder(ringSegments, vPeriod);
  const int32_t m = growByRemainder(tubeSegments, uDivisor);
  const float dPhi = meshTurn / static_cast<float>(n);
  const float dTheta = meshTurn / static_cast<float>(m);
  const float du = 1.0f / static_cast<float>(uDivisor);
  const float dv = 1.0f / static_cast<float>(vPeriod);

  float phi0 = 0.0f, phi1 = dPhi, vCur = 0.0f, vNext = dv;
  for (int32_t i = 0; i < n; ++i) {
    if (i == n - 1) phi1 = 0.0f;  // the last strip closes on the first
    const int32_t q = (i + 1) % vPeriod;
    if (q == 0) vNext = 1.0f;

    glBegin(GL_QUAD_STRIP);
    float theta = 0.0f, u = 0.0f;
    for (int32_t j = 0; j <= m; ++j) {
      if (j == m) theta = 0.0f;  // the strip closes around the tube
      glTexCoord2f(u, vNext);
      emitTubeVertex(R, r, phi1, theta);
      glTexCoord2f(u, vCur);
      emitTubeVertex(R, r, phi0, theta);
      theta += dTheta;
      u += du;
    }
    glEnd();

    phi0 += dPhi;
    phi1 += dPhi;
    vCur += dv;
    vNext += dv;
    if (q == 0) {
      vCur = 0.0f;
      vNext = dv;
    }
  }
}

void drawBandedTorus(float R, float r, float bandExtra, int32_t ringSegments,
                     int32_t tubeSegments, int32_t period, int32_t plainCount) {
  if (ringSegments < 1 || tubeSegments < 1 || period < 1) return;
  const float dPhi = meshTurn / static_cast<float>(ringSegments);
  const float dTheta = meshTurn / static_cast<float>(tubeSegments);
  float stepA = 0.0f, stepB = 0.0f;  // the annulus' two radii above r
  float phi0 = 0.0f, phi1 = dPhi;

  // One strip more than segments: the last retraces the first and closes the last collar.
  for (int32_t i = 0; i <= ringSegments; ++i) {
    const int32_t m = i % period;
    const bool thick = plainCount <= m;
    const float rho = thick ? r + bandExtra : r;
    if (m == plainCount) {
      stepA = 0.0f;
      stepB = bandExtra;
    } else if (thick && m == 0) {
      stepA = bandExtra;
      stepB = 0.0f;
    }
    if (i + 1 == ringSegments) phi1 = 0.0f;

    glBegin(GL_QUAD_STRIP);
    float theta = 0.0f;
    for (int32_t j = 0; j <= tubeSegments; ++j) {
      if (j == tubeSegments) theta = 0.0f;
      emitTubeVertex(R, rho, phi1, theta);
      emitTubeVertex(R, rho, phi0, theta);
      theta += dTheta;
    }
    glEnd();

    // The step where the thickness changes: an annulus at phi0 that keeps the tube's last
    // normal, (0, 1, 0). Its angles carry on from the tube loop and close through exactly 0.
    if (m == plainCount || m == 0) {
      const float firstRadius = r + (m == plainCount ? stepB : stepA);
      const float secondRadius = r + (m == plainCount ? stepA : stepB);
      glBegin(GL_QUAD_STRIP);
      for (int32_t k = 0; k < tubeSegments + 2; ++k) {
        if (k == tubeSegments) theta = 0.0f;
        emitPoint(tubePoint(R, firstRadius, phi0, theta));
        emitPoint(tubePoint(R, secondRadius, phi0, theta));
        theta += dTheta;
      }
      glEnd();
    }

    phi0 += dPhi;
    phi1 += dPhi;
  }
}
