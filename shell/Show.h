#pragma once
#include "shell/Options.h"

// Exit statuses beyond the show's own 0.
constexpr int exitNoWindow = 1;  // the window or its GL context could not be made
constexpr int exitUsage = 2;     // bad command line, or no display for a live run

// The show as it always plays: window, music, every scene prepared, then the frame loop.
int playShow(const Options& options);
// One frame rendered offscreen and written as a PNG.
int renderShot(const Options& options);
