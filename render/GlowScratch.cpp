#include "render/GlowScratch.h"

#include "render/Texture.h"

namespace {
// An unfiltered texture of the given size and format, left bound, its contents undefined.
GLuint nearestTexture(int32_t width, int32_t height, GLint internalFormat, GLenum format,
                      GLenum type) {
  GLuint name = 0;
  glGenTextures(1, &name);
  glBindTexture(GL_TEXTURE_2D, name);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexImage2D(GL_TEXTURE_2D, 0, internalFormat, width, height, 0, format, type, nullptr);
  return name;
}

GLuint plainTexture(int32_t width, int32_t height) {
  return nearestTexture(width, height, GL_RGB8, GL_RGB, GL_UNSIGNED_BYTE);
}
}  // namespace

GLuint packedTexture(int32_t width, int32_t height) {
  return nearestTexture(width / 4, height, GL_RGBA32UI, GL_RGBA_INTEGER, GL_UNSIGNED_INT);
}

Scratch& scratchFor(std::vector<Scratch>& all, const Texture& target) {
  for (Scratch& s : all)
    if (s.width == target.width && s.height == target.height) return s;
  Scratch s;
  s.width = target.width;
  s.height = target.height;
  s.name = plainTexture(s.width, s.height);
  all.push_back(s);
  return all.back();
}
