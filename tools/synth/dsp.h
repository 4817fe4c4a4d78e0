// Building blocks of the software synthesizer: band-limited oscillators, filters,
// envelopes, noise and the two room effects. Everything is plain arithmetic on
// explicit state, so the same calls always produce the same samples.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

constexpr int kSampleRate = 44100;
constexpr double kTwoPi = 6.283185307179586;

double midiToHz(double note);

// Deterministic white noise in -1..1 (xorshift32).
struct Noise {
    uint32_t state = 0x12345678u;
};
float noiseSample(Noise& n);

// Phase accumulator in 0..1 shared by the oscillators.
struct Oscillator {
    double phase = 0.0;
};
// Band-limited (polyBLEP) sawtooth and pulse; sine and triangle are naturally soft.
float sawSample(Oscillator& osc, double hz);
float pulseSample(Oscillator& osc, double hz, double width);
float sineSample(Oscillator& osc, double hz);

// Zero-delay-feedback state-variable filter: low, band and high pass at once.
struct StateVariableFilter {
    float ic1 = 0.0f, ic2 = 0.0f;
    float g = 0.0f, k = 1.0f, a1 = 0.0f, a2 = 0.0f, a3 = 0.0f;
};
struct FilterTaps {
    float low, band, high;
};
// resonance: 0 = gentle, close to 1 = ringing.
void setFilter(StateVariableFilter& f, double cutoffHz, double resonance);
FilterTaps runFilter(StateVariableFilter& f, float in);

struct OnePole {
    float z = 0.0f;
};
float lowPass(OnePole& p, float in, float coefficient);   // coefficient 0..1, larger is brighter
float onePoleCoefficient(double cutoffHz);

// Linear attack, exponential-looking decay to sustain, linear release.
struct Adsr {
    double attack, decay, sustain, release;
};
float adsrLevel(const Adsr& env, double t, double noteLength);

// Stereo ping-pong echo with a darkening feedback path.
struct EchoLine {
    std::vector<float> left, right;
    size_t pos = 0;
    OnePole dampL, dampR;
};
EchoLine makeEcho(double seconds);
void runEcho(EchoLine& e, float inL, float inR, float feedback, float& outL, float& outR);

// A room of parallel damped combs and series all-passes per channel.
struct CombFilter {
    std::vector<float> buf;
    size_t pos = 0;
    float store = 0.0f;
};
struct AllPass {
    std::vector<float> buf;
    size_t pos = 0;
};
struct Room {
    CombFilter combL[8], combR[8];
    AllPass passL[4], passR[4];
    float feedback, damping;
};
Room makeRoom(float size, float damping);
void runRoom(Room& room, float inL, float inR, float& outL, float& outR);

// Constant-power pan: -1 left, 0 centre (unity on both sides), +1 right.
void panGains(float pan, float& left, float& right);
