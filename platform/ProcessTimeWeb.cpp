// A browser: the page's own clock, which starts when the page begins to load.
#include "platform/ProcessTime.h"

#include <emscripten.h>

double steadyMs() { return emscripten_get_now(); }

double msSinceProcessStart() { return emscripten_get_now(); }
