#pragma once
#include <cstddef>
#include <memory>
#include <string>

// A decoded picture: 8-bit RGB, rows top first, pixels left to right, no row padding.
struct JpegPicture {
  int width = 0;
  int height = 0;
  std::unique_ptr<unsigned char[]> rgb;
};

// Pictures larger than this on either side, or with more pixels than the second limit (8192 x
// 8192), are refused before anything is allocated for them. A JPG of a few hundred bytes can
// declare and really hold a picture of 16384 x 16384 (arithmetic coding packs a plain picture
// into almost nothing); decoding and stretching that takes 2.5 GB and more. Within the pixel
// limit a load peaks at about 1.4 GB, and that only where GL takes 8192 x 8192 textures.
constexpr int maxJpegSide = 16384;
constexpr long long maxJpegPixels = 8192LL * 8192;

// Decodes a JPG file (baseline or progressive; colour, greyscale or CMYK) into RGB. A missing,
// empty, truncated, oversized or non-JPG file gives false with the reason in *why. Stray bytes
// between two marker segments are skipped, as other decoders skip them; anything else the
// decoder warns about (a scan cut short, corrupt or longer than its picture) is refused.
bool decodeJpg(const char* path, JpegPicture& picture, std::string* why);
// The same for a JPG already in memory: `size` bytes at `bytes` (null or 0 bytes count as an
// empty file). The bytes are only read, and may be freed once this returns.
bool decodeJpgBytes(const unsigned char* bytes, size_t size, JpegPicture& picture,
                    std::string* why);

// Zero-filled byte buffer, or null when the memory is not there.
std::unique_ptr<unsigned char[]> allocateZeroed(size_t bytes);
