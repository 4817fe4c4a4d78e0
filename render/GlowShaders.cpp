#include "render/GlowShaders.h"

#include "platform/GlProcs.h"
#include "render/Glow.h"

#include <cmath>
#include <cstdio>
#include <utility>
#include <vector>

namespace {

// The quads go through the fixed pipeline's own transform, so they cover and depth-test exactly
// the pixels the GL 1.1 quads do. One copy for each language version, since drivers need not
// link shaders of different versions.
const char* const vertexSource110 =
    "#version 110\n"
    "void main() {\n"
    "  gl_Position = ftransform();\n"
    "  gl_TexCoord[0] = gl_MultiTexCoord0;\n"
    "}\n";
const char* const vertexSource130 =
    "#version 130\n"
    "void main() {\n"
    "  gl_Position = ftransform();\n"
    "}\n";

// One copy's worth of the blur: the picture blended with itself shifted forward, then shifted
// back, along one axis at alpha 0.3 (77 of 255), each step rounded to bytes as the blender
// rounds it. A shift of n + f texels always falls between the same two neighbours with the same
// weights, so the linear filter becomes plain texel reads with two constant weights, which cost
// far less than filtered ones, wrapped like GL_REPEAT by hand (targets of any size). A shifted quad leaves the pixels it does not reach as they were. Texels are exact
// multiples of 1/255, so they need no rounding of their own.
const char* const blurSource =
    "#version 130\n"
    "uniform sampler2D picture;\n"
    "uniform ivec2 size;\n"
    "uniform ivec2 step;\n"   // (1, 0) or (0, 1)
    "uniform int whole;\n"    // n: the shift's whole texels
    "uniform float part;\n"   // f: its fraction
    "uniform float reach;\n"  // the shift in pixels, n + f
    "vec3 texel(ivec2 at) {\n"  // wrapped as GL_REPEAT wraps: a shift is shorter than a side
    "  at += size * (ivec2(lessThan(at, ivec2(0))) - ivec2(greaterThanEqual(at, size)));\n"
    "  return texelFetch(picture, at, 0).rgb * 255.0;\n"
    "}\n"
    "vec3 blend(vec3 src, vec3 dst) {\n"
    "  return min(floor(floor(src + 0.5) * (77.0 / 255.0) + 0.5) +\n"
    "             floor(dst * (178.0 / 255.0) + 0.5), 255.0);\n"
    "}\n"
    "void main() {\n"
    "  ivec2 at = ivec2(gl_FragCoord.xy);\n"
    "  float along = dot(gl_FragCoord.xy, vec2(step));\n"
    "  ivec2 n = step * whole;\n"
    "  vec3 f = floor(texel(at) + 0.5);\n"
    "  vec3 back = blend(mix(texel(at - n), texel(at - n - step), part), f);\n"
    "  f = along > reach ? back : f;\n"
    "  vec3 ahead = blend(mix(texel(at + n), texel(at + n + step), part), f);\n"
    "  f = along + reach < float(dot(size, step)) ? ahead : f;\n"
    "  gl_FragColor = vec4(f / 255.0, 1.0);\n"
    "}\n";

// `count` additive layers of the texel scaled by a byte weight, added in one go; the frame
// buffer's saturating add clamps the sum as it clamped each layer.
const char* const overlaySource =
    "#version 110\n"
    "uniform sampler2D picture;\n"
    "uniform float weight;\n"
    "uniform float count;\n"
    "void main() {\n"
    "  vec3 t = floor(texture2D(picture, gl_TexCoord[0].st).rgb * 255.0 + 0.5);\n"
    "  vec3 layer = floor(t * (weight / 255.0) + 0.5);\n"
    "  gl_FragColor = vec4(min(layer * count, 255.0) / 255.0, 1.0);\n"
    "}\n";

// The same blur on pictures packed four pixels to a texel: each of the 128-bit texels of an
// unsigned-integer texture a quarter as wide holds four neighbouring pixels of a row, each as
// red | green << 8 | blue << 16. A pass then reads five texels for four pixels instead of five
// texels for each, and draws a quarter of the fragments, with the same arithmetic as above on
// whole numbers. Used where the caller's depth test passes everywhere (the blur's quads then
// leave no pixel as copied).
const char* const packSource =
    "#version 130\n"
    "uniform sampler2D picture;\n"
    "out uvec4 four;\n"
    "uint pixel(ivec2 at) {\n"
    "  uvec3 c = uvec3(floor(texelFetch(picture, at, 0).rgb * 255.0 + 0.5));\n"
    "  return c.r | (c.g << 8u) | (c.b << 16u);\n"
    "}\n"
    "void main() {\n"
    "  ivec2 at = ivec2(gl_FragCoord.xy) * ivec2(4, 1);\n"
    "  four = uvec4(pixel(at), pixel(at + ivec2(1, 0)), pixel(at + ivec2(2, 0)),\n"
    "               pixel(at + ivec2(3, 0)));\n"
    "}\n";

// Compiled once with ACROSS and OFFSET (whole & 3, where pixel 4x + whole falls inside its
// texel) for each horizontal alignment, once without for the vertical passes, and once with
// FIRST for a first horizontal pass of no whole texels made straight from the frame copy: the
// six pixels from 4x - 1 to 4x + 4 read from it as the packing would, which saves the packing.
const char* const packedBlurSource =
    "#ifdef FIRST\n"
    "uniform sampler2D picture;\n"
    "#else\n"
    "uniform usampler2D picture;\n"
    "#endif\n"
    "uniform ivec2 size;\n"   // in texels: a quarter of the width, the height
    "uniform int whole;\n"
    "uniform float part;\n"
    "uniform float reach;\n"
    "out uvec4 four;\n"
    // Reads wrap as GL_REPEAT wraps, along the pass's own axis only: a shift is shorter than a
    // side, and the other coordinate is the fragment's own.
    "int wrap(int v, int side) { return v < 0 ? v + side : (v >= side ? v - side : v); }\n"
    "#if defined(ACROSS) && !defined(FIRST)\n"
    "uvec4 fetch(ivec2 at) { return texelFetch(picture, ivec2(wrap(at.x, size.x), at.y), 0); }\n"
    "#elif !defined(FIRST)\n"
    "uvec4 fetch(ivec2 at) { return texelFetch(picture, ivec2(at.x, wrap(at.y, size.y)), 0); }\n"
    "#endif\n"
    "vec4 red(uvec4 t) { return vec4(t & 255u); }\n"
    "vec4 green(uvec4 t) { return vec4((t >> 8u) & 255u); }\n"
    "vec4 blue(uvec4 t) { return vec4(t >> 16u); }\n"
    // At most 77 + 178: the sum needs no clamp.
    "vec4 blend(vec4 src, vec4 dst) {\n"
    "  return floor(floor(src + 0.5) * (77.0 / 255.0) + 0.5) +\n"
    "         floor(dst * (178.0 / 255.0) + 0.5);\n"
    "}\n"
    "vec4 blur(vec4 f, vec4 backNear, vec4 backFar, vec4 aheadNear, vec4 aheadFar, bvec4 backs,\n"
    "          bvec4 aheads) {\n"
    "  f = mix(f, blend(mix(backNear, backFar, part), f), backs);\n"
    "  return mix(f, blend(mix(aheadNear, aheadFar, part), f), aheads);\n"
    "}\n"
    "#ifdef FIRST\n"
    "vec3 pixel(int x, int y) {\n"
    "  return floor(texelFetch(picture, ivec2(wrap(x, 4 * size.x), y), 0).rgb * 255.0 + 0.5);\n"
    "}\n"
    "void main() {\n"
    "  ivec2 at = ivec2(gl_FragCoord.xy);\n"
    "  vec3 p0 = pixel(4 * at.x - 1, at.y), p1 = pixel(4 * at.x, at.y);\n"
    "  vec3 p2 = pixel(4 * at.x + 1, at.y), p3 = pixel(4 * at.x + 2, at.y);\n"
    "  vec3 p4 = pixel(4 * at.x + 3, at.y), p5 = pixel(4 * at.x + 4, at.y);\n"
    "  mat3x4 self = transpose(mat4x3(p1, p2, p3, p4));\n"
    "  mat3x4 behind = transpose(mat4x3(p0, p1, p2, p3));\n"
    "  mat3x4 ahead = transpose(mat4x3(p2, p3, p4, p5));\n"
    "  vec4 along = float(4 * at.x) + vec4(0.5, 1.5, 2.5, 3.5);\n"
    "  bvec4 backs = greaterThan(along, vec4(reach));\n"
    "  bvec4 aheads = lessThan(along + reach, vec4(float(4 * size.x)));\n"
    "  uvec4 c[3];\n"
    "  for (int k = 0; k < 3; ++k)\n"
    "    c[k] = uvec4(blur(self[k], self[k], behind[k], self[k], ahead[k], backs, aheads));\n"
    "  four = c[0] | (c[1] << 8u) | (c[2] << 16u);\n"
    "}\n"
    "#else\n"
    "void main() {\n"
    "  ivec2 at = ivec2(gl_FragCoord.xy);\n"
    "  uvec4 self = texelFetch(picture, at, 0);\n"
    "#ifdef ACROSS\n"
    // The five pixels behind start at 4x - whole - 1, the five ahead at 4x + whole; each run
    // lies within two texels.
    "#ifdef NEAR\n"
    // A shift of under four pixels: the runs are the texel behind and this one, and this one and
    // the texel ahead.
    "  uvec4 b0 = fetch(at - ivec2(1, 0)), b1 = self, a0 = self, a1 = fetch(at + ivec2(1, 0));\n"
    "#else\n"
    "  int behind = 4 * at.x - whole - 1;\n"
    "  int ahead = 4 * at.x + whole;\n"
    "  uvec4 b0 = fetch(ivec2(behind >> 2, at.y)), b1 = fetch(ivec2((behind >> 2) + 1, at.y));\n"
    "  uvec4 a0 = fetch(ivec2(ahead >> 2, at.y)), a1 = fetch(ivec2((ahead >> 2) + 1, at.y));\n"
    "#endif\n"
    "  uint bs[8] = uint[8](b0.x, b0.y, b0.z, b0.w, b1.x, b1.y, b1.z, b1.w);\n"
    "  uint as[8] = uint[8](a0.x, a0.y, a0.z, a0.w, a1.x, a1.y, a1.z, a1.w);\n"
    "  const int ob = 3 - OFFSET;\n"
    "  uvec4 backFar = uvec4(bs[ob], bs[ob + 1], bs[ob + 2], bs[ob + 3]);\n"
    "  uvec4 backNear = uvec4(bs[ob + 1], bs[ob + 2], bs[ob + 3], bs[ob + 4]);\n"
    "  uvec4 aheadNear = uvec4(as[OFFSET], as[OFFSET + 1], as[OFFSET + 2], as[OFFSET + 3]);\n"
    "  uvec4 aheadFar = uvec4(as[OFFSET + 1], as[OFFSET + 2], as[OFFSET + 3], as[OFFSET + 4]);\n"
    "  vec4 along = float(4 * at.x) + vec4(0.5, 1.5, 2.5, 3.5);\n"
    "  float span = float(4 * size.x);\n"
    "#else\n"
    "#ifdef NEAR\n"  // no whole rows: the near rows are this one
    "  uvec4 backNear = self, backFar = fetch(at - ivec2(0, 1));\n"
    "  uvec4 aheadNear = self, aheadFar = fetch(at + ivec2(0, 1));\n"
    "#else\n"
    "  uvec4 backNear = fetch(at - ivec2(0, whole)), backFar = fetch(at - ivec2(0, whole + 1));\n"
    "  uvec4 aheadNear = fetch(at + ivec2(0, whole)), aheadFar = fetch(at + ivec2(0, whole + 1));\n"
    "#endif\n"
    "  vec4 along = vec4(gl_FragCoord.y);\n"
    "  float span = float(size.y);\n"
    "#endif\n"
    "  bvec4 backs = greaterThan(along, vec4(reach));\n"
    "  bvec4 aheads = lessThan(along + reach, vec4(span));\n"
    "  uvec4 r = uvec4(blur(red(self), red(backNear), red(backFar), red(aheadNear),\n"
    "                       red(aheadFar), backs, aheads));\n"
    "  uvec4 g = uvec4(blur(green(self), green(backNear), green(backFar), green(aheadNear),\n"
    "                       green(aheadFar), backs, aheads));\n"
    "  uvec4 bl = uvec4(blur(blue(self), blue(backNear), blue(backFar), blue(aheadNear),\n"
    "                        blue(aheadFar), backs, aheads));\n"
    "  four = r | (g << 8u) | (bl << 16u);\n"
    "}\n"
    "#endif\n";

// One pass program of the packed blur and where its uniforms are.
struct PassProgram {
  GLuint name = 0;
  GLint picture = -1, size = -1, whole = -1, part = -1, reach = -1;
};

struct Scratch {
  int32_t width = 0;
  int32_t height = 0;
  GLuint name = 0;  // the other half of the ping-pong
  GLuint packed[2] = {0, 0};  // the packed picture's ping-pong, made on first use
  GLuint unpackBuffer = 0;  // the packed result on its way into the copy, made on first use
};

struct GlowPrograms {
  unsigned context = 0;  // the context these belong to
  bool ready = false;
  GLuint blur = 0;
  GLuint overlay = 0;
  GLuint framebuffer = 0;
  GLint blurPicture = -1, blurSize = -1, blurStep = -1, blurWhole = -1, blurPart = -1,
        blurReach = -1;
  GLint overlayPicture = -1, overlayWeight = -1, overlayCount = -1;
  bool packedReady = false;  // the packed blur's programs and query
  // The passes along a row for each alignment, and for shifts of under four pixels; the passes
  // up a column, and for shifts of under one row.
  PassProgram pack, across[4], acrossNear[4], down, downNear, first;
  GLuint query = 0;
  std::vector<Scratch> scratch;
};

GlowPrograms programs;
BlurRoute route = BlurRoute::None;
bool packedAllowed = true;

GLuint compile(const GlProcs& gl, GLenum kind, const char* source, const char* prefix = "") {
  GLuint shader = gl.createShader(kind);
  const char* parts[2] = {prefix, source};
  gl.shaderSource(shader, 2, parts, nullptr);
  gl.compileShader(shader);
  GLint ok = GL_FALSE;
  gl.getShaderiv(shader, GL_COMPILE_STATUS, &ok);
  if (!ok) {
    char log[512] = "";
    gl.getShaderInfoLog(shader, sizeof log, nullptr, log);
    std::fprintf(stderr, "kelvarn: glow shader does not compile, using GL 1.1: %s\n", log);
    gl.deleteShader(shader);
    return 0;
  }
  return shader;
}

GLuint link(const GlProcs& gl, const char* vertex, const char* fragment,
            const char* fragmentPrefix = "") {
  GLuint vs = compile(gl, GL_VERTEX_SHADER, vertex);
  GLuint fs = compile(gl, GL_FRAGMENT_SHADER, fragment, fragmentPrefix);
  GLuint program = 0;
  if (vs && fs) {
    program = gl.createProgram();
    gl.attachShader(program, vs);
    gl.attachShader(program, fs);
    gl.linkProgram(program);
    GLint ok = GL_FALSE;
    gl.getProgramiv(program, GL_LINK_STATUS, &ok);
    if (!ok) {
      char log[512] = "";
      gl.getProgramInfoLog(program, sizeof log, nullptr, log);
      std::fprintf(stderr, "kelvarn: glow shader does not link, using GL 1.1: %s\n", log);
      gl.deleteProgram(program);
      program = 0;
    }
  }
  if (vs) gl.deleteShader(vs);  // kept alive by the program while it is attached
  if (fs) gl.deleteShader(fs);
  return program;
}

PassProgram passProgram(const GlProcs& gl, const char* fragment, const char* prefix) {
  PassProgram p;
  p.name = link(gl, vertexSource130, fragment, prefix);
  if (!p.name) return p;
  p.picture = gl.getUniformLocation(p.name, "picture");
  p.size = gl.getUniformLocation(p.name, "size");
  p.whole = gl.getUniformLocation(p.name, "whole");
  p.part = gl.getUniformLocation(p.name, "part");
  p.reach = gl.getUniformLocation(p.name, "reach");
  return p;
}

void buildPackedPrograms(const GlProcs& gl) {
  programs.pack = passProgram(gl, packSource, "");
  programs.down = passProgram(gl, packedBlurSource, "#version 130\n");
  programs.downNear = passProgram(gl, packedBlurSource, "#version 130\n#define NEAR\n");
  programs.first = passProgram(gl, packedBlurSource, "#version 130\n#define FIRST\n");
  bool ready = programs.pack.name && programs.down.name && programs.downNear.name &&
               programs.first.name;
  for (int offset = 0; offset < 4; ++offset) {
    char prefix[96];
    std::snprintf(prefix, sizeof prefix, "#version 130\n#define ACROSS\n#define OFFSET %d\n",
                  offset);
    programs.across[offset] = passProgram(gl, packedBlurSource, prefix);
    std::snprintf(prefix, sizeof prefix,
                  "#version 130\n#define ACROSS\n#define OFFSET %d\n#define NEAR\n", offset);
    programs.acrossNear[offset] = passProgram(gl, packedBlurSource, prefix);
    ready = ready && programs.across[offset].name && programs.acrossNear[offset].name;
  }
  gl.genQueries(1, &programs.query);
  programs.packedReady = ready && programs.query != 0;
}

// The programs of the current context, built on first use; nullptr where there are none.
const GlowPrograms* currentPrograms(const GlProcs** procs) {
  const GlProcs* gl = shaderProcs();
  *procs = gl;
  if (!gl) return nullptr;
  if (programs.context != gl->context) {
    // A context seen for the first time: whatever was made in an earlier one went with it.
    programs = GlowPrograms();
    programs.context = gl->context;
    programs.blur = link(*gl, vertexSource130, blurSource);
    programs.overlay = link(*gl, vertexSource110, overlaySource);
    if (programs.blur && programs.overlay) {
      programs.blurPicture = gl->getUniformLocation(programs.blur, "picture");
      programs.blurSize = gl->getUniformLocation(programs.blur, "size");
      programs.blurStep = gl->getUniformLocation(programs.blur, "step");
      programs.blurWhole = gl->getUniformLocation(programs.blur, "whole");
      programs.blurPart = gl->getUniformLocation(programs.blur, "part");
      programs.blurReach = gl->getUniformLocation(programs.blur, "reach");
      programs.overlayPicture = gl->getUniformLocation(programs.overlay, "picture");
      programs.overlayWeight = gl->getUniformLocation(programs.overlay, "weight");
      programs.overlayCount = gl->getUniformLocation(programs.overlay, "count");
      gl->fb.genFramebuffers(1, &programs.framebuffer);
      programs.ready = programs.framebuffer != 0;
    }
    if (programs.ready && gl->integerTextures) buildPackedPrograms(*gl);
  }
  return programs.ready ? &programs : nullptr;
}

bool matrixIsIdentity(GLenum which) {
  GLfloat m[16];
  glGetFloatv(which, m);
  for (int i = 0; i < 16; ++i)
    if (m[i] != (i % 5 == 0 ? 1.0f : 0.0f)) return false;
  return true;
}

// Drawing state that the fixed pipeline applies to a textured quad and the shaders would not:
// where any of it is set, the GL 1.1 path draws.
bool plainTexturedDrawing() {
  GLint renderMode = GL_RENDER;
  glGetIntegerv(GL_RENDER_MODE, &renderMode);
  if (renderMode != GL_RENDER) return false;  // feedback and selection record the 1.1 quads
  for (GLenum cap : {GL_TEXTURE_GEN_S, GL_TEXTURE_GEN_T, GL_TEXTURE_GEN_R, GL_TEXTURE_GEN_Q,
                     GL_ALPHA_TEST, GL_SCISSOR_TEST, GL_STENCIL_TEST, GL_COLOR_LOGIC_OP,
                     GL_POLYGON_STIPPLE, GL_TEXTURE_3D, GL_TEXTURE_CUBE_MAP})
    if (glIsEnabled(cap)) return false;
  GLint mode = 0;
  glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &mode);
  if (mode != GL_MODULATE) return false;
  GLint polygon[2] = {GL_FILL, GL_FILL};
  glGetIntegerv(GL_POLYGON_MODE, polygon);
  if (polygon[0] != GL_FILL || polygon[1] != GL_FILL) return false;
  GLboolean mask[4] = {GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE};
  glGetBooleanv(GL_COLOR_WRITEMASK, mask);
  if (!mask[0] || !mask[1] || !mask[2]) return false;
  if (glIsEnabled(GL_FOG)) {
    // Quads at eye depth 0 are untouched by exponential fog and by linear fog that starts at
    // or before the eye; anything else fogs them.
    GLint fogMode = GL_EXP;
    GLfloat start = 0, end = 1;
    glGetIntegerv(GL_FOG_MODE, &fogMode);
    glGetFloatv(GL_FOG_START, &start);
    glGetFloatv(GL_FOG_END, &end);
    if (fogMode == GL_LINEAR && !(end > start && start <= 0 && end >= 0)) return false;
  }
  return matrixIsIdentity(GL_TEXTURE_MATRIX);
}

// An unfiltered texture of the given size and format, left bound, its contents undefined.
GLuint nearestTexture(int32_t width, int32_t height, GLint internalFormat, GLenum format,
                      GLenum type) {
  GLuint name = 0;
  glGenTextures(1, &name);
  glBindTexture(GL_TEXTURE_2D, name);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexImage2D(GL_TEXTURE_2D, 0, internalFormat, width, height, 0, format, type, nullptr);
  return name;
}

GLuint plainTexture(int32_t width, int32_t height) {
  return nearestTexture(width, height, GL_RGB8, GL_RGB, GL_UNSIGNED_BYTE);
}

// Four pixels to a texel: a quarter as wide.
GLuint packedTexture(int32_t width, int32_t height) {
  return nearestTexture(width / 4, height, GL_RGBA32UI, GL_RGBA_INTEGER, GL_UNSIGNED_INT);
}

Scratch& scratchFor(const Texture& target) {
  for (Scratch& s : programs.scratch)
    if (s.width == target.width && s.height == target.height) return s;
  Scratch s;
  s.width = target.width;
  s.height = target.height;
  s.name = plainTexture(s.width, s.height);
  programs.scratch.push_back(s);
  return programs.scratch.back();
}

// The copy texture's own sampling and format, which the scratch texture copies.
bool copyIsPlainRgb(GLuint copy) {
  GLint minFilter = 0, magFilter = 0, wrapS = 0, wrapT = 0, format = 0;
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &magFilter);
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &wrapS);
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, &wrapT);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &format);
  return copy != 0 && minFilter == GL_LINEAR && magFilter == GL_LINEAR && wrapS == GL_REPEAT &&
         wrapT == GL_REPEAT && (format == GL_RGB || format == GL_RGB8);
}

// Whether the blur's quad at the overlay plane passes the caller's depth test at every pixel
// of the target (counted with an occlusion query, nothing drawn): then no pixel is left as
// copied, and the packed passes, which have no depth buffer, give the same picture.
bool quadPassesEverywhere(const GlProcs& gl, const GlowPrograms& p, const Texture& target) {
  GLboolean mask[4] = {GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE};
  glGetBooleanv(GL_COLOR_WRITEMASK, mask);
  glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
  gl.beginQuery(GL_SAMPLES_PASSED, p.query);
  drawScreenQuad(0, 0);
  gl.endQuery(GL_SAMPLES_PASSED);
  glColorMask(mask[0], mask[1], mask[2], mask[3]);
  GLuint passed = 0;
  gl.getQueryObjectuiv(p.query, GL_QUERY_RESULT, &passed);
  return passed == GLuint(target.width) * GLuint(target.height);
}

void drawPass(const GlProcs& gl, const PassProgram& program, GLuint from, GLuint to,
              int32_t width, int32_t height) {
  gl.fb.framebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, to, 0);
  glBindTexture(GL_TEXTURE_2D, from);
  gl.useProgram(program.name);
  gl.uniform1i(program.picture, 0);
  if (program.size >= 0) gl.uniform2i(program.size, width / 4, height);
  drawScreenQuad(0, 0);
}

// The packed picture's bytes are the copy's pixels as they stand: each 32-bit texel component
// is one pixel, red in its lowest byte, which is how GL reads red, green, blue and alpha packed
// in an unsigned int (GL_UNSIGNED_INT_8_8_8_8_REV). So the result goes into the copy through a
// pixel buffer, read out and written back as memory (alpha, always 0, dropped by the copy's RGB
// format), with no drawing. The client's pixel-store settings and buffer bindings are put back.
void unpackInto(const GlProcs& gl, Scratch& scratch, GLuint from, GLuint copy) {
  const int32_t width = scratch.width, height = scratch.height;
  // The pixel-store group holds the pixel buffer bindings too.
  glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
  if (scratch.unpackBuffer == 0) {
    gl.genBuffers(1, &scratch.unpackBuffer);
    gl.bindBuffer(GL_PIXEL_PACK_BUFFER, scratch.unpackBuffer);
    gl.bufferData(GL_PIXEL_PACK_BUFFER, GLsizeiptr(width) * height * 4, nullptr, GL_STREAM_COPY);
  }
  for (GLenum name : {GL_PACK_SWAP_BYTES, GL_PACK_LSB_FIRST, GL_PACK_ROW_LENGTH,
                      GL_PACK_SKIP_ROWS, GL_PACK_SKIP_PIXELS, GL_PACK_IMAGE_HEIGHT,
                      GL_PACK_SKIP_IMAGES, GL_UNPACK_SWAP_BYTES, GL_UNPACK_LSB_FIRST,
                      GL_UNPACK_ROW_LENGTH, GL_UNPACK_SKIP_ROWS, GL_UNPACK_SKIP_PIXELS,
                      GL_UNPACK_IMAGE_HEIGHT, GL_UNPACK_SKIP_IMAGES})
    glPixelStorei(name, 0);
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  gl.bindBuffer(GL_PIXEL_PACK_BUFFER, scratch.unpackBuffer);
  glBindTexture(GL_TEXTURE_2D, from);
  glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA_INTEGER, GL_UNSIGNED_INT, nullptr);
  gl.bindBuffer(GL_PIXEL_UNPACK_BUFFER, scratch.unpackBuffer);
  glBindTexture(GL_TEXTURE_2D, copy);
  glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, width, height, GL_RGBA, GL_UNSIGNED_INT_8_8_8_8_REV,
                  nullptr);
  glPopClientAttrib();
}

// The blur's passes on the packed picture: the copy packed, the passes ping-ponging between
// the two packed textures, the result unpacked into the copy. The framebuffer object is left
// bound, with no depth attachment; the viewport is put back.
bool packedBlur(const GlProcs& gl, const GlowPrograms& p, Scratch& scratch, GLuint copy,
                int reach) {
  const int32_t width = scratch.width, height = scratch.height;
  for (GLuint& name : scratch.packed)
    if (name == 0) name = packedTexture(width, height);
  gl.fb.bindFramebuffer(GL_FRAMEBUFFER, p.framebuffer);
  gl.fb.framebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, scratch.packed[0],
                          0);
  const bool complete = gl.fb.checkFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
  if (complete) {
    glDisable(GL_BLEND);
    glViewport(0, 0, width / 4, height);
    // The first horizontal shift reaches less than a whole pixel where the target is narrower
    // than 800: then that pass packs the copy itself.
    const bool packing = std::floor(float(width) / 800.0f) != 0.0f;
    if (packing) drawPass(gl, p.pack, copy, scratch.packed[0], width, height);
    GLuint from = packing ? scratch.packed[0] : copy;
    GLuint to = packing ? scratch.packed[1] : scratch.packed[0];
    for (int b = 1; b <= reach; b *= 2) {
      for (int axis = 0; axis < 2; ++axis) {
        const float shift = axis == 0 ? b * float(width) / 800.0f : b * float(height) / 600.0f;
        const float whole = std::floor(shift);
        const bool first = from == copy;
        const PassProgram& program =
            first       ? p.first
            : axis == 0 ? (whole < 4 ? p.acrossNear[int(whole)] : p.across[int(whole) & 3])
                        : (whole < 1 ? p.downNear : p.down);
        gl.useProgram(program.name);
        gl.uniform1i(program.whole, int(whole));
        gl.uniform1f(program.part, shift - whole);
        gl.uniform1f(program.reach, shift);
        drawPass(gl, program, from, to, width, height);
        from = to;
        to = from == scratch.packed[0] ? scratch.packed[1] : scratch.packed[0];
      }
    }
    glViewport(0, 0, width, height);
    unpackInto(gl, scratch, from, copy);

    gl.useProgram(0);
    glEnable(GL_BLEND);
  }
  gl.fb.framebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, 0, 0);
  return complete;
}

}  // namespace

bool glowShadersAvailable() {
  const GlProcs* gl = nullptr;
  return currentPrograms(&gl) != nullptr;
}

BlurRoute lastBlurRoute() { return route; }

void allowPackedBlur(bool on) { packedAllowed = on; }

bool blurWithShaders(const Texture& target, GLuint copy, int reach) {
  route = BlurRoute::None;
  const GlProcs* gl = nullptr;
  const GlowPrograms* p = currentPrograms(&gl);
  if (!p || target.width <= 0 || target.height <= 0 || !plainTexturedDrawing() ||
      !copyIsPlainRgb(copy))
    return false;
  GLint viewport[4] = {0, 0, 0, 0};
  glGetIntegerv(GL_VIEWPORT, viewport);
  if (viewport[0] != 0 || viewport[1] != 0 || viewport[2] != target.width ||
      viewport[3] != target.height)
    return false;
  GLint drawFramebuffer = 0, readFramebuffer = 0;
  glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &drawFramebuffer);
  glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &readFramebuffer);

  // The quads of the GL 1.1 blur meet the caller's depth test, and leave the pixels failing it
  // as copied. The passes do the same against the same depth buffer; for the reads around a
  // failing pixel to find it as copied in both textures, the scratch texture starts as a copy
  // of the frame too.
  GLint depthType = GL_NONE, depthName = 0;
  const bool depthTest = glIsEnabled(GL_DEPTH_TEST);
  if (depthTest) {
    if (drawFramebuffer == 0) {
      GLint depthBits = 0;
      glGetIntegerv(GL_DEPTH_BITS, &depthBits);
      if (depthBits > 0) return false;  // the window's own depth buffer cannot be shared
    } else {
      gl->fb.getFramebufferAttachmentParameteriv(GL_DRAW_FRAMEBUFFER, GL_DEPTH_ATTACHMENT,
                                              GL_FRAMEBUFFER_ATTACHMENT_OBJECT_TYPE, &depthType);
      if (depthType == GL_RENDERBUFFER || depthType == GL_TEXTURE)
        gl->fb.getFramebufferAttachmentParameteriv(GL_DRAW_FRAMEBUFFER, GL_DEPTH_ATTACHMENT,
                                                GL_FRAMEBUFFER_ATTACHMENT_OBJECT_NAME, &depthName);
      else if (depthType != GL_NONE)
        return false;
    }
  }
  Scratch& scratch = scratchFor(target);
  if (packedAllowed && p->packedReady && target.width >= 4 && target.width % 4 == 0 &&
      (depthName == 0 || quadPassesEverywhere(*gl, *p, target))) {
    const bool done = packedBlur(*gl, *p, scratch, copy, reach);
    gl->fb.bindFramebuffer(GL_DRAW_FRAMEBUFFER, GLuint(drawFramebuffer));
    gl->fb.bindFramebuffer(GL_READ_FRAMEBUFFER, GLuint(readFramebuffer));
    glBindTexture(GL_TEXTURE_2D, copy);
    if (gl->softwareRasteriser) glFinish();  // as below
    if (done) route = BlurRoute::Packed;
    return done;
  }
  if (depthName != 0) {
    glBindTexture(GL_TEXTURE_2D, scratch.name);
    glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, 0, target.width, target.height);
  }

  gl->fb.bindFramebuffer(GL_FRAMEBUFFER, p->framebuffer);
  if (depthType == GL_RENDERBUFFER)
    gl->fb.framebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER,
                                GLuint(depthName));
  else if (depthType == GL_TEXTURE)
    gl->fb.framebufferTexture2D(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_TEXTURE_2D, GLuint(depthName),
                             0);
  gl->fb.framebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, scratch.name, 0);
  const bool complete = gl->fb.checkFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
  if (complete) {
    glDisable(GL_BLEND);
    gl->useProgram(p->blur);
    gl->uniform1i(p->blurPicture, 0);
    gl->uniform2i(p->blurSize, target.width, target.height);
    // Ping-pong between the copy and the scratch texture, a pass for each copy the GL 1.1
    // sequence makes; that is an even number, so the last pass writes into the copy.
    GLuint from = copy, to = scratch.name;
    for (int b = 1; b <= reach; b *= 2) {
      for (int axis = 0; axis < 2; ++axis) {
        gl->fb.framebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, to, 0);
        glBindTexture(GL_TEXTURE_2D, from);
        // One unit of shift is width / 800 pixels across and height / 600 up.
        const float shift = axis == 0 ? b * float(target.width) / 800.0f
                                      : b * float(target.height) / 600.0f;
        const float whole = std::floor(shift);
        gl->uniform2i(p->blurStep, axis == 0 ? 1 : 0, axis == 0 ? 0 : 1);
        gl->uniform1i(p->blurWhole, int(whole));
        gl->uniform1f(p->blurPart, shift - whole);
        gl->uniform1f(p->blurReach, shift);
        drawScreenQuad(0, 0);
        std::swap(from, to);
      }
    }
    gl->useProgram(0);
    glEnable(GL_BLEND);
  }
  gl->fb.framebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, 0, 0);
  if (depthType != GL_NONE)
    gl->fb.framebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, 0);
  gl->fb.bindFramebuffer(GL_DRAW_FRAMEBUFFER, GLuint(drawFramebuffer));
  gl->fb.bindFramebuffer(GL_READ_FRAMEBUFFER, GLuint(readFramebuffer));
  glBindTexture(GL_TEXTURE_2D, copy);
  // A software rasteriser queues the whole frame and keeps every buffer it used alive until the
  // queue drains; the GL 1.1 blur drains it at each copy. Without one drain here, the end
  // scroller's live text after the glow makes it allocate fresh memory for every draw (ten
  // times the page faults, twice the frame time). A GPU needs no such wait.
  if (gl->softwareRasteriser) glFinish();
  if (complete) route = BlurRoute::PerPixel;
  return complete;
}

bool overlayWithShaders(const Texture& target, float alpha, int8_t count) {
  if (count < 2 || target.blendDst != GL_ONE ||
      (target.blendSrc != GL_SRC_ALPHA && target.blendSrc != GL_ONE))
    return false;
  const GlProcs* gl = nullptr;
  const GlowPrograms* p = currentPrograms(&gl);
  if (!p || !plainTexturedDrawing()) return false;
  // The colour is clamped as glColor4f clamps it; GL_ONE ignores it.
  const float a = std::fmin(1.0f, std::fmax(0.0f, alpha));
  const float weight = target.blendSrc == GL_ONE ? 255.0f : std::floor(a * 255.0f + 0.5f);
  glBlendFunc(GL_ONE, GL_ONE);
  gl->useProgram(p->overlay);
  gl->uniform1i(p->overlayPicture, 0);
  gl->uniform1f(p->overlayWeight, weight);
  gl->uniform1f(p->overlayCount, float(count));
  drawScreenQuad(0, 0);
  gl->useProgram(0);
  glBlendFunc(target.blendSrc, target.blendDst);
  return true;
}
