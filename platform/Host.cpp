// Linux and Windows: no host hears the show.
#include "platform/Host.h"

void hostFrameDrawn(uint32_t) {}

void hostMusicStarted(uint32_t) {}

void hostMusicHeld(bool) {}

bool hostOffersReplay() { return false; }

void hostKeepStill(uint32_t) {}
