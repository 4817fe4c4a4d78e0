#include "render/PictureStretch.h"

#include <cmath>
#include <cstddef>
#include <vector>

// Built with -ffp-contract=off (see CMakeLists.txt): a fused multiply-add would round
// differently from the separate multiply and add the bytes depend on.

namespace {
// One source line or column a target pixel's box covers, and how much of it.
struct Cover {
  int index;
  float share;
};

// The covers of every target position along one side: target t owns
// covers[first[t]] .. covers[first[t + 1] - 1], in source order.
struct SideCovers {
  std::vector<int> first;
  std::vector<Cover> covers;
};

SideCovers sideCovers(int inSide, int outSide) {
  SideCovers side;
  side.first.reserve(static_cast<size_t>(outSide) + 1);
  side.covers.reserve(static_cast<size_t>(outSide) * 3);
  const float step = static_cast<float>(inSide) / static_cast<float>(outSide);
  const float halfStep = step / 2;
  for (int t = 0; t < outSide; ++t) {
    side.first.push_back(static_cast<int>(side.covers.size()));
    const float centre = static_cast<float>(step * (t + 0.5));
    float low, high;
    if (inSide > outSide) {
      low = centre - halfStep;
      high = centre + halfStep;
    } else {
      low = static_cast<float>(centre - 0.5);
      high = static_cast<float>(centre + 0.5);
    }
    float at = low;
    int whole = static_cast<int>(std::floor(at));
    while (at < high) {
      const float next = static_cast<float>(whole + 1);
      side.covers.push_back({(whole + inSide) % inSide, high < next ? high - at : next - at});
      ++whole;
      at = static_cast<float>(whole);
    }
  }
  side.first.push_back(static_cast<int>(side.covers.size()));
  return side;
}

void halve(const unsigned char* in, int inWidth, unsigned char* out, int outWidth,
           int outHeight) {
  const size_t stride = static_cast<size_t>(inWidth) * 3;
  for (int y = 0; y < outHeight; ++y) {
    const unsigned char* top = in + 2 * static_cast<size_t>(y) * stride;
    const unsigned char* bottom = top + stride;
    for (int x = 0; x < outWidth * 3; ++x) {
      const size_t i = static_cast<size_t>(x / 3) * 6 + static_cast<size_t>(x % 3);
      const unsigned sum = (top[i] + top[i + 3] + bottom[i] + bottom[i + 3]) * 257u;
      *out++ = static_cast<unsigned char>(((sum + 2) / 4) >> 8);
    }
  }
}
}  // namespace

void stretchPicture(const unsigned char* in, int inWidth, int inHeight, unsigned char* out,
                    int outWidth, int outHeight) {
  if (inWidth == outWidth * 2 && inHeight == outHeight * 2) {
    halve(in, inWidth, out, outWidth, outHeight);
    return;
  }
  const SideCovers columns = sideCovers(inWidth, outWidth);
  const SideCovers rows = sideCovers(inHeight, outHeight);
  const size_t stride = static_cast<size_t>(inWidth) * 3;
  for (int y = 0; y < outHeight; ++y) {
    const Cover* rowFirst = rows.covers.data() + rows.first[y];
    const Cover* rowEnd = rows.covers.data() + rows.first[y + 1];
    for (int x = 0; x < outWidth; ++x) {
      const Cover* columnFirst = columns.covers.data() + columns.first[x];
      const Cover* columnEnd = columns.covers.data() + columns.first[x + 1];
      float red = 0, green = 0, blue = 0, area = 0;
      for (const Cover* row = rowFirst; row != rowEnd; ++row) {
        const unsigned char* line = in + static_cast<size_t>(row->index) * stride;
        for (const Cover* column = columnFirst; column != columnEnd; ++column) {
          const float share = column->share * row->share;
          area += share;
          const unsigned char* pixel = line + static_cast<size_t>(column->index) * 3;
          red += static_cast<float>(pixel[0] * 257) * share;
          green += static_cast<float>(pixel[1] * 257) * share;
          blue += static_cast<float>(pixel[2] * 257) * share;
        }
      }
      // The 16-bit mean, rounded as GLU does, then its top byte.
      const double divisor = area;
      out[0] = static_cast<unsigned char>(static_cast<int>((red + 0.5) / divisor) >> 8);
      out[1] = static_cast<unsigned char>(static_cast<int>((green + 0.5) / divisor) >> 8);
      out[2] = static_cast<unsigned char>(static_cast<int>((blue + 0.5) / divisor) >> 8);
      out += 3;
    }
  }
}
