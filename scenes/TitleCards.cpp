// The four chapter cards, "Shift 1" to "Shift 4". Each paints its picture once at start-up (a
// chrome ring on black, the chapter line and a few lines of text) and shows it on seven thin
// cards standing on a carousel around the glowing spindle, with a ring of teeth spinning flat
// around the spindle. The camera orbits the carousel once, dollies in and stays; letterbox bars
// frame the picture and the frame fades in and out in each card's own colours. The cards differ
// only in the design table below.
#include "geometry/Shapes.h"
#include "platform/Gl.h"
#include "render/BitmapFont.h"
#include "render/GlState.h"
#include "render/Glow.h"
#include "render/KeyTrack.h"
#include "render/Light.h"
#include "render/Texture.h"
#include "scenes/Scenes.h"
#include "scenes/SharedLists.h"
#include "scenes/TitleCardParts.h"

#include <cmath>

const CardDesign cardDesigns[4] = {
    {300, true, false, {0, 0, 0}, 0.98, 50, {0, 0, 0},
     {{"Shift 1", -300, 100},
      {": tunnel", -150, -80},
      {"Go ahead in the", -90, -130},
      {"tunnel with cool", -90, -180},
      {"glow effect.", -90, -230}}},
    {0, false, true, {0, 0, 0}, 0.95, 20, {1, 1, 1},
     {{"Shift 2", -300, 100},
      {": credit", -158, -100},
      {"afraid but We", -98, -160},
      {"Introduce ourself.", -98, -210},
      {nullptr, 0, 0}}},
    {50, false, true, {1, 1, 1}, 0.95, 20, {0, 0, 0},
     {{"Shift 3", -300, 100},
      {": greeting", -150, -50},
      {"Groups we", -90, -110},
      {"Respect", 0, -160},
      {"with Doda", 50, -210}}},
    {50, false, true, {1, 1, 1}, 0.95, 20, {0, 0, 0},
     {{"Shift 4", -300, 100},
      {": something", -150, -100},
      {"the one doesn't", -90, -160},
      {"Understand somenow.", -180, -210},  // from 50 it ran off the card's right edge
      {nullptr, 0, 0}}},
};

namespace {

const TrackKey dollyKeys[2] = {{0, 0, 700, 0.75f}, {0, 0, 300, 0.78f}};

constexpr float orbitEnd = 0.75f;
constexpr float dollyEnd = 0.78f;
constexpr float orbitRadius = 700;
constexpr float fadeInEnd = 0.1f;

// The spindle, the ring of teeth lying flat around it and the carousel of cards, 100 units
// behind the look-at centre.
void drawCarouselWorld(const CardCamera& camera, Texture& cardImage, bool glowPass) {
  gluLookAt(camera.eye[0], camera.eye[1], camera.eye[2], camera.centre[0], camera.centre[1],
            camera.centre[2], 0, 1, 0);
  glTranslatef(0, 0, -100);
  glCallList(spindleList);
  if (glowPass) {  // ring and cards drawn black and unlit mask the spindle's glow
    sceneLight->disable();
    glColor3f(0, 0, 0);
  }
  glPushMatrix();
  glRotatef(90, 1, 0, 0);
  glRotatef(camera.spin, 0, 0, 1);
  drawBoxRing(150, 12, 20, 10, 50);
  glPopMatrix();
  drawCardCarousel(300, 7, 150, 100, 5, &cardImage, &cardImage);
  if (glowPass) sceneLight->enable();
}

// A full-screen quad of the colour at alpha over everything.
void drawFade(const float* colour, float alpha) {
  setOrtho();
  glLoadIdentity();
  glDepthMask(GL_FALSE);
  glDisable(GL_LIGHTING);  // the fade keeps its colour whatever the light does
  glColor4f(colour[0], colour[1], colour[2], alpha);
  beginBlend(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, true);
  drawFlatQuad(800, 600, 1);
  endBlend();
  glEnable(GL_LIGHTING);
  glDepthMask(GL_TRUE);
  setPerspective(60);
}

struct TitleCard {
  Texture sphereTexture;
  Texture glowTarget = createRenderTarget(512, 512, 1);
  Texture cardImage = createRenderTarget(512, 512, 1);
  KeyTrack cameraTrack;
  uint8_t firstFrame = 1;
  float spinAngle = 0;  // Shift 1's beat-driven ring spin, carried from frame to frame

  // Paints the card picture into cardImage: the chrome ring left of centre, then the text.
  void prepare(const CardDesign& design) {
    firstFrame = 1;  // prepared again for a replay: the card starts as on its first showing
    spinAngle = 0;
    sphereTexture.loadJpg("data/texture/sphere.jpg");
    setKeys(cameraTrack, dollyKeys, 2);
    BitmapFont big;
    BitmapFont small;
    createFont(big, "Trebuchet MS", 100, 400, 1, 0);
    createFont(small, "Trebuchet MS", 40, 400, 1, 0);
    glClear(GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    glDisable(GL_LIGHTING);
    cardImage.beginCapture(0, 0, 0, 1);
    setPerspective(60);
    glTranslatef(-120, 10, -150);
    glRotatef(90, 1, 0, 0);
    setSphereMap(true);
    sphereTexture.bindTexture(0);
    glCallList(sharedMeshList);
    unbindTexture();
    setSphereMap(false);
    setOrtho();
    glLoadIdentity();
    for (int i = 0; i < 5; ++i) {
      const CardLine& line = design.lines[i];
      if (!line.text) continue;
      glRasterPos2i(line.x, line.y);
      printText(i == 0 ? big : small, line.text);
    }
    captureGlow(cardImage, 5);
    releaseFont(small);
    releaseFont(big);
  }

  void drawFrame(const CardDesign& design, float t) {
    if (firstFrame) {
      if (design.lightAtEye) {  // the modelview is the identity: the light sits at the eye
        disableFog(true);
        sceneLight->setW(1.0f);
        sceneLight->setPosition(0, 0, 0);
      }
      firstFrame = 0;
    }
    const CardCamera camera = placeCardCamera(design, cameraTrack, t, spinAngle);

    // Only what the spindle draws in its own colours glows.
    glowTarget.beginCapture(0, 0, 0, 1);
    drawCarouselWorld(camera, cardImage, true);
    captureGlow(glowTarget, 4);

    drawCarouselWorld(camera, cardImage, false);

    setOverlayBlend(glowTarget, GL_SRC_ALPHA, GL_ONE);
    overlayGlow(glowTarget, 1.0f, 3);
    drawLetterbox(3);

    if (t < fadeInEnd)
      drawFade(design.fadeInColour, 1 - 10 * t);
    else if (t > static_cast<float>(design.fadeOutStart))
      drawFade(design.fadeOutColour,
               static_cast<float>((t - design.fadeOutStart) * design.fadeOutRate));
  }
};

// Card k of the four (Shift k + 1): its state is made at its first call, its preparation in
// slot order, as a scene's own is.
template <int k>
void playTitleCard(int8_t mode, float t) {
  static TitleCard card;
  if (mode == 0)
    card.prepare(cardDesigns[k]);
  else if (mode == 1)
    card.drawFrame(cardDesigns[k], t);
}

}  // namespace

CardCamera placeCardCamera(const CardDesign& design, KeyTrack& cameraTrack, float t,
                           float& spinAngle) {
  CardCamera camera{};
  if (t < orbitEnd) {
    const float theta = t * 8.3775778f;  // one full turn over 0..0.75
    camera.eye[0] = orbitRadius * std::sin(theta);
    camera.eye[1] = design.eyeLift * std::sin(theta);
    camera.eye[2] = orbitRadius * std::cos(theta);
  } else if (t < dollyEnd) {
    sampleTrack(cameraTrack, t, camera.eye);
  } else {
    camera.eye[2] = 300;
  }

  if (!design.beatDriven) {
    camera.spin = 60 * t;
    return camera;
  }
  // Beats every 0.0185 (407 ms) from 0.006818, each window 0.003 long.
  for (int i = 0; i <= 41; ++i) {
    const float b = i * 0.0185f + 0.006818f;
    if (b < t && t < b + 0.003f) {
      spinAngle += (t - b) * 2000;
      camera.centre[0] = 10 * std::sin(1000 * t);
      camera.centre[1] = 10 * std::cos(1000 * t);
      break;
    }
  }
  camera.spin = spinAngle;
  return camera;
}

void titleCard1(int8_t mode, float t) { playTitleCard<0>(mode, t); }
void titleCard2(int8_t mode, float t) { playTitleCard<1>(mode, t); }
void titleCard3(int8_t mode, float t) { playTitleCard<2>(mode, t); }
void titleCard4(int8_t mode, float t) { playTitleCard<3>(mode, t); }
