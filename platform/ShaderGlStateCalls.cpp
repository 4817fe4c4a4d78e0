// The state calls: switches, the light, fog, texture environment and generation, the alpha
// test, polygon modes, the attribute stacks and the queries, kept in the renderer's record and
// passed on to the context where it has the same state of its own.
#include "platform/ShaderGlProcs.h"

#include <algorithm>
#include <cstring>

namespace {
FixedState& st() { return shaderGl->s; }

void realSwitch(GLenum cap, bool on) {
  if (on) glEnable(cap); else glDisable(cap);
}

// The switch's place in the record, or nullptr for a switch the context keeps alone.
bool* fixedSwitch(GLenum cap) {
  FixedState& s = st();
  switch (cap) {
    case GL_LIGHTING: return &s.lighting;
    case GL_COLOR_MATERIAL: return &s.colourMaterial;
    case GL_FOG: return &s.fog;
    case GL_TEXTURE_2D: return &s.texture2D;
    case GL_TEXTURE_GEN_S: return &s.textureGenS;
    case GL_TEXTURE_GEN_T: return &s.textureGenT;
    case GL_ALPHA_TEST: return &s.alphaTest;
    case GL_LINE_SMOOTH: return &s.lineSmooth;
    case GL_NORMALIZE: return &s.normalize;
    case GL_POLYGON_OFFSET_LINE: return &s.polygonOffsetLine;
    case GL_LIGHT0: return &s.light.enabled;
    default: return nullptr;
  }
}

// Switches both the record and the context keep.
bool* sharedSwitch(GLenum cap) {
  FixedState& s = st();
  switch (cap) {
    case GL_DEPTH_TEST: return &s.depthTest;
    case GL_BLEND: return &s.blend;
    case GL_CULL_FACE: return &s.cullFace;
    case GL_POLYGON_OFFSET_FILL: return &s.polygonOffsetFill;
    default: return nullptr;
  }
}

// Switches the context lacks and the show never turns on: always off.
bool absentSwitch(GLenum cap) {
  return (cap >= GL_LIGHT1 && cap <= GL_LIGHT7) || cap == GL_TEXTURE_GEN_R ||
         cap == GL_TEXTURE_GEN_Q || cap == GL_POLYGON_STIPPLE || cap == GL_TEXTURE_1D ||
         cap == GL_TEXTURE_3D || cap == GL_TEXTURE_CUBE_MAP || cap == GL_POLYGON_SMOOTH ||
         cap == GL_LINE_STIPPLE || cap == GL_RESCALE_NORMAL;
}

void setSwitch(GLenum cap, bool on) {
  if (recordCall([cap, on] { setSwitch(cap, on); })) return;
  if (bool* fixed = fixedSwitch(cap)) {
    *fixed = on;
    touch(serialOther);
    return;
  }
  if (bool* shared = sharedSwitch(cap)) *shared = on;
  if (absentSwitch(cap)) return;
  realSwitch(cap, on);
}

void APIENTRY enable(GLenum cap) { setSwitch(cap, true); }
void APIENTRY disable(GLenum cap) { setSwitch(cap, false); }

GLboolean APIENTRY isEnabled(GLenum cap) {
  if (bool* fixed = fixedSwitch(cap)) return *fixed;
  if (bool* shared = sharedSwitch(cap)) return *shared;
  if (absentSwitch(cap)) return GL_FALSE;
  return ::glIsEnabled(cap);
}

// The context's own state as the record has it, given to the context again.
void applyShared() {
  const FixedState& s = st();
  realSwitch(GL_DEPTH_TEST, s.depthTest);
  realSwitch(GL_BLEND, s.blend);
  realSwitch(GL_CULL_FACE, s.cullFace);
  realSwitch(GL_POLYGON_OFFSET_FILL, s.polygonOffsetFill);
  ::glBlendFunc(s.blendSrc, s.blendDst);
  ::glDepthMask(s.depthMask);
  ::glDepthFunc(s.depthFunc);
  ::glColorMask(s.colourMask[0], s.colourMask[1], s.colourMask[2], s.colourMask[3]);
  ::glCullFace(s.cullFaceMode);
  ::glPolygonOffset(s.offsetFactor, s.offsetUnits);
  ::glViewport(s.viewport[0], s.viewport[1], s.viewport[2], s.viewport[3]);
  ::glClearColor(s.clearColour[0], s.clearColour[1], s.clearColour[2], s.clearColour[3]);
  ::glBindTexture(GL_TEXTURE_2D, s.boundTexture);
}


void APIENTRY pushAttrib(GLbitfield mask) {
  if (recordCall([mask] { pushAttrib(mask); })) return;
  shaderGl->attribStack.push_back({mask, st(), shaderGl->matrixMode});
}

void APIENTRY popAttrib() {
  if (recordCall([] { popAttrib(); })) return;
  std::vector<SavedAttributes>& stack = shaderGl->attribStack;
  if (stack.empty()) {
    ++shaderGl->errors;
    return;
  }
  const SavedAttributes saved = stack.back();
  stack.pop_back();
  FixedState& s = st();
  if (saved.mask == GL_LIST_BIT) {
    s.listBase = saved.state.listBase;
    return;
  }
  const FixedState now = s;
  s = saved.state;
  if (!(saved.mask & GL_CURRENT_BIT)) {
    std::copy(now.colour, now.colour + 4, s.colour);
    std::copy(now.normal, now.normal + 3, s.normal);
    std::copy(now.texCoord, now.texCoord + 4, s.texCoord);
    std::copy(now.rasterPosition, now.rasterPosition + 4, s.rasterPosition);
    std::copy(now.rasterColour, now.rasterColour + 4, s.rasterColour);
    s.rasterDistance = now.rasterDistance;
    s.rasterValid = now.rasterValid;
  }
  if (saved.mask & GL_TRANSFORM_BIT) shaderGl->matrixMode = saved.matrixMode;
  applyShared();
  for (int group = 0; group < 4; ++group) touch(SerialGroup(group));
}

void applyPixelStore(const PixelStore& p) {
  ::glPixelStorei(GL_UNPACK_ALIGNMENT, p.unpackAlignment);
  ::glPixelStorei(GL_PACK_ALIGNMENT, p.packAlignment);
  ::glPixelStorei(GL_UNPACK_ROW_LENGTH, p.unpackRowLength);
  ::glPixelStorei(GL_UNPACK_SKIP_ROWS, p.unpackSkipRows);
  ::glPixelStorei(GL_UNPACK_SKIP_PIXELS, p.unpackSkipPixels);
  ::glPixelStorei(GL_PACK_ROW_LENGTH, p.packRowLength);
  ::glPixelStorei(GL_PACK_SKIP_ROWS, p.packSkipRows);
  ::glPixelStorei(GL_PACK_SKIP_PIXELS, p.packSkipPixels);
}

void APIENTRY pushClientAttrib(GLbitfield) { shaderGl->clientStack.push_back(shaderGl->pixels); }

void APIENTRY popClientAttrib() {
  ShaderGl& g = *shaderGl;
  if (g.clientStack.empty()) {
    ++g.errors;
    return;
  }
  g.pixels = g.clientStack.back();
  g.clientStack.pop_back();
  applyPixelStore(g.pixels);
}

void APIENTRY pixelStorei(GLenum name, GLint value) {
  PixelStore& p = shaderGl->pixels;
  GLint* field = nullptr;
  switch (name) {
    case GL_UNPACK_ALIGNMENT: field = &p.unpackAlignment; break;
    case GL_PACK_ALIGNMENT: field = &p.packAlignment; break;
    case GL_UNPACK_ROW_LENGTH: field = &p.unpackRowLength; break;
    case GL_UNPACK_SKIP_ROWS: field = &p.unpackSkipRows; break;
    case GL_UNPACK_SKIP_PIXELS: field = &p.unpackSkipPixels; break;
    case GL_PACK_ROW_LENGTH: field = &p.packRowLength; break;
    case GL_PACK_SKIP_ROWS: field = &p.packSkipRows; break;
    case GL_PACK_SKIP_PIXELS: field = &p.packSkipPixels; break;
    default: return;  // byte swapping and bit order: the show keeps GL's defaults
  }
  *field = value;
  ::glPixelStorei(name, value);
}

void APIENTRY hint(GLenum, GLenum) {}

void APIENTRY lightfv(GLenum light, GLenum name, const GLfloat* v) {
  const float values[4] = {v[0], name == GL_SPOT_EXPONENT || name == GL_SPOT_CUTOFF ? 0 : v[1],
                           name == GL_SPOT_EXPONENT || name == GL_SPOT_CUTOFF ? 0 : v[2],
                           name == GL_SPOT_EXPONENT || name == GL_SPOT_CUTOFF ? 0 : v[3]};
  if (recordCall([light, name, values] { lightfv(light, name, values); })) return;
  if (light != GL_LIGHT0) return;
  LightState& l = st().light;
  switch (name) {
    case GL_AMBIENT: std::copy(values, values + 4, l.ambient); break;
    case GL_DIFFUSE: std::copy(values, values + 4, l.diffuse); break;
    case GL_SPECULAR: std::copy(values, values + 4, l.specular); break;
    case GL_POSITION: transformPoint(modelViewMatrix(), values, l.position); break;
    default: return;
  }
  touch(serialLight);
}

void APIENTRY getLightfv(GLenum light, GLenum name, GLfloat* v) {
  static const LightState other = [] {
    LightState l;
    std::fill(l.diffuse, l.diffuse + 3, 0.0f);
    std::fill(l.specular, l.specular + 3, 0.0f);
    return l;
  }();
  const LightState& l = light == GL_LIGHT0 ? st().light : other;
  const float* from = name == GL_AMBIENT ? l.ambient : name == GL_DIFFUSE ? l.diffuse
                    : name == GL_SPECULAR ? l.specular : name == GL_POSITION ? l.position : nullptr;
  if (from) std::copy(from, from + 4, v);
}

void APIENTRY lightModelf(GLenum name, GLfloat value) {
  if (recordCall([name, value] { lightModelf(name, value); })) return;
  if (name == GL_LIGHT_MODEL_TWO_SIDE) st().twoSided = value != 0;
  touch(serialLight);
}

void APIENTRY fogf(GLenum name, GLfloat value) {
  if (recordCall([name, value] { fogf(name, value); })) return;
  FogState& f = st().fog_;
  switch (name) {
    case GL_FOG_MODE: f.mode = GLint(value); break;
    case GL_FOG_DENSITY: f.density = value; break;
    case GL_FOG_START: f.start = value; break;
    case GL_FOG_END: f.end = value; break;
    default: return;
  }
  touch(serialFog);
}

void APIENTRY fogi(GLenum name, GLint value) { fogf(name, GLfloat(value)); }

void APIENTRY fogfv(GLenum name, const GLfloat* v) {
  if (name != GL_FOG_COLOR) {
    fogf(name, v[0]);
    return;
  }
  const float c[4] = {v[0], v[1], v[2], v[3]};
  if (recordCall([c] { fogfv(GL_FOG_COLOR, c); })) return;
  for (int i = 0; i < 4; ++i) st().fog_.colour[i] = std::min(1.0f, std::max(0.0f, c[i]));
  touch(serialFog);
}

void APIENTRY texEnvi(GLenum, GLenum name, GLint value) {
  if (recordCall([name, value] { texEnvi(GL_TEXTURE_ENV, name, value); })) return;
  if (name == GL_TEXTURE_ENV_MODE) st().texEnvMode = value;
}

void APIENTRY getTexEnviv(GLenum, GLenum name, GLint* v) {
  if (name == GL_TEXTURE_ENV_MODE) *v = st().texEnvMode;
}

void APIENTRY texGeni(GLenum coord, GLenum name, GLint value) {
  if (recordCall([coord, name, value] { texGeni(coord, name, value); })) return;
  if (name != GL_TEXTURE_GEN_MODE) return;
  if (coord == GL_S) st().texGenMode[0] = value;
  if (coord == GL_T) st().texGenMode[1] = value;
}

void APIENTRY getTexGeniv(GLenum coord, GLenum name, GLint* v) {
  if (name == GL_TEXTURE_GEN_MODE) *v = st().texGenMode[coord == GL_T ? 1 : 0];
}

void APIENTRY alphaFunc(GLenum func, GLfloat ref) {
  if (recordCall([func, ref] { alphaFunc(func, ref); })) return;
  st().alphaFunc = func;
  st().alphaRef = ref;
  touch(serialOther);
}

void APIENTRY polygonMode(GLenum face, GLenum mode) {
  if (recordCall([face, mode] { polygonMode(face, mode); })) return;
  if (face == GL_FRONT || face == GL_FRONT_AND_BACK) st().polygonMode[0] = mode;
  if (face == GL_BACK || face == GL_FRONT_AND_BACK) st().polygonMode[1] = mode;
}

void APIENTRY lineWidth(GLfloat width) {
  if (recordCall([width] { lineWidth(width); })) return;
  if (width <= 0) {
    ++shaderGl->errors;
    return;
  }
  st().lineWidth = width;
}

void APIENTRY blendFunc(GLenum src, GLenum dst) {
  if (recordCall([src, dst] { blendFunc(src, dst); })) return;
  st().blendSrc = src;
  st().blendDst = dst;
  ::glBlendFunc(src, dst);
}

void APIENTRY depthMask(GLboolean on) {
  if (recordCall([on] { depthMask(on); })) return;
  st().depthMask = on;
  ::glDepthMask(on);
}

void APIENTRY depthFunc(GLenum func) {
  if (recordCall([func] { depthFunc(func); })) return;
  st().depthFunc = func;
  ::glDepthFunc(func);
}

void APIENTRY colorMask(GLboolean r, GLboolean g, GLboolean b, GLboolean a) {
  if (recordCall([r, g, b, a] { colorMask(r, g, b, a); })) return;
  const GLboolean mask[4] = {r, g, b, a};
  std::copy(mask, mask + 4, st().colourMask);
  ::glColorMask(r, g, b, a);
}

void APIENTRY cullFace(GLenum face) {
  if (recordCall([face] { cullFace(face); })) return;
  st().cullFaceMode = face;
  ::glCullFace(face);
}

void APIENTRY polygonOffset(GLfloat factor, GLfloat units) {
  if (recordCall([factor, units] { polygonOffset(factor, units); })) return;
  st().offsetFactor = factor;
  st().offsetUnits = units;
  ::glPolygonOffset(factor, units);
}

void APIENTRY viewport(GLint x, GLint y, GLsizei width, GLsizei height) {
  if (recordCall([x, y, width, height] { viewport(x, y, width, height); })) return;
  const GLint v[4] = {x, y, width, height};
  std::copy(v, v + 4, st().viewport);
  ::glViewport(x, y, width, height);
}

void APIENTRY clearColor(GLfloat r, GLfloat g, GLfloat b, GLfloat a) {
  if (recordCall([r, g, b, a] { clearColor(r, g, b, a); })) return;
  const float c[4] = {r, g, b, a};
  for (int i = 0; i < 4; ++i) st().clearColour[i] = std::min(1.0f, std::max(0.0f, c[i]));
  ::glClearColor(r, g, b, a);
}

void APIENTRY bindTexture(GLenum target, GLuint texture) {
  if (recordCall([target, texture] { bindTexture(target, texture); })) return;
  if (target == GL_TEXTURE_2D) st().boundTexture = texture;
  ::glBindTexture(target, texture);
}

void APIENTRY deleteTextures(GLsizei n, const GLuint* textures) {
  flushPending();
  for (GLsizei i = 0; i < n; ++i) {
    shaderGl->textureFormats.erase(textures[i]);
    shaderGl->textureParameters.erase(textures[i]);
    if (textures[i] == st().boundTexture) st().boundTexture = 0;
  }
  ::glDeleteTextures(n, textures);
}

GLint APIENTRY renderMode(GLenum) { return 0; }
}  // namespace

void restartStateRecord() {
  shaderGl->attribStack.clear();
  applyShared();
  applyPixelStore(shaderGl->pixels);
}

void fillStateCalls(GlCalls& c) {
  c.enable = enable;
  c.disable = disable;
  c.isEnabled = isEnabled;
  c.pushAttrib = pushAttrib;
  c.popAttrib = popAttrib;
  c.pushClientAttrib = pushClientAttrib;
  c.popClientAttrib = popClientAttrib;
  c.pixelStorei = pixelStorei;
  c.hint = hint;
  c.lightfv = lightfv;
  c.getLightfv = getLightfv;
  c.lightModelf = lightModelf;
  c.fogf = fogf;
  c.fogi = fogi;
  c.fogfv = fogfv;
  c.texEnvi = texEnvi;
  c.getTexEnviv = getTexEnviv;
  c.texGeni = texGeni;
  c.getTexGeniv = getTexGeniv;
  c.alphaFunc = alphaFunc;
  c.polygonMode = polygonMode;
  c.lineWidth = lineWidth;
  c.blendFunc = blendFunc;
  c.depthMask = depthMask;
  c.depthFunc = depthFunc;
  c.colorMask = colorMask;
  c.cullFace = cullFace;
  c.polygonOffset = polygonOffset;
  c.viewport = viewport;
  c.clearColor = clearColor;
  c.bindTexture = bindTexture;
  c.deleteTextures = deleteTextures;
  c.renderMode = renderMode;
}
