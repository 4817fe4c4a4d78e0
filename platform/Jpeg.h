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

// Pictures larger than this on either side are refused before anything is allocated for them.
constexpr int maxJpegSide = 16384;

// Decodes a JPG file (baseline or progressive; colour, greyscale or CMYK) into RGB. A missing,
// empty, truncated, oversized or non-JPG file gives false with the reason in *why.
bool decodeJpg(const char* path, JpegPicture& picture, std::string* why);
// The same for a JPG already in memory: `size` bytes at `bytes` (null or 0 bytes count as an
// empty file). The bytes are only read, and may be freed once this returns.
bool decodeJpgBytes(const unsigned char* bytes, size_t size, JpegPicture& picture,
                    std::string* why);

// Zero-filled byte buffer, or null when the memory is not there.
std::unique_ptr<unsigned char[]> allocateZeroed(size_t bytes);
