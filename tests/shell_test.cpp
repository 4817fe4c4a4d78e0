// The shell around the frame loop: the pump's ways of ending, the music's silent failure, the
// data-folder rule, and the program's exits when it cannot show anything.
#include "shell/DataDir.h"
#include "shell/DemoWindow.h"
#include "shell/MusicTrack.h"
#include "tests/GlTestContext.h"

#include <SDL.h>

#include <png.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

namespace {
int framesDrawn = 0;
int endOnFrame = 0;
SDL_Event endingEvent;

void scriptedFrame() {
  ++framesDrawn;
  if (framesDrawn == 2) {  // another key first: it must change nothing
    SDL_Event other{};
    other.type = SDL_KEYDOWN;
    other.key.keysym.sym = SDLK_a;
    SDL_PushEvent(&other);
  }
  if (framesDrawn == endOnFrame) SDL_PushEvent(&endingEvent);
}

int runUntil(const SDL_Event& ending) {
  DemoWindow window;
  window.screen = glTestScreen();
  window.setFrameCallback(scriptedFrame);
  framesDrawn = 0;
  endOnFrame = 4;
  endingEvent = ending;
  int code = window.run();
  window.screen = Screen{};  // the test context outlives this window
  return code;
}

struct ProgramRun {
  int status = -1;
  std::string err;
};

ProgramRun runProgram(const std::string& envAndArgs) {
  std::string errFile =
      std::string(KELVARN_TEST_TMP) + "/stderr-" + std::to_string(getpid()) + ".txt";
  mkdir(KELVARN_TEST_TMP, 0755);
  std::string cmd = envAndArgs + " 2>" + errFile;
  ProgramRun r;
  int raw = std::system(cmd.c_str());
  r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  std::ifstream in(errFile);
  r.err.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return r;
}

class ShellTest : public GlTest {};
}  // namespace

TEST_F(ShellTest, PumpEndsOnEscapeCloseAndPostedQuit) {
  SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
  SDL_Event escape{};
  escape.type = SDL_KEYDOWN;
  escape.key.keysym.sym = SDLK_ESCAPE;
  EXPECT_EQ(runUntil(escape), 0);
  EXPECT_EQ(framesDrawn, 4);  // ended at the next poll, not later

  SDL_Event close{};
  close.type = SDL_WINDOWEVENT;
  close.window.event = SDL_WINDOWEVENT_CLOSE;
  EXPECT_EQ(runUntil(close), 0);
  EXPECT_EQ(framesDrawn, 4);

  // The frame loop's own quit: the frame that posts it is still drawn and presented.
  framesDrawn = 0;
  DemoWindow window;
  window.screen = glTestScreen();
  window.setFrameCallback([] {
    ++framesDrawn;
    if (framesDrawn == 3) postQuit(0);
  });
  EXPECT_EQ(window.run(), 0);
  EXPECT_EQ(framesDrawn, 3);
  window.screen = Screen{};
}

TEST(Music, MissingOrBadFileLeavesTheShowSilent) {
  std::string bad = std::string(KELVARN_TEST_TMP) + "/not-music.mp3";
  mkdir(KELVARN_TEST_TMP, 0755);
  std::ofstream(bad) << "this is not an mp3 file at all";
  for (const std::string& path : {std::string("data/music/no-such-file.mp3"), bad}) {
    testing::internal::CaptureStderr();
    MusicTrack music;
    music.open(path.c_str());
    music.play(0);
    EXPECT_FALSE(musicPlaying(music.player));
    music.close();
    std::string err = testing::internal::GetCapturedStderr();
    // One line of ours (the audio library may add its own chatter).
    size_t ours = 0;
    for (size_t at = err.find("kelvarn:"); at != std::string::npos; at = err.find("kelvarn:", at + 1))
      ++ours;
    EXPECT_EQ(ours, 1u) << err;
    EXPECT_NE(err.find("silent"), std::string::npos) << err;
  }
}

TEST(DataFolder, MovesToTheFirstFolderThatHasData) {
  char here[4096];
  ASSERT_NE(getcwd(here, sizeof here), nullptr);
  std::string root = std::string(KELVARN_TEST_TMP) + "/datadir";
  std::string empty = root + "/empty", exe = root + "/exe", share = root + "/share";
  for (const std::string& d : {root, empty, exe, share, exe + "/data", share + "/data"})
    mkdir(d.c_str(), 0755);

  ASSERT_EQ(chdir(empty.c_str()), 0);
  EXPECT_EQ(enterDataFolder({exe, share}), exe);
  char now[4096];
  EXPECT_EQ(std::string(getcwd(now, sizeof now)), exe);

  ASSERT_EQ(chdir(empty.c_str()), 0);
  EXPECT_EQ(enterDataFolder({empty + "/nothing", share}), share);  // falls through to the share

  ASSERT_EQ(chdir(empty.c_str()), 0);
  EXPECT_EQ(enterDataFolder({"", ""}), "");  // nowhere to go: stays put
  EXPECT_EQ(std::string(getcwd(now, sizeof now)), empty);

  ASSERT_EQ(chdir(exe.c_str()), 0);
  EXPECT_EQ(enterDataFolder({empty, share}), ".");  // a data/ here wins
  ASSERT_EQ(chdir(here), 0);
}

TEST(Program, ShotWritesAFullSizePictureWithNoDisplay) {
  std::string png = std::string(KELVARN_TEST_TMP) + "/shot.png";
  std::remove(png.c_str());
  ProgramRun r = runProgram("env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER " +
                     std::string(KELVARN_BINARY) + " --shot 1000 " + png);
  EXPECT_EQ(r.status, 0) << r.err;
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  ASSERT_TRUE(png_image_begin_read_from_file(&image, png.c_str())) << png;
  EXPECT_EQ(image.width, 800u);
  EXPECT_EQ(image.height, 600u);
  png_image_free(&image);
}

TEST(Program, EndsWithAClearErrorWhenItCannotShowAnything) {
  // No display and no offscreen option: one line naming --shot, status 2.
  ProgramRun noDisplay = runProgram("env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER " +
                             std::string(KELVARN_BINARY));
  EXPECT_EQ(noDisplay.status, 2);
  EXPECT_NE(noDisplay.err.find("--shot"), std::string::npos) << noDisplay.err;

  // A window that cannot get GL: the failure is reported and the program ends with 1 instead
  // of playing the music over a blank screen.
  ProgramRun noGl = runProgram("env SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy "
                        "SDL_VIDEO_EGL_DRIVER=/nonexistent/libEGL.so " +
                        std::string(KELVARN_BINARY) + " --windowed");
  EXPECT_EQ(noGl.status, 1) << noGl.err;
  EXPECT_NE(noGl.err.find("Failed"), std::string::npos) << noGl.err;

  ProgramRun badOption = runProgram(std::string(KELVARN_BINARY) + " --shot soon x.png");
  EXPECT_EQ(badOption.status, 2);
  EXPECT_NE(badOption.err.find("--shot"), std::string::npos);
}

TEST(Program, InstalledProgramFindsItsDataFromAnyFolder) {
  std::string prefix = std::string(KELVARN_TEST_TMP) + "/install-" + std::to_string(getpid());
  std::string install = "cmake --install " + std::string(KELVARN_BUILD_DIR) + " --prefix " +
                        prefix + " >/dev/null 2>&1";
  ASSERT_EQ(std::system(install.c_str()), 0);
  std::string png = prefix + "/frame.png";
  ProgramRun r = runProgram("cd / && env -u DISPLAY " + prefix + "/bin/kelvarn --step 5000 --shot 8000 " + png);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err.find("no data/"), std::string::npos) << r.err;
  EXPECT_EQ(r.err.find("Load Error"), std::string::npos) << r.err;
  struct stat st {};
  EXPECT_EQ(stat((prefix + "/share/applications/kelvarn.desktop").c_str(), &st), 0);
  std::system(("rm -rf " + prefix).c_str());
}
