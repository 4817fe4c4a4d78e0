#pragma once
#include "shell/Options.h"

// Exit statuses beyond the show's own 0.
constexpr int exitNoWindow = 1;  // the window or its GL context could not be made
constexpr int exitUsage = 2;     // bad command line, or no display for a live run

struct DemoWindow;

// Brings video up for the mode; false, after reporting why, when no driver starts.
bool startDisplay(DisplayMode mode);
// Opens the show's window for a frame of --resolution's size, the display's own for native
// (and by default for live play on a GPU), or 800 x 600. A size GL cannot draw ends it with the
// usage status before the window ever shows. False, after reporting why, with the exit status in
// *exitCode.
bool openShowWindow(DemoWindow& window, const Options& o, bool livePlay, int* exitCode);
// Start-up preparation and every scene's own, then GL error checks if asked for. For live play
// the state in between is kept, to come back to for every seek and loop.
void prepareShow(const Options& options, bool forLivePlay = false);
// Offscreen runs (still frames, capture, benchmark): video, window and a prepared show.
// False, after reporting why, with the exit status in *exitCode.
bool openOffscreenShow(DemoWindow& window, const Options& options, int* exitCode);
void closeShow(DemoWindow& window);
