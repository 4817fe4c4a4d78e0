// The immediate-mode shapes: pictures the right way up, faces facing out, boxes where the
// scenes expect them, and the texture state they leave.
#include "geometry/Shapes.h"
#include "render/GlState.h"
#include "render/Texture.h"
#include "tests/Feedback.h"
#include "tests/GlTestContext.h"

#include <SDL_opengl.h>

#include <array>
#include <cmath>
#include <vector>

namespace {
using Rgb = std::array<int, 3>;
const Rgb red{255, 0, 0}, green{0, 255, 0}, blue{0, 0, 255}, white{255, 255, 255};

enum class Layout {
  Jpg,          // rows from the top, each row from its rightmost pixel
  FrameBuffer,  // rows from the bottom, each row from its leftmost pixel, as GL copies them
};

// An 8 x 8 picture in four plain quarters, uploaded in the given layout.
Texture makeQuarters(Rgb topLeft, Rgb topRight, Rgb bottomLeft, Rgb bottomRight, Layout layout) {
  std::vector<unsigned char> pixels(8 * 8 * 3);
  for (int row = 0; row < 8; ++row)
    for (int column = 0; column < 8; ++column) {
      // (x, y) of the picture, counted from its top-left corner.
      const int x = layout == Layout::Jpg ? 7 - column : column;
      const int y = layout == Layout::Jpg ? row : 7 - row;
      const Rgb& c = y < 4 ? (x < 4 ? topLeft : topRight) : (x < 4 ? bottomLeft : bottomRight);
      for (int k = 0; k < 3; ++k) pixels[(row * 8 + column) * 3 + k] = static_cast<unsigned char>(c[k]);
    }
  Texture texture;
  texture.uploadPixels(8, 8, GL_RGB, GL_RGB, pixels.data(), 0);
  return texture;
}

class Shapes : public GlTest {
 protected:
  void SetUp() override {
    GlTest::SetUp();
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glColor3f(1, 1, 1);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  }
};

std::array<float, 16> modelview() {
  std::array<float, 16> m{};
  glGetFloatv(GL_MODELVIEW_MATRIX, m.data());
  return m;
}

GLint boundTexture() {
  GLint name = -1;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &name);
  return name;
}

// Average corner of each consecutive group of polygons (one group per box).
std::vector<FeedbackVertex> groupCentres(const Feedback& feedback, size_t perGroup) {
  std::vector<FeedbackVertex> centres;
  for (size_t first = 0; first + perGroup <= feedback.polygons.size(); first += perGroup) {
    FeedbackVertex sum;
    int n = 0;
    for (size_t k = first; k < first + perGroup; ++k)
      for (const FeedbackVertex& v : feedback.polygons[k]) {
        sum.x += v.x;
        sum.y += v.y;
        sum.z += v.z;
        ++n;
      }
    centres.push_back({sum.x / n, sum.y / n, sum.z / n});
  }
  return centres;
}

double degrees(double radians) { return radians * 180 / std::acos(-1.0); }
}  // namespace

TEST_F(Shapes, FlatQuadShowsJpgPictureUpright) {
  setOrtho();
  glLoadIdentity();

  // Untextured, as the scenes' fades use it: the whole screen, corner to corner.
  glColor3f(1, 0, 0);
  drawFlatQuad(800, 600, 1);
  for (auto [x, y] : {std::pair{0, 0}, {799, 0}, {0, 599}, {799, 599}, {400, 300}})
    EXPECT_EQ(pixelAt(x, y), red) << x << "," << y;

  Texture picture = makeQuarters(red, green, blue, white, Layout::Jpg);
  glColor3f(1, 1, 1);
  picture.bindTexture(0);
  drawFlatQuad(800, 600, 1);
  unbindTexture();
  saveTestPicture("flat_quad_upright");
  EXPECT_EQ(pixelAt(100, 100), red);  // not mirrored and not upside down
  EXPECT_EQ(pixelAt(700, 100), green);
  EXPECT_EQ(pixelAt(100, 500), blue);
  EXPECT_EQ(pixelAt(700, 500), white);

  // A repeat of 2 tiles the picture twice each way, each tile upright.
  picture.bindTexture(0);
  drawFlatQuad(800, 600, 2);
  unbindTexture();
  EXPECT_EQ(pixelAt(50, 40), red);
  EXPECT_EQ(pixelAt(350, 40), green);
  EXPECT_EQ(pixelAt(450, 40), red);
  EXPECT_EQ(pixelAt(450, 560), blue);
  EXPECT_EQ(pixelAt(750, 560), white);
}

TEST_F(Shapes, BoxesFaceOutwards) {
  // Seen at a slant with back faces culled, a box shows three faces and hides three: all six
  // wind counter-clockwise from outside.
  glEnable(GL_CULL_FACE);
  glCullFace(GL_BACK);
  auto slanted = [](auto draw) {
    return captureFeedback([&] {
      glRotatef(30, 1, 0, 0);
      glRotatef(40, 0, 1, 0);
      draw();
    });
  };
  const Feedback cube = slanted([] { drawCube(100); });
  const Feedback tapered = slanted([] { drawTaperedBox(20, 40, 100); });
  EXPECT_EQ(cube.polygons.size(), 6u);  // three quads of two triangles
  EXPECT_EQ(tapered.polygons.size(), 6u);

  glDisable(GL_CULL_FACE);
  const Feedback cubeAll = captureFeedback([] { drawCube(100); });
  EXPECT_EQ(cubeAll.polygons.size(), 12u);
  for (const FeedbackShape& p : cubeAll.polygons)
    for (const FeedbackVertex& v : p) {
      EXPECT_NEAR(std::fabs(v.x), 50, 1e-2f);
      EXPECT_NEAR(std::fabs(v.z), 50, 1e-2f);
    }

  // The tapered box runs along x: a 20-wide square at -50, a 40-wide square at +50.
  const Feedback taperedAll = captureFeedback([] { drawTaperedBox(20, 40, 100); });
  EXPECT_EQ(taperedAll.polygons.size(), 12u);
  for (const FeedbackShape& p : taperedAll.polygons)
    for (const FeedbackVertex& v : p) {
      const float half = v.x < 0 ? 10 : 20;
      EXPECT_NEAR(std::fabs(v.x), 50, 1e-2f);
      EXPECT_NEAR(std::fabs(v.y), half, 1e-2f);
      EXPECT_NEAR(std::fabs(v.z), half, 1e-2f);
    }
}

TEST_F(Shapes, CardBoxBindsItsPicturesAndLeavesTexturingOff) {
  Texture frontPicture = makeQuarters(red, green, blue, white, Layout::FrameBuffer);
  Texture backPicture = makeQuarters(green, green, green, green, Layout::FrameBuffer);
  const TextureRect whole{0, 0, 1, 1};
  glEnable(GL_DEPTH_TEST);
  // A 300 x 300 card 300 units ahead, turned by the given angles about z, then y.
  auto drawCard = [&](float aboutZ, float aboutY, const TextureRect& rect, Texture* front,
                      Texture* back) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    glTranslatef(0, 0, -300);
    glRotatef(aboutZ, 0, 0, 1);
    glRotatef(aboutY, 0, 1, 0);
    drawCardBox(300, 300, 10, rect, front, back);
  };

  // After the carousel's half-turn about z a frame-buffer copy reads upright on the front.
  drawCard(180, 0, whole, &frontPicture, &backPicture);
  saveTestPicture("card_box_front");
  EXPECT_EQ(pixelAt(340, 240), red);
  EXPECT_EQ(pixelAt(460, 240), green);
  EXPECT_EQ(pixelAt(340, 360), blue);
  EXPECT_EQ(pixelAt(460, 360), white);
  EXPECT_EQ(glIsEnabled(GL_TEXTURE_2D), GL_FALSE);
  EXPECT_EQ(boundTexture(), 0);

  // The back face shows the back picture; without one, the front picture stays bound for it
  // (seen from behind without the half-turn, its bottom-right corner comes top left).
  drawCard(0, 180, whole, &frontPicture, &backPicture);
  EXPECT_EQ(pixelAt(340, 240), green);
  drawCard(0, 180, whole, &frontPicture, nullptr);
  EXPECT_EQ(pixelAt(340, 240), white);
  EXPECT_EQ(pixelAt(460, 360), red);

  // With no pictures at all the caller's texture draws it, and texturing still ends off.
  frontPicture.bindTexture(0);
  drawCard(0, 0, TextureRect{0, 0, 0.25f, 0.25f}, nullptr, nullptr);
  EXPECT_EQ(pixelAt(400, 300), blue);  // the bottom-left corner of the picture
  EXPECT_EQ(glIsEnabled(GL_TEXTURE_2D), GL_FALSE);
  EXPECT_EQ(boundTexture(), 0);
}

TEST_F(Shapes, BoxRingSpacesBoxesEvenlyAndKeepsTheMatrix) {
  glTranslatef(10, 20, 0);
  const auto before = modelview();
  const Feedback ring = captureFeedback([] {
    glLoadIdentity();
    drawBoxRing(150, 12, 20, 10, 50);
  });
  ASSERT_EQ(ring.polygons.size(), 12u * 12);  // 12 boxes of 6 quads
  const auto centres = groupCentres(ring, 12);
  for (size_t k = 0; k < centres.size(); ++k) {
    // The first box stands at 30 degrees, the last at 360.
    const double angle = degrees(std::atan2(centres[k].y, centres[k].x));
    const double expected = 30.0 * static_cast<double>(k + 1);
    EXPECT_NEAR(std::remainder(angle - expected, 360.0), 0, 1e-3) << k;
    EXPECT_NEAR(std::hypot(centres[k].x, centres[k].y), 150, 0.05) << k;
  }
  drawBoxRing(150, 12, 20, 10, 50);
  EXPECT_EQ(modelview(), before);

  for (int32_t count : {0, -3}) {
    const Feedback none = captureFeedback([&] { drawBoxRing(150, count, 20, 10, 50); });
    EXPECT_TRUE(none.polygons.empty());
    EXPECT_EQ(modelview(), before);
  }
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(Shapes, CardCarouselStandsCardsAroundAndKeepsItsHalfTurn) {
  const Feedback cards = captureFeedback([] {
    glLoadIdentity();
    drawCardCarousel(300, 7, 150, 100, 5, nullptr, nullptr);
  });
  ASSERT_EQ(cards.polygons.size(), 7u * 12);  // 7 cards of 6 quads
  const auto centres = groupCentres(cards, 12);
  for (size_t k = 0; k < centres.size(); ++k) {
    // Turned upside down about z, each card sits 360/7 degrees on from the one before.
    const double angle = degrees(std::atan2(-centres[k].x, centres[k].z));
    const double expected = 360.0 / 7 * static_cast<double>(k + 1);
    EXPECT_NEAR(std::remainder(angle - expected, 360.0), 0, 1e-3) << k;
    EXPECT_NEAR(std::hypot(centres[k].x, centres[k].z), 300, 0.05) << k;
    EXPECT_NEAR(centres[k].y, 0, 0.05) << k;
  }

  Texture picture = makeQuarters(red, red, red, red, Layout::FrameBuffer);
  glLoadIdentity();
  drawCardCarousel(300, 7, 150, 100, 5, &picture, &picture);
  const std::array<float, 16> halfTurn{-1, 0, 0, 0, 0, -1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
  const auto after = modelview();
  for (int k = 0; k < 16; ++k) EXPECT_NEAR(after[k], halfTurn[k], 1e-6f) << k;
  EXPECT_EQ(glIsEnabled(GL_TEXTURE_2D), GL_FALSE);
}
