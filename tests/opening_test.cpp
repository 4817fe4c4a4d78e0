// The opening: the lone gear across the first phase bound, the shake windows, the tile flip's
// start, late pin and picture cells, the switch to the finished second picture, the stripe wipe
// and the black last frame.
#include "render/GlState.h"
#include "render/Glow.h"
#include "render/Texture.h"
#include "scenes/OpeningParts.h"
#include "scenes/Scenes.h"
#include "scenes/SharedLists.h"
#include "shell/Preparation.h"
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

// One frame as the frame loop draws it, read back (rows from the bottom).
using Frame = std::vector<unsigned char>;

Frame drawFrame(float t) {
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glLoadIdentity();
  openingScene(1, t);
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

// Bounding box of the pixels brighter than 40, y from the top.
struct LitBox {
  int left = 800, right = -1, top = 600, bottom = -1;
};

LitBox litBox(const Frame& f) {
  LitBox box;
  for (int y = 0; y < 600; ++y)
    for (int x = 0; x < 800; ++x)
      if (brightness(f, x, y) > 40) {
        box.left = std::min(box.left, x), box.right = std::max(box.right, x);
        box.top = std::min(box.top, y), box.bottom = std::max(box.bottom, y);
      }
  return box;
}

int blackPixelsIn(const Frame& f, int x0, int y0, int x1, int y1) {
  int count = 0;
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x) count += brightness(f, x, y) == 0;
  return count;
}

int brightestIn(const Frame& f, int x0, int y0, int x1, int y1) {
  int most = 0;
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x) most = std::max(most, brightness(f, x, y));
  return most;
}

}  // namespace

TEST_F(Opening, LoneGearTiltsAndTravelsFromThePhaseBound) {
  const float bounds[][2] = {{0.1099f, 1}, {0.11f, 2},  {0.2249f, 2}, {0.225f, 3}, {0.3f, 4},
                             {0.55f, 5},   {0.5999f, 5}, {0.6f, 6},   {0.85f, 7},  {1.0f, 7}};
  for (const auto& b : bounds) EXPECT_EQ(openingPhase(b[0]), b[1]) << b[0];

  // Phase 1: the gear alone on black, centred, tilted back by 60 degrees.
  const LitBox tilted = litBox(drawFrame(0.1099f));
  saveTestPicture("opening_lone_gear");
  EXPECT_NEAR((tilted.left + tilted.right) / 2.0, 400, 2);
  EXPECT_NEAR((tilted.top + tilted.bottom) / 2.0, 300, 2);
  EXPECT_GT(tilted.right - tilted.left, 200);

  // t = 0.11 is phase 2: still centred, but tilted by 54 degrees only, so it stands taller.
  const LitBox straighter = litBox(drawFrame(0.11f));
  EXPECT_NEAR((straighter.top + straighter.bottom) / 2.0, 300, 2);
  EXPECT_GT(straighter.bottom - straighter.top, tilted.bottom - tilted.top + 10);

  // Part way along the straight path to hole 1 at (330, 220).
  const LitBox moving = litBox(drawFrame(0.2f));
  const double u = 0.09 / 0.115;
  EXPECT_NEAR((moving.left + moving.right) / 2.0, 400 + 330 * u, 3);
  EXPECT_NEAR((moving.top + moving.bottom) / 2.0, 300 - 220 * u, 3);
}

TEST_F(Opening, ShakeWindowsAreOpenAtBothEnds) {
  const struct {
    int phase;
    float from, to;
  } windows[] = {{4, 0.33f, 0.333f},  {4, 0.498f, 0.502f}, {5, 0.554f, 0.557f},
                 {6, 0.823f, 0.826f}, {7, 0.959f, 0.962f}};
  for (const auto& w : windows) {
    for (float edge : {w.from, w.to}) {
      EXPECT_EQ(shakeOffset(w.phase, edge).x, 0.0f) << edge;
      EXPECT_EQ(shakeOffset(w.phase, edge).y, 0.0f) << edge;
    }
    const float inside = (w.from + w.to) / 2;
    const ShakeOffset shaken = shakeOffset(w.phase, inside);
    EXPECT_NEAR(std::hypot(shaken.x, shaken.y), 0.05, 1e-5) << inside;
    EXPECT_EQ(shakeOffset(w.phase == 4 ? 6 : 4, inside).x, 0.0f);  // its own phase only
  }
}

TEST_F(Opening, TilesStartAfterTheirTimeAndPinOneFrameLate) {
  const TileRecord* tiles = openingTiles();
  ASSERT_NE(tiles, nullptr);
  drawFrame(0.56f);  // the first pair's start equals t: nothing moves yet
  for (int k = 0; k < tileCount; ++k) EXPECT_EQ(tiles[k].angle, 0.0f) << k;

  drawFrame(0.5605f);
  EXPECT_NEAR(tiles[0].angle, 3.0f, 0.01f);    // top right
  EXPECT_NEAR(tiles[79].angle, -3.0f, 0.01f);  // its mirror, bottom left, the other way
  EXPECT_EQ(tiles[1].angle, 0.0f);             // starts at 0.561
  EXPECT_EQ(tiles[10].angle, 0.0f);            // the next row at 0.562

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

  // The last frame of phase 5 leaves the last pair at about 150 degrees, black gaps beside the
  // narrowed tiles of row 4 (screen rows 300..375); t = 0.6 is phase 6, the whole second
  // picture, and the tiles stay as they were.
  const int gapsAtEnd = blackPixelsIn(drawFrame(0.5999f), 240, 300, 800, 375);
  EXPECT_NEAR(tiles[40].angle, -149.4f, 0.1f);
  const int gapsInSecond = blackPixelsIn(drawFrame(0.6f), 240, 300, 800, 375);
  saveTestPicture("opening_second_picture");
  EXPECT_GT(gapsAtEnd, 1000);
  EXPECT_LT(gapsInSecond, 100);
  EXPECT_NEAR(tiles[39].angle, 149.4f, 0.1f);
}

TEST_F(Opening, TilesShowHalfTurnedCapturesUpright) {
  // Fronts: a red patch painted half-turned into the top-left quarter of a capture; backs: a
  // green one into the bottom-right quarter.
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
  drawGrid(0);  // the fronts show the red patch where it was meant, top left
  EXPECT_GT(pixelAt(200, 150)[0], 200);
  EXPECT_EQ(pixelAt(600, 450)[0], 0);
  EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
  drawGrid(180);  // turned over, the backs show the green patch bottom right
  EXPECT_GT(pixelAt(600, 450)[1], 200);
  EXPECT_EQ(pixelAt(200, 150)[1], 0);
}

TEST_F(Opening, StripeWipeSlidesBarsFromAlternateSides) {
  glClearColor(1, 1, 1, 1);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glLoadIdentity();
  float starts[wipeBars];
  float lengths[wipeBars] = {};
  std::fill(starts, starts + wipeBars, 0.5f);
  starts[2] = 0.6f;  // equal to t: not started, length untouched
  lengths[2] = -1;
  drawStripeWipe(0.5f + 200.0f / 8800, starts, lengths);
  // 200 long: bar 0 (rows 0..29) from the right edge, bar 1 from the left; bar 2 waits.
  EXPECT_EQ(pixelAt(700, 15)[0], 0);
  EXPECT_EQ(pixelAt(500, 15)[0], 255);
  EXPECT_EQ(pixelAt(100, 45)[0], 0);
  EXPECT_EQ(pixelAt(300, 45)[0], 255);
  EXPECT_EQ(pixelAt(700, 75)[0], 255);

  drawStripeWipe(0.6f, starts, lengths);  // bar 2 starts at t: still waiting
  EXPECT_NEAR(lengths[0], 880, 0.01);     // not clamped: past the far edge
  EXPECT_EQ(lengths[2], -1.0f);
  for (int y : {15, 45, 105}) EXPECT_EQ(pixelAt(5, y)[0] + pixelAt(795, y)[0], 0) << y;
  EXPECT_EQ(pixelAt(5, 75)[0], 255);
  GLboolean depthWrites = GL_FALSE;
  glGetBooleanv(GL_DEPTH_WRITEMASK, &depthWrites);
  EXPECT_TRUE(depthWrites);
  EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
}

TEST_F(Opening, WipeStartsAfterItsTimesAndEndsInBlack) {
  const Frame start = drawFrame(0.85f);  // the first bars start at 0.85: none yet
  saveTestPicture("opening_wipe_start");
  // At 0.87 bar 3 (from the left in the capture, turned by the half turn) covers screen rows
  // 480..509 from the right edge.
  const Frame wiping = drawFrame(0.87f);
  EXPECT_GT(brightestIn(start, 700, 488, 790, 502), 20);
  EXPECT_LT(brightestIn(wiping, 700, 488, 790, 502), 4);

  const Frame last = drawFrame(1.0f);  // every bar is past 800 long: black
  EXPECT_TRUE(std::all_of(last.begin(), last.end(), [](unsigned char c) { return c == 0; }));
  // What the opening hands on: lighting on, the 60-degree perspective, no GL error.
  EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
  GLfloat p[16];
  glGetFloatv(GL_PROJECTION_MATRIX, p);
  EXPECT_NEAR(p[5], 1.0 / std::tan(30 * 3.14159265 / 180), 1e-4);
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}
