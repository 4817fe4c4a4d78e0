#include "render/OnScreenLine.h"

#include "platform/Gl.h"
#include "render/BitmapFont.h"
#include "render/PictureScale.h"

#include <initializer_list>

namespace {
constexpr int stripHeight = 44;  // lines at 600 under the text, kept while it shows
constexpr float textX = -380.0f;  // the overlay space's coordinates of the baseline's start
constexpr float textY = -285.0f;

// The line's font and a copy of the strip of picture it covers.
struct OnScreenLineState {
  BitmapFont font;
  GLuint under = 0;
  int textureWidth = 0;
  int textureHeight = 0;
  int width = 0;  // the strip's size in pixels
  int height = 0;
  bool shown = false;  // the picture carries the line now
};

OnScreenLineState line;

int powerOfTwoAtLeast(int n) {
  int p = 1;
  while (p < n) p *= 2;
  return p;
}

// From here on: no light, depth, fog, blending or culling, the picture's whole viewport, and
// identity matrices, all given back by leaveOverlay.
void enterOverlay() {
  glPushAttrib(GL_ALL_ATTRIB_BITS);
  glMatrixMode(GL_TEXTURE);
  glPushMatrix();
  glLoadIdentity();
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();
  for (GLenum cap : {GL_LIGHTING, GL_DEPTH_TEST, GL_FOG, GL_BLEND, GL_CULL_FACE, GL_ALPHA_TEST,
                     GL_TEXTURE_GEN_S, GL_TEXTURE_GEN_T, GL_SCISSOR_TEST, GL_STENCIL_TEST})
    glDisable(cap);
  glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
  glViewport(0, 0, scaledPixels(800), scaledPixels(600));
}

void leaveOverlay() {
  glMatrixMode(GL_TEXTURE);
  glPopMatrix();
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);
  glPopMatrix();
  glPopAttrib();
}

void keepStrip() {
  line.width = scaledPixels(800);
  line.height = scaledPixels(stripHeight);
  if (!line.under || line.width > line.textureWidth || line.height > line.textureHeight) {
    if (!line.under) glGenTextures(1, &line.under);
    line.textureWidth = powerOfTwoAtLeast(line.width);
    line.textureHeight = powerOfTwoAtLeast(line.height);
    glBindTexture(GL_TEXTURE_2D, line.under);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB8, line.textureWidth, line.textureHeight, 0, GL_RGB,
                 GL_UNSIGNED_BYTE, nullptr);
  }
  glBindTexture(GL_TEXTURE_2D, line.under);
  glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, 0, line.width, line.height);
}

// The kept strip back in place, texel for pixel.
void putStripBack() {
  glOrtho(0, line.width, 0, line.height, -1, 1);
  glViewport(0, 0, line.width, line.height);
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, line.under);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
  const float s = float(line.width) / line.textureWidth, t = float(line.height) / line.textureHeight;
  glBegin(GL_QUADS);
  glTexCoord2f(0, 0);
  glVertex2f(0, 0);
  glTexCoord2f(s, 0);
  glVertex2f(float(line.width), 0);
  glTexCoord2f(s, t);
  glVertex2f(float(line.width), float(line.height));
  glTexCoord2f(0, t);
  glVertex2f(0, float(line.height));
  glEnd();
  glDisable(GL_TEXTURE_2D);
  glLoadIdentity();
  glViewport(0, 0, scaledPixels(800), scaledPixels(600));
}
}  // namespace

void showOnScreenLine(const char* text) {
  enterOverlay();
  if (line.shown)
    putStripBack();
  else
    keepStrip();
  glDisable(GL_TEXTURE_2D);
  if (!line.font.base) line.font.createFont("Trebuchet MS", 20, 700, 0, 0);
  glMatrixMode(GL_PROJECTION);
  glOrtho(-400, 400, -300, 300, -1, 1);
  glMatrixMode(GL_MODELVIEW);
  // A black ring first, then the white letters on it.
  const float ring[8][2] = {{-1, -1}, {0, -1}, {1, -1}, {-1, 0}, {1, 0}, {-1, 1}, {0, 1}, {1, 1}};
  glColor3f(0, 0, 0);
  for (const auto& d : ring) {
    glRasterPos2f(textX + d[0], textY + d[1]);
    printText(line.font, text);
  }
  glColor3f(1, 1, 1);
  glRasterPos2f(textX, textY);
  printText(line.font, text);
  leaveOverlay();
  line.shown = true;
}

void hideOnScreenLine() {
  if (!line.shown) return;
  enterOverlay();
  putStripBack();
  leaveOverlay();
  line.shown = false;
}

void forgetOnScreenLine() { line.shown = false; }

void releaseOnScreenLine() {
  releaseFont(line.font);
  if (line.under) glDeleteTextures(1, &line.under);
  line.under = 0;
  line.textureWidth = line.textureHeight = 0;
  line.shown = false;
}
