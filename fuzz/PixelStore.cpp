// The GL entry points the picture stretch reaches, answered without a GL context so the fuzzer
// can run the loader's real code. gluScaleImage reads the pixel-store state with glGetIntegerv,
// and the loader sets that state with glPixelStorei between glPushClientAttrib and
// glPopClientAttrib. Defined in the executable, these come first in symbol lookup, so GLU's
// calls land here too instead of in a GL library with no current context (where the query
// would leave GLU's settings unwritten).
#include <GL/gl.h>

#include <cstdio>
#include <cstdlib>

namespace {
struct PixelStoreValue {
  GLenum name;
  GLint value;
};

struct PixelStoreState {
  // GL's initial values.
  PixelStoreValue values[16] = {
      {GL_UNPACK_SWAP_BYTES, 0},   {GL_UNPACK_LSB_FIRST, 0},  {GL_UNPACK_ROW_LENGTH, 0},
      {GL_UNPACK_SKIP_ROWS, 0},    {GL_UNPACK_SKIP_PIXELS, 0}, {GL_UNPACK_ALIGNMENT, 4},
      {GL_UNPACK_IMAGE_HEIGHT, 0}, {GL_UNPACK_SKIP_IMAGES, 0}, {GL_PACK_SWAP_BYTES, 0},
      {GL_PACK_LSB_FIRST, 0},      {GL_PACK_ROW_LENGTH, 0},   {GL_PACK_SKIP_ROWS, 0},
      {GL_PACK_SKIP_PIXELS, 0},    {GL_PACK_ALIGNMENT, 4},    {GL_PACK_IMAGE_HEIGHT, 0},
      {GL_PACK_SKIP_IMAGES, 0},
  };
};

// GL guarantees a client attribute stack at least 16 deep.
constexpr int stackDepth = 16;
PixelStoreState current;
PixelStoreState saved[stackDepth];
int depth = 0;

// Anything outside the pixel store would mean the stretch now needs more of GL than this
// stands in for: stop loudly rather than answer wrongly.
[[noreturn]] void unsupported(const char* call, GLenum value) {
  std::fprintf(stderr, "PixelStore: %s(0x%04x) is not stood in for\n", call, value);
  std::abort();
}

GLint* slot(GLenum name) {
  for (PixelStoreValue& entry : current.values)
    if (entry.name == name) return &entry.value;
  return nullptr;
}
}  // namespace

extern "C" {
void glPixelStorei(GLenum name, GLint value) {
  GLint* target = slot(name);
  if (!target) unsupported("glPixelStorei", name);
  *target = value;
}

void glGetIntegerv(GLenum name, GLint* value) {
  const GLint* source = slot(name);
  if (!source) unsupported("glGetIntegerv", name);
  *value = *source;
}

void glPushClientAttrib(GLbitfield mask) {
  if (mask != GL_CLIENT_PIXEL_STORE_BIT) unsupported("glPushClientAttrib", mask);
  if (depth == stackDepth) unsupported("glPushClientAttrib past the stack", mask);
  saved[depth++] = current;
}

void glPopClientAttrib() {
  if (depth == 0) unsupported("glPopClientAttrib on an empty stack", 0);
  current = saved[--depth];
}
}
