#include "shell/Preparation.h"

#include "shell/Timeline.h"

#include <SDL_opengl.h>

void prepareStartup() {
  fillSceneTable(sceneTable);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT);
}

void prepareScenes() {
  for (int i = 0; i < sceneCount; ++i) sceneTable.slot[i](0, 0.0f);
}
