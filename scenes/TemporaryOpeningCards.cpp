// TEMPORARY stand-ins until these scenes land; delete this file then.
#include "scenes/Scenes.h"
#include "scenes/TemporaryScene.h"

void openingScene(int8_t m, float t) { temporaryScene(m, t, 0.8f, 0.2f, 0.2f); }
void titleCard1(int8_t m, float t) { temporaryScene(m, t, 0.2f, 0.8f, 0.2f); }
void titleCard2(int8_t m, float t) { temporaryScene(m, t, 0.8f, 0.8f, 0.2f); }
void titleCard3(int8_t m, float t) { temporaryScene(m, t, 0.2f, 0.8f, 0.8f); }
void titleCard4(int8_t m, float t) { temporaryScene(m, t, 0.5f, 0.1f, 0.9f); }
