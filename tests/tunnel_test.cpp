// The tunnel: its phases told apart by what each frame sends down the pipeline, the fog ramps,
// the camera's roll, the text interlude's windows on screen and the state it leaves behind, and
// the text page's bands checked against the printed lines.
#include "render/BitmapFont.h"
#include "render/GlState.h"
#include "render/Glow.h"
#include "render/Texture.h"
#include "scenes/Scenes.h"
#include "scenes/SharedLists.h"
#include "scenes/Tunnel.h"
#include "shell/Preparation.h"
#include "tests/Feedback.h"
#include "tests/GlTestContext.h"
#include "tests/SceneChecks.h"

#include <SDL_opengl.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

class Tunnel : public GlTest {
 protected:
  static void SetUpTestSuite() {
    glTestScreen();
    if (!sceneLight) prepareStartup();
  }
  void SetUp() override {
    GlTest::SetUp();
    // As the earlier scenes leave it: lighting off, opaque white.
    glDisable(GL_LIGHTING);
    glColor4f(1, 1, 1, 1);
    tunnelScene(0, 0.0f);  // every test starts before the scene's first frame
  }
};

// One frame as the frame loop draws it.
void drawFrame(float t) {
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glLoadIdentity();
  tunnelScene(1, t);
}

size_t polygonsOfFrame(float t) {
  Feedback f = captureFeedback([t] { drawFrame(t); }, 1 << 23);
  EXPECT_FALSE(f.overflowed) << t;
  return f.polygons.size();
}

float fogDensity() {
  GLfloat d = 0;
  glGetFloatv(GL_FOG_DENSITY, &d);
  return d;
}

// The brightest pixel of a screen rectangle given by its centre and size in overlay units
// (origin in the middle, y up).
struct Brightest {
  int green = 0;
  int blue = 0;
  int red = 0;
};

Brightest brightestAround(const Frame& frame, float cx, float cy, int w, int h) {
  Brightest most;
  const int left = static_cast<int>(cx) + 400 - w / 2, bottom = static_cast<int>(cy) + 300 - h / 2;
  for (int y = std::max(0, bottom); y < std::min(600, bottom + h); ++y)
    for (int x = std::max(0, left); x < std::min(800, left + w); ++x) {
      const unsigned char* p = &frame[(static_cast<size_t>(y) * 800 + x) * 3];
      most.red = std::max<int>(most.red, p[0]);
      if (p[1] > most.green) {
        most.green = p[1];
        most.blue = p[2];
      }
    }
  return most;
}

}  // namespace

TEST_F(Tunnel, PhasesSwitchAtTheirBounds) {
  // The tunnel sends thousands of polygons, the interlude one quad per line drawn: line 1 alone
  // at 0.3 (drawn, but with alpha -0.2), all four just before 0.5.
  const size_t lastOfFirstPhase = polygonsOfFrame(0.2999f);
  const size_t oneLine = polygonsOfFrame(0.3f);
  const size_t fourLines = polygonsOfFrame(0.4999f);
  const size_t firstOfLastPhase = polygonsOfFrame(0.5f);
  EXPECT_GT(lastOfFirstPhase, 1000u);
  EXPECT_GE(oneLine, 1u);
  EXPECT_LE(oneLine, 2u);
  EXPECT_EQ(fourLines, 4 * oneLine);
  EXPECT_GT(firstOfLastPhase, 1000u);

  drawFrame(0.3f);
  EXPECT_TRUE(isUniform(readFrame(), 0)) << "line 1 is still invisible at 0.3";

  // Only the last phase runs the pipe beside the camera; it crosses the bottom bar.
  drawFrame(0.0499f);  // the fog as the fade-in leaves it
  drawFrame(0.2f);
  auto barBefore = pixelAt(400, 595);
  drawFrame(0.5399f);
  drawFrame(0.6f);
  auto barAfter = pixelAt(400, 595);
  saveTestPicture("tunnel_pipe");
  EXPECT_LT(barBefore[0] + barBefore[1] + barBefore[2], 30);
  EXPECT_GT(barAfter[0] + barAfter[1] + barAfter[2], 60);
}

TEST_F(Tunnel, FogRampsAndTheDensityHeldBetweenThem) {
  drawFrame(0.01f);  // the first frame sets the fog up: black, exponential squared, on
  EXPECT_TRUE(glIsEnabled(GL_FOG));
  GLint mode = 0;
  glGetIntegerv(GL_FOG_MODE, &mode);
  EXPECT_EQ(mode, GL_EXP2);
  GLfloat colour[4], start = 0, end = 0;
  glGetFloatv(GL_FOG_COLOR, colour);
  glGetFloatv(GL_FOG_START, &start);
  glGetFloatv(GL_FOG_END, &end);
  EXPECT_EQ(colour[0] + colour[1] + colour[2], 0.0f);
  EXPECT_EQ(start, 1.0f);
  EXPECT_EQ(end, 700.0f);
  EXPECT_NEAR(fogDensity(), 0.0822f, 1e-6);

  // Ramp frames set the density; all others, the interlude's included, leave it alone.
  const struct {
    float t;
    float density;  // < 0: not touched
  } frames[] = {{0.0f, 0.1022f},   {0.049f, 0.0042f}, {0.05f, -1},       {0.2f, -1},
                {0.28f, -1},       {0.29f, 0.0222f},  {0.2999f, 0.0420f}, {0.3f, -1},
                {0.45f, -1},       {0.5f, 0.2022f},   {0.53f, 0.0522f},  {0.54f, -1},
                {0.8f, -1},        {0.96f, -1},       {0.98f, 0.1022f},  {1.0f, 0.2022f}};
  for (const auto& frame : frames) {
    const float held = 0.0123f;
    glFogf(GL_FOG_DENSITY, held);
    drawFrame(frame.t);
    if (frame.density < 0) {
      EXPECT_EQ(fogDensity(), held) << "t = " << frame.t;
    } else {
      EXPECT_NEAR(fogDensity(), frame.density, 2e-5) << "t = " << frame.t;
    }
    EXPECT_TRUE(glIsEnabled(GL_FOG)) << "fog stays on after t = " << frame.t;
  }
}

TEST_F(Tunnel, CameraRollsOnlyAboveSevenTenths) {
  const TunnelCamera before = tunnelCamera(0.7f);
  EXPECT_EQ(before.up[0], -1.0f);
  EXPECT_EQ(before.up[1], 0.0f);
  EXPECT_EQ(before.up[2], 0.0f);
  // Seen through GL: the world's -x points up the screen, so the picture is turned by 90.
  glLoadIdentity();
  before.lookAt();
  GLfloat m[16];
  glGetFloatv(GL_MODELVIEW_MATRIX, m);
  EXPECT_NEAR(m[1], -1.0f, 1e-6);  // world x onto screen y
  EXPECT_NEAR(m[5], 0.0f, 1e-6);
  EXPECT_NEAR(m[9], 0.0f, 1e-6);

  const TunnelCamera rolling = tunnelCamera(0.7001f);
  EXPECT_GT(rolling.up[1], 0.0f);
  const TunnelCamera quarter = tunnelCamera(0.95f);  // a quarter turn further: 90 degrees
  EXPECT_NEAR(quarter.up[0], 0.0f, 1e-5);
  EXPECT_NEAR(quarter.up[1], 1.0f, 1e-5);
  const TunnelCamera last = tunnelCamera(1.0f);  // 108 degrees at the end
  EXPECT_NEAR(std::atan2(last.up[1], -last.up[0]) * 180 / 3.14159265, 108.0, 1e-3);
  EXPECT_EQ(last.up[2], 0.0f);
}

TEST_F(Tunnel, InterludeLinesShowInTheirWindowsOnly) {
  // (time, line, its centre on screen, expected: green above this, blue share of green)
  struct Seen {
    float t;
    float x, y;
    int minGreen, maxGreen;
    float blueShare;
  };
  const Seen seen[] = {
      {0.36f, -144, 170, 200, 255, 0.4f},  // line 1 at its brightest
      {0.36f, 182, -170, 110, 175, 0.4f},  // line 2 rising, alpha 0.6
      {0.36f, 60, 70, 0, 0, 0},           // line 3 not yet drawn
      {0.38f, 170, -170, 200, 255, 0.6f},  // line 2 at its brightest, bluer
      {0.43f, 60, 70, 200, 255, 0.8f},    // line 3 at its brightest
      {0.43f, -144 + 42, 170, 0, 0, 0},   // line 1 gone
      {0.4649f, -20, -25, 200, 255, 0.4f},  // line 4 just before its peak
      {0.465f, -20, -25, 200, 255, 1.0f},   // line 4 at its peak: cyan
      {0.4999f, -20, -25, 0, 0, 0},          // line 4 faded out
  };
  for (const Seen& s : seen) {
    drawFrame(s.t);
    const Brightest b = brightestAround(readFrame(), s.x, s.y, 300, 60);
    EXPECT_GE(b.green, s.minGreen) << "t = " << s.t << " at " << s.x << ", " << s.y;
    EXPECT_LE(b.green, s.maxGreen) << "t = " << s.t << " at " << s.x << ", " << s.y;
    EXPECT_EQ(b.red, 0) << "t = " << s.t;
    if (s.minGreen > 0) {
      EXPECT_NEAR(static_cast<float>(b.blue) / b.green, s.blueShare, 0.03f) << "t = " << s.t;
    }
  }
  drawFrame(0.465f);
  saveTestPicture("tunnel_line4");
}

TEST_F(Tunnel, InterludeLeavesTheTunnelItsState) {
  drawFrame(0.45f);  // a late first frame still sets the fog up
  EXPECT_NEAR(fogDensity(), 0.0022f, 1e-7);
  EXPECT_FALSE(glIsEnabled(GL_BLEND));
  GLboolean depthWrites = GL_FALSE;
  glGetBooleanv(GL_DEPTH_WRITEMASK, &depthWrites);
  EXPECT_TRUE(depthWrites);
  EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
  EXPECT_TRUE(glIsEnabled(GL_FOG));
  EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
  EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));

  // So the first tunnel frame after it looks as it does after any other tunnel frame.
  drawFrame(0.5f);
  const Frame afterInterlude = readFrame();
  saveTestPicture("tunnel_after_interlude");
  drawFrame(0.6f);
  drawFrame(0.5f);
  const Frame afterTunnel = readFrame();
  size_t differing = 0;
  for (size_t i = 0; i < afterTunnel.size(); ++i)
    if (std::abs(afterTunnel[i] - afterInterlude[i]) > 2) ++differing;
  EXPECT_EQ(differing, 0u);
}

TEST_F(Tunnel, OtherModesDrawNothing) {
  drawFrame(0.2f);
  clearScreen(0.2f, 0.4f, 0.6f, 1.0f);
  const Frame before = readFrame();
  GLfloat density = fogDensity();
  for (int8_t mode : {int8_t{2}, int8_t{-1}, int8_t{127}}) {
    Feedback f = captureFeedback([mode] { tunnelScene(mode, 0.5f); });
    EXPECT_TRUE(f.polygons.empty() && f.lines.empty()) << int{mode};
    tunnelScene(mode, 0.6f);
  }
  EXPECT_TRUE(readFrame() == before);
  EXPECT_EQ(fogDensity(), density);
}

TEST_F(Tunnel, TextPageBandsFrameTheirLinesWhole) {
  Texture page = createRenderTarget(512, 512, 1);
  BitmapFont font;
  createFont(font, "Times New Roman", 50, 400, 1, 0);
  paintTunnelTextPage(page, font);
  releaseFont(font);
  const PageImage image = readPage(page);

  std::vector<PageFrame> frames;
  for (const TunnelLine& line : tunnelLines)
    frames.push_back({line.text, 0.0f, line.bottom, line.right, line.top});
  savePageWithFrames(image, frames, "tunnel_text_page");
  for (const PageFrame& frame : frames) {
    EXPECT_GT(brightestInside(image, frame), 200) << frame.name;
    // Only the soft halo of the blur may reach an edge, never the letters themselves.
    EXPECT_LT(brightestOnEdges(image, frame), 128) << frame.name;
  }
}
