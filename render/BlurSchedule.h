#pragma once
#include "render/OverlaySpace.h"

#include <cstdint>

// The glow's blur as a sequence of passes, the same for every way of drawing it: shifts of 1,
// 2, 4 ... overlay units up to the reach, each first across and then up, so that the blur's
// radius doubles from one shift to the next. A pass blends the picture with itself shifted
// both ways along its axis at alpha 0.3, and the result is copied back.

// The reach of a captureGlow level: 1..4 blur with shifts up to 2, 4, 8 or 16 units; any other
// level does not blur (0).
inline int blurReach(uint8_t level) {
  return level >= 1 && level <= 4 ? 1 << level : 0;
}

struct BlurPass {
  int16_t units = 1;   // the shift in overlay units
  bool across = true;  // along the rows (true) or up the columns
};

// Calls pass(BlurPass) for each pass of a blur with the given reach, in order.
template <typename Pass>
void forEachBlurPass(int reach, Pass pass) {
  for (int16_t units = 1; units <= reach; units = static_cast<int16_t>(units * 2)) {
    pass(BlurPass{units, true});
    pass(BlurPass{units, false});
  }
}

// A pass's shift in pixels on a target of width x height.
inline float blurShift(const BlurPass& pass, int32_t width, int32_t height) {
  return pass.across ? pass.units * float(width) / overlayWidth
                     : pass.units * float(height) / overlayHeight;
}
