#include "platform/ShaderGlProcs.h"
#include "platform/ShaderGl.h"

#include <cstring>

ShaderGl* shaderGl = nullptr;

bool startStream();
void stopStream();
void releaseLists();
void restartStateRecord();
void fillTextureCalls(GlCalls& calls);
void fillQueryCalls(GlCalls& calls);

namespace {
const char* const desktopHeader = "#version 330 core\n";
const char* const esHeader =
    "#version 300 es\n"
    "precision highp float;\n"
    "precision highp int;\n"
    "precision highp sampler2D;\n"
    "precision highp usampler2D;\n";
}  // namespace

bool startShaderGl(bool es, const char** why) {
  stopShaderGl();
  if (!loadShaderGlProcs(shaderProcsTable)) {
    *why = "the context lacks vertex arrays, buffers or GLSL";
    return false;
  }
  shaderGl = new ShaderGl;
  ShaderGl& g = *shaderGl;
  g.es = es;
  for (auto& stack : g.stacks) stack.assign(1, Matrix4());
  ::glGetIntegerv(GL_VIEWPORT, g.s.viewport);
  startStream();
  restartStateRecord();
  if (!startPrograms(why)) {
    stopShaderGl();
    return false;
  }
  return true;
}

void settleShaderGl() {
  if (shaderGl) flushPending();
}

void stopShaderGl() {
  if (!shaderGl) return;
  shaderGl->pending.clear();
  stopPrograms();
  releaseLists();
  if (!shaderGl->ownTextures.empty())
    ::glDeleteTextures(GLsizei(shaderGl->ownTextures.size()), shaderGl->ownTextures.data());
  stopStream();
  delete shaderGl;
  shaderGl = nullptr;
}

void fillShaderGlCalls(GlCalls& calls) {
  fillMatrixCalls(calls);
  fillDrawCalls(calls);
  fillListCalls(calls);
  fillStateCalls(calls);
  fillRasterCalls(calls);
  fillTextureCalls(calls);
  fillQueryCalls(calls);
}

const char* shaderGlslHeader() { return shaderGl && shaderGl->es ? esHeader : desktopHeader; }
