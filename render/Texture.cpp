#include "render/Texture.h"

#include "platform/Display.h"
#include "platform/Jpeg.h"
#include "platform/MessageBox.h"
#include "render/PictureScale.h"


#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>

namespace {
void reportLoadError(const char* path, const std::string& why) {
  std::fprintf(stderr, "kelvarn: %s: %s\n", path ? path : "", why.c_str());
  showMessage(path ? path : "", "Load Error");
}
}  // namespace

Texture::Texture(uint8_t count) : count(count ? count : 1) {
  names = static_cast<GLuint*>(std::calloc(this->count, sizeof(GLuint)));
  if (names) glGenTextures(this->count, names);
  else this->count = 0;
}

Texture::Texture(Texture&& other) noexcept
    : names(std::exchange(other.names, nullptr)),
      count(std::exchange(other.count, 0)),
      width(other.width),
      height(other.height),
      viewportWidth(other.viewportWidth),
      viewportHeight(other.viewportHeight),
      blendSrc(other.blendSrc),
      blendDst(other.blendDst),
      copySlot(other.copySlot),
      lightingWasOn(other.lightingWasOn) {}

Texture& Texture::operator=(Texture&& other) noexcept {
  if (this == &other) return *this;
  releaseTexture();
  names = std::exchange(other.names, nullptr);
  count = std::exchange(other.count, 0);
  width = other.width;
  height = other.height;
  viewportWidth = other.viewportWidth;
  viewportHeight = other.viewportHeight;
  blendSrc = other.blendSrc;
  blendDst = other.blendDst;
  copySlot = other.copySlot;
  lightingWasOn = other.lightingWasOn;
  return *this;
}

Texture::~Texture() { releaseTexture(); }

void Texture::releaseTexture() {
  if (!names) return;
  // At process exit the context is gone; then only the memory is given back.
  if (glContextCurrent()) glDeleteTextures(count, names);
  std::free(names);
  names = nullptr;
  count = 0;
}

void Texture::uploadPixels(int32_t width, int32_t height, GLenum internalFormat, GLenum format,
                           const unsigned char* pixels, uint8_t slot) {
  if (!names || slot >= count) return;
  glBindTexture(GL_TEXTURE_2D, names[slot]);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
  glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(internalFormat), width, height, 0, format,
               GL_UNSIGNED_BYTE, pixels);
}

void Texture::bindTexture(uint8_t slot) {
  glBindTexture(GL_TEXTURE_2D, names && slot < count ? names[slot] : 0);
  glEnable(GL_TEXTURE_2D);
}

void unbindTexture() {
  glBindTexture(GL_TEXTURE_2D, 0);
  glDisable(GL_TEXTURE_2D);
}

bool Texture::loadJpg(const char* path) {
  JpegPicture picture;
  std::string why;
  if (!decodeJpg(path, picture, &why)) {
    reportLoadError(path, why);
    return false;
  }
  GLint maxSize = 0;
  glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
  if (maxSize < 1) maxSize = 64;  // the least any GL offers
  JpgTextureImage image;
  if (!makeJpgTextureImage(picture, maxSize, image, &why)) {
    reportLoadError(path, why);
    return false;
  }
  uploadPixels(image.width, image.height, GL_RGB, GL_RGB, image.rgb.get(), 0);
  return true;
}

Texture createRenderTarget(int16_t width, int16_t height, uint8_t count) {
  width = static_cast<int16_t>(scaledTargetSide(width));
  height = static_cast<int16_t>(scaledTargetSide(height));
  Texture target(count);
  target.width = width;
  target.height = height;
  target.lightingWasOn = 0;
  target.copySlot = 0;
  target.blendSrc = GL_SRC_ALPHA;
  target.blendDst = GL_ONE_MINUS_SRC_ALPHA;
  GLint viewport[4] = {0, 0, 0, 0};
  glGetIntegerv(GL_VIEWPORT, viewport);
  target.viewportWidth = static_cast<int16_t>(viewport[2]);
  target.viewportHeight = static_cast<int16_t>(viewport[3]);
  if (width <= 0 || height <= 0) return target;  // no image to make
  std::unique_ptr<unsigned char[]> black =
      allocateZeroed(static_cast<size_t>(width) * static_cast<size_t>(height) * 3);
  if (!black) return target;
  for (int slot = 0; slot < target.count; ++slot)
    target.uploadPixels(width, height, GL_RGB, GL_RGB, black.get(), static_cast<uint8_t>(slot));
  return target;
}
