#include "scenes/ScreenFade.h"

#include "geometry/Shapes.h"
#include "render/GlState.h"

void drawScreenFade(float r, float g, float b, float alpha) {
  setOrtho();
  glLoadIdentity();
  glDepthMask(GL_FALSE);
  glColor4f(r, g, b, alpha);
  beginBlend(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, true);
  drawFlatQuad(800, 600, 1);
  endBlend();
  glDepthMask(GL_TRUE);
  setPerspective(60);
}
