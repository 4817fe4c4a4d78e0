#include "render/Glow.h"

#include "render/BlurSchedule.h"
#include "render/GlState.h"
#include "render/GlowShaders.h"
#include "render/OverlaySpace.h"

namespace {
// The texture receiving copies; texture 0 if the slot is not one of the target's.
GLuint copyName(const Texture& target) {
  if (!target.names || target.copySlot < 0 || target.copySlot >= target.count) return 0;
  return target.names[target.copySlot];
}

void copyFrame(const Texture& target) {
  glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, 0, target.width, target.height);
}

void noteLighting(Texture& target) {
  if (glIsEnabled(GL_LIGHTING)) target.lightingWasOn = 1;
}

// Flat, textured, blended drawing in the overlay space, depth writes off.
void beginOverlay(GLenum src, GLenum dst) {
  glEnable(GL_TEXTURE_2D);
  glDisable(GL_LIGHTING);
  setOrtho();
  glLoadIdentity();
  glDepthMask(GL_FALSE);
  glBlendFunc(src, dst);
  glEnable(GL_BLEND);
}

// Back to the 3D view; lighting comes back on for a target that ever found it on.
void restoreView(const Texture& target) {
  glDepthMask(GL_TRUE);
  glDisable(GL_BLEND);
  setPerspective(60);
  glLoadIdentity();
  if (target.lightingWasOn == 1) glEnable(GL_LIGHTING);
  glDisable(GL_TEXTURE_2D);
}

// Each pass as two shifted quads blended over the copy, then copied back.
void blurPasses(const Texture& target, int reach) {
  forEachBlurPass(reach, [&target](BlurPass pass) {
    const int16_t back = static_cast<int16_t>(-pass.units);
    if (pass.across) {
      drawScreenQuad(pass.units, 0);
      drawScreenQuad(back, 0);
    } else {
      drawScreenQuad(0, pass.units);
      drawScreenQuad(0, back);
    }
    copyFrame(target);
  });
}
}  // namespace

void setOverlayBlend(Texture& target, GLenum src, GLenum dst) {
  target.blendSrc = src;
  target.blendDst = dst;
}

void captureGlow(Texture& target, uint8_t level) {
  glBindTexture(GL_TEXTURE_2D, copyName(target));
  copyFrame(target);
  const int reach = blurReach(level);
  if (reach > 0) {
    noteLighting(target);
    beginOverlay(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glColor4f(1, 1, 1, 0.3f);
    if (!blurWithShaders(target, copyName(target), reach)) blurPasses(target, reach);
    restoreView(target);
  }
  unbindTexture();
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glViewport(0, 0, target.viewportWidth, target.viewportHeight);
  glLoadIdentity();
}

void overlayGlow(Texture& target, float alpha, int8_t count) {
  noteLighting(target);
  beginOverlay(target.blendSrc, target.blendDst);
  target.bindTexture(0);
  glColor4f(1, 1, 1, alpha);
  if (!overlayWithShaders(target, alpha, count))
    for (int8_t i = 0; i < count; ++i) drawScreenQuad(0, 0);
  glColor4f(1, 1, 1, 1);
  unbindTexture();
  restoreView(target);
}

void overlayGlowOnce(Texture& target, float alpha) { overlayGlow(target, alpha, 1); }

void overlayGlowTrail(Texture& target, float alphaStart, float alphaEnd, int8_t count,
                      TrailInsets insets) {
  // With no layers there is no step to take; the division is left out rather than made by 0.
  const float step = count > 0 ? (alphaEnd - alphaStart) / count : alphaEnd - alphaStart;
  if (step == 0) return;
  noteLighting(target);
  beginOverlay(target.blendSrc, target.blendDst);
  const float left = insets.left, right = insets.right, top = insets.top, bottom = insets.bottom;
  CornerUV corners[4] = {{left, 1 - top}, {left, bottom}, {1 - right, bottom}, {1 - right, 1 - top}};
  target.bindTexture(0);
  float alpha = alphaStart;
  for (int8_t layer = 0; layer < count; ++layer) {
    glColor4f(1, 1, 1, alpha);
    drawScreenQuadUV(corners);
    alpha += step;
    corners[0] = {corners[0].s + left, corners[0].t - top};
    corners[1] = {corners[1].s + left, corners[1].t + bottom};
    corners[2] = {corners[2].s - right, corners[2].t + bottom};
    corners[3] = {corners[3].s - right, corners[3].t - top};
  }
  unbindTexture();
  restoreView(target);
}
