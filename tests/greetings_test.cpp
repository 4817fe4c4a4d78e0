// The greetings: names fading in on their cue, the flying camera, the marker field's grey and
// the range it draws.
#include "platform/GlProcs.h"
#include "render/GlState.h"
#include "render/Glow.h"
#include "render/Texture.h"
#include "scenes/Greetings.h"
#include "scenes/MarkerField.h"
#include "scenes/Scenes.h"
#include "scenes/SharedLists.h"
#include "shell/Preparation.h"
#include "tests/GlTestContext.h"
#include "tests/SceneFeedback.h"

#include <GL/glu.h>
#include <SDL_opengl.h>

#include <cmath>
#include <vector>

namespace {
// Where each name and marker of the path stands once the offsets are added up.
const float pathPositions[greetCount][2] = {
    {-300, 0}, {-188, 30}, {-93, 100}, {-93, -40}, {2, 30},    {107, -20},
    {202, 50}, {279, -40}, {219, -140}, {134, -220}, {19, -200},
};

// Screen pixel (y from the top) of overlay-space point (x, y) under setOrtho and identity.
int brightnessAt(float x, float y) {
  return pixelAt(400 + static_cast<int>(x), 300 - static_cast<int>(y))[0];
}

// A page that is white everywhere, so every name shows as a plain white quad.
Texture whitePage() {
  Texture page = createRenderTarget(512, 512, 1);
  page.beginCapture(1, 1, 1, 1);
  captureGlow(page, 5);
  return page;
}

void clearToBlack() {
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

class Greetings : public GlTest {
 protected:
  void SetUp() override {
    GlTest::SetUp();
    prepareStartup();
    glColor4f(1, 1, 1, 1);  // the colour start-up leaves current when the names are painted
    greetingsScene(0, 0.0f);
    glDisable(GL_SCISSOR_TEST);
  }
};

// The on-screen quads of name k: the polygons whose corners all carry name k's page
// coordinates, the later half of them (the glow pass draws the same quads first).
std::vector<FrameShape> nameOnScreen(const FrameFeedback& frame, int k) {
  const float* r = greetNames[k].rect;
  auto isCorner = [&](const FrameVertex& v) {
    auto near = [](float a, float b) { return std::fabs(a - b) < 1e-6f; };
    return (near(v.s, r[0]) || near(v.s, r[0] + r[2])) &&
           (near(v.t, r[1]) || near(v.t, r[1] + r[3]));
  };
  std::vector<FrameShape> found;
  for (const FrameShape& p : frame.polygons) {
    bool all = !p.empty();
    for (const FrameVertex& v : p) all = all && isCorner(v);
    if (all) found.push_back(p);
  }
  return std::vector<FrameShape>(found.begin() + found.size() / 2, found.end());
}

// Checks that name k's corners land where a camera at eye looking at look, with the
// arrangement turned by turn degrees about y, puts them on the 800 x 600 screen. A name that
// reaches over the screen's edge is cut by clipping and only has to be absent or match.
void expectNameSeenFrom(const FrameFeedback& frame, int k, const double* eye, const double* look,
                        float turn) {
  GLdouble model[16], projection[16];
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  gluPerspective(60, 4.0 / 3.0, 1, 5000);
  glGetDoublev(GL_PROJECTION_MATRIX, projection);
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();
  gluLookAt(eye[0], eye[1], eye[2], look[0], look[1], look[2], 0, 1, 0);
  if (turn != 0.0f) glRotatef(turn, 0, 1, 0);
  glGetDoublev(GL_MODELVIEW_MATRIX, model);
  glPopMatrix();
  const GLint viewport[4] = {0, 0, 800, 600};
  auto project = [&](double dx, double dy, GLdouble* wx, GLdouble* wy) {
    GLdouble wz;
    gluProject(pathPositions[k][0] + dx, pathPositions[k][1] + dy, 0, model, projection,
               viewport, wx, wy, &wz);
  };

  bool wholeOnScreen = true;
  for (double dx : {-30, 30})
    for (double dy : {-10, 10}) {
      GLdouble wx, wy;
      project(dx, dy, &wx, &wy);
      wholeOnScreen = wholeOnScreen && wx >= 0 && wx <= 800 && wy >= 0 && wy <= 600;
    }
  const std::vector<FrameShape> quads = nameOnScreen(frame, k);
  if (wholeOnScreen) {
    ASSERT_EQ(quads.size(), 2u) << "name " << k;  // one quad, as two triangles
  }
  const float* r = greetNames[k].rect;
  for (const FrameShape& quad : quads) {
    for (const FrameVertex& v : quad) {
      GLdouble wx, wy;
      project(std::fabs(v.s - r[0]) < 1e-6f ? -30 : 30, std::fabs(v.t - r[1]) < 1e-6f ? -10 : 10,
              &wx, &wy);
      EXPECT_NEAR(v.x, wx, 0.5) << "name " << k;
      EXPECT_NEAR(v.y, wy, 0.5) << "name " << k;
    }
  }
}

FrameFeedback greetingsFrame(float t) {
  return feedbackOfFrame([t] { greetingsScene(1, t); });
}

// Polygons that darken the whole screen: the fade quad, as GL breaks it up.
int blackScreenQuads(const FrameFeedback& frame) {
  int n = 0;
  for (const FrameShape& p : frame.polygons)
    if (coversScreen(p) && p[0].r == 0 && p[0].g == 0 && p[0].b == 0) ++n;
  return n;
}
}  // namespace

TEST_F(Greetings, NamesFadeInFromTheirStartTimes) {
  Texture page = whitePage();
  setOrtho();
  glLoadIdentity();
  auto drawNamesAt = [&](float t) {
    clearToBlack();
    drawGreetNames(t, page, greetStartTimes);
  };
  for (int k = 0; k < greetCount; ++k) {
    const float s = greetStartTimes[k];
    drawNamesAt(s);
    for (int j = 0; j < greetCount; ++j)
      EXPECT_EQ(brightnessAt(pathPositions[j][0], pathPositions[j][1]), j < k ? 255 : 0)
          << "name " << j << " at the start of name " << k;
    drawNamesAt(s + 0.01f);
    EXPECT_NEAR(brightnessAt(pathPositions[k][0], pathPositions[k][1]), 128, 2) << k;
    drawNamesAt(s + 0.02f);
    EXPECT_EQ(brightnessAt(pathPositions[k][0], pathPositions[k][1]), 255) << k;
    if (k == 4) saveTestPicture("greetings_names_fading");
  }
  drawNamesAt(1.0f);
  for (int j = 0; j < greetCount; ++j)
    EXPECT_EQ(brightnessAt(pathPositions[j][0], pathPositions[j][1]), 255) << j;
  // Only the name quads: nothing between them.
  EXPECT_EQ(brightnessAt(-245, 0), 0);

  // The names leave fog on and lighting, blending and texturing off.
  EXPECT_TRUE(glIsEnabled(GL_FOG));
  EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
  EXPECT_FALSE(glIsEnabled(GL_BLEND));
  EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
  GLboolean depthWrites = GL_FALSE;
  glGetBooleanv(GL_DEPTH_WRITEMASK, &depthWrites);
  EXPECT_TRUE(depthWrites);
}

TEST_F(Greetings, CameraFliesInFromTheLeftAndEndsPulledBack) {
  const double startEye[3] = {-700, 0, 200};
  const double firstName[3] = {-300, 0, 0};
  const FrameFeedback start = greetingsFrame(0.0f);
  ASSERT_FALSE(start.overflowed);
  for (int k = 0; k < greetCount; ++k) expectNameSeenFrom(start, k, startEye, firstName, 0.0f);
  EXPECT_EQ(nameOnScreen(start, 0).size(), 2u);

  // After the pull-back the camera holds its last key, whatever frame came before, while the
  // arrangement keeps turning.
  const double endEye[3] = {0, -50, 500};
  const double middle[3] = {0, -50, 0};
  for (float t : {0.8f, 0.93f, 1.0f}) {
    greetingsScene(1, 0.5f);
    const FrameFeedback frame = greetingsFrame(t);
    ASSERT_FALSE(frame.overflowed);
    for (int k = 0; k < greetCount; ++k)
      expectNameSeenFrom(frame, k, endEye, middle, (t - 0.75f) * 180.0f);
    EXPECT_EQ(nameOnScreen(frame, 10).size(), 2u);
  }
}

TEST_F(Greetings, OpensFromBlackAndFadesOnlyNearTheEnds) {
  greetingsScene(1, 0.0f);
  for (int y = 0; y < 600; y += 40)
    for (int x = 0; x < 800; x += 40) ASSERT_EQ(pixelAt(x, y), (std::array<int, 3>{0, 0, 0}));

  EXPECT_GT(blackScreenQuads(greetingsFrame(0.02f)), 0);
  EXPECT_EQ(blackScreenQuads(greetingsFrame(0.04f)), 0);
  EXPECT_EQ(blackScreenQuads(greetingsFrame(0.96f)), 0);
  EXPECT_GT(blackScreenQuads(greetingsFrame(0.98f)), 0);

  // A frame in the middle ends with filled polygons, no coordinate generation, no fog, no
  // blending, and shows night blue where nothing stands.
  greetingsScene(1, 0.45f);
  saveTestPicture("greetings_045");
  GLint polygonMode[2] = {0, 0};
  glGetIntegerv(GL_POLYGON_MODE, polygonMode);
  EXPECT_EQ(polygonMode[0], GL_FILL);
  EXPECT_EQ(polygonMode[1], GL_FILL);
  EXPECT_FALSE(glIsEnabled(GL_TEXTURE_GEN_S));
  EXPECT_FALSE(glIsEnabled(GL_TEXTURE_GEN_T));
  EXPECT_FALSE(glIsEnabled(GL_FOG));
  EXPECT_FALSE(glIsEnabled(GL_BLEND));
}

TEST_F(Greetings, MarkerRingsBrightenThenTurnBlackFrom070) {
  // Field level: a white texture lets the ring show its grey as it is.
  Texture white = whitePage();
  setOrtho();
  glLoadIdentity();
  glDisable(GL_LIGHTING);
  const struct {
    float t;
    int grey;
  } levels[] = {{0.1f, 26}, {0.4f, 51}, {0.65f, 28}, {0.7f, 0}, {0.9f, 0}};
  for (const auto& level : levels) {
    glClearColor(1, 1, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    drawMarkerField(level.t, 0, 1, white);
    EXPECT_NEAR(brightnessAt(-300 + 52, 0), level.grey, 1) << level.t;
  }

  // Scene level: the wireframe rings carry grey 0.2 in the middle and black from 0.7 on; only
  // the cyan lenses keep a colour.
  auto lineColours = [](const FrameFeedback& frame, int* grey, int* black, int* other) {
    *grey = *black = *other = 0;
    for (const FrameShape& line : frame.lines) {
      const FrameVertex& v = line[0];
      if (v.r == 0 && v.g == 0 && v.b == 0)
        ++*black;
      else if (std::fabs(v.r - 0.2f) < 1e-3f && v.r == v.g && v.g == v.b)
        ++*grey;
      else if (!(v.r == 0 && std::fabs(v.g - 0.8f) < 1e-3f && v.b == 1))
        ++*other;
    }
  };
  int grey, black, other;
  lineColours(greetingsFrame(0.5f), &grey, &black, &other);
  EXPECT_GT(grey, 1000);
  EXPECT_EQ(black, 0);
  EXPECT_EQ(other, 0);
  for (float t : {0.7f, 0.85f}) {
    lineColours(greetingsFrame(t), &grey, &black, &other);
    EXPECT_EQ(grey, 0) << t;
    EXPECT_GT(black, 1000) << t;
    EXPECT_EQ(other, 0) << t;
  }
}

TEST_F(Greetings, MarkerFieldClampsItsRange) {
  Texture white = whitePage();
  setOrtho();
  glLoadIdentity();
  glDisable(GL_LIGHTING);
  glEnable(GL_CULL_FACE);
  // Polygons with an area: the ring's flat steps stand edge-on to this view, and which of
  // those slivers GL culls depends on rounding.
  auto polygonsOf = [&](int32_t first, int32_t end) {
    const FrameFeedback frame =
        feedbackOfFrame([&] { drawMarkerField(0.4f, first, end, white); });
    size_t n = 0;
    for (const FrameShape& p : frame.polygons) {
      double area = 0;
      for (size_t i = 0; i < p.size(); ++i) {
        const FrameVertex& a = p[i];
        const FrameVertex& b = p[(i + 1) % p.size()];
        area += a.x * b.y - b.x * a.y;
      }
      if (std::fabs(area) > 0.5) ++n;
    }
    return n;
  };
  const size_t one = polygonsOf(0, 1);
  ASSERT_GT(one, 0u);
  EXPECT_EQ(polygonsOf(-3, 2), 2 * one);
  EXPECT_EQ(polygonsOf(9, 20), 2 * one);
  EXPECT_EQ(polygonsOf(-5, 40), 11 * one);
  EXPECT_EQ(polygonsOf(5, 5), 0u);
  EXPECT_EQ(polygonsOf(8, 3), 0u);

  // A clamped field still starts at the first item's offset from the origin, and leaves the
  // matrix as it found it with texturing off.
  GLint depthBefore = 0, depthAfter = 0;
  glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depthBefore);
  glClearColor(1, 1, 1, 1);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  drawMarkerField(0.4f, -3, 2, white);
  EXPECT_EQ(brightnessAt(-300 + 52, 0), 51);
  EXPECT_EQ(brightnessAt(-188 + 52, 30), 51);
  EXPECT_EQ(brightnessAt(-93 + 52, 100), 255);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  drawMarkerField(0.4f, 9, 20, white);
  EXPECT_EQ(brightnessAt(-85 + 52, -80), 51);
  EXPECT_EQ(brightnessAt(-200 + 52, -60), 51);
  EXPECT_EQ(brightnessAt(134 + 52, -220), 255);
  saveTestPicture("greetings_field_9_to_end");
  glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depthAfter);
  EXPECT_EQ(depthAfter, depthBefore);
  GLfloat m[16];
  glGetFloatv(GL_MODELVIEW_MATRIX, m);
  EXPECT_EQ(m[12], 0.0f);
  EXPECT_EQ(m[13], 0.0f);
  EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
}

// Markers wholly out of view are skipped on the default path and drawn by the forced GL 1.1
// reference: the same pixels and the same state after, in the filled glow pass and the fogged
// wireframe, close to the names and from the pull-back.
TEST_F(Greetings, MarkersOutOfViewSkippedWithTheSamePictureAndState) {
  Texture white = whitePage();
  auto frame = [&](float t, bool wire, std::vector<float>* state) {
    glClearColor(0, 0, 0.3f, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    setPerspective(60);
    glLoadIdentity();
    const double eye[2][3] = {{-93, 100, 100}, {0, -50, 500}};
    const double look[2][3] = {{-93, 100, 0}, {0, -50, 0}};
    const int k = t < 0.8f ? 0 : 1;
    gluLookAt(eye[k][0], eye[k][1], eye[k][2], look[k][0], look[k][1], look[k][2], 0, 1, 0);
    glPolygonMode(GL_FRONT_AND_BACK, wire ? GL_LINE : GL_FILL);
    setSphereMap(true);
    drawMarkerGroups(t, white);
    setSphereMap(false);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    state->clear();
    for (GLenum cap : {GL_BLEND, GL_TEXTURE_2D, GL_CULL_FACE, GL_LIGHTING})
      state->push_back(glIsEnabled(cap));
    for (GLenum name : {GL_CURRENT_COLOR, GL_CURRENT_NORMAL, GL_MODELVIEW_MATRIX}) {
      GLfloat v[16];
      glGetFloatv(name, v);
      state->insert(state->end(), v, v + (name == GL_MODELVIEW_MATRIX ? 16 : 4));
    }
    for (GLenum name : {GL_DEPTH_WRITEMASK, GL_TEXTURE_BINDING_2D, GL_BLEND_SRC, GL_BLEND_DST}) {
      GLint i = 0;
      glGetIntegerv(name, &i);
      state->push_back(float(i));
    }
    GLfloat twoSide = 0;
    glGetFloatv(GL_LIGHT_MODEL_TWO_SIDE, &twoSide);
    state->push_back(twoSide);
    std::vector<unsigned char> rgb(800 * 600 * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, 800, 600, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    return rgb;
  };
  const float nightBlue[4] = {0, 0, 0.3f, 1};
  setFog(GL_EXP2, 0.0012f, 0, 0, nightBlue);
  glEnable(GL_FOG);
  for (float t : {0.3f, 0.9f})
    for (bool wire : {false, true}) {
      std::vector<float> states[2];
      std::vector<unsigned char> pictures[2];
      for (int skipping = 0; skipping < 2; ++skipping) {
        forceFixedFunction(skipping == 0);
        pictures[skipping] = frame(t, wire, &states[skipping]);
      }
      forceFixedFunction(false);
      EXPECT_TRUE(pictures[0] == pictures[1]) << t << (wire ? " wire" : " filled");
      EXPECT_EQ(states[0], states[1]) << t << (wire ? " wire" : " filled");
      size_t lit = 0;
      for (size_t i = 2; i < pictures[1].size(); i += 3) lit += pictures[1][i] != 77;
      EXPECT_GT(lit, 1000u) << t << " some marker is in view";
    }
  glDisable(GL_FOG);
  // Close to a name, markers behind the camera are out of view; the forced path skips none.
  setPerspective(60);
  glLoadIdentity();
  gluLookAt(-93, 100, 100, -93, 100, 0, 0, 1, 0);
  glTranslatef(-93, 100, 400);
  EXPECT_TRUE(sphereOutOfView(markerRadius));
  forceFixedFunction(true);
  EXPECT_FALSE(sphereOutOfView(markerRadius));
  forceFixedFunction(false);
  glTranslatef(0, 0, -400);
  EXPECT_FALSE(sphereOutOfView(markerRadius));
  glLoadIdentity();
}
