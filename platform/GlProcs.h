#pragma once
#include "platform/Gl.h"

// The few GL calls beyond 1.1 that the show uses, looked up by name through the windowing
// layer once for each context that is made current: framebuffer objects (the screen's picture
// and the glow's passes), and for the glow's shader path GLSL programs, queries and pixel
// buffers.

// Framebuffer and renderbuffer objects: core in GL 3.0, the framebuffer-object extension before.
struct FramebufferProcs {
  PFNGLGENFRAMEBUFFERSPROC genFramebuffers = nullptr;
  PFNGLBINDFRAMEBUFFERPROC bindFramebuffer = nullptr;
  PFNGLDELETEFRAMEBUFFERSPROC deleteFramebuffers = nullptr;
  PFNGLFRAMEBUFFERTEXTURE2DPROC framebufferTexture2D = nullptr;
  PFNGLFRAMEBUFFERRENDERBUFFERPROC framebufferRenderbuffer = nullptr;
  PFNGLCHECKFRAMEBUFFERSTATUSPROC checkFramebufferStatus = nullptr;
  PFNGLGETFRAMEBUFFERATTACHMENTPARAMETERIVPROC getFramebufferAttachmentParameteriv = nullptr;
  PFNGLGENRENDERBUFFERSPROC genRenderbuffers = nullptr;
  PFNGLBINDRENDERBUFFERPROC bindRenderbuffer = nullptr;
  PFNGLDELETERENDERBUFFERSPROC deleteRenderbuffers = nullptr;
  PFNGLRENDERBUFFERSTORAGEPROC renderbufferStorage = nullptr;
  PFNGLBLITFRAMEBUFFERPROC blitFramebuffer = nullptr;
};

struct GlProcs {
  unsigned context = 0;  // changes whenever a different context was found current
  bool softwareRasteriser = false;  // Mesa's llvmpipe, softpipe or swrast: frames drawn on the CPU
  bool integerTextures = false;  // GL or ES 3.0 or later: unsigned-integer textures and targets
  // A core-profile or OpenGL ES context: no fixed pipeline, programs in GLSL 3.30 or ES 3.00
  // that read their inputs from attribute locations.
  bool shaderOnly = false;
  // OpenGL ES: its occlusion queries tell only whether any sample passed, not how many.
  bool es = false;
  // WebGL: a query's result only comes once the page has had control back, never in the frame
  // that asked.
  bool queryResultsLate = false;
  FramebufferProcs fb;  // the table framebufferProcs() answers

  PFNGLCREATESHADERPROC createShader = nullptr;
  PFNGLSHADERSOURCEPROC shaderSource = nullptr;
  PFNGLCOMPILESHADERPROC compileShader = nullptr;
  PFNGLGETSHADERIVPROC getShaderiv = nullptr;
  PFNGLGETSHADERINFOLOGPROC getShaderInfoLog = nullptr;
  PFNGLDELETESHADERPROC deleteShader = nullptr;
  PFNGLCREATEPROGRAMPROC createProgram = nullptr;
  PFNGLATTACHSHADERPROC attachShader = nullptr;
  PFNGLLINKPROGRAMPROC linkProgram = nullptr;
  PFNGLGETPROGRAMIVPROC getProgramiv = nullptr;
  PFNGLGETPROGRAMINFOLOGPROC getProgramInfoLog = nullptr;
  PFNGLDELETEPROGRAMPROC deleteProgram = nullptr;
  PFNGLUSEPROGRAMPROC useProgram = nullptr;
  PFNGLGETUNIFORMLOCATIONPROC getUniformLocation = nullptr;
  PFNGLUNIFORM1IPROC uniform1i = nullptr;
  PFNGLUNIFORM1FPROC uniform1f = nullptr;
  PFNGLUNIFORM2IPROC uniform2i = nullptr;
  PFNGLGENQUERIESPROC genQueries = nullptr;
  PFNGLBEGINQUERYPROC beginQuery = nullptr;
  PFNGLENDQUERYPROC endQuery = nullptr;
  PFNGLGETQUERYOBJECTUIVPROC getQueryObjectuiv = nullptr;
  PFNGLGENBUFFERSPROC genBuffers = nullptr;
  PFNGLBINDBUFFERPROC bindBuffer = nullptr;
  PFNGLBUFFERDATAPROC bufferData = nullptr;
};

// One GL entry point of the current context by name; nullptr where it has none.
void* glProcAddress(const char* name);
template <typename F>
bool loadGlProc(F& fn, const char* name) {
  fn = reinterpret_cast<F>(glProcAddress(name));
  return fn != nullptr;
}

// The framebuffer calls of the current context, whatever path draws; nullptr when no context is
// current or it lacks any of them.
const FramebufferProcs* framebufferProcs();
// The calls for the current context; nullptr when no context is current, when it lacks GLSL or
// framebuffer objects (below GL 2.0, 2.x without the framebuffer-object extension, or below
// OpenGL ES 3.0), or when the GL 1.1 path is forced. Looked up once per context.
const GlProcs* shaderProcs();
// True when the current context draws on the CPU (Mesa's llvmpipe, softpipe or swrast, or
// Windows' own GDI Generic).
bool softwareRenderer();
// From now on shaderProcs() answers nullptr (true) or looks again (false).
void forceFixedFunction(bool on);
bool fixedFunctionForced();
