// The opening: the lone gear's move and tilt across the phase bound, the phase switch to the
// finished second picture, the shake windows, the tile flip's start and late pin, the tiles'
// picture cells, the stripe wipe and the black last frame.
#include "render/GlState.h"
#include "render/Glow.h"
#include "render/Texture.h"
#include "scenes/OpeningParts.h"
#include "scenes/Scenes.h"
#include "shell/Preparation.h"
#include "shell/SharedLists.h"
#include "tests/Feedback.h"
#include "tests/GlTestContext.h"

#include <SDL_opengl.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

class Opening : public GlTest {
 protected:
  static void SetUpTestSuite() {
    glTestScreen();
    if (!sceneLight) prepareStartup();
  }
  void SetUp() override {
    GlTest::SetUp();
    openingScene(0, 0.0f);  // flat tiles, no wipe, first frame still to come
  }
};

// One frame as the frame loop draws it.
void drawFrame(float t) {
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glLoadIdentity();
  openingScene(1, t);
}

using Frame = std::vector<unsigned char>;

Frame readFrame() {
  Frame rgb(800 * 600 * 3);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, 800, 600, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  return rgb;
}

int brightness(const Frame& f, int x, int yFromTop) {
  const unsigned char* p = &f[(static_cast<size_t>(599 - yFromTop) * 800 + x) * 3];
  return std::max({p[0], p[1], p[2]});
}

// Bounding box of every pixel brighter than 40, y from the top.
struct LitBox {
  int left = 800, right = -1, top = 600, bottom = -1;
  float centreX() const { return (left + right) / 2.0f; }
  float centreY() const { return (top + bottom) / 2.0f; }
};

LitBox litBox(const Frame& f) {
  LitBox box;
  for (int y = 0; y < 600; ++y)
    for (int x = 0; x < 800; ++x)
      if (brightness(f, x, y) > 40) {
        box.left = std::min(box.left, x);
        box.right = std::max(box.right, x);
        box.top = std::min(box.top, y);
        box.bottom = std::max(box.bottom, y);
      }
  return box;
}

int brightestIn(const Frame& f, int x0, int y0, int x1, int y1) {
  int most = 0;
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x) most = std::max(most, brightness(f, x, y));
  return most;
}

int blackPixelsIn(const Frame& f, int x0, int y0, int x1, int y1) {
  int count = 0;
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x) count += brightness(f, x, y) == 0;
  return count;
}

}  // namespace

TEST_F(Opening, LoneGearTiltsAndTravelsFromThePhaseBound) {
  EXPECT_EQ(openingPhase(0.0f), 1);
  EXPECT_EQ(openingPhase(0.1099f), 1);
  EXPECT_EQ(openingPhase(0.11f), 2);
  EXPECT_EQ(openingPhase(0.2249f), 2);
  EXPECT_EQ(openingPhase(0.225f), 3);
  EXPECT_EQ(openingPhase(0.3f), 4);
  EXPECT_EQ(openingPhase(0.55f), 5);
  EXPECT_EQ(openingPhase(0.5999f), 5);
  EXPECT_EQ(openingPhase(0.6f), 6);
  EXPECT_EQ(openingPhase(0.85f), 7);
  EXPECT_EQ(openingPhase(1.0f), 7);

  // Phase 1: the gear alone, centred on black, tilted back by 60 degrees.
  drawFrame(0.1099f);
  const Frame lone = readFrame();
  saveTestPicture("opening_lone_gear");
  const LitBox tilted = litBox(lone);
  EXPECT_NEAR(tilted.centreX(), 400, 2);
  EXPECT_NEAR(tilted.centreY(), 300, 2);
  EXPECT_GT(tilted.right - tilted.left, 200);
  EXPECT_EQ(brightness(lone, 5, 5), 0);
  EXPECT_EQ(brightness(lone, 795, 595), 0);

  // t = 0.11 is phase 2: still at the centre, but the tilt is down to 54 degrees, so the gear
  // stands taller.
  drawFrame(0.11f);
  const LitBox straighter = litBox(readFrame());
  EXPECT_NEAR(straighter.centreX(), 400, 2);
  EXPECT_NEAR(straighter.centreY(), 300, 2);
  EXPECT_GT(straighter.bottom - straighter.top, tilted.bottom - tilted.top + 10);

  // Part way along the path to hole 1 at (330, 220): u = 0.09 / 0.115.
  drawFrame(0.2f);
  const LitBox moving = litBox(readFrame());
  const float u = 0.09f / 0.115f;
  EXPECT_NEAR(moving.centreX(), 400 + 330 * u, 3);
  EXPECT_NEAR(moving.centreY(), 300 - 220 * u, 3);
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(Opening, GearSettlesInItsHoleInTheGlowingPicture) {
  drawFrame(0.26f);
  const Frame f = readFrame();
  saveTestPicture("opening_gear_in_hole");
  // Hole 1 at (330, 220) is black around the gear's hub; the picture glows around it.
  EXPECT_LT(brightestIn(f, 725, 75, 735, 85), 30);
  EXPECT_GT(brightestIn(f, 0, 300, 400, 600), 60);
  // The gear's boxes are sharp and white on top (radius 100, boxes 60 long).
  int whiteInRing = 0;
  for (int a = 0; a < 360; a += 2) {
    const double r = 100, rad = a * 3.14159265 / 180;
    const int x = static_cast<int>(730 + r * std::cos(rad));
    const int y = static_cast<int>(80 - r * std::sin(rad));
    if (x >= 0 && x < 800 && y >= 0 && y < 600 && brightness(f, x, y) > 200) ++whiteInRing;
  }
  EXPECT_GT(whiteInRing, 5);
}

TEST_F(Opening, ShakeWindowsAreOpenAtBothEnds) {
  const struct {
    int phase;
    float from, to;
  } windows[] = {{4, 0.33f, 0.333f}, {4, 0.498f, 0.502f}, {5, 0.554f, 0.557f},
                 {6, 0.605f, 0.608f}, {6, 0.823f, 0.826f}, {7, 0.881f, 0.884f},
                 {7, 0.959f, 0.962f}};
  for (const auto& w : windows) {
    const ShakeOffset atStart = shakeOffset(w.phase, w.from);
    const ShakeOffset atEnd = shakeOffset(w.phase, w.to);
    EXPECT_EQ(atStart.x, 0.0f) << w.from;
    EXPECT_EQ(atStart.y, 0.0f) << w.from;
    EXPECT_EQ(atEnd.x, 0.0f) << w.to;
    EXPECT_EQ(atEnd.y, 0.0f) << w.to;
    const float inside = (w.from + w.to) / 2;
    const ShakeOffset shaken = shakeOffset(w.phase, inside);
    EXPECT_NEAR(std::hypot(shaken.x, shaken.y), 0.05, 1e-5) << inside;
    EXPECT_NEAR(shaken.x, 0.05 * std::sin(10000.0 * inside), 2e-3) << inside;
    // A window belongs to its own phase only.
    const ShakeOffset elsewhere = shakeOffset(w.phase == 4 ? 6 : 4, inside);
    EXPECT_EQ(elsewhere.x, 0.0f);
    EXPECT_EQ(elsewhere.y, 0.0f);
  }
  const ShakeOffset calm = shakeOffset(4, 0.36f);
  EXPECT_EQ(calm.x, 0.0f);
  EXPECT_EQ(calm.y, 0.0f);
}

TEST_F(Opening, TilesStartAfterTheirTimeAndPinOneFrameLate) {
  const TileRecord* tiles = openingTiles();
  ASSERT_NE(tiles, nullptr);
  // The grid: column 0 at the right, row 0 at the top, 80 x 75 tiles covering the screen.
  EXPECT_EQ(tiles[0].x, 360.0f);
  EXPECT_EQ(tiles[0].y, 262.5f);
  EXPECT_EQ(tiles[79].x, -360.0f);
  EXPECT_EQ(tiles[79].y, -262.5f);

  drawFrame(0.56f);  // the first pair's start equals t: nothing moves yet
  for (int k = 0; k < tileCount; ++k) EXPECT_EQ(tiles[k].angle, 0.0f) << k;
  saveTestPicture("opening_tiles_at_rest");

  drawFrame(0.5605f);
  EXPECT_NEAR(tiles[0].angle, 3.0f, 0.01f);
  EXPECT_NEAR(tiles[79].angle, -3.0f, 0.01f);  // the mirror tile turns the other way
  EXPECT_EQ(tiles[1].angle, 0.0f);             // starts at 0.561
  EXPECT_EQ(tiles[10].angle, 0.0f);            // next row: 0.562

  drawFrame(0.5734f);  // half way through the sweep
  saveTestPicture("opening_tile_flip");
  EXPECT_NEAR(tiles[0].angle, 80.4f, 0.05f);
  for (int k = 0; k < tilePairs; ++k) EXPECT_EQ(tiles[k].angle, -tiles[79 - k].angle) << k;
  EXPECT_EQ(tiles[39].angle, 0.0f);  // the last pair starts at 0.575

  // A late frame lands beyond the half turn; the next frame pins the tile to it.
  drawFrame(0.5901f);
  EXPECT_GT(tiles[0].angle, 180.0f);
  EXPECT_LT(tiles[79].angle, -180.0f);
  drawFrame(0.5905f);
  EXPECT_EQ(tiles[0].angle, 180.0f);
  EXPECT_EQ(tiles[79].angle, -180.0f);
  drawFrame(0.5999f);
  EXPECT_EQ(tiles[0].angle, 180.0f);
  EXPECT_NEAR(tiles[39].angle, 149.4f, 0.1f);  // still turning as the phase ends
  EXPECT_NEAR(tiles[40].angle, -149.4f, 0.1f);

  // So the last frame of phase 5 shows black gaps beside the narrowed tiles of row 4 (screen
  // rows 300..375); t = 0.6 is phase 6 and shows the whole second picture there.
  const int gapsAtEnd = blackPixelsIn(readFrame(), 240, 300, 800, 375);
  saveTestPicture("opening_last_flip");
  drawFrame(0.6f);
  saveTestPicture("opening_second_picture");
  const int gapsInSecond = blackPixelsIn(readFrame(), 240, 300, 800, 375);
  EXPECT_GT(gapsAtEnd, 1000);
  EXPECT_LT(gapsInSecond, 100);
  EXPECT_NEAR(tiles[39].angle, 149.4f, 0.1f);  // phase 6 leaves the tiles alone
}

TEST_F(Opening, TilesShowHalfTurnedCapturesUpright) {
  // Fronts: a capture with a red patch drawn half-turned into the top-left quarter; backs: a
  // green patch half-turned into the bottom-right quarter.
  Texture front = createRenderTarget(512, 512, 1);
  Texture back = createRenderTarget(512, 512, 1);
  glDisable(GL_LIGHTING);
  auto paint = [](Texture& target, float r, float g, float x, float y) {
    target.beginCapture(0, 0, 0, 1);
    setOrtho();
    glRotatef(180, 0, 0, 1);
    glColor3f(r, g, 0);
    glRectf(x - 100, y - 100, x + 100, y + 100);
    captureGlow(target, 5);
  };
  paint(front, 1, 0, -200, 150);
  paint(back, 0, 1, 200, -150);

  auto drawGrid = [&](float angle) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    setOrtho();
    glLoadIdentity();
    glColor3f(1, 1, 1);
    for (int row = 0; row < tileRows; ++row)
      for (int column = 0; column < tileColumns; ++column) {
        glPushMatrix();
        glTranslatef(360.0f - 80 * column, 262.5f - 75 * row, -300);
        glRotatef(angle, 0, 1, 0);
        drawTileBox(80, 75, 2, 0.1f * column, 0.125f * row, &front, &back);
        glPopMatrix();
      }
  };
  drawGrid(0);
  auto red = pixelAt(200, 150);  // (-200, 150) on screen
  EXPECT_GT(red[0], 200);
  EXPECT_EQ(pixelAt(600, 450)[0], 0);
  EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));

  drawGrid(180);
  auto green = pixelAt(600, 450);  // (200, -150)
  EXPECT_GT(green[1], 200);
  EXPECT_EQ(pixelAt(200, 150)[1], 0);

  // Each tile is one box: a front, a back and four rims, six quads of two triangles. The
  // front shows one cell of the 10 x 8 grid.
  glDisable(GL_CULL_FACE);
  Feedback f = captureFeedback([&] { drawTileBox(80, 75, 2, 0.3f, 0.25f, nullptr, nullptr); });
  ASSERT_EQ(f.polygons.size(), 12u);
  float sMin = 1, sMax = 0, tMin = 1, tMax = 0;
  for (int k = 0; k < 2; ++k)
    for (const FeedbackVertex& v : f.polygons[k]) {
      EXPECT_NEAR(v.z, 1, 0.05);
      EXPECT_NEAR(std::fabs(v.x), 40, 0.05);
      EXPECT_NEAR(std::fabs(v.y), 37.5, 0.05);
      sMin = std::min(sMin, v.s), sMax = std::max(sMax, v.s);
      tMin = std::min(tMin, v.t), tMax = std::max(tMax, v.t);
    }
  EXPECT_NEAR(sMin, 0.3f, 1e-6);
  EXPECT_NEAR(sMax, 0.4f, 1e-6);
  EXPECT_NEAR(tMin, 0.25f, 1e-6);
  EXPECT_NEAR(tMax, 0.375f, 1e-6);
}

TEST_F(Opening, StripeWipeSlidesBarsFromAlternateSides) {
  glClearColor(1, 1, 1, 1);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glLoadIdentity();
  float starts[wipeBars];
  float lengths[wipeBars] = {};
  for (float& s : starts) s = 0.5f;
  starts[2] = 0.6f;  // equal to t: not drawn, length kept
  lengths[2] = -1;
  drawStripeWipe(0.5f + 200.0f / 8800, starts, lengths);
  EXPECT_NEAR(lengths[0], 200, 0.01);
  EXPECT_EQ(lengths[2], -1.0f);
  // Bar 0 (rows 0..29) from the right, bar 1 (rows 30..59) from the left, 200 long each.
  EXPECT_EQ(pixelAt(700, 15)[0], 0);
  EXPECT_EQ(pixelAt(500, 15)[0], 255);
  EXPECT_EQ(pixelAt(100, 45)[0], 0);
  EXPECT_EQ(pixelAt(300, 45)[0], 255);
  EXPECT_EQ(pixelAt(700, 75)[0], 255);  // bar 2 has not started
  // It leaves depth writes and lighting on and the colour white.
  GLboolean depthWrites = GL_FALSE;
  glGetBooleanv(GL_DEPTH_WRITEMASK, &depthWrites);
  EXPECT_TRUE(depthWrites);
  EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
  GLfloat colour[4];
  glGetFloatv(GL_CURRENT_COLOR, colour);
  EXPECT_EQ(colour[0] + colour[1] + colour[2] + colour[3], 4.0f);

  // Lengths are not clamped: a bar keeps growing past the far edge.
  drawStripeWipe(0.5f + 1000.0f / 8800, starts, lengths);
  EXPECT_NEAR(lengths[1], 1000, 0.05);
}

TEST_F(Opening, WipeStartsAfterItsTimesAndEndsInBlack) {
  drawFrame(0.85f);  // the first bars start at 0.85: the finished second picture, no bar yet
  const Frame start = readFrame();
  saveTestPicture("opening_wipe_start");
  drawFrame(0.87f);
  saveTestPicture("opening_wiping");
  // Bar 3 (from the left in the capture) shows turned: from the right edge, rows 480..509.
  const Frame wiping = readFrame();
  EXPECT_LT(brightestIn(wiping, 760, 488, 800, 502), brightestIn(start, 760, 488, 800, 502));

  drawFrame(1.0f);  // every bar is past 800 long: black
  const Frame last = readFrame();
  EXPECT_TRUE(std::all_of(last.begin(), last.end(), [](unsigned char c) { return c == 0; }));
  // What the opening hands on: the 60-degree perspective, lighting on, no GL error.
  EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
  GLfloat p[16];
  glGetFloatv(GL_PROJECTION_MATRIX, p);
  EXPECT_NEAR(p[5], 1.0 / std::tan(30 * 3.14159265 / 180), 1e-4);
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}
