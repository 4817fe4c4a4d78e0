#pragma once
#include <cstdint>

#include "scenes/MarkerField.h"

struct Texture;

// Scene time at which the camera's look-at point reaches name k and the name starts to fade in.
extern const float greetStartTimes[greetCount];

// One greeted name: its text, the raster row it is printed at on the name page, and the part
// of the page (u, v, du, dv) its quad shows. The rectangles are tuned to the page's font.
struct GreetName {
  const char* text;
  int pageY;
  float rect[4];
};
extern const GreetName greetNames[greetCount];

// Prints every name at its row of the page in "Trebuchet MS" 40, in the current colour (start-up
// leaves it opaque white), and keeps the page.
void paintNamePage(Texture& namePage);

// The eleven names as quads cut from the name page, each on its item of the greetings path
// around the current origin. Name k is invisible up to startTimes[k] and fades in over the
// next 0.02. Draws unlit and unfogged, additively, and ends with fog switched on.
void drawGreetNames(float t, Texture& page, const float* startTimes);
