#pragma once
#include <cstdint>

// The ten entry points of the show's timeline, in slot order.
void openingScene(int8_t mode, float t);
void titleCard1(int8_t mode, float t);
void tunnelScene(int8_t mode, float t);
void titleCard2(int8_t mode, float t);
void creditScene(int8_t mode, float t);
void titleCard3(int8_t mode, float t);
void greetingsScene(int8_t mode, float t);
void titleCard4(int8_t mode, float t);
void spiralScene(int8_t mode, float t);
void endScroller(int8_t mode, float t);
