// Bad input on a viewer's machine: missing, empty, truncated, foreign or hostile pictures and
// music. The show never crashes or hangs; it reports each failure on stderr and plays on.
#include "tests/ProgramRun.h"

#include <gtest/gtest.h>
#include <png.h>
#include <turbojpeg.h>

#include <sys/stat.h>

#include <cstdio>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace {
const char* const pictures[] = {"logo1.jpg", "logo2.jpg", "sphere.jpg", "tunnel1.jpg",
                                "tunnel2.jpg"};

void writeBytes(const std::string& path, const std::vector<unsigned char>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::vector<unsigned char> smallJpg() {
  std::vector<unsigned char> rgb(64 * 48 * 3, 200);
  tjhandle h = tjInitCompress();
  unsigned char* jpg = nullptr;
  unsigned long size = 0;
  tjCompress2(h, rgb.data(), 64, 0, 48, TJPF_RGB, &jpg, &size, TJSAMP_420, 90, 0);
  std::vector<unsigned char> out(jpg, jpg + size);
  tjFree(jpg);
  tjDestroy(h);
  return out;
}

std::vector<unsigned char> smallPng() {
  std::vector<unsigned char> rgb(16 * 16 * 3, 90);
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = 16;
  image.height = 16;
  image.format = PNG_FORMAT_RGB;
  png_alloc_size_t size = 0;
  png_image_write_to_memory(&image, nullptr, &size, 0, rgb.data(), 0, nullptr);
  std::vector<unsigned char> out(size);
  png_image_write_to_memory(&image, out.data(), &size, 0, rgb.data(), 0, nullptr);
  return out;
}

// A JPG whose frame header claims 65535 x 65535 pixels, with nothing behind it.
std::vector<unsigned char> hugeHeaderJpg() {
  std::vector<unsigned char> jpg = smallJpg();
  for (size_t i = 0; i + 8 < jpg.size(); ++i) {
    if (jpg[i] == 0xFF && (jpg[i + 1] == 0xC0 || jpg[i + 1] == 0xC2)) {
      jpg[i + 5] = jpg[i + 6] = jpg[i + 7] = jpg[i + 8] = 0xFF;
      break;
    }
  }
  return jpg;
}

std::vector<unsigned char> randomBytes(size_t n, unsigned seed) {
  std::mt19937 gen(seed);
  std::vector<unsigned char> out(n);
  for (auto& b : out) b = static_cast<unsigned char>(gen());
  return out;
}

// A working folder holding its own data/: every picture replaced by `bytes` (or missing when
// `bytes` is null).
std::string dataFolder(const std::string& name, const std::vector<unsigned char>* bytes) {
  std::string root = testTmp("bad-" + name);
  std::system(("rm -rf '" + root + "' && mkdir -p '" + root + "/data/texture' '" + root +
               "/data/music'").c_str());
  if (bytes)
    for (const char* p : pictures) writeBytes(root + "/data/texture/" + p, *bytes);
  return root;
}

// Prepares every scene and draws frames of each, in one run, from inside the folder.
ProgramResult shotEveryScene(const std::string& root) {
  return runKelvarn("cd '" + root +
                    "' && env -u DISPLAY timeout 120 KELVARN --step 1000 --shot 207000 out.png");
}
}  // namespace

TEST(BadInput, BrokenPicturesAreReportedAndTheShowGoesOn) {
  std::vector<unsigned char> good = smallJpg();
  struct Case {
    std::string name;
    std::vector<unsigned char> bytes;
  };
  std::vector<Case> cases = {
      {"empty", {}},
      {"truncated-header", std::vector<unsigned char>(good.begin(), good.begin() + 20)},
      {"truncated-half", std::vector<unsigned char>(good.begin(), good.begin() + good.size() / 2)},
      {"png", smallPng()},
      {"random", randomBytes(5000, 7)},
      {"huge-header", hugeHeaderJpg()},
  };
  for (const Case& c : cases) {
    std::string root = dataFolder(c.name, &c.bytes);
    ProgramResult r = shotEveryScene(root);
    EXPECT_EQ(r.status, 0) << c.name << "\n" << r.err;
    struct stat st {};
    EXPECT_EQ(stat((root + "/out.png").c_str(), &st), 0) << c.name;
    // A truncated picture may still decode (its missing rows grey); every other case is refused.
    if (c.name != "truncated-half") {
      EXPECT_NE(r.err.find("Load Error"), std::string::npos) << c.name << "\n" << r.err;
      EXPECT_NE(r.err.find("data/texture/sphere.jpg"), std::string::npos) << c.name;
    }
  }
}

TEST(BadInput, MissingDataIsReportedAndTheShowGoesOn) {
  std::string root = dataFolder("missing", nullptr);
  ProgramResult r = shotEveryScene(root);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.err.find("Load Error"), std::string::npos) << r.err;

  // No data/ at all, anywhere the program looks.
  std::string bare = testTmp("bad-nodata");
  std::system(("rm -rf '" + bare + "' && mkdir -p '" + bare + "'").c_str());
  ProgramResult none = shotEveryScene(bare);
  EXPECT_EQ(none.status, 0) << none.err;
  EXPECT_NE(none.err.find("data/"), std::string::npos) << none.err;
}

TEST(BadInput, BrokenMusicLeavesALiveShowSilent) {
  std::vector<std::pair<std::string, std::vector<unsigned char>>> cases = {
      {"music-empty", {}},
      {"music-random", randomBytes(20000, 11)},
      {"music-png", smallPng()},
  };
  for (const auto& c : cases) {
    std::string root = dataFolder(c.first, nullptr);
    writeBytes(root + "/data/music/tessaloop.mp3", c.second);
    // A live run with the silent audio driver, seeking close to the end so it ends by itself.
    ProgramResult r = runKelvarn("cd '" + root +
                                 "' && env SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy "
                                 "timeout 60 KELVARN --windowed --step 6000 --seek 241500");
    EXPECT_EQ(r.status, 0) << c.first << "\n" << r.err;
    EXPECT_NE(r.err.find("silent"), std::string::npos) << c.first << "\n" << r.err;
  }
  // No audio device at all.
  std::string root = dataFolder("no-audio", nullptr);
  ProgramResult r = runKelvarn("cd '" + root +
                               "' && env SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=nosuchdriver "
                               "timeout 60 KELVARN --windowed --step 6000 --seek 241500");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.err.find("no audio device"), std::string::npos) << r.err;
}
