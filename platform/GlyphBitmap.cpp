#include "platform/Glyphs.h"

#include <algorithm>
#include <cstdio>

// What both systems' glyph drawing share.

namespace {
const int32_t largestHeight = 1024;  // keeps a silly request from asking for huge bitmaps
const int32_t defaultHeight = 16;    // what a height of 0 gets

// A box of pixels in pen coordinates, x0 <= x < x1, y0 <= y < y1.
struct PixelBox {
  int32_t x0 = 0, y0 = 0, x1 = 0, y1 = 0;

  bool isEmpty() const { return x0 >= x1 || y0 >= y1; }
  void include(const PixelBox& other) {
    if (other.isEmpty()) return;
    if (isEmpty()) {
      *this = other;
      return;
    }
    x0 = std::min(x0, other.x0);
    y0 = std::min(y0, other.y0);
    x1 = std::max(x1, other.x1);
    y1 = std::max(y1, other.y1);
  }
};

void setLit(GlyphBitmap& glyph, int32_t x, int32_t y) {
  int32_t column = x - glyph.left;
  int32_t row = y - glyph.bottom;
  glyph.bits[size_t(row) * glyph.rowBytes() + column / 8] |= 0x80 >> (column & 7);
}
}  // namespace

int32_t glyphPixelHeight(int32_t height) {
  int64_t pixels = height < 0 ? -int64_t(height) : int64_t(height);
  if (pixels == 0) return defaultHeight;
  return static_cast<int32_t>(std::min<int64_t>(pixels, largestHeight));
}

int32_t drawnPixelHeight(const FontRequest& request) {
  const int32_t pixels = glyphPixelHeight(request.height);
  if (pixels != request.height && pixels != -int64_t(request.height))
    std::fprintf(stderr, "kelvarn: font \"%s\" cannot have height %d; using %d pixels\n",
                 request.family.c_str(), int(request.height), int(pixels));
  return pixels;
}

bool GlyphBitmap::isLit(int32_t x, int32_t y) const {
  int32_t column = x - left, row = y - bottom;
  if (column < 0 || column >= width || row < 0 || row >= rows) return false;
  return bits[size_t(row) * rowBytes() + column / 8] & (0x80 >> (column & 7));
}

GlyphBitmap composeGlyph(int32_t advance, int32_t left, int32_t top, int32_t width, int32_t rows,
                         const Underline& underline,
                         const std::function<bool(int32_t x, int32_t row)>& inked) {
  GlyphBitmap glyph;
  glyph.advance = advance;
  PixelBox box{left, top - rows, left + width, top};
  PixelBox stroke{0, underline.bottom, advance, underline.bottom + underline.thickness};
  PixelBox all;
  all.include(box);
  all.include(stroke);
  glyph.left = all.x0;
  glyph.bottom = all.y0;
  glyph.width = all.x1 - all.x0;
  glyph.rows = all.y1 - all.y0;
  glyph.bits.assign(size_t(glyph.rowBytes()) * size_t(glyph.rows), 0);
  for (int32_t row = 0; row < rows; ++row)
    for (int32_t x = 0; x < width; ++x)
      if (inked(x, row)) setLit(glyph, left + x, top - 1 - row);
  for (int32_t y = stroke.y0; y < stroke.y1; ++y)
    for (int32_t x = stroke.x0; x < stroke.x1; ++x) setLit(glyph, x, y);
  return glyph;
}
