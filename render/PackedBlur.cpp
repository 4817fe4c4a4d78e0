#include "render/PackedBlur.h"

#include "platform/GlProcs.h"
#include "render/BlurSchedule.h"
#include "render/GlowPrograms.h"
#include "render/OverlaySpace.h"

#include <cmath>
#include <initializer_list>

namespace {
void drawPass(const GlProcs& gl, const PassProgram& program, GLuint from, GLuint to,
              int32_t width, int32_t height) {
  gl.fb.framebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, to, 0);
  glBindTexture(GL_TEXTURE_2D, from);
  gl.useProgram(program.name);
  gl.uniform1i(program.picture, 0);
  if (program.size >= 0) gl.uniform2i(program.size, width / 4, height);
  drawScreenQuad(0, 0);
}

// The packed picture's bytes are the copy's pixels as they stand: each 32-bit texel component
// is one pixel, red in its lowest byte, which is how GL reads red, green, blue and alpha packed
// in an unsigned int (GL_UNSIGNED_INT_8_8_8_8_REV). So the result goes into the copy through a
// pixel buffer, read out and written back as memory (alpha, always 0, dropped by the copy's RGB
// format), with no drawing. The client's pixel-store settings and buffer bindings are put back.
void unpackInto(const GlProcs& gl, Scratch& scratch, GLuint from, GLuint copy) {
  const int32_t width = scratch.width, height = scratch.height;
  // The pixel-store group holds the pixel buffer bindings too.
  glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
  if (scratch.unpackBuffer == 0) {
    gl.genBuffers(1, &scratch.unpackBuffer);
    gl.bindBuffer(GL_PIXEL_PACK_BUFFER, scratch.unpackBuffer);
    gl.bufferData(GL_PIXEL_PACK_BUFFER, GLsizeiptr(width) * height * 4, nullptr, GL_STREAM_COPY);
  }
  for (GLenum name : {GL_PACK_SWAP_BYTES, GL_PACK_LSB_FIRST, GL_PACK_ROW_LENGTH,
                      GL_PACK_SKIP_ROWS, GL_PACK_SKIP_PIXELS, GL_PACK_IMAGE_HEIGHT,
                      GL_PACK_SKIP_IMAGES, GL_UNPACK_SWAP_BYTES, GL_UNPACK_LSB_FIRST,
                      GL_UNPACK_ROW_LENGTH, GL_UNPACK_SKIP_ROWS, GL_UNPACK_SKIP_PIXELS,
                      GL_UNPACK_IMAGE_HEIGHT, GL_UNPACK_SKIP_IMAGES})
    glPixelStorei(name, 0);
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  gl.bindBuffer(GL_PIXEL_PACK_BUFFER, scratch.unpackBuffer);
  glBindTexture(GL_TEXTURE_2D, from);
  glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA_INTEGER, GL_UNSIGNED_INT, nullptr);
  gl.bindBuffer(GL_PIXEL_UNPACK_BUFFER, scratch.unpackBuffer);
  glBindTexture(GL_TEXTURE_2D, copy);
  glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, width, height, GL_RGBA, GL_UNSIGNED_INT_8_8_8_8_REV,
                  nullptr);
  glPopClientAttrib();
}
}  // namespace

bool packedBlur(const GlProcs& gl, const GlowPrograms& p, Scratch& scratch, GLuint copy,
                int reach) {
  const int32_t width = scratch.width, height = scratch.height;
  for (GLuint& name : scratch.packed)
    if (name == 0) name = packedTexture(width, height);
  gl.fb.bindFramebuffer(GL_FRAMEBUFFER, p.framebuffer);
  gl.fb.framebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D,
                             scratch.packed[0], 0);
  const bool complete = gl.fb.checkFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
  if (complete) {
    glDisable(GL_BLEND);
    glViewport(0, 0, width / 4, height);
    // The first shift across reaches less than a whole pixel where the target is narrower than
    // the overlay space: then the first pass packs the copy itself.
    const bool packing = std::floor(blurShift(BlurPass{1, true}, width, height)) != 0.0f;
    if (packing) drawPass(gl, p.pack, copy, scratch.packed[0], width, height);
    GLuint from = packing ? scratch.packed[0] : copy;
    GLuint to = packing ? scratch.packed[1] : scratch.packed[0];
    forEachBlurPass(reach, [&](BlurPass pass) {
      const float shift = blurShift(pass, width, height);
      const float whole = std::floor(shift);
      const bool first = from == copy;
      const PassProgram& program =
          first        ? p.first
          : pass.across ? (whole < 4 ? p.acrossNear[int(whole)] : p.across[int(whole) & 3])
                        : (whole < 1 ? p.downNear : p.down);
      gl.useProgram(program.name);
      gl.uniform1i(program.whole, int(whole));
      gl.uniform1f(program.part, shift - whole);
      gl.uniform1f(program.reach, shift);
      drawPass(gl, program, from, to, width, height);
      from = to;
      to = from == scratch.packed[0] ? scratch.packed[1] : scratch.packed[0];
    });
    glViewport(0, 0, width, height);
    if (p.unpack.name)
      drawPass(gl, p.unpack, from, copy, width, height);
    else
      unpackInto(gl, scratch, from, copy);

    gl.useProgram(0);
    glEnable(GL_BLEND);
  }
  gl.fb.framebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, 0, 0);
  return complete;
}
