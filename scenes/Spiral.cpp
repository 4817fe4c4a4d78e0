// Slot 8: six coloured spiral columns, sphere-mapped, stand tilted inside a huge banded ring
// while the camera circles them once. The picture glows, sinks into thickening black fog and
// fades to black; the production's title then shows on black and fades out again.
//
//   t 0    .. 0.04  fade in from black
//   t 0    .. 1     one circle of the camera; fog density 0.0001 -> 0.0051
//   t 0.8  .. 0.84  fade to black
//   t 0.8  .. 0.9   title fades in over the black
//   t 0.9  .. 1     title fades out
#include "geometry/Meshes.h"
#include "geometry/Shapes.h"
#include "platform/Gl.h"
#include "render/BitmapFont.h"
#include "render/GlState.h"
#include "render/Glow.h"
#include "render/Texture.h"
#include "scenes/Helix.h"
#include "scenes/Scenes.h"
#include "scenes/ScreenFade.h"

#include <cmath>

namespace {
uint8_t firstFrame = 1;
// Fog colour and clear colour alike; never changes.
const float fogBlack[4] = {0, 0, 0, 0};

// Every column shares the tube and its segment counts.
constexpr float tubeRadius = 10;
constexpr float alongSegments = 30;
constexpr float aroundSegments = 10;

// One group of columns, placed by a shift and then a tilt about (0, 1, 1). A zero shift or
// tilt is left out. Group 1 stacks its single-turn column three times: at the origin, then
// `restack` further up the y axis for each further copy.
struct ColumnGroup {
  float shift[3];
  float tilt;
  float colour[3];
  int32_t turns;
  float height;
  float coilRadius;
  int32_t copies;
  float restack[2];
};

const ColumnGroup columnGroups[] = {
    {{0, 0, 0}, 30, {0, 1, 0.2f}, 1, 1000, 80, 3, {1000, -2000}},
    {{100, 200, 50}, 10, {1, 0, 0.2f}, 2, 2000, 70, 1, {}},
    {{-100, 0, 0}, 30, {0, 0.2f, 1}, 2, 2000, 70, 1, {}},
    {{-300, -200, 0}, 0, {1, 1, 0.2f}, 2, 2200, 70, 1, {}},
    {{100, 100, 0}, -10, {0.2f, 1, 1}, 2, 2200, 70, 1, {}},
    {{-100, 100, 0}, -20, {1, 0.2f, 1}, 2, 2200, 70, 1, {}},
};

void placeGroup(const ColumnGroup& group) {
  if (group.shift[0] != 0 || group.shift[1] != 0 || group.shift[2] != 0)
    glTranslatef(group.shift[0], group.shift[1], group.shift[2]);
  if (group.tilt != 0) glRotatef(group.tilt, 0, 1, 1);
}

// The columns and the ring around them, reflecting the sphere picture; drawn from the
// caller's view, once into the glow and once on screen.
void drawHelixArrangement(Texture& sphereTexture) {
  setSphereMap(true);
  sphereTexture.bindTexture(0);
  glRotatef(30, 0, 1, 1);
  for (const ColumnGroup& group : columnGroups) {
    glPushMatrix();
    placeGroup(group);
    glColor3f(group.colour[0], group.colour[1], group.colour[2]);
    for (int32_t copy = 0; copy < group.copies; ++copy) {
      if (copy > 0) glTranslatef(0, group.restack[copy - 1], 0);
      drawHelixColumn(group.turns, group.height, group.coilRadius, tubeRadius, alongSegments,
                      aroundSegments);
    }
    glPopMatrix();
  }
  glColor3f(1, 1, 1);
  drawBandedTorus(700, 50, 50, 50, 20, 5, 3);
  unbindTexture();
  setSphereMap(false);
}

// White text on black, stretched from the 512 x 512 page over the whole screen later. The
// preparations before this one leave lighting off and the colour opaque white.
void paintTitlePage(Texture& titlePage) {
  BitmapFont font;
  font.createFont("Trebuchet MS", 50, 400, 0, 0);
  setOrtho();
  glLoadIdentity();
  titlePage.beginCapture(0, 0, 0, 1);
  glRasterPos2i(-200, 130);
  font.printText("KELVARN");
  glRasterPos2i(-60, 40);
  font.printText("by");
  glRasterPos2i(-350, -50);
  font.printText("Vennerly. dro-Ix");
  captureGlow(titlePage, 5);
  font.releaseFont();
}

}  // namespace

void spiralScene(int8_t mode, float t) {
  static Texture sphereTexture(1);
  static Texture helixGlow = createRenderTarget(512, 512, 1);
  static Texture titlePage = createRenderTarget(512, 512, 1);

  if (mode == 0) {
    sphereTexture.loadJpg("data/texture/sphere.jpg");
    paintTitlePage(titlePage);
    firstFrame = 1;
    return;
  }
  if (mode != 1) return;

  if (firstFrame) {
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    setFog(GL_EXP2, 0.0001f, 0, 0, fogBlack);
    firstFrame = 0;
  }

  // The camera circles the columns once at radius 500, starting on +z.
  setPerspective(60);
  const float angle = meshTurn * t;
  const float eyeX = 500 * std::sin(angle);
  const float eyeZ = 500 * std::cos(angle);

  // The glow is captured without fog, so it keeps its full brightness to the end.
  helixGlow.beginCapture(0, 0, 0, 1);
  gluLookAt(eyeX, 0, eyeZ, 0, 0, 0, 0, 1, 0);
  drawHelixArrangement(sphereTexture);
  captureGlow(helixGlow, 4);
  clearScreen(fogBlack[0], fogBlack[1], fogBlack[2], fogBlack[3]);

  // The sharp picture sinks into black fog as it thickens.
  setFogDensity(0.005f * t + 0.0001f);
  disableFog(false);
  gluLookAt(eyeX, 0, eyeZ, 0, 0, 0, 0, 1, 0);
  drawHelixArrangement(sphereTexture);
  disableFog(true);

  setOverlayBlend(helixGlow, GL_SRC_ALPHA, GL_ONE);
  overlayGlow(helixGlow, 1.0f, 2);
  drawLetterbox(3);

  if (t < 0.04f)
    drawScreenFade(0, 0, 0, 1 - 25 * t);
  else if (t > 0.8f)
    drawScreenFade(0, 0, 0, 25 * (t - 0.8f));  // fully black from 0.84, as GL clamps it

  // The title comes after the fade, so it stands on black.
  if (t > 0.9f)
    overlayGlowOnce(titlePage, 1 - 10 * (t - 0.9f));
  else if (t > 0.8f)
    overlayGlowOnce(titlePage, 10 * (t - 0.8f));
}
