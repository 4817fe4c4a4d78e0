#pragma once
#include "shell/Options.h"

// Exit statuses beyond the show's own 0.
constexpr int exitNoWindow = 1;  // the window or its GL context could not be made
constexpr int exitUsage = 2;     // bad command line, or no display for a live run

struct DemoWindow;

// Start-up preparation and every scene's own, then GL error checks if asked for.
void prepareShow(const Options& options);
// Offscreen runs (still frames, capture, benchmark): video, window and a prepared show.
// False, after reporting why, with the exit status in *exitCode.
bool openOffscreenShow(DemoWindow& window, const Options& options, int* exitCode);
void closeShow(DemoWindow& window);

// The show as it always plays: window, music, every scene prepared, then the frame loop.
int playShow(const Options& options);
// One frame rendered offscreen and written as a PNG.
int renderShot(const Options& options);
