#pragma once
#include <cstdint>

// The show's millisecond counter: an unsigned 32-bit value that wraps, read once a frame.
// Offscreen rendering swaps the wall clock for a virtual one that only moves when told to.
uint32_t readClock();
void setVirtualClock(uint32_t ms);  // from now on readClock() returns ms
void useWallClock();
bool clockIsVirtual();
// The wall clock in ms, whatever readClock() is set to.
uint32_t readWallClock();
