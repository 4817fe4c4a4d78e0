#pragma once
// GL and GLU as the rest of the program sees them: GL 1.1 and GLU from the system's own
// headers, and the names (constants and entry-point types) of everything later, whose entry
// points are looked up per context in platform/GlProcs.h. Nothing outside platform/ includes a
// GL header of its own.
#include <GL/gl.h>
#include <GL/glext.h>
#include <GL/glu.h>
#include "platform/GlCalls.h"
