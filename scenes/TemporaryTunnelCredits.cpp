// TEMPORARY stand-ins until these scenes land; delete this file then.
#include "scenes/Scenes.h"
#include "scenes/TemporaryScene.h"

void tunnelScene(int8_t m, float t) { temporaryScene(m, t, 0.2f, 0.2f, 0.8f); }
void creditScene(int8_t m, float t) { temporaryScene(m, t, 0.8f, 0.2f, 0.8f); }
