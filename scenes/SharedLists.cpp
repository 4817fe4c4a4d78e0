#include "scenes/SharedLists.h"

#include "geometry/Meshes.h"
#include "platform/Gl.h"
#include "render/GlState.h"
#include "render/Light.h"
#include "render/PictureScale.h"
#include "render/Texture.h"

#include <cmath>
#include <vector>

Light* sceneLight = nullptr;
GLuint spindleList = 0;
GLuint pipeTorusList = 0;
GLuint tunnelTorusList = 0;
GLuint markerList = 0;
GLuint markerStateList = 0;
GLuint sharedMeshList = 0;
GLuint backdropTorusList = 0;

namespace {
constexpr int profileRings = 7;
constexpr int profilePoints = 31;
constexpr int bands = profileRings - 1;

// The upper half of the spindle: seven circles from the tip (y 500) down to the waist (y 10).
struct SpindleProfile {
  Point3 ring[profileRings][profilePoints];
};

SpindleProfile makeSpindleProfile() {
  const float radius[profileRings] = {50, 50, 20, 40, 60, 100, 100};
  const float height[profileRings] = {500, 470, 450, 50, 50, 25, 10};
  SpindleProfile profile{};
  for (int k = 0; k < profileRings; ++k) {
    makeCirclePoints(profile.ring[k], profilePoints, radius[k], 1, 0, 1);
    for (Point3& p : profile.ring[k]) p.y = height[k];
  }
  return profile;
}

void emitPoint(const Point3& p) { glVertex3f(p.x, p.y, p.z); }
void emitMirrored(const Point3& p) { glVertex3f(p.x, -p.y, p.z); }

// 40 circles from the tip downwards, 25 apart, widening to 2000 at the waist: cyan at the
// ends, fading to black at the widest.
void drawLatitudeRings() {
  glPushMatrix();
  glTranslatef(0, 500, 0);
  float angle = 0.0f;
  for (int k = 0; k < 40; ++k) {
    const float level = static_cast<float>(std::fabs(std::cos(double{angle})));
    glColor3f(0, level, 0.9f * level);
    std::vector<Point3> circle(30);
    makeCirclePoints(circle.data(), 30, static_cast<float>(2000 * std::sin(double{angle})), 1, 0,
                     1);
    glBegin(GL_LINE_STRIP);
    for (const Point3& p : circle) glVertex3f(p.x, 0, p.z);
    glEnd();
    glTranslatef(0, -25, 0);
    angle += 0.078539826f;
  }
  glPopMatrix();
}

// The flat black body, both halves, with the waist closed by two fans.
void drawSpindleBody(const SpindleProfile& profile) {
  glDisable(GL_CULL_FACE);
  glColor4f(0, 0, 0, 1);
  for (int b = 0; b < bands; ++b) {
    glBegin(GL_QUAD_STRIP);
    for (int p = 0; p < profilePoints; ++p) {
      emitPoint(profile.ring[b][p]);
      emitPoint(profile.ring[b + 1][p]);
    }
    glEnd();
    glBegin(GL_QUAD_STRIP);
    for (int p = 0; p < profilePoints; ++p) {
      emitMirrored(profile.ring[b + 1][p]);
      emitMirrored(profile.ring[b][p]);
    }
    glEnd();
  }
  for (float side : {1.0f, -1.0f}) {
    glBegin(GL_TRIANGLE_FAN);
    glVertex3f(0, 10 * side, 0);
    for (int p = 0; p < profilePoints; ++p) {
      const Point3& rim = profile.ring[6][p];
      glVertex3f(rim.x, profile.ring[5][p].y * side, rim.z);
    }
    glEnd();
  }
}

// Additive grey edges over the body, blue toward the tips; the filled-polygon offset stays on.
void drawSpindleWireframe(const SpindleProfile& profile) {
  beginBlend(GL_SRC_ALPHA, GL_ONE, true);
  glPolygonOffset(pictureScale(), 1);  // its factor meets a depth slope per pixel, which shrinks as the picture grows
  glEnable(GL_POLYGON_OFFSET_FILL);
  glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
  setLineWidth(0.1f);
  glColor3f(0.7f, 0.7f, 0.7f);
  for (int b = 0; b < bands; ++b) {
    const bool tipBand = b <= 2;
    glBegin(GL_QUAD_STRIP);
    glColor3f(0.7f, 0.7f, 0.7f);
    for (int p = 0; p < profilePoints; ++p) {
      if (tipBand) glColor3f(0, 0.3f, 0.7f);
      emitPoint(profile.ring[b][p]);
      glColor3f(0.7f, 0.7f, 0.7f);
      emitPoint(profile.ring[b + 1][p]);
    }
    glEnd();
    glBegin(GL_QUAD_STRIP);
    for (int p = 0; p < profilePoints; ++p) {
      glColor3f(0.7f, 0.7f, 0.7f);
      emitMirrored(profile.ring[b + 1][p]);
      if (tipBand) glColor3f(0, 0.3f, 0.7f);
      emitMirrored(profile.ring[b][p]);
    }
    glEnd();
  }
  glColor4f(1, 1, 1, 1);
  setLineWidth(1);
  glDisable(GL_POLYGON_OFFSET_LINE);
  glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
  endBlend();
}

}  // namespace

void drawSpindle() {
  const SpindleProfile profile = makeSpindleProfile();
  glDisable(GL_LIGHTING);
  drawLatitudeRings();
  drawSpindleBody(profile);
  drawSpindleWireframe(profile);
  glEnable(GL_CULL_FACE);
  glEnable(GL_LIGHTING);
}

namespace {
GLuint buildSpindleList() {
  const GLuint list = glGenLists(1);
  glNewList(list, GL_COMPILE);
  drawSpindle();
  glEndList();
  return list;
}

GLuint buildTorusList(float R, float r, int32_t ringSegments, int32_t tubeSegments,
                      int32_t vPeriod, int32_t uDivisor) {
  const GLuint list = glGenLists(1);
  glNewList(list, GL_COMPILE);
  drawTorus(R, r, ringSegments, tubeSegments, vPeriod, uDivisor);
  glEndList();
  return list;
}

GLuint buildTunnelTorusList() {
  const GLuint list = glGenLists(1);
  glNewList(list, GL_COMPILE);
  glCullFace(GL_FRONT);
  drawTorus(500, 60, 50, 32, 3, 4);
  glCullFace(GL_BACK);
  glEndList();
  return list;
}

void drawBandedRing() { drawBandedTorus(50, 4, 6, 50, 20, 5, 3); }

Texture& markerTexture() {
  static Texture texture;
  return texture;
}

// A fan of radius 50 at height y filling the ring's hole, rim closed after ten steps.
void drawLensDisc(float y, float normalY) {
  glPushMatrix();
  glTranslatef(0, y, 0);
  glBegin(GL_TRIANGLE_FAN);
  glNormal3f(0, normalY, 0);
  glVertex3f(0, 0, 0);
  float angle = 0.0f;
  for (int k = 0; k < 11; ++k) {
    glVertex3f(static_cast<float>(50 * std::cos(double{angle})), 0,
               static_cast<float>(50 * std::sin(double{angle})));
    angle += 0.6283185f;
  }
  glEnd();
  glPopMatrix();
}

// The marker: the ring, then its two lenses blended. Without the shapes, only the state the
// whole leaves behind, the lenses' last normal included.
void drawMarker(bool shapes) {
  Texture& texture = markerTexture();
  if (shapes) drawBandedRing();
  beginBlend(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, true);
  glColor4f(0, 0.8f, 1, 0.2f);
  texture.bindTexture(0);
  if (shapes) {
    drawLensDisc(2, 1);
    drawLensDisc(-2, -1);
  } else {
    glNormal3f(0, -1, 0);
  }
  unbindTexture();
  endBlend();
}

GLuint buildMarkerList(bool shapes) {
  const GLuint list = glGenLists(1);
  glNewList(list, GL_COMPILE);
  drawMarker(shapes);
  glEndList();
  return list;
}

GLuint buildSharedMeshList() {
  const GLuint list = glGenLists(1);
  glNewList(list, GL_COMPILE);
  drawBandedRing();
  glEndList();
  return list;
}
}  // namespace

void makeSceneLight() {
  delete sceneLight;  // a later preparation's light replaces the earlier one, as GL_LIGHT0
  restartLightNumbers();
  sceneLight = new Light(0);
  sceneLight->enable();
  sceneLight->setPosition(0, 0, 0);
}

void buildSharedLists() {
  spindleList = buildSpindleList();
  pipeTorusList = buildTorusList(500, 20, 60, 20, 3, 2);
  tunnelTorusList = buildTunnelTorusList();
  markerTexture().loadJpg("data/texture/sphere.jpg");
  markerList = buildMarkerList(true);
  markerStateList = buildMarkerList(false);
  sharedMeshList = buildSharedMeshList();
  backdropTorusList = buildTorusList(300, 60, 30, 20, 5, 20);
}
