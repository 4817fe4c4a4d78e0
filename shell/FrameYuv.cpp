#include "shell/FrameYuv.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr int correctionPasses = 4;

unsigned char limitedLevel(float v, float offset, float scale) {
  return static_cast<unsigned char>(std::clamp(std::lround(offset + scale * v), 0L, 255L));
}
}  // namespace

void convertFrameYuv(const unsigned char* bgra, int width, int height, YuvMatrix m, FrameYuv& yuv) {
  const int cw = (width + 1) / 2, ch = (height + 1) / 2;
  const float kg = 1.0f - m.kr - m.kb;
  const float crScale = 2.0f * (1.0f - m.kr), cbScale = 2.0f * (1.0f - m.kb);
  const float gFromCb = cbScale * m.kb / kg, gFromCr = crScale * m.kr / kg;
  yuv.luma.assign(size_t(width) * height, 0.0f);
  yuv.cb.assign(size_t(cw) * ch, 0.0f);
  yuv.cr.assign(size_t(cw) * ch, 0.0f);
  // Pixel (x, y) of the upright picture, one channel: 0 red, 1 green, 2 blue.
  auto level = [&](int x, int y, int c) {
    return bgra[(size_t(height - 1 - y) * width + x) * 4 + 2 - c] * (1.0f / 255.0f);
  };
  // Each pass adds to luma and chroma what the rebuilt block lacks; the first starts from zero,
  // where the sums are the plain conversion with the block's chroma averaged.
  for (int pass = 0; pass <= correctionPasses; ++pass) {
    for (int by = 0; by < ch; ++by)
      for (int bx = 0; bx < cw; ++bx) {
        float& cb = yuv.cb[size_t(by) * cw + bx];
        float& cr = yuv.cr[size_t(by) * cw + bx];
        float dCb = 0.0f, dCr = 0.0f;
        int n = 0;
        for (int y = 2 * by; y < std::min(height, 2 * by + 2); ++y)
          for (int x = 2 * bx; x < std::min(width, 2 * bx + 2); ++x, ++n) {
            float& l = yuv.luma[size_t(y) * width + x];
            float r = std::clamp(l + crScale * cr, 0.0f, 1.0f);
            float g = std::clamp(l - gFromCb * cb - gFromCr * cr, 0.0f, 1.0f);
            float b = std::clamp(l + cbScale * cb, 0.0f, 1.0f);
            float er = level(x, y, 0) - r, eg = level(x, y, 1) - g, eb = level(x, y, 2) - b;
            float el = m.kr * er + kg * eg + m.kb * eb;
            l += el;
            dCb += (eb - el) / cbScale;
            dCr += (er - el) / crScale;
          }
        cb += dCb / n;
        cr += dCr / n;
      }
  }
  yuv.planes.resize(yuv.luma.size() + 2 * yuv.cb.size());
  unsigned char* out = yuv.planes.data();
  for (float v : yuv.luma) *out++ = limitedLevel(v, 16.0f, 219.0f);
  for (float v : yuv.cb) *out++ = limitedLevel(v, 128.0f, 224.0f);
  for (float v : yuv.cr) *out++ = limitedLevel(v, 128.0f, 224.0f);
}
