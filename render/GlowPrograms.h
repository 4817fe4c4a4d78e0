#pragma once
#include "platform/Gl.h"
#include "render/GlowScratch.h"

#include <vector>

struct GlProcs;

// The glow's shader programs and what they draw with, built once for each context (a context
// seen for the first time drops whatever was made in an earlier one, which went with it).

// One pass program of the packed blur and where its uniforms are.
struct PassProgram {
  GLuint name = 0;
  GLint picture = -1, size = -1, whole = -1, part = -1, reach = -1;
};

struct GlowPrograms {
  unsigned context = 0;  // the context these belong to
  bool ready = false;
  GLuint blur = 0;
  GLuint overlay = 0;
  GLuint framebuffer = 0;
  GLint blurPicture = -1, blurSize = -1, blurStep = -1, blurWhole = -1, blurPart = -1,
        blurReach = -1;
  GLint overlayPicture = -1, overlayWeight = -1, overlayCount = -1;
  bool packedReady = false;  // the packed blur's programs and query
  // The passes along a row for each alignment, and for shifts of under four pixels; the passes
  // up a column, and for shifts of under one row; the first pass, straight from the copy; the
  // result drawn back into the copy (only without the fixed pipeline).
  PassProgram pack, across[4], acrossNear[4], down, downNear, first, unpack;
  GLuint query = 0;
  std::vector<Scratch> scratch;
};

// The programs of the current context, built on first use, and its calls in *procs; nullptr
// where there are none (no context, no GLSL, the GL 1.1 path forced, or a program that does
// not build, which is reported once on stderr).
GlowPrograms* currentGlowPrograms(const GlProcs** procs);
