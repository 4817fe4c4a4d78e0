// A browser: WebGL 2 is OpenGL ES 3.0 and nothing older, so the ES renderer draws whatever was
// asked for, and the table holds nothing until it fills it.
#define KELVARN_SYSTEM_GL
#include "platform/GlSystem.h"

GlCalls systemGlCalls() { return GlCalls{}; }

GlRenderer usableGlRenderer(GlRenderer) { return GlRenderer::Es; }
