// Start-up preparation: the defaults every scene takes for granted, the light and the shared
// display lists, looked at on their own.
#include "render/GlState.h"
#include "render/Light.h"
#include "render/Texture.h"
#include "scenes/SharedLists.h"
#include "shell/Preparation.h"
#include "shell/Timeline.h"
#include "tests/Feedback.h"
#include "tests/GlTestContext.h"

#include <GL/glu.h>
#include <SDL_opengl.h>

#include <array>
#include <cmath>
#include <cstdlib>
#include <vector>

namespace {
class Preparation : public GlTest {
 protected:
  // The lists live in the context for the whole test run, as they do for the show's; the
  // GL state the preparation sets is put back after each test by the fixture.
  static void prepareOnce() {
    if (spindleList == 0) prepareStartup();
  }
};

GLint integer(GLenum which) {
  GLint v = 0;
  glGetIntegerv(which, &v);
  return v;
}

std::array<float, 4> floats(GLenum which) {
  std::array<float, 4> v{};
  glGetFloatv(which, v.data());
  return v;
}

bool isOn(GLenum cap) { return glIsEnabled(cap) == GL_TRUE; }

bool isBlack(const std::array<int, 3>& c) { return c[0] + c[1] + c[2] == 0; }
}  // namespace

TEST_F(Preparation, LeavesTheDefaultsScenesTakeForGranted) {
  glClearColor(0.5f, 0.5f, 0.5f, 0.5f);
  prepareStartup();

  EXPECT_EQ(timeline.table.start[sceneCount], showLengthMs);
  ASSERT_NE(sceneLight, nullptr);
  EXPECT_EQ(sceneLight->index, 0);
  EXPECT_TRUE(isOn(GL_LIGHT0));
  std::array<float, 4> position{-1, -1, -1, -1};
  glGetLightfv(GL_LIGHT0, GL_POSITION, position.data());
  EXPECT_EQ(position, (std::array<float, 4>{0, 0, 0, 0}));

  EXPECT_TRUE(isOn(GL_LIGHTING));
  EXPECT_TRUE(isOn(GL_DEPTH_TEST));
  EXPECT_TRUE(isOn(GL_CULL_FACE));
  EXPECT_EQ(integer(GL_CULL_FACE_MODE), GL_BACK);
  EXPECT_TRUE(isOn(GL_COLOR_MATERIAL));
  EXPECT_TRUE(isOn(GL_LINE_SMOOTH));
  EXPECT_EQ(integer(GL_LINE_SMOOTH_HINT), GL_FASTEST);
  EXPECT_EQ(floats(GL_COLOR_CLEAR_VALUE), (std::array<float, 4>{0, 0, 0, 1}));
  EXPECT_TRUE(isBlack(pixelAt(400, 300)));

  // What a new context has stays: the lists were compiled, not run.
  EXPECT_EQ(integer(GL_DEPTH_FUNC), GL_LESS);
  EXPECT_EQ(integer(GL_FRONT_FACE), GL_CCW);
  EXPECT_EQ(integer(GL_SHADE_MODEL), GL_SMOOTH);
  EXPECT_EQ(integer(GL_COLOR_MATERIAL_FACE), GL_FRONT_AND_BACK);
  EXPECT_EQ(integer(GL_COLOR_MATERIAL_PARAMETER), GL_AMBIENT_AND_DIFFUSE);
  GLint envMode = 0;
  glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &envMode);
  EXPECT_EQ(envMode, GL_MODULATE);
  EXPECT_FALSE(isOn(GL_FOG));
  EXPECT_FALSE(isOn(GL_BLEND));
  EXPECT_FALSE(isOn(GL_POLYGON_OFFSET_FILL));
  EXPECT_FALSE(isOn(GL_TEXTURE_2D));
  EXPECT_EQ(integer(GL_MATRIX_MODE), GL_MODELVIEW);

  const GLuint lists[] = {spindleList,    pipeTorusList,  tunnelTorusList,
                          markerList,     sharedMeshList, backdropTorusList};
  for (size_t k = 0; k < 6; ++k) {
    EXPECT_TRUE(glIsList(lists[k])) << k;
    for (size_t other = 0; other < k; ++other) EXPECT_NE(lists[k], lists[other]);
  }
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(Preparation, SpindleListLeavesOffsetOnAndBlendingOff) {
  prepareOnce();
  glDisable(GL_LIGHTING);
  glDisable(GL_CULL_FACE);
  glEnable(GL_BLEND);
  glDepthMask(GL_FALSE);
  glColor4f(1, 0, 0, 0.5f);
  glCallList(spindleList);

  EXPECT_TRUE(isOn(GL_POLYGON_OFFSET_FILL));  // left on for everything drawn later
  EXPECT_FALSE(isOn(GL_POLYGON_OFFSET_LINE));
  EXPECT_FLOAT_EQ(floats(GL_POLYGON_OFFSET_FACTOR)[0], 1);
  EXPECT_FLOAT_EQ(floats(GL_POLYGON_OFFSET_UNITS)[0], 1);
  EXPECT_TRUE(isOn(GL_LIGHTING));
  EXPECT_TRUE(isOn(GL_CULL_FACE));
  EXPECT_FALSE(isOn(GL_BLEND));
  EXPECT_EQ(integer(GL_DEPTH_WRITEMASK), GL_TRUE);
  EXPECT_EQ(floats(GL_CURRENT_COLOR), (std::array<float, 4>{1, 1, 1, 1}));
  GLint modes[2] = {0, 0};
  glGetIntegerv(GL_POLYGON_MODE, modes);
  EXPECT_EQ(modes[0], GL_FILL);
  EXPECT_EQ(modes[1], GL_FILL);
  EXPECT_FLOAT_EQ(floats(GL_LINE_WIDTH)[0], 1);
  EXPECT_FLOAT_EQ(floats(GL_LIGHT_MODEL_TWO_SIDE)[0], 0);
}

TEST_F(Preparation, SpindleGeometry) {
  // Drawn at once rather than through its list: feedback mode in Mesa mishandles lists that
  // mix quad strips and fans. A quarter size, so the widest latitude ring fits the view.
  const Feedback spindle = captureFeedback([] {
    glScalef(0.25f, 0.25f, 0.25f);
    drawSpindle();
  });
  ASSERT_FALSE(spindle.overflowed);

  // 40 latitude rings of 29 segments come first; the first has radius 0 at the tip.
  ASSERT_GE(spindle.lines.size(), 40u * 29);
  for (size_t k = 0; k < 29; ++k)
    for (const FeedbackVertex& v : spindle.lines[k]) {
      EXPECT_NEAR(v.x, 0, 1e-3f);
      EXPECT_NEAR(v.y, 500 / 4.0f, 1e-3f);
      EXPECT_NEAR(v.z, 0, 1e-3f);
    }
  const FeedbackVertex& second = spindle.lines[29][0];  // 25 lower, 2000 sin(pi / 40) wide
  EXPECT_NEAR(second.y * 4, 475, 0.01f);
  EXPECT_NEAR(std::hypot(second.x, second.z) * 4, 156.918f, 0.01f);
  const FeedbackVertex& widest = spindle.lines[20 * 29][0];
  EXPECT_NEAR(widest.y * 4, 0, 0.01f);
  EXPECT_NEAR(std::hypot(widest.x, widest.z) * 4, 2000, 0.05f);

  // The body: 6 bands of 30 quads in each half and two fans of 30 at the waist, running from
  // 500 to -500 and never wider than 100.
  EXPECT_EQ(spindle.polygons.size(), 2u * 6 * 30 * 2 + 2 * 30);
  float top = -1e9f, bottom = 1e9f, widestBody = 0;
  for (const FeedbackShape& p : spindle.polygons)
    for (const FeedbackVertex& v : p) {
      top = std::fmax(top, v.y * 4);
      bottom = std::fmin(bottom, v.y * 4);
      widestBody = std::fmax(widestBody, std::hypot(v.x, v.z) * 4);
    }
  EXPECT_NEAR(top, 500, 0.01f);
  EXPECT_NEAR(bottom, -500, 0.01f);
  EXPECT_NEAR(widestBody, 100, 0.01f);
}

TEST_F(Preparation, TunnelTorusListShowsTheInsideAndRestoresBackCulling) {
  prepareOnce();
  glDisable(GL_LIGHTING);
  glEnable(GL_CULL_FACE);
  glEnable(GL_DEPTH_TEST);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glColor3f(1, 1, 1);
  // On the tube's centre line, looking along it: the inner wall fills the view.
  gluLookAt(0, 0, 500, 250, 0, 433, 0, 1, 0);
  glCullFace(GL_FRONT);
  glCallList(tunnelTorusList);
  EXPECT_EQ(integer(GL_CULL_FACE_MODE), GL_BACK);
  for (int x : {5, 400, 795})
    for (int y : {5, 300, 595}) EXPECT_FALSE(isBlack(pixelAt(x, y))) << x << "," << y;

  // The pipe, culled the usual way, shows nothing from inside its own tube.
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glLoadIdentity();
  gluLookAt(0, 0, 500, 250, 0, 433, 0, 1, 0);
  glCallList(pipeTorusList);
  EXPECT_TRUE(isBlack(pixelAt(400, 300)));
}

TEST_F(Preparation, SharedListsHoldTheirMeshes) {
  prepareOnce();
  glDisable(GL_CULL_FACE);
  glDisable(GL_LIGHTING);
  auto trianglesOf = [](GLuint list) {
    const Feedback feedback = captureFeedback([&] { glCallList(list); });
    return feedback.polygons.size();
  };
  const size_t bandedRing = 2 * (51 * 20 + 21 * 21);
  EXPECT_EQ(trianglesOf(pipeTorusList), 2u * 60 * 20);
  EXPECT_EQ(trianglesOf(tunnelTorusList), 2u * 52 * 32);
  EXPECT_EQ(trianglesOf(backdropTorusList), 2u * 30 * 20);
  EXPECT_EQ(trianglesOf(sharedMeshList), bandedRing);
  EXPECT_EQ(trianglesOf(markerList), bandedRing + 2 * 10);  // and two lenses of ten

  // The marker's lenses bind and unbind their picture and end their blending.
  glEnable(GL_TEXTURE_2D);
  glCallList(markerList);
  EXPECT_FALSE(isOn(GL_TEXTURE_2D));
  EXPECT_FALSE(isOn(GL_BLEND));
  EXPECT_TRUE(isOn(GL_CULL_FACE));
  EXPECT_EQ(integer(GL_DEPTH_WRITEMASK), GL_TRUE);
}

namespace {
struct View {
  const char* name;
  GLuint list;
  std::array<double, 6> eyeAndCentre;
  std::array<float, 3> colour;
  const char* picture;  // bound around the call, or null
  double minShare;      // of the screen the list must cover
};

// Share of the screen that differs from the background colour.
double coveredShare(const std::array<int, 3>& background) {
  std::vector<unsigned char> rgb(800 * 600 * 3);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, 800, 600, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
  size_t covered = 0;
  for (size_t k = 0; k < rgb.size(); k += 3)
    if (std::abs(rgb[k] - background[0]) + std::abs(rgb[k + 1] - background[1]) +
            std::abs(rgb[k + 2] - background[2]) > 6)
      ++covered;
  return static_cast<double>(covered) / (800 * 600);
}
}  // namespace

// Each shared list on its own, lit from the upper right, for looking at.
TEST_F(Preparation, SharedListsSeenOnTheirOwn) {
  prepareOnce();
  const View views[] = {
      {"list_spindle", spindleList, {0, 900, 3200, 0, 0, 0}, {1, 1, 1}, nullptr, 0.02},
      {"list_spindle_close", spindleList, {0, 150, 1400, 0, 0, 0}, {1, 1, 1}, nullptr, 0.1},
      {"list_pipe_torus", pipeTorusList, {0, 500, 1200, 0, 0, 0}, {1, 1, 1},
       "data/texture/tunnel1.jpg", 0.02},
      // From inside its tube the tunnel fills the screen (a few dark texels match the
      // background).
      {"list_tunnel_torus", tunnelTorusList, {0, 0, 500, 250, 0, 433}, {1, 1, 1},
       "data/texture/tunnel2.jpg", 0.999},
      {"list_marker", markerList, {0, 70, 120, 0, 0, 0}, {0.6f, 0.8f, 1}, nullptr, 0.1},
      {"list_shared_mesh", sharedMeshList, {0, 70, 120, 0, 0, 0}, {0.9f, 0.7f, 0.4f}, nullptr,
       0.1},
      {"list_backdrop_torus", backdropTorusList, {0, 500, 900, 0, 0, 0}, {0.5f, 0.6f, 1},
       nullptr, 0.1},
  };
  const std::array<int, 3> background{38, 38, 51};
  for (const View& view : views) {
    SCOPED_TRACE(view.name);
    glClearColor(0.15f, 0.15f, 0.2f, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    const auto& e = view.eyeAndCentre;
    gluLookAt(e[0], e[1], e[2], e[3], e[4], e[5], 0, 1, 0);
    // The start-up defaults the lists are drawn under, set here too: when an earlier test ran the
    // preparation, the fixture has put them back since.
    sceneLight->setPosition(1, 1, 1);
    sceneLight->enable();
    glEnable(GL_LIGHTING);
    glEnable(GL_COLOR_MATERIAL);
    glHint(GL_LINE_SMOOTH_HINT, GL_FASTEST);
    glEnable(GL_LINE_SMOOTH);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    glColor3f(view.colour[0], view.colour[1], view.colour[2]);
    Texture picture;
    if (view.picture) {
      picture.loadJpg(view.picture);
      picture.bindTexture(0);
    }
    glCallList(view.list);
    unbindTexture();
    glDisable(GL_POLYGON_OFFSET_FILL);  // the spindle leaves it on
    saveTestPicture(view.name);
    const double share = coveredShare(background);
    EXPECT_GE(share, view.minShare);
  }
}
