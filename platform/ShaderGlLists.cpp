// Display lists: the calls made while one is compiled, kept as commands to run again, with its
// polygons already in a buffer of their own.
#include "platform/ShaderGlProcs.h"

void uploadList(ShaderList& list);

namespace {
void settleAttributes(ShaderList& list);
constexpr int deepestNesting = 64;  // as GL's own limit on lists calling lists

void releaseList(ShaderList& list) {
  const ShaderGlProcs& p = shaderProcsTable;
  if (list.vertexArray) p.deleteVertexArrays(1, &list.vertexArray);
  if (list.buffer) p.deleteBuffers(1, &list.buffer);
  list.vertexArray = list.buffer = 0;
}

GLuint APIENTRY genLists(GLsizei range) {
  ShaderGl& g = *shaderGl;
  if (range <= 0) return 0;
  const GLuint first = g.nextList;
  g.nextList += GLuint(range);
  return first;
}

void APIENTRY newList(GLuint name, GLenum) {
  ShaderGl& g = *shaderGl;
  if (name == 0 || g.compiling || g.inBegin) {
    ++g.errors;
    return;
  }
  flushPending();
  g.compiling = new ShaderList;
  g.compilingName = name;
  g.compileSet = 0;
  std::copy(g.s.colour, g.s.colour + 4, g.compileColour);
  std::copy(g.s.normal, g.s.normal + 3, g.compileNormal);
  std::copy(g.s.texCoord, g.s.texCoord + 4, g.compileTexCoord);
}

void APIENTRY endList() {
  ShaderGl& g = *shaderGl;
  if (!g.compiling) {
    ++g.errors;
    return;
  }
  settleAttributes(*g.compiling);
  std::unique_ptr<ShaderList> list(g.compiling);
  g.compiling = nullptr;
  uploadList(*list);
  auto found = g.lists.find(g.compilingName);
  if (found != g.lists.end()) releaseList(*found->second);
  g.lists[g.compilingName] = std::move(list);
}

void APIENTRY callList(GLuint name) {
  ShaderGl& g = *shaderGl;
  if (recordCall([name] { callList(name); })) return;
  auto found = g.lists.find(name);
  if (found == g.lists.end() || g.replayDepth >= deepestNesting) return;
  ++g.replayDepth;
  const ShaderList& list = *found->second;
  for (const auto& command : list.commands) command();
  --g.replayDepth;
}

void APIENTRY callLists(GLsizei n, GLenum type, const void* names) {
  if (type != GL_UNSIGNED_BYTE || n <= 0 || !names) return;
  const GLubyte* codes = static_cast<const GLubyte*>(names);
  const GLuint base = shaderGl->s.listBase;
  for (GLsizei i = 0; i < n; ++i) callList(base + codes[i]);
}

void APIENTRY listBase(GLuint base) {
  if (recordCall([base] { listBase(base); })) return;
  shaderGl->s.listBase = base;
}

void APIENTRY deleteLists(GLuint first, GLsizei range) {
  ShaderGl& g = *shaderGl;
  for (GLsizei i = 0; i < range; ++i) {
    auto found = g.lists.find(first + GLuint(i));
    if (found == g.lists.end()) continue;
    releaseList(*found->second);
    g.lists.erase(found);
  }
}

GLboolean APIENTRY isList(GLuint name) {
  return shaderGl->lists.count(name) ? GL_TRUE : GL_FALSE;
}
}  // namespace

namespace {
// The attributes given since the last batch, as one command.
void settleAttributes(ShaderList& list) {
  if (!list.attributesPending) return;
  list.attributesPending = false;
  const ShaderGl& g = *shaderGl;
  const uint8_t set = g.compileSet;
  float last[11];
  std::copy(g.compileColour, g.compileColour + 4, last);
  std::copy(g.compileNormal, g.compileNormal + 3, last + 4);
  std::copy(g.compileTexCoord, g.compileTexCoord + 4, last + 7);
  std::vector<float> values(last, last + 11);
  list.commands.push_back([set, values] {
    FixedState& s = shaderGl->s;
    if (set & colourBit) std::copy(values.begin(), values.begin() + 4, s.colour);
    if (set & normalBit) std::copy(values.begin() + 4, values.begin() + 7, s.normal);
    if (set & texCoordBit) std::copy(values.begin() + 7, values.end(), s.texCoord);
  });
}
}  // namespace

void noteListAttribute() {
  if (shaderGl->compiling && !shaderGl->inBegin) shaderGl->compiling->attributesPending = true;
}

bool recordCall(std::function<void()> call) {
  ShaderGl& g = *shaderGl;
  if (!g.compiling) {
    flushPending();  // the call changes what later batches draw with
    return false;
  }
  settleAttributes(*g.compiling);
  g.compiling->commands.push_back(std::move(call));
  return true;
}

void releaseLists() {
  ShaderGl& g = *shaderGl;
  for (auto& entry : g.lists) releaseList(*entry.second);
  g.lists.clear();
  delete g.compiling;
  g.compiling = nullptr;
}

void fillListCalls(GlCalls& c) {
  c.genLists = genLists;
  c.newList = newList;
  c.endList = endList;
  c.callList = callList;
  c.callLists = callLists;
  c.listBase = listBase;
  c.deleteLists = deleteLists;
  c.isList = isList;
}
