#pragma once
#include <cstdint>

// Offscreen frames are reached the way a straight run would reach them, because scenes carry
// state from frame to frame and from scene to scene: the first frame, one frame at the start
// and one at the end of every earlier slot, then frames every stepMs from the start of the
// target's slot up to ms itself. The virtual clock drives every frame; none is presented.
// Returns true if the show would have ended by the last frame drawn.
bool catchUpTo(uint32_t ms, uint32_t stepMs);
