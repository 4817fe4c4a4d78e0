// The table of GL 1.1 and GLU entry points, and which renderer fills it.
#define KELVARN_SYSTEM_GL
#include "platform/Gl.h"

#include "platform/GlSystem.h"
#include "platform/ShaderGl.h"

GlCalls glCalls = systemGlCalls();

namespace {
struct RendererChoice {
  GlRenderer chosen = GlRenderer::Reference;
  bool shaderActive = false;
};
RendererChoice choice;
}  // namespace

void chooseGlRenderer(GlRenderer renderer) { choice.chosen = usableGlRenderer(renderer); }

GlRenderer chosenGlRenderer() { return choice.chosen; }

bool startGlCalls(const char** why) {
  stopGlCalls();
  if (choice.chosen == GlRenderer::Reference) return true;
  if (!startShaderGl(choice.chosen == GlRenderer::Es, why)) return false;
  fillShaderGlCalls(glCalls);
  choice.shaderActive = true;
  return true;
}

void stopGlCalls() {
  if (choice.shaderActive) stopShaderGl();
  choice.shaderActive = false;
  glCalls = systemGlCalls();
}

bool shaderRendererActive() { return choice.shaderActive; }

void settleGlCalls() {
  if (choice.shaderActive) settleShaderGl();
}
