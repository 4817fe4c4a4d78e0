// Fuzz target for picture loading: the bytes of a file go through what Texture::loadJpg does
// with them up to the upload (decode, texture size, stretch and row order), with a GL whose
// largest texture is 2048. Besides the sanitizers' findings, a broken promise of either step
// aborts: a decoded picture outside 1..maxJpegSide a side or over maxJpegPixels, a texture of
// the wrong size, or a decodable picture that cannot be stretched.
#include "platform/Jpeg.h"
#include "render/JpgTextureImage.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {
constexpr int maxTextureSide = 2048;

[[noreturn]] void broken(const char* promise, const std::string& detail) {
  std::fprintf(stderr, "jpeg_fuzzer: %s (%s)\n", promise, detail.c_str());
  std::abort();
}

bool isPowerOfTwo(int n) { return n > 0 && (n & (n - 1)) == 0; }
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  JpegPicture picture;
  std::string why;
  if (!decodeJpgBytes(data, size, picture, &why)) {
    if (why.empty()) broken("a refused picture gives a reason", "");
    if (picture.rgb || picture.width || picture.height)
      broken("a refused picture leaves the result untouched", why);
    return 0;
  }
  const std::string sides = std::to_string(picture.width) + " x " + std::to_string(picture.height);
  if (picture.width < 1 || picture.height < 1 || picture.width > maxJpegSide ||
      picture.height > maxJpegSide ||
      static_cast<long long>(picture.width) * picture.height > maxJpegPixels || !picture.rgb)
    broken("a decoded picture has 1..maxJpegSide pixels a side, maxJpegPixels at most", sides);

  const int wantWidth = jpgTextureSide(picture.width, maxTextureSide);
  const int wantHeight = jpgTextureSide(picture.height, maxTextureSide);
  if (!isPowerOfTwo(wantWidth) || !isPowerOfTwo(wantHeight))
    broken("texture sides are powers of two", sides);

  JpgTextureImage image;
  if (!makeJpgTextureImage(picture, maxTextureSide, image, &why))
    broken("a decoded picture can be stretched", sides + ": " + why);
  if (image.width != wantWidth || image.height != wantHeight || !image.rgb || picture.rgb)
    broken("the texture image has the texture size and the picture is freed", sides);

  // Read every texel, so a short buffer would show.
  unsigned sum = 0;
  const size_t bytes = static_cast<size_t>(image.width) * static_cast<size_t>(image.height) * 3;
  for (size_t i = 0; i < bytes; ++i) sum += image.rgb[i];
  volatile unsigned sink = sum;
  (void)sink;
  return 0;
}
