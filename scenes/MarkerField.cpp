// The marker field: ring-and-lens markers strung along the greetings path, spinning in the
// screen plane. The greetings hang a name in each; the end scroller shows them as a soft glow.
#include "scenes/MarkerField.h"

#include "platform/Gl.h"
#include "render/GlState.h"
#include "render/Texture.h"
#include "scenes/SharedLists.h"

const float greetOffsets[greetCount][3] = {
    {-300, 0, 0}, {112, 30, 0}, {95, 70, 0},  {0, -140, 0},  {95, 70, 0},   {105, -50, 0},
    {95, 70, 0},  {77, -90, 0}, {-60, -100, 0}, {-85, -80, 0}, {-115, 20, 0},
};

namespace {
// Each marker spins at direction * 720 * t + phase degrees: two turns over the scene, some one
// way and some the other, slightly out of step.
struct MarkerSpin {
  float direction;
  float phase;
};
const MarkerSpin markerSpins[greetCount] = {
    {1, 0},  {-1, -10}, {1, 7},   {1, 5.03f}, {-1, -10}, {1, -10},
    {-1, 10}, {1, -5},  {-1, 10}, {1, 0},     {-1, 10},
};

// Where each copy of the path stands, and which stretch of it it repeats. A zero move or a zero
// angle means that placement is left out.
struct MarkerGroup {
  float move[3];
  float turn[4];  // angle, then axis
  int32_t first;
  int32_t end;
};
const MarkerGroup markerGroups[] = {
    {{0, 0, 0}, {0, 0, 0, 0}, 0, 11},
    {{100, 200, -500}, {80, 1, 0, 1}, 0, 6},
    {{400, 50, 100}, {130, 0, 1, 1}, 5, 8},
    {{-180, 0, 300}, {0, 0, 0, 0}, 7, 10},
};
}  // namespace

float markerGrey(float t) {
  if (t < 0.2f) return t;
  if (t < 0.61f) return 0.2f;
  if (t < 0.7f) return 0.2f - (t - 0.61f) * 2.22222f;
  return 0.0f;
}

void drawMarkerField(float t, int32_t first, int32_t end, Texture& texture) {
  if (first < 0) first = 0;
  if (end > greetCount) end = greetCount;
  const float grey = markerGrey(t);
  const float a = 720.0f * t;
  glPushMatrix();
  for (int32_t i = first; i < end; ++i) {
    glTranslatef(greetOffsets[i][0], greetOffsets[i][1], greetOffsets[i][2]);
    glColor4f(grey, grey, grey, 1.0f);
    texture.bindTexture(0);  // the marker list unbinds its own texture at the end
    glPushMatrix();
    glRotatef(90.0f, 1.0f, 0.0f, 0.0f);
    glRotatef(markerSpins[i].direction * a + markerSpins[i].phase, 0.0f, 1.0f, 0.0f);
    // A marker wholly out of view draws nothing; only the state it would leave is set.
    glCallList(sphereOutOfView(markerRadius) ? markerStateList : markerList);
    glPopMatrix();
  }
  glPopMatrix();
  unbindTexture();
}

void drawMarkerGroups(float t, Texture& texture) {
  for (const MarkerGroup& group : markerGroups) {
    glPushMatrix();
    if (group.move[0] != 0.0f || group.move[1] != 0.0f || group.move[2] != 0.0f)
      glTranslatef(group.move[0], group.move[1], group.move[2]);
    if (group.turn[0] != 0.0f) glRotatef(group.turn[0], group.turn[1], group.turn[2], group.turn[3]);
    drawMarkerField(t, group.first, group.end, texture);
    glPopMatrix();
  }
}
