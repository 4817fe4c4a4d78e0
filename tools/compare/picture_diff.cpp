// kelvarn-picture-diff: how far a picture is from a reference of the same size, channel by
// channel: the mean |difference|, its 99.9th percentile (nearest rank) and its largest value,
// in 0..255 steps. Optionally writes the reference, the picture and the difference amplified
// side by side, for looking at, and fails when a bound is passed.
//
// usage: kelvarn-picture-diff REFERENCE.png PICTURE.png [--side-by-side OUT.png] [--gain N]
//                             [--max-mean M] [--max-p999 P]
// prints: mean R G B  p99.9 R G B  max R G B
// exit status: 0, 1 past a bound, 2 unreadable pictures, sizes that differ or a bad argument.
#include "platform/Png.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {
struct Difference {
  double mean[3] = {0, 0, 0};
  int p999[3] = {0, 0, 0};
  int most[3] = {0, 0, 0};
};

Difference measure(const std::vector<unsigned char>& a, const std::vector<unsigned char>& b) {
  Difference d;
  size_t pixels = a.size() / 3;
  for (int c = 0; c < 3; ++c) {
    size_t histogram[256] = {0};
    double sum = 0;
    for (size_t i = 0; i < pixels; ++i) {
      int v = std::abs(int(a[i * 3 + c]) - int(b[i * 3 + c]));
      ++histogram[v];
      sum += v;
    }
    d.mean[c] = pixels ? sum / pixels : 0;
    // Nearest rank: the smallest value with at least 99.9 % of the pixels at or below it.
    size_t rank = std::max<size_t>(1, (pixels * 999 + 999) / 1000), seen = 0;
    for (int v = 0; v < 256; ++v) {
      seen += histogram[v];
      if (histogram[v]) d.most[c] = v;
      if (seen >= rank && seen - histogram[v] < rank) d.p999[c] = v;
    }
  }
  return d;
}

std::vector<unsigned char> sideBySide(const std::vector<unsigned char>& a,
                                      const std::vector<unsigned char>& b, int w, int h,
                                      double gain) {
  std::vector<unsigned char> out(size_t(w) * 3 * h * 3);
  for (int y = 0; y < h; ++y) {
    unsigned char* row = &out[size_t(y) * w * 9];
    const unsigned char* ra = &a[size_t(y) * w * 3];
    const unsigned char* rb = &b[size_t(y) * w * 3];
    std::memcpy(row, ra, size_t(w) * 3);
    std::memcpy(row + size_t(w) * 3, rb, size_t(w) * 3);
    for (int i = 0; i < w * 3; ++i)
      row[size_t(w) * 6 + i] =
          static_cast<unsigned char>(std::min(255.0, std::abs(int(ra[i]) - int(rb[i])) * gain));
  }
  return out;
}

int usage(const char* why) {
  std::fprintf(stderr,
               "kelvarn-picture-diff: %s\n"
               "usage: kelvarn-picture-diff REFERENCE.png PICTURE.png [--side-by-side OUT.png]\n"
               "       [--gain N] [--max-mean M] [--max-p999 P]\n",
               why);
  return 2;
}

bool number(const char* text, double* out) {
  char* end = nullptr;
  *out = std::strtod(text, &end);
  return end != text && *end == '\0' && *out >= 0;
}
}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> files;
  std::string sideFile;
  double gain = 8, maxMean = -1, maxP999 = -1;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    bool valued = arg == "--side-by-side" || arg == "--gain" || arg == "--max-mean" ||
                  arg == "--max-p999";
    if (!valued) {
      if (arg.compare(0, 2, "--") == 0) return usage(("unknown option " + arg).c_str());
      files.push_back(arg);
      continue;
    }
    if (++i >= argc) return usage((arg + " needs a value").c_str());
    if (arg == "--side-by-side") sideFile = argv[i];
    else if (!number(argv[i], arg == "--gain" ? &gain : arg == "--max-mean" ? &maxMean : &maxP999))
      return usage((arg + " needs a number of 0 or more").c_str());
  }
  if (files.size() != 2) return usage("needs two pictures");
  int w = 0, h = 0, w2 = 0, h2 = 0;
  std::vector<unsigned char> a, b;
  if (!readPng(files[0], &w, &h, &a) || !readPng(files[1], &w2, &h2, &b)) return 2;
  if (w != w2 || h != h2) {
    std::fprintf(stderr, "kelvarn-picture-diff: %s is %dx%d, %s is %dx%d\n", files[0].c_str(), w,
                 h, files[1].c_str(), w2, h2);
    return 2;
  }
  Difference d = measure(a, b);
  std::printf("mean %.3f %.3f %.3f  p99.9 %d %d %d  max %d %d %d\n", d.mean[0], d.mean[1],
              d.mean[2], d.p999[0], d.p999[1], d.p999[2], d.most[0], d.most[1], d.most[2]);
  if (!sideFile.empty() && !writePng(sideFile, w * 3, h, sideBySide(a, b, w, h, gain).data()))
    return 2;
  bool over = false;
  for (int c = 0; c < 3; ++c) {
    over = over || (maxMean >= 0 && d.mean[c] > maxMean);
    over = over || (maxP999 >= 0 && d.p999[c] > maxP999);
  }
  return over ? 1 : 0;
}
