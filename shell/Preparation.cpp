#include "shell/Preparation.h"

#include "platform/Gl.h"
#include "scenes/SharedLists.h"
#include "shell/Timeline.h"

void prepareStartup() {
  fillSceneTable(timeline.table);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glEnable(GL_LIGHTING);

  makeSceneLight();

  glCullFace(GL_BACK);
  glEnable(GL_DEPTH_TEST);
  glEnable(GL_CULL_FACE);
  glEnable(GL_COLOR_MATERIAL);
  glHint(GL_LINE_SMOOTH_HINT, GL_FASTEST);
  glEnable(GL_LINE_SMOOTH);
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT);

  buildSharedLists();
}

void prepareScenes() {
  for (int i = 0; i < sceneCount; ++i) timeline.table.slot[i](0, 0.0f);
}
