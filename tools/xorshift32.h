// The tools' one pseudo-random sequence (xorshift32): the synthesizer's noise and the
// pictures' scatter come from it, so the same seed always gives the same track and pictures.
#pragma once

#include <cstdint>

// Advances state and returns its new value; a state of 0 stays 0.
inline uint32_t xorshift32(uint32_t& state)
{
    uint32_t x = state;
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    state = x;
    return x;
}
