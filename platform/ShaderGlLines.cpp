// Lines, and polygons outlined in polygon mode GL_LINE, as GL's smooth lines draw them: each
// segment a quad on the window as wide as the line plus a pixel (two at least) and half a pixel
// longer at each end, its coverage worked out per fragment. Lines leave the vertex stage here,
// on the CPU: placed, lit and sphere-mapped as the programs would, then sent in clip space.
#include "platform/ShaderGlProcs.h"

#include <cmath>
#include <cstring>

void litColour(const float eye[4], const float n[3], const float colour[4], float out[4]) {
  const FixedState& s = shaderGl->s;
  float toLight[3];
  const float* p = s.light.position;
  for (int i = 0; i < 3; ++i) toLight[i] = p[3] == 0 ? p[i] : p[i] / p[3] - eye[i] / eye[3];
  const float length = std::sqrt(toLight[0] * toLight[0] + toLight[1] * toLight[1] + toLight[2] * toLight[2]);
  if (length > 0)
    for (float& c : toLight) c /= length;
  const float facing = std::fmax(0.0f, n[0] * toLight[0] + n[1] * toLight[1] + n[2] * toLight[2]);
  for (int i = 0; i < 3; ++i) {
    const float c = std::fmin(1.0f, std::fmax(0.0f, colour[i]));
    float v = s.lightModelAmbient[i] * c;
    if (s.light.enabled) v += s.light.ambient[i] * c + facing * s.light.diffuse[i] * c;
    out[i] = std::fmin(1.0f, std::fmax(0.0f, v));
  }
  out[3] = std::fmin(1.0f, std::fmax(0.0f, colour[3]));
}

namespace {
void copyCorner(ShaderVertex& v, const float clip[4], const ShaderVertex& from, float eyeDistance,
                float across, float along, float halfWidth, float halfLength) {
  std::memcpy(v.position, clip, sizeof v.position);
  std::memcpy(v.colour, from.colour, sizeof v.colour);
  v.normal[0] = eyeDistance;
  v.normal[1] = across;
  v.normal[2] = along;
  const float q = from.texCoord[3] != 0 ? from.texCoord[3] : 1.0f;
  v.texCoord[0] = from.texCoord[0] / q;
  v.texCoord[1] = from.texCoord[1] / q;
  v.texCoord[2] = halfWidth;
  v.texCoord[3] = halfLength;
}

struct Placed {
  float clip[4];
  float eyeDistance;
  ShaderVertex vertex;
};

// A line's end as the programs would light and texture it: lines leave the vertex stage on
// the CPU, so the light and sphere-map coordinates are worked out here.
Placed place(const ShaderVertex& v, const Matrix4& modelView, const Matrix4& projection) {
  const FixedState& s = shaderGl->s;
  Placed p;
  float eye[4];
  transformPoint(modelView, v.position, eye);
  transformPoint(projection, eye, p.clip);
  p.eyeDistance = std::fabs(eye[2]);
  p.vertex = v;
  const bool sphere = s.texture2D && s.textureGenS && s.textureGenT && s.texGenMode[0] == GL_SPHERE_MAP;
  if (!s.lighting && !sphere) return p;
  const float* m = modelView.m;
  float n[3];
  for (int i = 0; i < 3; ++i) n[i] = m[i] * v.normal[0] + m[4 + i] * v.normal[1] + m[8 + i] * v.normal[2];
  if (s.lighting) litColour(eye, n, v.colour, p.vertex.colour);
  if (sphere) {
    const float length = std::sqrt(eye[0] * eye[0] + eye[1] * eye[1] + eye[2] * eye[2]);
    float u[3] = {eye[0], eye[1], eye[2]};
    if (length > 0)
      for (float& c : u) c /= length;
    const float nu = n[0] * u[0] + n[1] * u[1] + n[2] * u[2];
    const float r[3] = {u[0] - 2 * n[0] * nu, u[1] - 2 * n[1] * nu, u[2] - 2 * n[2] * nu};
    const float mag = 2 * std::sqrt(r[0] * r[0] + r[1] * r[1] + (r[2] + 1) * (r[2] + 1));
    const float tc[4] = {mag > 0 ? r[0] / mag + 0.5f : 0.5f, mag > 0 ? r[1] / mag + 0.5f : 0.5f,
                         v.texCoord[2], v.texCoord[3]};
    transformPoint(shaderGl->stacks[2].back(), tc, p.vertex.texCoord);
  }
  return p;
}

Placed between(const Placed& a, const Placed& b, float t) {
  Placed p = a;
  for (int i = 0; i < 4; ++i) {
    p.clip[i] = a.clip[i] + (b.clip[i] - a.clip[i]) * t;
    p.vertex.colour[i] = a.vertex.colour[i] + (b.vertex.colour[i] - a.vertex.colour[i]) * t;
    p.vertex.texCoord[i] = a.vertex.texCoord[i] + (b.vertex.texCoord[i] - a.vertex.texCoord[i]) * t;
  }
  p.eyeDistance = a.eyeDistance + (b.eyeDistance - a.eyeDistance) * t;
  return p;
}

// One segment as a quad in window space: as wide as the line plus one pixel, half a pixel
// longer at each end, carrying the distances the coverage is computed from.
void lineQuad(Placed a, Placed b, std::vector<ShaderVertex>& out) {
  // Cut at the near plane (z = -w) so that both ends have a place on the window.
  const float da = a.clip[2] + a.clip[3], db = b.clip[2] + b.clip[3];
  if (da < 0 && db < 0) return;
  if (da < 0) a = between(a, b, da / (da - db));
  if (db < 0) b = between(b, a, db / (db - da));
  if (a.clip[3] <= 0 || b.clip[3] <= 0) return;
  const GLint* vp = shaderGl->s.viewport;
  const float halfW = vp[2] * 0.5f, halfH = vp[3] * 0.5f;
  const float ax = (a.clip[0] / a.clip[3] + 1) * halfW, ay = (a.clip[1] / a.clip[3] + 1) * halfH;
  const float bx = (b.clip[0] / b.clip[3] + 1) * halfW, by = (b.clip[1] / b.clip[3] + 1) * halfH;
  const float dx = bx - ax, dy = by - ay;
  const float length = std::sqrt(dx * dx + dy * dy);
  if (!(length > 0)) return;
  const float c = dx / length, s = dy / length;
  const float width = shaderGl->s.lineWidth;
  const float halfWidth = width <= 1 ? 1.0f : 0.5f * width + 0.5f;
  // A segment shorter than a pixel fades with its length instead of keeping half its strength.
  const float halfLength = length < 1 ? length : 0.5f * length + 0.5f;
  const float reach = 0.5f;
  ShaderVertex corner[4];
  const float along[4] = {-reach, -reach, length + reach, length + reach};
  const float side[4] = {-halfWidth, halfWidth, -halfWidth, halfWidth};
  for (int k = 0; k < 4; ++k) {
    const Placed& end = k < 2 ? a : b;
    const float x = ax + along[k] * c - side[k] * s, y = ay + along[k] * s + side[k] * c;
    const float w = end.clip[3];
    const float clip[4] = {(x / halfW - 1) * w, (y / halfH - 1) * w, end.clip[2], w};
    copyCorner(corner[k], clip, end.vertex, end.eyeDistance, side[k],
               (along[k] - 0.5f * length) * halfLength / (0.5f * length + reach), halfWidth,
               halfLength);
  }
  for (const ShaderVertex& v : corner) out.push_back(v);  // drawn as two triangles by index
}

// Whether GL would cull this polygon: its signed area on the window.
bool culled(const Placed* p, size_t n) {
  const FixedState& s = shaderGl->s;
  if (!s.cullFace) return false;
  if (s.cullFaceMode == GL_FRONT_AND_BACK) return true;
  double area = 0;
  for (size_t i = 0; i < n; ++i) {
    const Placed& a = p[i];
    const Placed& b = p[(i + 1) % n];
    if (a.clip[3] <= 0 || b.clip[3] <= 0) return false;
    area += double(a.clip[0] / a.clip[3]) * (b.clip[1] / b.clip[3]) -
            double(b.clip[0] / b.clip[3]) * (a.clip[1] / a.clip[3]);
  }
  const bool front = area > 0;
  return s.cullFaceMode == GL_BACK ? !front : front;
}

// Outlines a polygon unless it is culled; `skipFirst` leaves out its first edge. Returns
// whether it was drawn.
bool outlinePolygon(const Placed* p, size_t n, std::vector<ShaderVertex>& out,
                    bool skipFirst = false) {
  if (culled(p, n)) return false;
  for (size_t i = skipFirst ? 1 : 0; i < n; ++i) lineQuad(p[i], p[(i + 1) % n], out);
  return true;
}

// Whether drawing a segment a second time over itself can change no pixel: opaque lines whose
// second copy fails the depth test where the first one passed.
bool redrawChangesNothing() {
  const FixedState& s = shaderGl->s;
  return !s.blend && s.depthTest && s.depthMask && s.depthFunc == GL_LESS &&
         s.colourMask[0] && s.colourMask[1] && s.colourMask[2];
}

}  // namespace

// The batch's lines (or its polygons' edges) as quads on the window.
void outline(const Batch& batch, std::vector<ShaderVertex>& out) {
  const Matrix4& mv = modelViewMatrix();
  const Matrix4& proj = projectionMatrix();
  std::vector<Placed> placed;
  placed.reserve(batch.vertices.size());
  for (const ShaderVertex& v : batch.vertices) placed.push_back(place(v, mv, proj));
  const size_t n = placed.size();
  switch (batch.mode) {
    case GL_LINES:
      for (size_t i = 0; i + 1 < n; i += 2) lineQuad(placed[i], placed[i + 1], out);
      break;
    case GL_LINE_STRIP:
    case GL_LINE_LOOP:
      for (size_t i = 0; i + 1 < n; ++i) lineQuad(placed[i], placed[i + 1], out);
      if (batch.mode == GL_LINE_LOOP && n > 2) lineQuad(placed[n - 1], placed[0], out);
      break;
    case GL_TRIANGLES:
      for (size_t i = 0; i + 2 < n; i += 3) outlinePolygon(&placed[i], 3, out);
      break;
    case GL_TRIANGLE_STRIP:
      for (size_t i = 0; i + 2 < n; ++i) {
        Placed t[3] = {placed[i], placed[i + 1], placed[i + 2]};
        if (i % 2) std::swap(t[0], t[1]);
        outlinePolygon(t, 3, out);
      }
      break;
    case GL_TRIANGLE_FAN:
      for (size_t i = 1; i + 1 < n; ++i) {
        Placed t[3] = {placed[0], placed[i], placed[i + 1]};
        outlinePolygon(t, 3, out);
      }
      break;
    case GL_QUADS:
      for (size_t i = 0; i + 3 < n; i += 4) outlinePolygon(&placed[i], 4, out);
      break;
    case GL_QUAD_STRIP: {
      // Each quad's first edge is the one before's last, drawn again the other way round; where
      // that cannot change a pixel it is drawn once.
      const bool once = redrawChangesNothing();
      bool previousDrawn = false;
      for (size_t i = 0; i + 3 < n; i += 2) {
        Placed q[4] = {placed[i], placed[i + 1], placed[i + 3], placed[i + 2]};
        previousDrawn = outlinePolygon(q, 4, out, once && previousDrawn);
      }
      break;
    }
    case GL_POLYGON:
      if (n >= 3) outlinePolygon(placed.data(), n, out);
      break;
    default:
      break;
  }
}

