#include "render/PictureScale.h"

#include "platform/Gl.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {
int lines = 600;

bool powerOfTwoOnly() {
  const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
  int major = 0;
  return !version || std::sscanf(version, "%d", &major) != 1 || major < 2;
}
}  // namespace

void setPictureScale(int pictureHeight) { lines = pictureHeight > 0 ? pictureHeight : 600; }

float pictureScale() { return float(lines) / 600.0f; }

int32_t scaledPixels(int32_t pixels) {
  if (lines == 600 || pixels <= 0) return pixels;
  const long long scaled = std::llround(double(pixels) * lines / 600.0);
  return int32_t(std::max(1LL, scaled));
}

int32_t targetSideAt(int pictureHeight, int32_t pixels) {
  if (pictureHeight == 600 || pixels <= 0) return pixels;
  const int32_t side = int32_t(std::max(1LL, std::llround(double(pixels) * pictureHeight / 600.0)));
  if (side == pixels) return side;
  // A multiple of four, which the shader blur packs four pixels to a texel.
  if (!powerOfTwoOnly()) return std::max(4, (side + 2) / 4 * 4);
  int32_t power = 1;
  while (power * 2 <= side) power *= 2;
  return power;
}

int32_t scaledTargetSide(int32_t pixels) { return targetSideAt(lines, pixels); }

void setLineWidth(float width) {
  if (lines == 600)
    glLineWidth(width);
  else
    glLineWidth((std::max(width, 1.0f) + 1.0f) * pictureScale() - 1.0f);
}
