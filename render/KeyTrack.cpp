#include "render/KeyTrack.h"

#include <algorithm>

KeyTrack::KeyTrack(const TrackKey* from, int32_t newCount) { setKeys(from, newCount); }

KeyTrack::~KeyTrack() { delete[] keys; }

void KeyTrack::setKeys(const TrackKey* from, int32_t newCount) {
  if (!from) return;
  newCount = std::max<int32_t>(newCount, 0);
  TrackKey* copy = new TrackKey[size_t(newCount)]();
  std::copy(from, from + newCount, copy);
  delete[] keys;
  keys = copy;
  count = newCount;
}

void KeyTrack::sampleTrack(float t, float* out) {
  if (!keys) {
    out[0] = out[1] = out[2] = 0.0f;
    return;
  }
  for (int32_t i = count - 2; i >= 0; --i) {
    const TrackKey& from = keys[i];
    const TrackKey& to = keys[i + 1];
    if (!(t >= from.time && t <= keys[count - 1].time)) continue;
    float span = to.time - from.time;
    if (!(span > 0.0f)) continue;  // keys at one time: nothing to interpolate between
    float u = (t - from.time) * (1.0f / span);
    last[0] = u * to.x + (1.0f - u) * from.x;
    last[1] = u * to.y + (1.0f - u) * from.y;
    last[2] = u * to.z + (1.0f - u) * from.z;
    break;
  }
  out[0] = last[0];
  out[1] = last[1];
  out[2] = last[2];
}
