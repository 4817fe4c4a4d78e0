// Compares two 800 x 600 stills of the show: the mean absolute difference per channel, in
// levels of 0..255, against a limit.
//
//   shot_diff A.png B.png LIMIT LABEL
//
// Prints one line, "PASS LABEL: ..." or "FAIL LABEL: ...". Exit status 0 when within the
// limit, 1 when not, 2 when a picture cannot be read or the two differ in size.
#include <png.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {
bool readRgb(const char* path, std::vector<unsigned char>& rgb, unsigned& width, unsigned& height) {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path)) {
    std::fprintf(stderr, "shot_diff: %s: %s\n", path, image.message);
    return false;
  }
  image.format = PNG_FORMAT_RGB;
  width = image.width;
  height = image.height;
  rgb.assign(PNG_IMAGE_SIZE(image), 0);
  if (!png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr)) {
    std::fprintf(stderr, "shot_diff: %s: %s\n", path, image.message);
    return false;
  }
  return true;
}
}  // namespace

int main(int argc, char** argv) {
  if (argc != 5) {
    std::fprintf(stderr, "usage: shot_diff A.png B.png LIMIT LABEL\n");
    return 2;
  }
  const double limit = std::atof(argv[3]);
  const char* label = argv[4];
  std::vector<unsigned char> a, b;
  unsigned wa = 0, ha = 0, wb = 0, hb = 0;
  if (!readRgb(argv[1], a, wa, ha) || !readRgb(argv[2], b, wb, hb)) {
    std::printf("FAIL %s: a picture cannot be read\n", label);
    return 2;
  }
  if (wa != wb || ha != hb || a.empty()) {
    std::printf("FAIL %s: sizes differ (%ux%u and %ux%u)\n", label, wa, ha, wb, hb);
    return 2;
  }
  double sum = 0;
  size_t differing = 0;
  for (size_t i = 0; i < a.size(); ++i) {
    int d = std::abs(int(a[i]) - int(b[i]));
    sum += d;
    if (d > 32) ++differing;
  }
  const double mean = sum / double(a.size());
  const bool pass = mean <= limit;
  std::printf("%s %s: mean |difference| %.2f levels per channel (limit %g), %.2f%% of channels "
              "off by more than 32\n",
              pass ? "PASS" : "FAIL", label, mean, limit, 100.0 * differing / double(a.size()));
  return pass ? 0 : 1;
}
