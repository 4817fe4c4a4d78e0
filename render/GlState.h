#pragma once
#include "platform/Gl.h"

#include <cstdint>

// Small fixed sequences of GL state changes the scenes use all the time. Each leaves a
// documented state behind that callers rely on; every one leaves GL_MODELVIEW current.

// Blending on with (src, dst); translucent also turns depth writes off, two-sided lighting on
// and face culling off.
void beginBlend(GLenum src, GLenum dst, bool translucent);
// Depth writes on, blending off, two-sided lighting off, face culling on: whatever came before.
void endBlend();
// true: fog off; false: fog on.
void disableFog(bool off);
// All five fog parameters; does not switch fog on.
void setFog(GLint mode, float density, float start, float end, const float* colour);
void setFogDensity(float density);
void setFogColour(float r, float g, float b, float a);
// Projection := perspective (aspect 4/3, near 1, far 5000); the modelview is kept.
void setPerspective(double fovY);
// Projection := the overlay space (render/OverlaySpace.h), near -500, far 5000.
void setOrtho();
// Clear colour := (r, g, b, a) and the colour buffer cleared; depth is kept.
void clearScreen(float r, float g, float b, float a);
// Black cinema bars (bit 1 top, bit 2 bottom) over everything. Afterwards depth test, lighting
// and texturing are on, the colour is white and the 60-degree perspective is set.
void drawLetterbox(uint8_t flags);
// Sphere-map texture-coordinate generation on S and T on or off.
void setSphereMap(bool on);
// Whether a sphere of this radius about the current modelview origin lies wholly outside the
// view volume, with a margin of a few pixels all round (smooth lines reach past their ends),
// so that drawing it could not touch a pixel. Always false while the GL 1.1 reference path is
// forced: the reference draws everything, as the original did.
bool sphereOutOfView(float radius);
