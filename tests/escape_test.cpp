// Escape under a real X server: in every slot the show ends at once with status 0, the display
// as it was and nothing on stderr but its start-up report. In the sanitized build the same runs
// also show that nothing leaked: LeakSanitizer's report would land on stderr and fail the exit.
#include "shell/Timeline.h"
#include "tests/ProgramRun.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <sstream>
#include <string>

namespace {
bool haveXvfb() { return std::system("command -v xvfb-run >/dev/null 2>&1") == 0; }

// Runs tests/press-escape.sh in an X server of its own. Each test process starts looking for a
// free server number at its own place, so tests running side by side do not meet.
ProgramResult pressEscape(const std::string& options) {
  std::string server = std::to_string(100 + getpid() % 400);
  return runKelvarn("timeout 400 xvfb-run -a -n " + server + " -s '-screen 0 1280x1024x24' " +
                    KELVARN_SOURCE_DIR "/tests/press-escape.sh KELVARN " + options);
}

// The lines of stderr other than the report of the first frame.
std::string unexpectedLines(const std::string& err) {
  std::istringstream in(err);
  std::string line, rest;
  while (std::getline(in, line))
    if (line.rfind("kelvarn: first frame ", 0) != 0) rest += line + "\n";
  return rest;
}

void expectCleanEnd(const ProgramResult& r) {
  EXPECT_EQ(r.status, 0) << r.out << r.err;
  EXPECT_NE(r.out.find("first frame drawn"), std::string::npos) << r.out << r.err;
  EXPECT_NE(r.out.find("ended after Escape with status 0"), std::string::npos) << r.out << r.err;
  EXPECT_NE(r.out.find("display as before"), std::string::npos) << r.out;
  EXPECT_NE(r.err.find("kelvarn: first frame "), std::string::npos) << r.err;
  EXPECT_EQ(unexpectedLines(r.err), "");
}

class EscapeInSlot : public testing::TestWithParam<int> {};
}  // namespace

TEST_P(EscapeInSlot, EndsTheShowAtOnceAndCleanly) {
  if (!haveXvfb()) GTEST_SKIP() << "xvfb-run is not installed (Debian package xvfb): no X server";
  SceneTable table{};
  fillSceneTable(table);
  // A second into the slot: the frames drawn before Escape are the slot's own.
  uint32_t seek = table.start[GetParam()] + 1000;
  ProgramResult r = pressEscape("--windowed --seek " + std::to_string(seek) + " --step 5000");
  SCOPED_TRACE("slot " + std::to_string(GetParam()) + " at " + std::to_string(seek) + " ms");
  expectCleanEnd(r);
}

INSTANTIATE_TEST_SUITE_P(EverySlot, EscapeInSlot, testing::Range(0, sceneCount),
                         [](const testing::TestParamInfo<int>& info) {
                           return "Slot" + std::to_string(info.param);
                         });

TEST(EscapeFullScreen, GivesTheDesktopItsDisplayBack) {
  if (!haveXvfb()) GTEST_SKIP() << "xvfb-run is not installed (Debian package xvfb): no X server";
  // Full screen over the desktop (the default) and with the display switched to 800 x 600.
  for (const char* mode : {"", "--mode-switch"}) {
    SCOPED_TRACE(*mode ? mode : "desktop full screen");
    ProgramResult r = pressEscape(std::string(mode) + " --seek 1000 --step 5000");
    expectCleanEnd(r);
  }
}

// Keys under a real X server with no window manager, the screen grabbed with xwd.
namespace {
ProgramResult liveKeys(const std::string& screen, const std::string& scenarioAndOptions) {
  std::string server = std::to_string(100 + (getpid() + 200) % 400);
  return runKelvarn("timeout 400 xvfb-run -a -n " + server + " -s '-screen 0 " + screen + "x24' " +
                    KELVARN_SOURCE_DIR "/tests/live-keys.sh " + scenarioAndOptions);
}

bool haveXwd() { return std::system("command -v xwd >/dev/null 2>&1") == 0; }
}  // namespace

TEST(LiveKeys, PauseHoldsSeekWhilePausedShowsTheMomentAndLoopRunsOn) {
  if (!haveXvfb() || !haveXwd())
    GTEST_SKIP() << "xvfb-run or xwd is not installed (Debian packages xvfb, x11-apps)";
  // From 236 s: paused, then 5 s on while paused, resumed, and past the end with --loop.
  ProgramResult r = liveKeys("1024x768", "pause KELVARN --windowed --loop --seek 236000 --step 5000");
  EXPECT_EQ(r.status, 0) << r.out << r.err;
  for (const char* line : {"paused: still", "seek while paused: changed", "after the seek: still",
                           "resumed: moving", "running after the end",
                           "ended after Escape with status 0"})
    EXPECT_NE(r.out.find(line), std::string::npos) << line << "\n" << r.out << r.err;
  EXPECT_EQ(unexpectedLines(r.err), "");
}

TEST(LiveKeys, FullScreenFillsADisplayWithNoWindowManager) {
  if (!haveXvfb()) GTEST_SKIP() << "xvfb-run is not installed (Debian package xvfb): no X server";
  ProgramResult r = liveKeys("1920x1080", "fullscreen KELVARN --seek 1000 --step 5000");
  EXPECT_EQ(r.status, 0) << r.out << r.err;
  EXPECT_NE(r.out.find("full screen: 1920x1080"), std::string::npos) << r.out << r.err;
  EXPECT_NE(r.out.find("window: 800x600"), std::string::npos) << r.out;  // F11
  EXPECT_NE(r.out.find("full screen again: 1920x1080"), std::string::npos) << r.out;  // Alt+Enter
  EXPECT_EQ(unexpectedLines(r.err), "");
}
