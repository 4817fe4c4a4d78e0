// Frames of any size: the same show drawn sharper, bars around a 4:3 picture, and sizes that
// cannot be drawn refused before anything is.
#include "tests/ProgramRun.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace {
struct Picture {
  std::vector<unsigned char> rgb;
  int width = 0;
  int height = 0;
  int at(int x, int y, int c) const { return rgb[(size_t(y) * width + x) * 3 + c]; }
};

Picture shot(int ms, const std::string& resolution) {
  const std::string png = testTmp("res-" + std::to_string(ms) + "-" + resolution + ".png");
  std::remove(png.c_str());
  const ProgramResult r = runKelvarn("KELVARN --step 1000 --resolution " + resolution + " --shot " +
                                     std::to_string(ms) + " " + png);
  EXPECT_EQ(r.status, 0) << r.err;
  Picture p;
  p.rgb = readPngRgb(png, &p.width, &p.height);
  return p;
}

// The large picture's 2 x 2 blocks averaged, against the small one: mean |difference|.
double boxFilteredDifference(const Picture& small, const Picture& large) {
  double sum = 0;
  for (int y = 0; y < small.height; ++y)
    for (int x = 0; x < small.width; ++x)
      for (int c = 0; c < 3; ++c) {
        const double box = (large.at(2 * x, 2 * y, c) + large.at(2 * x + 1, 2 * y, c) +
                            large.at(2 * x, 2 * y + 1, c) + large.at(2 * x + 1, 2 * y + 1, c)) /
                           4.0;
        sum += std::fabs(box - small.at(x, y, c));
      }
  return sum / (double(small.width) * small.height * 3);
}

// Fine detail: the root mean square of every value's distance from its 2 x 2 block's mean. (The
// plain mean is blind to sharpness: a hard edge and its bilinear ramp give the same sum.)
template <typename Value>
double fineDetail(int width, int height, Value value) {
  double sum = 0;
  for (int y = 0; y + 1 < height; y += 2)
    for (int x = 0; x + 1 < width; x += 2)
      for (int c = 0; c < 3; ++c) {
        const double v[4] = {double(value(x, y, c)), double(value(x + 1, y, c)),
                             double(value(x, y + 1, c)), double(value(x + 1, y + 1, c))};
        const double mean = (v[0] + v[1] + v[2] + v[3]) / 4;
        for (double e : v) sum += (e - mean) * (e - mean);
      }
  return std::sqrt(sum / (double(width) * height * 3));
}

// The small picture scaled up twice bilinearly, as a GL_LINEAR blit samples it.
double upscaledValue(const Picture& small, int x, int y, int c) {
  const double sx = (x + 0.5) / 2 - 0.5, sy = (y + 0.5) / 2 - 0.5;
  const int x0 = int(std::floor(sx)), y0 = int(std::floor(sy));
  const double fx = sx - x0, fy = sy - y0;
  auto at = [&](int px, int py) {
    px = std::max(0, std::min(small.width - 1, px));
    py = std::max(0, std::min(small.height - 1, py));
    return double(small.at(px, py, c));
  };
  return (1 - fy) * ((1 - fx) * at(x0, y0) + fx * at(x0 + 1, y0)) +
         fy * ((1 - fx) * at(x0, y0 + 1) + fx * at(x0 + 1, y0 + 1));
}
}  // namespace

// A title card (text, wire lines, a level-4 glow), the credits (pages of text through the
// smaller glow target) and the end scroller (large text over a glow).
TEST(Resolution, TwiceTheSizeIsTheSameShowOnlySharper) {
  for (int ms : {41000, 105000, 224300}) {
    const Picture small = shot(ms, "800x600"), large = shot(ms, "1600x1200");
    ASSERT_EQ(small.width * small.height, 800 * 600);
    ASSERT_EQ(large.width * large.height, 1600 * 1200);
    EXPECT_LE(boxFilteredDifference(small, large), 7.0) << ms << " ms";
    const double drawn = fineDetail(1600, 1200, [&](int x, int y, int c) { return large.at(x, y, c); });
    const double upscaled =
        fineDetail(1600, 1200, [&](int x, int y, int c) { return upscaledValue(small, x, y, c); });
    EXPECT_GT(drawn, 1.5 * upscaled) << ms << " ms: drawn " << drawn << ", upscaled " << upscaled;
  }
}

TEST(Resolution, WideFramesBarTheSamePicture) {
  // At 600 lines the picture is today's 800 x 600 exactly, with 100 black columns each side.
  const Picture plain = shot(86000, "800x600"), wide = shot(86000, "1000x600");
  ASSERT_EQ(wide.width, 1000);
  ASSERT_EQ(wide.height, 600);
  bool barsBlack = true, pictureSame = true;
  for (int y = 0; y < 600; ++y)
    for (int x = 0; x < 1000; ++x)
      for (int c = 0; c < 3; ++c) {
        if (x < 100 || x >= 900)
          barsBlack = barsBlack && wide.at(x, y, c) == 0;
        else
          pictureSame = pictureSame && wide.at(x, y, c) == plain.at(x - 100, y, c);
      }
  EXPECT_TRUE(barsBlack);
  EXPECT_TRUE(pictureSame);

  // A 1920 x 1080 capture: a 1440 x 1080 picture between two 240-column bars.
  const std::string folder = testTmp("wide-capture/");
  std::system(("rm -rf " + folder).c_str());
  const ProgramResult r = runKelvarn("env -u DISPLAY KELVARN --capture " + folder +
                                     " --from 41000 --to 41000 --resolution 1920x1080");
  ASSERT_EQ(r.status, 0) << r.err;
  Picture frame;
  frame.rgb = readPngRgb(folder + "frame000001.png", &frame.width, &frame.height);
  ASSERT_EQ(frame.width, 1920);
  ASSERT_EQ(frame.height, 1080);
  double bars = 0, picture = 0;
  for (int y = 0; y < 1080; ++y)
    for (int x = 0; x < 1920; ++x)
      for (int c = 0; c < 3; ++c) (x < 240 || x >= 1680 ? bars : picture) += frame.at(x, y, c);
  EXPECT_EQ(bars, 0);
  EXPECT_GT(picture / (1440.0 * 1080 * 3), 10.0) << "not a black picture";
}

TEST(Resolution, SizesThatCannotBeDrawnAreRefusedBeforeDrawing) {
  const std::string png = testTmp("refused.png");
  struct Case {
    std::string size;
    std::string says;
  };
  const Case cases[] = {
      {"wide", "--resolution needs a size"},   {"1920x", "--resolution needs a size"},
      {"-800x600", "--resolution needs a size"}, {"0x0", "too small"},
      {"319x600", "too small"},                {"800x239", "too small"},
      {"60000x45000", "this GL draws at most"},
  };
  for (const Case& c : cases) {
    std::remove(png.c_str());
    const ProgramResult r = runKelvarn("KELVARN --resolution " + c.size + " --shot 1000 " + png);
    EXPECT_EQ(r.status, 2) << c.size;
    EXPECT_NE(r.err.find(c.says), std::string::npos) << c.size << ": " << r.err;
    struct stat st {};
    EXPECT_NE(stat(png.c_str(), &st), 0) << c.size << ": a picture was written";
  }
  // With no display there is no native size to take.
  const ProgramResult native = runKelvarn("env -u DISPLAY -u WAYLAND_DISPLAY SDL_VIDEODRIVER=offscreen "
                                          "KELVARN --resolution native --shot 1000 " + png);
  EXPECT_EQ(native.status, 2);
  EXPECT_NE(native.err.find("native"), std::string::npos) << native.err;
}
