// TEMPORARY scenes: each clears the screen to a colour of its own, brightening through its slot,
// until the real scene lands in its slot. Delete an entry when its scene unit exists.
#include "scenes/Scenes.h"

#include <SDL_opengl.h>

namespace {
void temporaryScene(int8_t mode, float t, float r, float g, float b) {
  if (mode != 1) return;
  float k = 0.3f + 0.7f * (t > 1.0f ? 1.0f : t);
  glClearColor(r * k, g * k, b * k, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT);
}
}  // namespace

void openingScene(int8_t m, float t) { temporaryScene(m, t, 0.8f, 0.2f, 0.2f); }
void titleCard1(int8_t m, float t) { temporaryScene(m, t, 0.2f, 0.8f, 0.2f); }
void tunnelScene(int8_t m, float t) { temporaryScene(m, t, 0.2f, 0.2f, 0.8f); }
void titleCard2(int8_t m, float t) { temporaryScene(m, t, 0.8f, 0.8f, 0.2f); }
void creditScene(int8_t m, float t) { temporaryScene(m, t, 0.8f, 0.2f, 0.8f); }
void titleCard3(int8_t m, float t) { temporaryScene(m, t, 0.2f, 0.8f, 0.8f); }
void greetingsScene(int8_t m, float t) { temporaryScene(m, t, 0.9f, 0.5f, 0.1f); }
void titleCard4(int8_t m, float t) { temporaryScene(m, t, 0.5f, 0.1f, 0.9f); }
void spiralScene(int8_t m, float t) { temporaryScene(m, t, 0.1f, 0.9f, 0.5f); }
void endScroller(int8_t m, float t) { temporaryScene(m, t, 0.9f, 0.9f, 0.9f); }
