#include "render/GlowSources.h"

// Each program is its body below after a few first lines: the version, and names that stand
// for what the two languages call differently (the colour written, the texture read, the
// overlay's texture coordinates).

// The quads go through the fixed pipeline's own transform, so they cover and depth-test exactly
// the pixels the GL 1.1 quads do. One copy for each language version, since drivers need not
// link shaders of different versions.
const char* const glowVersion110 = "#version 110\n";
const char* const glowVersion130 = "#version 130\n";
const char* const glowVertexSource110 =
    "void main() {\n"
    "  gl_Position = ftransform();\n"
    "  gl_TexCoord[0] = gl_MultiTexCoord0;\n"
    "}\n";
const char* const glowVertexSource130 =
    "void main() {\n"
    "  gl_Position = ftransform();\n"
    "}\n";
const char* const glowOverlayNames110 =
    "#define texture texture2D\n"
    "#define coord gl_TexCoord[0]\n"
    "#define fragColour gl_FragColor\n";
const char* const glowBlurNames130 = "#define fragColour gl_FragColor\n";

// Without a fixed pipeline the renderer hands over the quad's corners and the transform itself,
// at the locations every program it draws with shares.
const char* const glowVersion330 = "#version 330 core\n";
const char* const glowVersion300es =
    "#version 300 es\n"
    "precision highp float;\n"
    "precision highp int;\n"
    "precision highp sampler2D;\n"
    "precision highp usampler2D;\n";
const char* const glowVertexSource3 =
    "layout(location = 0) in vec4 position;\n"
    "layout(location = 3) in vec4 texCoord0;\n"
    "uniform mat4 modelViewProjection;\n"
    "out vec4 coord;\n"
    "void main() {\n"
    "  gl_Position = modelViewProjection * position;\n"
    "  coord = texCoord0;\n"
    "}\n";
const char* const glowColourNames3 =
    "in vec4 coord;\n"
    "out vec4 fragColour;\n";

// One copy's worth of the blur: the picture blended with itself shifted forward, then shifted
// back, along one axis at alpha 0.3 (77 of 255), each step rounded to bytes as the blender
// rounds it. A shift of n + f texels always falls between the same two neighbours with the same
// weights, so the linear filter becomes plain texel reads with two constant weights, which cost
// far less than filtered ones, wrapped like GL_REPEAT by hand (targets of any size). A shifted
// quad leaves the pixels it does not reach as they were. Texels are exact multiples of 1/255,
// so they need no rounding of their own.
const char* const glowBlurSource =
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
    "  f = along + reach < dot(vec2(size), vec2(step)) ? ahead : f;\n"
    "  fragColour = vec4(f / 255.0, 1.0);\n"
    "}\n";

// `count` additive layers of the texel scaled by a byte weight, added in one go; the frame
// buffer's saturating add clamps the sum as it clamped each layer.
const char* const glowOverlaySource =
    "uniform sampler2D picture;\n"
    "uniform float weight;\n"
    "uniform float count;\n"
    "void main() {\n"
    "  vec3 t = floor(texture(picture, coord.st).rgb * 255.0 + 0.5);\n"
    "  vec3 layer = floor(t * (weight / 255.0) + 0.5);\n"
    "  fragColour = vec4(min(layer * count, 255.0) / 255.0, 1.0);\n"
    "}\n";

// The same blur on pictures packed four pixels to a texel: each of the 128-bit texels of an
// unsigned-integer texture a quarter as wide holds four neighbouring pixels of a row, each as
// red | green << 8 | blue << 16. A pass then reads five texels for four pixels instead of five
// texels for each, and draws a quarter of the fragments, with the same arithmetic as above on
// whole numbers. Used where the caller's depth test passes everywhere (the blur's quads then
// leave no pixel as copied).
const char* const glowPackSource =
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
const char* const glowPackedBlurSource =
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

// The packed picture back into the copy, one pixel per fragment: where the context takes no
// memory of RGBA texels into an RGB texture (ES), the bytes go over by drawing.
const char* const glowUnpackSource =
    "uniform usampler2D picture;\n"
    "void main() {\n"
    "  ivec2 at = ivec2(gl_FragCoord.xy);\n"
    "  uint c = texelFetch(picture, ivec2(at.x >> 2, at.y), 0)[at.x & 3];\n"
    "  fragColour = vec4(vec3(uvec3(c, c >> 8u, c >> 16u) & 255u) / 255.0, 1.0);\n"
    "}\n";
