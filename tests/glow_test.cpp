#include "render/Glow.h"
#include "render/GlState.h"
#include "render/Texture.h"
#include "tests/GlTestContext.h"

#include <GL/glu.h>

#include <array>
#include <cmath>
#include <functional>
#include <utility>
#include <vector>

namespace {
using Polygon = std::vector<std::vector<float>>;  // vertices, each `stride` floats

// Runs `draw` in feedback mode and returns the polygons GL would have rasterised.
std::vector<Polygon> feedbackPolygons(GLenum type, int stride, const std::function<void()>& draw) {
  std::vector<float> buffer(200000);
  glFeedbackBuffer(static_cast<GLsizei>(buffer.size()), type, buffer.data());
  glRenderMode(GL_FEEDBACK);
  draw();
  const int used = glRenderMode(GL_RENDER);
  std::vector<Polygon> polygons;
  for (int i = 0; i < used;) {
    const int token = static_cast<int>(buffer[i++]);
    int vertices = 0;
    if (token == GL_POLYGON_TOKEN)
      vertices = static_cast<int>(buffer[i++]);
    else if (token == GL_PASS_THROUGH_TOKEN)
      ++i;
    else
      vertices = (token == GL_LINE_TOKEN || token == GL_LINE_RESET_TOKEN) ? 2 : 1;
    Polygon polygon;
    for (int v = 0; v < vertices; ++v, i += stride)
      polygon.emplace_back(buffer.begin() + i, buffer.begin() + i + stride);
    if (token == GL_POLYGON_TOKEN) polygons.push_back(polygon);
  }
  return polygons;
}

// The part of the 512 x 512 capture corner, in pixels, that a screen quad shifted by (dx, dy)
// overlay units covers once clipped.
struct Rect {
  float left, bottom, right, top;
  float area() const { return (right - left) * (top - bottom); }
  bool holds(const Polygon& polygon) const {
    for (const auto& v : polygon)
      if (v[0] < left - 1e-3f || v[0] > right + 1e-3f || v[1] < bottom - 1e-3f ||
          v[1] > top + 1e-3f)
        return false;
    return true;
  }
};

Rect shiftedQuad(int dx, int dy) {
  const float x = dx * 512.0f / 800, y = dy * 512.0f / 600;
  return {std::max(0.0f, x), std::max(0.0f, y), std::min(512.0f, 512 + x),
          std::min(512.0f, 512 + y)};
}

float area(const Polygon& polygon) {
  float twice = 0;
  for (size_t i = 0; i < polygon.size(); ++i) {
    const auto& a = polygon[i];
    const auto& b = polygon[(i + 1) % polygon.size()];
    twice += a[0] * b[1] - b[0] * a[1];
  }
  return std::fabs(twice) / 2;
}

// The quad shifts a blur reaching `reach` draws, in order.
std::vector<std::pair<int, int>> expectedShifts(int reach) {
  std::vector<std::pair<int, int>> shifts;
  for (int b = 1; b <= reach; b *= 2)
    for (std::pair<int, int> s : {std::pair{b, 0}, {-b, 0}, {0, b}, {0, -b}}) shifts.push_back(s);
  return shifts;
}

// Clipping cuts each shifted quad into several triangles: walks them in order and checks that
// they tile exactly the expected quads, one after the other.
void expectQuadSequence(const std::vector<Polygon>& triangles,
                        const std::vector<std::pair<int, int>>& shifts, int level) {
  size_t next = 0;
  for (const auto& [dx, dy] : shifts) {
    const Rect quad = shiftedQuad(dx, dy);
    float covered = 0;
    while (next < triangles.size() && covered < quad.area() - 1) {
      EXPECT_TRUE(quad.holds(triangles[next])) << "level " << level << " shift " << dx << ", " << dy;
      covered += area(triangles[next++]);
    }
    EXPECT_NEAR(covered, quad.area(), 1) << "level " << level << " shift " << dx << ", " << dy;
  }
  EXPECT_EQ(next, triangles.size()) << "level " << level << ": nothing else drawn";
}

std::array<float, 16> identity() {
  std::array<float, 16> m{};
  for (int i = 0; i < 4; ++i) m[i * 5] = 1;
  return m;
}

std::array<int, 4> viewport() {
  std::array<int, 4> v{};
  glGetIntegerv(GL_VIEWPORT, v.data());
  return v;
}

bool depthWrites() {
  GLboolean on = GL_FALSE;
  glGetBooleanv(GL_DEPTH_WRITEMASK, &on);
  return on;
}

// Flat rectangle in the overlay space, no lighting or texture.
void drawRect(int left, int bottom, int right, int top, float r, float g, float b) {
  setOrtho();
  glLoadIdentity();
  glDisable(GL_LIGHTING);
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_DEPTH_TEST);
  glColor3f(r, g, b);
  glRecti(left, bottom, right, top);
}

// A render target made while the viewport covers the whole screen.
Texture makeTarget() {
  glViewport(0, 0, 800, 600);
  return createRenderTarget(512, 512, 1);
}

void fillTarget(Texture& target, unsigned char value) {
  std::vector<unsigned char> grey(512 * 512 * 3, value);
  target.uploadPixels(512, 512, GL_RGB, GL_RGB, grey.data(), 0);
  unbindTexture();
}
}  // namespace

class GlowTest : public GlTest {};

TEST_F(GlowTest, PlainSnapshotCopiesAndClearsOnly) {
  for (uint8_t level : {0, 5}) {
    Texture target = makeTarget();
    target.beginCapture(0, 0, 0, 1);
    // Red in the top-left quarter of the captured picture.
    drawRect(-400, 0, 0, 300, 1, 0, 0);
    glEnable(GL_LIGHTING);
    glEnable(GL_BLEND);
    glColor4f(0.2f, 0.4f, 0.6f, 0.8f);
    const std::array<float, 16> projection = matrix(GL_PROJECTION_MATRIX);
    glTranslatef(1, 2, 3);

    captureGlow(target, level);

    EXPECT_TRUE(glIsEnabled(GL_LIGHTING)) << int(level);
    EXPECT_EQ(target.lightingWasOn, 0) << "no blur, no look at lighting";
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    EXPECT_EQ(currentColour(), (std::array<float, 4>{0.2f, 0.4f, 0.6f, 0.8f}));
    EXPECT_EQ(matrix(GL_PROJECTION_MATRIX), projection);
    EXPECT_EQ(matrix(GL_MODELVIEW_MATRIX), identity());
    EXPECT_EQ(viewport(), (std::array<int, 4>{0, 0, 800, 600}));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    GLint bound = -1;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(bound, 0);
    EXPECT_EQ(pixelAt(100, 100), (std::array<int, 3>{0, 0, 0})) << "screen cleared";

    // Laid over the screen unblended, the copy shows upright and unblurred.
    setOverlayBlend(target, GL_ONE, GL_ZERO);
    overlayGlowOnce(target, 1);
    EXPECT_EQ(pixelAt(100, 100), (std::array<int, 3>{255, 0, 0}));
    EXPECT_EQ(pixelAt(398, 298), (std::array<int, 3>{255, 0, 0}));
    EXPECT_EQ(pixelAt(403, 298), (std::array<int, 3>{0, 0, 0})) << "no blur across the edge";
    EXPECT_EQ(pixelAt(100, 500), (std::array<int, 3>{0, 0, 0}));
    EXPECT_EQ(pixelAt(700, 100), (std::array<int, 3>{0, 0, 0}));
  }
}

TEST_F(GlowTest, BlurPassesDoubleTheShift) {
  for (uint8_t level : {1, 2, 3, 4, 0, 5}) {
    Texture target = makeTarget();
    target.beginCapture(0, 0, 0, 1);
    const std::vector<Polygon> triangles =
        feedbackPolygons(GL_2D, 2, [&] { captureGlow(target, level); });
    const int reach = level >= 1 && level <= 4 ? 1 << level : 0;
    expectQuadSequence(triangles, expectedShifts(reach), level);
  }
  EXPECT_EQ(expectedShifts(2).size(), 8u) << "level 1: two passes of four quads";
  EXPECT_EQ(expectedShifts(16).size(), 20u) << "level 4: five passes, twenty quads";
  glViewport(0, 0, 800, 600);
}

TEST_F(GlowTest, BlurSpreadsLightAndLeavesDocumentedState) {
  std::array<std::array<int, 3>, 2> nearEdge{}, farAway{};
  for (uint8_t level : {0, 4}) {
    Texture target = makeTarget();
    target.beginCapture(0, 0, 0, 1);
    drawRect(-40, -40, 40, 40, 1, 1, 1);
    glEnable(GL_LIGHTING);
    captureGlow(target, level);
    if (level == 4) {
      EXPECT_EQ(target.lightingWasOn, 1);
      EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
      EXPECT_FALSE(glIsEnabled(GL_BLEND));
      EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
      EXPECT_TRUE(depthWrites());
      EXPECT_EQ(currentColour(), (std::array<float, 4>{1, 1, 1, 0.3f})) << "colour stays";
      GLint src = 0, dst = 0;
      glGetIntegerv(GL_BLEND_SRC, &src);
      glGetIntegerv(GL_BLEND_DST, &dst);
      EXPECT_EQ(src, GL_SRC_ALPHA);
      EXPECT_EQ(dst, GL_ONE_MINUS_SRC_ALPHA);
      EXPECT_EQ(matrix(GL_PROJECTION_MATRIX), perspective60());
      EXPECT_EQ(matrix(GL_MODELVIEW_MATRIX), identity());
      EXPECT_EQ(viewport(), (std::array<int, 4>{0, 0, 800, 600}));
    }
    setOverlayBlend(target, GL_ONE, GL_ZERO);
    overlayGlowOnce(target, 1);
    if (level == 4) saveTestPicture("glow_level4_square");
    nearEdge[level / 4] = pixelAt(400 + 50, 300);  // 10 units outside the square
    farAway[level / 4] = pixelAt(400 + 120, 300);   // beyond any shift
  }
  EXPECT_EQ(nearEdge[0], (std::array<int, 3>{0, 0, 0}));
  EXPECT_GT(nearEdge[1][0], 20) << "the blur reaches past the edge";
  EXPECT_EQ(farAway[1], (std::array<int, 3>{0, 0, 0}));

  // Lighting off at entry and never seen on: it stays off.
  Texture dark = makeTarget();
  dark.beginCapture(0, 0, 0, 1);
  glDisable(GL_LIGHTING);
  captureGlow(dark, 2);
  EXPECT_EQ(dark.lightingWasOn, 0);
  EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
}

TEST_F(GlowTest, OverlayRepeatsAndCountZeroStillSwitchesState) {
  Texture target = makeTarget();
  fillTarget(target, 51);
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  // Stored pair (SRC_ALPHA, ONE_MINUS_SRC_ALPHA) at alpha 1: three draws give the same grey.
  overlayGlow(target, 1, 3);
  EXPECT_EQ(pixelAt(400, 300), (std::array<int, 3>{51, 51, 51}));
  // Additive: three draws add up.
  glClear(GL_COLOR_BUFFER_BIT);
  setOverlayBlend(target, GL_SRC_ALPHA, GL_ONE);
  EXPECT_EQ(target.blendSrc, static_cast<GLenum>(GL_SRC_ALPHA));
  EXPECT_EQ(target.blendDst, static_cast<GLenum>(GL_ONE));
  overlayGlow(target, 1, 3);
  EXPECT_EQ(pixelAt(400, 300), (std::array<int, 3>{153, 153, 153}));
  overlayGlowOnce(target, 0.5f);
  EXPECT_NEAR(pixelAt(10, 590)[1], 178, 1);

  // Count 0 (or below): nothing drawn, every state change made.
  for (int8_t count : {0, -3}) {
    glClear(GL_COLOR_BUFFER_BIT);
    target.lightingWasOn = 1;
    glDisable(GL_LIGHTING);
    glEnable(GL_BLEND);
    glEnable(GL_TEXTURE_2D);
    glDepthMask(GL_FALSE);
    glColor4f(1, 0, 0, 0.5f);
    setOrtho();
    glTranslatef(5, 5, 5);
    overlayGlow(target, 0.7f, count);
    EXPECT_EQ(pixelAt(400, 300), (std::array<int, 3>{0, 0, 0}));
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING)) << "lighting back on for a target that saw it";
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_TRUE(depthWrites());
    EXPECT_EQ(currentColour(), (std::array<float, 4>{1, 1, 1, 1}));
    EXPECT_EQ(matrix(GL_PROJECTION_MATRIX), perspective60());
    EXPECT_EQ(matrix(GL_MODELVIEW_MATRIX), identity());
  }

  // A fresh target that finds lighting on remembers it from then on.
  Texture fresh = makeTarget();
  glEnable(GL_LIGHTING);
  overlayGlow(fresh, 1, 0);
  EXPECT_EQ(fresh.lightingWasOn, 1);
  glDisable(GL_LIGHTING);
  overlayGlowOnce(fresh, 1);
  EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
  Texture unlit = makeTarget();
  glDisable(GL_LIGHTING);
  overlayGlowOnce(unlit, 1);
  EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
}

TEST_F(GlowTest, TrailWithEqualAlphasDoesNothing) {
  Texture target = makeTarget();
  fillTarget(target, 200);
  target.lightingWasOn = 1;
  glClearColor(0.2f, 0.2f, 0.2f, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  glDisable(GL_LIGHTING);
  glEnable(GL_BLEND);
  glBlendFunc(GL_ONE, GL_ONE);
  glEnable(GL_TEXTURE_2D);
  glDepthMask(GL_FALSE);
  glColor4f(0.1f, 0.2f, 0.3f, 0.4f);
  setOrtho();
  glTranslatef(1, 2, 3);
  const std::array<float, 16> projection = matrix(GL_PROJECTION_MATRIX);
  const std::array<float, 16> modelview = matrix(GL_MODELVIEW_MATRIX);

  for (int8_t count : {5, 0, -2}) {
    overlayGlowTrail(target, 0.3f, 0.3f, count, {0.02f, 0.02f, 0.02f, 0.02f});
    EXPECT_EQ(pixelAt(400, 300), (std::array<int, 3>{51, 51, 51}));
    EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_FALSE(depthWrites());
    EXPECT_EQ(currentColour(), (std::array<float, 4>{0.1f, 0.2f, 0.3f, 0.4f}));
    EXPECT_EQ(matrix(GL_PROJECTION_MATRIX), projection);
    EXPECT_EQ(matrix(GL_MODELVIEW_MATRIX), modelview);
  }
}

TEST_F(GlowTest, TrailLayersStepAlphaAndCropInwards) {
  Texture target = makeTarget();
  struct Case {
    float alphaStart, alphaEnd;
    TrailInsets insets;
  };
  for (const Case c : {Case{0.5f, 0.0f, {0.02f, 0.02f, 0.02f, 0.02f}},
                       Case{0.2f, 0.7f, {0.01f, 0.03f, 0.05f, -0.02f}}}) {
    const std::vector<Polygon> triangles =
        feedbackPolygons(GL_3D_COLOR_TEXTURE, 11, [&] {
          overlayGlowTrail(target, c.alphaStart, c.alphaEnd, 5, c.insets);
        });
    ASSERT_EQ(triangles.size(), 10u) << "five layers of two triangles";
    const float step = (c.alphaEnd - c.alphaStart) / 5;
    for (int k = 0; k < 5; ++k) {
      const float layers = static_cast<float>(k + 1);
      for (const Polygon& triangle : {triangles[2 * k], triangles[2 * k + 1]})
        for (const auto& v : triangle) {
          const bool left = v[0] < 400, top = v[1] > 300;
          EXPECT_TRUE(v[0] == 0 || v[0] == 800) << "full width";
          EXPECT_TRUE(v[1] == 0 || v[1] == 600) << "full height";
          EXPECT_NEAR(v[6], c.alphaStart + k * step, 1e-5) << "layer " << k;
          const float s = left ? layers * c.insets.left : 1 - layers * c.insets.right;
          const float t = top ? 1 - layers * c.insets.top : layers * c.insets.bottom;
          EXPECT_NEAR(v[7], s, 1e-5) << "layer " << k;
          EXPECT_NEAR(v[8], t, 1e-5) << "layer " << k;
        }
    }
    // The colour keeps the last layer's alpha, one step short of alphaEnd.
    EXPECT_NEAR(currentColour()[3], c.alphaStart + 4 * step, 1e-5);
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_TRUE(depthWrites());
    EXPECT_EQ(matrix(GL_PROJECTION_MATRIX), perspective60());
  }

  // The same trail drawn for real over a captured ring of light.
  target.beginCapture(0, 0, 0, 1);
  drawRect(-150, -150, 150, 150, 1, 0.8f, 0.3f);
  drawRect(-130, -130, 130, 130, 0, 0, 0);
  captureGlow(target, 0);
  setOverlayBlend(target, GL_SRC_ALPHA, GL_ONE);
  overlayGlowTrail(target, 0.5f, 0.0f, 5, {0.02f, 0.02f, 0.02f, 0.02f});
  saveTestPicture("glow_trail_five_layers");
  // Layer k shows s in [c, 1 - c], c = 0.02 (k + 1), so the ring's left band (s from 0.3125 to
  // 0.3375) lands at x = (s - c) / (1 - 2c) * 800: x = 262 lies under the first layer only
  // (alpha 0.5), x = 215 under the last only (alpha 0.1), x = 255 under the first two.
  auto expectShade = [](std::array<int, 3> got, float alpha, int x) {
    EXPECT_NEAR(got[0], alpha * 255, 6) << "x " << x;
    EXPECT_NEAR(got[1], alpha * 204, 6) << "x " << x;
    EXPECT_NEAR(got[2], alpha * 76.5f, 6) << "x " << x;
  };
  expectShade(pixelAt(262, 300), 0.5f, 262);
  expectShade(pixelAt(215, 300), 0.1f, 215);
  expectShade(pixelAt(255, 300), 0.9f, 255);
  EXPECT_EQ(pixelAt(400, 300), (std::array<int, 3>{0, 0, 0})) << "the ring's hollow centre";
  EXPECT_EQ(pixelAt(20, 300), (std::array<int, 3>{0, 0, 0})) << "outside every layer";
}
