#include "platform/Glyphs.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

// Text from the system's own fonts through GDI: the font mapper picks the face, and each glyph
// comes out of GetGlyphOutline as a monochrome bitmap, which is copied into the same bitmaps
// the other systems make.

namespace {

// A font selected into a memory device context, released with it.
struct SelectedFont {
  HDC dc = nullptr;
  HFONT font = nullptr;
  HGDIOBJ previous = nullptr;

  explicit SelectedFont(const FontRequest& request) {
    const int32_t pixels = glyphPixelHeight(request.height);
    LOGFONTA lf{};
    // GDI reads a negative height as the character (em) height, a positive one as the cell's.
    lf.lfHeight = request.height < 0 ? pixels : -pixels;
    lf.lfWeight = request.weight <= 0 ? FW_NORMAL : std::min<int32_t>(request.weight, 1000);
    lf.lfItalic = request.italic ? TRUE : FALSE;
    lf.lfUnderline = request.underline ? TRUE : FALSE;
    lf.lfCharSet = ANSI_CHARSET;
    lf.lfOutPrecision = OUT_TT_PRECIS;
    lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    lf.lfQuality = NONANTIALIASED_QUALITY;
    lf.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
    std::strncpy(lf.lfFaceName, request.family.c_str(), LF_FACESIZE - 1);
    dc = CreateCompatibleDC(nullptr);
    font = CreateFontIndirectA(&lf);
    if (dc && font) previous = SelectObject(dc, font);
  }
  ~SelectedFont() {
    if (dc && previous) SelectObject(dc, previous);
    if (font) DeleteObject(font);
    if (dc) DeleteDC(dc);
  }
  SelectedFont(const SelectedFont&) = delete;
  SelectedFont& operator=(const SelectedFont&) = delete;

  bool ready() const { return dc && font && previous; }
};

// The underline stroke the font asks for, at least one pixel thick. The glyph outlines do not
// carry the underline a font was made with, so it is drawn in here, across each advance.
Underline underlineOf(HDC dc) {
  Underline line;
  line.bottom = -1;
  line.thickness = 1;
  UINT size = GetOutlineTextMetricsA(dc, 0, nullptr);
  if (size == 0) return line;
  std::vector<unsigned char> buffer(size);
  auto* metrics = reinterpret_cast<OUTLINETEXTMETRICA*>(buffer.data());
  if (GetOutlineTextMetricsA(dc, size, metrics) == 0) return line;
  // The position is the top of the stroke, counted up from the baseline.
  line.thickness = std::max<int32_t>(int32_t(metrics->otmsUnderscoreSize), 1);
  line.bottom = int32_t(metrics->otmsUnderscorePosition) - line.thickness;
  return line;
}

GlyphBitmap renderGlyph(HDC dc, UINT code, const Underline& underline) {
  static const MAT2 identity = {{0, 1}, {0, 0}, {0, 0}, {0, 1}};
  GLYPHMETRICS gm{};
  DWORD size = GetGlyphOutlineW(dc, code, GGO_BITMAP, &gm, 0, nullptr, &identity);
  std::vector<unsigned char> bits(size == GDI_ERROR ? 0 : size);
  if (size == GDI_ERROR || size == 0 ||
      GetGlyphOutlineW(dc, code, GGO_BITMAP, &gm, size, bits.data(), &identity) == GDI_ERROR) {
    // A blank glyph (the space) may give no bitmap and no metrics: only its advance counts.
    size = 0;
    gm = GLYPHMETRICS{};
    if (GetGlyphOutlineW(dc, code, GGO_METRICS, &gm, 0, nullptr, &identity) == GDI_ERROR) {
      INT width = 0;
      if (!GetCharWidth32W(dc, code, code, &width)) return GlyphBitmap{};
      gm.gmCellIncX = static_cast<short>(width);
    }
  }
  // A blank glyph reports a 1 x 1 box but has no bitmap.
  const int32_t width = size > 0 ? int32_t(gm.gmBlackBoxX) : 0;
  const int32_t rows = size > 0 ? int32_t(gm.gmBlackBoxY) : 0;
  const int32_t left = gm.gmptGlyphOrigin.x, top = gm.gmptGlyphOrigin.y;
  const size_t stride = (size_t(width) + 31) / 32 * 4;  // rows padded to 32 bits, top row first

  const bool complete = stride * size_t(rows) <= bits.size();
  return composeGlyph(gm.gmCellIncX, left, top, width, rows, underline,
                      [&bits, stride, complete](int32_t x, int32_t row) {
                        return complete &&
                               (bits[size_t(row) * stride + size_t(x) / 8] & (0x80 >> (x & 7)));
                      });
}

}  // namespace

// Windows has the show's faces itself; fontconfig's aliases are for the other systems.
bool loadFontAliases(const char*) { return true; }

FontMatch findFont(const FontRequest& request) {
  FontMatch match;
  SelectedFont selected(request);
  char face[LF_FACESIZE] = {0};
  if (!selected.ready() || GetTextFaceA(selected.dc, LF_FACESIZE, face) == 0) {
    match.substituted = true;
    return match;
  }
  match.family = face;
  match.file = face;  // GDI names no file; the face it chose stands for it
  match.substituted = lstrcmpiA(face, request.family.c_str()) != 0;
  return match;
}

std::vector<GlyphBitmap> renderGlyphs(const FontRequest& request, const FontMatch& match,
                                      int32_t first, int32_t count) {
  std::vector<GlyphBitmap> glyphs(size_t(std::max<int32_t>(count, 0)));
  SelectedFont selected(request);
  if (match.file.empty() || !selected.ready()) {
    std::fprintf(stderr, "kelvarn: no font for \"%s\"; its text stays blank\n",
                 request.family.c_str());
    return glyphs;
  }
  drawnPixelHeight(request);  // warns when the height cannot be had
  Underline underline = request.underline ? underlineOf(selected.dc) : Underline{};
  for (int32_t i = 0; i < count; ++i)
    glyphs[size_t(i)] = renderGlyph(selected.dc, UINT(first + i), underline);
  return glyphs;
}
