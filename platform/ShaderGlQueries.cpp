// The queries the show makes of GL 1.1 state, answered from the renderer's record; the rest go
// to the context.
#include "platform/ShaderGlProcs.h"

#include <algorithm>
#include <initializer_list>

namespace {
// A query the record answers: up to 16 values, false when the context should answer it.
bool answer(GLenum name, float* v, int* count) {
  ShaderGl& g = *shaderGl;
  const FixedState& s = g.s;
  auto put = [v, count](std::initializer_list<float> values) {
    int i = 0;
    for (float x : values) v[i++] = x;
    *count = i;
  };
  auto copy = [v, count](const float* from, int n) {
    std::copy(from, from + n, v);
    *count = n;
  };
  switch (name) {
    case GL_MATRIX_MODE: put({float(g.matrixMode)}); return true;
    case GL_MODELVIEW_MATRIX: copy(g.stacks[0].back().m, 16); return true;
    case GL_PROJECTION_MATRIX: copy(g.stacks[1].back().m, 16); return true;
    case GL_TEXTURE_MATRIX: copy(g.stacks[2].back().m, 16); return true;
    case GL_MODELVIEW_STACK_DEPTH: put({float(g.stacks[0].size())}); return true;
    case GL_PROJECTION_STACK_DEPTH: put({float(g.stacks[1].size())}); return true;
    case GL_CURRENT_COLOR: copy(s.colour, 4); return true;
    case GL_CURRENT_NORMAL: copy(s.normal, 3); return true;
    case GL_CURRENT_TEXTURE_COORDS: copy(s.texCoord, 4); return true;
    case GL_CURRENT_RASTER_POSITION: copy(s.rasterPosition, 4); return true;
    case GL_CURRENT_RASTER_COLOR: copy(s.rasterColour, 4); return true;
    case GL_CURRENT_RASTER_DISTANCE: put({s.rasterDistance}); return true;
    case GL_CURRENT_RASTER_POSITION_VALID: put({s.rasterValid ? 1.0f : 0.0f}); return true;
    case GL_POLYGON_MODE: put({float(s.polygonMode[0]), float(s.polygonMode[1])}); return true;
    case GL_ALPHA_TEST_FUNC: put({float(s.alphaFunc)}); return true;
    case GL_ALPHA_TEST_REF: put({s.alphaRef}); return true;
    case GL_FOG_MODE: put({float(s.fog_.mode)}); return true;
    case GL_FOG_DENSITY: put({s.fog_.density}); return true;
    case GL_FOG_START: put({s.fog_.start}); return true;
    case GL_FOG_END: put({s.fog_.end}); return true;
    case GL_FOG_COLOR: copy(s.fog_.colour, 4); return true;
    case GL_LIGHT_MODEL_TWO_SIDE: put({s.twoSided ? 1.0f : 0.0f}); return true;
    case GL_LIGHT_MODEL_AMBIENT: copy(s.lightModelAmbient, 4); return true;
    case GL_RENDER_MODE: put({float(GL_RENDER)}); return true;
    case GL_SHADE_MODEL: put({float(GL_SMOOTH)}); return true;
    case GL_LIST_BASE: put({float(s.listBase)}); return true;
    case GL_LIST_INDEX: put({float(g.compiling ? g.compilingName : 0)}); return true;
    case GL_LINE_WIDTH: put({s.lineWidth}); return true;
    case GL_VIEWPORT:
      put({float(s.viewport[0]), float(s.viewport[1]), float(s.viewport[2]), float(s.viewport[3])});
      return true;
    case GL_TEXTURE_BINDING_2D: put({float(s.boundTexture)}); return true;
    case GL_CULL_FACE_MODE: put({float(s.cullFaceMode)}); return true;
    case GL_BLEND_SRC: put({float(s.blendSrc)}); return true;
    case GL_BLEND_DST: put({float(s.blendDst)}); return true;
    case GL_DEPTH_WRITEMASK: put({float(s.depthMask)}); return true;
    case GL_COLOR_WRITEMASK:
      put({float(s.colourMask[0]), float(s.colourMask[1]), float(s.colourMask[2]),
           float(s.colourMask[3])});
      return true;
    case GL_DEPTH_FUNC: put({float(s.depthFunc)}); return true;
    case GL_POLYGON_OFFSET_FACTOR: put({s.offsetFactor}); return true;
    case GL_POLYGON_OFFSET_UNITS: put({s.offsetUnits}); return true;
    case GL_COLOR_CLEAR_VALUE: copy(s.clearColour, 4); return true;
    case GL_DEPTH_BITS: put({24}); return true;  // the picture's depth buffer
    case GL_MAX_MODELVIEW_STACK_DEPTH: put({32}); return true;
    default: return false;
  }
}

// Queries whose answers are integers even when asked for as floats.
bool integral(GLenum name) {
  return name != GL_MODELVIEW_MATRIX && name != GL_PROJECTION_MATRIX && name != GL_TEXTURE_MATRIX &&
         name != GL_CURRENT_COLOR && name != GL_CURRENT_NORMAL && name != GL_CURRENT_TEXTURE_COORDS &&
         name != GL_CURRENT_RASTER_POSITION && name != GL_CURRENT_RASTER_COLOR &&
         name != GL_CURRENT_RASTER_DISTANCE && name != GL_ALPHA_TEST_REF && name != GL_FOG_DENSITY &&
         name != GL_FOG_START && name != GL_FOG_END && name != GL_FOG_COLOR &&
         name != GL_LIGHT_MODEL_AMBIENT && name != GL_LINE_WIDTH &&
         name != GL_POLYGON_OFFSET_FACTOR && name != GL_POLYGON_OFFSET_UNITS &&
         name != GL_COLOR_CLEAR_VALUE;
}

void APIENTRY getFloatv(GLenum name, GLfloat* v) {
  float values[16];
  int n = 0;
  if (!answer(name, values, &n)) {
    ::glGetFloatv(name, v);
    return;
  }
  std::copy(values, values + n, v);
}

void APIENTRY getDoublev(GLenum name, GLdouble* v) {
  float values[16];
  int n = 0;
  if (!answer(name, values, &n)) {
    if (shaderProcsTable.getDoublev) shaderProcsTable.getDoublev(name, v);
    return;
  }
  std::copy(values, values + n, v);
}

void APIENTRY getIntegerv(GLenum name, GLint* v) {
  float values[16];
  int n = 0;
  if (!answer(name, values, &n)) {
    ::glGetIntegerv(name, v);
    return;
  }
  for (int i = 0; i < n; ++i) {
    if (integral(name)) {
      v[i] = GLint(values[i]);
    } else {
      // Colours and the like map [-1, 1] onto the whole integer range, as GL does.
      const double scaled = (double(values[i]) * 4294967295.0 - 1.0) / 2.0;
      v[i] = GLint(std::max(-2147483648.0, std::min(2147483647.0, scaled)));
    }
  }
}

void APIENTRY getBooleanv(GLenum name, GLboolean* v) {
  float values[16];
  int n = 0;
  if (!answer(name, values, &n)) {
    ::glGetBooleanv(name, v);
    return;
  }
  for (int i = 0; i < n; ++i) v[i] = values[i] != 0 ? GL_TRUE : GL_FALSE;
}

}  // namespace

void fillQueryCalls(GlCalls& c) {
  c.getIntegerv = getIntegerv;
  c.getFloatv = getFloatv;
  c.getBooleanv = getBooleanv;
  c.getDoublev = getDoublev;
}
