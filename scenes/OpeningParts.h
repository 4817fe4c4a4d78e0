#pragma once
// The opening's own drawing pieces and the state its frames move, open to its tests.
#include <cstdint>

struct Texture;

// One tile of the flip grid: centre in the 800 x 600 overlay space, turn in degrees, axis.
struct TileRecord {
  float x = 0;
  float y = 0;
  float angle = 0;
  float axisX = 0;
  float axisY = 1;
  float axisZ = 0;
};

constexpr int tileColumns = 10;
constexpr int tileRows = 8;
constexpr int tileCount = tileColumns * tileRows;
constexpr int tilePairs = tileCount / 2;
constexpr int wipeBars = 20;

// How far the view direction tilts in a shake.
struct ShakeOffset {
  float x = 0;
  float y = 0;
};

// The phase (1..7) the opening is in at t; every upper bound is exclusive.
int openingPhase(float t);
// (0, 0) unless t lies strictly inside one of the phase's shake windows.
ShakeOffset shakeOffset(int phase, float t);
// Turns every tile whose start lies before t: tile k of the first half forwards, its mirror
// tile 79 - k backwards. A tile that has passed the half turn is pinned to it one frame later.
void advanceTiles(TileRecord* tiles, const float* tileStartTimes, float t);

// A flat disc of segments triangles around the origin in the z = 0 plane.
void drawDisc(float radius, int32_t segments);
// A box whose front and back show one cell of a 10 x 8 grid of the textures, turned by 180
// degrees; either texture may be null.
void drawTileBox(float width, float height, float depth, float cellU, float cellV,
                 Texture* frontTexture, Texture* backTexture);
// Twenty black bars sliding in from alternate sides; grows the bars' lengths to t.
void drawStripeWipe(float t, const float* starts, float* lengths);

// The scene's tiles as the last frame left them (row-major, row 0 at the top, column 0 at the
// right).
const TileRecord* openingTiles();
