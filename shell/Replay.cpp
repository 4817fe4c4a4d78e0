#include "shell/Replay.h"

#include "platform/Gl.h"
#include "render/Light.h"
#include "scenes/SharedLists.h"

#include <cstdint>

namespace {
// The state start-up leaves before the scenes prepare.
struct ReplaySnapshot {
  bool kept = false;  // GL's attributes are on its stacks
  GLfloat projection[16] = {};
  int16_t lightW = 0;
};

ReplaySnapshot snapshot;
}  // namespace

void keepStartState() {
  if (snapshot.kept) return;
  glPushAttrib(GL_ALL_ATTRIB_BITS);
  glPushClientAttrib(GL_CLIENT_ALL_ATTRIB_BITS);
  glGetFloatv(GL_PROJECTION_MATRIX, snapshot.projection);
  snapshot.lightW = sceneLight ? sceneLight->w : 0;
  snapshot.kept = true;
}

bool returnToStartState() {
  if (!snapshot.kept) return false;
  glPopClientAttrib();
  glPopAttrib();
  glPushAttrib(GL_ALL_ATTRIB_BITS);
  glPushClientAttrib(GL_CLIENT_ALL_ATTRIB_BITS);
  glMatrixMode(GL_PROJECTION);
  glLoadMatrixf(snapshot.projection);
  glMatrixMode(GL_MODELVIEW);
  if (sceneLight) sceneLight->w = snapshot.lightW;
  return true;
}

void releaseStartState() {
  if (snapshot.kept) {
    glPopClientAttrib();
    glPopAttrib();
  }
  snapshot = ReplaySnapshot{};
}
