// Linux and Windows: the system's GL 1.1, and every renderer.
#define KELVARN_SYSTEM_GL
#include "platform/GlSystem.h"

GlCalls systemGlCalls() {
  GlCalls calls = {
#define KELVARN_GL_SYSTEM_ENTRY(type, entry, name, params) &::name,
      KELVARN_GL_CALLS(KELVARN_GL_SYSTEM_ENTRY)
#undef KELVARN_GL_SYSTEM_ENTRY
  };
  return calls;
}

GlRenderer usableGlRenderer(GlRenderer wanted) { return wanted; }
