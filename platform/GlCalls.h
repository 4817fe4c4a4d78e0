#pragma once
// The GL 1.1 and GLU calls the show makes, reached through one table of entry points that is
// filled once, when the renderer is chosen at start-up. On the reference renderer the table
// holds the system's own GL 1.1 functions, called as they always were. On the shader renderer
// (an OpenGL 3.3 core or OpenGL ES 3.0 context) the calls that have no such context behind them
// (immediate mode, display lists, matrix stacks, the light, fog, texgen, the alpha test,
// bitmaps, wide smooth lines, the attribute stacks) are answered by platform/ShaderGl*.cpp on
// vertex buffers and one family of shaders; the rest go to the context as they are.
//
// The names below stand for the table's entries wherever platform/Gl.h is included, as a GL
// loader's names stand for its function pointers, so drawing code reads as plain GL 1.1.

#ifndef APIENTRY
#define APIENTRY
#endif

// (return type, table entry, GL name, parameters)
#define KELVARN_GL_CALLS(X)                                                                     \
  X(void, begin, glBegin, (GLenum mode))                                                        \
  X(void, end, glEnd, (void))                                                                   \
  X(void, vertex2f, glVertex2f, (GLfloat x, GLfloat y))                                         \
  X(void, vertex2i, glVertex2i, (GLint x, GLint y))                                             \
  X(void, vertex3f, glVertex3f, (GLfloat x, GLfloat y, GLfloat z))                              \
  X(void, vertex3i, glVertex3i, (GLint x, GLint y, GLint z))                                    \
  X(void, normal3f, glNormal3f, (GLfloat x, GLfloat y, GLfloat z))                              \
  X(void, normal3fv, glNormal3fv, (const GLfloat* v))                                           \
  X(void, texCoord2f, glTexCoord2f, (GLfloat s, GLfloat t))                                     \
  X(void, texCoord4fv, glTexCoord4fv, (const GLfloat* v))                                       \
  X(void, color3f, glColor3f, (GLfloat r, GLfloat g, GLfloat b))                                \
  X(void, color4f, glColor4f, (GLfloat r, GLfloat g, GLfloat b, GLfloat a))                     \
  X(void, color4fv, glColor4fv, (const GLfloat* v))                                             \
  X(void, rectf, glRectf, (GLfloat x1, GLfloat y1, GLfloat x2, GLfloat y2))                     \
  X(void, recti, glRecti, (GLint x1, GLint y1, GLint x2, GLint y2))                             \
  X(void, matrixMode, glMatrixMode, (GLenum mode))                                              \
  X(void, loadIdentity, glLoadIdentity, (void))                                                 \
  X(void, pushMatrix, glPushMatrix, (void))                                                     \
  X(void, popMatrix, glPopMatrix, (void))                                                       \
  X(void, translatef, glTranslatef, (GLfloat x, GLfloat y, GLfloat z))                          \
  X(void, rotatef, glRotatef, (GLfloat angle, GLfloat x, GLfloat y, GLfloat z))                 \
  X(void, scalef, glScalef, (GLfloat x, GLfloat y, GLfloat z))                                  \
  X(void, loadMatrixf, glLoadMatrixf, (const GLfloat* m))                                       \
  X(void, ortho, glOrtho,                                                                       \
    (GLdouble l, GLdouble r, GLdouble b, GLdouble t, GLdouble n, GLdouble f))                   \
  X(void, lookAt, gluLookAt,                                                                    \
    (GLdouble ex, GLdouble ey, GLdouble ez, GLdouble cx, GLdouble cy, GLdouble cz, GLdouble ux, \
     GLdouble uy, GLdouble uz))                                                                 \
  X(void, perspective, gluPerspective, (GLdouble fovy, GLdouble aspect, GLdouble n, GLdouble f)) \
  X(GLuint, genLists, glGenLists, (GLsizei range))                                              \
  X(void, newList, glNewList, (GLuint list, GLenum mode))                                       \
  X(void, endList, glEndList, (void))                                                           \
  X(void, callList, glCallList, (GLuint list))                                                  \
  X(void, callLists, glCallLists, (GLsizei n, GLenum type, const void* lists))                  \
  X(void, listBase, glListBase, (GLuint base))                                                  \
  X(void, deleteLists, glDeleteLists, (GLuint list, GLsizei range))                             \
  X(GLboolean, isList, glIsList, (GLuint list))                                                 \
  X(void, enable, glEnable, (GLenum cap))                                                       \
  X(void, disable, glDisable, (GLenum cap))                                                     \
  X(GLboolean, isEnabled, glIsEnabled, (GLenum cap))                                            \
  X(void, getIntegerv, glGetIntegerv, (GLenum name, GLint* v))                                  \
  X(void, getFloatv, glGetFloatv, (GLenum name, GLfloat* v))                                    \
  X(void, getBooleanv, glGetBooleanv, (GLenum name, GLboolean* v))                              \
  X(void, getDoublev, glGetDoublev, (GLenum name, GLdouble* v))                                 \
  X(void, pushAttrib, glPushAttrib, (GLbitfield mask))                                          \
  X(void, popAttrib, glPopAttrib, (void))                                                       \
  X(void, pushClientAttrib, glPushClientAttrib, (GLbitfield mask))                              \
  X(void, popClientAttrib, glPopClientAttrib, (void))                                           \
  X(void, pixelStorei, glPixelStorei, (GLenum name, GLint value))                               \
  X(void, hint, glHint, (GLenum target, GLenum mode))                                           \
  X(void, lightfv, glLightfv, (GLenum light, GLenum name, const GLfloat* v))                    \
  X(void, getLightfv, glGetLightfv, (GLenum light, GLenum name, GLfloat* v))                    \
  X(void, lightModelf, glLightModelf, (GLenum name, GLfloat value))                             \
  X(void, fogf, glFogf, (GLenum name, GLfloat value))                                           \
  X(void, fogi, glFogi, (GLenum name, GLint value))                                             \
  X(void, fogfv, glFogfv, (GLenum name, const GLfloat* v))                                      \
  X(void, texEnvi, glTexEnvi, (GLenum target, GLenum name, GLint value))                        \
  X(void, getTexEnviv, glGetTexEnviv, (GLenum target, GLenum name, GLint* v))                   \
  X(void, texGeni, glTexGeni, (GLenum coord, GLenum name, GLint value))                         \
  X(void, getTexGeniv, glGetTexGeniv, (GLenum coord, GLenum name, GLint* v))                    \
  X(void, alphaFunc, glAlphaFunc, (GLenum func, GLfloat ref))                                   \
  X(void, polygonMode, glPolygonMode, (GLenum face, GLenum mode))                               \
  X(void, lineWidth, glLineWidth, (GLfloat width))                                              \
  X(void, texImage2D, glTexImage2D,                                                             \
    (GLenum target, GLint level, GLint internalFormat, GLsizei width, GLsizei height,           \
     GLint border, GLenum format, GLenum type, const void* pixels))                             \
  X(void, getTexLevelParameteriv, glGetTexLevelParameteriv,                                     \
    (GLenum target, GLint level, GLenum name, GLint* v))                                        \
  X(void, texParameteri, glTexParameteri, (GLenum target, GLenum name, GLint value))           \
  X(void, getTexParameteriv, glGetTexParameteriv, (GLenum target, GLenum name, GLint* v))      \
  X(void, getTexImage, glGetTexImage,                                                           \
    (GLenum target, GLint level, GLenum format, GLenum type, void* pixels))                     \
  X(void, rasterPos2i, glRasterPos2i, (GLint x, GLint y))                                       \
  X(void, rasterPos2f, glRasterPos2f, (GLfloat x, GLfloat y))                                   \
  X(void, rasterPos3i, glRasterPos3i, (GLint x, GLint y, GLint z))                              \
  X(void, bitmap, glBitmap,                                                                     \
    (GLsizei width, GLsizei height, GLfloat xorig, GLfloat yorig, GLfloat xmove, GLfloat ymove, \
     const GLubyte* bits))                                                                      \
  X(void, blendFunc, glBlendFunc, (GLenum src, GLenum dst))                                    \
  X(void, depthMask, glDepthMask, (GLboolean on))                                               \
  X(void, depthFunc, glDepthFunc, (GLenum func))                                                \
  X(void, colorMask, glColorMask, (GLboolean r, GLboolean g, GLboolean b, GLboolean a))         \
  X(void, cullFace, glCullFace, (GLenum face))                                                  \
  X(void, polygonOffset, glPolygonOffset, (GLfloat factor, GLfloat units))                      \
  X(void, viewport, glViewport, (GLint x, GLint y, GLsizei width, GLsizei height))              \
  X(void, clearColor, glClearColor, (GLfloat r, GLfloat g, GLfloat b, GLfloat a))               \
  X(void, bindTexture, glBindTexture, (GLenum target, GLuint texture))                          \
  X(void, deleteTextures, glDeleteTextures, (GLsizei n, const GLuint* textures))                \
  X(void, clear, glClear, (GLbitfield mask))                                                    \
  X(void, copyTexSubImage2D, glCopyTexSubImage2D,                                               \
    (GLenum target, GLint level, GLint xoffset, GLint yoffset, GLint x, GLint y, GLsizei width, \
     GLsizei height))                                                                           \
  X(void, readPixels, glReadPixels,                                                             \
    (GLint x, GLint y, GLsizei width, GLsizei height, GLenum format, GLenum type, void* pixels)) \
  X(void, finish, glFinish, (void))                                                             \
  X(void, flush, glFlush, (void))                                                               \
  X(GLint, renderMode, glRenderMode, (GLenum mode))

struct GlCalls {
#define KELVARN_GL_ENTRY(type, entry, name, params) type(APIENTRY* entry) params = nullptr;
  KELVARN_GL_CALLS(KELVARN_GL_ENTRY)
#undef KELVARN_GL_ENTRY
};
extern GlCalls glCalls;

// Which renderer draws. Chosen once, before the window opens; the reference is the default.
enum class GlRenderer {
  Reference,  // the system's GL 1.1 pipeline in a compatibility context
  Core,       // the shader renderer in an OpenGL 3.3 core-profile context
  Es,         // the shader renderer in an OpenGL ES 3.0 context
};
void chooseGlRenderer(GlRenderer renderer);
GlRenderer chosenGlRenderer();
// Fills the table for the chosen renderer once its context is current, and for the shader
// renderer makes that context's buffers and programs. False, with a reason in *why, when the
// context cannot carry it.
bool startGlCalls(const char** why);
// Gives back the shader renderer's buffers, programs and lists of the current context.
void stopGlCalls();
// True while the shader renderer answers the calls.
bool shaderRendererActive();
// Draws whatever the shader renderer still holds back, before calls outside the table (a
// caller's own programs and framebuffers) take over; nothing on the reference.
void settleGlCalls();
// The shader renderer's vertex inputs, bound to these locations in every program it draws
// with, its own and a caller's (the glow's): a caller's program reads the position and texture
// coordinates there and the transform from `uniform mat4 modelViewProjection`.
enum ShaderAttribute : unsigned {
  attributePosition = 0,
  attributeColour = 1,
  attributeNormal = 2,
  attributeTexCoord = 3,
};

#ifndef KELVARN_SYSTEM_GL
#define glBegin glCalls.begin
#define glEnd glCalls.end
#define glVertex2f glCalls.vertex2f
#define glVertex2i glCalls.vertex2i
#define glVertex3f glCalls.vertex3f
#define glVertex3i glCalls.vertex3i
#define glNormal3f glCalls.normal3f
#define glNormal3fv glCalls.normal3fv
#define glTexCoord2f glCalls.texCoord2f
#define glTexCoord4fv glCalls.texCoord4fv
#define glColor3f glCalls.color3f
#define glColor4f glCalls.color4f
#define glColor4fv glCalls.color4fv
#define glRectf glCalls.rectf
#define glRecti glCalls.recti
#define glMatrixMode glCalls.matrixMode
#define glLoadIdentity glCalls.loadIdentity
#define glPushMatrix glCalls.pushMatrix
#define glPopMatrix glCalls.popMatrix
#define glTranslatef glCalls.translatef
#define glRotatef glCalls.rotatef
#define glScalef glCalls.scalef
#define glLoadMatrixf glCalls.loadMatrixf
#define glOrtho glCalls.ortho
#define gluLookAt glCalls.lookAt
#define gluPerspective glCalls.perspective
#define glGenLists glCalls.genLists
#define glNewList glCalls.newList
#define glEndList glCalls.endList
#define glCallList glCalls.callList
#define glCallLists glCalls.callLists
#define glListBase glCalls.listBase
#define glDeleteLists glCalls.deleteLists
#define glIsList glCalls.isList
#define glEnable glCalls.enable
#define glDisable glCalls.disable
#define glIsEnabled glCalls.isEnabled
#define glGetIntegerv glCalls.getIntegerv
#define glGetFloatv glCalls.getFloatv
#define glGetBooleanv glCalls.getBooleanv
#define glGetDoublev glCalls.getDoublev
#define glPushAttrib glCalls.pushAttrib
#define glPopAttrib glCalls.popAttrib
#define glPushClientAttrib glCalls.pushClientAttrib
#define glPopClientAttrib glCalls.popClientAttrib
#define glPixelStorei glCalls.pixelStorei
#define glHint glCalls.hint
#define glLightfv glCalls.lightfv
#define glGetLightfv glCalls.getLightfv
#define glLightModelf glCalls.lightModelf
#define glFogf glCalls.fogf
#define glFogi glCalls.fogi
#define glFogfv glCalls.fogfv
#define glTexEnvi glCalls.texEnvi
#define glGetTexEnviv glCalls.getTexEnviv
#define glTexGeni glCalls.texGeni
#define glGetTexGeniv glCalls.getTexGeniv
#define glAlphaFunc glCalls.alphaFunc
#define glPolygonMode glCalls.polygonMode
#define glLineWidth glCalls.lineWidth
#define glTexImage2D glCalls.texImage2D
#define glGetTexLevelParameteriv glCalls.getTexLevelParameteriv
#define glTexParameteri glCalls.texParameteri
#define glGetTexParameteriv glCalls.getTexParameteriv
#define glGetTexImage glCalls.getTexImage
#define glRasterPos2i glCalls.rasterPos2i
#define glRasterPos2f glCalls.rasterPos2f
#define glRasterPos3i glCalls.rasterPos3i
#define glBitmap glCalls.bitmap
#define glBlendFunc glCalls.blendFunc
#define glDepthMask glCalls.depthMask
#define glDepthFunc glCalls.depthFunc
#define glColorMask glCalls.colorMask
#define glCullFace glCalls.cullFace
#define glPolygonOffset glCalls.polygonOffset
#define glViewport glCalls.viewport
#define glClearColor glCalls.clearColor
#define glBindTexture glCalls.bindTexture
#define glDeleteTextures glCalls.deleteTextures
#define glClear glCalls.clear
#define glCopyTexSubImage2D glCalls.copyTexSubImage2D
#define glReadPixels glCalls.readPixels
#define glFinish glCalls.finish
#define glFlush glCalls.flush
#define glRenderMode glCalls.renderMode
#endif
