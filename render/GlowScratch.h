#pragma once
#include "platform/Gl.h"

#include <cstdint>
#include <vector>

struct Texture;

// The textures the glow's shader passes draw into beside the target's own copy, one set per
// target size, made on first use in each context and kept for the rest of it.
struct Scratch {
  int32_t width = 0;
  int32_t height = 0;
  GLuint name = 0;  // the other half of the per-pixel blur's ping-pong, plain RGB
  GLuint packed[2] = {0, 0};  // the packed picture's ping-pong, made on first use
  GLuint unpackBuffer = 0;  // the packed result on its way into the copy, made on first use
};

// The scratch set of the target's size among `all`, made (and its plain texture left bound)
// where there is none yet.
Scratch& scratchFor(std::vector<Scratch>& all, const Texture& target);
// An unfiltered texture holding a width x height picture packed four pixels to a 128-bit texel
// (a quarter as wide), left bound, its contents undefined.
GLuint packedTexture(int32_t width, int32_t height);
