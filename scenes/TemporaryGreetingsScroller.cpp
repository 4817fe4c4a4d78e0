// TEMPORARY stand-ins until these scenes land; delete this file then.
#include "scenes/Scenes.h"
#include "scenes/TemporaryScene.h"

void greetingsScene(int8_t m, float t) { temporaryScene(m, t, 0.9f, 0.5f, 0.1f); }
void endScroller(int8_t m, float t) { temporaryScene(m, t, 0.9f, 0.9f, 0.9f); }
