#pragma once
// What a whole frame sends down the pipeline, read back through GL's feedback mode: polygons,
// lines and bitmaps in window coordinates (x right, y up from the bottom) with their colours,
// under whatever projections and viewports the frame itself sets.
#include <SDL_opengl.h>

#include <functional>
#include <vector>

struct FrameVertex {
  float x = 0, y = 0, z = 0;
  float r = 0, g = 0, b = 0, a = 0;
  float s = 0, t = 0;
};
using FrameShape = std::vector<FrameVertex>;

struct FrameFeedback {
  std::vector<FrameShape> polygons;
  std::vector<FrameShape> lines;
  std::vector<FrameVertex> bitmaps;  // the raster position each bitmap was drawn at
  bool overflowed = false;
};

inline FrameFeedback feedbackOfFrame(const std::function<void()>& draw,
                                     size_t capacity = size_t(1) << 24) {
  std::vector<GLfloat> buffer(capacity);
  glFeedbackBuffer(static_cast<GLsizei>(capacity), GL_3D_COLOR_TEXTURE, buffer.data());
  glRenderMode(GL_FEEDBACK);
  draw();
  const GLint used = glRenderMode(GL_RENDER);

  FrameFeedback result;
  if (used < 0) {
    result.overflowed = true;
    return result;
  }
  const int vertexSize = 11;  // x, y, z, r, g, b, a, s, t, r, q
  auto vertexAt = [&](GLint& at) {
    const GLfloat* v = &buffer[at];
    at += vertexSize;
    return FrameVertex{v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7] / v[10], v[8] / v[10]};
  };
  for (GLint at = 0; at < used;) {
    const auto token = static_cast<GLint>(buffer[at++]);
    if (token == GL_POLYGON_TOKEN) {
      const auto count = static_cast<int>(buffer[at++]);
      FrameShape shape;
      for (int k = 0; k < count; ++k) shape.push_back(vertexAt(at));
      result.polygons.push_back(shape);
    } else if (token == GL_LINE_TOKEN || token == GL_LINE_RESET_TOKEN) {
      FrameShape shape;
      shape.push_back(vertexAt(at));
      shape.push_back(vertexAt(at));
      result.lines.push_back(shape);
    } else if (token == GL_BITMAP_TOKEN) {
      result.bitmaps.push_back(vertexAt(at));
    } else if (token == GL_PASS_THROUGH_TOKEN) {
      ++at;
    } else {  // points and pixel rectangles carry one vertex
      at += vertexSize;
    }
  }
  return result;
}

// True when the shape covers the whole 800 x 600 window.
inline bool coversScreen(const FrameShape& shape) {
  float x0 = 1e9f, y0 = 1e9f, x1 = -1e9f, y1 = -1e9f;
  for (const FrameVertex& v : shape) {
    x0 = v.x < x0 ? v.x : x0;
    y0 = v.y < y0 ? v.y : y0;
    x1 = v.x > x1 ? v.x : x1;
    y1 = v.y > y1 ? v.y : y1;
  }
  return x0 <= 0.5f && y0 <= 0.5f && x1 >= 799.5f && y1 >= 599.5f;
}
