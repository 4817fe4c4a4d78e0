#pragma once
#include "platform/Gl.h"

struct Light;

// The light and the display lists several scenes share. The start-up preparation
// (shell/Preparation.h) makes them once, with the context current, and they stay for the
// whole run; scenes read them.

// The scene light: GL_LIGHT0, enabled, at (0, 0, 0, 0) until a scene places it.
extern Light* sceneLight;
// Makes the scene light. Lights number from GL_LIGHT0 again, so it is GL_LIGHT0 whatever was
// made before (an earlier preparation's light, which it replaces, included).
void makeSceneLight();
// Compiles the lists below (and loads the marker's texture).
void buildSharedLists();

// Black lathed spindle (y from 500 to -500) with an additive wireframe and 40 cyan latitude
// rings. Calling it leaves lighting and culling on, blending off, the colour white and the
// filled-polygon offset (1, 1) enabled.
extern GLuint spindleList;
// What spindleList holds, drawn at once.
void drawSpindle();
// The thin pipe torus of the tunnel, seen from outside.
extern GLuint pipeTorusList;
// The tunnel's thick torus, seen from inside; the cull face is GL_BACK again afterwards.
extern GLuint tunnelTorusList;
// The banded ring with two faint cyan lenses in its hole, textured with the sphere picture.
extern GLuint markerList;
// No shapes: only the state markerList leaves behind, for a marker that cannot be seen.
extern GLuint markerStateList;
// A sphere about the marker's origin holding all of it.
constexpr float markerRadius = 60.0f;
// The small banded ring.
extern GLuint sharedMeshList;
// The credit scene's backdrop torus.
extern GLuint backdropTorusList;
