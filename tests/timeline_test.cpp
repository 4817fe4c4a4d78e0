// The frame loop's rules, driven by a scripted clock over a table of recording scenes.
#include "shell/Timeline.h"
#include "tests/GlTestContext.h"

#include <SDL_opengl.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

namespace {
struct Call {
  int slot;
  float t;
};
std::vector<Call> calls;

template <int N>
void recordingScene(int8_t mode, float t) {
  if (mode == 1) calls.push_back({N, t});
}

SceneTable recordingTable() {
  SceneTable table;
  fillSceneTable(table);
  SceneFn fns[sceneCount] = {recordingScene<0>, recordingScene<1>, recordingScene<2>,
                             recordingScene<3>, recordingScene<4>, recordingScene<5>,
                             recordingScene<6>, recordingScene<7>, recordingScene<8>,
                             recordingScene<9>};
  for (int i = 0; i < sceneCount; ++i) table.slot[i] = fns[i];
  return table;
}

class TimelineTest : public GlTest {
 protected:
  void SetUp() override {
    GlTest::SetUp();
    calls.clear();
  }
};
}  // namespace

TEST_F(TimelineTest, ShowTableStartsAndEnds) {
  SceneTable table;
  fillSceneTable(table);
  const uint32_t expected[] = {0,      30000,  52000,  80000,  92000, 118300,
                               128300, 168300, 178300, 206300, 242300};
  for (int i = 0; i <= sceneCount; ++i) EXPECT_EQ(table.start[i], expected[i]) << i;
  for (int i = 0; i < sceneCount; ++i) EXPECT_NE(table.slot[i], nullptr) << i;
  // The four title cards are four distinct entry points.
  EXPECT_NE(table.slot[1], table.slot[3]);
  EXPECT_NE(table.slot[5], table.slot[7]);
}

TEST_F(TimelineTest, SlotBoundariesAndNormalisedTime) {
  SceneTable table = recordingTable();
  FrameClock clock;
  const uint32_t base = 5000;
  EXPECT_FALSE(stepFrame(clock, table, base));  // first frame: elapsed 0, no scene
  EXPECT_TRUE(calls.empty());

  EXPECT_FALSE(stepFrame(clock, table, base + 30000));
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].slot, 0);
  EXPECT_EQ(calls[0].t, 1.0f);

  EXPECT_FALSE(stepFrame(clock, table, base + 30001));
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[1].slot, 1);
  EXPECT_EQ(calls[1].t, static_cast<float>(1.0 / 22000.0));

  EXPECT_FALSE(stepFrame(clock, table, base + 242300));  // the end itself still plays on
  EXPECT_EQ(calls.back().slot, 9);
  EXPECT_EQ(calls.back().t, 1.0f);

  EXPECT_TRUE(stepFrame(clock, table, base + 242301));  // drawn, and the quit is asked for
  EXPECT_EQ(calls.back().slot, 9);
  EXPECT_EQ(calls.back().t, static_cast<float>(36001.0 / 36000.0));
}

TEST_F(TimelineTest, LongPauseSkipsScenesAndCounterWraps) {
  SceneTable table = recordingTable();
  FrameClock clock;
  const uint32_t base = 0xFFFFFFFFu - 1000;  // the counter wraps 1001 ms into the show
  stepFrame(clock, table, base);
  stepFrame(clock, table, base + 2000);  // wrapped: elapsed 2000
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].slot, 0);
  EXPECT_FLOAT_EQ(calls[0].t, 2000.0f / 30000.0f);

  stepFrame(clock, table, base + 130000);  // a long stall lands straight in the greetings
  EXPECT_EQ(calls.back().slot, 6);
  EXPECT_EQ(calls.size(), 2u);

  EXPECT_TRUE(stepFrame(clock, table, base + 900000));  // past the end: last scene, then quit
  EXPECT_EQ(calls.back().slot, 9);
}

TEST_F(TimelineTest, FrameClearsBuffersAndModelview) {
  SceneTable table = recordingTable();
  FrameClock clock;
  glClearColor(0.0f, 0.0f, 1.0f, 1.0f);
  glMatrixMode(GL_MODELVIEW);
  glTranslatef(5, 6, 7);
  glDisable(GL_SCISSOR_TEST);
  stepFrame(clock, table, 100);
  GLfloat m[16];
  glGetFloatv(GL_MODELVIEW_MATRIX, m);
  EXPECT_EQ(m[12], 0.0f);
  EXPECT_EQ(m[13], 0.0f);
  auto px = pixelAt(400, 300);
  EXPECT_EQ(px[2], 255);  // cleared with whatever clear colour is current
  EXPECT_EQ(px[0], 0);
}

TEST(ShowClock, FollowsTheMusicHoldsOnAStallAndNeverRunsBack) {
  ShowClock c;
  seekClock(c, 1000, 5000);
  EXPECT_EQ(advanceClock(c, 5016, -1.0), 1016u);  // silent: the wall clock from where it stands
  EXPECT_EQ(advanceClock(c, 5020, 1030.0), 1030u);  // sound starts: its position rules
  EXPECT_EQ(advanceClock(c, 5030, 1030.0), 1040u);  // filled in between the decoder's updates
  EXPECT_EQ(advanceClock(c, 5400, 1030.0), 1090u);  // a stalled device holds the picture too
  EXPECT_EQ(advanceClock(c, 5410, 1080.0), 1090u);  // decoder behind the picture: it waits
  EXPECT_EQ(advanceClock(c, 5420, 1140.0), 1140u);

  pauseClock(c, true, 5420);
  EXPECT_EQ(advanceClock(c, 9000, 1150.0), 1140u);  // paused: still, whatever the clocks do
  pauseClock(c, false, 9000);
  EXPECT_EQ(advanceClock(c, 9300, 1140.0), 1140u);  // resumed: no leap for the time paused
  EXPECT_EQ(advanceClock(c, 9310, 1140.0), 1150u);

  EXPECT_EQ(advanceClock(c, 9320, -1.0), 1160u);  // the device is gone: on without a jump
  seekClock(c, 200, 9330);                        // only a seek goes back
  EXPECT_EQ(advanceClock(c, 9340, 200.0), 200u);
  EXPECT_EQ(advanceClock(c, 9350, 210.0), 210u);
}

// A whole run against a scripted decoder: it reports its position a device buffer (1024 samples
// at 44.1 kHz) at a time, ahead of what is heard by up to one buffer, and the device stalls twice (400 ms at one minute,
// 250 ms at two and a half). The picture is drawn about every 16.7 ms with some jitter. The
// largest distance between the picture's time and the sound's is measured with the lock and
// with the wall clock alone.
TEST(ShowClock, StaysWithTheMusicOverAWholeRun) {
  const double bufferMs = 1024.0 / 44.1;
  auto soundAt = [](double wall) {  // the heard position, ms, at wall time since the start
    double heard = wall;
    if (wall > 60000) heard -= std::min(wall - 60000, 400.0);
    if (wall > 150000) heard -= std::min(wall - 150000, 250.0);
    return heard;
  };
  ShowClock locked, free;
  seekClock(locked, 0, 0);
  seekClock(free, 0, 0);
  double worstLocked = 0, worstFree = 0;
  uint32_t seed = 7;
  for (double wall = 0; soundAt(wall) < showLengthMs; ) {
    seed = seed * 1103515245u + 12345u;
    wall += 16.7 + ((seed >> 16) % 5);  // 16.7 to 20.7 ms a frame
    double heard = soundAt(wall);
    double reported = (std::floor(heard / bufferMs) + 1) * bufferMs;
    uint32_t w = static_cast<uint32_t>(wall);
    worstLocked = std::max(worstLocked, std::fabs(advanceClock(locked, w, reported) - heard));
    worstFree = std::max(worstFree, std::fabs(advanceClock(free, w, -1.0) - heard));
  }
  RecordProperty("worstLockedMs", static_cast<int>(worstLocked));
  RecordProperty("worstFreeMs", static_cast<int>(worstFree));
  std::printf("largest picture-sound offset: %.1f ms locked, %.1f ms on the wall clock\n",
              worstLocked, worstFree);
  EXPECT_LT(worstLocked, bufferMs + musicHoldMs + 5);
  EXPECT_GT(worstFree, 600.0);  // the stalls add up on the wall clock
}
