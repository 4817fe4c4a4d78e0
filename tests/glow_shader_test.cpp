#include "platform/GlProcs.h"
#include "render/Glow.h"
#include "render/GlState.h"
#include "render/GlowShaders.h"
#include "render/Texture.h"
#include "tests/GlTestContext.h"
#include "tests/ProgramRun.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

namespace {
// How far two pictures of the same size are apart, per 8-bit channel.
struct Difference {
  double mean = 0;
  int p999 = 0;  // 99.9th percentile of |difference|
};

Difference compare(const std::vector<unsigned char>& a, const std::vector<unsigned char>& b) {
  Difference d;
  if (a.size() != b.size() || a.empty()) return {1e9, 255};
  std::vector<int> count(256, 0);
  double sum = 0;
  for (size_t i = 0; i < a.size(); ++i) {
    const int diff = std::abs(int(a[i]) - int(b[i]));
    sum += diff;
    ++count[diff];
  }
  d.mean = sum / double(a.size());
  const size_t rank = size_t(std::ceil(0.999 * double(a.size())));
  size_t seen = 0;
  for (int v = 0; v < 256; ++v) {
    seen += size_t(count[v]);
    if (seen >= rank) {
      d.p999 = v;
      break;
    }
  }
  return d;
}

// Every piece of state a glow operation touches or that the scenes read after one.
struct StateSnapshot {
  std::vector<float> values;
  bool operator==(const StateSnapshot& o) const { return values == o.values; }
};

StateSnapshot snapshot() {
  StateSnapshot s;
  auto add = [&](float v) { s.values.push_back(v); };
  for (GLenum cap : {GL_BLEND, GL_TEXTURE_2D, GL_LIGHTING, GL_DEPTH_TEST, GL_CULL_FACE, GL_FOG,
                     GL_COLOR_MATERIAL})
    add(glIsEnabled(cap) ? 1.0f : 0.0f);
  for (GLenum name : {GL_CURRENT_PROGRAM, GL_DRAW_FRAMEBUFFER_BINDING, GL_READ_FRAMEBUFFER_BINDING,
                      GL_TEXTURE_BINDING_2D, GL_ACTIVE_TEXTURE, GL_BLEND_SRC, GL_BLEND_DST,
                      GL_DEPTH_WRITEMASK, GL_MATRIX_MODE, GL_PIXEL_PACK_BUFFER_BINDING,
                      GL_PIXEL_UNPACK_BUFFER_BINDING, GL_PACK_ALIGNMENT, GL_UNPACK_ALIGNMENT,
                      GL_UNPACK_ROW_LENGTH}) {
    GLint v = -1;
    glGetIntegerv(name, &v);
    add(float(v));
  }
  GLint viewport[4];
  glGetIntegerv(GL_VIEWPORT, viewport);
  for (GLint v : viewport) add(float(v));
  for (GLenum name : {GL_CURRENT_COLOR, GL_CURRENT_TEXTURE_COORDS, GL_COLOR_CLEAR_VALUE}) {
    GLfloat v[4];
    glGetFloatv(name, v);
    for (GLfloat f : v) add(f);
  }
  for (GLenum name : {GL_PROJECTION_MATRIX, GL_MODELVIEW_MATRIX, GL_TEXTURE_MATRIX}) {
    GLfloat m[16];
    glGetFloatv(name, m);
    for (GLfloat f : m) add(f);
  }
  return s;
}

std::vector<unsigned char> textureBytes(const Texture& target) {
  std::vector<unsigned char> rgb(size_t(target.width) * size_t(target.height) * 3);
  glBindTexture(GL_TEXTURE_2D, target.names[0]);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  glBindTexture(GL_TEXTURE_2D, 0);
  return rgb;
}

std::vector<unsigned char> screenBytes() {
  std::vector<unsigned char> rgb(800 * 600 * 3);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, 800, 600, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  return rgb;
}

// Hard edges, one-pixel lines, a ramp and saturated colours near the capture's borders: what
// shows off rounding and the uncovered strips along the edges.
void drawTestPicture() {
  setOrtho();
  glLoadIdentity();
  glDisable(GL_LIGHTING);
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_DEPTH_TEST);
  glBegin(GL_QUADS);
  glColor3f(0, 0, 0.2f);
  glVertex2i(-400, -300);
  glColor3f(1, 0.2f, 0);
  glVertex2i(400, -300);
  glColor3f(0.1f, 1, 0.4f);
  glVertex2i(400, -100);
  glColor3f(0, 0, 0);
  glVertex2i(-400, -100);
  glEnd();
  // Drawn with depth writes at the overlay plane's own depth: the blur's quads fail the depth
  // test there and leave the square sharp.
  glEnable(GL_DEPTH_TEST);
  glDepthFunc(GL_LESS);
  glColor3f(1, 1, 1);
  glRecti(-400, 200, -300, 300);
  glDisable(GL_DEPTH_TEST);
  glColor3f(0.9f, 0.1f, 0.7f);
  glRecti(350, 250, 400, 300);
  glColor3f(1, 1, 0.3f);
  glBegin(GL_LINES);
  for (int x = -200; x < 200; x += 23) {
    glVertex2f(x + 0.5f, -50);
    glVertex2f(x + 60.5f, 180);
  }
  glEnd();
  glEnable(GL_DEPTH_TEST);
}

Texture makeTarget(int16_t side = 512) {
  glViewport(0, 0, 800, 600);
  return createRenderTarget(side, side, 1);
}
}  // namespace

class GlowShaderTest : public GlTest {
 protected:
  void SetUp() override {
    GlTest::SetUp();
    forceFixedFunction(false);
    if (!glowShadersAvailable()) GTEST_SKIP() << "this context offers no GLSL";
  }
  void TearDown() override {
    forceFixedFunction(false);
    GlTest::TearDown();
  }
};

// Both paths from the same starting state: the blurred texture within the agreement budget,
// and every bit of state left behind the same. Where the depth test passes everywhere (the
// depth cleared after drawing) the shaders blur the picture packed four pixels to a texel, else
// pixel by pixel; also on targets whose sides are not powers of two (larger pictures have
// them), where the reads must wrap as GL_REPEAT does and an odd side cannot be packed.
TEST_F(GlowShaderTest, BlurMatchesTheGlOnePathAndLeavesItsState) {
  for (int16_t side : {512, 460, 461})
  for (int run = 0; run < 4; ++run) {
    const uint8_t level = run % 2 ? 4 : 1;
    const bool depthPasses = run >= 2;
    std::vector<unsigned char> pictures[2];
    StateSnapshot states[2];
    for (int shaders = 0; shaders < 2; ++shaders) {
      forceFixedFunction(shaders == 0);
      EXPECT_EQ(glowShadersAvailable(), shaders == 1);
      Texture target = makeTarget(side);
      target.beginCapture(0, 0, 0, 1);
      drawTestPicture();
      if (depthPasses) glClear(GL_DEPTH_BUFFER_BIT);
      glEnable(GL_LIGHTING);
      glEnable(GL_CULL_FACE);
      glColor4f(0.5f, 0.25f, 1, 1);
      captureGlow(target, level);
      states[shaders] = snapshot();
      pictures[shaders] = textureBytes(target);
      EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR)) << "level " << int(level);
      if (shaders == 1) {
        const bool packed = depthPasses && side % 4 == 0;
        EXPECT_EQ(int(blurRouteHook().last), int(packed ? BlurRoute::Packed : BlurRoute::PerPixel))
            << "side " << side;
      }
    }
    const Difference d = compare(pictures[0], pictures[1]);
    EXPECT_LE(d.mean, 1.5) << "level " << int(level) << ", side " << side;
    EXPECT_LE(d.p999, 16) << "level " << int(level) << ", side " << side;
    EXPECT_TRUE(states[0] == states[1]) << "level " << int(level) << ", side " << side;
    if (side != 512) continue;
    // Not two unblurred copies agreeing: the blur spread the white corner, whose inside the
    // depth test kept sharp in both.
    const size_t belowCorner = (size_t(425) * 512 + 10) * 3;  // two rows below it
    const size_t insideCorner = (size_t(512 - 60) * 512 + 60) * 3;
    EXPECT_GT(pictures[1][belowCorner], 10) << "level " << int(level);
    if (!depthPasses) {
      EXPECT_EQ(pictures[0][insideCorner], 255) << "level " << int(level);
      EXPECT_EQ(pictures[1][insideCorner], 255) << "level " << int(level);
    }
  }
}

// The packed blur gives exactly the bytes of the pixel-by-pixel one, edges and wrap included,
// for targets of two sizes, and within a level on a handful of values on a side that is not a
// power of two (larger pictures have such targets).
TEST_F(GlowShaderTest, PackedBlurGivesThePixelByPixelBytes) {
  for (int16_t side : {512, 256, 460})
    for (uint8_t level : {1, 4}) {
      std::vector<unsigned char> pictures[2];
      for (int packed = 0; packed < 2; ++packed) {
        blurRouteHook().packedAllowed = packed == 1;
        glViewport(0, 0, 800, 600);
        Texture target = createRenderTarget(side, side, 1);
        target.beginCapture(0, 0, 0, 1);
        drawTestPicture();
        glClear(GL_DEPTH_BUFFER_BIT);
        // Pixel-store settings a caller may have left: the packed result's way into the copy
        // must not go by them.
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        glPixelStorei(GL_UNPACK_ROW_LENGTH, 3);
        glPixelStorei(GL_UNPACK_SKIP_PIXELS, 2);
        captureGlow(target, level);
        GLint rowLength = 0;
        glGetIntegerv(GL_UNPACK_ROW_LENGTH, &rowLength);
        EXPECT_EQ(rowLength, 3);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
        glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
        glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
        EXPECT_EQ(int(blurRouteHook().last), int(packed ? BlurRoute::Packed : BlurRoute::PerPixel));
        pictures[packed] = textureBytes(target);
      }
      blurRouteHook().packedAllowed = true;
      if (side == 460) {
        // Shifts of 9.2 pixels have no exact binary fraction: a value that falls on half a
        // level may round either way in the two programs. One level at most, on a handful.
        size_t off = 0;
        int most = 0;
        for (size_t i = 0; i < pictures[0].size(); ++i) {
          const int d = std::abs(int(pictures[0][i]) - int(pictures[1][i]));
          off += d != 0;
          most = std::max(most, d);
        }
        EXPECT_LE(most, 1) << "level " << int(level);
        EXPECT_LE(off, pictures[0].size() / 10000) << "level " << int(level);
        continue;
      }
      EXPECT_TRUE(pictures[0] == pictures[1]) << side << " level " << int(level);
    }
}

TEST_F(GlowShaderTest, RepeatedAdditiveOverlayMatchesAndLeavesState) {
  Texture target = makeTarget();
  target.beginCapture(0, 0, 0, 1);
  drawTestPicture();
  captureGlow(target, 5);
  struct Case {
    GLenum src;
    float alpha;
    int8_t count;
  };
  for (const Case& c : {Case{GL_SRC_ALPHA, 1.0f, 3}, Case{GL_SRC_ALPHA, 0.4f, 4},
                        Case{GL_ONE, 0.7f, 2}, Case{GL_SRC_ALPHA, 1.5f, 2}}) {
    std::vector<unsigned char> pictures[2];
    StateSnapshot states[2];
    for (int shaders = 0; shaders < 2; ++shaders) {
      forceFixedFunction(shaders == 0);
      glClearColor(0.1f, 0.3f, 0.2f, 1);
      glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
      glEnable(GL_LIGHTING);
      setOverlayBlend(target, c.src, GL_ONE);
      overlayGlow(target, c.alpha, c.count);
      states[shaders] = snapshot();
      pictures[shaders] = screenBytes();
    }
    const Difference d = compare(pictures[0], pictures[1]);
    EXPECT_LE(d.mean, 0.5) << "count " << int(c.count) << " alpha " << c.alpha;
    EXPECT_LE(d.p999, 2) << "count " << int(c.count) << " alpha " << c.alpha;
    EXPECT_TRUE(states[0] == states[1]) << "count " << int(c.count);
    // The sum saturates where the picture was white.
    if (c.alpha >= 1) {
      EXPECT_EQ(pixelAt(30, 30)[0], 255);
    }
  }
}

// State the shaders would not honour sends the drawing down the GL 1.1 path, which is then
// exactly the picture the forced path gives.
TEST_F(GlowShaderTest, UnusualStateFallsBackToTheGlOnePath) {
  Texture target = makeTarget();
  target.beginCapture(0, 0, 0, 1);
  drawTestPicture();
  captureGlow(target, 5);
  std::vector<unsigned char> pictures[2];
  for (int shaders = 0; shaders < 2; ++shaders) {
    forceFixedFunction(shaders == 0);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_TEXTURE);
    glLoadIdentity();
    glScalef(2, 2, 1);  // a texture matrix the overlay shader would ignore
    glMatrixMode(GL_MODELVIEW);
    setOverlayBlend(target, GL_SRC_ALPHA, GL_ONE);
    overlayGlow(target, 0.5f, 3);
    glMatrixMode(GL_TEXTURE);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    pictures[shaders] = screenBytes();
  }
  EXPECT_TRUE(pictures[0] == pictures[1]);
}

// Whole frames of the show from both paths: a chapter card (level-4 blur, three overlays), the
// credits (level-2 blurs over text pages whose depth the blur's quads fail) and the spiral
// columns (level-4 blur, two overlays, the title snapshot).
TEST(GlowShaderShow, ShotsAgreeWithTheFixedFunctionPath) {
  for (int ms : {85000, 105000, 190000}) {
    std::vector<unsigned char> pictures[2];
    for (int fixed = 0; fixed < 2; ++fixed) {
      const std::string png =
          testTmp("agree-" + std::to_string(ms) + (fixed ? "-fixed" : "-shaders") + ".png");
      const ProgramResult r = runKelvarn(std::string("KELVARN --step 2000 ") +
                                         (fixed ? "--fixed-function " : "") + "--shot " +
                                         std::to_string(ms) + " " + png);
      ASSERT_EQ(r.status, 0) << r.err;
      int width = 0, height = 0;
      pictures[fixed] = readPngRgb(png, &width, &height);
      ASSERT_EQ(width * height, 800 * 600) << png;
    }
    const Difference d = compare(pictures[0], pictures[1]);
    EXPECT_LE(d.mean, 1.5) << ms << " ms";
    EXPECT_LE(d.p999, 16) << ms << " ms";
    double brightness = 0;
    for (unsigned char v : pictures[1]) brightness += v;
    EXPECT_GT(brightness / double(pictures[1].size()), 2.0) << ms << " ms: not a black frame";
  }
}
