#pragma once
#include "platform/Gl.h"
#include "render/Texture.h"

#include <cstdint>

// The glow's blur and its repeated additive overlays done with GLSL where the context offers
// shaders and framebuffer objects: the same pictures as the GL 1.1 sequence of Glow.cpp, with
// every 8-bit blend and copy rounded as the blender rounds it, in far fewer pixel writes.
// Each call is made from inside the matching GL 1.1 routine, with that routine's state already
// set, and leaves exactly that state behind. Each returns false, having changed nothing, where
// the shader path cannot stand in (no GLSL, the GL 1.1 path forced, or drawing state the
// shaders would not honour, such as texture-coordinate generation or a scissor); the caller
// then draws the GL 1.1 way. Both paths take the blur's schedule (render/BlurSchedule.h) and
// the overlay space's quad (render/OverlaySpace.h) from below them.
//
// Behind these calls, a file to each job: the GLSL (GlowSources), the programs built once per
// context (GlowPrograms), the scratch textures (GlowScratch), the checks of the caller's state
// (GlowChecks), the packed blur (PackedBlur) and the blur one pixel at a time against the
// caller's depth buffer (PixelBlur).

// The blur passes of captureGlow on `copy` (the target's copy texture, bound, holding the
// frame-buffer copy), reaching 2, 4, 8 or 16 units. Blending is on with the blur's pair,
// texturing on, the overlay projection and an identity modelview loaded, the viewport the
// target's size. Where the caller's depth test passes at every pixel (or is off), and the
// context has integer textures (GL 3.0), the passes run on the picture packed four pixels to a
// texel, a quarter of the fragments, with the same bytes as a pass per pixel.
bool blurWithShaders(const Texture& target, GLuint copy, int reach);
// `count` >= 2 equal overlay quads at `alpha` with the target's additive blend pair (source
// factor GL_SRC_ALPHA or GL_ONE, destination GL_ONE), drawn as one quad.
bool overlayWithShaders(const Texture& target, float alpha, int8_t count);
// True when the current context runs the shader path at all (the programs built).
bool glowShadersAvailable();
// The one hook into the blur's choice of route, for checking that its two shader routes give
// the same bytes; the show leaves it as it is. blurWithShaders reads packedAllowed and records
// how it ran in last: not at all (the GL 1.1 path drew), one fragment per pixel (the caller's
// depth test failing somewhere), or on the picture packed four pixels to a texel.
enum class BlurRoute { None, PerPixel, Packed };
struct BlurRouteHook {
  bool packedAllowed = true;  // false: always pixel by pixel (the same bytes)
  BlurRoute last = BlurRoute::None;
};
BlurRouteHook& blurRouteHook();
