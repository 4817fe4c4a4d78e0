#pragma once
// The GL 2.0 to 3.0 entry points the shader renderer calls (the framebuffer calls are
// platform/GlProcs.h's), looked up once per context.
#include "platform/ShaderGlState.h"

struct ShaderGlProcs {
  PFNGLCREATESHADERPROC createShader = nullptr;
  PFNGLSHADERSOURCEPROC shaderSource = nullptr;
  PFNGLCOMPILESHADERPROC compileShader = nullptr;
  PFNGLGETSHADERIVPROC getShaderiv = nullptr;
  PFNGLGETSHADERINFOLOGPROC getShaderInfoLog = nullptr;
  PFNGLDELETESHADERPROC deleteShader = nullptr;
  PFNGLCREATEPROGRAMPROC createProgram = nullptr;
  PFNGLATTACHSHADERPROC attachShader = nullptr;
  PFNGLLINKPROGRAMPROC linkProgram = nullptr;
  PFNGLGETPROGRAMIVPROC getProgramiv = nullptr;
  PFNGLGETPROGRAMINFOLOGPROC getProgramInfoLog = nullptr;
  PFNGLDELETEPROGRAMPROC deleteProgram = nullptr;
  PFNGLUSEPROGRAMPROC useProgram = nullptr;
  PFNGLGETUNIFORMLOCATIONPROC getUniformLocation = nullptr;
  PFNGLUNIFORM1IPROC uniform1i = nullptr;
  PFNGLUNIFORM4FVPROC uniform4fv = nullptr;
  PFNGLUNIFORMMATRIX3FVPROC uniformMatrix3fv = nullptr;
  PFNGLUNIFORMMATRIX4FVPROC uniformMatrix4fv = nullptr;
  PFNGLGENBUFFERSPROC genBuffers = nullptr;
  PFNGLDELETEBUFFERSPROC deleteBuffers = nullptr;
  PFNGLBINDBUFFERPROC bindBuffer = nullptr;
  PFNGLBUFFERDATAPROC bufferData = nullptr;
  PFNGLBUFFERSUBDATAPROC bufferSubData = nullptr;
  PFNGLGENVERTEXARRAYSPROC genVertexArrays = nullptr;
  PFNGLDELETEVERTEXARRAYSPROC deleteVertexArrays = nullptr;
  PFNGLBINDVERTEXARRAYPROC bindVertexArray = nullptr;
  PFNGLVERTEXATTRIBPOINTERPROC vertexAttribPointer = nullptr;
  PFNGLENABLEVERTEXATTRIBARRAYPROC enableVertexAttribArray = nullptr;
  PFNGLDISABLEVERTEXATTRIBARRAYPROC disableVertexAttribArray = nullptr;
  PFNGLVERTEXATTRIB4FVPROC vertexAttrib4fv = nullptr;
  // Desktop GL only (an ES context has none of them, and WebGL not even the names): looked up,
  // never required, and called only where the context is not ES.
  void(APIENTRY* getDoublev)(GLenum name, GLdouble* v) = nullptr;
  void(APIENTRY* getTexLevelParameteriv)(GLenum target, GLint level, GLenum name, GLint* v) = nullptr;
  void(APIENTRY* getTexImage)(GLenum target, GLint level, GLenum format, GLenum type,
                              void* pixels) = nullptr;
};
extern ShaderGlProcs shaderProcsTable;
bool loadShaderGlProcs(ShaderGlProcs& p);
