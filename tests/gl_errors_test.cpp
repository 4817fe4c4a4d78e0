// Every phase of every scene, in show order so that the state each scene leaves reaches the
// next: no frame may raise a GL error.
#include "shell/Preparation.h"
#include "shell/Timeline.h"
#include "tests/GlTestContext.h"

#include <SDL_opengl.h>

#include <vector>

namespace {
const std::vector<float> cardMoments = {0.02f, 0.1f, 0.3f, 0.5f, 0.76f, 0.8f, 0.95f, 1.0f};

// Moments chosen to land in each phase, fade and special window of each slot.
const std::vector<float> moments[sceneCount] = {
    {0.05f, 0.15f, 0.25f, 0.331f, 0.4f, 0.555f, 0.58f, 0.62f, 0.7f, 0.9f, 1.0f},
    cardMoments,
    {0.02f, 0.2f, 0.29f, 0.31f, 0.4f, 0.49f, 0.52f, 0.6f, 0.75f, 0.97f, 1.0f},
    cardMoments,
    {0.05f, 0.15f, 0.25f, 0.3f, 0.45f, 0.55f, 0.65f, 0.82f, 0.9f, 0.97f, 1.0f},
    cardMoments,
    {0.02f, 0.1f, 0.12f, 0.3f, 0.5f, 0.72f, 0.78f, 0.85f, 0.97f, 1.0f},
    cardMoments,
    {0.02f, 0.1f, 0.5f, 0.79f, 0.82f, 0.86f, 0.9f, 0.97f, 1.0f},
    {0.02f, 0.1f, 0.5f, 0.9f, 0.97f, 1.0f, 36001.0f / 36000.0f},
};
}  // namespace

class GlErrors : public GlTest {};

TEST_F(GlErrors, NoSceneRaisesAnErrorInAnyPhase) {
  while (glGetError() != GL_NO_ERROR) {
  }
  prepareStartup();
  prepareScenes();
  ASSERT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR)) << "start-up";
  for (int slot = 0; slot < sceneCount; ++slot) {
    for (float t : moments[slot]) {
      glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
      glLoadIdentity();
      timeline.table.slot[slot](1, t);
      GLenum error = glGetError();
      EXPECT_EQ(error, static_cast<GLenum>(GL_NO_ERROR)) << "slot " << slot << " at t = " << t;
      while (error != GL_NO_ERROR) error = glGetError();
    }
  }
  // After the show every matrix stack is back where it began: no scene pushes without a pop.
  GLint depth = 0;
  glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
  EXPECT_EQ(depth, 2);  // the fixture's own push
  glGetIntegerv(GL_PROJECTION_STACK_DEPTH, &depth);
  EXPECT_EQ(depth, 2);
  glGetIntegerv(GL_ATTRIB_STACK_DEPTH, &depth);
  EXPECT_EQ(depth, 1);
}
