#include "platform/GlProcs.h"

#include <SDL.h>

#include <cstdio>
#include <cstring>
#include <initializer_list>

namespace {
// The entry points of the context seen last, looked up again whenever another is current.
struct ContextProcs {
  SDL_GLContext context = nullptr;
  unsigned count = 0;  // contexts seen so far
  bool framebuffers = false;  // every framebuffer call found
  bool shaders = false;  // and GLSL with everything the glow's shader path calls
  GlProcs procs;
};

bool forced = false;
ContextProcs seen;

// GLSL needs GL 2.0; framebuffer objects are core from 3.0 and an extension before. (The glow's
// programs themselves ask for GLSL 1.30 and are given up where it does not compile.)
int versionMajor() {
  const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
  int major = 0, minor = 0;
  if (!version || std::sscanf(version, "%d.%d", &major, &minor) != 2) return 0;
  return major;
}

bool versionOffersShaders() {
  const int major = versionMajor();
  if (major < 2) return false;
  return major >= 3 || SDL_GL_ExtensionSupported("GL_ARB_framebuffer_object");
}

bool rendererIsSoftware() {
  const char* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
  if (!renderer) return false;
  for (const char* name : {"llvmpipe", "softpipe", "swrast", "GDI Generic"})
    if (std::strstr(renderer, name)) return true;
  return false;
}

bool loadFramebufferProcs(FramebufferProcs& p) {
  return loadGlProc(p.genFramebuffers, "glGenFramebuffers") &&
         loadGlProc(p.bindFramebuffer, "glBindFramebuffer") &&
         loadGlProc(p.deleteFramebuffers, "glDeleteFramebuffers") &&
         loadGlProc(p.framebufferTexture2D, "glFramebufferTexture2D") &&
         loadGlProc(p.framebufferRenderbuffer, "glFramebufferRenderbuffer") &&
         loadGlProc(p.checkFramebufferStatus, "glCheckFramebufferStatus") &&
         loadGlProc(p.getFramebufferAttachmentParameteriv,
                    "glGetFramebufferAttachmentParameteriv") &&
         loadGlProc(p.genRenderbuffers, "glGenRenderbuffers") &&
         loadGlProc(p.bindRenderbuffer, "glBindRenderbuffer") &&
         loadGlProc(p.deleteRenderbuffers, "glDeleteRenderbuffers") &&
         loadGlProc(p.renderbufferStorage, "glRenderbufferStorage") &&
         loadGlProc(p.blitFramebuffer, "glBlitFramebuffer");
}

bool loadShaderProcs(GlProcs& p) {
  return loadGlProc(p.createShader, "glCreateShader") && loadGlProc(p.shaderSource, "glShaderSource") &&
         loadGlProc(p.compileShader, "glCompileShader") && loadGlProc(p.getShaderiv, "glGetShaderiv") &&
         loadGlProc(p.getShaderInfoLog, "glGetShaderInfoLog") &&
         loadGlProc(p.deleteShader, "glDeleteShader") && loadGlProc(p.createProgram, "glCreateProgram") &&
         loadGlProc(p.attachShader, "glAttachShader") && loadGlProc(p.linkProgram, "glLinkProgram") &&
         loadGlProc(p.getProgramiv, "glGetProgramiv") &&
         loadGlProc(p.getProgramInfoLog, "glGetProgramInfoLog") &&
         loadGlProc(p.deleteProgram, "glDeleteProgram") && loadGlProc(p.useProgram, "glUseProgram") &&
         loadGlProc(p.getUniformLocation, "glGetUniformLocation") &&
         loadGlProc(p.uniform1i, "glUniform1i") && loadGlProc(p.uniform1f, "glUniform1f") &&
         loadGlProc(p.uniform2i, "glUniform2i") && loadGlProc(p.genQueries, "glGenQueries") &&
         loadGlProc(p.beginQuery, "glBeginQuery") &&
         loadGlProc(p.endQuery, "glEndQuery") && loadGlProc(p.getQueryObjectuiv, "glGetQueryObjectuiv") &&
         loadGlProc(p.genBuffers, "glGenBuffers") && loadGlProc(p.bindBuffer, "glBindBuffer") &&
         loadGlProc(p.bufferData, "glBufferData");
}
// The table of the current context, looked up on its first call there; nullptr with no
// context current.
const ContextProcs* currentProcs() {
  SDL_GLContext current = SDL_GL_GetCurrentContext();
  if (!current) return nullptr;
  if (current != seen.context) {
    const unsigned count = seen.count + 1;
    seen = ContextProcs();
    seen.context = current;
    seen.count = count;
    GlProcs& procs = seen.procs;
    procs.context = count;
    seen.framebuffers = loadFramebufferProcs(procs.fb);
    seen.shaders = seen.framebuffers && versionOffersShaders() && loadShaderProcs(procs);
    procs.softwareRasteriser = rendererIsSoftware();
    procs.integerTextures = versionMajor() >= 3;
  }
  return &seen;
}
}  // namespace

const FramebufferProcs* framebufferProcs() {
  const ContextProcs* current = currentProcs();
  return current && current->framebuffers ? &current->procs.fb : nullptr;
}

const GlProcs* shaderProcs() {
  if (forced) return nullptr;
  const ContextProcs* current = currentProcs();
  return current && current->shaders ? &current->procs : nullptr;
}

void* glProcAddress(const char* name) { return SDL_GL_GetProcAddress(name); }

bool softwareRenderer() { return SDL_GL_GetCurrentContext() && rendererIsSoftware(); }

void forceFixedFunction(bool on) { forced = on; }

bool fixedFunctionForced() { return forced; }
