#pragma once
#include "platform/Gl.h"

struct GlProcs;
struct GlowPrograms;
struct Scratch;

// The glow's blur on the picture packed four pixels to a texel (render/GlowSources.cpp): the
// copy packed, the passes ping-ponging between the two packed textures, the result unpacked
// into the copy (through a pixel buffer, or without a fixed pipeline by one more pass), with the
// same bytes as a pass per pixel. Only where the caller's depth test
// passes at every pixel, since these passes have no depth buffer. Blending is off during the
// passes and on again after; the glow's framebuffer object is left bound, with no depth
// attachment, and the viewport is put back. False where that framebuffer is not complete.
bool packedBlur(const GlProcs& gl, const GlowPrograms& p, Scratch& scratch, GLuint copy,
                int reach);
