#pragma once
#include "platform/Gl.h"
#include "render/Texture.h"

#include <cstdint>

// The glow pass: a render-target Texture that copies the lower-left corner of the frame buffer,
// blurs it by drawing the copy over itself with growing shifts, and lays it over the screen.
//
// A frame: target.beginCapture(0, 0, 0, 1); draw the glowing parts; captureGlow(target, 4);
// draw the scene; setOverlayBlend(target, GL_SRC_ALPHA, GL_ONE); overlayGlow(target, 1, 3).
//
// The overlays leave texturing and blending off, depth writes on, the 60-degree perspective
// loaded and the modelview at identity. Once any of them found lighting on, every later call
// on that target ends with lighting on (lightingWasOn).

// How far each layer of a trail crops further in, as fractions of the texture's side;
// negative values widen the crop on that side.
struct TrailInsets {
  float left = 0;
  float right = 0;
  float top = 0;
  float bottom = 0;
};

// The blend pair the overlays use; nothing else changes.
void setOverlayBlend(Texture& target, GLenum src, GLenum dst);
// Copies the frame buffer's lower-left width x height into the target; level 1..4 blurs it
// with shifts up to 2, 4, 8 or 16 units, any other level keeps a plain snapshot. Then the
// screen is cleared (colour and depth), the full viewport put back and the modelview reset.
void captureGlow(Texture& target, uint8_t level);
// The target over the whole screen `count` times at `alpha` with the stored blend pair; the
// colour is left white.
void overlayGlow(Texture& target, float alpha, int8_t count);
void overlayGlowOnce(Texture& target, float alpha);
// `count` layers, each cropped one inset further in, with alpha stepping from alphaStart
// towards alphaEnd (the last layer is one step short). Equal alphas draw nothing and change
// nothing. The colour keeps the last layer's alpha.
void overlayGlowTrail(Texture& target, float alphaStart, float alphaEnd, int8_t count,
                      TrailInsets insets);
