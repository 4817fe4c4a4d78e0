#pragma once
#include <cstdint>

struct Texture;

// The greetings path: eleven items on a zig-zag in the z = 0 plane. The offsets are relative,
// applied one after another, so item k stands at the sum of offsets 0..k. The markers of the
// greetings and of the end scroller and the greeted names all hang on it.
constexpr int32_t greetCount = 11;
extern const float greetOffsets[greetCount][3];

// Grey level of the marker rings at scene time t: up from black to 0.2 over the first fifth,
// down to black again between 0.61 and 0.7.
float markerGrey(float t);

// Markers first .. end - 1 of the path (first raised to 0, end lowered to 11), each a spinning
// ring with its cyan lens, facing +z, the texture bound on every one. A field starting at
// item first begins with offset first from the current origin. Nothing but a matrix push and
// pop for first >= end.
void drawMarkerField(float t, int32_t first, int32_t end, Texture& texture);

// The whole path once around the names plus three partial copies placed elsewhere.
void drawMarkerGroups(float t, Texture& texture);
