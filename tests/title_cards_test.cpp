// The chapter cards: the light and fog each card starts from, the fades in each card's colours,
// the letterbox, the camera's orbit, dolly and beat shake, and a frame that prints nothing.
#include "render/BitmapFont.h"
#include "render/GlState.h"
#include "render/KeyTrack.h"
#include "render/Light.h"
#include "scenes/Scenes.h"
#include "scenes/TitleCardParts.h"
#include "shell/Preparation.h"
#include "shell/SharedLists.h"
#include "shell/Timeline.h"
#include "tests/GlTestContext.h"

#include <SDL_opengl.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <vector>

namespace {

const SceneFn cards[4] = {titleCard1, titleCard2, titleCard3, titleCard4};

class TitleCard : public GlTest {
 protected:
  static void SetUpTestSuite() {
    glTestScreen();
    if (!sceneLight) prepareStartup();
    // Painted once, as at start-up; the opening's mode 0 comes first.
    openingScene(0, 0.0f);
    for (SceneFn card : cards) card(0, 0.0f);
  }
};

void drawFrame(SceneFn card, float t) {
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glLoadIdentity();
  card(1, t);
}

using Frame = std::vector<unsigned char>;

Frame readFrame() {
  Frame rgb(800 * 600 * 3);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, 800, 600, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  return rgb;
}

// Smallest and largest channel value over screen rows [top, bottom) counted from the top.
struct Range {
  int low = 255, high = 0;
};

Range rangeOfRows(const Frame& f, int top, int bottom) {
  Range r;
  for (int y = 599 - (bottom - 1); y <= 599 - top; ++y)
    for (int i = y * 800 * 3; i < (y + 1) * 800 * 3; ++i) {
      r.low = std::min<int>(r.low, f[i]);
      r.high = std::max<int>(r.high, f[i]);
    }
  return r;
}

// What one frame sends down the pipeline, read in feedback mode: polygons covering the whole
// 800 x 600 screen, and raster text or pixel rectangles of any kind.
struct FrameFeedback {
  int fullScreenPolygons = 0;
  int rasterItems = 0;
  int polygons = 0;
  bool overflowed = false;
};

FrameFeedback feedbackOf(const std::function<void()>& draw) {
  std::vector<GLfloat> buffer(1 << 23);
  glFeedbackBuffer(static_cast<GLsizei>(buffer.size()), GL_3D, buffer.data());
  glRenderMode(GL_FEEDBACK);
  draw();
  const GLint used = glRenderMode(GL_RENDER);
  FrameFeedback out;
  if (used < 0) {
    out.overflowed = true;
    return out;
  }
  for (GLint at = 0; at < used;) {
    const auto token = static_cast<GLint>(buffer[at++]);
    if (token == GL_POLYGON_TOKEN) {
      const int n = static_cast<int>(buffer[at++]);
      float x0 = 1e9f, x1 = -1e9f, y0 = 1e9f, y1 = -1e9f;
      for (int k = 0; k < n; ++k, at += 3) {
        x0 = std::min(x0, buffer[at]), x1 = std::max(x1, buffer[at]);
        y0 = std::min(y0, buffer[at + 1]), y1 = std::max(y1, buffer[at + 1]);
      }
      ++out.polygons;
      if (x0 < 0.5f && x1 > 799.5f && y0 < 0.5f && y1 > 599.5f) ++out.fullScreenPolygons;
    } else if (token == GL_LINE_TOKEN || token == GL_LINE_RESET_TOKEN) {
      at += 6;
    } else if (token == GL_PASS_THROUGH_TOKEN) {
      ++at;
    } else {
      if (token == GL_BITMAP_TOKEN || token == GL_DRAW_PIXEL_TOKEN ||
          token == GL_COPY_PIXEL_TOKEN)
        ++out.rasterItems;
      at += 3;  // points and raster items carry one vertex
    }
  }
  return out;
}

// A whole frame in feedback mode, with the spindle's list stood in for by an empty one: Mesa's
// feedback path cannot take lists that mix quad strips and fans.
FrameFeedback frameFeedback(SceneFn card, float t) {
  const GLuint spindle = spindleList;
  spindleList = glGenLists(1);
  glNewList(spindleList, GL_COMPILE);
  glEndList();
  FrameFeedback f = feedbackOf([&] { drawFrame(card, t); });
  glDeleteLists(spindleList, 1);
  spindleList = spindle;
  EXPECT_FALSE(f.overflowed);
  return f;
}

// The current raster position in window coordinates.
std::array<float, 4> rasterPosition() {
  std::array<float, 4> p{};
  glGetFloatv(GL_CURRENT_RASTER_POSITION, p.data());
  return p;
}

void lightPosition(GLfloat* p) { glGetLightfv(GL_LIGHT0 + sceneLight->index, GL_POSITION, p); }

}  // namespace

TEST_F(TitleCard, FirstFrameKeepsOrSetsTheLightOnce) {
  // As the opening leaves it: a directional light from +z; say the fog is on as well.
  glLoadIdentity();
  sceneLight->setW(0);
  sceneLight->setPosition(0, 0, 1);
  glEnable(GL_FOG);
  drawFrame(titleCard1, 0.3f);  // Shift 1 has no set-up of its own
  GLfloat p[4];
  lightPosition(p);
  EXPECT_EQ(p[2], 1.0f);
  EXPECT_EQ(p[3], 0.0f);
  EXPECT_TRUE(glIsEnabled(GL_FOG));

  drawFrame(titleCard2, 0.3f);  // Shift 2: fog off, a point light at the eye
  lightPosition(p);
  EXPECT_EQ(p[0], 0.0f);
  EXPECT_EQ(p[1], 0.0f);
  EXPECT_EQ(p[2], 0.0f);
  EXPECT_EQ(p[3], 1.0f);
  EXPECT_FALSE(glIsEnabled(GL_FOG));

  glEnable(GL_FOG);  // only on the first frame
  drawFrame(titleCard2, 0.31f);
  EXPECT_TRUE(glIsEnabled(GL_FOG));
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(TitleCard, FadesInEachCardsColoursAndNoneBetween) {
  const int fadeIn[4] = {0, 0, 255, 255};  // black for Shift 1 and 2, white for 3 and 4
  const float fadeOutStart[4] = {0.98f, 0.95f, 0.95f, 0.95f};
  for (int c = 0; c < 4; ++c) {
    SCOPED_TRACE(c + 1);
    drawFrame(cards[c], 0.0005f);  // alpha 0.995 over everything
    const Range first = rangeOfRows(readFrame(), 0, 600);
    if (fadeIn[c] == 0)
      EXPECT_LE(first.high, 3);
    else
      EXPECT_GE(first.low, 252);

    // The fade is one full-screen quad (two triangles) over the glow's three overlays.
    const int fading = frameFeedback(cards[c], 0.0005f).fullScreenPolygons;
    const int none = frameFeedback(cards[c], 0.5f).fullScreenPolygons;
    EXPECT_EQ(fading, none + 2);
    EXPECT_EQ(frameFeedback(cards[c], 0.1f).fullScreenPolygons, none);
    EXPECT_EQ(frameFeedback(cards[c], fadeOutStart[c]).fullScreenPolygons, none);
    EXPECT_EQ(frameFeedback(cards[c], fadeOutStart[c] + 0.001f).fullScreenPolygons, none + 2);
  }
}

TEST_F(TitleCard, ShiftTwoHandsOverInWhiteTheOthersInBlack) {
  drawFrame(titleCard2, 1.0f);
  const Range white = rangeOfRows(readFrame(), 0, 600);
  EXPECT_EQ(white.low, 255);
  for (SceneFn card : {titleCard1, titleCard3, titleCard4}) {
    drawFrame(card, 1.0f);
    EXPECT_EQ(rangeOfRows(readFrame(), 0, 600).high, 0);
  }
}

TEST_F(TitleCard, LetterboxCoversTopAndBottomRows) {
  for (int c = 0; c < 4; ++c) {
    SCOPED_TRACE(c + 1);
    drawFrame(cards[c], 0.375f);  // mid-orbit
    const Frame f = readFrame();
    EXPECT_EQ(rangeOfRows(f, 0, 75).high, 0);
    EXPECT_EQ(rangeOfRows(f, 525, 600).high, 0);
    EXPECT_GT(rangeOfRows(f, 75, 525).high, 200);  // the glowing spindle between them
    // What a card leaves behind: lighting, depth test and texturing on, the perspective.
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
  }
  saveTestPicture("title_card_4_mid_orbit");
}

TEST_F(TitleCard, CameraOrbitsThenDolliesInAndStays) {
  for (int c = 0; c < 4; ++c) {
    SCOPED_TRACE(c + 1);
    const CardDesign& design = cardDesigns[c];
    KeyTrack track(nullptr, 0);
    const TrackKey keys[2] = {{0, 0, 700, 0.75f}, {0, 0, 300, 0.78f}};
    setKeys(track, keys, 2);
    float spin = 0;

    // A quarter of the orbit: beside the carousel, lifted by the card's eyeLift.
    const CardCamera quarter = placeCardCamera(design, track, 0.1875f, spin);
    EXPECT_NEAR(quarter.eye[0], 700, 1e-3);
    EXPECT_NEAR(quarter.eye[1], design.eyeLift, 1e-3);
    EXPECT_NEAR(quarter.eye[2], 0, 1e-3);

    // The orbit ends where the dolly begins.
    const CardCamera orbitEnd = placeCardCamera(design, track, 0.7499999f, spin);
    const CardCamera dollyStart = placeCardCamera(design, track, 0.75f, spin);
    EXPECT_NEAR(orbitEnd.eye[0], 0, 0.01);
    EXPECT_NEAR(orbitEnd.eye[2], 700, 0.01);
    EXPECT_EQ(dollyStart.eye[0], 0.0f);
    EXPECT_EQ(dollyStart.eye[1], 0.0f);
    EXPECT_EQ(dollyStart.eye[2], 700.0f);
    EXPECT_NEAR(placeCardCamera(design, track, 0.765f, spin).eye[2], 500, 0.01);

    // Fixed from 0.78, even right after a sample inside the dolly.
    placeCardCamera(design, track, 0.77f, spin);
    for (float t : {0.78f, 0.8f, 1.0f}) {
      const CardCamera still = placeCardCamera(design, track, t, spin);
      EXPECT_EQ(still.eye[0], 0.0f);
      EXPECT_EQ(still.eye[1], 0.0f);
      EXPECT_EQ(still.eye[2], 300.0f) << t;
      EXPECT_EQ(still.centre[0], 0.0f);
      EXPECT_EQ(still.centre[1], 0.0f);
    }
    if (!design.beatDriven) {
      EXPECT_NEAR(placeCardCamera(design, track, 0.5f, spin).spin, 30, 1e-4);
    }
  }
}

TEST_F(TitleCard, ShiftOneSpinsAndShakesOnTheBeat) {
  KeyTrack track(nullptr, 0);
  float spinAngle = 5;
  const CardDesign& shift1 = cardDesigns[0];

  // Between the first two beats: the ring stands, the centre stays at the origin.
  CardCamera calm = placeCardCamera(shift1, track, 0.02f, spinAngle);
  EXPECT_EQ(spinAngle, 5.0f);
  EXPECT_EQ(calm.spin, 5.0f);
  EXPECT_EQ(calm.centre[0], 0.0f);
  EXPECT_EQ(calm.centre[1], 0.0f);

  // 1 ms of t into the second beat window: 2 degrees more and the centre 10 units off.
  const float t = 0.0185f + 0.006818f + 0.001f;
  CardCamera hit = placeCardCamera(shift1, track, t, spinAngle);
  EXPECT_NEAR(spinAngle, 7.0f, 1e-3);
  EXPECT_EQ(hit.spin, spinAngle);
  EXPECT_NEAR(std::hypot(hit.centre[0], hit.centre[1]), 10, 1e-4);
  EXPECT_NEAR(hit.centre[0], 10 * std::sin(1000 * t), 1e-3);
  EXPECT_EQ(hit.centre[2], 0.0f);

  // Each frame inside a window turns the ring again; the window's ends are open.
  placeCardCamera(shift1, track, t + 0.0005f, spinAngle);
  EXPECT_NEAR(spinAngle, 10.0f, 1e-3);
  const float windowStart = 0.0185f * 2 + 0.006818f;
  placeCardCamera(shift1, track, windowStart, spinAngle);
  EXPECT_NEAR(spinAngle, 10.0f, 1e-3);

  // No beat at 0.8: the spin holds and the centre is the origin.
  CardCamera late = placeCardCamera(shift1, track, 0.8f, spinAngle);
  EXPECT_NEAR(late.spin, 10.0f, 1e-3);
  EXPECT_EQ(late.centre[0], 0.0f);
  EXPECT_EQ(late.centre[1], 0.0f);
}

TEST_F(TitleCard, FramesPrintNoTextAndShowThePaintedCard) {
  // Text moves the raster position and shows in feedback as one bitmap per glyph.
  BitmapFont font;
  createFont(font, "Trebuchet MS", 40, 400, 1, 0);
  setOrtho();
  glLoadIdentity();
  glRasterPos2f(-276.75f, 77.5f);
  const std::array<float, 4> sentinel = rasterPosition();
  const FrameFeedback printed = feedbackOf([&] { printText(font, "Shift"); });
  EXPECT_EQ(printed.rasterItems, 5);
  printText(font, "Shift");
  EXPECT_GT(rasterPosition()[0], sentinel[0]);

  for (int c = 0; c < 4; ++c) {
    SCOPED_TRACE(c + 1);
    const FrameFeedback frame = frameFeedback(cards[c], 0.5f);
    EXPECT_GT(frame.polygons, 100);
    EXPECT_EQ(frame.rasterItems, 0);

    setOrtho();
    glLoadIdentity();
    glRasterPos2f(-276.75f, 77.5f);
    drawFrame(cards[c], 0.5f);
    EXPECT_EQ(rasterPosition(), sentinel);
  }
  releaseFont(font);

  // At the dolly's end one card fills the view; its picture carries the white chapter line in
  // the upper half and the smaller lines below, and the chrome ring on the left.
  for (int c = 0; c < 4; ++c) {
    SCOPED_TRACE(c + 1);
    drawFrame(cards[c], 0.9f);
    const Frame f = readFrame();
    int whiteAbove = 0, whiteBelow = 0;
    for (int y = 0; y < 600; ++y)
      for (int x = 200; x < 600; ++x) {
        const unsigned char* p = &f[(static_cast<size_t>(599 - y) * 800 + x) * 3];
        if (std::min({p[0], p[1], p[2]}) > 200) (y < 300 ? whiteAbove : whiteBelow) += 1;
      }
    EXPECT_GT(whiteAbove, 2000);
    EXPECT_GT(whiteBelow, 1000);
  }
  saveTestPicture("title_card_4_dolly_end");
}
