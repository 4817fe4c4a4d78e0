#pragma once
#include "shell/Options.h"

// Exit statuses beyond the show's own 0.
constexpr int exitNoWindow = 1;  // the window or its GL context could not be made
constexpr int exitUsage = 2;     // bad command line, or no display for a live run

struct DemoWindow;
struct MusicTrack;

// Start-up preparation and every scene's own, then GL error checks if asked for. For live play
// the state in between is kept, to come back to for every seek and loop.
void prepareShow(const Options& options, bool forLivePlay = false);
// Keeps GL's state as it is now (start-up done, the scenes not prepared yet): live play returns
// to it and prepares the scenes again before every seek and loop, so a replay from 0 draws what
// a fresh run draws. runLive gives it up when it returns.
void keepStartState();
// Offscreen runs (still frames, capture, benchmark): video, window and a prepared show.
// False, after reporting why, with the exit status in *exitCode.
bool openOffscreenShow(DemoWindow& window, const Options& options, int* exitCode);
void closeShow(DemoWindow& window);

// The show as it always plays: window, music, every scene prepared, then the frame loop.
int playShow(const Options& options);
// Where live play reads the time; unset ones read the wall clock and the music's decoder.
struct LiveSources {
  uint32_t (*wallMs)() = nullptr;
  double (*musicMs)() = nullptr;  // negative while silent
};
// Live play on a made, prepared window: from fromMs, with the keys, pause, seeks, --loop, the
// cursor rule and the clock locked to the music. Returns the exit status.
int runLive(DemoWindow& window, MusicTrack& music, uint32_t fromMs, const Options& options,
            LiveSources sources = {});

// One frame rendered offscreen and written as a PNG.
int renderShot(const Options& options);
