#pragma once
#include <cstdint>

// What the host around the show hears of it. In a browser that is the page: it draws its own
// screens over the canvas (the end screen) and keeps the figures its tests read. Elsewhere
// nobody listens, and every call returns at once.

// A live frame at showMs of the show has been drawn.
void hostFrameDrawn(uint32_t showMs);
// The music starts (again) at fromMs of the show.
void hostMusicStarted(uint32_t fromMs);
// The music stops for a while (held) or goes on (not held).
void hostMusicHeld(bool held);
// Live play has ended (Escape, or the show's end). True once the viewer asks for the show
// again (the page's end screen waits for that); false at once where nobody can ask.
bool hostOffersReplay();
// A still frame at showMs is on screen. In a browser it stays there and the program stays with
// it for the rest of the page's life; elsewhere this returns at once.
void hostKeepStill(uint32_t showMs);
