// The arrangement: which instrument plays what, when. The beat grid and the
// section bars follow the show's timeline.
#pragma once

#include "tools/synth/instruments.h"

constexpr double kFirstBeat = 0.032;      // seconds: the first beat of the grid
constexpr double kBeatSeconds = 0.407;    // 147.42 beats per minute
constexpr int kBeatsPerBar = 4;
constexpr double kTrackSeconds = 243.0;   // length of the file
constexpr double kFadeFrom = 236.0;       // the outro fades from here ...
constexpr double kSilentFrom = 242.3;     // ... to silence here, where the show ends

double beatTime(double beat);
double barTime(int bar);
int nearestBar(double seconds);
int nearestBeat(double seconds);

// Renders every note of the track into the mixer.
void composeTrack(Mixer& m);
