// Linux and the browser: FreeType draws the glyphs of the face that was found.
#include "platform/Glyphs.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SYNTHESIS_H

#include <algorithm>
#include <cstdio>

namespace {

// Pixel rows of a FreeType bitmap, whichever way its rows run.
const unsigned char* bitmapRow(const FT_Bitmap& bitmap, unsigned row) {
  if (bitmap.pitch >= 0) return bitmap.buffer + size_t(row) * unsigned(bitmap.pitch);
  return bitmap.buffer + size_t(bitmap.rows - 1 - row) * unsigned(-bitmap.pitch);
}

bool bitmapPixel(const FT_Bitmap& bitmap, unsigned x, unsigned row) {
  const unsigned char* line = bitmapRow(bitmap, row);
  if (bitmap.pixel_mode == FT_PIXEL_MODE_MONO) return line[x >> 3] & (0x80 >> (x & 7));
  if (bitmap.pixel_mode == FT_PIXEL_MODE_GRAY) return line[x] >= 128;
  return false;
}

// The underline stroke the face asks for, at least one pixel thick.
Underline underlineOf(FT_Face face) {
  Underline line;
  if (!FT_IS_SCALABLE(face)) {
    line.bottom = -1;
    line.thickness = 1;
    return line;
  }
  FT_Fixed scale = face->size->metrics.y_scale;
  FT_Pos centre = FT_MulFix(face->underline_position, scale);  // 26.6, below the baseline
  FT_Pos thickness = std::max<FT_Pos>(FT_MulFix(face->underline_thickness, scale), 64);
  line.thickness = static_cast<int32_t>((thickness + 32) >> 6);
  line.bottom = static_cast<int32_t>((centre - thickness / 2 + 32) >> 6);
  return line;
}


// The rendered glyph, with the underline stroke across its whole advance when asked for.
GlyphBitmap composeGlyph(const FT_GlyphSlot slot, const Underline& underline) {
  const FT_Bitmap& bitmap = slot->bitmap;
  return composeGlyph(static_cast<int32_t>((slot->advance.x + 32) >> 6), slot->bitmap_left,
                      slot->bitmap_top, int32_t(bitmap.width), int32_t(bitmap.rows), underline,
                      [&bitmap](int32_t x, int32_t row) {
                        return bitmapPixel(bitmap, unsigned(x), unsigned(row));
                      });
}

bool sizeFace(FT_Face face, int32_t requestHeight, int32_t pixels) {
  if (!FT_IS_SCALABLE(face)) return face->num_fixed_sizes > 0 && FT_Select_Size(face, 0) == 0;
  // The character height is the em square; a cell height also holds the internal leading.
  FT_Size_RequestRec size{};
  size.type = requestHeight < 0 ? FT_SIZE_REQUEST_TYPE_CELL : FT_SIZE_REQUEST_TYPE_NOMINAL;
  size.height = FT_Long(pixels) * 64;
  return FT_Request_Size(face, &size) == 0;
}

void slantFace(FT_Face face, const FontMatch& match) {
  FT_Matrix matrix;
  matrix.xx = FT_Fixed(match.shear[0] * 65536.0);
  matrix.xy = FT_Fixed(match.shear[1] * 65536.0);
  matrix.yx = FT_Fixed(match.shear[2] * 65536.0);
  matrix.yy = FT_Fixed(match.shear[3] * 65536.0);
  FT_Set_Transform(face, &matrix, nullptr);
}

GlyphBitmap renderGlyph(FT_Face face, FT_ULong code, const FontMatch& match,
                        const Underline& underline) {
  FT_Int32 flags = FT_LOAD_TARGET_MONO;
  if (FT_IS_SCALABLE(face)) flags |= FT_LOAD_NO_BITMAP;
  if (FT_Load_Char(face, code, flags) != 0) return GlyphBitmap{};
  if (match.embolden && face->glyph->format == FT_GLYPH_FORMAT_OUTLINE)
    FT_GlyphSlot_Embolden(face->glyph);
  if (FT_Render_Glyph(face->glyph, FT_RENDER_MODE_MONO) != 0) return GlyphBitmap{};
  return composeGlyph(face->glyph, underline);
}

}  // namespace

std::vector<GlyphBitmap> renderGlyphs(const FontRequest& request, const FontMatch& match,
                                      int32_t first, int32_t count) {
  std::vector<GlyphBitmap> glyphs(size_t(std::max<int32_t>(count, 0)));
  FT_Library library = nullptr;
  if (match.file.empty() || FT_Init_FreeType(&library) != 0) {
    std::fprintf(stderr, "kelvarn: no font file for \"%s\"; its text stays blank\n",
                 request.family.c_str());
    return glyphs;
  }
  const int32_t pixels = drawnPixelHeight(request);
  FT_Face face = nullptr;
  if (FT_New_Face(library, match.file.c_str(), match.index, &face) != 0 ||
      !sizeFace(face, request.height, pixels)) {
    std::fprintf(stderr, "kelvarn: cannot draw the font file %s; its text stays blank\n",
                 match.file.c_str());
  } else {
    slantFace(face, match);
    Underline underline = request.underline ? underlineOf(face) : Underline{};
    for (int32_t i = 0; i < count; ++i)
      glyphs[size_t(i)] = renderGlyph(face, FT_ULong(first + i), match, underline);
  }
  if (face) FT_Done_Face(face);
  FT_Done_FreeType(library);
  return glyphs;
}
