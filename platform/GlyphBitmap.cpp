#include "platform/Glyphs.h"

#include <algorithm>

// What both systems' glyph drawing share.

namespace {
const int32_t largestHeight = 1024;  // keeps a silly request from asking for huge bitmaps
const int32_t defaultHeight = 16;    // what a height of 0 gets
}  // namespace

int32_t glyphPixelHeight(int32_t height) {
  int64_t pixels = height < 0 ? -int64_t(height) : int64_t(height);
  if (pixels == 0) return defaultHeight;
  return static_cast<int32_t>(std::min<int64_t>(pixels, largestHeight));
}

bool GlyphBitmap::isLit(int32_t x, int32_t y) const {
  int32_t column = x - left, row = y - bottom;
  if (column < 0 || column >= width || row < 0 || row >= rows) return false;
  return bits[size_t(row) * rowBytes() + column / 8] & (0x80 >> (column & 7));
}
