#pragma once
#include "shell/Options.h"

// Renders the show offline at an exact frame rate and pipes every frame, none skipped, to the
// ffmpeg program, with the music cut to the same range as the sound track.
int captureShow(const Options& options);

// Frame k of a capture at num/den frames a second starting at fromMs, in elapsed ms.
uint32_t captureFrameTime(uint32_t fromMs, uint32_t k, uint32_t num, uint32_t den);
// How many frames a capture of [fromMs, toMs] holds.
uint32_t captureFrameCount(uint32_t fromMs, uint32_t toMs, uint32_t num, uint32_t den);
