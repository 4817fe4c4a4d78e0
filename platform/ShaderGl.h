#pragma once
// The shader renderer: GL 1.1's calls as the show makes them, answered on vertex buffers and
// one family of GLSL programs, in an OpenGL 3.3 core-profile or OpenGL ES 3.0 context. Only
// platform/GlCalls.cpp starts it; everything else draws through platform/Gl.h.
#include "platform/Gl.h"

// Makes the current context's buffers and programs. False, with the reason in *why, when the
// context lacks what the renderer needs.
bool startShaderGl(bool es, const char** why);
void stopShaderGl();
// Draws the batches held back to be drawn together.
void settleShaderGl();
// The renderer's entries in the call table; calls it leaves alone keep the system's function.
void fillShaderGlCalls(GlCalls& calls);
// The first lines of every program for the current context: "#version 330 core", or
// "#version 300 es" with its precisions.
const char* shaderGlslHeader();
