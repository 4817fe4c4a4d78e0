#include "platform/Clock.h"

#include <SDL.h>

namespace {
bool virtualOn = false;
uint32_t virtualNow = 0;
}

uint32_t readClock() { return virtualOn ? virtualNow : static_cast<uint32_t>(SDL_GetTicks()); }

void setVirtualClock(uint32_t ms) {
  virtualOn = true;
  virtualNow = ms;
}

void useWallClock() { virtualOn = false; }

bool clockIsVirtual() { return virtualOn; }

uint32_t readWallClock() { return static_cast<uint32_t>(SDL_GetTicks()); }
