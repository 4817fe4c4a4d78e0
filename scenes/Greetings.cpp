// Greetings: eleven names hang on a zig-zag path, each inside a spinning ring marker, in a
// night-blue fog. The camera flies from name to name and each name fades in as the camera
// reaches it; then the camera pulls back and the whole arrangement turns. The markers glow
// filled and show sharp as a wireframe; the scene opens from black and closes to black.
#include "scenes/Greetings.h"

#include "geometry/Shapes.h"
#include "platform/Gl.h"
#include "render/BitmapFont.h"
#include "render/GlState.h"
#include "render/Glow.h"
#include "render/KeyTrack.h"
#include "render/Texture.h"
#include "scenes/MarkerField.h"
#include "scenes/Scenes.h"
#include "scenes/ScreenFade.h"

const float greetStartTimes[greetCount] = {0.1f,  0.15f, 0.21f, 0.27f, 0.33f, 0.39f,
                                           0.47f, 0.53f, 0.59f, 0.65f, 0.71f};

// The frames of "Orlen", "Vesmira", "T O R K" and "bramel" are wide enough for the face that
// stands in for "Trebuchet MS"; "Vesmira" stops below the tails of "pelurang", whose frame
// reaches down to them, and "q.t.z" starts above the l of "pelurang". The first frame shows
// "7 4 9" only.
const GreetName greetNames[greetCount] = {
    {"7 4 9   RU-O", -285, {0, 0, 0.17f, 0.09f}},
    {"Orlen", -235, {0, 0.09f, 0.19f, 0.09f}},
    {"Vesmira", -185, {0, 0.18f, 0.28f, 0.069f}},
    {"pelurang", -135, {0, 0.249f, 0.35f, 0.084f}},
    {"q.t.z", -85, {0, 0.335f, 0.2f, 0.075f}},
    {"Lantix", -35, {0, 0.42f, 0.27f, 0.09f}},
    {"MorphiQ", 25, {0, 0.51f, 0.29f, 0.09f}},
    {"Zuny/TEKA", 85, {0, 0.615f, 0.41f, 0.0935f}},
    {"T O R K", 135, {0, 0.71f, 0.25f, 0.09f}},
    {"bramel", 185, {0, 0.8f, 0.24f, 0.08f}},
    {"Y o u", 235, {0, 0.88f, 0.18f, 0.085f}},
};

namespace {
// Half width and half height of every name quad.
const float greetHalfSizes[greetCount][2] = {{30, 10}, {30, 10}, {30, 10}, {30, 10},
                                             {30, 10}, {30, 10}, {30, 10}, {30, 10},
                                             {30, 10}, {30, 10}, {30, 10}};

const float nightBlue[4] = {0.0f, 0.0f, 0.3f, 1.0f};

// The camera's keys. The look-at point starts on the first name, reaches name k at its start
// time and ends on the middle of the path; the eye glides in from the far left, arrives 100
// units in front of each name 0.01 later and finally pulls back. Key 9 aims a tenth of a unit
// right of name 8. Keys 1 to 11 take their times from greetStartTimes.
constexpr int cameraKeyCount = 13;
const float lookKeys[cameraKeyCount][3] = {
    {-300, 0, 0},  {-300, 0, 0},  {-188, 30, 0},    {-93, 100, 0},  {-93, -40, 0},
    {2, 30, 0},    {107, -20, 0}, {202, 50, 0},     {279, -40, 0},  {219.9f, -140, 0},
    {134, -220, 0}, {19, -200, 0}, {0, -50, 0},
};
const float eyeKeys[cameraKeyCount][3] = {
    {-700, 0, 200},  {-300, 0, 100},  {-188, 30, 100},    {-93, 100, 100},  {-93, -40, 100},
    {2, 30, 100},    {107, -20, 100}, {202, 50, 100},     {279, -40, 100},  {219.9f, -140, 100},
    {134, -220, 100}, {19, -200, 100}, {0, -50, 500},
};
const float eyeDelay = 0.01f;
const float cameraEndTime = 0.8f;

uint8_t firstFrame = 1;

void fillCameraTracks(KeyTrack& eyePath, KeyTrack& lookPath) {
  TrackKey look[cameraKeyCount];
  TrackKey eye[cameraKeyCount];
  for (int k = 0; k < cameraKeyCount; ++k) {
    float lookTime = 0.0f;
    float eyeTime = 0.0f;
    if (k == cameraKeyCount - 1) {
      lookTime = eyeTime = cameraEndTime;
    } else if (k > 0) {
      lookTime = greetStartTimes[k - 1];
      eyeTime = greetStartTimes[k - 1] + eyeDelay;
    }
    look[k] = {lookKeys[k][0], lookKeys[k][1], lookKeys[k][2], lookTime};
    eye[k] = {eyeKeys[k][0], eyeKeys[k][1], eyeKeys[k][2], eyeTime};
  }
  lookPath.setKeys(look, cameraKeyCount);
  eyePath.setKeys(eye, cameraKeyCount);
}

}  // namespace

// The names printed white, one per row, into the lower-left 512 x 512 corner and kept there.
void paintNamePage(Texture& namePage) {
  BitmapFont font;
  font.createFont("Trebuchet MS", 40, 400, 0, 0);
  glClear(GL_DEPTH_BUFFER_BIT);
  glLoadIdentity();
  glDisable(GL_LIGHTING);
  setOrtho();
  namePage.beginCapture(0, 0, 0, 1);
  glLoadIdentity();
  // No colour of its own: start-up leaves the current colour opaque white, as the page needs.
  for (const GreetName& name : greetNames) {
    glRasterPos2i(-400, name.pageY);
    font.printText(name.text);
  }
  captureGlow(namePage, 5);
  font.releaseFont();
}

namespace {

// The camera, and after 0.75 the whole arrangement turning about the world's y axis.
void viewGreetings(const float* eye, const float* look, float t) {
  gluLookAt(eye[0], eye[1], eye[2], look[0], look[1], look[2], 0, 1, 0);
  if (t > 0.75f) glRotatef((t - 0.75f) * 180.0f, 0, 1, 0);
}

}  // namespace

void drawGreetNames(float t, Texture& page, const float* startTimes) {
  disableFog(true);
  float alpha[greetCount];
  for (int k = 0; k < greetCount; ++k)
    alpha[k] = t <= startTimes[k] ? 0.0f : (t - startTimes[k]) * 50.0f;  // GL clamps to 1
  glDisable(GL_LIGHTING);
  beginBlend(GL_SRC_ALPHA, GL_ONE, true);
  page.bindTexture(0);
  glPushMatrix();
  for (int k = 0; k < greetCount; ++k) {
    glTranslatef(greetOffsets[k][0], greetOffsets[k][1], greetOffsets[k][2]);
    glColor4f(1, 1, 1, alpha[k]);
    const float w = greetHalfSizes[k][0];
    const float h = greetHalfSizes[k][1];
    const float* r = greetNames[k].rect;
    glBegin(GL_QUADS);
    glTexCoord2f(r[0], r[1]);
    glVertex3f(-w, -h, 0);
    glTexCoord2f(r[0] + r[2], r[1]);
    glVertex3f(w, -h, 0);
    glTexCoord2f(r[0] + r[2], r[1] + r[3]);
    glVertex3f(w, h, 0);
    glTexCoord2f(r[0], r[1] + r[3]);
    glVertex3f(-w, h, 0);
    glEnd();
  }
  glPopMatrix();
  unbindTexture();
  endBlend();
  disableFog(false);
}

void greetingsScene(int8_t mode, float t) {
  static Texture sphereTexture;
  static Texture greetGlow = createRenderTarget(512, 512, 1);
  static Texture namePage = createRenderTarget(512, 512, 1);
  static KeyTrack greetEyePath;
  static KeyTrack greetLookPath;

  if (mode == 0) {
    sphereTexture.loadJpg("data/texture/sphere.jpg");
    fillCameraTracks(greetEyePath, greetLookPath);
    paintNamePage(namePage);
    firstFrame = 1;
    return;
  }
  if (mode != 1) return;

  if (firstFrame) {
    setFog(GL_EXP2, 0.0012f, 0, 0, nightBlue);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    firstFrame = 0;
  }

  // The camera holds its final key once the pull-back is over, whatever frame came last.
  setPerspective(60);
  float eye[3];
  float look[3];
  if (t >= cameraEndTime) {
    for (int i = 0; i < 3; ++i) {
      eye[i] = eyeKeys[cameraKeyCount - 1][i];
      look[i] = lookKeys[cameraKeyCount - 1][i];
    }
  } else {
    greetEyePath.sampleTrack(t, eye);
    greetLookPath.sampleTrack(t, look);
  }
  disableFog(true);

  // Glow: the markers filled and the names, blurred.
  greetGlow.beginCapture(0, 0, 0, 1);
  viewGreetings(eye, look, t);
  setSphereMap(true);
  drawMarkerGroups(t, sphereTexture);
  setSphereMap(false);
  drawGreetNames(t, namePage, greetStartTimes);
  captureGlow(greetGlow, 4);

  // On screen: the markers as a fogged wireframe over night blue, then the names sharp.
  clearScreen(nightBlue[0], nightBlue[1], nightBlue[2], nightBlue[3]);
  glDisable(GL_LIGHTING);
  viewGreetings(eye, look, t);
  glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
  setSphereMap(true);
  drawMarkerGroups(t, sphereTexture);
  setSphereMap(false);
  glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
  drawGreetNames(t, namePage, greetStartTimes);

  disableFog(true);
  setOverlayBlend(greetGlow, GL_SRC_ALPHA, GL_ONE);
  overlayGlow(greetGlow, 1.0f, 1);

  if (t < 0.04f)
    drawScreenFade(0, 0, 0, 1.0f - 25.0f * t);
  else if (t > 0.96f)
    drawScreenFade(0, 0, 0, 25.0f * (t - 0.96f));
}
