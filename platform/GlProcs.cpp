#include "platform/GlProcs.h"

#include <SDL.h>

#include <cstdio>
#include <cstring>
#include <initializer_list>

namespace {
bool forced = false;
SDL_GLContext lastContext = nullptr;
unsigned contextCount = 0;
bool usable = false;
GlProcs procs;

template <typename F>
bool load(F& fn, const char* name) {
  fn = reinterpret_cast<F>(SDL_GL_GetProcAddress(name));
  return fn != nullptr;
}

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

bool loadProcs(GlProcs& p) {
  return load(p.createShader, "glCreateShader") && load(p.shaderSource, "glShaderSource") &&
         load(p.compileShader, "glCompileShader") && load(p.getShaderiv, "glGetShaderiv") &&
         load(p.getShaderInfoLog, "glGetShaderInfoLog") &&
         load(p.deleteShader, "glDeleteShader") && load(p.createProgram, "glCreateProgram") &&
         load(p.attachShader, "glAttachShader") && load(p.linkProgram, "glLinkProgram") &&
         load(p.getProgramiv, "glGetProgramiv") &&
         load(p.getProgramInfoLog, "glGetProgramInfoLog") &&
         load(p.deleteProgram, "glDeleteProgram") && load(p.useProgram, "glUseProgram") &&
         load(p.getUniformLocation, "glGetUniformLocation") &&
         load(p.uniform1i, "glUniform1i") && load(p.uniform1f, "glUniform1f") &&
         load(p.uniform2i, "glUniform2i") &&
         load(p.genFramebuffers, "glGenFramebuffers") &&
         load(p.bindFramebuffer, "glBindFramebuffer") &&
         load(p.framebufferTexture2D, "glFramebufferTexture2D") &&
         load(p.checkFramebufferStatus, "glCheckFramebufferStatus") &&
         load(p.framebufferRenderbuffer, "glFramebufferRenderbuffer") &&
         load(p.getFramebufferAttachmentParameteriv, "glGetFramebufferAttachmentParameteriv") &&
         load(p.genQueries, "glGenQueries") && load(p.beginQuery, "glBeginQuery") &&
         load(p.endQuery, "glEndQuery") && load(p.getQueryObjectuiv, "glGetQueryObjectuiv");
}
}  // namespace

const GlProcs* shaderProcs() {
  if (forced) return nullptr;
  SDL_GLContext current = SDL_GL_GetCurrentContext();
  if (!current) return nullptr;
  if (current != lastContext) {
    lastContext = current;
    procs = GlProcs();
    procs.context = ++contextCount;
    usable = versionOffersShaders() && loadProcs(procs);
    procs.softwareRasteriser = rendererIsSoftware();
    procs.integerTextures = versionMajor() >= 3;
  }
  return usable ? &procs : nullptr;
}

bool softwareRenderer() { return SDL_GL_GetCurrentContext() && rendererIsSoftware(); }

void forceFixedFunction(bool on) { forced = on; }

bool fixedFunctionForced() { return forced; }
