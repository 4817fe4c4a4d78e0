#include "render/GlowShaders.h"

#include "platform/GlProcs.h"
#include "render/GlowChecks.h"
#include "render/GlowPrograms.h"
#include "render/OverlaySpace.h"
#include "render/PackedBlur.h"
#include "render/PixelBlur.h"

#include <cmath>

namespace {
BlurRouteHook hook;

// The viewport covers exactly the target.
bool viewportIsTarget(const Texture& target) {
  GLint viewport[4] = {0, 0, 0, 0};
  glGetIntegerv(GL_VIEWPORT, viewport);
  return viewport[0] == 0 && viewport[1] == 0 && viewport[2] == target.width &&
         viewport[3] == target.height;
}
}  // namespace

BlurRouteHook& blurRouteHook() { return hook; }

bool glowShadersAvailable() {
  const GlProcs* gl = nullptr;
  return currentGlowPrograms(&gl) != nullptr;
}

bool blurWithShaders(const Texture& target, GLuint copy, int reach) {
  hook.last = BlurRoute::None;
  settleGlCalls();  // what was drawn so far lands before the glow's own programs take over
  settleGlCalls();  // what was drawn so far lands before the glow's own programs take over
  const GlProcs* gl = nullptr;
  GlowPrograms* p = currentGlowPrograms(&gl);
  if (!p || target.width <= 0 || target.height <= 0 || !plainTexturedDrawing(*gl) ||
      !copyIsPlainRgb(copy) || !viewportIsTarget(target))
    return false;
  GLint drawFramebuffer = 0, readFramebuffer = 0;
  glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &drawFramebuffer);
  glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &readFramebuffer);
  CallerDepth depth;
  if (!readCallerDepth(*gl, drawFramebuffer, &depth)) return false;

  Scratch& scratch = scratchFor(p->scratch, target);
  const bool packed = hook.packedAllowed && p->packedReady && target.width >= 4 &&
                      target.width % 4 == 0 &&
                      (depth.name == 0 ||
                       (!gl->queryResultsLate && quadPassesEverywhere(*gl, p->query, target)));
  const bool done = packed ? packedBlur(*gl, *p, scratch, copy, reach)
                           : pixelBlur(*gl, *p, scratch, target, copy, reach, depth);
  gl->fb.bindFramebuffer(GL_DRAW_FRAMEBUFFER, GLuint(drawFramebuffer));
  gl->fb.bindFramebuffer(GL_READ_FRAMEBUFFER, GLuint(readFramebuffer));
  glBindTexture(GL_TEXTURE_2D, copy);
  // A software rasteriser queues the whole frame and keeps every buffer it used alive until the
  // queue drains; the GL 1.1 blur drains it at each copy. Without one drain here, the end
  // scroller's live text after the glow makes it allocate fresh memory for every draw (ten
  // times the page faults, twice the frame time). A GPU needs no such wait.
  if (gl->softwareRasteriser) glFinish();
  if (done) hook.last = packed ? BlurRoute::Packed : BlurRoute::PerPixel;
  return done;
}

bool overlayWithShaders(const Texture& target, float alpha, int8_t count) {
  if (count < 2 || target.blendDst != GL_ONE ||
      (target.blendSrc != GL_SRC_ALPHA && target.blendSrc != GL_ONE))
    return false;
  const GlProcs* gl = nullptr;
  const GlowPrograms* p = currentGlowPrograms(&gl);
  if (!p || !plainTexturedDrawing(*gl)) return false;
  settleGlCalls();
  settleGlCalls();
  // The colour is clamped as glColor4f clamps it; GL_ONE ignores it.
  const float a = std::fmin(1.0f, std::fmax(0.0f, alpha));
  const float weight = target.blendSrc == GL_ONE ? 255.0f : std::floor(a * 255.0f + 0.5f);
  glBlendFunc(GL_ONE, GL_ONE);
  gl->useProgram(p->overlay);
  gl->uniform1i(p->overlayPicture, 0);
  gl->uniform1f(p->overlayWeight, weight);
  gl->uniform1f(p->overlayCount, float(count));
  drawScreenQuad(0, 0);
  gl->useProgram(0);
  glBlendFunc(target.blendSrc, target.blendDst);
  return true;
}
