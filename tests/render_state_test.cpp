#include "render/GlState.h"
#include "render/Light.h"
#include "render/Texture.h"
#include "tests/GlTestContext.h"

#include <GL/glu.h>

#include <array>

namespace {
float depthAt(int x, int y) {
  float depth = -1;
  glReadPixels(x, 599 - y, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
  return depth;
}

GLint matrixMode() {
  GLint mode = 0;
  glGetIntegerv(GL_MATRIX_MODE, &mode);
  return mode;
}

// A flat quad in the overlay space at depth z (nearer for larger z), colour c.
void drawOverlayQuad(float z, float r, float g, float b) {
  setOrtho();
  glLoadIdentity();
  glColor3f(r, g, b);
  glBegin(GL_TRIANGLE_STRIP);
  glVertex3f(-200, 150, z);
  glVertex3f(-200, -150, z);
  glVertex3f(200, 150, z);
  glVertex3f(200, -150, z);
  glEnd();
}

void expectFloats(const std::array<float, 4>& got, std::array<float, 4> want) {
  for (int i = 0; i < 4; ++i) EXPECT_FLOAT_EQ(got[i], want[i]) << "component " << i;
}
}  // namespace

class RenderStateTest : public GlTest {};

TEST_F(RenderStateTest, LetterboxWithoutBarsStillResetsState) {
  glClearColor(0.2f, 0.4f, 0.6f, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  glDisable(GL_LIGHTING);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_TEXTURE_2D);
  glEnable(GL_BLEND);
  glEnable(GL_FOG);
  glColor4f(1, 0, 0, 0.5f);
  setOrtho();
  glLoadIdentity();
  glTranslatef(3, 4, 5);
  const std::array<float, 16> modelview = matrix(GL_MODELVIEW_MATRIX);

  drawLetterbox(0);

  EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
  EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
  EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
  EXPECT_TRUE(glIsEnabled(GL_BLEND)) << "blending is left as it was";
  EXPECT_TRUE(glIsEnabled(GL_FOG)) << "fog is left as it was";
  expectFloats(currentColour(), {1, 1, 1, 1});
  EXPECT_EQ(matrix(GL_PROJECTION_MATRIX), perspective60()) << "ortho in, perspective out";
  EXPECT_EQ(matrix(GL_MODELVIEW_MATRIX), modelview);
  EXPECT_EQ(matrixMode(), GL_MODELVIEW);
  EXPECT_EQ(pixelAt(400, 10), (std::array<int, 3>{51, 102, 153})) << "nothing drawn";
}

TEST_F(RenderStateTest, LetterboxBarsCoverTopAndBottom75Rows) {
  glClearColor(1, 1, 1, 1);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  // Bars land over everything, whatever lighting, depth or texturing were doing.
  glEnable(GL_LIGHTING);
  glEnable(GL_DEPTH_TEST);
  glDepthFunc(GL_NEVER);
  drawLetterbox(3);
  glDepthFunc(GL_LESS);
  saveTestPicture("render_state_letterbox");
  const std::array<int, 3> black{0, 0, 0}, white{255, 255, 255};
  for (int x : {0, 400, 799}) {
    EXPECT_EQ(pixelAt(x, 0), black);
    EXPECT_EQ(pixelAt(x, 74), black);
    EXPECT_EQ(pixelAt(x, 75), white);
    EXPECT_EQ(pixelAt(x, 524), white);
    EXPECT_EQ(pixelAt(x, 525), black);
    EXPECT_EQ(pixelAt(x, 599), black);
  }

  glClear(GL_COLOR_BUFFER_BIT);
  drawLetterbox(1);
  EXPECT_EQ(pixelAt(400, 10), black);
  EXPECT_EQ(pixelAt(400, 590), white);
  glClear(GL_COLOR_BUFFER_BIT);
  drawLetterbox(2);
  EXPECT_EQ(pixelAt(400, 10), white);
  EXPECT_EQ(pixelAt(400, 590), black);
}

TEST_F(RenderStateTest, BlendPairsAndTheirLeftovers) {
  GLboolean depthWrites = GL_FALSE;
  float twoSided = -1;
  beginBlend(GL_SRC_ALPHA, GL_ONE, true);
  glGetBooleanv(GL_DEPTH_WRITEMASK, &depthWrites);
  glGetFloatv(GL_LIGHT_MODEL_TWO_SIDE, &twoSided);
  EXPECT_TRUE(glIsEnabled(GL_BLEND));
  EXPECT_FALSE(depthWrites);
  EXPECT_EQ(twoSided, 1.0f);
  EXPECT_FALSE(glIsEnabled(GL_CULL_FACE));
  GLint src = 0, dst = 0;
  glGetIntegerv(GL_BLEND_SRC, &src);
  glGetIntegerv(GL_BLEND_DST, &dst);
  EXPECT_EQ(src, GL_SRC_ALPHA);
  EXPECT_EQ(dst, GL_ONE);

  // Not translucent: only the blend function and the enable change.
  endBlend();
  glDisable(GL_CULL_FACE);
  beginBlend(GL_ONE, GL_ONE, false);
  glGetBooleanv(GL_DEPTH_WRITEMASK, &depthWrites);
  glGetFloatv(GL_LIGHT_MODEL_TWO_SIDE, &twoSided);
  EXPECT_TRUE(depthWrites);
  EXPECT_EQ(twoSided, 0.0f);
  EXPECT_FALSE(glIsEnabled(GL_CULL_FACE));

  // endBlend without a beginBlend still switches everything.
  glDisable(GL_BLEND);
  glDisable(GL_CULL_FACE);
  glDepthMask(GL_FALSE);
  glLightModelf(GL_LIGHT_MODEL_TWO_SIDE, 1);
  endBlend();
  glGetBooleanv(GL_DEPTH_WRITEMASK, &depthWrites);
  glGetFloatv(GL_LIGHT_MODEL_TWO_SIDE, &twoSided);
  EXPECT_FALSE(glIsEnabled(GL_BLEND));
  EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
  EXPECT_TRUE(depthWrites);
  EXPECT_EQ(twoSided, 0.0f);
  EXPECT_EQ(matrixMode(), GL_MODELVIEW);
}

TEST_F(RenderStateTest, FogShowsOnlyOnceEnabled) {
  glDisable(GL_LIGHTING);
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_FOG);
  glClearColor(0, 0, 0, 1);
  const float red[4] = {1, 0, 0, 1};
  setFog(GL_EXP2, 0.5f, 1, 100, red);
  EXPECT_FALSE(glIsEnabled(GL_FOG));

  // A white quad far in front of the eye: untouched by fog until fog is switched on.
  glClear(GL_COLOR_BUFFER_BIT);
  drawOverlayQuad(-400, 1, 1, 1);
  EXPECT_EQ(pixelAt(400, 300), (std::array<int, 3>{255, 255, 255}));
  disableFog(false);
  EXPECT_TRUE(glIsEnabled(GL_FOG));
  glClear(GL_COLOR_BUFFER_BIT);
  drawOverlayQuad(-400, 1, 1, 1);
  EXPECT_EQ(pixelAt(400, 300), (std::array<int, 3>{255, 0, 0})) << "dense fog is all red";

  // Thin blue fog: the far quad only takes a tint of it.
  setFogDensity(0.001f);
  setFogColour(0, 0, 1, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  drawOverlayQuad(-400, 1, 1, 1);
  const std::array<int, 3> tinted = pixelAt(400, 300);
  EXPECT_LT(tinted[0], 255);
  EXPECT_EQ(tinted[2], 255);
  disableFog(true);
  EXPECT_FALSE(glIsEnabled(GL_FOG));
}

TEST_F(RenderStateTest, ClearScreenKeepsDepthBeginCaptureClearsBoth) {
  glDisable(GL_LIGHTING);
  glDisable(GL_TEXTURE_2D);
  glEnable(GL_DEPTH_TEST);
  glDepthFunc(GL_LESS);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  drawOverlayQuad(100, 1, 0, 0);
  const float quadDepth = depthAt(400, 300);
  ASSERT_LT(quadDepth, 1.0f);

  clearScreen(0, 0, 1, 1);
  EXPECT_EQ(pixelAt(400, 300), (std::array<int, 3>{0, 0, 255}));
  EXPECT_EQ(depthAt(400, 300), quadDepth) << "depth survives clearScreen";
  // A farther quad is still hidden by the depth left behind.
  drawOverlayQuad(0, 0, 1, 0);
  EXPECT_EQ(pixelAt(400, 300), (std::array<int, 3>{0, 0, 255}));
  float clearColour[4] = {};
  glGetFloatv(GL_COLOR_CLEAR_VALUE, clearColour);
  expectFloats({clearColour[0], clearColour[1], clearColour[2], clearColour[3]}, {0, 0, 1, 1});

  Texture target = createRenderTarget(512, 512, 1);
  glTranslatef(1, 2, 3);
  target.beginCapture(0, 1, 0, 1);
  EXPECT_EQ(pixelAt(400, 300), (std::array<int, 3>{0, 255, 0}));
  EXPECT_EQ(depthAt(400, 300), 1.0f) << "depth cleared";
  GLint viewport[4] = {};
  glGetIntegerv(GL_VIEWPORT, viewport);
  EXPECT_EQ(viewport[2], 512);
  EXPECT_EQ(viewport[3], 512);
  std::array<float, 16> identity{};
  for (int i = 0; i < 4; ++i) identity[i * 5] = 1;
  EXPECT_EQ(matrix(GL_MODELVIEW_MATRIX), identity);
  glViewport(0, 0, 800, 600);
}

TEST_F(RenderStateTest, ProjectionsKeepModelviewAndSphereMapToggles) {
  glTranslatef(5, 6, 7);
  const std::array<float, 16> modelview = matrix(GL_MODELVIEW_MATRIX);
  setOrtho();
  std::array<float, 16> ortho = matrix(GL_PROJECTION_MATRIX);
  EXPECT_FLOAT_EQ(ortho[0], 2.0f / 800);
  EXPECT_FLOAT_EQ(ortho[5], 2.0f / 600);
  EXPECT_FLOAT_EQ(ortho[10], -2.0f / 5500);
  EXPECT_EQ(matrix(GL_MODELVIEW_MATRIX), modelview);
  setPerspective(60);
  EXPECT_EQ(matrix(GL_PROJECTION_MATRIX), perspective60());
  EXPECT_EQ(matrix(GL_MODELVIEW_MATRIX), modelview);
  EXPECT_EQ(matrixMode(), GL_MODELVIEW);

  setSphereMap(true);
  GLint gen = 0;
  glGetTexGeniv(GL_T, GL_TEXTURE_GEN_MODE, &gen);
  EXPECT_EQ(gen, GL_SPHERE_MAP);
  EXPECT_TRUE(glIsEnabled(GL_TEXTURE_GEN_S));
  EXPECT_TRUE(glIsEnabled(GL_TEXTURE_GEN_T));
  setSphereMap(false);
  EXPECT_FALSE(glIsEnabled(GL_TEXTURE_GEN_S));
  EXPECT_FALSE(glIsEnabled(GL_TEXTURE_GEN_T));
}

TEST_F(RenderStateTest, LightNumbersItselfAndKeepsTruncatedW) {
  const int16_t next = lightCounter;
  Light light(0);
  EXPECT_EQ(light.index, next);
  EXPECT_EQ(lightCounter, next + 1);
  const GLenum id = GL_LIGHT0 + light.index;
  float v[4] = {};
  glGetLightfv(id, GL_POSITION, v);
  expectFloats({v[0], v[1], v[2], v[3]}, {0, 0, 0, 0});  // degenerate until placed
  EXPECT_FALSE(glIsEnabled(id)) << "not enabled by construction";

  // setW(0.5) stores 0 but sends 0.5 at once; later positions are directional.
  light.setW(0.5f);
  EXPECT_EQ(light.w, 0);
  glGetLightfv(id, GL_POSITION, v);
  expectFloats({v[0], v[1], v[2], v[3]}, {0, 0, 0, 0.5f});
  light.setPosition(0, 0, 1);
  glGetLightfv(id, GL_POSITION, v);
  expectFloats({v[0], v[1], v[2], v[3]}, {0, 0, 1, 0});

  // Positions are taken in the current modelview's coordinates.
  light.setW(1);
  glTranslatef(10, 0, 0);
  light.setPosition(0, 0, 0);
  glGetLightfv(id, GL_POSITION, v);
  expectFloats({v[0], v[1], v[2], v[3]}, {10, 0, 0, 1});

  light.setW(-1.7f);
  EXPECT_EQ(light.w, -1);
  light.setW(1e9f);  // out of 16-bit range: pinned, not overflowed
  EXPECT_EQ(light.w, INT16_MAX);

  Light second(1.9f);
  EXPECT_EQ(second.index, light.index + 1);
  EXPECT_EQ(second.w, 1);
  glGetLightfv(GL_LIGHT0 + second.index, GL_POSITION, v);
  EXPECT_EQ(v[3], 1.9f) << "the float w is sent unchanged";
}
