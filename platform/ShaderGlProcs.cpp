#include "platform/ShaderGlProcs.h"

#include "platform/GlProcs.h"

ShaderGlProcs shaderProcsTable;

namespace {
bool loadDesktopOnly(ShaderGlProcs& p) {
  loadGlProc(p.getDoublev, "glGetDoublev");
  loadGlProc(p.getTexLevelParameteriv, "glGetTexLevelParameteriv");
  loadGlProc(p.getTexImage, "glGetTexImage");
  return true;
}
}  // namespace

bool loadShaderGlProcs(ShaderGlProcs& p) {
  return loadGlProc(p.createShader, "glCreateShader") &&
         loadGlProc(p.shaderSource, "glShaderSource") &&
         loadGlProc(p.compileShader, "glCompileShader") &&
         loadGlProc(p.getShaderiv, "glGetShaderiv") &&
         loadGlProc(p.getShaderInfoLog, "glGetShaderInfoLog") &&
         loadGlProc(p.deleteShader, "glDeleteShader") &&
         loadGlProc(p.createProgram, "glCreateProgram") &&
         loadGlProc(p.attachShader, "glAttachShader") &&
         loadGlProc(p.linkProgram, "glLinkProgram") &&
         loadGlProc(p.getProgramiv, "glGetProgramiv") &&
         loadGlProc(p.getProgramInfoLog, "glGetProgramInfoLog") &&
         loadGlProc(p.deleteProgram, "glDeleteProgram") &&
         loadGlProc(p.useProgram, "glUseProgram") &&
         loadGlProc(p.getUniformLocation, "glGetUniformLocation") &&
         loadGlProc(p.uniform1i, "glUniform1i") &&
         loadGlProc(p.uniform4fv, "glUniform4fv") &&
         loadGlProc(p.uniformMatrix3fv, "glUniformMatrix3fv") &&
         loadGlProc(p.uniformMatrix4fv, "glUniformMatrix4fv") &&
         loadGlProc(p.genBuffers, "glGenBuffers") &&
         loadGlProc(p.deleteBuffers, "glDeleteBuffers") &&
         loadGlProc(p.bindBuffer, "glBindBuffer") && loadGlProc(p.bufferData, "glBufferData") &&
         loadGlProc(p.bufferSubData, "glBufferSubData") &&
         loadGlProc(p.genVertexArrays, "glGenVertexArrays") &&
         loadGlProc(p.deleteVertexArrays, "glDeleteVertexArrays") &&
         loadGlProc(p.bindVertexArray, "glBindVertexArray") &&
         loadGlProc(p.vertexAttribPointer, "glVertexAttribPointer") &&
         loadGlProc(p.enableVertexAttribArray, "glEnableVertexAttribArray") &&
         loadGlProc(p.disableVertexAttribArray, "glDisableVertexAttribArray") &&
         loadGlProc(p.vertexAttrib4fv, "glVertexAttrib4fv") && loadDesktopOnly(p);
}
