#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Monochrome glyph bitmaps of a system font: on Linux fontconfig finds the face and FreeType
// draws it; on Windows GDI does both.
// A request is phrased the way the show has always asked for fonts: a family name, a height
// in pixels, a weight of 100..900 and italic and underline flags.

struct FontRequest {
  std::string family;
  int32_t height = 0;  // > 0: character (em) height in pixels; < 0: cell height; 0: default
  int32_t weight = 400;  // 0 means normal
  bool italic = false;
  bool underline = false;
};

// The face the system chose for a request.
struct FontMatch {
  std::string file;  // the font file (the face's name on Windows); empty when none was found
  int index = 0;     // face index inside the file
  std::string family;
  bool substituted = false;  // neither the family asked for nor one of its aliases was found
  bool embolden = false;     // no face is as heavy as asked: thicken the outlines
  double shear[4] = {1, 0, 0, 1};  // xx, xy, yx, yy: slants an upright face that must be italic
};

// One glyph, ready for glBitmap: rows bottom first, each row padded to whole bytes with the
// leftmost pixel in the high bit. Coordinates are relative to the pen on the baseline, y up.
struct GlyphBitmap {
  int32_t width = 0;
  int32_t rows = 0;
  int32_t left = 0;    // x of the first column
  int32_t bottom = 0;  // y of the bottom row
  int32_t advance = 0;  // pen move to the next glyph, in whole pixels
  std::vector<unsigned char> bits;

  int32_t rowBytes() const { return (width + 7) / 8; }
  bool isLit(int32_t x, int32_t y) const;  // pen coordinates; false outside the box
};

// An underline stroke in pen coordinates: its bottom row counted up from the baseline.
struct Underline {
  int32_t bottom = 0;
  int32_t thickness = 0;  // 0: none
};
// A glyph from a system's rendering: `width` x `rows` pixels of ink whose top-left pixel sits at
// (left, top - 1) in pen coordinates (y up), inked(x, row) telling which are lit (row 0 the top),
// plus the underline stroke across the whole advance. Both systems' glyphs are made this way.
GlyphBitmap composeGlyph(int32_t advance, int32_t left, int32_t top, int32_t width, int32_t rows,
                         const Underline& underline,
                         const std::function<bool(int32_t x, int32_t row)>& inked);

// The pixel height a request's height is drawn at: its size, 16 for 0, at most 1024.
int32_t glyphPixelHeight(int32_t height);
// The same for a whole request, with a line on stderr when that is not the height asked for.
int32_t drawnPixelHeight(const FontRequest& request);
// Adds the show's font aliases (a fontconfig file, such as "data/fonts.conf") to the system's
// configuration. Only the first call does anything; false, with a line on stderr, if the file
// could not be read.
bool loadFontAliases(const char* path);
FontMatch findFont(const FontRequest& request);
// Draws the characters first .. first + count - 1; a character the face lacks gets the face's
// own missing-glyph shape. A face that cannot be opened gives only empty glyphs, and a height
// that glyphPixelHeight changes is drawn at its height; both with a line on stderr.
std::vector<GlyphBitmap> renderGlyphs(const FontRequest& request, const FontMatch& match,
                                      int32_t first, int32_t count);
