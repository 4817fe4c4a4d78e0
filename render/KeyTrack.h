#pragma once
#include <cstdint>

// One key of a track: a 3-component value and the scene time (0..1) it is reached at.
struct TrackKey {
  float x = 0;
  float y = 0;
  float z = 0;
  float time = 0;
};
static_assert(sizeof(TrackKey) == 16, "keys are four packed floats");

// A value (a camera eye, a target) moved in straight lines from key to key over a scene's
// time. Outside its keys the track repeats the last value it produced.
struct KeyTrack {
  TrackKey* keys = nullptr;  // owned copy of the keys, times increasing; null until set
  int32_t count = 0;
  float last[3] = {0, 0, 0};  // the most recent interpolated value

  explicit KeyTrack(const TrackKey* from = nullptr, int32_t newCount = 0);
  KeyTrack(const KeyTrack&) = delete;
  KeyTrack& operator=(const KeyTrack&) = delete;
  ~KeyTrack();

  // Copies count keys (a negative count counts as 0); null keys change nothing. Keys set
  // before are freed.
  void setKeys(const TrackKey* from, int32_t newCount);
  // The value at t into out[0..2]: interpolated between the keys that bracket t (at a shared
  // key the later segment wins), else the last value produced; (0, 0, 0) for a track without
  // keys. Segments whose two keys share a time are passed over.
  void sampleTrack(float t, float* out);
};

// The same operations spelled as free functions.
inline void setKeys(KeyTrack& track, const TrackKey* keys, int32_t count) {
  track.setKeys(keys, count);
}
inline void sampleTrack(KeyTrack& track, float t, float* out) { track.sampleTrack(t, out); }
