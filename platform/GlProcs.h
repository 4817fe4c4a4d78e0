#pragma once
#include <SDL_opengl.h>
#include <SDL_opengl_glext.h>

// The few GL calls beyond 1.1 that the glow's shader path uses (GLSL programs, framebuffer
// objects, queries and pixel buffers), looked up by name through the windowing layer for the
// context that is current.

struct GlProcs {
  unsigned context = 0;  // changes whenever a different context was found current
  bool softwareRasteriser = false;  // Mesa's llvmpipe, softpipe or swrast: frames drawn on the CPU
  bool integerTextures = false;  // GL 3.0 or later: unsigned-integer textures and render targets

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
  PFNGLGENFRAMEBUFFERSPROC genFramebuffers = nullptr;
  PFNGLBINDFRAMEBUFFERPROC bindFramebuffer = nullptr;
  PFNGLFRAMEBUFFERTEXTURE2DPROC framebufferTexture2D = nullptr;
  PFNGLCHECKFRAMEBUFFERSTATUSPROC checkFramebufferStatus = nullptr;
  PFNGLFRAMEBUFFERRENDERBUFFERPROC framebufferRenderbuffer = nullptr;
  PFNGLGETFRAMEBUFFERATTACHMENTPARAMETERIVPROC getFramebufferAttachmentParameteriv = nullptr;
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

// The calls for the current context; nullptr when no context is current, when it lacks GLSL or
// framebuffer objects (below GL 2.0, or 2.x without the framebuffer-object extension), or when
// the GL 1.1 path is forced. Looked up once per context.
const GlProcs* shaderProcs();
// True when the current context draws on the CPU (Mesa's llvmpipe, softpipe or swrast, or
// Windows' own GDI Generic).
bool softwareRenderer();
// From now on shaderProcs() answers nullptr (true) or looks again (false).
void forceFixedFunction(bool on);
bool fixedFunctionForced();
