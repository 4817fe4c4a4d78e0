// The credits: the white at both ends and the fade quads between, the flip cards and the name
// label drawn from test pages whose colours tell where each texel came from, the backdrop eye's
// cuts, the state a frame leaves behind, the pages' rectangles checked against the words, and the
// face the show carries for them.
#include "platform/Glyphs.h"
#include "render/BitmapFont.h"
#include "render/GlState.h"
#include "render/Glow.h"
#include "render/Texture.h"
#include "scenes/Credits.h"
#include "scenes/Scenes.h"
#include "scenes/SharedLists.h"
#include "shell/Preparation.h"
#include "tests/Feedback.h"
#include "tests/GlTestContext.h"
#include "tests/SceneChecks.h"

#include <SDL_opengl.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

class Credits : public GlTest {
 protected:
  static void SetUpTestSuite() {
    glTestScreen();
    if (!sceneLight) prepareStartup();
  }
  void SetUp() override {
    GlTest::SetUp();
    glDisable(GL_LIGHTING);
    glColor4f(1, 1, 1, 1);
    creditScene(0, 0.0f);  // every test starts before the scene's first frame
  }
};

void drawFrame(float t) {
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glLoadIdentity();
  creditScene(1, t);
}

// The alphas of the white full-screen quads a frame lays over everything but the glow overlay
// (which is drawn at alpha 1): the fades.
std::vector<float> fadeAlphas(float t) {
  const size_t capacity = 1 << 23;
  std::vector<GLfloat> buffer(capacity);
  glFeedbackBuffer(static_cast<GLsizei>(capacity), GL_3D_COLOR, buffer.data());
  glRenderMode(GL_FEEDBACK);
  drawFrame(t);
  const GLint used = glRenderMode(GL_RENDER);
  EXPECT_GT(used, 0) << "feedback buffer overflowed at t = " << t;

  std::vector<float> alphas;
  const int vertexSize = 7;  // x, y, z, r, g, b, a
  auto atCorner = [](const GLfloat* v) {
    return (std::fabs(v[0]) < 0.01f || std::fabs(v[0] - 800) < 0.01f) &&
           (std::fabs(v[1]) < 0.01f || std::fabs(v[1] - 600) < 0.01f);
  };
  for (GLint at = 0; at < used;) {
    const auto token = static_cast<GLint>(buffer[at++]);
    if (token == GL_POLYGON_TOKEN) {
      const auto count = static_cast<int>(buffer[at++]);
      bool fade = true;
      for (int k = 0; k < count; ++k) {
        const GLfloat* v = &buffer[at + k * vertexSize];
        fade = fade && atCorner(v) && v[3] == 1 && v[4] == 1 && v[5] == 1 && v[6] < 1;
      }
      if (fade) alphas.push_back(buffer[at + 6]);
      at += count * vertexSize;
    } else if (token == GL_LINE_TOKEN || token == GL_LINE_RESET_TOKEN) {
      at += 2 * vertexSize;
    } else if (token == GL_PASS_THROUGH_TOKEN) {
      ++at;
    } else {
      at += vertexSize;
    }
  }
  return alphas;
}

// A test page whose texel at (u, v) has red u and green v, so a pixel drawn from it tells which
// texel it shows.
Texture makeGradientPage() {
  Texture page = createRenderTarget(512, 512, 1);
  page.beginCapture(0, 0, 0, 1);
  glDisable(GL_LIGHTING);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_FOG);
  unbindTexture();
  setOrtho();
  glLoadIdentity();
  glBegin(GL_QUADS);
  glColor3f(0, 0, 0);
  glVertex2i(-400, -300);
  glColor3f(1, 0, 0);
  glVertex2i(400, -300);
  glColor3f(1, 1, 0);
  glVertex2i(400, 300);
  glColor3f(0, 1, 0);
  glVertex2i(-400, 300);
  glEnd();
  glEnable(GL_DEPTH_TEST);
  captureGlow(page, 5);
  setPerspective(60);
  return page;
}

Texture makeWhitePage() {
  Texture page = createRenderTarget(512, 512, 1);
  page.beginCapture(1, 1, 1, 1);
  captureGlow(page, 5);
  glClearColor(0, 0, 0, 1);
  return page;
}

void expectTexel(const Frame& f, int x, int y, float u, float v, const char* what, float t) {
  const unsigned char* p = pixelOf(f, x, y);
  EXPECT_NEAR(p[0], u * 255, 4) << what << " at t = " << t;
  EXPECT_NEAR(p[1], v * 255, 4) << what << " at t = " << t;
  EXPECT_EQ(p[2], 0) << what << " at t = " << t;
}

float distance(const float* a, const float* b) {
  return std::sqrt((a[0] - b[0]) * (a[0] - b[0]) + (a[1] - b[1]) * (a[1] - b[1]) +
                   (a[2] - b[2]) * (a[2] - b[2]));
}

void expectOnOrbit(const float* eye, float t) {
  EXPECT_EQ(eye[0], eye[1]) << "t = " << t;
  EXPECT_NEAR(std::hypot(eye[0], eye[2]), 250.0f, 0.01f) << "t = " << t;
}

}  // namespace

TEST_F(Credits, WhiteAtBothEndsAndNoFadeBetween) {
  drawFrame(0.0f);
  EXPECT_TRUE(isUniform(readFrame(), 255)) << "fully white at t = 0";
  drawFrame(1.0f);
  EXPECT_TRUE(isUniform(readFrame(), 255)) << "fully white at t = 1";

  const struct {
    float t;
    float alpha;  // < 0: no fade quad
  } frames[] = {{0.05f, 0.5f}, {0.0999f, 0.001f}, {0.1f, -1}, {0.5f, -1},
                {0.9f, -1},    {0.9001f, 0.001f}, {0.95f, 0.5f}};
  for (const auto& frame : frames) {
    const std::vector<float> alphas = fadeAlphas(frame.t);
    if (frame.alpha < 0) {
      EXPECT_TRUE(alphas.empty()) << "t = " << frame.t;
    } else {
      ASSERT_FALSE(alphas.empty()) << "t = " << frame.t;
      for (float a : alphas) EXPECT_NEAR(a, frame.alpha, 1e-3) << "t = " << frame.t;
    }
  }
}

TEST_F(Credits, CardsFlipInWithTheirRectanglesAndStandEdgeOnOtherwise) {
  Texture page = makeGradientPage();
  auto cards = [&page](float t) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    drawRoleCards(t, page);
    return readFrame();
  };
  // Edge-on before the first pair turns in, at the swap of the pairs and after the second
  // pair has turned away: nothing of them on screen.
  for (float t : {0.0f, 0.1f, 0.2f, 0.533333f, 0.833333f, 0.9f, 1.0f})
    EXPECT_TRUE(isUniform(cards(t), 0)) << "t = " << t;
  for (float t : {0.21f, 0.52f, 0.55f, 0.82f}) EXPECT_FALSE(isUniform(cards(t), 0)) << "turning at t = " << t;

  // Face-on, card A centred at (-260, 210) and card B at (-140, 140), each 220 x 60, show their
  // rectangles upright: u grows to the right, v upwards.
  Frame first = cards(0.3f);
  expectTexel(first, 140, 90, 0.4f + 0.59f / 2, 0.82f + 0.18f / 2, "\"CoDe /\" centre", 0.3f);
  expectTexel(first, 32, 90, 0.4f, 0.91f, "\"CoDe /\" left edge", 0.3f);
  expectTexel(first, 140, 62, 0.695f, 1.0f, "\"CoDe /\" top edge", 0.3f);
  expectTexel(first, 260, 160, 0.33f, 0.72f, "\"DeSigne\" centre", 0.3f);
  Frame second = cards(0.7f);
  expectTexel(second, 140, 90, 0.305f, 0.325f, "\"MuSic /\" centre", 0.7f);
  expectTexel(second, 260, 160, 0.31f, 0.13f, "\"GraPhix\" centre", 0.7f);

  GLboolean depthWrites = GL_FALSE;
  glGetBooleanv(GL_DEPTH_WRITEMASK, &depthWrites);
  EXPECT_TRUE(depthWrites);
  EXPECT_FALSE(glIsEnabled(GL_BLEND));
  EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
  EXPECT_TRUE(glIsEnabled(GL_FOG));
}

TEST_F(Credits, LabelInvisibleWhereItsBrightnessIsNotPositive) {
  Texture page = makeWhitePage();
  auto label = [&page](float t) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    setPerspective(60);  // as the frame has it when the label is drawn
    drawNameLabel(t, page);
    return readFrame();
  };
  // Waiting, gone, or darkened below zero while spinning away: drawn black under additive
  // blending.
  for (float t : {0.1f, 0.233333f, 0.52f, 0.533333f, 0.55f, 0.566666f, 0.83f, 0.833333f, 0.95f})
    EXPECT_TRUE(isUniform(label(t), 0)) << "t = " << t;

  // Lit, its centre at x 580 on the middle row: the coder in red-orange, the musician in blue.
  const struct {
    float t;
    int r, g, b;
  } lit[] = {{0.25f, 128, 26, 0}, {0.3f, 255, 51, 0}, {0.45f, 102, 20, 0}, {0.65f, 0, 128, 255}};
  for (const auto& l : lit) {
    const Frame f = label(l.t);
    const unsigned char* p = pixelOf(f, 580, 300);
    EXPECT_NEAR(p[0], l.r, 3) << "t = " << l.t;
    EXPECT_NEAR(p[1], l.g, 3) << "t = " << l.t;
    EXPECT_NEAR(p[2], l.b, 3) << "t = " << l.t;
  }
}

TEST_F(Credits, BackdropEyeCutsBetweenOrbitAndTracks) {
  float before[3], after[3];
  creditBackdropEye(0.2499f, before);
  creditBackdropEye(0.25f, after);
  expectOnOrbit(before, 0.2499f);
  EXPECT_NEAR(after[0], 600, 0.01f);
  EXPECT_NEAR(after[1], 300, 0.01f);
  EXPECT_NEAR(after[2], 400, 0.01f);
  EXPECT_GT(distance(before, after), 500);

  float middle[3];
  creditBackdropEye(0.375f, middle);  // halfway along the first move
  EXPECT_NEAR(middle[0], 375, 0.01f);
  EXPECT_NEAR(middle[1], 200, 0.01f);
  EXPECT_NEAR(middle[2], 300, 0.01f);

  creditBackdropEye(0.4999f, before);
  creditBackdropEye(0.5f, after);
  EXPECT_NEAR(before[0], 150, 0.5f);
  EXPECT_NEAR(after[0], 600, 0.01f);
  EXPECT_NEAR(after[1], -300, 0.01f);
  EXPECT_GT(distance(before, after), 400);

  creditBackdropEye(0.815f, before);
  creditBackdropEye(0.8151f, after);
  EXPECT_NEAR(before[0], 0, 0.01f);
  EXPECT_NEAR(before[2], -300, 0.01f);
  expectOnOrbit(after, 0.8151f);
  EXPECT_GT(distance(before, after), 50);
}

TEST_F(Credits, FrameLeavesItsFogAndBlendingAsItFoundThem) {
  drawFrame(0.3f);
  saveTestPicture("credits_first_cards");
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));  // GL_SRC_COLOR is taken
  EXPECT_TRUE(glIsEnabled(GL_FOG));
  GLfloat colour[4], density = 0;
  glGetFloatv(GL_FOG_COLOR, colour);
  glGetFloatv(GL_FOG_DENSITY, &density);
  EXPECT_NEAR(colour[0], 0.1f, 1e-6);  // the large ring's blue fog is put back to grey
  EXPECT_NEAR(colour[2], 0.1f, 1e-6);
  EXPECT_NEAR(density, 0.005f, 1e-7);
  EXPECT_FALSE(glIsEnabled(GL_BLEND));
  EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
  EXPECT_FALSE(glIsEnabled(GL_TEXTURE_GEN_S));
  GLboolean depthWrites = GL_FALSE;
  glGetBooleanv(GL_DEPTH_WRITEMASK, &depthWrites);
  EXPECT_TRUE(depthWrites);
  GLfloat projection[16];
  glGetFloatv(GL_PROJECTION_MATRIX, projection);
  EXPECT_EQ(projection[11], -1.0f) << "the perspective is set again";

  // The thumbnail, bottom left, is a dark panel with red text.
  const Frame f = readFrame();
  int reddest = 0, itsGreen = 0;
  for (int y = 432; y < 508; ++y)
    for (int x = 22; x < 178; ++x) {
      const unsigned char* p = pixelOf(f, x, y);
      if (p[0] > reddest) reddest = p[0], itsGreen = p[1];
    }
  EXPECT_GT(reddest, 150);
  EXPECT_LT(itsGreen * 2, reddest);
}

TEST_F(Credits, OtherModesDrawNothing) {
  drawFrame(0.3f);
  clearScreen(0.2f, 0.4f, 0.6f, 1.0f);
  const Frame before = readFrame();
  for (int8_t mode : {int8_t{2}, int8_t{-1}, int8_t{127}}) {
    Feedback f = captureFeedback([mode] { creditScene(mode, 0.5f); });
    EXPECT_TRUE(f.polygons.empty() && f.lines.empty()) << int{mode};
    creditScene(mode, 0.6f);
  }
  EXPECT_TRUE(readFrame() == before);
}

TEST_F(Credits, PageRectanglesFrameTheirWordsWhole) {
  BitmapFont impact, times;
  createFont(impact, "Impact", 100, 400, 0, 0);
  createFont(times, "Times New Roman", 40, 400, 0, 0);
  Texture wordPage = createRenderTarget(512, 512, 1);
  Texture creditPage = createRenderTarget(512, 512, 1);
  paintWordPage(wordPage, impact);
  paintCreditPage(creditPage, impact, times);
  releaseFont(times);
  releaseFont(impact);

  auto frameOf = [](const char* name, const TextureRect& r) {
    return PageFrame{name, r.s0, r.t0, r.s0 + r.ds, r.t0 + r.dt};
  };
  const std::vector<PageFrame> words = {
      frameOf("GraPhix", cardRects[0]), frameOf("MuSic /", cardRects[1]),
      frameOf("DeSigne", cardRects[2]), frameOf("CoDe /", cardRects[3]),
      frameOf("vuro", labelRects[0]),   frameOf("OlmiA", labelRects[1])};
  const std::vector<PageFrame> credit = {frameOf("thumbnail", thumbnailRect)};
  const PageImage wordImage = readPage(wordPage);
  const PageImage creditImage = readPage(creditPage);
  savePageWithFrames(wordImage, words, "credits_word_page");
  savePageWithFrames(creditImage, credit, "credits_credit_page");
  for (const PageFrame& frame : words) {
    EXPECT_GT(brightestInside(wordImage, frame), 200) << frame.name;
    // Only the soft halo of the blur may reach an edge, never the letters themselves.
    EXPECT_LT(brightestOnEdges(wordImage, frame), 128) << frame.name;
  }
  EXPECT_GT(brightestInside(creditImage, credit[0]), 200);
  EXPECT_LT(brightestOnEdges(creditImage, credit[0]), 128);
  // Frames ending at the page's top have no edge there; the first line and the heading must
  // not reach it either, or their tops are cut off.
  const PageFrame topRow = {"top row", 0.0f, 511.5f / 512, 1.0f, 1.0f};
  EXPECT_LT(brightestInside(wordImage, topRow), 128);
  EXPECT_LT(brightestInside(creditImage, topRow), 128);
}

TEST_F(Credits, ImpactIsTheShippedAntonAtTheHeightItsFramesHold) {
  loadFontAliases("data/fonts.conf");
  FontRequest impact;
  impact.family = "Impact";
  impact.height = 100;
  impact.weight = 400;
  const FontMatch match = findFont(impact);
  EXPECT_FALSE(match.substituted);
  EXPECT_EQ(match.family, "Anton");
  char* shipped = realpath("data/fonts/Anton-Regular.ttf", nullptr);
  ASSERT_NE(shipped, nullptr);
  EXPECT_EQ(match.file, shipped);
  std::free(shipped);
  std::ifstream licence("data/fonts/OFL.txt");
  const std::string text((std::istreambuf_iterator<char>(licence)), std::istreambuf_iterator<char>());
  EXPECT_NE(text.find("SIL Open Font License"), std::string::npos);
  EXPECT_NE(text.find("Anton"), std::string::npos);

  // Full width, 0.92 of the height: a capital D 79 pixels tall (0.86 of the em unscaled), as
  // wide as the face draws it.
  EXPECT_EQ(match.shear[0], 1.0);
  EXPECT_EQ(match.shear[1], 0.0);
  EXPECT_EQ(match.shear[2], 0.0);
  EXPECT_NEAR(match.shear[3], 0.92, 1e-9);
  FontMatch unscaled = match;
  unscaled.shear[3] = 1.0;
  const GlyphBitmap d = renderGlyphs(impact, match, 'D', 1)[0];
  const GlyphBitmap fullD = renderGlyphs(impact, unscaled, 'D', 1)[0];
  EXPECT_NEAR(d.rows, 79, 1);
  EXPECT_NEAR(fullD.rows, 86, 1);
  EXPECT_EQ(d.advance, fullD.advance);

  // Italic requests still lean.
  FontRequest italic = impact;
  italic.italic = true;
  EXPECT_NE(findFont(italic).shear[1], 0.0);
}
