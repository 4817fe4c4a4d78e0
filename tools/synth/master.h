// The master bus: room effects, kick ducking, the final limiter and fade, and the
// loudness meter that sets the level.
#pragma once

#include "tools/synth/instruments.h"

#include <cstdint>
#include <vector>

// Echo and reverb over the sends, the music bus ducked under the kicks, all summed.
Stereo mixDown(const Mixer& m, double echoSeconds);

struct MasterSettings {
    double gainDb = 0.0;
    float ceiling = 0.83f;      // linear peak after the limiter
    double fadeFrom = 0.0;      // seconds: fade to silence between these
    double fadeTo = 0.0;
};

// Gain, look-ahead brick-wall limiter, fade out; result still float.
Stereo masterBus(const Stereo& mix, const MasterSettings& settings);

// ITU-R BS.1770 integrated loudness in LUFS (K-weighting, 400 ms blocks, gated).
double integratedLoudness(const Stereo& s);
float peakLevel(const Stereo& s);

// Interleaved 16-bit PCM, rounded and clamped.
std::vector<int16_t> toPcm16(const Stereo& s);
uint64_t pcmHash(const std::vector<int16_t>& pcm);   // FNV-1a over the bytes
