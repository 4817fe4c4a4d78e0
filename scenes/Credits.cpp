// The credits: the group's two members and their roles. Every word is printed once onto two
// texture pages; the chapter only shows rectangles cut from them: flip cards with the roles, a
// spinning label with each name, and a small red thumbnail, over four sphere-mapped rings with a
// glow, one large translucent ring and a torus and cube wearing the credit page, seen by an eye
// that orbits, cuts to two camera moves and orbits again. It opens from white and ends in white.
//
//   t 0.0   .. 0.1    white fades away
//   t 0.2   .. 0.233  "CoDe /" and "DeSigne" flip in; the coder's name turns in after them
//   t 0.5   .. 0.533  the first cards flip out
//   t 0.533 .. 0.567  "MuSic /" and "GraPhix" flip in; the musician's name turns in after them
//   t 0.8   .. 0.833  the second cards flip out
//   t 0.9   .. 1.0    fade to white
#include "scenes/Credits.h"

#include "geometry/Shapes.h"
#include "platform/Gl.h"
#include "render/BitmapFont.h"
#include "render/GlState.h"
#include "render/Glow.h"
#include "render/KeyTrack.h"
#include "render/Texture.h"
#include "scenes/Scenes.h"
#include "scenes/SharedLists.h"

#include <cmath>

// Rectangles of the pages that frame one word each, or the top of the credit page (page
// v = 0 at the bottom). The face the show carries for "Impact" sets "OlmiA" a texel wider than
// its frame had room for, so that frame reaches a little further right.
const TextureRect cardRects[4] = {
    {0.0f, 0.03f, 0.62f, 0.2f},   // "GraPhix"
    {0.0f, 0.23f, 0.61f, 0.19f},  // "MuSic /"
    {0.0f, 0.62f, 0.66f, 0.2f},   // "DeSigne"
    {0.4f, 0.82f, 0.59f, 0.18f},  // "CoDe /", the first line without the name
};
const TextureRect labelRects[2] = {
    {0.0f, 0.82f, 0.4f, 0.18f},   // "vuro", the coder
    {0.0f, 0.42f, 0.44f, 0.19f},  // "OlmiA", the musician
};
const TextureRect thumbnailRect = {0.0f, 0.525f, 0.86f, 0.475f};  // heading and three lines

namespace {

const float dimGrey[4] = {0.1f, 0.1f, 0.1f, 1.0f};

// What is printed where on a page, in the overlay space mapped onto the 512 x 512 page.
struct PageLine {
  int x, y;
  const char* text;
};

// "Impact" 100, blurred: the names and the roles.
const PageLine wordLines[5] = {
    {-400, 200, "vuro CoDe /"},
    {-400, 90, "DeSigne"},
    {-400, -40, "OlmiA"},
    {-400, -150, "MuSic /"},
    {-400, -270, "GraPhix"},
};

// "Times New Roman" 40, sharp, under the heading "Credit" in "Impact".
const PageLine creditLines[9] = {
    {-300, 130, "the role of this demo."},
    {-300, 80, "we T.e.v.O. consist of"},
    {-300, 30, "only 2 members now."},
    {-300, -20, "Each Primary Role :"},
    {-300, -70, "vuro - code ,"},
    {-300, -120, "OlmiA - music"},
    {-300, -170, "but we have't enough"},
    {-300, -220, "members, so other role"},
    {-300, -270, "are our part too;;"},
};

// A label's or a card pair's time on screen: it turns in after `in`, is fully there from
// `shown` to `leave`, turns away after that and is gone from `gone` on.
struct Appearance {
  float in, shown, leave, gone;
};

enum class Stage { Waiting, TurningIn, Shown, TurningAway, Gone };

Stage stageAt(const Appearance& appearance, float t) {
  if (t <= appearance.in) return Stage::Waiting;
  if (t < appearance.shown) return Stage::TurningIn;
  if (t <= appearance.leave) return Stage::Shown;
  if (t < appearance.gone) return Stage::TurningAway;
  return Stage::Gone;
}

// The name labels. While it is fully shown a label leaves a fading trail, strength
// v = 1 - (t - trailFull) * 100, until trailEnd; it is captured for that trail until captureEnd.
struct NameLabel {
  int rect;
  float colour[3];
  Appearance appearance;
  float fadeRate;  // how fast it darkens while it spins away
  float trailFull, trailEnd, captureEnd;
};

const NameLabel nameLabels[2] = {
    {0, {1.0f, 0.2f, 0.0f}, {0.233333f, 0.266666f, 0.35f, 0.533333f},
     6.0f, 0.28f, 0.29f, 0.3f},  // the coder, red-orange
    {1, {0.0f, 0.5f, 1.0f}, {0.566666f, 0.599999f, 0.683324f, 0.833333f},
     7.0f, 0.613324f, 0.623324f, 0.633324f},  // the musician, blue
};

// The two pairs of role cards: card A over card B, both flipping about their vertical axis.
struct CardPair {
  int cardA, cardB;
  Appearance appearance;
};

const CardPair cardPairs[2] = {
    {3, 2, {0.2f, 0.233333f, 0.5f, 0.533333f}},     // "CoDe /" over "DeSigne"
    {1, 0, {0.533333f, 0.566666f, 0.8f, 0.833333f}},  // "MuSic /" over "GraPhix"
};

// The second label and the second pair own the middle of the chapter; the first ones the rest,
// where they wait dark or edge-on.
const NameLabel& nameLabelAt(float t) {
  return t >= nameLabels[0].appearance.gone && t < nameLabels[1].appearance.gone ? nameLabels[1]
                                                                                  : nameLabels[0];
}

const CardPair& cardPairAt(float t) {
  return t >= cardPairs[0].appearance.gone && t < cardPairs[1].appearance.gone ? cardPairs[1]
                                                                              : cardPairs[0];
}

// The backdrop eye's two camera moves, (x, y, z) at a time.
const TrackKey eyeKeysA[2] = {{600.0f, 300.0f, 400.0f, 0.25f}, {150.0f, 100.0f, 200.0f, 0.5f}};
const TrackKey eyeKeysB[2] = {{600.0f, -300.0f, 400.0f, 0.5f}, {0.0f, 0.0f, -300.0f, 0.815f}};

// One quad of w x h units showing the rectangle of the bound page upright.
void drawPageQuad(const TextureRect& rect, float halfWidth, float halfHeight) {
  glBegin(GL_QUADS);
  glTexCoord2f(rect.s0, rect.t0);
  glVertex3f(-halfWidth, -halfHeight, 0.0f);
  glTexCoord2f(rect.s0 + rect.ds, rect.t0);
  glVertex3f(halfWidth, -halfHeight, 0.0f);
  glTexCoord2f(rect.s0 + rect.ds, rect.t0 + rect.dt);
  glVertex3f(halfWidth, halfHeight, 0.0f);
  glTexCoord2f(rect.s0, rect.t0 + rect.dt);
  glVertex3f(-halfWidth, halfHeight, 0.0f);
  glEnd();
}

void printPage(const BitmapFont& font, const PageLine* lines, int count) {
  for (int i = 0; i < count; ++i) {
    glRasterPos3i(lines[i].x, lines[i].y, 0);
    printText(font, lines[i].text);
  }
}

// Four sphere-mapped rings, turning; the caller has bound the sphere picture. Rings 1 to 3 are
// drawn unlit under the bars; the letterbox switches lighting back on, so ring 4 is lit and
// stands over the bars.
void drawRingGroup(float t) {
  glLoadIdentity();
  gluLookAt(0, 0, 130, 0, 0, 0, 0, 1, 0);
  setSphereMap(true);
  glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
  glTranslatef(40.0f, 0.0f, 0.0f);
  glRotatef(-70.0f, 0.0f, 1.0f, 0.0f);
  glRotatef(90.0f, 1.0f, 0.0f, 0.0f);

  glPushMatrix();
  glTranslatef(-98.0f, 0.0f, -60.0f);
  glPushMatrix();
  glRotatef(-1000.0f * t - 30.0f, 0.0f, 1.0f, 0.0f);
  glCallList(sharedMeshList);
  glPopMatrix();
  glTranslatef(-98.0f, 0.0f, 60.0f);
  glPushMatrix();
  glRotatef(1000.0f * t - 15.0f, 0.0f, 1.0f, 0.0f);
  glCallList(sharedMeshList);
  glPopMatrix();
  glTranslatef(0.0f, 0.0f, 115.0f);
  glPushMatrix();
  glRotatef(-1000.0f * t - 25.0f, 0.0f, 1.0f, 0.0f);
  glCallList(sharedMeshList);
  glPopMatrix();
  glPopMatrix();

  drawLetterbox(3);
  glPushMatrix();
  glRotatef(1000.0f * t, 0.0f, 1.0f, 0.0f);
  glCallList(sharedMeshList);
  glPopMatrix();
  setSphereMap(false);
}

// The credit page on a torus and a cube, adding a fifth of its brightness, seen by the eye.
void drawCreditBackdrop(float t, Texture& page) {
  glDepthMask(GL_FALSE);
  float eye[3];
  creditBackdropEye(t, eye);
  disableFog(true);
  setPerspective(60.0);
  gluLookAt(eye[0], eye[1], eye[2], 100, 0, 0, 0, 1, 0);
  glDisable(GL_LIGHTING);
  beginBlend(GL_SRC_ALPHA, GL_ONE, false);
  glColor4f(1.0f, 1.0f, 1.0f, 0.2f);
  page.bindTexture(0);
  glCallList(backdropTorusList);
  drawCube(100.0f);
  unbindTexture();
  endBlend();
  setPerspective(60.0);
  glLoadIdentity();
  glDepthMask(GL_TRUE);
}

// A small red copy of the credit page's top, a dark panel that dims what lies behind it.
void drawCreditThumbnail(Texture& page) {
  glColor4f(1.0f, 0.0f, 0.0f, 0.8f);
  setOrtho();
  glDisable(GL_LIGHTING);
  beginBlend(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, true);
  glPushMatrix();
  glTranslatef(-300.0f, -170.0f, 0.0f);
  page.bindTexture(0);
  drawPageQuad(thumbnailRect, 80.0f, 40.0f);
  unbindTexture();
  glPopMatrix();
  endBlend();
  setPerspective(60.0);
}

}  // namespace

void creditBackdropEye(float t, float* eye) {
  static KeyTrack eyePathA(eyeKeysA, 2);
  static KeyTrack eyePathB(eyeKeysB, 2);
  if (t < 0.25f || t > 0.815f) {
    const float w = 12.56637f * t;
    eye[0] = 250.0f * std::sin(w);
    eye[1] = 250.0f * std::sin(w);
    eye[2] = 250.0f * std::cos(w);
  } else if (t < 0.5f) {
    sampleTrack(eyePathA, t, eye);
  } else {
    sampleTrack(eyePathB, t, eye);
  }
}

void drawNameLabel(float t, Texture& page) {
  glDisable(GL_LIGHTING);
  disableFog(true);
  glLoadIdentity();
  gluLookAt(0, 0, 130, 0, 0, 0, 0, 1, 0);
  glTranslatef(45.0f, 0.0f, 0.0f);
  glRotatef(-70.0f, 0.0f, 1.0f, 0.0f);

  const NameLabel& label = nameLabelAt(t);
  const Appearance& when = label.appearance;
  float spin = 0.0f;
  float brightness = 0.0f;  // waiting or gone: drawn black, which adds nothing
  switch (stageAt(when, t)) {
    case Stage::TurningIn:
      spin = (t - when.shown) * 1000.0f;
      brightness = (t - when.in) * 30.0f;
      break;
    case Stage::Shown:
      brightness = 1.0f;
      break;
    case Stage::TurningAway:
      // Darkens below zero before it is gone; the colour clamps that to black.
      spin = (t - when.leave) * 1000.0f;
      brightness = 1.0f - (t - when.leave) * label.fadeRate;
      break;
    case Stage::Waiting:
    case Stage::Gone:
      break;
  }
  glRotatef(spin, 0.0f, 0.0f, 1.0f);
  glColor4f(label.colour[0] * brightness, label.colour[1] * brightness,
            label.colour[2] * brightness, 1.0f);
  page.bindTexture(0);
  beginBlend(GL_ONE, GL_ONE, true);
  drawPageQuad(labelRects[label.rect], 20.0f, 8.0f);
  endBlend();
  disableFog(false);
  unbindTexture();
}

void drawRoleCards(float t, Texture& page) {
  glLoadIdentity();
  setOrtho();
  glDepthMask(GL_FALSE);
  disableFog(true);
  page.bindTexture(0);

  const CardPair& pair = cardPairAt(t);
  const Appearance& when = pair.appearance;
  float flip = 90.0f;  // edge-on: not seen
  switch (stageAt(when, t)) {
    case Stage::TurningIn:
      flip = 90.0f * (1.0f - (t - when.in) * 30.0f);
      break;
    case Stage::Shown:
      flip = 0.0f;
      break;
    case Stage::TurningAway:
      flip = (t - when.leave) * 2700.0f;
      break;
    case Stage::Waiting:
    case Stage::Gone:
      break;
  }
  glDisable(GL_LIGHTING);
  beginBlend(GL_ONE, GL_ONE, true);
  glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
  glPushMatrix();
  glTranslatef(-260.0f, 210.0f, 0.0f);
  glRotatef(flip, 0.0f, 1.0f, 0.0f);
  drawPageQuad(cardRects[pair.cardA], 110.0f, 30.0f);
  glPopMatrix();
  glPushMatrix();
  glTranslatef(-140.0f, 140.0f, 0.0f);
  glRotatef(flip, 0.0f, 1.0f, 0.0f);
  drawPageQuad(cardRects[pair.cardB], 110.0f, 30.0f);
  glPopMatrix();
  endBlend();
  glDepthMask(GL_TRUE);
  disableFog(false);
  unbindTexture();
}

void paintWordPage(Texture& page, const BitmapFont& impact) {
  glDisable(GL_LIGHTING);
  setOrtho();
  glLoadIdentity();
  page.beginCapture(0.0f, 0.0f, 0.0f, 1.0f);
  glColor3f(1.0f, 1.0f, 1.0f);
  printPage(impact, wordLines, 5);
  captureGlow(page, 2);
}

void paintCreditPage(Texture& page, const BitmapFont& impact, const BitmapFont& times) {
  glDisable(GL_LIGHTING);
  setOrtho();
  glLoadIdentity();
  page.beginCapture(0.0f, 0.0f, 0.0f, 1.0f);
  glColor3f(1.0f, 1.0f, 1.0f);
  glRasterPos3i(-400, 200, 0);
  printText(impact, "Credit");
  printPage(times, creditLines, 9);
  captureGlow(page, 5);
}

void creditScene(int8_t mode, float t) {
  static Texture sphereTexture;
  static Texture ringGlow = createRenderTarget(512, 512, 1);
  static Texture labelGlow = createRenderTarget(256, 256, 1);
  static Texture creditPage = createRenderTarget(512, 512, 1);
  static Texture wordPage = createRenderTarget(512, 512, 1);
  static uint8_t firstFrame = 1;

  if (mode == 0) {
    sphereTexture.loadJpg("data/texture/sphere.jpg");
    BitmapFont impact;
    createFont(impact, "Impact", 100, 400, 0, 0);
    BitmapFont times;
    createFont(times, "Times New Roman", 40, 400, 0, 0);

    paintWordPage(wordPage, impact);
    paintCreditPage(creditPage, impact, times);
    firstFrame = 1;
    releaseFont(times);
    releaseFont(impact);
    return;
  }
  if (mode != 1) return;

  if (firstFrame) {
    glDisable(GL_LIGHTING);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    setFog(GL_EXP2, 0.005f, 0.0f, 0.0f, dimGrey);
    firstFrame = 0;
  }
  glClear(GL_DEPTH_BUFFER_BIT);
  glLoadIdentity();
  setPerspective(60.0);
  disableFog(true);

  // The rings, without fog, into the glow target.
  ringGlow.beginCapture(0.0f, 0.0f, 0.0f, 1.0f);
  sphereTexture.bindTexture(0);
  drawRingGroup(t);
  unbindTexture();
  captureGlow(ringGlow, 2);

  // The name label, for its trail, just while the trail can show.
  const NameLabel& label = nameLabelAt(t);
  const bool trailWindow = t > label.appearance.shown;
  if (trailWindow && t < label.captureEnd) {
    labelGlow.beginCapture(0.0f, 0.0f, 0.0f, 1.0f);
    drawNameLabel(t, wordPage);
    captureGlow(labelGlow, 5);
  }

  clearScreen(dimGrey[0], dimGrey[1], dimGrey[2], dimGrey[3]);
  drawCreditBackdrop(t, creditPage);

  // The large ring, translucent, glowing in its own blue fog.
  disableFog(false);
  gluLookAt(0, 0, 130, 0, 0, 0, 0, 1, 0);
  setSphereMap(true);
  sphereTexture.bindTexture(0);
  glDisable(GL_LIGHTING);
  glColor3f(1.0f, 1.0f, 1.0f);
  setFogColour(0.0f, 0.3f, 0.5f, 1.0f);
  beginBlend(GL_SRC_COLOR, GL_ONE, true);
  glPushMatrix();
  glTranslatef(20.0f, 0.0f, 60.0f);
  glRotatef(20.0f, 0.0f, 1.0f, 0.0f);
  glRotatef(90.0f, 1.0f, 0.0f, 0.0f);
  glRotatef(-300.0f * t - 135.0f, 0.0f, 1.0f, 0.0f);
  glCallList(sharedMeshList);
  glPopMatrix();
  endBlend();
  setSphereMap(false);
  setFogColour(dimGrey[0], dimGrey[1], dimGrey[2], dimGrey[3]);

  // The rings again, fading into the grey fog, and their glow.
  sphereTexture.bindTexture(0);
  drawRingGroup(t);
  unbindTexture();
  setOverlayBlend(ringGlow, GL_SRC_ALPHA, GL_ONE);
  overlayGlowOnce(ringGlow, 1.0f);

  drawNameLabel(t, wordPage);
  drawRoleCards(t, wordPage);

  // The label's trail: zooming layers drifting sideways while they fade.
  if (trailWindow && t < label.trailEnd) {
    const float strength = 1.0f - (t - label.trailFull) * 100.0f;
    const TrailInsets insets = {0.007f, (t - 0.007f) - label.appearance.shown, 0.016f, 0.016f};
    setOverlayBlend(labelGlow, GL_SRC_ALPHA, GL_ONE);
    overlayGlowTrail(labelGlow, 0.3f * strength, 0.0f, 20, insets);
  }

  drawCreditThumbnail(creditPage);

  // White at both ends.
  if (t < 0.1f || t > 0.9f) {
    setOrtho();
    glLoadIdentity();
    const float alpha = t < 0.1f ? 1.0f - 10.0f * t : 10.0f * (t - 0.9f);
    glColor4f(1.0f, 1.0f, 1.0f, alpha);
    beginBlend(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, true);
    drawFlatQuad(800.0f, 600.0f, 1.0f);
    endBlend();
    setPerspective(60.0);
  }
}
