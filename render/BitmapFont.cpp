#include "render/BitmapFont.h"

#include "platform/Display.h"
#include "platform/Glyphs.h"


#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

const GLint firstCode = 32;
const GLsizei glyphCount = 96;
const char* const aliasFile = "data/fonts.conf";

bool isPrintable(unsigned char code) { return code >= firstCode && code < firstCode + glyphCount; }

// Compiles one glBitmap list per glyph. Bitmaps are unpacked when the list is compiled, so the
// pixel-store state is set to tightly packed rows for the duration.
void compileGlyphLists(GLuint base, const std::vector<GlyphBitmap>& glyphs) {
  glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
  glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
  glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
  glPixelStorei(GL_UNPACK_LSB_FIRST, GL_FALSE);
  glPixelStorei(GL_UNPACK_SWAP_BYTES, GL_FALSE);
  // A blank glyph still hands over a pointer: some GL front ends drop the whole call,
  // advance and all, when it is null.
  static const GLubyte blank = 0;
  for (size_t i = 0; i < glyphs.size(); ++i) {
    const GlyphBitmap& glyph = glyphs[i];
    glNewList(base + GLuint(i), GL_COMPILE);
    glBitmap(glyph.width, glyph.rows, GLfloat(-glyph.left), GLfloat(-glyph.bottom),
             GLfloat(glyph.advance), 0.0f, glyph.bits.empty() ? &blank : glyph.bits.data());
    glEndList();
  }
  glPopClientAttrib();
}

// The text as list offsets: the text itself when every byte has a glyph, else a copy without
// the bytes that would call lists outside the font.
const char* printableCodes(const char* text, size_t length, std::string& kept) {
  size_t i = 0;
  while (i < length && isPrintable(static_cast<unsigned char>(text[i]))) ++i;
  if (i == length) return text;
  kept.assign(text, i);
  for (; i < length; ++i)
    if (isPrintable(static_cast<unsigned char>(text[i]))) kept.push_back(text[i]);
  return kept.c_str();
}

}  // namespace

BitmapFont::~BitmapFont() { releaseFont(); }

void BitmapFont::reset() { base = 0; }

void BitmapFont::createFont(const char* face, int32_t height, int32_t weight, int32_t italic,
                            int32_t underline) {
  releaseFont();
  if (!glContextCurrent()) {
    std::fprintf(stderr, "kelvarn: font \"%s\" made without a GL context; it prints nothing\n",
                 face ? face : "");
    return;
  }
  base = glGenLists(glyphCount);
  if (base == 0) return;

  FontRequest request;
  request.family = face ? face : "";
  request.height = height;
  request.weight = weight;
  request.italic = italic != 0;
  request.underline = underline != 0;
  loadFontAliases(aliasFile);
  FontMatch match = findFont(request);
  if (match.substituted)
    std::fprintf(stderr, "kelvarn: font \"%s\" is not installed; using \"%s\" (%s)\n",
                 request.family.c_str(), match.family.c_str(), match.file.c_str());
  compileGlyphLists(base, renderGlyphs(request, match, firstCode, glyphCount));
}

void BitmapFont::printText(const char* text) const {
  if (!text || text[0] == '\0') return;
  glDisable(GL_LIGHTING);
  std::string kept;
  size_t length = std::strlen(text);
  const char* codes = printableCodes(text, length, kept);
  length = std::min<size_t>(std::strlen(codes), INT_MAX);
  glPushAttrib(GL_LIST_BIT);
  glListBase(base - firstCode);
  if (base != 0 && length > 0) glCallLists(GLsizei(length), GL_UNSIGNED_BYTE, codes);
  glPopAttrib();
}

void BitmapFont::releaseFont() {
  if (base != 0 && glContextCurrent()) glDeleteLists(base, glyphCount);
  base = 0;
}
