#pragma once
#include "shell/Options.h"

#include <cstdint>

struct DemoWindow;
struct MusicTrack;

// The show as it always plays: window, music, every scene prepared, then the frame loop.
int playShow(const Options& options);
// Where live play reads the time; unset ones read the wall clock and the music's decoder.
struct LiveSources {
  uint32_t (*wallMs)() = nullptr;
  double (*musicMs)() = nullptr;  // negative while silent
};
// When start-up reached its steps, in ms since the process started, for --report-startup.
struct StartupMarks {
  double windowReady = -1;  // window, GL context and music open
  double prepared = -1;     // every scene prepared
};
// Live play on a made, prepared window: from fromMs, with the keys, pause, seeks, --loop, the
// cursor rule and the clock locked to the music. Returns the exit status.
int runLive(DemoWindow& window, MusicTrack& music, uint32_t fromMs, const Options& options,
            LiveSources sources = {}, StartupMarks marks = {});
