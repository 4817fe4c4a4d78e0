// The end scroller: which lines are on screen when, black text on the saturated background
// between the bars, and the fades at both ends.
#include "scenes/Scenes.h"
#include "shell/Preparation.h"
#include "tests/GlTestContext.h"
#include "tests/SceneFeedback.h"

#include <SDL_opengl.h>

#include <map>
#include <set>

namespace {
class EndScroller : public GlTest {
 protected:
  void SetUp() override {
    GlTest::SetUp();
    prepareStartup();
    endScroller(0, 0.0f);
    glDisable(GL_SCISSOR_TEST);
  }
};

FrameFeedback scrollerFrame(float t) {
  return feedbackOfFrame([t] { endScroller(1, t); });
}

// Polygons that darken the whole screen: the fade quad, as GL breaks it up.
int blackScreenQuads(const FrameFeedback& frame) {
  int n = 0;
  for (const FrameShape& p : frame.polygons)
    if (coversScreen(p) && p[0].r == 0 && p[0].g == 0 && p[0].b == 0) ++n;
  return n;
}

void expectAllBlack(const char* when) {
  for (int y = 0; y < 600; y += 25)
    for (int x = 0; x < 800; x += 25)
      ASSERT_EQ(pixelAt(x, y), (std::array<int, 3>{0, 0, 0})) << when << " " << x << "," << y;
}
}  // namespace

TEST_F(EndScroller, HalfwayShowsExactlyLinesEightToSeventeen) {
  const FrameFeedback frame = scrollerFrame(0.5f);
  ASSERT_FALSE(frame.overflowed);
  // Each drawn line shows as a run of glyph bitmaps on one baseline; the first glyph stands at
  // the line's own x.
  std::map<int, int> firstGlyphX;  // window y of the baseline -> x of its first glyph
  for (const FrameVertex& glyph : frame.bitmaps) {
    const int y = static_cast<int>(glyph.y + 0.5f);
    if (!firstGlyphX.count(y)) firstGlyphX[y] = static_cast<int>(glyph.x + 0.5f);
  }
  // Lines 8 to 17, from y = 150 down to the bottom edge, with their raster x.
  const std::map<int, int> expected = {
      {450, 100}, {400, 80}, {350, 100}, {300, 80}, {250, 80},
      {200, 100}, {150, 80}, {100, 100}, {50, 80}, {0, 110},
  };
  EXPECT_EQ(firstGlyphX, expected);
  // "minute." (line 9) is drawn glyph by glyph: seven bitmaps on its baseline.
  int minuteGlyphs = 0;
  for (const FrameVertex& glyph : frame.bitmaps)
    if (static_cast<int>(glyph.y + 0.5f) == 400) ++minuteGlyphs;
  EXPECT_EQ(minuteGlyphs, 7);

  // A unit of scroll earlier line 17 was still just below the bottom edge; line 7 stood on the
  // top edge at scroll 880 and was gone at 881.
  auto baselines = [](float t) {
    std::set<int> ys;
    for (const FrameVertex& glyph : scrollerFrame(t).bitmaps)
      ys.insert(static_cast<int>(glyph.y + 0.5f));
    return ys;
  };
  EXPECT_EQ(baselines(899.5f / 1800.0f),
            (std::set<int>{449, 399, 349, 299, 249, 199, 149, 99, 49}));
  EXPECT_EQ(*baselines(880.5f / 1800.0f).rbegin(), 600);
  EXPECT_EQ(*baselines(881.5f / 1800.0f).rbegin(), 431);
}

TEST_F(EndScroller, BlackTextOnWhiteBetweenTheBars) {
  endScroller(1, 0.49f);
  endScroller(1, 0.5f);
  saveTestPicture("end_scroller_050");

  // The bars.
  for (int x = 0; x < 800; x += 20) {
    EXPECT_EQ(pixelAt(x, 10)[0], 0);
    EXPECT_EQ(pixelAt(x, 70)[0], 0);
    EXPECT_EQ(pixelAt(x, 530)[0], 0);
    EXPECT_EQ(pixelAt(x, 590)[0], 0);
  }
  // Lines 8 to 14 have their baselines at rows 150, 200, ... 450 from the top: each band above
  // a baseline holds black glyph pixels; the rows between the lines are background, and the
  // background has saturated to white nearly everywhere.
  for (int baseline = 150; baseline <= 450; baseline += 50) {
    int black = 0;
    for (int y = baseline - 20; y < baseline; ++y)
      for (int x = 80; x < 600; x += 2)
        if (pixelAt(x, y)[0] < 30) ++black;
    EXPECT_GT(black, 100) << "line on row " << baseline;

    int white = 0, dark = 0, total = 0;
    for (int x = 0; x < 800; x += 4) {
      const auto px = pixelAt(x, baseline + 14);
      ++total;
      if (px[0] >= 250 && px[1] >= 250 && px[2] >= 250) ++white;
      if (px[0] < 30) ++dark;
    }
    EXPECT_GT(white, total * 3 / 4) << "gap below row " << baseline;
    EXPECT_EQ(dark, 0) << "gap below row " << baseline;
  }

  // The frame ends with filled polygons, no coordinate generation, no fog and no lighting.
  GLint polygonMode[2] = {0, 0};
  glGetIntegerv(GL_POLYGON_MODE, polygonMode);
  EXPECT_EQ(polygonMode[0], GL_FILL);
  EXPECT_FALSE(glIsEnabled(GL_TEXTURE_GEN_S));
  EXPECT_FALSE(glIsEnabled(GL_TEXTURE_GEN_T));
  EXPECT_FALSE(glIsEnabled(GL_FOG));
  EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
}

TEST_F(EndScroller, FadesInFromBlackAndOutToBlack) {
  endScroller(1, 0.0f);
  expectAllBlack("at the start");

  EXPECT_GT(blackScreenQuads(scrollerFrame(0.0399f)), 0);
  EXPECT_EQ(blackScreenQuads(scrollerFrame(0.04f)), 0);
  EXPECT_EQ(blackScreenQuads(scrollerFrame(0.5f)), 0);
  EXPECT_EQ(blackScreenQuads(scrollerFrame(0.96f)), 0);
  EXPECT_GT(blackScreenQuads(scrollerFrame(0.9601f)), 0);

  // The last frame of the show comes a millisecond after the end.
  endScroller(1, static_cast<float>(36001.0 / 36000.0));
  expectAllBlack("after the end");
}
