// The tunnel: a flight through the inside of a huge textured torus. A slow copy of the walls,
// blurred, glows over a fast sharp copy; black fog fades the flight in and out again, four lines
// of green-to-cyan text float by on black, then the flight goes on beside a thin pipe, the
// camera rolls about its view axis and the fog swallows the picture at the end.
//
//   t 0.0 .. 0.3   tunnel, the eye skimming the wall and looking slightly inwards
//   t 0.3 .. 0.5   the text interlude on black, no tunnel
//   t 0.5 .. 1.0   tunnel with the pipe, the eye along the tube; the roll from 0.7
#include "scenes/Tunnel.h"

#include "platform/Gl.h"
#include "render/BitmapFont.h"
#include "render/GlState.h"
#include "render/Glow.h"
#include "render/Texture.h"
#include "scenes/Scenes.h"
#include "scenes/SharedLists.h"

#include <cmath>

const TunnelLine tunnelLines[4] = {
    // The first line is always drawn; its alpha keeps it invisible outside 0.31 .. 0.41.
    {"Don't Close your Eyes", -390, -280, 0.9f, 0.0f, 0.11f, -1.0f,
     -180.0f, 0.3f, 600.0f, 170.0f, 0.31f, 20.0f, 0.36f, 20.0f, 0.4f},
    {"Step by the Front", -390, -200, 0.9f, 0.14f, 0.24f, 0.33f,
     200.0f, 0.33f, -600.0f, -170.0f, 0.33f, 20.0f, 0.38f, 20.0f, 0.6f},
    {"Now ,", -390, -120, 0.5f, 0.24f, 0.37f, 0.36f,
     60.0f, 0.0f, 0.0f, 70.0f, 0.36f, 14.2857f, 0.43f, 33.333332f, 0.8f},
    {"You are a jp Scener", -390, -60, 0.8f, 0.37f, 0.47f, 0.4f,
     -20.0f, 0.0f, 0.0f, -25.0f, 0.4f, 14.2857f, 0.465f, 33.333332f, 1.0f},
};

namespace {

const float black[4] = {0.0f, 0.0f, 0.0f, 1.0f};

// The fog fades from and to black at the ends of both tunnel phases; between the ramps the
// density is left as the last ramp frame set it.
void applyFogRamp(float t) {
  if (t < 0.3f) {
    if (t < 0.05f) setFogDensity(0.1f - 2.0f * t + 0.0022f);
    if (t > 0.28f) setFogDensity((t - 0.28f) * 2.0f + 0.0022f);
  } else {
    if (t < 0.54f) setFogDensity(0.2f - (t - 0.5f) * 5.0f + 0.0022f);
    if (t > 0.96f) setFogDensity((t - 0.96f) * 5.0f + 0.0022f);
  }
}

// One copy of the walls from the camera, turned about the torus axis. The bars come before the
// pipe, so where the pipe passes in front of the wall it covers them too. The letterbox turns
// lighting, texturing and the depth test back on: the pipe is lit and still wears the walls'
// texture.
void drawTunnelLayer(const TunnelCamera& camera, float angle, Texture& walls, bool withPipe) {
  camera.lookAt();
  glRotatef(angle, 0.0f, 1.0f, 0.0f);
  walls.bindTexture(0);
  glCallList(tunnelTorusList);
  drawLetterbox(3);
  if (withPipe) glCallList(pipeTorusList);
  unbindTexture();
}

// Both copies of the walls: the slow one into the glow target, blurred, the fast one sharp on
// screen, then the blur added three times (four beside the pipe).
void drawTunnel(float t, bool withPipe, Texture& glowWalls, Texture& sharpWalls, Texture& glow) {
  applyFogRamp(t);
  // The interlude leaves the overlay projection and its last line's colour behind; the first
  // frame after it must draw the glowing walls like every other, white and in perspective.
  setPerspective(60.0);
  glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
  const TunnelCamera camera = tunnelCamera(t);

  glow.beginCapture(0.0f, 0.0f, 0.0f, 1.0f);
  drawTunnelLayer(camera, -1500.0f * t, glowWalls, withPipe);
  captureGlow(glow, 4);

  // Drawn in the white that the capture leaves; blending is off, so its alpha does not matter.
  drawTunnelLayer(camera, -2000.0f * t, sharpWalls, withPipe);

  setOverlayBlend(glow, GL_SRC_ALPHA, GL_ONE);
  overlayGlow(glow, 1.0f, withPipe ? 4 : 3);
}

}  // namespace

TunnelCamera tunnelCamera(float t) {
  if (t < 0.3f) return {{520.0f, 0.0f, 0.0f}, {515.0f, 0.0f, -10.0f}, {-1.0f, 0.0f, 0.0f}};
  TunnelCamera camera = {{470.0f, 0.0f, 0.0f}, {470.0f, 0.0f, -10.0f}, {-1.0f, 0.0f, 0.0f}};
  if (t > 0.7f) {
    const float a = (t - 0.7f) * 6.283185f;
    camera.up[0] = -std::cos(a);
    camera.up[1] = std::sin(a);
  }
  return camera;
}

void TunnelCamera::lookAt() const {
  gluLookAt(eye[0], eye[1], eye[2], centre[0], centre[1], centre[2], up[0], up[1], up[2]);
}

void drawTunnelTexts(float t, Texture& page) {
  disableFog(true);
  glDisable(GL_LIGHTING);
  setOrtho();
  beginBlend(GL_SRC_ALPHA, GL_ONE, true);
  for (const TunnelLine& line : tunnelLines) {
    if (!(t > line.shownAfter)) continue;
    // Outside its window the alpha leaves 0..1 and the pipeline clamps the line away.
    const float alpha = t < line.peak ? (t - line.riseFrom) * line.riseRate
                                      : 1.0f - (t - line.peak) * line.fallRate;
    const float blue = t < line.peak ? 0.4f : line.blueAfterPeak;
    glPushMatrix();
    glTranslatef(line.slideFrom + (t - line.slideStart) * line.slideSpeed, line.y, 0.0f);
    page.bindTexture(0);
    glColor4f(0.0f, 1.0f, blue, alpha);
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, line.bottom);
    glVertex2f(-150.0f, -30.0f);
    glTexCoord2f(line.right, line.bottom);
    glVertex2f(150.0f, -30.0f);
    glTexCoord2f(line.right, line.top);
    glVertex2f(150.0f, 30.0f);
    glTexCoord2f(0.0f, line.top);
    glVertex2f(-150.0f, 30.0f);
    glEnd();
    unbindTexture();
    glPopMatrix();
  }
  endBlend();
  disableFog(false);
}

void paintTunnelTextPage(Texture& page, const BitmapFont& font) {
  glDisable(GL_LIGHTING);
  page.beginCapture(0.0f, 0.0f, 0.0f, 1.0f);
  setOrtho();
  glLoadIdentity();
  glColor3f(1.0f, 1.0f, 1.0f);
  for (const TunnelLine& line : tunnelLines) {
    glRasterPos2i(line.printX, line.printY);
    printText(font, line.text);
  }
  captureGlow(page, 2);
}

void tunnelScene(int8_t mode, float t) {
  if (mode != 0 && mode != 1) return;
  static Texture tunnel1Texture;  // the glowing layer's walls
  static Texture tunnel2Texture;  // the sharp layer's walls
  static Texture tunnelGlow = createRenderTarget(512, 512, 1);
  static Texture tunnelTextPage = createRenderTarget(512, 512, 1);
  static bool firstFrame = false;

  if (mode == 0) {
    tunnel2Texture.loadJpg("data/texture/tunnel2.jpg");
    tunnel1Texture.loadJpg("data/texture/tunnel1.jpg");
    BitmapFont font;
    createFont(font, "Times New Roman", 50, 400, 1, 0);
    paintTunnelTextPage(tunnelTextPage, font);
    firstFrame = true;
    releaseFont(font);
    return;
  }

  if (firstFrame) {
    // Black fog stays on for the rest of the scene; only the interlude lifts it while it draws.
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glDisable(GL_LIGHTING);
    setFog(GL_EXP2, 0.0022f, 1.0f, 700.0f, black);
    disableFog(false);
    firstFrame = false;
  }

  glDisable(GL_LIGHTING);
  if (t < 0.3f) {
    drawTunnel(t, false, tunnel1Texture, tunnel2Texture, tunnelGlow);
  } else if (t < 0.5f) {
    drawTunnelTexts(t, tunnelTextPage);  // on the black the frame was cleared to
  } else {
    drawTunnel(t, true, tunnel1Texture, tunnel2Texture, tunnelGlow);
  }
}
