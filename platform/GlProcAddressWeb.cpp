// A browser: WebGL 2's own names only. The general lookup would hand WebGL 1's extension
// functions (glGenQueriesEXT for glGenQueries) to a WebGL 2 context, which lacks them.
#include "platform/GlProcs.h"

#include <emscripten/html5_webgl.h>

void* glProcAddress(const char* name) { return emscripten_webgl_get_proc_address(name); }
