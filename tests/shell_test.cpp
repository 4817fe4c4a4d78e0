// The shell around the frame loop: the pump's ways of ending, the music's silent failure, the
// data-folder rule, and the program's exits when it cannot show anything.
#include "platform/Clock.h"
#include "scenes/SharedLists.h"
#include "shell/DataDir.h"
#include "shell/DemoWindow.h"
#include "shell/MusicTrack.h"
#include "shell/Options.h"
#include "shell/Preparation.h"
#include "shell/LivePlay.h"
#include "shell/Replay.h"
#include "shell/Show.h"
#include "shell/Timeline.h"
#include "platform/Files.h"
#include "tests/GlTestContext.h"

#include <SDL.h>

#include <png.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

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
  ProgramRun r = runProgram("cd " + std::string(KELVARN_TEST_TMP) +
                            " && env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER " +
                            std::string(KELVARN_BINARY) + " --shot 1000 shot.png");
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

TEST(Program, RendererOptionRefusesBadInputAndFallsBackToCore) {
  for (const char* args : {"--renderer gl2", "--renderer core --fixed-function"}) {
    ProgramRun r = runProgram(std::string(KELVARN_BINARY) + " --shot 0 x.png " + args);
    EXPECT_EQ(r.status, 2) << args;
    EXPECT_NE(r.err.find("--renderer"), std::string::npos) << r.err;
  }
  // Mesa answering a compatibility request with a 3.3 forward-compatible core context, as a
  // core-only driver does: the show takes the core renderer and says so once.
  ProgramRun core = runProgram("env MESA_GL_VERSION_OVERRIDE=3.3FC " + std::string(KELVARN_BINARY) +
                               " --shot 0 " KELVARN_TEST_TMP "/core.png");
  EXPECT_EQ(core.status, 0) << core.err;
  const std::string line = "no compatibility GL context here; drawing with the core renderer\n";
  EXPECT_NE(core.err.find(line), std::string::npos) << core.err;
  EXPECT_EQ(core.err.find(line), core.err.rfind(line)) << core.err;
}

TEST(Program, InstalledProgramFindsItsDataFromAnyFolder) {
  std::string prefix = std::string(KELVARN_TEST_TMP) + "/install-" + std::to_string(getpid());
  std::string install = "cmake --install " + std::string(KELVARN_BUILD_DIR) + " --prefix " +
                        prefix + " >/dev/null 2>&1";
  ASSERT_EQ(std::system(install.c_str()), 0);
  // Run from a folder of the user's own, the picture's relative name lands there, not in the
  // data folder the program moves into.
  std::string home = prefix + "/home";
  mkdir(home.c_str(), 0755);
  ProgramRun r = runProgram("cd " + home + " && env -u DISPLAY " + prefix +
                            "/bin/kelvarn --step 5000 --shot 8000 frame.png");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(pathExists(home + "/frame.png")) << r.err;
  EXPECT_EQ(r.err.find("no data/"), std::string::npos) << r.err;
  EXPECT_EQ(r.err.find("Load Error"), std::string::npos) << r.err;
  struct stat st {};
  EXPECT_EQ(stat((prefix + "/share/applications/kelvarn.desktop").c_str(), &st), 0);
  std::system(("rm -rf " + prefix).c_str());
}

// Live play with scripted keys over recording scenes: what each frame showed, and whether it
// was drawn live or by a catch-up. The scripted wall clock moves 20 ms each time it is read.
namespace {
struct Shown {
  uint32_t ms;
  bool live;
};
std::vector<Shown> shown;
uint32_t scriptedWall = 0;
std::vector<std::pair<size_t, std::vector<SDL_Keycode>>> keyScript;  // after that many live frames

constexpr SDL_Keycode deviceGone = -1;  // stands for the audio device's removal in a key script

void pushKey(SDL_Keycode key) {
  SDL_Event e{};
  e.type = SDL_KEYDOWN;
  e.key.keysym.sym = key;
  if (key == deviceGone) {
    e.type = SDL_AUDIODEVICEREMOVED;
    e.adevice.which = 1;
  }
  SDL_PushEvent(&e);
}

template <int N>
void recordingScene(int8_t mode, float t) {
  if (mode != 1) return;
  uint32_t length = timeline.table.start[N + 1] - timeline.table.start[N];
  shown.push_back({timeline.table.start[N] + static_cast<uint32_t>(std::lround(t * double(length))),
                   !clockIsVirtual()});
  if (clockIsVirtual()) return;
  size_t live = std::count_if(shown.begin(), shown.end(), [](const Shown& s) { return s.live; });
  for (auto& [at, keys] : keyScript)
    if (at == live)
      for (SDL_Keycode k : keys) pushKey(k);
}

MusicTrack* liveMusic = nullptr;

int playLive(uint32_t fromMs, bool loop, MusicTrack* music = nullptr) {
  SceneTable saved = timeline.table;
  fillSceneTable(timeline.table);
  SceneFn fns[sceneCount] = {recordingScene<0>, recordingScene<1>, recordingScene<2>,
                             recordingScene<3>, recordingScene<4>, recordingScene<5>,
                             recordingScene<6>, recordingScene<7>, recordingScene<8>,
                             recordingScene<9>};
  for (int i = 0; i < sceneCount; ++i) timeline.table.slot[i] = fns[i];
  shown.clear();
  DemoWindow window;
  window.screen = glTestScreen();
  MusicTrack silent;
  liveMusic = music ? music : &silent;
  Options options;
  options.stepMs = 5000;
  options.loop = loop;
  LiveSources sources;
  sources.wallMs = [] { return scriptedWall += 20; };
  // A decoder stuck at 50 s while the device is there; nothing once it is gone.
  sources.musicMs = [] { return liveMusic->player.music ? 50000.0 : -1.0; };
  SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
  int code = runLive(window, *liveMusic, fromMs, options, sources);
  window.screen = Screen{};
  timeline.table = saved;
  keyScript.clear();
  return code;
}

std::vector<uint32_t> liveFrames() {
  std::vector<uint32_t> out;
  for (const Shown& s : shown)
    if (s.live) out.push_back(s.ms);
  return out;
}
}  // namespace

TEST_F(ShellTest, LiveKeysPauseSeekJumpRestartAndQuit) {
  // After frame 3: pause, 5 s back while paused, resume. Frame 6: previous scene. Frame 9: next
  // scene. Frame 12: start over. Frame 15: quit.
  keyScript = {{3, {SDLK_SPACE, SDLK_LEFT, SDLK_SPACE}}, {6, {SDLK_PAGEUP}},
               {9, {SDLK_PAGEDOWN}}, {12, {SDLK_HOME}}, {15, {SDLK_ESCAPE}}};
  EXPECT_EQ(playLive(100000, false), 0);
  std::vector<uint32_t> live = liveFrames();
  ASSERT_EQ(live.size(), 15u);
  EXPECT_EQ(live[0], 100020u);  // one clock reading after the sought moment
  EXPECT_EQ(live[2], 100060u);
  EXPECT_EQ(live[3], 95080u);   // 5 s back from the paused moment, then one reading on
  EXPECT_EQ(live[6], 80021u);   // the previous scene's first moment (80001), one reading on
  EXPECT_EQ(live[9], 92021u);   // then the next scene's
  EXPECT_EQ(live[12], 20u);     // from the start again (0 itself draws no scene)
  // The seeks were reached by a catch-up that ends on the target frame.
  auto caughtUp = [](uint32_t ms) {
    for (size_t i = 1; i < shown.size(); ++i)
      if (!shown[i - 1].live && shown[i - 1].ms == ms && shown[i].live) return true;
    return false;
  };
  EXPECT_TRUE(caughtUp(95060));
  EXPECT_TRUE(caughtUp(80001));
  EXPECT_TRUE(caughtUp(92001));
}

TEST_F(ShellTest, LoopStartsAgainAfterTheEndAndPauseHoldsThePicture) {
  keyScript = {{10, {SDLK_ESCAPE}}};
  EXPECT_EQ(playLive(242250, true), 0);
  std::vector<uint32_t> live = liveFrames();
  ASSERT_EQ(live.size(), 10u);
  EXPECT_EQ(live[2], 242310u);  // past the end: drawn, then the show starts over
  EXPECT_EQ(live[3], 20u);
  EXPECT_EQ(live[4], 40u);

  EXPECT_EQ(playLive(242250, false), 0);  // without --loop the end ends it
  EXPECT_EQ(liveFrames().size(), 3u);

  // Paused, the pump draws nothing while the clock is read: it waits until Space comes.
  keyScript = {{2, {SDLK_SPACE, SDLK_RIGHT}}, {3, {SDLK_ESCAPE}}};
  SDL_TimerID resume = SDL_AddTimer(
      300, [](Uint32, void*) -> Uint32 { pushKey(SDLK_SPACE); return 0; }, nullptr);
  EXPECT_EQ(playLive(1000, false), 0);
  SDL_RemoveTimer(resume);
  live = liveFrames();
  ASSERT_EQ(live.size(), 3u);
  EXPECT_EQ(live[1], 1040u);
  EXPECT_EQ(live[2], 6060u);  // the sought moment and one reading, however long it waited
}

TEST_F(ShellTest, LosingTheAudioDeviceGoesOnSilentWithoutAJump) {
  SDL_setenv("SDL_AUDIODRIVER", "dummy", 1);
  MusicTrack music;
  music.open("data/music/tessaloop.mp3");
  ASSERT_TRUE(music.player.music) << "the dummy audio driver should always open";
  keyScript = {{3, {deviceGone}}, {5, {deviceGone}}, {8, {SDLK_ESCAPE}}};
  testing::internal::CaptureStderr();
  EXPECT_EQ(playLive(1000, false, &music), 0);
  std::string err = testing::internal::GetCapturedStderr();
  music.close();
  std::vector<uint32_t> live = liveFrames();
  ASSERT_EQ(live.size(), 8u);
  EXPECT_EQ(live[0], 50000u);  // the music's position rules while it plays
  EXPECT_EQ(live[2], 50040u);
  EXPECT_EQ(live[3], 50060u);  // then the wall clock, on from there: no jump back to 1 s
  EXPECT_EQ(live[7], 50140u);  // and past what a stuck decoder would have allowed
  EXPECT_EQ(err, "kelvarn: the audio device is gone; the show goes on silent\n");
}

// Scenes carry state, so a seek must replay from what start-up left: the picture a live seek
// pauses on is the one a fresh run of the program draws at that moment with the same step.
// (Compared with a fresh process, so it wants one of its own, as ctest gives every test.)
TEST_F(ShellTest, SeekingBackToAMomentDrawsWhatAFreshRunDraws) {
  std::string png = std::string(KELVARN_TEST_TMP) + "/fresh-95000.png";
  ProgramRun shot = runProgram("env SDL_VIDEODRIVER=offscreen " + std::string(KELVARN_BINARY) +
                               " --step 5000 --shot 95000 " + png);
  ASSERT_EQ(shot.status, 0) << shot.err;
  std::vector<unsigned char> fresh(800 * 600 * 3);
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  ASSERT_TRUE(png_image_begin_read_from_file(&image, png.c_str()));
  image.format = PNG_FORMAT_RGB;
  ASSERT_TRUE(png_image_finish_read(&image, nullptr, fresh.data(), 0, nullptr));

  if (!sceneLight) prepareStartup();
  keepStartState();
  prepareScenes();
  Options options;
  options.stepMs = 5000;
  LiveSources sources;
  sources.wallMs = [] { return scriptedWall += 20; };
  sources.musicMs = [] { return -1.0; };
  DemoWindow window;
  window.screen = glTestScreen();
  MusicTrack silent;
  SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
  // Paused at 100 s, then 5 s back: the show stays paused on the sought moment.
  for (SDL_Keycode key : {SDLK_SPACE, SDLK_LEFT, SDLK_ESCAPE}) pushKey(key);
  EXPECT_EQ(runLive(window, silent, 100000, options, sources), 0);
  std::vector<unsigned char> sought(fresh.size());
  readScreenPixels(window.screen, sought.data());
  window.screen = Screen{};
  // A title card prepared again kept its first frame done and its spin, which left the credits
  // with another light: 20 % of the values off, by up to 121. The line saying what the keys
  // did lies along the bottom edge; the rest is the fresh run's picture.
  const size_t above = size_t(800) * 3 * (600 - 44);
  EXPECT_TRUE(std::equal(fresh.begin(), fresh.begin() + above, sought.begin()))
      << saveTestPicture("seek-back-credits");
  EXPECT_FALSE(std::equal(fresh.begin() + above, fresh.end(), sought.begin() + above));
}

TEST(Program, EveryOptionIsInTheReadmeAndTheManual) {
  size_t count = 0;
  const OptionRow* rows = optionRows(&count);
  for (const char* doc : {"/README.md", "/dist/kelvarn.6"}) {
    std::ifstream in(std::string(KELVARN_SOURCE_DIR) + doc);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_FALSE(text.empty()) << doc;
    for (size_t i = 0; i < count; ++i) {
      std::string name = rows[i].name, roff;
      for (char c : name) roff += c == '-' ? std::string("\\-") : std::string(1, c);  // roff: \-
      EXPECT_TRUE(text.find(name) != std::string::npos || text.find(roff) != std::string::npos)
          << name << " is not in " << doc;
    }
  }
}
