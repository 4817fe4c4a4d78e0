// The installed show: `cmake --install` puts the manual page, icon, desktop entry and AppStream
// data in place, and the program finds its data from any working folder in each layout it is
// shipped in (a plain prefix, Debian's games layout, the portable folder), drawing the same
// frame as the build tree does from the source folder.
#include "tests/ProgramRun.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

namespace {
bool exists(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0;
}

int sh(const std::string& command) { return std::system((command + " >/dev/null 2>&1").c_str()); }

// Renders a frame of the opening (the logo picture on screen) from `/` with no display.
std::vector<unsigned char> shotFromRoot(const std::string& program, const std::string& png,
                                        std::string* err) {
  ProgramResult r = runKelvarn("cd / && env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER " +
                               program + " --step 5000 --shot 8000 " + png);
  *err = r.err;
  EXPECT_EQ(r.status, 0) << program << "\n" << r.err;
  int w = 0, h = 0;
  return readPngRgb(png, &w, &h);
}

size_t differingBytes(const std::vector<unsigned char>& a, const std::vector<unsigned char>& b) {
  if (a.size() != b.size()) return std::max(a.size(), b.size());
  size_t n = 0;
  for (size_t i = 0; i < a.size(); ++i) n += a[i] != b[i];
  return n;
}
}  // namespace

TEST(Install, EveryLayoutFindsItsDataAndDrawsTheBuildTreesFrame) {
  const std::string root = testTmp("layouts-" + std::to_string(getpid()));
  sh("rm -rf " + root);
  ASSERT_EQ(sh("mkdir -p " + root), 0);

  ProgramResult ref = runKelvarn("cd " KELVARN_SOURCE_DIR " && env -u DISPLAY -u WAYLAND_DISPLAY "
                                 "-u SDL_VIDEODRIVER KELVARN --step 5000 --shot 8000 " +
                                 root + "/ref.png");
  ASSERT_EQ(ref.status, 0) << ref.err;
  int w = 0, h = 0;
  const std::vector<unsigned char> expected = readPngRgb(root + "/ref.png", &w, &h);
  ASSERT_EQ(expected.size(), 800u * 600u * 3u);

  const std::string prefix = root + "/prefix";
  ASSERT_EQ(sh("cmake --install " KELVARN_BUILD_DIR " --prefix " + prefix), 0);
  for (const char* file : {"/share/man/man6/kelvarn.6", "/share/applications/kelvarn.desktop",
                           "/share/metainfo/org.example.kelvarn.metainfo.xml",
                           "/share/icons/hicolor/16x16/apps/kelvarn.png",
                           "/share/icons/hicolor/48x48/apps/kelvarn.png",
                           "/share/icons/hicolor/256x256/apps/kelvarn.png"})
    EXPECT_TRUE(exists(prefix + file)) << file;

  // The plain prefix, then the same files moved into Debian's games layout, then the portable
  // folder: the program with data/ beside it.
  std::vector<std::string> programs = {prefix + "/bin/kelvarn"};
  const std::string games = root + "/games";
  ASSERT_EQ(sh("mkdir -p " + games + "/games " + games + "/share/games && cp " + prefix +
               "/bin/kelvarn " + games + "/games/ && cp -r " + prefix + "/share/kelvarn " + games +
               "/share/games/"),
            0);
  programs.push_back(games + "/games/kelvarn");
  const std::string portable = root + "/kelvarn-portable";
  ASSERT_EQ(sh("mkdir -p " + portable + " && cp " + prefix + "/bin/kelvarn " + portable +
               "/ && cp -r " + prefix + "/share/kelvarn/data " + portable + "/"),
            0);
  programs.push_back(portable + "/kelvarn");

  for (size_t i = 0; i < programs.size(); ++i) {
    std::string err;
    std::vector<unsigned char> got =
        shotFromRoot(programs[i], root + "/layout" + std::to_string(i) + ".png", &err);
    EXPECT_EQ(err.find("no data/"), std::string::npos) << programs[i] << "\n" << err;
    EXPECT_EQ(err.find("Load Error"), std::string::npos) << programs[i] << "\n" << err;
    EXPECT_EQ(differingBytes(got, expected), 0u) << programs[i];
  }
  // Without its data the frame must differ, or the comparison above proves nothing.
  ASSERT_EQ(sh("rm -rf " + portable + "/data " + games + " " + prefix + "/share/kelvarn"), 0);
  std::string err;
  std::vector<unsigned char> bare = shotFromRoot(portable + "/kelvarn", root + "/bare.png", &err);
  EXPECT_NE(err.find("no data/"), std::string::npos) << err;
  EXPECT_GT(differingBytes(bare, expected), 0u);
  sh("rm -rf " + root);
}
