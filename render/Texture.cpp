#include "render/Texture.h"

#include "platform/Jpeg.h"
#include "platform/MessageBox.h"

#include <GL/glu.h>
#include <SDL.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>

namespace {
void reportLoadError(const char* path, const std::string& why) {
  std::fprintf(stderr, "kelvarn: %s: %s\n", path ? path : "", why.c_str());
  showMessage(path ? path : "", "Load Error");
}

// Stretches the whole picture to width x height with GLU, reading and writing packed rows.
bool stretchPicture(const JpegPicture& picture, int width, int height, unsigned char* out) {
  glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
  glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
  glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glPixelStorei(GL_PACK_ROW_LENGTH, 0);
  glPixelStorei(GL_PACK_SKIP_ROWS, 0);
  glPixelStorei(GL_PACK_SKIP_PIXELS, 0);
  const GLint result = gluScaleImage(GL_RGB, picture.width, picture.height, GL_UNSIGNED_BYTE,
                                     picture.rgb.get(), width, height, GL_UNSIGNED_BYTE, out);
  glPopClientAttrib();
  return result == 0;
}

// Texture rows keep the picture's top row first; each row runs from its rightmost pixel.
void mirrorRows(const unsigned char* in, int width, int height, unsigned char* out) {
  for (int y = 0; y < height; ++y) {
    const unsigned char* row = in + static_cast<size_t>(y) * width * 3;
    unsigned char* target = out + static_cast<size_t>(y) * width * 3;
    for (int x = 0; x < width; ++x) {
      const unsigned char* pixel = row + static_cast<size_t>(width - 1 - x) * 3;
      target[x * 3 + 0] = pixel[0];
      target[x * 3 + 1] = pixel[1];
      target[x * 3 + 2] = pixel[2];
    }
  }
}
}  // namespace

int jpgTextureSide(int side, int maxSize) {
  if (side > maxSize) return maxSize;
  const int power = static_cast<int>(std::floor(std::log(static_cast<double>(side)) /
                                                    std::log(2.0) + 0.5));
  const int rounded = 1 << power;
  return rounded > maxSize ? maxSize : rounded;
}

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
  if (SDL_GL_GetCurrentContext()) glDeleteTextures(count, names);
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
  const int targetWidth = jpgTextureSide(picture.width, maxSize);
  const int targetHeight = jpgTextureSide(picture.height, maxSize);
  const size_t bytes = static_cast<size_t>(targetWidth) * static_cast<size_t>(targetHeight) * 3;
  std::unique_ptr<unsigned char[]> stretched = allocateZeroed(bytes);
  std::unique_ptr<unsigned char[]> staging = allocateZeroed(bytes);
  if (!stretched || !staging) {
    reportLoadError(path, "out of memory");
    return false;
  }
  if (!stretchPicture(picture, targetWidth, targetHeight, stretched.get())) {
    reportLoadError(path, "cannot scale the picture");
    return false;
  }
  picture.rgb.reset();
  mirrorRows(stretched.get(), targetWidth, targetHeight, staging.get());
  stretched.reset();
  uploadPixels(targetWidth, targetHeight, GL_RGB, GL_RGB, staging.get(), 0);
  return true;
}

Texture createRenderTarget(int16_t width, int16_t height, uint8_t count) {
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
