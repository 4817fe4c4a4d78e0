// The chapter cards: the light and fog each starts from, the fades in each card's colours, the
// letterbox, the camera's orbit, dolly and beat shake, and frames that print nothing but show
// the painted card.
#include "render/BitmapFont.h"
#include "render/GlState.h"
#include "render/KeyTrack.h"
#include "render/Light.h"
#include "scenes/Scenes.h"
#include "scenes/SharedLists.h"
#include "scenes/TitleCardParts.h"
#include "shell/Preparation.h"
#include "shell/Timeline.h"
#include "tests/GlTestContext.h"

#include <SDL_opengl.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace {

const SceneFn cards[4] = {titleCard1, titleCard2, titleCard3, titleCard4};

class TitleCard : public GlTest {
 protected:
  static void SetUpTestSuite() {
    glTestScreen();
    if (!sceneLight) prepareStartup();
    openingScene(0, 0.0f);  // as at start-up, the opening prepares first
    for (SceneFn card : cards) card(0, 0.0f);
  }
};

void drawFrame(SceneFn card, float t) {
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glLoadIdentity();
  card(1, t);
}

// Smallest and largest channel value over screen rows [top, bottom), counted from the top.
struct Range {
  int low = 255, high = 0;
};

Range rangeOfRows(int top, int bottom) {
  std::vector<unsigned char> rgb(800 * (bottom - top) * 3);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 600 - bottom, 800, bottom - top, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  const auto [low, high] = std::minmax_element(rgb.begin(), rgb.end());
  return {*low, *high};
}

// Polygons covering the whole 800 x 600 screen and raster items (text, pixel rectangles) that
// one frame sends down the pipeline, read in feedback mode. Mesa's feedback path cannot take
// lists that mix quad strips and fans, so an empty list stands in for the spindle's.
struct FrameFeedback {
  int fullScreenPolygons = 0;
  int rasterItems = 0;
};

FrameFeedback frameFeedback(SceneFn card, float t) {
  const GLuint spindle = spindleList;
  spindleList = glGenLists(1);
  glNewList(spindleList, GL_COMPILE);
  glEndList();
  std::vector<GLfloat> buffer(1 << 22);
  glFeedbackBuffer(static_cast<GLsizei>(buffer.size()), GL_3D, buffer.data());
  glRenderMode(GL_FEEDBACK);
  drawFrame(card, t);
  const GLint used = glRenderMode(GL_RENDER);
  glDeleteLists(spindleList, 1);
  spindleList = spindle;
  EXPECT_GT(used, 0);

  FrameFeedback out;
  for (GLint at = 0; at < used;) {
    const auto token = static_cast<GLint>(buffer[at++]);
    if (token == GL_POLYGON_TOKEN) {
      const int n = static_cast<int>(buffer[at++]);
      float x0 = 1e9f, x1 = -1e9f, y0 = 1e9f, y1 = -1e9f;
      for (int k = 0; k < n; ++k, at += 3) {
        x0 = std::min(x0, buffer[at]), x1 = std::max(x1, buffer[at]);
        y0 = std::min(y0, buffer[at + 1]), y1 = std::max(y1, buffer[at + 1]);
      }
      out.fullScreenPolygons += x0 < 0.5f && x1 > 799.5f && y0 < 0.5f && y1 > 599.5f;
    } else if (token == GL_LINE_TOKEN || token == GL_LINE_RESET_TOKEN) {
      at += 6;
    } else if (token == GL_PASS_THROUGH_TOKEN) {
      ++at;
    } else {  // points and raster items carry one vertex
      out.rasterItems += token != GL_POINT_TOKEN;
      at += 3;
    }
  }
  return out;
}

std::array<float, 4> rasterPosition() {
  std::array<float, 4> p{};
  glGetFloatv(GL_CURRENT_RASTER_POSITION, p.data());
  return p;
}

}  // namespace

TEST_F(TitleCard, FirstFrameKeepsOrSetsTheLightOnce) {
  // As the opening leaves it: a directional light from +z; say the fog is on as well.
  glLoadIdentity();
  sceneLight->setW(0);
  sceneLight->setPosition(0, 0, 1);
  glEnable(GL_FOG);
  const GLenum light = GL_LIGHT0 + sceneLight->index;
  GLfloat p[4];
  drawFrame(titleCard1, 0.3f);  // Shift 1 has no set-up of its own
  glGetLightfv(light, GL_POSITION, p);
  EXPECT_EQ(p[2], 1.0f);
  EXPECT_EQ(p[3], 0.0f);
  EXPECT_TRUE(glIsEnabled(GL_FOG));

  drawFrame(titleCard2, 0.3f);  // Shift 2: fog off, a point light at the eye
  glGetLightfv(light, GL_POSITION, p);
  EXPECT_EQ(p[0] + p[1] + p[2], 0.0f);
  EXPECT_EQ(p[3], 1.0f);
  EXPECT_FALSE(glIsEnabled(GL_FOG));
  glEnable(GL_FOG);  // on the first frame only
  drawFrame(titleCard2, 0.31f);
  EXPECT_TRUE(glIsEnabled(GL_FOG));
}

TEST_F(TitleCard, FadesInEachCardsColoursAndNoneBetween) {
  const int fadeIn[4] = {0, 0, 255, 255};  // black for Shift 1 and 2, white for 3 and 4
  const float fadeOutStart[4] = {0.98f, 0.95f, 0.95f, 0.95f};
  for (int c = 0; c < 4; ++c) {
    SCOPED_TRACE(c + 1);
    drawFrame(cards[c], 0.0005f);  // alpha 0.995 over everything
    const Range first = rangeOfRows(0, 600);
    EXPECT_NEAR(first.low, fadeIn[c], 3);
    EXPECT_NEAR(first.high, fadeIn[c], 3);

    // The fade is one full-screen quad (two triangles) over the glow's three overlays.
    const int none = frameFeedback(cards[c], 0.5f).fullScreenPolygons;
    EXPECT_EQ(frameFeedback(cards[c], 0.0005f).fullScreenPolygons, none + 2);
    EXPECT_EQ(frameFeedback(cards[c], 0.1f).fullScreenPolygons, none);
    EXPECT_EQ(frameFeedback(cards[c], fadeOutStart[c]).fullScreenPolygons, none);
    EXPECT_EQ(frameFeedback(cards[c], fadeOutStart[c] + 0.001f).fullScreenPolygons, none + 2);
  }
  // Shift 2 hands over to the credits in white, the others in black.
  for (int c = 0; c < 4; ++c) {
    drawFrame(cards[c], 1.0f);
    const Range last = rangeOfRows(0, 600);
    EXPECT_EQ(last.low, c == 1 ? 255 : 0) << c + 1;
    EXPECT_EQ(last.high, c == 1 ? 255 : 0) << c + 1;
  }
}

TEST_F(TitleCard, LetterboxCoversTopAndBottomRows) {
  for (int c = 0; c < 4; ++c) {
    SCOPED_TRACE(c + 1);
    drawFrame(cards[c], 0.375f);  // mid-orbit
    EXPECT_EQ(rangeOfRows(0, 75).high, 0);
    EXPECT_EQ(rangeOfRows(525, 600).high, 0);
    EXPECT_GT(rangeOfRows(75, 525).high, 200);  // the glowing spindle between the bars
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
  }
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(TitleCard, CameraOrbitsDolliesInAndStays) {
  const TrackKey keys[2] = {{0, 0, 700, 0.75f}, {0, 0, 300, 0.78f}};
  for (const CardDesign& design : cardDesigns) {
    KeyTrack track(keys, 2);
    float spin = 0;
    // A quarter of the way round: beside the carousel, lifted by the card's eyeLift.
    const CardCamera quarter = placeCardCamera(design, track, 0.1875f, spin);
    EXPECT_NEAR(quarter.eye[0], 700, 1e-3);
    EXPECT_NEAR(quarter.eye[1], design.eyeLift, 1e-3);
    EXPECT_NEAR(quarter.eye[2], 0, 1e-3);
    // The orbit ends where the dolly begins, at (0, 0, 700).
    EXPECT_NEAR(placeCardCamera(design, track, 0.7499999f, spin).eye[2], 700, 0.01);
    const CardCamera dolly = placeCardCamera(design, track, 0.75f, spin);
    EXPECT_EQ(dolly.eye[0] + dolly.eye[1], 0.0f);
    EXPECT_EQ(dolly.eye[2], 700.0f);
    EXPECT_NEAR(placeCardCamera(design, track, 0.77f, spin).eye[2], 433.33f, 0.01);
    // Fixed from 0.78, where the track alone would repeat its last value.
    for (float t : {0.78f, 0.8f, 1.0f}) {
      const CardCamera still = placeCardCamera(design, track, t, spin);
      EXPECT_EQ(still.eye[0] + still.eye[1], 0.0f);
      EXPECT_EQ(still.eye[2], 300.0f) << t;
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
  const CardCamera calm = placeCardCamera(shift1, track, 0.02f, spinAngle);  // between beats
  EXPECT_EQ(calm.spin, 5.0f);
  EXPECT_EQ(calm.centre[0] + calm.centre[1], 0.0f);

  // 0.001 into the second beat window: 2 degrees more and the centre 10 units off.
  const float t = 0.0185f + 0.006818f + 0.001f;
  const CardCamera hit = placeCardCamera(shift1, track, t, spinAngle);
  EXPECT_NEAR(spinAngle, 7.0f, 1e-3);
  EXPECT_EQ(hit.spin, spinAngle);
  EXPECT_NEAR(hit.centre[0], 10 * std::sin(1000 * t), 1e-3);
  EXPECT_NEAR(hit.centre[1], 10 * std::cos(1000 * t), 1e-3);
  // Every frame inside a window turns the ring again; the window's start is open.
  placeCardCamera(shift1, track, t + 0.0005f, spinAngle);
  EXPECT_NEAR(spinAngle, 10.0f, 1e-3);
  placeCardCamera(shift1, track, 2 * 0.0185f + 0.006818f, spinAngle);
  EXPECT_NEAR(spinAngle, 10.0f, 1e-3);
  // No beat at 0.8: the ring holds its angle and the centre is the origin.
  const CardCamera late = placeCardCamera(shift1, track, 0.8f, spinAngle);
  EXPECT_NEAR(late.spin, 10.0f, 1e-3);
  EXPECT_EQ(late.centre[0] + late.centre[1], 0.0f);
}

TEST_F(TitleCard, FramesPrintNoTextButShowThePaintedCard) {
  drawFrame(openingScene, 0.99f);  // the light as the opening leaves it for Shift 1
  BitmapFont font;  // text would move the raster position
  createFont(font, "Trebuchet MS", 40, 400, 1, 0);
  setOrtho();
  glLoadIdentity();
  glRasterPos2f(-276.75f, 77.5f);
  const std::array<float, 4> sentinel = rasterPosition();
  printText(font, "Shift");
  EXPECT_GT(rasterPosition()[0], sentinel[0]);
  releaseFont(font);

  for (int c = 0; c < 4; ++c) {
    SCOPED_TRACE(c + 1);
    EXPECT_EQ(frameFeedback(cards[c], 0.5f).rasterItems, 0);
    setOrtho();
    glLoadIdentity();
    glRasterPos2f(-276.75f, 77.5f);
    drawFrame(cards[c], 0.5f);
    EXPECT_EQ(rasterPosition(), sentinel);

    // At the dolly's end one card fills the view: white text in the upper half (the chapter
    // line) and in the lower half (the smaller lines).
    drawFrame(cards[c], 0.9f);
    std::vector<unsigned char> rgb(800 * 600 * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, 800, 600, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    int whiteAbove = 0, whiteBelow = 0;
    for (int y = 0; y < 600; ++y)  // from the bottom
      for (int x = 200; x < 600; ++x) {
        const unsigned char* p = &rgb[(static_cast<size_t>(y) * 800 + x) * 3];
        if (std::min({p[0], p[1], p[2]}) > 200) ++(y >= 300 ? whiteAbove : whiteBelow);
      }
    EXPECT_GT(whiteAbove, 2000);
    EXPECT_GT(whiteBelow, 1000);
  }
  saveTestPicture("title_card_4_dolly_end");
}
