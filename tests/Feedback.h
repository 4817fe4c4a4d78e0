#pragma once
// Geometry capture through GL's feedback mode: what a drawing routine really sends down the
// pipeline, as polygons and lines in object coordinates.
#include <SDL_opengl.h>

#include <cmath>
#include <functional>
#include <vector>

struct FeedbackVertex {
  float x = 0, y = 0, z = 0;  // object coordinates under feedbackView
  float s = 0, t = 0;         // texture coordinate
};
using FeedbackShape = std::vector<FeedbackVertex>;

struct Feedback {
  std::vector<FeedbackShape> polygons;
  std::vector<FeedbackShape> lines;
  bool overflowed = false;
};

// The view feedback captures through: orthographic, 1600 x 1200 x 2000 units around the origin
// onto the 800 x 600 viewport, so window coordinates turn back into object coordinates.
inline FeedbackVertex objectVertex(const GLfloat* v) {
  FeedbackVertex out;
  out.x = v[0] * 2 - 800;
  out.y = v[1] * 2 - 600;
  out.z = (0.5f - v[2]) * 2000;
  out.s = v[7];  // after x, y, z and the RGBA colour
  out.t = v[8];
  return out;
}

// Runs draw with the feedback view set (the caller's modelview is used as it stands) and reads
// back every primitive. Both matrices are restored afterwards.
inline Feedback captureFeedback(const std::function<void()>& draw, size_t capacity = 1 << 20) {
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  glOrtho(-800, 800, -600, 600, -1000, 1000);
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();

  std::vector<GLfloat> buffer(capacity);
  glFeedbackBuffer(static_cast<GLsizei>(capacity), GL_3D_COLOR_TEXTURE, buffer.data());
  glRenderMode(GL_FEEDBACK);
  draw();
  const GLint used = glRenderMode(GL_RENDER);

  glPopMatrix();
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);

  Feedback result;
  if (used < 0) {
    result.overflowed = true;
    return result;
  }
  const int vertexSize = 11;  // x, y, z, r, g, b, a, s, t, r, q
  auto readShape = [&](GLint& at, int count) {
    FeedbackShape shape;
    for (int k = 0; k < count; ++k, at += vertexSize) shape.push_back(objectVertex(&buffer[at]));
    return shape;
  };
  for (GLint at = 0; at < used;) {
    const auto token = static_cast<GLint>(buffer[at++]);
    if (token == GL_POLYGON_TOKEN) {
      const auto count = static_cast<int>(buffer[at++]);
      result.polygons.push_back(readShape(at, count));
    } else if (token == GL_LINE_TOKEN || token == GL_LINE_RESET_TOKEN) {
      result.lines.push_back(readShape(at, 2));
    } else if (token == GL_PASS_THROUGH_TOKEN) {
      ++at;
    } else {  // points, bitmaps and pixel rectangles carry one vertex
      at += vertexSize;
    }
  }
  return result;
}

inline size_t vertexCount(const std::vector<FeedbackShape>& shapes) {
  size_t n = 0;
  for (const FeedbackShape& s : shapes) n += s.size();
  return n;
}
