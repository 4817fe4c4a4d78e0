#pragma once
// Reading back what a scene drew: whole frames, and text pages with the rectangles the scenes
// cut from them (a rectangle that frames its word whole has no bright glyph pixel on its edges).
#include "platform/Png.h"
#include "render/Texture.h"

#include <SDL_opengl.h>

#include <algorithm>
#include <string>
#include <sys/stat.h>
#include <vector>

// The 800 x 600 screen as RGB rows from the bottom up.
using Frame = std::vector<unsigned char>;

inline Frame readFrame() {
  Frame rgb(800 * 600 * 3);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, 800, 600, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  return rgb;
}

inline bool isUniform(const Frame& frame, unsigned char level) {
  return std::all_of(frame.begin(), frame.end(), [level](unsigned char c) { return c == level; });
}

// Pixel (x, y counted from the top) of a frame.
inline const unsigned char* pixelOf(const Frame& frame, int x, int y) {
  return &frame[(static_cast<size_t>(599 - y) * 800 + x) * 3];
}

// A page as GL holds it: RGB rows from the bottom up.
struct PageImage {
  int size = 0;
  std::vector<unsigned char> rgb;

  int brightness(int x, int y) const {
    const unsigned char* p = &rgb[(static_cast<size_t>(y) * size + x) * 3];
    return std::max({p[0], p[1], p[2]});
  }
};

// A rectangle of a page in texture coordinates, v = 0 at the bottom.
struct PageFrame {
  std::string name;
  float u0, v0, u1, v1;
};

inline PageImage readPage(const Texture& page) {
  PageImage image;
  image.size = page.width;
  image.rgb.resize(static_cast<size_t>(page.width) * page.height * 3);
  glBindTexture(GL_TEXTURE_2D, page.names[0]);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, image.rgb.data());
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  glBindTexture(GL_TEXTURE_2D, 0);
  return image;
}

// The texel column or row a texture coordinate falls in.
inline int texelAt(float coordinate, int size) {
  return std::clamp(static_cast<int>(coordinate * size), 0, size - 1);
}

// The brightest texel on the frame's edges. Edges lying on the page's own border cut nothing
// and are left out.
inline int brightestOnEdges(const PageImage& page, const PageFrame& frame) {
  const int n = page.size;
  const int x0 = texelAt(frame.u0, n), x1 = texelAt(frame.u1, n);
  const int y0 = texelAt(frame.v0, n), y1 = texelAt(frame.v1, n);
  int most = 0;
  for (int x = x0; x <= x1; ++x) {
    if (frame.v0 > 0.001f) most = std::max(most, page.brightness(x, y0));
    if (frame.v1 < 0.999f) most = std::max(most, page.brightness(x, y1));
  }
  for (int y = y0; y <= y1; ++y) {
    if (frame.u0 > 0.001f) most = std::max(most, page.brightness(x0, y));
    if (frame.u1 < 0.999f) most = std::max(most, page.brightness(x1, y));
  }
  return most;
}

inline int brightestInside(const PageImage& page, const PageFrame& frame) {
  const int n = page.size;
  int most = 0;
  for (int y = texelAt(frame.v0, n); y <= texelAt(frame.v1, n); ++y)
    for (int x = texelAt(frame.u0, n); x <= texelAt(frame.u1, n); ++x)
      most = std::max(most, page.brightness(x, y));
  return most;
}

// Writes the page upright with every frame outlined in red, to be looked at.
inline std::string savePageWithFrames(const PageImage& page, const std::vector<PageFrame>& frames,
                                      const std::string& name) {
  const int n = page.size;
  std::vector<unsigned char> out(page.rgb.size());
  for (int y = 0; y < n; ++y)
    std::copy_n(&page.rgb[static_cast<size_t>(y) * n * 3], n * 3,
                &out[static_cast<size_t>(n - 1 - y) * n * 3]);
  auto mark = [&](int x, int y) {
    unsigned char* p = &out[(static_cast<size_t>(n - 1 - y) * n + x) * 3];
    p[0] = 255;
    p[1] = 0;
    p[2] = 0;
  };
  for (const PageFrame& f : frames) {
    const int x0 = texelAt(f.u0, n), x1 = texelAt(f.u1, n);
    const int y0 = texelAt(f.v0, n), y1 = texelAt(f.v1, n);
    for (int x = x0; x <= x1; ++x) mark(x, y0), mark(x, y1);
    for (int y = y0; y <= y1; ++y) mark(x0, y), mark(x1, y);
  }
  mkdir(KELVARN_TEST_TMP, 0755);
  const std::string path = std::string(KELVARN_TEST_TMP) + "/" + name + ".png";
  writePng(path, n, n, out.data());
  return path;
}
