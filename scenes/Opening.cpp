// The opening. A white cog wheel turns alone in the dark, travels to the upper right and settles
// into a hole cut into the first logo picture; two smaller wheels fade in beside it and the
// three turn against each other while a chrome ring spins close in front and the frame glows.
// The picture then breaks into 80 tiles that flip over in two sweeps to the second logo, whose
// holes sit mirrored through the centre, and twenty black bars wipe the screen to black.
// Short bursts of shake punctuate the scene from 9.9 s on.
#include "geometry/Shapes.h"
#include "platform/Gl.h"
#include "render/GlState.h"
#include "render/Glow.h"
#include "render/KeyTrack.h"
#include "render/Light.h"
#include "render/Texture.h"
#include "scenes/OpeningParts.h"
#include "scenes/Scenes.h"
#include "scenes/SharedLists.h"

#include <cmath>

namespace {

// Phase lower bounds in t; phase p runs from phaseStarts[p - 1] up to (not including) the next.
const float phaseStarts[] = {0.0f, 0.11f, 0.225f, 0.3f, 0.55f, 0.6f, 0.85f};

struct ShakeWindow {
  int phase;
  float from;  // open interval (from, to) in t
  float to;
};

const ShakeWindow shakeWindows[] = {
    {4, 0.33f, 0.333f},  {4, 0.386f, 0.389f}, {4, 0.442f, 0.445f}, {4, 0.498f, 0.502f},
    {5, 0.554f, 0.557f},
    {6, 0.605f, 0.608f}, {6, 0.655f, 0.658f}, {6, 0.66f, 0.663f},   {6, 0.718f, 0.721f},
    {6, 0.768f, 0.771f}, {6, 0.818f, 0.821f}, {6, 0.823f, 0.826f},
    {7, 0.881f, 0.884f}, {7, 0.929f, 0.932f}, {7, 0.934f, 0.937f}, {7, 0.954f, 0.957f},
    {7, 0.959f, 0.962f},
};

// The holes in the picture, one per gear, in the overlay space.
struct HolePosition {
  float x, y, z;
};
const HolePosition holeTable[3] = {{330, 220, 0}, {400, 30, 0}, {170, 270, 0}};

// Each gear: the black disc cut around it, its ring of tapered boxes, and its turn in degrees
// as angle0 + turnRate * t.
struct GearRecord {
  float holeRadius;
  float ringRadius;
  int32_t boxes;
  float innerSide, outerSide, length;
  float angle0;
  float turnRate;
};
const GearRecord gearTable[3] = {
    {145, 100, 12, 15, 10, 60, 0, 360},
    {96, 66, 10, 10, 6.6f, 40, 10, -428},
    {65, 40, 8, 8, 4.4f, 30, 25, -535},
};
constexpr int32_t holeSegments = 25;

const TrackKey gearPathKeys[2] = {{0, 0, 0, 0.11f}, {330, 220, 0, 0.225f}};

const float wipeStartTable[wipeBars] = {
    0.8825f, 0.8776f, 0.892f, 0.85f,   0.8913f, 0.8845f, 0.85f,   0.8689f, 0.855f,  0.8722f,
    0.8656f, 0.8931f, 0.9f,   0.87f,   0.8667f, 0.8982f, 0.8833f, 0.8656f, 0.8865f, 0.8812f,
};

void drawHoleDisc(float x, float y, float /*z: every disc lies at 10*/, float radius,
                  int32_t segments) {
  glPushMatrix();
  glTranslatef(x, y, 10);
  drawDisc(radius, segments);
  glPopMatrix();
}

void drawPlacedGear(float x, float y, float z, float radius, int32_t boxes, float p1, float p2,
                    float p3, float angle) {
  glPushMatrix();
  glTranslatef(x, y, z);
  glRotatef(-20, 0, 1, 0);
  glRotatef(angle, 0, 0, 1);
  drawBoxRing(radius, boxes, p1, p2, p3);
  glPopMatrix();
}

void drawGear(int g, float t) {
  const HolePosition& h = holeTable[g];
  const GearRecord& r = gearTable[g];
  drawPlacedGear(h.x, h.y, h.z, r.ringRadius, r.boxes, r.innerSide, r.outerSide, r.length,
                 r.angle0 + r.turnRate * t);
}

// The three wheels in their holes, in the current colour.
void drawGearSet(float t) {
  for (int g = 0; g < 3; ++g) drawGear(g, t);
}

void drawHoleDiscs() {
  for (int g = 0; g < 3; ++g) {
    const HolePosition& h = holeTable[g];
    drawHoleDisc(h.x, h.y, h.z, gearTable[g].holeRadius, holeSegments);
  }
}

// Tilts the view direction of the overlay space by the shake, so what follows jitters.
void lookWithShake(ShakeOffset shake) { gluLookAt(0, 0, 0, shake.x, shake.y, -1, 0, 1, 0); }

struct OpeningScene {
  Texture logo1Texture;
  Texture logo2Texture;
  Texture sphereTexture;
  Texture mainCapture = createRenderTarget(512, 512, 1);   // the glowing frame
  Texture frontCapture = createRenderTarget(512, 512, 1);  // the picture on the tile fronts
  Texture backCapture = createRenderTarget(512, 512, 1);   // the picture on the tile backs
  KeyTrack gearPath;
  TileRecord tileTable[tileCount];
  float tileStartTimes[tilePairs] = {};
  float wipeStartTimes[wipeBars] = {};
  float wipeLengths[wipeBars] = {};
  bool firstFrame = false;

  void prepare() {
    logo1Texture.loadJpg("data/texture/logo1.jpg");
    logo2Texture.loadJpg("data/texture/logo2.jpg");
    sphereTexture.loadJpg("data/texture/sphere.jpg");
    setKeys(gearPath, gearPathKeys, 2);
    for (int row = 0; row < tileRows; ++row)
      for (int column = 0; column < tileColumns; ++column) {
        TileRecord& tile = tileTable[tileColumns * row + column];
        tile = TileRecord{};
        tile.x = 360.0f - 80.0f * column;
        tile.y = 262.5f - 75.0f * row;
      }
    for (int k = 0; k < 4; ++k)
      for (int j = 0; j < 10; ++j) tileStartTimes[10 * k + j] = (0.56f + 0.001f * j) + 0.002f * k;
    for (int i = 0; i < wipeBars; ++i) {
      wipeLengths[i] = 0;
      wipeStartTimes[i] = wipeStartTable[i];
    }
    firstFrame = true;
  }

  void drawFrame(float t) {
    if (firstFrame) {  // a directional light from +z of the view
      glEnable(GL_LIGHTING);
      sceneLight->setW(0);
      sceneLight->setPosition(0, 0, 1);
      firstFrame = false;
    }
    setOrtho();
    switch (openingPhase(t)) {
      case 1: drawLoneGear(t, false); break;
      case 2: drawLoneGear(t, true); break;
      case 3: drawPictureAppearing(t); break;
      case 4: drawPictureWithGears(t); break;
      case 5: drawTileFlip(t); break;
      case 6: drawSecondPicture(t); break;
      default: drawWipe(t); break;
    }
  }

  // Phases 1 and 2: gear 1 alone on black, tilted back; from 3.3 s it straightens and travels
  // to hole 1.
  void drawLoneGear(float t, bool travelling) {
    glPushMatrix();
    float tilt = -60;
    if (travelling) {
      float at[3];
      sampleTrack(gearPath, t, at);
      glTranslatef(at[0], at[1], at[2]);
      tilt = (0.2f - t) * -600.0f;
    }
    glRotatef(tilt, 1, 0, 0);
    glRotatef(-20, 0, 1, 0);
    glRotatef(360 * t, 0, 0, 1);
    glColor4f(1, 1, 1, 1);
    drawBoxRing(100, 12, 15, 10, 60);
    glPopMatrix();
  }

  // The first picture with its black holes at depth zq, and the chrome ring spinning close in
  // front of it at mx, captured and blurred into mainCapture.
  void drawPicture1Pass(float t, float zq, bool halfTurn, float mx) {
    mainCapture.beginCapture(0, 0, 0, 1);
    glTranslatef(0, 0, zq);
    if (halfTurn) glRotatef(180, 0, 0, 1);
    logo1Texture.bindTexture(0);
    drawFlatQuad(800, 600, 1);
    unbindTexture();
    glColor3f(0, 0, 0);
    drawHoleDiscs();
    glColor3f(1, 1, 1);
    glClear(GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    setPerspective(60);
    glTranslatef(mx, 0, -50);
    glRotatef(90, 1, 0, 0);
    glRotatef(200 * t, 0, 1, 0);
    setSphereMap(true);
    sphereTexture.bindTexture(0);
    glColor3f(0.8f, 0.8f, 1);
    glCallList(sharedMeshList);
    unbindTexture();
    setSphereMap(false);
    glColor3f(1, 1, 1);
    captureGlow(mainCapture, 2);
  }

  // Phase 3: the glowing picture fades in from half strength; gear 1 sits sharp in its hole
  // and gears 2 and 3 fade in with it.
  void drawPictureAppearing(float t) {
    const float a = (t - 0.2f) * 20.0f;  // above 1 after 7.5 s, where the colour clamps
    drawPicture1Pass(t, -200, false, 20);
    overlayGlowOnce(mainCapture, a);
    setOrtho();
    glTranslatef(0, 0, 100);
    glColor4f(1, 1, 1, 1);
    drawGear(0, t);
    beginBlend(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, false);
    glColor4f(1, 1, 1, a);
    drawGear(1, t);
    drawGear(2, t);
    endBlend();
  }

  // The three gears sharp over a fresh overlay view, shaken in the phase's windows and turned
  // by a half turn where asked (phases 4 and 5).
  void drawShakenGears(int phase, float t, bool halfTurn) {
    const ShakeOffset shake = shakeOffset(phase, t);
    setOrtho();
    glLoadIdentity();
    lookWithShake(shake);
    glTranslatef(0, 0, 100);
    if (halfTurn) glRotatef(180, 0, 0, 1);
    glColor4f(1, 1, 1, 1);
    drawGearSet(t);
  }

  // Phase 4: the glowing picture with the ring sliding from 20 to 10, the three gears sharp on
  // top, shaken in the phase's windows.
  void drawPictureWithGears(float t) {
    drawPicture1Pass(t, -300, false, 20 - (t - 0.3f) * 40);
    overlayGlowOnce(mainCapture, 1);
    drawShakenGears(4, t, false);
    setOrtho();
  }

  // Phase 5: the frame of phase 4 goes onto the tile fronts and the second picture onto their
  // backs, both turned by a half turn that the tiles turn back; then the tiles flip over.
  void drawTileFlip(float t) {
    drawPicture1Pass(t, -300, true, -10);
    frontCapture.beginCapture(0, 0, 0, 1);
    overlayGlowOnce(mainCapture, 1);
    drawShakenGears(5, t, true);
    captureGlow(frontCapture, 5);  // a plain copy
    setOrtho();

    backCapture.beginCapture(0, 0, 0, 1);
    glTranslatef(0, 0, -300);
    glPushMatrix();
    glRotatef(180, 0, 0, 1);
    logo2Texture.bindTexture(0);
    drawFlatQuad(800, 600, 1);
    unbindTexture();
    glPopMatrix();
    glColor4f(0, 0, 0, 1);
    drawHoleDiscs();
    glColor4f(1, 1, 1, 1);
    glTranslatef(0, 0, 100);
    drawGearSet(t);
    captureGlow(backCapture, 2);
    setOrtho();

    advanceTiles(tileTable, tileStartTimes, t);
    glColor4f(1, 1, 1, 1);
    glPushMatrix();
    for (int row = 0; row < tileRows; ++row)
      for (int column = 0; column < tileColumns; ++column) {
        const TileRecord& tile = tileTable[tileColumns * row + column];
        glPushMatrix();
        glTranslatef(tile.x, tile.y, -300);
        glRotatef(tile.angle, tile.axisX, tile.axisY, tile.axisZ);
        drawTileBox(80, 75, 2, 0.1f * column, 0.125f * row, &frontCapture, &backCapture);
        glPopMatrix();
      }
    glPopMatrix();
  }

  // The second picture with the holes and gears mirrored through the centre, all of it drawn
  // into mainCapture (steps shared by phases 6 and 7). Phase 6 sets the overlay projection
  // again before the shaken view; phase 7 keeps the one from the start of the frame.
  void drawSecondPictureCapture(float t, int phase) {
    mainCapture.beginCapture(0, 0, 0, 1);
    glTranslatef(0, 0, -300);
    glPushMatrix();
    logo2Texture.bindTexture(0);
    drawFlatQuad(800, 600, 1);
    unbindTexture();
    glPopMatrix();
    glRotatef(180, 0, 0, 1);  // kept: holes, gears and bars are mirrored through the centre
    glColor4f(0, 0, 0, 1);
    drawHoleDiscs();
    glColor4f(1, 1, 1, 1);
    const ShakeOffset shake = shakeOffset(phase, t);
    if (phase == 6) setOrtho();
    lookWithShake(shake);  // onto the current matrix: the whole captured frame jitters
    glTranslatef(0, 0, 100);
    drawGearSet(t);
  }

  // Phase 6: the second picture, all inside the glow.
  void drawSecondPicture(float t) {
    drawSecondPictureCapture(t, 6);
    captureGlow(mainCapture, 2);
    overlayGlowOnce(mainCapture, 1);
    setOrtho();
  }

  // Phase 7: as phase 6, with the black bars sliding over it inside the glow.
  void drawWipe(float t) {
    drawSecondPictureCapture(t, 7);
    glTranslatef(0, 0, 100);
    drawStripeWipe(t, wipeStartTimes, wipeLengths);
    captureGlow(mainCapture, 2);
    overlayGlowOnce(mainCapture, 1);
  }
};

OpeningScene* theOpening = nullptr;

}  // namespace

int openingPhase(float t) {
  int phase = 1;
  for (int p = 1; p < 7; ++p)
    if (t >= phaseStarts[p]) phase = p + 1;
  return phase;
}

ShakeOffset shakeOffset(int phase, float t) {
  for (const ShakeWindow& w : shakeWindows)
    if (w.phase == phase && t > w.from && t < w.to)
      return {0.05f * std::sin(10000 * t), 0.05f * std::cos(10000 * t)};
  return {};
}

void advanceTiles(TileRecord* tiles, const float* tileStartTimes, float t) {
  for (int k = 0; k < tilePairs; ++k) {
    const float start = tileStartTimes[k];
    if (!(t > start)) continue;
    TileRecord& forward = tiles[k];
    if (forward.angle < 180)
      forward.angle = (t - start) * 6000;
    else if (forward.angle > 180)
      forward.angle = 180;
    TileRecord& backward = tiles[tileCount - 1 - k];
    if (backward.angle > -180)
      backward.angle = (t - start) * -6000;
    else if (backward.angle < -180)
      backward.angle = -180;
  }
}

void drawDisc(float radius, int32_t segments) {
  const float step = 6.283185f / segments;
  float a = 0;
  glBegin(GL_TRIANGLE_FAN);
  glVertex3f(0, 0, 0);
  for (int32_t i = 0; i <= segments; ++i) {
    glVertex3f(radius * std::cos(a), radius * std::sin(a), 0);
    a += step;
  }
  glEnd();
}

void drawTileBox(float width, float height, float depth, float cellU, float cellV,
                 Texture* frontTexture, Texture* backTexture) {
  const float w = width / 2, h = height / 2, d = depth / 2;
  const TextureRect cell{cellU, cellV, 0.1f, 0.125f};
  drawBoxPictureFace(BoxFace::Front, width, height, depth, cell, frontTexture);
  drawBoxPictureFace(BoxFace::Back, width, height, depth, cell, backTexture);

  // The rims: top, right and left keep the last texture coordinate given.
  glBegin(GL_QUADS);
  glNormal3f(0, 1, 0);
  glVertex3f(w, h, d);
  glVertex3f(w, h, -d);
  glVertex3f(-w, h, -d);
  glVertex3f(-w, h, d);
  glNormal3f(1, 0, 0);
  glVertex3f(w, h, -d);
  glVertex3f(w, h, d);
  glVertex3f(w, -h, d);
  glVertex3f(w, -h, -d);
  glNormal3f(-1, 0, 0);
  glVertex3f(-w, h, d);
  glVertex3f(-w, h, -d);
  glVertex3f(-w, -h, -d);
  glVertex3f(-w, -h, d);
  glNormal3f(0, -1, 0);
  glTexCoord2f(0, 0);
  glVertex3f(-w, -h, d);
  glTexCoord2f(1, 0);
  glVertex3f(-w, -h, -d);
  glTexCoord2f(1, 1);
  glVertex3f(w, -h, -d);
  glTexCoord2f(0, 1);
  glVertex3f(w, -h, d);
  glEnd();
  unbindTexture();
}

void drawStripeWipe(float t, const float* starts, float* lengths) {
  setOrtho();
  glDepthMask(GL_FALSE);
  glDisable(GL_LIGHTING);
  glColor4f(0, 0, 0, 1);
  for (int i = 0; i < wipeBars; ++i) {
    if (!(t > starts[i])) continue;
    lengths[i] = (t - starts[i]) * 8800;  // not clamped: a bar grows on past the far edge
    const float y0 = 300.0f - 30.0f * i;
    const float y1 = 300.0f - 30.0f * (i + 1);
    glBegin(GL_TRIANGLE_STRIP);
    if (i % 2 == 1) {  // from the left edge
      glVertex2f(-400, y0);
      glVertex2f(-400, y1);
      glVertex2f(lengths[i] - 400, y0);
      glVertex2f(lengths[i] - 400, y1);
    } else {  // from the right edge
      glVertex2f(400 - lengths[i], y0);
      glVertex2f(400 - lengths[i], y1);
      glVertex2f(400, y0);
      glVertex2f(400, y1);
    }
    glEnd();
  }
  glColor4f(1, 1, 1, 1);
  glDepthMask(GL_TRUE);
  glEnable(GL_LIGHTING);
}

const TileRecord* openingTiles() { return theOpening ? theOpening->tileTable : nullptr; }

void openingScene(int8_t mode, float t) {
  static OpeningScene scene;
  theOpening = &scene;
  if (mode == 0)
    scene.prepare();
  else if (mode == 1)
    scene.drawFrame(t);
}
