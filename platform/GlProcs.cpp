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

// The context's version, from strings such as "4.5 (Compatibility Profile) Mesa 23.2" or
// "OpenGL ES 3.0 Mesa 23.2"; major 0 where it cannot be read.
struct GlVersion {
  int major = 0;
  int minor = 0;
  bool es = false;
};

GlVersion contextVersion() {
  GlVersion v;
  const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
  if (!version) return v;
  const char esPrefix[] = "OpenGL ES";
  if (std::strncmp(version, esPrefix, sizeof esPrefix - 1) == 0) {
    v.es = true;
    version += std::strcspn(version, "0123456789");  // past "OpenGL ES " or "OpenGL ES-CM "
  }
  if (std::sscanf(version, "%d.%d", &v.major, &v.minor) != 2) v.major = 0;
  return v;
}

// GLSL needs GL 2.0; framebuffer objects are core from 3.0 and an extension before. (The glow's
// programs themselves ask for GLSL 1.30, or 3.30 / ES 3.00 without a fixed pipeline, and are
// given up where they do not compile.) ES 2.0's GLSL is too small for them: ES needs 3.0.
bool versionOffersShaders(const GlVersion& v) {
  if (v.es) return v.major >= 3;
  if (v.major < 2) return false;
  return v.major >= 3 || SDL_GL_ExtensionSupported("GL_ARB_framebuffer_object");
}

// ES, or a desktop context of 3.2 or later made with the core profile.
bool versionIsShaderOnly(const GlVersion& v) {
  if (v.es) return true;
  if (v.major < 3 || (v.major == 3 && v.minor < 2)) return false;
  GLint profile = 0;
  glGetIntegerv(GL_CONTEXT_PROFILE_MASK, &profile);
  return (profile & GL_CONTEXT_CORE_PROFILE_BIT) != 0;
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
    const GlVersion version = contextVersion();
    seen.framebuffers = loadFramebufferProcs(procs.fb);
    seen.shaders = seen.framebuffers && versionOffersShaders(version) && loadShaderProcs(procs);
    procs.softwareRasteriser = rendererIsSoftware();
    procs.integerTextures = version.major >= 3;
    procs.shaderOnly = versionIsShaderOnly(version);
    procs.es = version.es;
    const char* versionText = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    procs.queryResultsLate = versionText && std::strstr(versionText, "WebGL");
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

bool softwareRenderer() { return SDL_GL_GetCurrentContext() && rendererIsSoftware(); }

void forceFixedFunction(bool on) { forced = on; }

bool fixedFunctionForced() { return forced; }
