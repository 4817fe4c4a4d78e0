#include "platform/ShaderGl.h"

bool startShaderGl(bool, const char** why) {
  *why = "the shader renderer is not built yet";
  return false;
}
void stopShaderGl() {}
void fillShaderGlCalls(GlCalls&) {}
const char* shaderGlslHeader() { return "#version 330 core\n"; }
