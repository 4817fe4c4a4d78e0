#pragma once
#include <cstdint>

// Procedural meshes emitted in immediate mode, meant to be compiled into display lists once.
// Every angle is a float built from the turn 6.283185 by repeated addition of a float step;
// loops that must close set their closing angle to exactly 0. The tori lie in the x-z plane
// around the y axis, centred on the origin.

constexpr float meshTurn = 6.283185f;

struct Point3 {
  float x = 0.0f;
  float y = 0.0f;
  float z = 0.0f;
};

// destination := source scaled to unit length (the two may be the same vector). A zero vector
// stays zero.
void normalize(const float* source, float* destination);

// Fills count points of a circle of the given radius, the last closing on the first (count - 1
// segments). (fx, fy, fz) = (1, 0, 1) gives x = radius cos, y = 0, z = radius sin. With fx and
// fy both different from 1, or a count below 2, nothing is written.
void makeCirclePoints(Point3* points, int32_t count, float radius, float fx, float fy, float fz);

// A textured torus of ring radius R and tube radius r from quad strips, outside facing front.
// The texture repeats every vPeriod ring segments and every uDivisor tube segments; counts that
// are not multiples grow by their remainder. Counts, period or divisor below 1 draw nothing.
void drawTorus(float R, float r, int32_t ringSegments, int32_t tubeSegments, int32_t vPeriod,
               int32_t uDivisor);

// An untextured torus whose tube is bandExtra thicker on the last (period - plainCount) segments
// of every period, with flat annular steps where the thickness changes. Counts or a period below
// 1 draw nothing.
void drawBandedTorus(float R, float r, float bandExtra, int32_t ringSegments,
                     int32_t tubeSegments, int32_t period, int32_t plainCount);
