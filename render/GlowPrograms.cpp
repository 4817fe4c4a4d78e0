#include "render/GlowPrograms.h"

#include "platform/GlProcs.h"
#include "render/GlowSources.h"

#include <cstdio>

namespace {
GlowPrograms programs;

// Whether a shader compiled or a program linked (status); where not, its log goes to stderr
// and the object is deleted.
bool builtOrReported(GLuint object, GLenum status, PFNGLGETSHADERIVPROC getStatus,
                     PFNGLGETSHADERINFOLOGPROC getLog, PFNGLDELETESHADERPROC remove,
                     const char* failure) {
  GLint ok = GL_FALSE;
  getStatus(object, status, &ok);
  if (ok) return true;
  char log[512] = "";
  getLog(object, sizeof log, nullptr, log);
  std::fprintf(stderr, "kelvarn: glow shader %s, using GL 1.1: %s\n", failure, log);
  remove(object);
  return false;
}

GLuint compile(const GlProcs& gl, GLenum kind, const char* source, const char* prefix = "") {
  GLuint shader = gl.createShader(kind);
  const char* parts[2] = {prefix, source};
  gl.shaderSource(shader, 2, parts, nullptr);
  gl.compileShader(shader);
  return builtOrReported(shader, GL_COMPILE_STATUS, gl.getShaderiv, gl.getShaderInfoLog,
                         gl.deleteShader, "does not compile")
             ? shader
             : 0;
}

GLuint link(const GlProcs& gl, const char* vertex, const char* fragment,
            const char* fragmentPrefix = "") {
  GLuint vs = compile(gl, GL_VERTEX_SHADER, vertex);
  GLuint fs = compile(gl, GL_FRAGMENT_SHADER, fragment, fragmentPrefix);
  GLuint program = 0;
  if (vs && fs) {
    program = gl.createProgram();
    gl.attachShader(program, vs);
    gl.attachShader(program, fs);
    gl.linkProgram(program);
    if (!builtOrReported(program, GL_LINK_STATUS, gl.getProgramiv, gl.getProgramInfoLog,
                         gl.deleteProgram, "does not link"))
      program = 0;
  }
  if (vs) gl.deleteShader(vs);  // kept alive by the program while it is attached
  if (fs) gl.deleteShader(fs);
  return program;
}

PassProgram passProgram(const GlProcs& gl, const char* fragment, const char* prefix) {
  PassProgram p;
  p.name = link(gl, glowVertexSource130, fragment, prefix);
  if (!p.name) return p;
  p.picture = gl.getUniformLocation(p.name, "picture");
  p.size = gl.getUniformLocation(p.name, "size");
  p.whole = gl.getUniformLocation(p.name, "whole");
  p.part = gl.getUniformLocation(p.name, "part");
  p.reach = gl.getUniformLocation(p.name, "reach");
  return p;
}

// The packed blur's passes: the vertical ones with and without whole rows, the first one
// straight from the copy, and for each alignment the horizontal ones with and without whole
// texels; then its query.
void buildPackedPrograms(const GlProcs& gl) {
  programs.pack = passProgram(gl, glowPackSource, "");
  programs.down = passProgram(gl, glowPackedBlurSource, "#version 130\n");
  programs.downNear = passProgram(gl, glowPackedBlurSource, "#version 130\n#define NEAR\n");
  programs.first = passProgram(gl, glowPackedBlurSource, "#version 130\n#define FIRST\n");
  bool ready = programs.pack.name && programs.down.name && programs.downNear.name &&
               programs.first.name;
  for (int offset = 0; offset < 4; ++offset) {
    char prefix[96];
    std::snprintf(prefix, sizeof prefix, "#version 130\n#define ACROSS\n#define OFFSET %d\n",
                  offset);
    programs.across[offset] = passProgram(gl, glowPackedBlurSource, prefix);
    std::snprintf(prefix, sizeof prefix,
                  "#version 130\n#define ACROSS\n#define OFFSET %d\n#define NEAR\n", offset);
    programs.acrossNear[offset] = passProgram(gl, glowPackedBlurSource, prefix);
    ready = ready && programs.across[offset].name && programs.acrossNear[offset].name;
  }
  gl.genQueries(1, &programs.query);
  programs.packedReady = ready && programs.query != 0;
}
}  // namespace

GlowPrograms* currentGlowPrograms(const GlProcs** procs) {
  const GlProcs* gl = shaderProcs();
  *procs = gl;
  if (!gl) return nullptr;
  if (programs.context != gl->context) {
    programs = GlowPrograms();
    programs.context = gl->context;
    programs.blur = link(*gl, glowVertexSource130, glowBlurSource);
    programs.overlay = link(*gl, glowVertexSource110, glowOverlaySource);
    if (programs.blur && programs.overlay) {
      programs.blurPicture = gl->getUniformLocation(programs.blur, "picture");
      programs.blurSize = gl->getUniformLocation(programs.blur, "size");
      programs.blurStep = gl->getUniformLocation(programs.blur, "step");
      programs.blurWhole = gl->getUniformLocation(programs.blur, "whole");
      programs.blurPart = gl->getUniformLocation(programs.blur, "part");
      programs.blurReach = gl->getUniformLocation(programs.blur, "reach");
      programs.overlayPicture = gl->getUniformLocation(programs.overlay, "picture");
      programs.overlayWeight = gl->getUniformLocation(programs.overlay, "weight");
      programs.overlayCount = gl->getUniformLocation(programs.overlay, "count");
      gl->fb.genFramebuffers(1, &programs.framebuffer);
      programs.ready = programs.framebuffer != 0;
    }
    if (programs.ready && gl->integerTextures) buildPackedPrograms(*gl);
  }
  return programs.ready ? &programs : nullptr;
}
