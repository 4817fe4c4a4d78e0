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

// The first lines of each program's stages in the current context's language (GlowSources.h).
struct Dialect {
  const char* version110;  // the overlay's version
  const char* version130;  // every other program's
  const char* vertex110;
  const char* vertex130;
  const char* overlayNames;
  const char* colourNames;  // the blur's, and the unpacking's
};

Dialect dialectFor(const GlProcs& gl) {
  if (!gl.shaderOnly)
    return {glowVersion110, glowVersion130, glowVertexSource110, glowVertexSource130,
            glowOverlayNames110, glowBlurNames130};
  const char* version = gl.es ? glowVersion300es : glowVersion330;
  return {version, version, glowVertexSource3, glowVertexSource3, glowColourNames3,
          glowColourNames3};
}

// A stage as its version, the names it is given, any defines and its body.
struct Stage {
  const char* version;
  const char* names;
  const char* defines;
  const char* body;
};

GLuint compile(const GlProcs& gl, GLenum kind, const Stage& stage) {
  GLuint shader = gl.createShader(kind);
  const char* parts[4] = {stage.version, stage.names, stage.defines, stage.body};
  gl.shaderSource(shader, 4, parts, nullptr);
  gl.compileShader(shader);
  return builtOrReported(shader, GL_COMPILE_STATUS, gl.getShaderiv, gl.getShaderInfoLog,
                         gl.deleteShader, "does not compile")
             ? shader
             : 0;
}

GLuint link(const GlProcs& gl, const Stage& vertex, const Stage& fragment) {
  GLuint vs = compile(gl, GL_VERTEX_SHADER, vertex);
  GLuint fs = compile(gl, GL_FRAGMENT_SHADER, fragment);
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

// A program of the GLSL 1.30 family: the fragment body with its names and defines.
GLuint link130(const GlProcs& gl, const Dialect& d, const char* names, const char* defines,
               const char* fragment) {
  return link(gl, {d.version130, "", "", d.vertex130}, {d.version130, names, defines, fragment});
}

PassProgram passProgram(const GlProcs& gl, const Dialect& d, const char* fragment,
                        const char* defines, const char* names = "") {
  PassProgram p;
  p.name = link130(gl, d, names, defines, fragment);
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
// texels; without the fixed pipeline the unpacking; then its query.
void buildPackedPrograms(const GlProcs& gl, const Dialect& d) {
  programs.pack = passProgram(gl, d, glowPackSource, "");
  programs.down = passProgram(gl, d, glowPackedBlurSource, "");
  programs.downNear = passProgram(gl, d, glowPackedBlurSource, "#define NEAR\n");
  programs.first = passProgram(gl, d, glowPackedBlurSource, "#define FIRST\n");
  bool ready = programs.pack.name && programs.down.name && programs.downNear.name &&
               programs.first.name;
  for (int offset = 0; offset < 4; ++offset) {
    char defines[64];
    std::snprintf(defines, sizeof defines, "#define ACROSS\n#define OFFSET %d\n", offset);
    programs.across[offset] = passProgram(gl, d, glowPackedBlurSource, defines);
    std::snprintf(defines, sizeof defines, "#define ACROSS\n#define OFFSET %d\n#define NEAR\n",
                  offset);
    programs.acrossNear[offset] = passProgram(gl, d, glowPackedBlurSource, defines);
    ready = ready && programs.across[offset].name && programs.acrossNear[offset].name;
  }
  if (gl.shaderOnly) {
    programs.unpack = passProgram(gl, d, glowUnpackSource, "", d.colourNames);
    ready = ready && programs.unpack.name;
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
    const Dialect d = dialectFor(*gl);
    programs.blur = link130(*gl, d, d.colourNames, "", glowBlurSource);
    programs.overlay = link(*gl, {d.version110, "", "", d.vertex110},
                            {d.version110, d.overlayNames, "", glowOverlaySource});
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
    if (programs.ready && gl->integerTextures) buildPackedPrograms(*gl, d);
  }
  return programs.ready ? &programs : nullptr;
}
