#pragma once
#include "platform/Gl.h"

#include <cstddef>
#include <cstdint>

// Screen text from a system font: one display list per printable character (codes 32..127),
// each drawing the glyph's bitmap at the current raster position, its baseline on that
// position, and moving the raster position on by the glyph's advance. Glyphs keep their pixel
// size whatever the viewport or projection.
struct BitmapFontCache;  // the glyphs' shapes and every text drawn so far as a texture

struct BitmapFont {
  GLuint base = 0;  // first of 96 lists; base + i draws character 32 + i; 0 while there are none
  BitmapFontCache* cache = nullptr;  // owned; made with the lists

  BitmapFont() = default;
  BitmapFont(const BitmapFont&) = delete;
  BitmapFont& operator=(const BitmapFont&) = delete;
  ~BitmapFont();

  void reset();  // a font that was never created: no lists
  // height > 0 is the character height in pixels at 600 lines (drawn at the picture's scale); weight 100..900; italic and underline
  // flags. A family that is not installed is replaced by the closest one there is, with a line
  // on stderr. Needs the GL context; lists the font had before are released first.
  void createFont(const char* face, int32_t height, int32_t weight, int32_t italic,
                  int32_t underline);
  // Draws the text at the current raster position in the colour that position latched. A
  // non-empty text leaves lighting off; the list base is kept. Bytes outside 32..127 are
  // skipped. A text is laid out once into a texture and from then on drawn as one textured
  // quad with exactly the glyph lists' pixels, raster-position move and state; where that quad
  // could differ (fog, a bound texture, blending over overlapping glyphs, a text reaching out of
  // the viewport, feedback or selection) the glyph lists draw it. With the GL 1.1 path forced
  // (forceFixedFunction) the glyph lists draw every text and nothing is cached.
  void printText(const char* text) const;
  // How many texts have been laid out into textures so far.
  size_t cachedTextCount() const;
  // Deletes the lists and cached texts (only while a GL context is current, so exit-time
  // destruction is safe).
  void releaseFont();
};

// The same operations spelled as free functions.
inline void createFont(BitmapFont& font, const char* face, int32_t height, int32_t weight,
                       int32_t italic, int32_t underline) {
  font.createFont(face, height, weight, italic, underline);
}
inline void printText(const BitmapFont& font, const char* text) { font.printText(text); }
inline void releaseFont(BitmapFont& font) { font.releaseFont(); }
