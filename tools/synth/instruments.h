// The instruments of the track. Each call renders one note or hit straight into the
// mixer's buses at its start time (seconds from the start of the track).
#pragma once

#include <cstddef>
#include <vector>

struct Stereo {
    std::vector<float> left, right;
};

enum class Bus { Drums, Music, Effects };

// Drums and effects play as they are; the music bus ducks under every kick.
// Both echo and reverb sends are fed by every voice after its pan.
struct Mixer {
    size_t frames = 0;
    Stereo drums, music, effects, reverbSend, echoSend;
    std::vector<double> kickTimes;
};

Mixer makeMixer(double seconds);

struct Placement {
    Bus bus;
    float pan;      // -1 left .. 1 right
    float reverb;   // send levels
    float echo;
};

void kick(Mixer& m, double at, float velocity);
void snare(Mixer& m, double at, float velocity);
void clap(Mixer& m, double at, float velocity);
void hat(Mixer& m, double at, float velocity, bool open, float pan);
void crash(Mixer& m, double at, float velocity);
void tom(Mixer& m, double at, double hz, float velocity, float pan);

void bassNote(Mixer& m, double at, double length, int note, float velocity, float brightness);
void padChord(Mixer& m, double at, double length, const std::vector<int>& notes, float velocity,
              float brightness, double attack);
void pluck(Mixer& m, double at, double length, int note, float velocity, float pan, float brightness);
void lead(Mixer& m, double at, double length, int note, float velocity, float pan);
// Two-operator FM: ratio 1 gives a soft electric piano, 3.5 a bell.
void bell(Mixer& m, double at, int note, float velocity, float pan, double ratio, double decay);

void metalHit(Mixer& m, double at, float velocity, double baseHz, float pan);
void tick(Mixer& m, double at, float velocity, float pan, double hz);
void sweep(Mixer& m, double from, double to, float velocity);
void riser(Mixer& m, double from, double to, float velocity);
void impact(Mixer& m, double at, float velocity);
