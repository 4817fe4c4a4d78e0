// The three matrix stacks, and GLU's perspective and look-at, in the same single-precision
// steps the GL 1.1 pipeline takes, so that both renderers put vertices on the same pixels.
#include "platform/ShaderGlState.h"

#include <cmath>
#include <cstring>

namespace {
constexpr size_t stackDepth[3] = {32, 4, 4};
constexpr double pi = 3.14159265358979323846;

int stackIndex(GLenum mode) {
  return mode == GL_PROJECTION ? 1 : mode == GL_TEXTURE ? 2 : 0;
}

void changed() {
  touch(serialMatrices);
}

// The current matrix := current × m.
void multiplyCurrent(const Matrix4& m) {
  if (recordCall([m] { multiplyCurrent(m); })) return;
  Matrix4& top = currentMatrix();
  top = multiply(top, m);
  changed();
}

void APIENTRY matrixMode(GLenum mode) {
  if (recordCall([mode] { matrixMode(mode); })) return;
  if (mode != GL_MODELVIEW && mode != GL_PROJECTION && mode != GL_TEXTURE) {
    ++shaderGl->errors;
    return;
  }
  shaderGl->matrixMode = mode;
}

void APIENTRY loadIdentity() {
  if (recordCall([] { loadIdentity(); })) return;
  currentMatrix() = Matrix4();
  changed();
}

void APIENTRY loadMatrixf(const GLfloat* m) {
  Matrix4 given;
  std::memcpy(given.m, m, sizeof given.m);
  if (recordCall([given] { loadMatrixf(given.m); })) return;
  currentMatrix() = given;
  changed();
}

void APIENTRY pushMatrix() {
  if (recordCall([] { pushMatrix(); })) return;
  std::vector<Matrix4>& stack = shaderGl->stacks[stackIndex(shaderGl->matrixMode)];
  if (stack.size() >= stackDepth[stackIndex(shaderGl->matrixMode)]) {
    ++shaderGl->errors;  // stack overflow: GL refuses the push
    return;
  }
  stack.push_back(stack.back());
}

void APIENTRY popMatrix() {
  if (recordCall([] { popMatrix(); })) return;
  std::vector<Matrix4>& stack = shaderGl->stacks[stackIndex(shaderGl->matrixMode)];
  if (stack.size() <= 1) {
    ++shaderGl->errors;
    return;
  }
  stack.pop_back();
  changed();
}

void APIENTRY translatef(GLfloat x, GLfloat y, GLfloat z) {
  if (recordCall([x, y, z] { translatef(x, y, z); })) return;
  float* m = currentMatrix().m;
  m[12] = m[0] * x + m[4] * y + m[8] * z + m[12];
  m[13] = m[1] * x + m[5] * y + m[9] * z + m[13];
  m[14] = m[2] * x + m[6] * y + m[10] * z + m[14];
  m[15] = m[3] * x + m[7] * y + m[11] * z + m[15];
  changed();
}

void APIENTRY scalef(GLfloat x, GLfloat y, GLfloat z) {
  if (recordCall([x, y, z] { scalef(x, y, z); })) return;
  float* m = currentMatrix().m;
  for (int i = 0; i < 4; ++i) {
    m[i] *= x;
    m[4 + i] *= y;
    m[8 + i] *= z;
  }
  changed();
}

void APIENTRY rotatef(GLfloat angle, GLfloat x, GLfloat y, GLfloat z) {
  const float radians = angle * float(pi / 180.0);
  const float s = std::sin(radians), c = std::cos(radians);
  const float length = std::sqrt(x * x + y * y + z * z);
  if (length <= 1.0e-4f) return;  // no axis: GL leaves the matrix as it is
  x /= length;
  y /= length;
  z /= length;
  const float xx = x * x, yy = y * y, zz = z * z, xy = x * y, yz = y * z, zx = z * x;
  const float xs = x * s, ys = y * s, zs = z * s, oneC = 1.0f - c;
  Matrix4 r;
  float* m = r.m;
  m[0] = oneC * xx + c;
  m[4] = oneC * xy - zs;
  m[8] = oneC * zx + ys;
  m[1] = oneC * xy + zs;
  m[5] = oneC * yy + c;
  m[9] = oneC * yz - xs;
  m[2] = oneC * zx - ys;
  m[6] = oneC * yz + xs;
  m[10] = oneC * zz + c;
  multiplyCurrent(r);
}

void APIENTRY ortho(GLdouble l, GLdouble r, GLdouble b, GLdouble t, GLdouble n, GLdouble f) {
  if (l == r || b == t || n == f) {
    ++shaderGl->errors;
    return;
  }
  const float left = float(l), right = float(r), bottom = float(b), top = float(t);
  const float nearZ = float(n), farZ = float(f);
  Matrix4 o;
  o.m[0] = 2.0f / (right - left);
  o.m[5] = 2.0f / (top - bottom);
  o.m[10] = -2.0f / (farZ - nearZ);
  o.m[12] = -(right + left) / (right - left);
  o.m[13] = -(top + bottom) / (top - bottom);
  o.m[14] = -(farZ + nearZ) / (farZ - nearZ);
  multiplyCurrent(o);
}

void APIENTRY perspective(GLdouble fovy, GLdouble aspect, GLdouble n, GLdouble f) {
  const double radians = fovy / 2 * pi / 180;
  const double deltaZ = f - n;
  const double sine = std::sin(radians);
  if (deltaZ == 0 || sine == 0 || aspect == 0) return;
  const double cotangent = std::cos(radians) / sine;
  Matrix4 p;
  p.m[0] = float(cotangent / aspect);
  p.m[5] = float(cotangent);
  p.m[10] = float(-(f + n) / deltaZ);
  p.m[11] = -1;
  p.m[14] = float(-2 * n * f / deltaZ);
  p.m[15] = 0;
  multiplyCurrent(p);
}

void normalise(float v[3]) {
  const float r = float(std::sqrt(double(v[0]) * v[0] + double(v[1]) * v[1] + double(v[2]) * v[2]));
  if (r == 0) return;
  v[0] /= r;
  v[1] /= r;
  v[2] /= r;
}

void cross(const float a[3], const float b[3], float out[3]) {
  out[0] = a[1] * b[2] - a[2] * b[1];
  out[1] = a[2] * b[0] - a[0] * b[2];
  out[2] = a[0] * b[1] - a[1] * b[0];
}

void APIENTRY lookAt(GLdouble ex, GLdouble ey, GLdouble ez, GLdouble cx, GLdouble cy, GLdouble cz,
                     GLdouble ux, GLdouble uy, GLdouble uz) {
  float forward[3] = {float(cx - ex), float(cy - ey), float(cz - ez)};
  float up[3] = {float(ux), float(uy), float(uz)};
  normalise(forward);
  float side[3];
  cross(forward, up, side);
  normalise(side);
  cross(side, forward, up);
  Matrix4 l;
  for (int i = 0; i < 3; ++i) {
    l.m[4 * i + 0] = side[i];
    l.m[4 * i + 1] = up[i];
    l.m[4 * i + 2] = -forward[i];
  }
  multiplyCurrent(l);
  translatef(float(-ex), float(-ey), float(-ez));
}
}  // namespace

Matrix4 multiply(const Matrix4& a, const Matrix4& b) {
  Matrix4 p;
  for (int i = 0; i < 4; ++i) {
    const float ai0 = a.m[i], ai1 = a.m[4 + i], ai2 = a.m[8 + i], ai3 = a.m[12 + i];
    for (int j = 0; j < 4; ++j)
      p.m[4 * j + i] = ai0 * b.m[4 * j] + ai1 * b.m[4 * j + 1] + ai2 * b.m[4 * j + 2] +
                       ai3 * b.m[4 * j + 3];
  }
  return p;
}

void transformPoint(const Matrix4& m, const float in[4], float out[4]) {
  for (int i = 0; i < 4; ++i)
    out[i] = m.m[i] * in[0] + m.m[4 + i] * in[1] + m.m[8 + i] * in[2] + m.m[12 + i] * in[3];
}

Matrix4& currentMatrix() { return shaderGl->stacks[stackIndex(shaderGl->matrixMode)].back(); }
const Matrix4& modelViewMatrix() { return shaderGl->stacks[0].back(); }
const Matrix4& projectionMatrix() { return shaderGl->stacks[1].back(); }

void fillMatrixCalls(GlCalls& c) {
  c.matrixMode = matrixMode;
  c.loadIdentity = loadIdentity;
  c.loadMatrixf = loadMatrixf;
  c.pushMatrix = pushMatrix;
  c.popMatrix = popMatrix;
  c.translatef = translatef;
  c.scalef = scalef;
  c.rotatef = rotatef;
  c.ortho = ortho;
  c.perspective = perspective;
  c.lookAt = lookAt;
}
