#include "render/JpgTextureImage.h"

#include "render/PictureStretch.h"

#include <cmath>
#include <cstddef>
#include <utility>

namespace {
bool fail(std::string* why, const char* reason) {
  if (why) *why = reason;
  return false;
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

bool makeJpgTextureImage(JpegPicture& picture, int maxSize, JpgTextureImage& image,
                         std::string* why) {
  const int targetWidth = jpgTextureSide(picture.width, maxSize);
  const int targetHeight = jpgTextureSide(picture.height, maxSize);
  const size_t bytes = static_cast<size_t>(targetWidth) * static_cast<size_t>(targetHeight) * 3;
  std::unique_ptr<unsigned char[]> stretched = allocateZeroed(bytes);
  std::unique_ptr<unsigned char[]> staging = allocateZeroed(bytes);
  if (!stretched || !staging) return fail(why, "out of memory");
  stretchPicture(picture.rgb.get(), picture.width, picture.height, stretched.get(), targetWidth,
                 targetHeight);
  picture.rgb.reset();
  mirrorRows(stretched.get(), targetWidth, targetHeight, staging.get());
  image.width = targetWidth;
  image.height = targetHeight;
  image.rgb = std::move(staging);
  return true;
}
