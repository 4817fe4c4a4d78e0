#pragma once
#include "platform/Gl.h"

struct GlProcs;
struct GlowPrograms;
struct Scratch;
struct Texture;

// The glow's blur one fragment per pixel (render/GlowSources.cpp), against the caller's own
// depth buffer: the GL 1.1 blur's quads meet the caller's depth test and leave the pixels that
// fail it as copied, and these passes do the same.

// The depth buffer the caller draws with, as the passes attach it.
struct CallerDepth {
  GLint type = GL_NONE;  // GL_NONE (no depth test or no buffer), GL_RENDERBUFFER or GL_TEXTURE
  GLint name = 0;
};

// The draw framebuffer's depth attachment where the depth test is on. False where the passes
// cannot share it: the window's own depth buffer, or an attachment of another kind.
bool readCallerDepth(const GlProcs& gl, GLint drawFramebuffer, CallerDepth* depth);
// The passes, ping-ponging between the copy and the scratch texture; that is an even number,
// so the last writes into the copy. Blending is off during the passes and on again after; the
// glow's framebuffer object is left bound with nothing attached. False where it is not
// complete.
bool pixelBlur(const GlProcs& gl, const GlowPrograms& p, const Scratch& scratch,
               const Texture& target, GLuint copy, int reach, const CallerDepth& depth);
