#pragma once

// A translucent quad of (r, g, b) at alpha over the whole screen, drawn in the overlay space
// without writing depth; leaves the 60-degree perspective set and blending off.
void drawScreenFade(float r, float g, float b, float alpha);
