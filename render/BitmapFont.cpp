#include "render/BitmapFont.h"

#include "platform/Display.h"
#include "platform/GlProcs.h"
#include "platform/Glyphs.h"
#include "render/PictureScale.h"


#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <unordered_map>
#include <vector>

// One text laid out as glBitmap would draw it from a raster position on whole pixels: an alpha
// texture of its lit pixels, its box relative to that position and the raster move.
struct CachedText {
  GLuint texture = 0;
  int32_t left = 0, bottom = 0, width = 0, height = 0;
  int32_t advance = 0;
  bool overlaps = false;  // some pixel is lit by two glyphs (drawn twice by the lists)
};

struct BitmapFontCache {
  std::vector<GlyphBitmap> glyphs;
  std::unordered_map<std::string, CachedText> texts;
};

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

// The text's lit pixels as a quad in window coordinates at the raster depth, in the raster
// colour. Everything changed here is put back by hand: pushing and popping whole attribute
// groups costs the driver far more than the quad.
void drawCachedText(const CachedText& c, int32_t x, int32_t y, float depth, const float* colour) {
  const GLenum caps[] = {GL_TEXTURE_GEN_S, GL_TEXTURE_GEN_T,   GL_TEXTURE_GEN_R, GL_TEXTURE_GEN_Q,
                         GL_CULL_FACE,     GL_POLYGON_STIPPLE, GL_TEXTURE_2D};
  GLboolean wasOn[7];
  for (int i = 0; i < 7; ++i) wasOn[i] = glIsEnabled(caps[i]);
  GLint polygonMode[2], bound = 0, envMode = GL_MODULATE, alphaFunc = GL_ALWAYS, matrixMode = 0;
  GLfloat alphaRef = 0, current[4], texCoord[4], viewport[4];
  glGetIntegerv(GL_POLYGON_MODE, polygonMode);
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
  glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &envMode);
  glGetIntegerv(GL_ALPHA_TEST_FUNC, &alphaFunc);
  glGetFloatv(GL_ALPHA_TEST_REF, &alphaRef);
  glGetIntegerv(GL_MATRIX_MODE, &matrixMode);
  glGetFloatv(GL_CURRENT_COLOR, current);
  glGetFloatv(GL_CURRENT_TEXTURE_COORDS, texCoord);
  glGetFloatv(GL_VIEWPORT, viewport);

  for (int i = 0; i < 6; ++i)
    if (wasOn[i]) glDisable(caps[i]);
  if (polygonMode[0] != GL_FILL || polygonMode[1] != GL_FILL)
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, c.texture);
  if (envMode != GL_MODULATE) glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
  glEnable(GL_ALPHA_TEST);
  glAlphaFunc(GL_GREATER, 0);
  glMatrixMode(GL_TEXTURE);
  glPushMatrix();
  glLoadIdentity();
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  // Window x and y; z from 1 (depth 0) to -1 (depth 1).
  glOrtho(viewport[0], viewport[0] + viewport[2], viewport[1], viewport[1] + viewport[3], -1, 1);
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();
  const float z = 1 - 2 * depth;
  glColor4fv(colour);
  glBegin(GL_QUADS);
  glTexCoord2f(0, 0);
  glVertex3f(float(x), float(y), z);
  glTexCoord2f(1, 0);
  glVertex3f(float(x + c.width), float(y), z);
  glTexCoord2f(1, 1);
  glVertex3f(float(x + c.width), float(y + c.height), z);
  glTexCoord2f(0, 1);
  glVertex3f(float(x), float(y + c.height), z);
  glEnd();
  glPopMatrix();
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glMatrixMode(GL_TEXTURE);
  glPopMatrix();
  glMatrixMode(GLenum(matrixMode));

  glColor4fv(current);
  glTexCoord4fv(texCoord);
  glAlphaFunc(GLenum(alphaFunc), alphaRef);
  glDisable(GL_ALPHA_TEST);  // the quad is only used where it was off
  if (envMode != GL_MODULATE) glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, envMode);
  glBindTexture(GL_TEXTURE_2D, GLuint(bound));
  if (!wasOn[6]) glDisable(GL_TEXTURE_2D);
  if (polygonMode[0] != GL_FILL || polygonMode[1] != GL_FILL) {
    glPolygonMode(GL_FRONT, GLenum(polygonMode[0]));
    glPolygonMode(GL_BACK, GLenum(polygonMode[1]));
  }
  for (int i = 0; i < 6; ++i)
    if (wasOn[i]) glEnable(caps[i]);
}

CachedText layOut(const std::vector<GlyphBitmap>& glyphs, const char* codes, size_t length) {
  CachedText c;
  int32_t pen = 0, minX = INT_MAX, minY = INT_MAX, maxX = INT_MIN, maxY = INT_MIN;
  for (size_t i = 0; i < length; ++i) {
    const GlyphBitmap& g = glyphs[static_cast<unsigned char>(codes[i]) - firstCode];
    if (g.width > 0 && g.rows > 0) {
      minX = std::min(minX, pen + g.left);
      maxX = std::max(maxX, pen + g.left + g.width);
      minY = std::min(minY, g.bottom);
      maxY = std::max(maxY, g.bottom + g.rows);
    }
    pen += g.advance;
  }
  c.advance = pen;
  if (minX >= maxX) return c;  // nothing lit
  c.left = minX;
  c.bottom = minY;
  c.width = maxX - minX;
  c.height = maxY - minY;
  std::vector<unsigned char> alpha(size_t(c.width) * size_t(c.height), 0);
  pen = 0;
  for (size_t i = 0; i < length; ++i) {
    const GlyphBitmap& g = glyphs[static_cast<unsigned char>(codes[i]) - firstCode];
    for (int32_t y = 0; y < g.rows; ++y)
      for (int32_t x = 0; x < g.width; ++x) {
        if (!(g.bits[size_t(y) * size_t(g.rowBytes()) + size_t(x / 8)] & (0x80 >> (x % 8))))
          continue;
        unsigned char& a =
            alpha[size_t(g.bottom + y - c.bottom) * size_t(c.width) + size_t(pen + g.left + x - c.left)];
        if (a) c.overlaps = true;
        a = 255;
      }
    pen += g.advance;
  }
  glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
  glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
  glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
  glPixelStorei(GL_UNPACK_SWAP_BYTES, GL_FALSE);
  GLint bound = 0;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
  glGenTextures(1, &c.texture);
  glBindTexture(GL_TEXTURE_2D, c.texture);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_ALPHA8, c.width, c.height, 0, GL_ALPHA, GL_UNSIGNED_BYTE,
               alpha.data());
  glBindTexture(GL_TEXTURE_2D, GLuint(bound));
  glPopClientAttrib();
  return c;
}

// Whether the one quad gives the lists' pixels here: everything a bitmap fragment skips or
// takes from the raster position (texturing, fog) is plain, the text fits in the viewport, and
// nothing would show that overlapping glyphs are drawn twice by the lists.
bool quadMatchesLists(const CachedText& c, int32_t x, int32_t y, float alpha) {
  GLint mode = GL_RENDER;
  glGetIntegerv(GL_RENDER_MODE, &mode);
  if (mode != GL_RENDER || glIsEnabled(GL_FOG) || glIsEnabled(GL_ALPHA_TEST) || alpha <= 0)
    return false;
  if (c.overlaps && glIsEnabled(GL_BLEND)) return false;
  if (glIsEnabled(GL_TEXTURE_2D)) {
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    if (bound != 0) return false;
  }
  if (glIsEnabled(GL_TEXTURE_1D) || glIsEnabled(GL_TEXTURE_3D) || glIsEnabled(GL_TEXTURE_CUBE_MAP))
    return false;
  GLint viewport[4] = {0, 0, 0, 0};
  glGetIntegerv(GL_VIEWPORT, viewport);
  GLfloat range[2] = {0, 1};
  glGetFloatv(GL_DEPTH_RANGE, range);
  return range[0] == 0 && range[1] == 1 && x >= viewport[0] && y >= viewport[1] &&
         x + c.width <= viewport[0] + viewport[2] && y + c.height <= viewport[1] + viewport[3];
}

}  // namespace

BitmapFont::~BitmapFont() { releaseFont(); }

void BitmapFont::reset() {
  base = 0;
  delete cache;
  cache = nullptr;
}

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
  request.height = scaledPixels(height);
  request.weight = weight;
  request.italic = italic != 0;
  request.underline = underline != 0;
  loadFontAliases(aliasFile);
  FontMatch match = findFont(request);
  if (match.substituted)
    std::fprintf(stderr, "kelvarn: font \"%s\" is not installed; using \"%s\" (%s)\n",
                 request.family.c_str(), match.family.c_str(), match.file.c_str());
  cache = new BitmapFontCache;
  cache->glyphs = renderGlyphs(request, match, firstCode, glyphCount);
  if (request.height != height) {
    // Drawn larger, a text keeps the pen positions of its 600-line layout times the scale, not
    // the larger size's own hinted advances, whose roundings would pile up along a line and move
    // its last words away from where they stood.
    FontRequest original = request;
    original.height = height;
    const std::vector<GlyphBitmap> layout = renderGlyphs(original, match, firstCode, glyphCount);
    for (size_t i = 0; i < cache->glyphs.size() && i < layout.size(); ++i)
      cache->glyphs[i].advance = int32_t(std::lround(layout[i].advance * pictureScale()));
  }
  compileGlyphLists(base, cache->glyphs);
}

void BitmapFont::printText(const char* text) const {
  if (!text || text[0] == '\0') return;
  glDisable(GL_LIGHTING);
  std::string kept;
  size_t length = std::strlen(text);
  const char* codes = printableCodes(text, length, kept);
  length = std::min<size_t>(std::strlen(codes), INT_MAX);
  if (base == 0 || length == 0) return;
  GLboolean valid = GL_FALSE;
  glGetBooleanv(GL_CURRENT_RASTER_POSITION_VALID, &valid);
  if (!valid) return;  // the lists would draw nothing and move nothing
  // The forced GL 1.1 path draws text as the original program did: the glyph lists, every time.
  if (cache && cache->glyphs.size() == size_t(glyphCount) && !fixedFunctionForced()) {
    auto found = cache->texts.find(codes);
    if (found == cache->texts.end())
      found = cache->texts.emplace(codes, layOut(cache->glyphs, codes, length)).first;
    const CachedText& c = found->second;
    GLfloat position[4], colour[4];
    glGetFloatv(GL_CURRENT_RASTER_POSITION, position);
    glGetFloatv(GL_CURRENT_RASTER_COLOR, colour);
    // A bitmap's corner is floor(raster position - origin), the origin nudged as GL nudges it.
    const int32_t x = int32_t(std::floor(position[0] + 0.0001f)) + c.left;
    const int32_t y = int32_t(std::floor(position[1] + 0.0001f)) + c.bottom;
    if (c.texture == 0 || quadMatchesLists(c, x, y, colour[3])) {
      if (c.texture != 0) drawCachedText(c, x, y, position[2], colour);
      glBitmap(0, 0, 0, 0, GLfloat(c.advance), 0, nullptr);  // the lists' raster move
      return;
    }
  }
  glPushAttrib(GL_LIST_BIT);
  glListBase(base - firstCode);
  if (base != 0 && length > 0) glCallLists(GLsizei(length), GL_UNSIGNED_BYTE, codes);
  glPopAttrib();
}

size_t BitmapFont::cachedTextCount() const { return cache ? cache->texts.size() : 0; }

void BitmapFont::releaseFont() {
  const bool current = glContextCurrent();
  if (base != 0 && current) glDeleteLists(base, glyphCount);
  base = 0;
  if (cache && current)
    for (const auto& text : cache->texts)
      if (text.second.texture) glDeleteTextures(1, &text.second.texture);
  delete cache;
  cache = nullptr;
}
