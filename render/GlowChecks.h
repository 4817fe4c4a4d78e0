#pragma once
#include "platform/Gl.h"

struct GlProcs;
struct Texture;

// What the glow's shader path checks of the caller's GL state before standing in for the
// GL 1.1 passes; none of them changes any state.

// False where drawing state is set that the fixed pipeline applies to a textured quad and the
// shaders would not (texture-coordinate generation, a scissor, fog that would touch the quads,
// feedback, ...): the GL 1.1 path draws then.
bool plainTexturedDrawing(const GlProcs& gl);
// Whether the bound copy texture is a linear, repeating RGB one, as the scratch textures
// assume.
bool copyIsPlainRgb(GLuint copy);
// Whether the blur's quad at the overlay plane passes the caller's depth test at every pixel
// of the target (counted with the occlusion query, nothing drawn): then no pixel is left as
// copied, and the packed passes, which have no depth buffer, give the same picture.
bool quadPassesEverywhere(const GlProcs& gl, GLuint query, const Texture& target);
