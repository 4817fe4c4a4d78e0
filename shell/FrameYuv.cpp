#include "shell/FrameYuv.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr int correctionPasses = 4;
// A tenth of a level: corrections smaller than this no longer change the block.
constexpr float settled = 0.1f / 255.0f;

unsigned char limitedLevel(float v, float offset, float scale) {
  return static_cast<unsigned char>(std::clamp(offset + scale * v, 0.0f, 255.0f) + 0.5f);
}
}  // namespace

void convertFrameYuv(const unsigned char* bgra, int width, int height, YuvMatrix m, FrameYuv& yuv) {
  const int cw = (width + 1) / 2, ch = (height + 1) / 2;
  const float kg = 1.0f - m.kr - m.kb;
  const float crScale = 2.0f * (1.0f - m.kr), cbScale = 2.0f * (1.0f - m.kb);
  const float gFromCb = cbScale * m.kb / kg, gFromCr = crScale * m.kr / kg;
  const float toCb = 1.0f / cbScale, toCr = 1.0f / crScale;
  yuv.planes.resize(size_t(width) * height + 2 * size_t(cw) * ch);
  unsigned char* lumaPlane = yuv.planes.data();
  unsigned char* cbPlane = lumaPlane + size_t(width) * height;
  unsigned char* crPlane = cbPlane + size_t(cw) * ch;
  for (int by = 0; by < ch; ++by)
    for (int bx = 0; bx < cw; ++bx) {
      // The block's pixels, upright, 0..1; the plain conversion with the chroma averaged.
      float rgb[4][3], luma[4], cb = 0.0f, cr = 0.0f;
      size_t at[4];
      int n = 0;
      bool flat = true;  // one colour throughout: the plain conversion is exact
      for (int y = 2 * by; y < std::min(height, 2 * by + 2); ++y)
        for (int x = 2 * bx; x < std::min(width, 2 * bx + 2); ++x, ++n) {
          const unsigned char* p = bgra + (size_t(height - 1 - y) * width + x) * 4;
          for (int c = 0; c < 3; ++c) {
            rgb[n][c] = p[2 - c] * (1.0f / 255.0f);
            flat = flat && rgb[n][c] == rgb[0][c];
          }
          luma[n] = m.kr * rgb[n][0] + kg * rgb[n][1] + m.kb * rgb[n][2];
          cb += (rgb[n][2] - luma[n]) * toCb;
          cr += (rgb[n][0] - luma[n]) * toCr;
          at[n] = size_t(y) * width + x;
        }
      const float share = 1.0f / n;
      cb *= share;
      cr *= share;
      // Where the rebuilt block leaves 0..1, add to luma and chroma what the clipped block lacks.
      for (int pass = 0; pass < (flat ? 0 : correctionPasses); ++pass) {
        float dCb = 0.0f, dCr = 0.0f;
        float change = 0.0f;
        for (int i = 0; i < n; ++i) {
          float r = luma[i] + crScale * cr, b = luma[i] + cbScale * cb;
          float g = luma[i] - gFromCb * cb - gFromCr * cr;
          float er = rgb[i][0] - std::clamp(r, 0.0f, 1.0f), eg = rgb[i][1] - std::clamp(g, 0.0f, 1.0f);
          float eb = rgb[i][2] - std::clamp(b, 0.0f, 1.0f);
          float el = m.kr * er + kg * eg + m.kb * eb;
          luma[i] += el;
          change = std::max(change, std::abs(el));
          dCb += (eb - el) * toCb;
          dCr += (er - el) * toCr;
        }
        cb += dCb * share;
        cr += dCr * share;
        if (std::max({change, std::abs(dCb * share), std::abs(dCr * share)}) < settled) break;
      }
      for (int i = 0; i < n; ++i) lumaPlane[at[i]] = limitedLevel(luma[i], 16.0f, 219.0f);
      cbPlane[size_t(by) * cw + bx] = limitedLevel(cb, 128.0f, 224.0f);
      crPlane[size_t(by) * cw + bx] = limitedLevel(cr, 128.0f, 224.0f);
    }
}
