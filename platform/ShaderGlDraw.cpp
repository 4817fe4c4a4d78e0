// Immediate mode: vertices gathered between glBegin and glEnd, then drawn as triangles from a
// streaming buffer, or, for lines and outlined polygons, as quads around each edge
// (ShaderGlLines.cpp); lists' batches drawn from their own buffers.
#include "platform/ShaderGlProcs.h"

#include <cmath>
#include <cstring>

bool isOwnProgram(GLuint name);

namespace {
constexpr size_t streamBytes = size_t(4) << 20;

bool polygonal(GLenum mode) { return mode != GL_LINES && mode != GL_LINE_STRIP && mode != GL_LINE_LOOP; }

void bindAttributes() {
  const ShaderGlProcs& p = shaderProcsTable;
  const GLsizei stride = sizeof(ShaderVertex);
  p.enableVertexAttribArray(attributePosition);
  p.vertexAttribPointer(attributePosition, 4, GL_FLOAT, GL_FALSE, stride,
                        reinterpret_cast<void*>(offsetof(ShaderVertex, position)));
  p.enableVertexAttribArray(attributeColour);
  p.vertexAttribPointer(attributeColour, 4, GL_FLOAT, GL_FALSE, stride,
                        reinterpret_cast<void*>(offsetof(ShaderVertex, colour)));
  p.enableVertexAttribArray(attributeNormal);
  p.vertexAttribPointer(attributeNormal, 3, GL_FLOAT, GL_FALSE, stride,
                        reinterpret_cast<void*>(offsetof(ShaderVertex, normal)));
  p.enableVertexAttribArray(attributeTexCoord);
  p.vertexAttribPointer(attributeTexCoord, 4, GL_FLOAT, GL_FALSE, stride,
                        reinterpret_cast<void*>(offsetof(ShaderVertex, texCoord)));
}

// Lines and outlines draw with their own fill offset: a polygon offset meant for filled
// polygons must not move them, one meant for outlines must.
struct LineOffset {
  bool changed = false;
  explicit LineOffset(bool lines) {
    const FixedState& s = shaderGl->s;
    const bool wanted = lines ? s.polygonOffsetLine : s.polygonOffsetFill;
    if (wanted != s.polygonOffsetFill) {
      changed = true;
      if (wanted) glEnable(GL_POLYGON_OFFSET_FILL); else glDisable(GL_POLYGON_OFFSET_FILL);
    }
  }
  ~LineOffset() {
    if (!changed) return;
    if (shaderGl->s.polygonOffsetFill) glEnable(GL_POLYGON_OFFSET_FILL); else glDisable(GL_POLYGON_OFFSET_FILL);
  }
};

// Smooth lines are never culled; the window's own culling stays for everything else.
struct NoCulling {
  bool changed = false;
  explicit NoCulling(bool lines) : changed(lines && shaderGl->s.cullFace) {
    if (changed) glDisable(GL_CULL_FACE);
  }
  ~NoCulling() {
    if (changed) glEnable(GL_CULL_FACE);
  }
};

GLuint callerProgram() {
  GLint current = 0;
  glGetIntegerv(GL_CURRENT_PROGRAM, &current);
  return current != 0 && !isOwnProgram(GLuint(current)) ? GLuint(current) : 0;
}

// Room for `bytes` more in a streaming buffer bound at `target`: a fresh store when it is full.
void makeRoom(GLenum target, size_t bytes, size_t& size, size_t& used) {
  const ShaderGlProcs& p = shaderProcsTable;
  if (bytes > size) {
    size = bytes;
    used = size;
  }
  if (used + bytes > size) {
    p.bufferData(target, GLsizeiptr(size), nullptr, GL_STREAM_DRAW);
    used = 0;
  }
}

// The vertices into the streaming buffer, its vertex array bound; returns the first one's index.
uint32_t streamVertices(const ShaderVertex* vertices, size_t count) {
  ShaderGl& g = *shaderGl;
  const ShaderGlProcs& p = shaderProcsTable;
  const size_t bytes = count * sizeof(ShaderVertex);
  p.bindVertexArray(g.streamArray);
  p.bindBuffer(GL_ARRAY_BUFFER, g.streamBuffer);
  makeRoom(GL_ARRAY_BUFFER, bytes, g.streamSize, g.streamUsed);
  p.bufferSubData(GL_ARRAY_BUFFER, GLintptr(g.streamUsed), GLsizeiptr(bytes), vertices);
  const uint32_t first = uint32_t(g.streamUsed / sizeof(ShaderVertex));
  g.streamUsed += bytes;
  return first;
}

// Line quads, four corners each, as two triangles apiece through streamed indices.
void streamQuads(const ShaderVertex* vertices, size_t count) {
  ShaderGl& g = *shaderGl;
  const ShaderGlProcs& p = shaderProcsTable;
  const uint32_t base = streamVertices(vertices, count);
  const uint32_t corners[6] = {2, 1, 0, 3, 1, 2};
  g.indices.clear();
  for (uint32_t quad = 0; quad < count / 4; ++quad)
    for (uint32_t k : corners) g.indices.push_back(base + 4 * quad + k);
  const size_t indexBytes = g.indices.size() * sizeof(uint32_t);
  makeRoom(GL_ELEMENT_ARRAY_BUFFER, indexBytes, g.indexSize, g.indexUsed);
  p.bufferSubData(GL_ELEMENT_ARRAY_BUFFER, GLintptr(g.indexUsed), GLsizeiptr(indexBytes),
                  g.indices.data());
  glDrawElements(GL_TRIANGLES, GLsizei(g.indices.size()), GL_UNSIGNED_INT,
                 reinterpret_cast<void*>(g.indexUsed));
  g.indexUsed += indexBytes;
}

void streamDraw(const ShaderVertex* vertices, size_t count) {
  glDrawArrays(GL_TRIANGLES, GLint(streamVertices(vertices, count)), GLsizei(count));
}

void APIENTRY beginBatch(GLenum mode) {
  ShaderGl& g = *shaderGl;
  if (g.inBegin) {
    ++g.errors;
    return;
  }
  g.inBegin = true;
  g.batch.mode = mode;
  g.batch.vertices.clear();
}

void emit(float x, float y, float z) {
  ShaderGl& g = *shaderGl;
  if (!g.inBegin) return;  // GL ignores vertices outside glBegin/glEnd
  ShaderVertex v;
  v.position[0] = x;
  v.position[1] = y;
  v.position[2] = z;
  v.position[3] = 1;
  const bool compiling = g.compiling != nullptr;
  std::memcpy(v.colour, compiling ? g.compileColour : g.s.colour, sizeof v.colour);
  std::memcpy(v.normal, compiling ? g.compileNormal : g.s.normal, sizeof v.normal);
  std::memcpy(v.texCoord, compiling ? g.compileTexCoord : g.s.texCoord, sizeof v.texCoord);
  g.batch.vertices.push_back(v);
}

void APIENTRY vertex2f(GLfloat x, GLfloat y) { emit(x, y, 0); }
void APIENTRY vertex2i(GLint x, GLint y) { emit(float(x), float(y), 0); }
void APIENTRY vertex3f(GLfloat x, GLfloat y, GLfloat z) { emit(x, y, z); }
void APIENTRY vertex3i(GLint x, GLint y, GLint z) { emit(float(x), float(y), float(z)); }

void APIENTRY endBatch();

void APIENTRY rectf(GLfloat x1, GLfloat y1, GLfloat x2, GLfloat y2) {
  beginBatch(GL_QUADS);
  emit(x1, y1, 0);
  emit(x2, y1, 0);
  emit(x2, y2, 0);
  emit(x1, y2, 0);
  endBatch();
}
void APIENTRY recti(GLint x1, GLint y1, GLint x2, GLint y2) {
  rectf(float(x1), float(y1), float(x2), float(y2));
}
}  // namespace

void triangulate(const Batch& batch, std::vector<ShaderVertex>& out) {
  const std::vector<ShaderVertex>& v = batch.vertices;
  const size_t n = v.size();
  auto tri = [&out, &v](size_t a, size_t b, size_t c) {
    out.push_back(v[a]);
    out.push_back(v[b]);
    out.push_back(v[c]);
  };
  switch (batch.mode) {
    case GL_TRIANGLES:
      for (size_t i = 0; i + 2 < n; i += 3) tri(i, i + 1, i + 2);
      break;
    case GL_TRIANGLE_STRIP:
      for (size_t i = 0; i + 2 < n; ++i)
        if (i % 2) tri(i + 1, i, i + 2); else tri(i, i + 1, i + 2);
      break;
    case GL_TRIANGLE_FAN:
    case GL_POLYGON:
      for (size_t i = 1; i + 1 < n; ++i) tri(0, i, i + 1);
      break;
    case GL_QUADS:
      for (size_t i = 0; i + 3 < n; i += 4) {
        tri(i, i + 1, i + 3);
        tri(i + 1, i + 2, i + 3);
      }
      break;
    case GL_QUAD_STRIP:
      // Split along the same diagonal as the GL 1.1 pipeline, which the texture
      // coordinates and colours are interpolated across.
      for (size_t i = 0; i + 3 < n; i += 2) {
        tri(i + 2, i, i + 3);
        tri(i, i + 1, i + 3);
      }
      break;
    default:
      break;
  }
}

void drawVertices(const ShaderVertex* vertices, size_t count, bool lines) {
  if (count == 0) return;
  LineOffset offset(lines);
  NoCulling noCulling(lines);
  useFixedProgram(lines);
  if (lines)
    streamQuads(vertices, count);
  else
    streamDraw(vertices, count);
}

void drawStatic(const ShaderList& list, size_t first, size_t count, uint8_t live) {
  if (count == 0) return;
  const ShaderGlProcs& p = shaderProcsTable;
  const FixedState& s = shaderGl->s;
  useFixedProgram(false);
  p.bindVertexArray(list.vertexArray);
  const float normal[4] = {s.normal[0], s.normal[1], s.normal[2], 0};
  const struct {
    uint8_t bit;
    GLuint attribute;
    const float* value;
  } attributes[3] = {{colourBit, attributeColour, s.colour},
                     {normalBit, attributeNormal, normal},
                     {texCoordBit, attributeTexCoord, s.texCoord}};
  for (const auto& a : attributes)
    if (live & a.bit) {
      p.disableVertexAttribArray(a.attribute);
      p.vertexAttrib4fv(a.attribute, a.value);
    }
  glDrawArrays(GL_TRIANGLES, GLint(first), GLsizei(count));
  for (const auto& a : attributes)
    if (live & a.bit) p.enableVertexAttribArray(a.attribute);
}

namespace {
// A list's batch with the attributes it never set taken from the current state.
const Batch& withLiveAttributes(const Batch& batch, Batch& copy) {
  if (!batch.live) return batch;
  const FixedState& s = shaderGl->s;
  copy = batch;
  for (ShaderVertex& v : copy.vertices) {
    if (batch.live & colourBit) std::memcpy(v.colour, s.colour, sizeof v.colour);
    if (batch.live & normalBit) std::memcpy(v.normal, s.normal, sizeof v.normal);
    if (batch.live & texCoordBit) std::memcpy(v.texCoord, s.texCoord, sizeof v.texCoord);
  }
  return copy;
}
}  // namespace

void drawBatch(const Batch& batch) {
  ShaderGl& g = *shaderGl;
  g.scratch.clear();
  if (polygonal(batch.mode) && g.s.polygonMode[0] == GL_FILL) {
    triangulate(batch, g.scratch);
    drawVertices(g.scratch.data(), g.scratch.size(), false);
    return;
  }
  outline(batch, g.scratch);
  drawVertices(g.scratch.data(), g.scratch.size(), true);
}

void flushPending() {
  ShaderGl& g = *shaderGl;
  if (g.pending.empty()) return;
  drawVertices(g.pending.data(), g.pending.size(), false);
  g.pending.clear();
}

void drawRun(const ShaderList& list, const BatchRun& run) {
  ShaderGl& g = *shaderGl;
  flushPending();
  if (run.polygons && g.s.polygonMode[0] == GL_FILL) {
    drawStatic(list, run.firstVertex, run.vertexCount, run.live);
  } else {
    g.scratch.clear();
    Batch copy;
    for (size_t i = run.firstBatch; i < run.firstBatch + run.batchCount; ++i)
      outline(withLiveAttributes(list.batches[i], copy), g.scratch);
    drawVertices(g.scratch.data(), g.scratch.size(), true);
  }
  // What the batches set stays current after them, as GL leaves the last colour given.
  FixedState& s = g.s;
  if (run.set & colourBit) std::memcpy(s.colour, &run.last[0], 4 * sizeof(float));
  if (run.set & normalBit) std::memcpy(s.normal, &run.last[4], 3 * sizeof(float));
  if (run.set & texCoordBit) std::memcpy(s.texCoord, &run.last[7], 4 * sizeof(float));
}

namespace {
void APIENTRY endBatch() {
  ShaderGl& g = *shaderGl;
  if (!g.inBegin) {
    ++g.errors;
    return;
  }
  g.inBegin = false;
  if (g.compiling) {
    ShaderList& list = *g.compiling;
    g.batch.live = uint8_t(~g.compileSet & 7u);
    const bool polygons = polygonal(g.batch.mode);
    const size_t first = list.triangles.size();
    triangulate(g.batch, list.triangles);
    list.batches.push_back(g.batch);
    // A batch right after the last run, of the same kind, joins it.
    const bool joins = list.runCommand + 1 == list.commands.size() && !list.runs.empty() &&
                       list.runs.back().polygons == polygons && list.runs.back().live == g.batch.live;
    if (!joins) {
      BatchRun run;
      run.firstBatch = list.batches.size() - 1;
      run.firstVertex = first;
      run.polygons = polygons;
      run.live = g.batch.live;
      list.runs.push_back(run);
      const ShaderList* owner = &list;
      const size_t index = list.runs.size() - 1;
      list.commands.push_back([owner, index] { drawRun(*owner, owner->runs[index]); });
      list.runCommand = list.commands.size() - 1;
    }
    list.attributesPending = false;  // the run leaves them current
    BatchRun& run = list.runs.back();
    ++run.batchCount;
    run.vertexCount = list.triangles.size() - run.firstVertex;
    run.set = g.compileSet;
    std::memcpy(&run.last[0], g.compileColour, 4 * sizeof(float));
    std::memcpy(&run.last[4], g.compileNormal, 3 * sizeof(float));
    std::memcpy(&run.last[7], g.compileTexCoord, 4 * sizeof(float));
    return;
  }
  const GLuint program = callerProgram();
  if (program == 0 && polygonal(g.batch.mode) && g.s.polygonMode[0] == GL_FILL) {
    triangulate(g.batch, g.pending);  // drawn with the batches after it under the same state
    return;
  }
  if (program != 0) {
    if (!g.pending.empty()) {
      flushPending();
      shaderProcsTable.useProgram(program);  // the held-back batches drew with their own
    }
    // A caller's program draws the batch as it stands, filled.
    feedCallerProgram(program);
    g.scratch.clear();
    triangulate(g.batch, g.scratch);
    if (!g.scratch.empty()) streamDraw(g.scratch.data(), g.scratch.size());
    return;
  }
  flushPending();
  drawBatch(g.batch);
}

// A current attribute given: while a list is compiled it goes to the list's vertices (and
// becomes current when the list runs), else it is current at once.
void setAttribute(const float* value, size_t count, float* compiled, float* current, uint8_t bit) {
  ShaderGl& g = *shaderGl;
  if (g.compiling) {
    std::memcpy(compiled, value, count * sizeof(float));
    g.compileSet |= bit;
    noteListAttribute();
    return;
  }
  std::memcpy(current, value, count * sizeof(float));
}

void APIENTRY normal3f(GLfloat x, GLfloat y, GLfloat z) {
  const float v[3] = {x, y, z};
  setAttribute(v, 3, shaderGl->compileNormal, shaderGl->s.normal, normalBit);
}
void APIENTRY normal3fv(const GLfloat* v) { normal3f(v[0], v[1], v[2]); }

void APIENTRY texCoord4f(GLfloat s, GLfloat t, GLfloat r, GLfloat q) {
  const float v[4] = {s, t, r, q};
  setAttribute(v, 4, shaderGl->compileTexCoord, shaderGl->s.texCoord, texCoordBit);
}
void APIENTRY texCoord2f(GLfloat s, GLfloat t) { texCoord4f(s, t, 0, 1); }
void APIENTRY texCoord4fv(const GLfloat* v) { texCoord4f(v[0], v[1], v[2], v[3]); }

void APIENTRY color4f(GLfloat r, GLfloat g, GLfloat b, GLfloat a) {
  const float v[4] = {r, g, b, a};
  setAttribute(v, 4, shaderGl->compileColour, shaderGl->s.colour, colourBit);
}
void APIENTRY color3f(GLfloat r, GLfloat g, GLfloat b) { color4f(r, g, b, 1); }
void APIENTRY color4fv(const GLfloat* v) { color4f(v[0], v[1], v[2], v[3]); }
}  // namespace

bool startStream() {
  ShaderGl& g = *shaderGl;
  const ShaderGlProcs& p = shaderProcsTable;
  p.genVertexArrays(1, &g.streamArray);
  p.bindVertexArray(g.streamArray);
  p.genBuffers(1, &g.streamBuffer);
  p.bindBuffer(GL_ARRAY_BUFFER, g.streamBuffer);
  g.streamSize = streamBytes;
  g.streamUsed = 0;
  p.bufferData(GL_ARRAY_BUFFER, GLsizeiptr(g.streamSize), nullptr, GL_STREAM_DRAW);
  p.genBuffers(1, &g.indexBuffer);
  p.bindBuffer(GL_ELEMENT_ARRAY_BUFFER, g.indexBuffer);  // kept by the vertex array
  g.indexSize = streamBytes / 2;
  g.indexUsed = 0;
  p.bufferData(GL_ELEMENT_ARRAY_BUFFER, GLsizeiptr(g.indexSize), nullptr, GL_STREAM_DRAW);
  bindAttributes();
  return true;
}

void stopStream() {
  ShaderGl& g = *shaderGl;
  const ShaderGlProcs& p = shaderProcsTable;
  p.bindVertexArray(0);
  if (g.streamArray) p.deleteVertexArrays(1, &g.streamArray);
  if (g.streamBuffer) p.deleteBuffers(1, &g.streamBuffer);
  if (g.indexBuffer) p.deleteBuffers(1, &g.indexBuffer);
  g.streamArray = g.streamBuffer = g.indexBuffer = 0;
}

void uploadList(ShaderList& list) {
  const ShaderGlProcs& p = shaderProcsTable;
  if (list.triangles.empty()) return;
  p.genVertexArrays(1, &list.vertexArray);
  p.bindVertexArray(list.vertexArray);
  p.genBuffers(1, &list.buffer);
  p.bindBuffer(GL_ARRAY_BUFFER, list.buffer);
  p.bufferData(GL_ARRAY_BUFFER, GLsizeiptr(list.triangles.size() * sizeof(ShaderVertex)),
               list.triangles.data(), GL_STATIC_DRAW);
  bindAttributes();
  p.bindVertexArray(shaderGl->streamArray);
}

void fillDrawCalls(GlCalls& c) {
  c.begin = beginBatch;
  c.end = endBatch;
  c.vertex2f = vertex2f;
  c.vertex2i = vertex2i;
  c.vertex3f = vertex3f;
  c.vertex3i = vertex3i;
  c.normal3f = normal3f;
  c.normal3fv = normal3fv;
  c.texCoord2f = texCoord2f;
  c.texCoord4fv = texCoord4fv;
  c.color3f = color3f;
  c.color4f = color4f;
  c.color4fv = color4fv;
  c.rectf = rectf;
  c.recti = recti;
}
