// The spiral columns: the helix tube checked through what it sends down the pipeline
// (feedback mode), and the scene's frames checked by their overlays and their pixels.
#include "render/GlState.h"
#include "scenes/Helix.h"
#include "scenes/Scenes.h"
#include "shell/Preparation.h"
#include "tests/Feedback.h"
#include "tests/GlTestContext.h"

#include <SDL_opengl.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <set>
#include <utility>
#include <vector>

namespace {
constexpr float turn = 6.283185f;

class Spiral : public GlTest {
 protected:
  void SetUp() override {
    GlTest::SetUp();
    glDisable(GL_CULL_FACE);  // count every polygon, whichever way it faces
    glDisable(GL_LIGHTING);
  }
};

// Where a tube vertex sits on the helix: cross-section k along the coil, segment j around.
struct TubeIndex {
  int k;
  int j;
  bool operator<(const TubeIndex& o) const { return k != o.k ? k < o.k : j < o.j; }
};

// Recovers (k, j) of a feedback vertex of a turn drawn with `around` segments and texture
// period `periodAround` around, `rise` per cross-section, tube radius r, its base at yBase.
TubeIndex tubeIndex(const FeedbackVertex& v, int around, int periodAround, float rise, float r,
                    float yBase) {
  const int j = static_cast<int>(std::lround(v.s * periodAround));
  const double theta = j == around ? 0.0 : j * (double{turn} / around);
  const double centre = v.y - yBase - r * std::cos(theta);
  return {static_cast<int>(std::lround(centre / rise)), j};
}

// Everything one turn of the tube sent, grouped by strip (the lower cross-section k).
struct TurnShape {
  std::map<int, std::set<TubeIndex>> strips;
  bool everyPolygonSpansOneStrip = true;
  int topSection = -1;
  float topCentre = 0;  // the height of the top cross-section's centre line
  std::map<int, std::set<float>> stripT;  // texture t seen per strip
  float maxS = 0;
};

TurnShape shapeOfTurn(const Feedback& feedback, int around, int periodAround, float rise,
                      float r, float yBase) {
  TurnShape shape;
  for (const FeedbackShape& polygon : feedback.polygons) {
    int low = 1 << 30, high = -1;
    for (const FeedbackVertex& v : polygon) {
      const TubeIndex at = tubeIndex(v, around, periodAround, rise, r, yBase);
      low = std::min(low, at.k);
      high = std::max(high, at.k);
    }
    if (high != low + 1) shape.everyPolygonSpansOneStrip = false;
    for (const FeedbackVertex& v : polygon) {
      const TubeIndex at = tubeIndex(v, around, periodAround, rise, r, yBase);
      shape.strips[low].insert(at);
      shape.stripT[low].insert(v.t);
      shape.maxS = std::max(shape.maxS, v.s);
      if (at.k > shape.topSection) shape.topSection = at.k;
      if (at.k == shape.topSection && at.j == 0) shape.topCentre = v.y - yBase - r;
    }
  }
  return shape;
}

// The show's own start-up, once per test program: timeline, GL defaults, light, shared lists.
class SpiralScene : public GlTest {
 protected:
  static void SetUpTestSuite() {
    static bool prepared = false;
    glTestScreen();
    if (!prepared) prepareStartup();
    prepared = true;
  }
  void SetUp() override {
    GlTest::SetUp();
    // The preparations before this scene's leave lighting off and the colour opaque white.
    glDisable(GL_LIGHTING);
    glColor4f(1, 1, 1, 1);
    spiralScene(0, 0.0f);
  }
  // One frame as the frame loop draws it.
  static void drawFrame(float t) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    spiralScene(1, t);
  }
};

using Frame = std::vector<unsigned char>;  // 800 x 600 RGB, bottom row first

Frame readFrame() {
  Frame rgb(800 * 600 * 3);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, 800, 600, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  return rgb;
}

// A full-screen layer of one frame: its colour and how many screens of area it covers.
struct Layer {
  float colour[4];
  double screens;
};

// The full-screen quads (fades and overlays) a frame lays over the 800 x 600 window, read in
// feedback mode in window coordinates with their colours.
std::vector<Layer> screenLayers(float t) {
  const size_t capacity = 1 << 23;
  std::vector<GLfloat> buffer(capacity);
  glFeedbackBuffer(static_cast<GLsizei>(capacity), GL_3D_COLOR_TEXTURE, buffer.data());
  glRenderMode(GL_FEEDBACK);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glLoadIdentity();
  spiralScene(1, t);
  const GLint used = glRenderMode(GL_RENDER);
  EXPECT_GT(used, 0) << "feedback buffer overflowed at t = " << t;

  std::vector<Layer> layers;
  const int vertexSize = 11;
  auto atCorner = [](const GLfloat* v) {
    const bool x = std::fabs(v[0]) < 0.01f || std::fabs(v[0] - 800) < 0.01f;
    const bool y = std::fabs(v[1]) < 0.01f || std::fabs(v[1] - 600) < 0.01f;
    return x && y;
  };
  for (GLint at = 0; at < used;) {
    const auto token = static_cast<GLint>(buffer[at++]);
    if (token == GL_POLYGON_TOKEN) {
      const auto count = static_cast<int>(buffer[at++]);
      const GLfloat* first = &buffer[at];
      bool fullScreen = true;
      double area = 0;
      for (int k = 0; k < count; ++k) {
        const GLfloat* a = &buffer[at + k * vertexSize];
        const GLfloat* b = &buffer[at + ((k + 1) % count) * vertexSize];
        fullScreen = fullScreen && atCorner(a);
        area += a[0] * b[1] - b[0] * a[1];
      }
      at += count * vertexSize;
      if (!fullScreen) continue;
      const double screens = std::fabs(area) / 2 / (800.0 * 600.0);
      auto same = std::find_if(layers.begin(), layers.end(), [&](const Layer& l) {
        return std::equal(l.colour, l.colour + 4, first + 3,
                          [](float p, float q) { return std::fabs(p - q) < 1e-5f; });
      });
      if (same != layers.end())
        same->screens += screens;
      else
        layers.push_back({{first[3], first[4], first[5], first[6]}, screens});
    } else if (token == GL_LINE_TOKEN || token == GL_LINE_RESET_TOKEN) {
      at += 2 * vertexSize;
    } else if (token == GL_PASS_THROUGH_TOKEN) {
      ++at;
    } else {
      at += vertexSize;
    }
  }
  return layers;
}

bool isBlack(const Layer& l) { return l.colour[0] == 0 && l.colour[1] == 0 && l.colour[2] == 0; }
bool isWhite(const Layer& l) { return l.colour[0] == 1 && l.colour[1] == 1 && l.colour[2] == 1; }
}  // namespace

TEST_F(Spiral, HelixTurnGrowsItsCountsByTheRemainders) {
  // 7 along with period 3 become 8 strips; 5 around with period 3 become 7 segments, so 16
  // vertices a strip. The height step stays 700 / 7, so the turn rises 800.
  glTranslatef(0, -400, 0);
  Feedback f = captureFeedback([] { drawHelixTurn(80, 10, 700, 7, 5, 3, 3); });
  ASSERT_FALSE(f.overflowed);
  TurnShape shape = shapeOfTurn(f, 7, 3, 100, 10, -400);
  EXPECT_TRUE(shape.everyPolygonSpansOneStrip);
  ASSERT_EQ(shape.strips.size(), 8u);
  for (int i = 0; i < 8; ++i) {
    ASSERT_EQ(shape.strips.count(i), 1u) << i;
    EXPECT_EQ(shape.strips[i].size(), 16u) << "strip " << i;
    // t restarts every three strips: (i mod 3) / 3 below, one third more above.
    const float low = static_cast<float>(i % 3) / 3, high = static_cast<float>(i % 3 + 1) / 3;
    EXPECT_EQ(shape.stripT[i], (std::set<float>{low, high})) << "strip " << i;
  }
  EXPECT_EQ(shape.topSection, 8);
  EXPECT_NEAR(shape.topCentre, 800, 0.01);
  EXPECT_NEAR(shape.maxS, 7.0f / 3, 1e-5);  // s runs to M / f

  // No texture period or no segment along: nothing at all.
  EXPECT_TRUE(captureFeedback([] { drawHelixTurn(80, 10, 700, 0, 5, 3, 3); }).polygons.empty());
  EXPECT_TRUE(captureFeedback([] { drawHelixTurn(80, 10, 700, 7, 5, 0, 3); }).polygons.empty());
  EXPECT_TRUE(captureFeedback([] { drawHelixTurn(80, 10, 700, 7, 5, 3, 0); }).polygons.empty());
}

TEST_F(Spiral, HelixTurnOfTheSceneClosesAtAngleZeroAndHeightH) {
  glPushMatrix();
  glTranslatef(0, -500, 0);
  Feedback f = captureFeedback([] { drawHelixTurn(80, 10, 1000, 30, 10, 30, 10); });
  glPopMatrix();
  ASSERT_FALSE(f.overflowed);
  TurnShape shape = shapeOfTurn(f, 10, 10, 1000.0f / 30, 10, -500);
  EXPECT_TRUE(shape.everyPolygonSpansOneStrip);
  ASSERT_EQ(shape.strips.size(), 30u);
  for (const auto& strip : shape.strips) EXPECT_EQ(strip.second.size(), 22u) << strip.first;
  EXPECT_EQ(shape.topSection, 30);
  EXPECT_NEAR(shape.topCentre, 1000, 0.01);
  // The texture runs once along the turn and once around the tube.
  EXPECT_EQ(shape.stripT[0], (std::set<float>{0.0f, 1.0f / 30}));
  EXPECT_EQ(shape.stripT[29], (std::set<float>{29.0f / 30, 1.0f}));
  EXPECT_NEAR(shape.maxS, 1.0f, 1e-6);

  // Stretched a million times across x, only the cross-sections at angle exactly 0 stay on
  // screen whole: the first one and the closing one, both in the plane x = 0 to the bit.
  glScalef(1e6f, 1, 1);
  glTranslatef(0, -500, 0);
  Feedback stretched = captureFeedback([] { drawHelixTurn(80, 10, 1000, 30, 10, 30, 10); });
  int closing = 0, opening = 0;
  for (const FeedbackShape& polygon : stretched.polygons)
    for (const FeedbackVertex& v : polygon) {
      const float height = v.y + 500;
      // Left out: where the clipping cut the polygon, and the half turn (near x = 0 too).
      if (std::fabs(v.x) > 790 || (height > 100 && height < 900)) continue;
      EXPECT_EQ(v.x, 0.0f) << "at height " << height;
      (height > 900 ? closing : opening)++;
    }
  EXPECT_GT(closing, 0);
  EXPECT_GT(opening, 0);
}

TEST_F(Spiral, HelixColumnStacksItsTurnsAroundTheOrigin) {
  GLfloat before[16], after[16];
  glScalef(1, 0.25f, 1);  // fit 3020 units of height into the capture
  const size_t oneTurn =
      captureFeedback([] { drawHelixTurn(80, 10, 1000, 30, 10, 30, 10); }).polygons.size();
  glGetFloatv(GL_MODELVIEW_MATRIX, before);

  // Three turns of 1000 from y = -1500 to 1500; segment counts are truncated.
  Feedback column = captureFeedback([] { drawHelixColumn(3, 3000, 80, 10, 30.9f, 10.5f); });
  glGetFloatv(GL_MODELVIEW_MATRIX, after);
  EXPECT_TRUE(std::equal(before, before + 16, after));
  EXPECT_EQ(column.polygons.size(), 3 * oneTurn);
  float low = 1e9f, high = -1e9f;
  for (const FeedbackShape& polygon : column.polygons)
    for (const FeedbackVertex& v : polygon) {
      low = std::min(low, v.y * 4);
      high = std::max(high, v.y * 4);
    }
  EXPECT_NEAR(low, -1510, 0.1);  // the tube's underside at the bottom cross-section
  EXPECT_NEAR(high, 1510, 0.1);

  // No turns: nothing drawn and the matrix as it was.
  Feedback none = captureFeedback([] { drawHelixColumn(0, 3000, 80, 10, 30, 10); });
  glGetFloatv(GL_MODELVIEW_MATRIX, after);
  EXPECT_TRUE(none.polygons.empty());
  EXPECT_TRUE(std::equal(before, before + 16, after));
}

TEST_F(SpiralScene, FadesAndTitleFollowTheTimetable) {
  struct Expect {
    float t;
    float fade;   // alpha of the black layer; < 0: none
    float title;  // alpha of the title layer; < 0: none
  };
  const Expect table[] = {
      {0.0f, 1.0f, -1},  {0.02f, 0.5f, -1}, {0.04f, -1, -1},   {0.5f, -1, -1},
      {0.8f, -1, -1},    {0.82f, 0.5f, 0.2f}, {0.86f, 1.0f, 0.6f}, {0.9f, 1.0f, 1.0f},
      {0.95f, 1.0f, 0.5f}, {1.0f, 1.0f, 0.0f},
  };
  for (const Expect& e : table) {
    SCOPED_TRACE(testing::Message() << "t = " << e.t);
    std::vector<Layer> layers = screenLayers(e.t);
    double glowScreens = 0, titleScreens = 0, fadeScreens = 0;
    float titleAlpha = -1, fadeAlpha = -1;
    for (const Layer& l : layers) {
      if (isBlack(l)) {
        fadeScreens += l.screens;
        fadeAlpha = l.colour[3];
      } else if (isWhite(l) && l.colour[3] == 1.0f) {
        glowScreens += l.screens;  // the glow, and the title at full strength
      } else if (isWhite(l)) {
        titleScreens += l.screens;
        titleAlpha = l.colour[3];
      } else {
        ADD_FAILURE() << "unexpected layer colour " << l.colour[0] << " " << l.colour[1] << " "
                      << l.colour[2];
      }
    }
    if (e.title == 1.0f) {  // the title joins the two glow layers at alpha 1
      EXPECT_NEAR(glowScreens, 3, 1e-6);
    } else {
      EXPECT_NEAR(glowScreens, 2, 1e-6);  // the blur added twice
      if (e.title < 0) {
        EXPECT_EQ(titleScreens, 0);
      } else {
        EXPECT_NEAR(titleScreens, 1, 1e-6);
        EXPECT_NEAR(titleAlpha, e.title, 1e-5);
      }
    }
    if (e.fade < 0) {
      EXPECT_EQ(fadeScreens, 0);
    } else {
      EXPECT_NEAR(fadeScreens, 1, 1e-6);
      EXPECT_NEAR(std::min(fadeAlpha, 1.0f), e.fade, 1e-5);
    }
  }
}

TEST_F(SpiralScene, TitleStandsAloneOnBlack) {
  drawFrame(0.9f);
  saveTestPicture("spiral_title");
  const Frame title = readFrame();
  // White text: every pixel grey, the brightest fully white, and "KELVARN" across the upper
  // middle (raster position (-200, 130) on the page, 50 pixels high, stretched by 600 / 512).
  // Rows count from the bottom here.
  int brightest = 0, kelvarn = 0, elsewhere = 0;
  for (int y = 0; y < 600; ++y)
    for (int x = 0; x < 800; ++x) {
      const unsigned char* p = &title[(y * 800 + x) * 3];
      ASSERT_TRUE(p[0] == p[1] && p[1] == p[2]) << x << ", " << y;
      brightest = std::max<int>(brightest, p[0]);
      const bool inKelvarn = x >= 190 && x < 580 && y >= 420 && y < 500;
      const bool inBy = x >= 330 && x < 450 && y >= 320 && y < 410;
      const bool inNames = x >= 40 && x < 680 && y >= 215 && y < 320;
      if (inKelvarn && p[0] > 128) ++kelvarn;
      if (!inKelvarn && !inBy && !inNames && p[0] > 0) ++elsewhere;
    }
  EXPECT_EQ(brightest, 255);
  EXPECT_GT(kelvarn, 500);
  EXPECT_EQ(elsewhere, 0);

  // From 0.84 on the columns are gone under the black: only the title, at its alpha.
  const std::pair<float, float> faded[] = {{0.84f, 0.4f}, {0.87f, 0.7f}, {0.95f, 0.5f}};
  for (const auto& f : faded) {
    drawFrame(f.first);
    const Frame frame = readFrame();
    int worst = 0;
    for (size_t i = 0; i < frame.size(); ++i)
      worst = std::max(worst, std::abs(frame[i] - static_cast<int>(std::lround(title[i] * f.second))));
    EXPECT_LE(worst, 2) << "t = " << f.first;
  }
}

namespace {
// Brightest channel and the largest step between neighbouring pixels inside the picture,
// away from the letterbox bars' own edges.
struct Sharpness {
  int brightest = 0;
  int steepest = 0;
};

Sharpness measurePicture(const Frame& frame) {
  Sharpness m;
  for (int y = 80; y < 520; ++y)
    for (int x = 0; x + 1 < 800; ++x)
      for (int c = 0; c < 3; ++c) {
        const int here = frame[(y * 800 + x) * 3 + c];
        m.brightest = std::max(m.brightest, here);
        m.steepest = std::max(m.steepest, std::abs(here - frame[(y * 800 + x + 1) * 3 + c]));
        m.steepest = std::max(m.steepest, std::abs(here - frame[((y + 1) * 800 + x) * 3 + c]));
      }
  return m;
}

bool barsAreBlack(const Frame& frame) {
  for (int y = 0; y < 600; ++y) {
    if (y >= 75 && y < 525) continue;
    for (int x = 0; x < 800 * 3; ++x)
      if (frame[y * 800 * 3 + x] != 0) return false;
  }
  return true;
}
}  // namespace

TEST_F(SpiralScene, FogSwallowsTheSharpPictureButNotTheGlow) {
  drawFrame(0.05f);
  saveTestPicture("spiral_start");
  const Frame start = readFrame();
  const Sharpness clear = measurePicture(start);
  EXPECT_TRUE(barsAreBlack(start));

  drawFrame(0.79f);
  saveTestPicture("spiral_fog");
  const Frame late = readFrame();
  const Sharpness fogged = measurePicture(late);
  EXPECT_TRUE(barsAreBlack(late));
  // Sharp edges early on; late in the scene the fog has swallowed the sharp pass, while the
  // glow, captured without fog, still carries the colours.
  EXPECT_GT(clear.steepest, 150);
  EXPECT_LT(fogged.steepest, 60);
  EXPECT_GT(fogged.brightest, 100);
}

TEST_F(SpiralScene, FrameLeavesFogOffWithItsDensityForTheTime) {
  for (float t : {0.5f, 1.0f}) {
    SCOPED_TRACE(testing::Message() << "t = " << t);
    drawFrame(t);
    EXPECT_FALSE(glIsEnabled(GL_FOG));
    GLint fogMode = 0, envMode = 0, depthWrites = 0;
    GLfloat density = 0, fogColour[4] = {1, 1, 1, 1}, projection[16];
    glGetIntegerv(GL_FOG_MODE, &fogMode);
    glGetFloatv(GL_FOG_DENSITY, &density);
    glGetFloatv(GL_FOG_COLOR, fogColour);
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &envMode);
    glGetIntegerv(GL_DEPTH_WRITEMASK, &depthWrites);
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    EXPECT_EQ(fogMode, GL_EXP2);
    EXPECT_FLOAT_EQ(density, 0.005f * t + 0.0001f);
    for (float c : fogColour) EXPECT_EQ(c, 0.0f);
    EXPECT_EQ(envMode, GL_MODULATE);
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_GEN_S));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_GEN_T));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_EQ(depthWrites, GL_TRUE);
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    EXPECT_EQ(projection[11], -1.0f);  // the perspective is back
    GLint matrixMode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &matrixMode);
    EXPECT_EQ(matrixMode, GL_MODELVIEW);
  }

  // Any other mode draws nothing and changes nothing.
  clearScreen(0, 0, 1, 1);
  spiralScene(2, 0.5f);
  EXPECT_EQ(pixelAt(400, 300), (std::array<int, 3>{0, 0, 255}));
  EXPECT_FALSE(glIsEnabled(GL_FOG));
}
