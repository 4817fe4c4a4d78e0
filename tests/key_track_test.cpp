#include "render/KeyTrack.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// The dolly of every title card: the eye moves from z 700 to z 300 between t 0.75 and 0.78.
const TrackKey titleCardKeys[2] = {{0, 0, 700, 0.75f}, {0, 0, 300, 0.78f}};

struct Sample {
  float x, y, z;
};

Sample sampleAt(KeyTrack& track, float t) {
  float out[3] = {-1, -1, -1};
  sampleTrack(track, t, out);
  return {out[0], out[1], out[2]};
}

}  // namespace

TEST(KeyTrack, TitleCardDollyFollowsTheHistoryRule) {
  KeyTrack track;
  setKeys(track, titleCardKeys, 2);

  // Before the first key a fresh track repeats its initial (0, 0, 0), not the first key.
  Sample before = sampleAt(track, 0.5f);
  EXPECT_EQ(before.x, 0.0f);
  EXPECT_EQ(before.y, 0.0f);
  EXPECT_EQ(before.z, 0.0f);

  EXPECT_EQ(sampleAt(track, 0.75f).z, 700.0f);
  EXPECT_NEAR(sampleAt(track, 0.765f).z, 500.0f, 0.01f);
  EXPECT_NEAR(sampleAt(track, 0.78f).z, 300.0f, 0.01f);

  // Past the last key the track repeats its latest result, here the value at 0.77.
  float at077 = sampleAt(track, 0.77f).z;
  EXPECT_NEAR(at077, 433.333f, 0.01f);
  Sample after = sampleAt(track, 0.8f);
  EXPECT_EQ(after.z, at077);
  EXPECT_EQ(after.x, 0.0f);
  EXPECT_EQ(after.y, 0.0f);
  EXPECT_EQ(sampleAt(track, 0.1f).z, at077);
  EXPECT_EQ(track.last[2], at077);
}

TEST(KeyTrack, SharedKeysBelongToTheLaterSegmentAndOutsideHolds) {
  const TrackKey keys[3] = {{0, 10, 0, 0.2f}, {100, 20, -50, 0.4f}, {300, 0, 50, 0.9f}};
  KeyTrack track(keys, 3);
  ASSERT_EQ(track.count, 3);

  Sample middle = sampleAt(track, 0.4f);  // u = 0 of the second segment: the key itself
  EXPECT_EQ(middle.x, 100.0f);
  EXPECT_EQ(middle.y, 20.0f);
  EXPECT_EQ(middle.z, -50.0f);

  Sample inFirst = sampleAt(track, 0.3f);
  EXPECT_NEAR(inFirst.x, 50.0f, 1e-3f);
  EXPECT_NEAR(inFirst.y, 15.0f, 1e-3f);
  EXPECT_NEAR(inFirst.z, -25.0f, 1e-3f);

  Sample inSecond = sampleAt(track, 0.65f);
  EXPECT_NEAR(inSecond.x, 200.0f, 1e-3f);
  EXPECT_NEAR(inSecond.y, 10.0f, 1e-3f);
  EXPECT_NEAR(inSecond.z, 0.0f, 1e-3f);

  // Outside the keys the latest value comes back, whichever side t is on.
  EXPECT_NEAR(sampleAt(track, 0.95f).x, 200.0f, 1e-3f);
  EXPECT_NEAR(sampleAt(track, 0.0f).x, 200.0f, 1e-3f);
  EXPECT_NEAR(sampleAt(track, std::nanf("")).x, 200.0f, 1e-3f);
}

TEST(KeyTrack, TracksWithoutSegmentsNeverInterpolate) {
  KeyTrack empty;
  empty.last[0] = 1;
  empty.last[1] = 2;
  empty.last[2] = 3;
  Sample none = sampleAt(empty, 0.5f);  // no keys: zero, and last stays as it was
  EXPECT_EQ(none.x, 0.0f);
  EXPECT_EQ(none.y, 0.0f);
  EXPECT_EQ(none.z, 0.0f);
  EXPECT_EQ(empty.last[0], 1.0f);
  EXPECT_EQ(empty.last[2], 3.0f);

  const TrackKey oneKey[1] = {{5, 6, 7, 0.5f}};
  KeyTrack single(oneKey, 1);
  single.last[0] = 9;
  EXPECT_EQ(sampleAt(single, 0.5f).x, 9.0f);  // the key's own time still gives last
  EXPECT_EQ(sampleAt(single, 0.2f).x, 9.0f);

  KeyTrack negative(oneKey, -4);  // a negative count holds no keys
  EXPECT_EQ(negative.count, 0);
  negative.last[1] = 4;
  EXPECT_EQ(sampleAt(negative, 0.5f).y, 4.0f);
}

TEST(KeyTrack, ZeroLengthSegmentsArePassedOver) {
  // A hold-and-jump: two keys at 0.5 make a segment with no length.
  const TrackKey jump[4] = {{0, 0, 0, 0.2f}, {10, 0, 0, 0.5f}, {20, 0, 0, 0.5f}, {30, 0, 0, 0.8f}};
  KeyTrack track(jump, 4);
  EXPECT_EQ(sampleAt(track, 0.5f).x, 20.0f);
  EXPECT_NEAR(sampleAt(track, 0.35f).x, 5.0f, 1e-4f);
  EXPECT_NEAR(sampleAt(track, 0.65f).x, 25.0f, 1e-4f);

  // The zero-length segment is the last one: the key time falls to the segment before it.
  const TrackKey endsTwice[3] = {{0, 0, 0, 0.2f}, {10, 0, 0, 0.5f}, {20, 0, 0, 0.5f}};
  KeyTrack ending(endsTwice, 3);
  Sample atEnd = sampleAt(ending, 0.5f);
  EXPECT_TRUE(std::isfinite(atEnd.x));
  EXPECT_NEAR(atEnd.x, 10.0f, 1e-4f);

  // Nothing but one instant: never a division, the track holds.
  const TrackKey instant[2] = {{1, 1, 1, 0.5f}, {2, 2, 2, 0.5f}};
  KeyTrack still(instant, 2);
  Sample held = sampleAt(still, 0.5f);
  EXPECT_EQ(held.x, 0.0f);
  EXPECT_EQ(held.z, 0.0f);
}

TEST(KeyTrack, SettingKeysAgainReplacesTheCopy) {
  TrackKey table[2] = {{0, 0, 0, 0}, {100, 0, 0, 1}};
  KeyTrack track;
  setKeys(track, table, 2);
  table[1].x = -1000;  // the track holds its own copy
  EXPECT_NEAR(sampleAt(track, 0.5f).x, 50.0f, 1e-4f);

  const TrackKey other[3] = {{0, 0, 0, 0}, {0, 40, 0, 0.5f}, {0, 80, 0, 1}};
  setKeys(track, other, 3);
  EXPECT_EQ(track.count, 3);
  Sample replaced = sampleAt(track, 0.25f);
  EXPECT_NEAR(replaced.x, 0.0f, 1e-4f);
  EXPECT_NEAR(replaced.y, 20.0f, 1e-4f);

  setKeys(track, nullptr, 7);  // null keys: nothing changes
  EXPECT_EQ(track.count, 3);
  EXPECT_NEAR(sampleAt(track, 0.75f).y, 60.0f, 1e-4f);

  setKeys(track, track.keys, track.count);  // from its own array: copied before it is freed
  EXPECT_EQ(track.count, 3);
  EXPECT_NEAR(sampleAt(track, 0.75f).y, 60.0f, 1e-4f);
}
