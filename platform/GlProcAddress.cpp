// Linux and Windows: the windowing layer looks GL's entry points up.
#include "platform/GlProcs.h"

#include <SDL.h>

void* glProcAddress(const char* name) { return SDL_GL_GetProcAddress(name); }
