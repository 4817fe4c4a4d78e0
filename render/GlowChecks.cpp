#include "render/GlowChecks.h"

#include "platform/GlProcs.h"
#include "render/OverlaySpace.h"
#include "render/Texture.h"

#include <initializer_list>

namespace {
bool matrixIsIdentity(GLenum which) {
  GLfloat m[16];
  glGetFloatv(which, m);
  for (int i = 0; i < 16; ++i)
    if (m[i] != (i % 5 == 0 ? 1.0f : 0.0f)) return false;
  return true;
}
}  // namespace

bool plainTexturedDrawing(const GlProcs& gl) {
  GLint renderMode = GL_RENDER;
  glGetIntegerv(GL_RENDER_MODE, &renderMode);
  if (renderMode != GL_RENDER) return false;  // feedback and selection record the 1.1 quads
  for (GLenum cap : {GL_TEXTURE_GEN_S, GL_TEXTURE_GEN_T, GL_TEXTURE_GEN_R, GL_TEXTURE_GEN_Q,
                     GL_ALPHA_TEST, GL_SCISSOR_TEST, GL_STENCIL_TEST, GL_COLOR_LOGIC_OP,
                     GL_POLYGON_STIPPLE, GL_TEXTURE_3D, GL_TEXTURE_CUBE_MAP})
    if ((cap != GL_COLOR_LOGIC_OP || !gl.es) && glIsEnabled(cap)) return false;  // ES has none
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

bool quadPassesEverywhere(const GlProcs& gl, GLuint query, const Texture& target) {
  GLboolean mask[4] = {GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE};
  glGetBooleanv(GL_COLOR_WRITEMASK, mask);
  glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
  // ES counts no samples, it only tells whether any passed. There the quad is drawn with the
  // depth test reversed (the comparisons' low three bits stand for less, equal and greater:
  // flipping them all passes exactly the fragments the test failed), and no sample passing
  // that means every one passed the caller's.
  GLint depthFunction = GL_LESS;
  if (gl.es) {
    glGetIntegerv(GL_DEPTH_FUNC, &depthFunction);
    glDepthFunc(GLenum(depthFunction) ^ 7u);
  }
  const GLenum counting = gl.es ? GL_ANY_SAMPLES_PASSED : GL_SAMPLES_PASSED;
  gl.beginQuery(counting, query);
  drawScreenQuad(0, 0);
  settleGlCalls();  // the quad is drawn inside the query, not held back past it
  gl.endQuery(counting);
  if (gl.es) glDepthFunc(GLenum(depthFunction));
  glColorMask(mask[0], mask[1], mask[2], mask[3]);
  GLuint passed = 0;
  gl.getQueryObjectuiv(query, GL_QUERY_RESULT, &passed);
  return gl.es ? passed == 0 : passed == GLuint(target.width) * GLuint(target.height);
}
