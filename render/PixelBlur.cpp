#include "render/PixelBlur.h"

#include "platform/GlProcs.h"
#include "render/BlurSchedule.h"
#include "render/GlowPrograms.h"
#include "render/OverlaySpace.h"
#include "render/Texture.h"

#include <cmath>
#include <utility>

bool readCallerDepth(const GlProcs& gl, GLint drawFramebuffer, CallerDepth* depth) {
  *depth = CallerDepth();
  if (!glIsEnabled(GL_DEPTH_TEST)) return true;
  if (drawFramebuffer == 0) {
    // Without a fixed pipeline the window's buffers are asked about as attachments.
    if (gl.shaderOnly) {
      GLint type = GL_NONE;
      gl.fb.getFramebufferAttachmentParameteriv(GL_DRAW_FRAMEBUFFER, GL_DEPTH,
                                                GL_FRAMEBUFFER_ATTACHMENT_OBJECT_TYPE, &type);
      return type == GL_NONE;
    }
    GLint depthBits = 0;
    glGetIntegerv(GL_DEPTH_BITS, &depthBits);
    return depthBits == 0;
  }
  gl.fb.getFramebufferAttachmentParameteriv(GL_DRAW_FRAMEBUFFER, GL_DEPTH_ATTACHMENT,
                                            GL_FRAMEBUFFER_ATTACHMENT_OBJECT_TYPE, &depth->type);
  if (depth->type == GL_RENDERBUFFER || depth->type == GL_TEXTURE)
    gl.fb.getFramebufferAttachmentParameteriv(GL_DRAW_FRAMEBUFFER, GL_DEPTH_ATTACHMENT,
                                              GL_FRAMEBUFFER_ATTACHMENT_OBJECT_NAME, &depth->name);
  else if (depth->type != GL_NONE)
    return false;
  return true;
}

bool pixelBlur(const GlProcs& gl, const GlowPrograms& p, const Scratch& scratch,
               const Texture& target, GLuint copy, int reach, const CallerDepth& depth) {
  // For the reads around a pixel failing the depth test to find it as copied in both textures,
  // the scratch texture starts as a copy of the frame too.
  if (depth.name != 0) {
    glBindTexture(GL_TEXTURE_2D, scratch.name);
    glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, 0, target.width, target.height);
  }

  gl.fb.bindFramebuffer(GL_FRAMEBUFFER, p.framebuffer);
  if (depth.type == GL_RENDERBUFFER)
    gl.fb.framebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER,
                                  GLuint(depth.name));
  else if (depth.type == GL_TEXTURE)
    gl.fb.framebufferTexture2D(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_TEXTURE_2D,
                               GLuint(depth.name), 0);
  gl.fb.framebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, scratch.name, 0);
  const bool complete = gl.fb.checkFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
  if (complete) {
    glDisable(GL_BLEND);
    gl.useProgram(p.blur);
    gl.uniform1i(p.blurPicture, 0);
    gl.uniform2i(p.blurSize, target.width, target.height);
    GLuint from = copy, to = scratch.name;
    forEachBlurPass(reach, [&](BlurPass pass) {
      gl.fb.framebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, to, 0);
      glBindTexture(GL_TEXTURE_2D, from);
      const float shift = blurShift(pass, target.width, target.height);
      const float whole = std::floor(shift);
      gl.uniform2i(p.blurStep, pass.across ? 1 : 0, pass.across ? 0 : 1);
      gl.uniform1i(p.blurWhole, int(whole));
      gl.uniform1f(p.blurPart, shift - whole);
      gl.uniform1f(p.blurReach, shift);
      drawScreenQuad(0, 0);
      std::swap(from, to);
    });
    gl.useProgram(0);
    glEnable(GL_BLEND);
  }
  gl.fb.framebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, 0, 0);
  if (depth.type != GL_NONE)
    gl.fb.framebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, 0);
  return complete;
}
