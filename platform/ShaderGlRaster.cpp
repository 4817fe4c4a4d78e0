// The raster position and bitmaps: a bitmap becomes a one-channel texture when it is given
// (inside a list, when the list is compiled) and is drawn as a quad on whole window pixels in
// the raster colour, its unset bits cut away by the alpha test.
#include "platform/ShaderGlProcs.h"

#include <cmath>
#include <cstring>

namespace {
FixedState& st() { return shaderGl->s; }

void rasterPos(float x, float y, float z) {
  if (recordCall([x, y, z] { rasterPos(x, y, z); })) return;
  FixedState& s = st();
  const float object[4] = {x, y, z, 1};
  float eye[4], clip[4];
  transformPoint(modelViewMatrix(), object, eye);
  transformPoint(projectionMatrix(), eye, clip);
  const float w = clip[3];
  s.rasterValid = w > 0 && std::fabs(clip[0]) <= w && std::fabs(clip[1]) <= w && std::fabs(clip[2]) <= w;
  if (!s.rasterValid) return;
  const GLint* vp = s.viewport;
  s.rasterPosition[0] = vp[0] + (clip[0] / w + 1) * vp[2] * 0.5f;
  s.rasterPosition[1] = vp[1] + (clip[1] / w + 1) * vp[3] * 0.5f;
  s.rasterPosition[2] = (clip[2] / w + 1) * 0.5f;
  s.rasterPosition[3] = w;
  s.rasterDistance = std::fabs(eye[2]);
  if (s.lighting) {
    const float* m = modelViewMatrix().m;
    float n[3];
    for (int i = 0; i < 3; ++i) n[i] = m[i] * s.normal[0] + m[4 + i] * s.normal[1] + m[8 + i] * s.normal[2];
    litColour(eye, n, s.colour, s.rasterColour);
  } else {
    for (int i = 0; i < 4; ++i) s.rasterColour[i] = std::fmin(1.0f, std::fmax(0.0f, s.colour[i]));
  }
}

void APIENTRY rasterPos2i(GLint x, GLint y) { rasterPos(float(x), float(y), 0); }
void APIENTRY rasterPos2f(GLfloat x, GLfloat y) { rasterPos(x, y, 0); }
void APIENTRY rasterPos3i(GLint x, GLint y, GLint z) { rasterPos(float(x), float(y), float(z)); }

// The bitmap's set bits as white texels, the rest clear, rows bottom first as GL reads them.
GLuint bitmapTexture(GLsizei width, GLsizei height, const GLubyte* bits) {
  const PixelStore& store = shaderGl->pixels;
  const int rowLength = store.unpackRowLength > 0 ? store.unpackRowLength : width;
  const int alignment = store.unpackAlignment > 0 ? store.unpackAlignment : 1;
  const int rowBytes = ((rowLength + 7) / 8 + alignment - 1) / alignment * alignment;
  std::vector<GLubyte> texels(size_t(width) * size_t(height) * 4, 255);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const int bit = x + store.unpackSkipPixels;
      const GLubyte byte = bits[size_t(y + store.unpackSkipRows) * size_t(rowBytes) + size_t(bit / 8)];
      texels[(size_t(y) * size_t(width) + size_t(x)) * 4 + 3] = (byte & (0x80 >> (bit % 8))) ? 255 : 0;
    }
  GLuint texture = 0;
  glGenTextures(1, &texture);
  ::glBindTexture(GL_TEXTURE_2D, texture);
  GLint unpack = 4;
  ::glGetIntegerv(GL_UNPACK_ALIGNMENT, &unpack);
  ::glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  ::glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
  ::glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
  ::glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
  ::glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                 texels.data());
  ::glPixelStorei(GL_UNPACK_ALIGNMENT, unpack);
  ::glPixelStorei(GL_UNPACK_ROW_LENGTH, store.unpackRowLength);
  ::glPixelStorei(GL_UNPACK_SKIP_ROWS, store.unpackSkipRows);
  ::glPixelStorei(GL_UNPACK_SKIP_PIXELS, store.unpackSkipPixels);
  ::glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  ::glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  ::glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
  ::glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
  ::glBindTexture(GL_TEXTURE_2D, st().boundTexture);
  shaderGl->ownTextures.push_back(texture);
  return texture;
}

// One bitmap drawn at the raster position: a quad on whole pixels at the raster depth, in the
// raster colour (fogged once, as all its fragments share the raster's distance).
void drawBitmap(GLuint texture, GLsizei width, GLsizei height, GLfloat xorig, GLfloat yorig) {
  ShaderGl& g = *shaderGl;
  flushPending();
  const FixedState saved = g.s;
  FixedState& s = g.s;
  const float x = std::floor(s.rasterPosition[0] + 0.0001f - xorig);
  const float y = std::floor(s.rasterPosition[1] + 0.0001f - yorig);
  const float z = 2 * s.rasterPosition[2] - 1;  // window depth back to the unit cube
  float colour[4];
  std::memcpy(colour, s.rasterColour, sizeof colour);
  if (s.fog) {
    const FogState& f = s.fog_;
    const float d = s.rasterDistance;
    float fog = f.mode == GL_LINEAR ? (f.end - d) / (f.end - f.start)
              : f.mode == GL_EXP ? std::exp(-f.density * d) : std::exp(-(f.density * d) * (f.density * d));
    fog = std::fmin(1.0f, std::fmax(0.0f, fog));
    for (int i = 0; i < 3; ++i) colour[i] = fog * colour[i] + (1 - fog) * f.colour[i];
  }
  s.lighting = s.fog = s.textureGenS = s.textureGenT = false;
  s.texture2D = true;
  s.texEnvMode = GL_MODULATE;
  s.alphaTest = true;
  s.alphaFunc = GL_GREATER;
  s.alphaRef = 0;
  s.polygonMode[0] = s.polygonMode[1] = GL_FILL;
  touch(serialOther);
  const bool culling = s.cullFace;
  if (culling) ::glDisable(GL_CULL_FACE);
  ::glBindTexture(GL_TEXTURE_2D, texture);
  // Window coordinates through a plain orthographic projection.
  g.stacks[0].push_back(Matrix4());
  Matrix4 window;
  const GLint* vp = s.viewport;
  window.m[0] = 2.0f / float(vp[2]);
  window.m[5] = 2.0f / float(vp[3]);
  window.m[10] = 1;
  window.m[12] = -1 - 2.0f * float(vp[0]) / float(vp[2]);
  window.m[13] = -1 - 2.0f * float(vp[1]) / float(vp[3]);
  g.stacks[1].push_back(window);
  g.stacks[2].push_back(Matrix4());
  touch(serialMatrices);
  const float corners[4][4] = {{x, y, 0, 0}, {x + width, y, 1, 0}, {x + width, y + height, 1, 1},
                               {x, y + height, 0, 1}};
  ShaderVertex quad[6];
  const int order[6] = {0, 1, 3, 1, 2, 3};
  for (int k = 0; k < 6; ++k) {
    ShaderVertex& v = quad[k];
    const float* c = corners[order[k]];
    v.position[0] = c[0];
    v.position[1] = c[1];
    v.position[2] = z;
    v.position[3] = 1;
    std::memcpy(v.colour, colour, sizeof v.colour);
    v.normal[0] = v.normal[1] = 0;
    v.normal[2] = 1;
    v.texCoord[0] = c[2];
    v.texCoord[1] = c[3];
    v.texCoord[2] = 0;
    v.texCoord[3] = 1;
  }
  drawVertices(quad, 6, false);
  g.stacks[0].pop_back();
  g.stacks[1].pop_back();
  g.stacks[2].pop_back();
  touch(serialMatrices);
  if (culling) ::glEnable(GL_CULL_FACE);
  ::glBindTexture(GL_TEXTURE_2D, saved.boundTexture);
  const float raster[4] = {saved.rasterPosition[0], saved.rasterPosition[1], saved.rasterPosition[2],
                           saved.rasterPosition[3]};
  g.s = saved;
  std::memcpy(g.s.rasterPosition, raster, sizeof raster);
  touch(serialOther);
}

void moveRaster(GLfloat xmove, GLfloat ymove) {
  st().rasterPosition[0] += xmove;
  st().rasterPosition[1] += ymove;
}

void runBitmap(GLuint texture, GLsizei width, GLsizei height, GLfloat xorig, GLfloat yorig,
               GLfloat xmove, GLfloat ymove) {
  if (!st().rasterValid) return;
  if (texture) drawBitmap(texture, width, height, xorig, yorig);
  moveRaster(xmove, ymove);
}

void APIENTRY bitmap(GLsizei width, GLsizei height, GLfloat xorig, GLfloat yorig, GLfloat xmove,
                     GLfloat ymove, const GLubyte* bits) {
  const bool shown = width > 0 && height > 0 && bits;
  if (shaderGl->compiling) {
    const GLuint texture = shown ? bitmapTexture(width, height, bits) : 0;
    recordCall([=] { runBitmap(texture, width, height, xorig, yorig, xmove, ymove); });
    return;
  }
  if (!st().rasterValid) return;
  if (shown) {
    const GLuint texture = bitmapTexture(width, height, bits);
    drawBitmap(texture, width, height, xorig, yorig);
    ::glDeleteTextures(1, &texture);
    shaderGl->ownTextures.pop_back();
  }
  moveRaster(xmove, ymove);
}
}  // namespace

void fillRasterCalls(GlCalls& c) {
  c.rasterPos2i = rasterPos2i;
  c.rasterPos2f = rasterPos2f;
  c.rasterPos3i = rasterPos3i;
  c.bitmap = bitmap;
}
