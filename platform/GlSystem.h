#pragma once
// What the system itself offers under the call table: its own GL 1.1 functions where it has
// them, and the renderers that can draw there.
#include "platform/Gl.h"

// The table as the system's GL 1.1 fills it; empty where the system has no GL 1.1 at all.
GlCalls systemGlCalls();
// The renderer that draws when `wanted` is asked for: the same, unless the system cannot carry
// it.
GlRenderer usableGlRenderer(GlRenderer wanted);
