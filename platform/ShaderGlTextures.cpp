// Textures in the formats GL 1.1 named: one-channel pictures become red textures read back
// through a swizzle (alpha: white with that alpha; luminance: grey), component counts become
// sized formats. ES (WebGL above all) has no swizzle: there they are widened to RGBA. An ES
// context is asked what it was given from the renderer's own record.
#include "platform/ShaderGlProcs.h"

#include <array>
#include <vector>

namespace {
struct Translated {
  GLint internalFormat;
  GLenum format;
  GLint swizzle[4];
};

Translated translate(GLint internalFormat, GLenum format) {
  Translated t{internalFormat, format, {GL_RED, GL_GREEN, GL_BLUE, GL_ALPHA}};
  switch (internalFormat) {
    case GL_ALPHA:
    case GL_ALPHA8:
      t = {GL_R8, GL_RED, {GL_ONE, GL_ONE, GL_ONE, GL_RED}};
      break;
    case GL_LUMINANCE:
    case GL_LUMINANCE8:
    case 1:
      t = {GL_R8, GL_RED, {GL_RED, GL_RED, GL_RED, GL_ONE}};
      break;
    case 3:
    case GL_RGB:
      t.internalFormat = GL_RGB8;
      break;
    case 4:
    case GL_RGBA:
      t.internalFormat = GL_RGBA8;
      break;
    default:
      break;
  }
  if (format == GL_ALPHA || format == GL_LUMINANCE) t.format = GL_RED;
  return t;
}

// A one-channel picture of bytes as RGBA texels, as the swizzle would read it, from rows laid
// out as the unpack state says.
std::vector<GLubyte> widened(GLsizei width, GLsizei height, const GLint swizzle[4],
                             const GLubyte* pixels) {
  const PixelStore& store = shaderGl->pixels;
  const size_t rowLength = size_t(store.unpackRowLength > 0 ? store.unpackRowLength : width);
  const size_t alignment = size_t(store.unpackAlignment > 0 ? store.unpackAlignment : 1);
  const size_t rowBytes = (rowLength + alignment - 1) / alignment * alignment;
  std::vector<GLubyte> texels(size_t(width) * size_t(height) * 4);
  GLubyte* to = texels.data();
  for (GLsizei y = 0; y < height; ++y) {
    const GLubyte* from = pixels + (size_t(y) + size_t(store.unpackSkipRows)) * rowBytes +
                          size_t(store.unpackSkipPixels);
    for (GLsizei x = 0; x < width; ++x, to += 4)
      for (int c = 0; c < 4; ++c) to[c] = swizzle[c] == GL_RED ? from[x] : 255;
  }
  return texels;
}

// ES: the one-channel picture goes up as RGBA, unpacked as it lies in `texels`.
void texImageWidened(GLenum target, GLint level, GLsizei width, GLsizei height, GLint border,
                     const std::vector<GLubyte>& texels) {
  const PixelStore& store = shaderGl->pixels;
  ::glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  ::glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
  ::glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
  ::glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
  ::glTexImage2D(target, level, GL_RGBA8, width, height, border, GL_RGBA, GL_UNSIGNED_BYTE,
                 texels.empty() ? nullptr : texels.data());
  ::glPixelStorei(GL_UNPACK_ALIGNMENT, store.unpackAlignment);
  ::glPixelStorei(GL_UNPACK_ROW_LENGTH, store.unpackRowLength);
  ::glPixelStorei(GL_UNPACK_SKIP_ROWS, store.unpackSkipRows);
  ::glPixelStorei(GL_UNPACK_SKIP_PIXELS, store.unpackSkipPixels);
}

void APIENTRY texImage2D(GLenum target, GLint level, GLint internalFormat, GLsizei width,
                         GLsizei height, GLint border, GLenum format, GLenum type,
                         const void* pixels) {
  flushPending();
  const Translated t = translate(internalFormat, format);
  if (shaderGl->es && t.internalFormat == GL_R8 && type == GL_UNSIGNED_BYTE) {
    texImageWidened(target, level, width, height, border,
                    pixels ? widened(width, height, t.swizzle, static_cast<const GLubyte*>(pixels))
                           : std::vector<GLubyte>());
    if (target == GL_TEXTURE_2D && level == 0)
      shaderGl->textureFormats[shaderGl->s.boundTexture] = GL_RGBA8;
    return;
  }
  ::glTexImage2D(target, level, t.internalFormat, width, height, border, t.format, type, pixels);
  if (target != GL_TEXTURE_2D) return;
  if (!shaderGl->es)
    for (int i = 0; i < 4; ++i) ::glTexParameteri(target, GL_TEXTURE_SWIZZLE_R + i, t.swizzle[i]);
  if (level == 0) shaderGl->textureFormats[shaderGl->s.boundTexture] = t.internalFormat;
}

void APIENTRY getTexLevelParameteriv(GLenum target, GLint level, GLenum name, GLint* v) {
  if (!shaderGl->es) {
    if (shaderProcsTable.getTexLevelParameteriv)
      shaderProcsTable.getTexLevelParameteriv(target, level, name, v);
    return;
  }
  if (name != GL_TEXTURE_INTERNAL_FORMAT) return;
  auto found = shaderGl->textureFormats.find(shaderGl->s.boundTexture);
  *v = found == shaderGl->textureFormats.end() ? GL_RGBA : found->second;
}

// Which slot of a texture's parameters the renderer keeps for `name`; -1 for the rest.
int parameterSlot(GLenum name) {
  switch (name) {
    case GL_TEXTURE_MIN_FILTER: return 0;
    case GL_TEXTURE_MAG_FILTER: return 1;
    case GL_TEXTURE_WRAP_S: return 2;
    case GL_TEXTURE_WRAP_T: return 3;
    default: return -1;
  }
}

std::array<GLint, 4>& parametersOfBound() {
  auto found = shaderGl->textureParameters.find(shaderGl->s.boundTexture);
  if (found != shaderGl->textureParameters.end()) return found->second;
  // GL's own defaults for a new texture.
  return shaderGl->textureParameters[shaderGl->s.boundTexture] = {
             GL_NEAREST_MIPMAP_LINEAR, GL_LINEAR, GL_REPEAT, GL_REPEAT};
}

void APIENTRY texParameteri(GLenum target, GLenum name, GLint value) {
  if (recordCall([target, name, value] { texParameteri(target, name, value); })) return;
  const int slot = parameterSlot(name);
  if (target == GL_TEXTURE_2D && slot >= 0) parametersOfBound()[size_t(slot)] = value;
  ::glTexParameteri(target, name, value);
}

void APIENTRY getTexParameteriv(GLenum target, GLenum name, GLint* v) {
  const int slot = parameterSlot(name);
  if (target == GL_TEXTURE_2D && slot >= 0) {
    *v = parametersOfBound()[size_t(slot)];
    return;
  }
  ::glGetTexParameteriv(target, name, v);
}

void APIENTRY getTexImage(GLenum target, GLint level, GLenum format, GLenum type, void* pixels) {
  flushPending();
  if (shaderGl->es) {
    ++shaderGl->errors;  // an ES context has no way to read a texture but through a framebuffer
    return;
  }
  if (shaderProcsTable.getTexImage)
    shaderProcsTable.getTexImage(target, level, format, type, pixels);
}
void APIENTRY clear(GLbitfield mask) {
  flushPending();
  ::glClear(mask);
}

void APIENTRY copyTexSubImage2D(GLenum target, GLint level, GLint xoffset, GLint yoffset, GLint x,
                                GLint y, GLsizei width, GLsizei height) {
  flushPending();
  ::glCopyTexSubImage2D(target, level, xoffset, yoffset, x, y, width, height);
}

void APIENTRY readPixels(GLint x, GLint y, GLsizei width, GLsizei height, GLenum format,
                         GLenum type, void* pixels) {
  flushPending();
  ::glReadPixels(x, y, width, height, format, type, pixels);
}

void APIENTRY finish() {
  flushPending();
  ::glFinish();
}

void APIENTRY flush() {
  flushPending();
  ::glFlush();
}
}  // namespace

void fillTextureCalls(GlCalls& c) {
  c.clear = clear;
  c.copyTexSubImage2D = copyTexSubImage2D;
  c.readPixels = readPixels;
  c.finish = finish;
  c.flush = flush;
  c.texImage2D = texImage2D;
  c.getTexLevelParameteriv = getTexLevelParameteriv;
  c.getTexImage = getTexImage;
  c.texParameteri = texParameteri;
  c.getTexParameteriv = getTexParameteriv;
}
