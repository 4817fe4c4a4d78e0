#pragma once
// The shader renderer's own record of the GL 1.1 state it stands in for, shared by its files.
#define KELVARN_SYSTEM_GL
#include "platform/Gl.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <unordered_map>
#include <vector>

struct Matrix4 {
  float m[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};  // column-major, as GL keeps it
};
Matrix4 multiply(const Matrix4& a, const Matrix4& b);
void transformPoint(const Matrix4& m, const float in[4], float out[4]);

// One vertex as the programs read it. Lines come in window-ready form (see ShaderGlLines.cpp).
struct ShaderVertex {
  float position[4];
  float colour[4];
  float normal[3];
  float texCoord[4];
};

// A primitive between glBegin and glEnd as it was given, kept for drawing it later filled or as
// its outline (polygon mode, culling) and for lists.
struct Batch {
  GLenum mode = GL_TRIANGLES;
  uint8_t live = 0;  // attributes the list never set: the current ones when it is called
  std::vector<ShaderVertex> vertices;
};

// Batches that follow one another in a list with nothing between them but their own colours:
// drawn with one call, filled from the list's buffer or outlined together.
struct BatchRun {
  size_t firstBatch = 0, batchCount = 0;
  size_t firstVertex = 0, vertexCount = 0;
  bool polygons = true;
  uint8_t live = 0;
  uint8_t set = 0;  // the attributes the run leaves current, and their values
  float last[11] = {};
};

// A compiled list: its commands, and its filled triangles in one static buffer.
struct ShaderList {
  std::vector<std::function<void()>> commands;
  std::vector<BatchRun> runs;
  size_t runCommand = ~size_t(0);  // the command that draws the last run, while it may grow
  bool attributesPending = false;   // colours given since the last batch, not yet a command
  std::vector<Batch> batches;            // as given, for outlines
  std::vector<ShaderVertex> triangles;   // every polygon batch, filled, one after another
  GLuint buffer = 0;
  GLuint vertexArray = 0;
};

struct LightState {
  bool enabled = false;
  float ambient[4] = {0, 0, 0, 1};
  float diffuse[4] = {1, 1, 1, 1};  // light 0's own default
  float specular[4] = {1, 1, 1, 1};
  float position[4] = {0, 0, 1, 0};  // in eye space, as given through the modelview then current
};

struct FogState {
  GLint mode = GL_EXP;
  float density = 1, start = 0, end = 1;
  float colour[4] = {0, 0, 0, 0};
};

// The part of the state glPushAttrib keeps: all of it but the matrix stacks and lists, and
// the context's own state read back when pushed.
struct FixedState {
  bool lighting = false, colourMaterial = false, fog = false, texture2D = false;
  bool textureGenS = false, textureGenT = false, alphaTest = false, lineSmooth = false;
  bool normalize = false, polygonOffsetLine = false, polygonOffsetFill = false, cullFace = false;
  bool depthTest = false, blend = false, twoSided = false;
  LightState light;
  float lightModelAmbient[4] = {0.2f, 0.2f, 0.2f, 1};
  FogState fog_;
  GLint texEnvMode = GL_MODULATE;
  GLint texGenMode[2] = {GL_EYE_LINEAR, GL_EYE_LINEAR};
  GLenum alphaFunc = GL_ALWAYS;
  float alphaRef = 0;
  GLenum polygonMode[2] = {GL_FILL, GL_FILL};
  float lineWidth = 1;
  GLenum cullFaceMode = GL_BACK;
  GLenum blendSrc = GL_ONE, blendDst = GL_ZERO;
  GLboolean depthMask = GL_TRUE;
  GLboolean colourMask[4] = {GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE};
  GLenum depthFunc = GL_LESS;
  float offsetFactor = 0, offsetUnits = 0;
  GLint viewport[4] = {0, 0, 0, 0};
  float clearColour[4] = {0, 0, 0, 0};
  GLuint boundTexture = 0;
  GLuint listBase = 0;
  float colour[4] = {1, 1, 1, 1};  // the current colour, normal and texture coordinates
  float normal[3] = {0, 0, 1};
  float texCoord[4] = {0, 0, 0, 1};
  // The raster position
  float rasterPosition[4] = {0, 0, 0, 1};
  float rasterColour[4] = {1, 1, 1, 1};
  float rasterDistance = 0;
  bool rasterValid = true;
};

struct PixelStore {
  GLint unpackAlignment = 4, packAlignment = 4, unpackRowLength = 0, unpackSkipRows = 0;
  GLint unpackSkipPixels = 0, packRowLength = 0, packSkipRows = 0, packSkipPixels = 0;
};

struct Program {
  GLuint name = 0;
  GLint modelViewProjection = -1, modelView = -1, normalMatrix = -1, textureMatrix = -1;
  GLint lightPosition = -1, lightAmbient = -1, lightDiffuse = -1, sceneAmbient = -1;
  GLint fogParams = -1, fogColour = -1, alphaRef = -1, alphaFunc = -1, picture = -1;
  uint32_t uploaded[4] = {~0u, ~0u, ~0u, ~0u};  // the state serials last given to it
};

struct SavedAttributes {
  GLbitfield mask = 0;
  FixedState state;
  GLenum matrixMode = GL_MODELVIEW;
};

struct ShaderGl {
  bool es = false;
  FixedState s;
  std::vector<SavedAttributes> attribStack;
  std::vector<PixelStore> clientStack;
  PixelStore pixels;
  GLenum matrixMode = GL_MODELVIEW;
  std::vector<Matrix4> stacks[3];  // modelview, projection, texture: never empty
  // Bumped whenever the matrices, the light, the fog or the rest of what the programs read
  // changes, so that a program is given only what changed since it last drew.
  uint32_t serial[4] = {1, 1, 1, 1};
  // Immediate mode
  bool inBegin = false;
  Batch batch;
  std::vector<ShaderVertex> scratch;  // triangles or line quads on their way to the stream
  // Filled triangles of glBegin/glEnd batches that follow one another under the same state,
  // drawn together before the next change of state.
  std::vector<ShaderVertex> pending;
  // Lists
  std::unordered_map<GLuint, std::unique_ptr<ShaderList>> lists;
  GLuint nextList = 1;
  ShaderList* compiling = nullptr;
  GLuint compilingName = 0;
  int replayDepth = 0;
  // The colour, normal and texture coordinates as a list being compiled has set them so far
  // (bits: attributeColourBit ...), which its vertices take; the others stay the current ones.
  float compileColour[4] = {1, 1, 1, 1};
  float compileNormal[3] = {0, 0, 1};
  float compileTexCoord[4] = {0, 0, 0, 1};
  uint8_t compileSet = 0;
  GLuint boundOwnProgram = 0;
  GLuint callerProgram = 0;
  GLint callerModelViewProjection = -1;
  // GL objects
  GLuint streamBuffer = 0, streamArray = 0, indexBuffer = 0;
  size_t streamSize = 0, streamUsed = 0, indexSize = 0, indexUsed = 0;
  std::vector<uint32_t> indices;
  std::unordered_map<uint32_t, Program> programs;
  std::unordered_map<GLuint, GLint> textureFormats;  // internal format given per texture
  // Filters and wraps set per texture, so that asking for them needs no round trip to the GL
  // (in a browser, a wait for everything drawn so far): minification, magnification, wrap s, t.
  std::unordered_map<GLuint, std::array<GLint, 4>> textureParameters;
  std::unordered_map<const GLubyte*, GLuint> bitmapTextures;
  GLuint bitmapTexture = 0;
  std::vector<GLuint> ownTextures;
  int errors = 0;
};
extern ShaderGl* shaderGl;

enum AttributeBit : uint8_t { colourBit = 1, normalBit = 2, texCoordBit = 4 };

enum SerialGroup { serialMatrices = 0, serialLight = 1, serialFog = 2, serialOther = 3 };
inline void touch(SerialGroup g) { ++shaderGl->serial[g]; }
Matrix4& currentMatrix();
const Matrix4& modelViewMatrix();
const Matrix4& projectionMatrix();

// The fixed pipeline's lighting of one vertex (eye position, eye normal), front face.
void litColour(const float eye[4], const float normal[3], const float colour[4], float out[4]);
// A batch's lines, or its polygons' outlines, as quads on the window (four corners each).
void outline(const Batch& batch, std::vector<ShaderVertex>& out);
// Draws the held-back batches now.
void flushPending();
// Draws triangles (mode GL_TRIANGLES, window-ready lines when lines is true) from memory.
void drawVertices(const ShaderVertex* vertices, size_t count, bool lines);
// Draws a range of a list's static buffer; the attributes in `live` from the current state.
void drawStatic(const ShaderList& list, size_t first, size_t count, uint8_t live);
// A batch's polygons as triangles, appended.
void triangulate(const Batch& batch, std::vector<ShaderVertex>& out);
// Draws a batch from memory: filled when polygon mode allows, else as lines.
void drawBatch(const Batch& batch);
// Draws a run of a list's batches.
void drawRun(const ShaderList& list, const BatchRun& run);
// The program for the current state (lines: the line variant), bound, with its uniforms given.
const Program& useFixedProgram(bool lines);
// A caller's own program: the transform is given to it, if it reads one.
void feedCallerProgram(GLuint program);
bool startPrograms(const char** why);
void stopPrograms();
void startTextures();
void stopTextures();

// Recording into a list: true when the call was recorded and must not run now.
bool recordCall(std::function<void()> call);
// A colour, normal or texture coordinates given while a list is compiled, outside glBegin: the
// list's later vertices take it, and it becomes current when the list runs that far.
void noteListAttribute();

// Entry points of the table, by file.
void fillMatrixCalls(GlCalls& calls);
void fillDrawCalls(GlCalls& calls);
void fillListCalls(GlCalls& calls);
void fillStateCalls(GlCalls& calls);
void fillRasterCalls(GlCalls& calls);
