// The committed pictures and music, checked as the show will use them: sizes and
// the texture sizes they load as, seamless tunnel walls, logo holes free of
// lettering, a track of the right length and level whose kicks sit on the beat grid.
#include <gtest/gtest.h>
#include <turbojpeg.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

// ------------------------------------------------------------------ pictures

struct Picture {
  int width = 0;
  int height = 0;
  std::vector<unsigned char> rgb;
};

bool readJpg(const std::string& path, Picture& out) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  std::vector<unsigned char> bytes;
  unsigned char buf[65536];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) bytes.insert(bytes.end(), buf, buf + n);
  std::fclose(f);
  tjhandle tj = tjInitDecompress();
  if (!tj) return false;
  int w = 0, h = 0, subsampling = 0, colourspace = 0;
  bool ok = tjDecompressHeader3(tj, bytes.data(), (unsigned long)bytes.size(), &w, &h, &subsampling,
                                &colourspace) == 0;
  if (ok) {
    out.width = w;
    out.height = h;
    out.rgb.assign(size_t(w) * h * 3, 0);
    ok = tjDecompress2(tj, bytes.data(), (unsigned long)bytes.size(), out.rgb.data(), w, 0, h, TJPF_RGB,
                       TJFLAG_ACCURATEDCT) == 0;
  }
  tjDestroy(tj);
  return ok;
}

double luma(const Picture& p, int x, int y) {
  const unsigned char* q = &p.rgb[(size_t(y) * p.width + x) * 3];
  return 0.299 * q[0] + 0.587 * q[1] + 0.114 * q[2];
}

// The loader's rule for one side: the nearer power of two on a logarithmic scale,
// capped by the largest texture the driver takes.
int loadedSide(int side, int maxSize) {
  if (side > maxSize) return maxSize;
  return 1 << int(std::floor(std::log(double(side)) / std::log(2.0) + 0.5));
}

Picture mustRead(const std::string& name) {
  Picture p;
  EXPECT_TRUE(readJpg("data/texture/" + name, p)) << name << " is missing or not a JPG";
  return p;
}

// Mean absolute difference of two columns (or rows) of a picture.
double lineDifference(const Picture& p, bool columns, int a, int b) {
  const int n = columns ? p.height : p.width;
  double sum = 0;
  for (int i = 0; i < n; ++i) {
    const int ax = columns ? a : i, ay = columns ? i : a;
    const int bx = columns ? b : i, by = columns ? i : b;
    for (int c = 0; c < 3; ++c)
      sum += std::abs(int(p.rgb[(size_t(ay) * p.width + ax) * 3 + c]) - int(p.rgb[(size_t(by) * p.width + bx) * 3 + c]));
  }
  return sum / (3.0 * n);
}

// A picture tiles along one axis when the step across the wrap (last line to first)
// is no larger than the steps between neighbouring lines inside the picture usually are.
bool wrapsSmoothly(const Picture& p, bool columns, double* wrapStep = nullptr, double* typical = nullptr) {
  const int n = columns ? p.width : p.height;
  std::vector<double> steps;
  for (int i = 0; i + 1 < n; ++i) steps.push_back(lineDifference(p, columns, i, i + 1));
  std::sort(steps.begin(), steps.end());
  const double upperQuartile = steps[steps.size() * 3 / 4];
  const double across = lineDifference(p, columns, n - 1, 0);
  if (wrapStep) *wrapStep = across;
  if (typical) *typical = upperQuartile;
  return across <= 1.5 * upperQuartile + 1.0;
}

Picture cropColumns(const Picture& p, int width) {
  Picture out;
  out.width = width;
  out.height = p.height;
  for (int y = 0; y < p.height; ++y)
    out.rgb.insert(out.rgb.end(), p.rgb.begin() + size_t(y) * p.width * 3,
                   p.rgb.begin() + (size_t(y) * p.width + width) * 3);
  return out;
}

struct Hole {
  double x, y, radius;
};

// Where the opening scene punches its black discs, in picture pixels from the top-left:
// the first logo's holes, and the second logo's mirrored through the centre.
const Hole kLogo1Holes[3] = {{730, 80, 145}, {800, 270, 96}, {570, 30, 65}};
const Hole kLogo2Holes[3] = {{70, 520, 145}, {0, 330, 96}, {230, 570, 65}};

bool insideAny(const Hole* holes, double x, double y, double margin) {
  for (int i = 0; i < 3; ++i)
    if (std::hypot(x - holes[i].x, y - holes[i].y) < holes[i].radius + margin) return true;
  return false;
}

// ------------------------------------------------------------------ music

constexpr int kRate = 44100;

struct Track {
  bool ok = false;
  std::vector<int16_t> pcm;  // interleaved stereo
  size_t frames() const { return pcm.size() / 2; }
};

// The whole track decoded once by ffmpeg, shared by the music tests.
const Track& decodedTrack() {
  static Track track = [] {
    Track t;
    FILE* pipe = popen("ffmpeg -v error -nostdin -i data/music/tessaloop.mp3 -f s16le -ac 2 -ar 44100 -", "r");
    if (!pipe) return t;
    int16_t buf[8192];
    size_t n;
    while ((n = std::fread(buf, sizeof(int16_t), 8192, pipe)) > 0) t.pcm.insert(t.pcm.end(), buf, buf + n);
    t.ok = pclose(pipe) == 0 && !t.pcm.empty();
    return t;
  }();
  return track;
}

double rmsDbfs(const Track& t, double from, double to) {
  const size_t a = size_t(from * kRate), b = std::min(t.frames(), size_t(to * kRate));
  double sum = 0;
  for (size_t i = a; i < b; ++i) {
    const double m = (double(t.pcm[2 * i]) + t.pcm[2 * i + 1]) / (2 * 32768.0);
    sum += m * m;
  }
  return 10 * std::log10(sum / double(std::max<size_t>(1, b - a)) + 1e-20);
}

// Low-band onsets (kick drums) between two times, in seconds. The mono signal is
// low-passed below the snare and the pads.
std::vector<double> lowOnsets(const Track& t, double from, double to) {
  const size_t a = size_t(from * kRate), b = std::min(t.frames(), size_t(to * kRate));
  std::vector<double> low;
  low.reserve(b - a);
  const double c = 1.0 - std::exp(-2.0 * 3.141592653589793 * 150.0 / kRate);
  double z1 = 0, z2 = 0;
  for (size_t i = a; i < b; ++i) {
    const double m = (double(t.pcm[2 * i]) + t.pcm[2 * i + 1]) / (2 * 32768.0);
    z1 += (m - z1) * c;
    z2 += (z1 - z2) * c;
    low.push_back(z2);
  }
  // Peak amplitude of every millisecond. A hit is a sample at least half as loud again
  // as anything in the 30 ms that ended 5 ms before it; its onset is the first
  // sample of those 5 ms that rose above that background.
  const size_t ms = kRate / 1000;
  std::vector<double> peakOfMs(low.size() / ms + 1, 0.0);
  for (size_t i = 0; i < low.size(); ++i) peakOfMs[i / ms] = std::max(peakOfMs[i / ms], std::abs(low[i]));
  std::vector<double> onsets;
  const double floor = 0.01;  // -40 dBFS
  size_t last = 0;
  for (size_t i = 35 * ms; i < low.size(); ++i) {
    if (last && i < last + 100 * ms) continue;
    const size_t k = i / ms;
    double background = 0;
    for (size_t j = k - 35; j < k - 5; ++j) background = std::max(background, peakOfMs[j]);
    if (std::abs(low[i]) < 1.5 * background + floor) continue;
    size_t start = i - 5 * ms;
    while (std::abs(low[start]) <= background) ++start;
    onsets.push_back(from + double(start) / kRate);
    last = start;
  }
  return onsets;
}

double distanceToNearest(const std::vector<double>& times, double t) {
  double best = 1e9;
  for (double x : times) best = std::min(best, std::abs(x - t));
  return best;
}

}  // namespace

// ------------------------------------------------------------------ picture tests

TEST(AssetPictures, SizesFitWhereTheyAreShown) {
  const struct {
    const char* name;
    int width, height;
  } expected[] = {{"logo1.jpg", 800, 600}, {"logo2.jpg", 800, 600}, {"sphere.jpg", 256, 256},
                  {"tunnel1.jpg", 256, 256}, {"tunnel2.jpg", 256, 256}};
  for (const auto& e : expected) {
    const Picture p = mustRead(e.name);
    EXPECT_EQ(p.width, e.width) << e.name;
    EXPECT_EQ(p.height, e.height) << e.name;
  }
}

TEST(AssetPictures, LoadAsTheIntendedPowerOfTwoTextures) {
  // The rule's own break points, so the helper below is the loader's rule.
  EXPECT_EQ(loadedSide(362, 4096), 256);
  EXPECT_EQ(loadedSide(363, 4096), 512);
  EXPECT_EQ(loadedSide(5000, 4096), 4096);

  // The full-screen logos stretch to 1024 x 512; the others load untouched. The
  // smallest texture size every GL 1.1 driver must take is 64, the usual today 1024+.
  const struct {
    const char* name;
    int width, height;
  } expected[] = {{"logo1.jpg", 1024, 512}, {"logo2.jpg", 1024, 512}, {"sphere.jpg", 256, 256},
                  {"tunnel1.jpg", 256, 256}, {"tunnel2.jpg", 256, 256}};
  for (const auto& e : expected) {
    const Picture p = mustRead(e.name);
    EXPECT_EQ(loadedSide(p.width, 1024), e.width) << e.name;
    EXPECT_EQ(loadedSide(p.height, 1024), e.height) << e.name;
  }
}

TEST(AssetPictures, TunnelPicturesTileInBothDirections) {
  for (const char* name : {"tunnel1.jpg", "tunnel2.jpg"}) {
    const Picture p = mustRead(name);
    ASSERT_EQ(p.width, 256) << name;
    for (bool columns : {true, false}) {
      double across = 0, typical = 0;
      EXPECT_TRUE(wrapsSmoothly(p, columns, &across, &typical))
          << name << (columns ? ": left and right edges" : ": top and bottom edges") << " do not meet, step "
          << across << " against a typical " << typical;
    }
  }
}

TEST(AssetPictures, TileCheckSeesASeam) {
  // Cut either wall short and its edges no longer meet: the check above has teeth.
  for (const char* name : {"tunnel1.jpg", "tunnel2.jpg"}) {
    const Picture p = mustRead(name);
    ASSERT_EQ(p.width, 256) << name;
    EXPECT_FALSE(wrapsSmoothly(cropColumns(p, 181), true)) << name;
  }
}

TEST(AssetPictures, LogoHolesStayClearOfLettering) {
  const struct {
    const char* name;
    const Hole* holes;
  } logos[] = {{"logo1.jpg", kLogo1Holes}, {"logo2.jpg", kLogo2Holes}};
  for (const auto& logo : logos) {
    const Picture p = mustRead(logo.name);
    ASSERT_EQ(p.width, 800) << logo.name;
    ASSERT_EQ(p.height, 600) << logo.name;
    double brightestInHole = 0;
    size_t outside = 0, bright = 0, dark = 0;
    for (int y = 0; y < p.height; ++y)
      for (int x = 0; x < p.width; ++x) {
        const double l = luma(p, x, y);
        if (insideAny(logo.holes, x, y, -6)) {
          brightestInHole = std::max(brightestInHole, l);
        } else if (!insideAny(logo.holes, x, y, 6)) {
          ++outside;
          bright += l > 160;
          dark += l < 50;
        }
      }
    // The hole areas are a dark recess: nothing there for the black discs to cut.
    EXPECT_LT(brightestInHole, 40) << logo.name;
    // Around them the picture glows: mostly dark, with bright lines and edges.
    EXPECT_GT(double(bright) / outside, 0.005) << logo.name << " has too few bright edges to glow";
    EXPECT_GT(double(dark) / outside, 0.6) << logo.name << " is too bright to glow without washing out";
  }
}

TEST(AssetPictures, LogoHolesMirrorThroughTheCentre) {
  for (int i = 0; i < 3; ++i) {
    EXPECT_DOUBLE_EQ(kLogo2Holes[i].x, 800 - kLogo1Holes[i].x);
    EXPECT_DOUBLE_EQ(kLogo2Holes[i].y, 600 - kLogo1Holes[i].y);
    EXPECT_DOUBLE_EQ(kLogo2Holes[i].radius, kLogo1Holes[i].radius);
  }
}

TEST(AssetPictures, SphereMapHasSkyHorizonGroundAndHighlights) {
  const Picture p = mustRead("sphere.jpg");
  ASSERT_EQ(p.width, 256);
  // Down the middle of the ball. The loader turns the picture so that upward
  // reflections come from its lower half: the sky lives there, the ground above.
  auto band = [&](int y0, int y1) {
    double sum = 0;
    for (int y = y0; y < y1; ++y)
      for (int x = 96; x < 160; ++x) sum += luma(p, x, y);
    return sum / ((y1 - y0) * 64.0);
  };
  double darkest = 255;
  for (int y = 100; y < 156; y += 4) darkest = std::min(darkest, band(y, y + 4));
  const double ground = band(30, 90);
  const double sky = band(170, 230);
  EXPECT_GT(sky, ground) << "the sky must be the bright part";
  EXPECT_GT(ground, 70) << "the ground is a mid grey";
  EXPECT_LT(ground, 170) << "the ground is a mid grey";
  EXPECT_LT(darkest, 0.5 * ground) << "no dark horizon";
  size_t highlights = 0;
  for (int y = 0; y < p.height; ++y)
    for (int x = 0; x < p.width; ++x) highlights += luma(p, x, y) > 245;
  EXPECT_GT(highlights, 20u) << "no sharp highlights";
}

// ------------------------------------------------------------------ music tests

TEST(AssetMusic, LastsTheShowAndEndsInSilence) {
  const Track& t = decodedTrack();
  ASSERT_TRUE(t.ok) << "data/music/tessaloop.mp3 could not be decoded";
  EXPECT_NEAR(double(t.frames()) / kRate, 243.0, 0.05);
  int16_t loudestAfterEnd = 0;
  for (size_t i = size_t(242.3 * kRate) * 2; i < t.pcm.size(); ++i)
    loudestAfterEnd = std::max<int16_t>(loudestAfterEnd, int16_t(std::abs(int(t.pcm[i]))));
  EXPECT_LE(loudestAfterEnd, 8) << "the track must have faded out by the end of the show";
}

TEST(AssetMusic, NoDropoutsWhileTheShowPlays) {
  const Track& t = decodedTrack();
  ASSERT_TRUE(t.ok);
  for (double from = 1.0; from + 2.0 < 236.0; from += 2.0)
    EXPECT_GT(rmsDbfs(t, from, from + 2.0), -45.0) << "near silence at " << from << " s";
  EXPECT_GT(rmsDbfs(t, 30.0, 200.0), -20.0) << "the body of the track is far too quiet";
}

TEST(AssetMusic, PeaksStayBelowMinusOneDbfsWithoutClipping) {
  const Track& t = decodedTrack();
  ASSERT_TRUE(t.ok);
  const int ceiling = int(32768 * std::pow(10.0, -1.0 / 20.0));
  int peak = 0, flatRun = 0, longestFlatRun = 0;
  for (size_t i = 0; i < t.pcm.size(); ++i) {
    const int v = std::abs(int(t.pcm[i]));
    peak = std::max(peak, v);
    // A clipped waveform shows runs of equal samples near full scale.
    const bool flat = i >= 2 && v > 28000 && t.pcm[i] == t.pcm[i - 2];
    flatRun = flat ? flatRun + 1 : 0;
    longestFlatRun = std::max(longestFlatRun, flatRun);
  }
  EXPECT_LE(peak, ceiling) << "peak " << 20 * std::log10(peak / 32768.0) << " dBFS";
  EXPECT_LT(longestFlatRun, 3);
}

TEST(AssetMusic, KicksLandOnTheBeatGridThroughTheFirstCard) {
  const Track& t = decodedTrack();
  ASSERT_TRUE(t.ok);
  // The card's beat windows open at 30150 + 407 k ms; the beat is 32 + 407 k ms.
  std::vector<double> beats;
  for (int k = 0;; ++k) {
    const double b = 30.150 + 0.407 * k;
    if (b >= 52.0) break;
    beats.push_back(b);
  }
  const std::vector<double> onsets = lowOnsets(t, 29.9, 52.0);
  int missed = 0;
  for (double b : beats)
    if (distanceToNearest(onsets, b) > 0.010) {
      ++missed;
      ADD_FAILURE() << "no kick within 10 ms of the beat at " << b << " s";
    }
  for (double o : onsets)
    if (o >= 30.0) {
      EXPECT_LE(distanceToNearest(beats, o), 0.010) << "low onset off the grid at " << o << " s";
    }
  EXPECT_EQ(missed, 0);
  EXPECT_GE(onsets.size(), beats.size());
}
