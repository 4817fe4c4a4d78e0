#include "tools/synth/score.h"

#include <algorithm>
#include <cmath>
#include <vector>

double beatTime(double beat)
{
    return kFirstBeat + kBeatSeconds * beat;
}

double barTime(int bar)
{
    return beatTime(bar * kBeatsPerBar);
}

int nearestBar(double seconds)
{
    return int(std::lround((seconds - kFirstBeat) / (kBeatSeconds * kBeatsPerBar)));
}

int nearestBeat(double seconds)
{
    return int(std::lround((seconds - kFirstBeat) / kBeatSeconds));
}

namespace {

// Time of a sixteenth within a bar.
double at(int bar, double sixteenth)
{
    return beatTime(bar * kBeatsPerBar + sixteenth / 4.0);
}

constexpr double kSixteenth = kBeatSeconds / 4.0;

struct Chord {
    int bass;                 // bass note (MIDI)
    std::vector<int> pad;     // pad voicing
    std::vector<int> arp;     // arpeggio tones, low to high
};

// A minor and its neighbours.
const Chord kAm{33, {57, 60, 64, 69}, {57, 60, 64, 69, 72, 76}};
const Chord kF{29, {53, 57, 60, 65}, {53, 57, 60, 65, 69, 72}};
const Chord kC{36, {55, 60, 64, 67}, {55, 60, 64, 67, 72, 76}};
const Chord kG{31, {55, 59, 62, 67}, {55, 59, 62, 67, 71, 74}};
const Chord kDm{38, {57, 62, 65, 69}, {50, 53, 57, 62, 65, 69}};
const Chord kE{28, {56, 59, 64, 68}, {52, 56, 59, 64, 68, 71}};
const Chord kAm9{33, {57, 60, 64, 71}, {57, 60, 64, 71, 72, 76}};
const Chord kFmaj7{29, {53, 57, 60, 64}, {53, 57, 60, 64, 69, 72}};
const Chord kCmaj7{36, {52, 55, 59, 60}, {52, 55, 59, 60, 67, 71}};
const Chord kG6{31, {55, 59, 62, 64}, {55, 59, 62, 64, 67, 71}};

const std::vector<const Chord*> kMainLoop = {&kAm, &kF, &kC, &kG};
const std::vector<const Chord*> kCreditLoop = {&kDm, &kAm, &kF, &kE};
const std::vector<const Chord*> kTunnelLoop = {&kAm, &kAm, &kF, &kG};
const std::vector<const Chord*> kOutroLoop = {&kAm9, &kFmaj7, &kCmaj7, &kG6};

const Chord& chordOf(const std::vector<const Chord*>& loop, int barInSection)
{
    return *loop[size_t(barInSection) % loop.size()];
}

struct Note {
    double start;    // sixteenths from the phrase start
    double length;   // sixteenths
    int pitch;
};

// The main theme: eight bars over Am F C G, twice round.
const std::vector<Note> kMainTheme = {
    {0, 6, 76}, {6, 2, 74}, {8, 4, 72}, {12, 2, 71}, {14, 2, 72},
    {16, 8, 69}, {24, 2, 67}, {26, 2, 69}, {28, 4, 72},
    {32, 6, 67}, {38, 2, 64}, {40, 4, 67}, {44, 4, 72},
    {48, 6, 71}, {54, 2, 74}, {56, 4, 71}, {60, 4, 67},
    {64, 6, 76}, {70, 2, 74}, {72, 4, 72}, {76, 4, 76},
    {80, 6, 77}, {86, 2, 76}, {88, 4, 72}, {92, 4, 69},
    {96, 4, 67}, {100, 4, 72}, {104, 4, 76}, {108, 4, 79},
    {112, 8, 74}, {120, 6, 71},
};

// The credits theme: eight bars over Dm Am F E.
const std::vector<Note> kCreditTheme = {
    {0, 4, 74}, {4, 4, 77}, {8, 6, 81}, {14, 2, 79},
    {16, 8, 76}, {24, 4, 72}, {28, 4, 76},
    {32, 4, 77}, {36, 4, 76}, {40, 4, 74}, {44, 4, 72},
    {48, 8, 71}, {56, 4, 68}, {60, 4, 71},
    {64, 4, 74}, {68, 4, 77}, {72, 4, 81}, {76, 4, 86},
    {80, 6, 84}, {86, 2, 83}, {88, 8, 81},
    {96, 4, 81}, {100, 4, 79}, {104, 4, 77}, {108, 4, 76},
    {112, 12, 76},
};

// ---------------------------------------------------------------- drum patterns

void fourOnTheFloor(Mixer& m, int bar, float velocity)
{
    for (int b = 0; b < kBeatsPerBar; ++b)
        kick(m, at(bar, b * 4), velocity);
}

void backbeat(Mixer& m, int bar, float velocity, bool withSnare)
{
    for (int b : {1, 3}) {
        clap(m, at(bar, b * 4), velocity);
        if (withSnare)
            snare(m, at(bar, b * 4), velocity * 0.7f);
    }
}

void offbeatHats(Mixer& m, int bar, float velocity, bool open)
{
    for (int b = 0; b < kBeatsPerBar; ++b)
        hat(m, at(bar, b * 4 + 2), velocity, open, 0.25f);
}

void sixteenthHats(Mixer& m, int bar, float velocity)
{
    for (int s = 0; s < 16; ++s) {
        if (s % 4 == 2)
            continue;   // the offbeat belongs to the open hat
        const float accent = (s % 2) ? 0.55f : 0.8f;
        hat(m, at(bar, s), velocity * accent, false, -0.3f);
    }
}

// A roll that speeds up from eighths to thirty-seconds between two bars.
void snareRoll(Mixer& m, int fromBar, int toBar, float from, float to)
{
    const double start = fromBar * 16.0, end = toBar * 16.0;
    double s = start;
    while (s < end) {
        const double u = (s - start) / (end - start);
        const float velocity = (from + (to - from) * float(u)) * 0.7f;
        snare(m, beatTime(s / 4.0), velocity);
        s += u < 0.4 ? 2.0 : (u < 0.85 ? 1.0 : 0.5);
    }
}

void tomFill(Mixer& m, int bar)
{
    static const double pitches[8] = {190, 190, 160, 160, 130, 130, 105, 90};
    for (int i = 0; i < 8; ++i)
        tom(m, at(bar, 8 + i), pitches[i], 0.6f + 0.05f * i, (i % 2) ? 0.4f : -0.4f);
}

// ---------------------------------------------------------------- harmony parts

void padBars(Mixer& m, int from, int to, const std::vector<const Chord*>& loop, int barsPerChord, float velocity,
             float brightness, double attack)
{
    for (int bar = from; bar < to; bar += barsPerChord) {
        const int bars = std::min(barsPerChord, to - bar);
        const Chord& c = chordOf(loop, (bar - from) / barsPerChord);
        padChord(m, barTime(bar), barTime(bar + bars) - barTime(bar), c.pad, velocity, brightness, attack);
    }
}

// Bass on every beat, in step with the kick.
void beatBass(Mixer& m, int bar, const Chord& c, float brightness)
{
    for (int b = 0; b < kBeatsPerBar; ++b)
        bassNote(m, at(bar, b * 4), kBeatSeconds * 0.7, c.bass + (b == 3 ? 12 : 0), 0.9f, brightness);
}

// The driving bass: the three sixteenths after each kick.
void rollingBass(Mixer& m, int bar, const Chord& c, float brightness)
{
    for (int s = 0; s < 16; ++s) {
        if (s % 4 == 0)
            continue;
        const int note = c.bass + ((s % 4 == 2) ? 12 : 0);
        bassNote(m, at(bar, s), kSixteenth * 0.8, note, 0.85f, brightness);
    }
}

void offbeatBass(Mixer& m, int bar, const Chord& c, float brightness)
{
    for (int b = 0; b < kBeatsPerBar; ++b)
        bassNote(m, at(bar, b * 4 + 2), kBeatSeconds * 0.4, c.bass + (b == 3 ? 12 : 0), 0.95f, brightness);
}

void droneBass(Mixer& m, int bar, int bars, const Chord& c, float brightness)
{
    bassNote(m, barTime(bar), barTime(bar + bars) - barTime(bar) - 0.05, c.bass, 0.8f, brightness);
}

// Sixteenth arpeggio over the chord, up and down, alternating sides.
void arpeggio(Mixer& m, int bar, const Chord& c, int step, float velocity, float brightness)
{
    static const int order[8] = {0, 1, 2, 3, 4, 5, 4, 2};
    for (int s = 0; s < 16; s += step) {
        const int note = c.arp[size_t(order[(s / step) % 8]) % c.arp.size()];
        pluck(m, at(bar, s), kSixteenth * step * 0.9, note, velocity, (s / step) % 2 ? 0.35f : -0.35f, brightness);
    }
}

void playPhrase(Mixer& m, int bar, const std::vector<Note>& phrase, int transpose, float velocity, float pan,
                bool asBell)
{
    for (const Note& n : phrase) {
        if (asBell)
            bell(m, at(bar, n.start), n.pitch + transpose, velocity, pan, 1.0, 0.7);
        else
            lead(m, at(bar, n.start), n.length * kSixteenth * 0.92, n.pitch + transpose, velocity, pan);
    }
}

// ---------------------------------------------------------------- sections

// The opening: a clock ticks, a mechanism clanks, a pad rises. Metal hits land on
// every shake of the picture, a sweep rides the tile flip, a build the stripe wipe.
void intro(Mixer& m, int endBar)
{
    const int endBeat = endBar * kBeatsPerBar;
    for (int b = 0; b < endBeat; ++b) {
        const double t = beatTime(b);
        tick(m, t, 0.55f, (b % 2) ? 0.3f : -0.3f, (b % 2) ? 3100.0 : 4200.0);
        if (t > 3.3)
            tick(m, beatTime(b + 0.5), 0.3f, 0.5f, 5200.0);
        if (t > 9.0) {
            tick(m, beatTime(b + 0.25), 0.16f, -0.6f, 6400.0);
            tick(m, beatTime(b + 0.75), 0.16f, 0.6f, 6400.0);
        }
    }

    // The mechanism: a clank every other bar once the gear travels.
    for (int bar = 2; bar < endBar; bar += 2)
        metalHit(m, barTime(bar) + kSixteenth * 2, 0.35f, 140.0 + 15.0 * (bar % 5), (bar % 4) ? 0.5f : -0.5f);

    // The picture appears with a deep impact.
    impact(m, 6.75, 0.9f);

    // Shakes of the picture.
    static const double shakes[] = {9.90,  11.58, 13.26, 14.94, 16.62, 18.15, 19.65, 19.80, 21.54,
                                    23.04, 24.54, 24.69, 26.43, 27.87, 28.02, 28.62, 28.77};
    int i = 0;
    for (double t : shakes) {
        static const double bases[5] = {210.0, 180.0, 245.0, 160.0, 195.0};
        metalHit(m, t, 0.95f, bases[i % 5], (i % 2) ? 0.4f : -0.4f);
        ++i;
    }

    // The tile flip.
    sweep(m, 16.8, 17.7, 1.0f);

    // Rising pad from the moment the gear travels, over a low hum from the start.
    const int padStart = nearestBar(3.3);
    bassNote(m, 0.0, barTime(padStart + 1), kAm.bass, 0.5f, 0.05f);
    const Chord* chords[] = {&kAm, &kF, &kAm, &kG};
    for (int bar = padStart, k = 0; bar < endBar; bar += 4, ++k) {
        const int bars = std::min(4, endBar - bar);
        const float rise = float(bar - padStart) / float(endBar - padStart);
        padChord(m, barTime(bar), barTime(bar + bars) - barTime(bar), chords[k % 4]->pad, 0.6f + 0.5f * rise,
                 0.08f + 0.45f * rise, k == 0 ? 2.0 : 0.5);
    }

    // An engine pulse under the second picture.
    for (int bar = nearestBar(18.0); bar < endBar; ++bar)
        for (int e = 0; e < 8; ++e)
            bassNote(m, at(bar, e * 2), kSixteenth * 1.5, kAm.bass, 0.55f, 0.12f + 0.02f * float(bar % 4));

    // The build under the stripe wipe, into the first downbeat of the beat.
    riser(m, 25.5, barTime(endBar), 1.0f);
    snareRoll(m, nearestBar(25.5), endBar, 0.25f, 0.9f);
}

// The beat enters with the first card: kick on every beat, bass in step with it.
void cardOne(Mixer& m, int from, int to)
{
    crash(m, barTime(from), 0.9f);
    for (int bar = from; bar < to; ++bar) {
        const Chord& c = chordOf(kMainLoop, bar - from);
        fourOnTheFloor(m, bar, 1.0f);
        offbeatHats(m, bar, 0.6f, false);
        if (bar - from >= 4)
            for (int s = 1; s < 16; s += 2)
                hat(m, at(bar, s), 0.22f, false, -0.4f);
        beatBass(m, bar, c, 0.35f + 0.02f * float(bar - from));
        if (bar - from >= 4)
            arpeggio(m, bar, c, 1, 0.5f, 0.3f + 0.02f * float(bar - from));
        if (bar - from >= 8)
            backbeat(m, bar, 0.7f, false);
    }
    padBars(m, from, to, kMainLoop, 1, 0.9f, 0.4f, 0.3);
    // A snare fill in the last two beats leads into the tunnel.
    for (int s = 8; s < 16; ++s)
        snare(m, at(to - 1, s), 0.3f + 0.08f * float(s - 8));
}

void drivingBar(Mixer& m, int bar, const Chord& c, float energy)
{
    fourOnTheFloor(m, bar, 1.0f);
    backbeat(m, bar, 0.85f, true);
    sixteenthHats(m, bar, 0.55f * energy);
    offbeatHats(m, bar, 0.45f * energy, true);
    rollingBass(m, bar, c, 0.45f + 0.2f * energy);
    arpeggio(m, bar, c, 1, 0.55f, 0.35f + 0.25f * energy);
}

// The tunnel: driving, a breath under the text interlude, then harder.
void tunnel(Mixer& m, int from, int quiet, int back, int to)
{
    crash(m, barTime(from), 1.0f);
    for (int bar = from; bar < quiet; ++bar)
        drivingBar(m, bar, chordOf(kTunnelLoop, bar - from), 0.8f);
    padBars(m, from, quiet, kTunnelLoop, 1, 0.85f, 0.5f, 0.2);

    // The interlude: no drums, a wide slow arpeggio in a big room.
    padBars(m, quiet, back, kMainLoop, 1, 1.1f, 0.32f, 0.6);
    for (int bar = quiet; bar < back; ++bar) {
        const Chord& c = chordOf(kMainLoop, bar - quiet);
        arpeggio(m, bar, c, 2, 0.45f, 0.22f);
        droneBass(m, bar, 1, c, 0.08f);
        for (int s = 0; s < 16; ++s)
            tick(m, at(bar, s), s % 4 ? 0.1f : 0.22f, (s % 2) ? 0.6f : -0.6f, 5600.0);
    }
    // As the text goes, a roll brings the tunnel back.
    const int endOfText = nearestBeat(66.0);
    for (int s = 0; s < 12; ++s)
        snare(m, beatTime(endOfText + s / 4.0), 0.3f + 0.06f * float(s));
    riser(m, beatTime(endOfText - 4), barTime(back), 0.8f);

    crash(m, barTime(back), 1.0f);
    for (int bar = back; bar < to; ++bar) {
        const Chord& c = chordOf(kTunnelLoop, bar - back);
        drivingBar(m, bar, c, 1.0f);
        static const double riff[4][2] = {{0, 3}, {3, 3}, {6, 2}, {10, 4}};
        static const int tones[4] = {3, 4, 5, 4};
        for (int k = 0; k < 4; ++k)
            lead(m, at(bar, riff[k][0]), riff[k][1] * kSixteenth * 0.9, c.arp[size_t(tones[k])], 0.7f, 0.1f);
        if ((bar - back) % 4 == 0 && bar != back)
            crash(m, barTime(bar), 0.7f);
    }
    padBars(m, back, to, kTunnelLoop, 1, 0.9f, 0.55f, 0.2);
    tomFill(m, to - 1);
}

// Under the second card: half time, the room opens.
void cardTwo(Mixer& m, int from, int to)
{
    const std::vector<const Chord*> loop = {&kF, &kG, &kAm, &kAm};
    crash(m, barTime(from), 0.8f);
    for (int bar = from; bar < to; ++bar) {
        const Chord& c = chordOf(loop, bar - from);
        kick(m, at(bar, 0), 1.0f);
        kick(m, at(bar, 10), 0.8f);
        snare(m, at(bar, 8), 0.9f);
        clap(m, at(bar, 8), 0.6f);
        for (int e = 0; e < 8; ++e)
            hat(m, at(bar, e * 2), e % 2 ? 0.35f : 0.5f, false, 0.3f);
        droneBass(m, bar, 1, c, 0.3f);
        arpeggio(m, bar, c, 2, 0.4f, 0.25f);
    }
    padBars(m, from, to, loop, 1, 1.0f, 0.35f, 0.4);
    riser(m, barTime(to - 1), barTime(to), 0.9f);
    snareRoll(m, to - 1, to, 0.3f, 0.9f);
}

// The credits theme: a lyrical electric piano over Dm Am F E.
void credits(Mixer& m, int from, int to)
{
    crash(m, barTime(from), 0.8f);
    for (int bar = from; bar < to; ++bar) {
        const Chord& c = chordOf(kCreditLoop, bar - from);
        const bool last = bar == to - 1;
        if (!last) {
            fourOnTheFloor(m, bar, 0.95f);
            backbeat(m, bar, 0.7f, false);
            offbeatHats(m, bar, 0.5f, false);
            for (int s = 1; s < 16; s += 2)
                hat(m, at(bar, s), 0.18f, false, 0.45f);
        }
        offbeatBass(m, bar, c, 0.45f);
        // Chord stabs on the electric piano.
        for (double s : {6.0, 14.0})
            for (size_t k = 1; k < 4; ++k)
                bell(m, at(bar, s), c.pad[k] - 12, 0.3f, k == 1 ? -0.4f : 0.4f, 1.0, 0.35);
    }
    padBars(m, from, to, kCreditLoop, 1, 0.8f, 0.35f, 0.3);
    const int themeBar = from + 4;
    playPhrase(m, themeBar, kCreditTheme, 0, 1.0f, 0.0f, true);
    for (const Note& n : kCreditTheme)
        pluck(m, at(themeBar, n.start), n.length * kSixteenth, n.pitch - 12, 0.35f, 0.2f, 0.35f);
    if (themeBar + 8 < to) {
        playPhrase(m, themeBar + 8, kCreditTheme, -12, 0.9f, -0.1f, true);
        for (int bar = themeBar + 8; bar < to - 1; ++bar)
            arpeggio(m, bar, chordOf(kCreditLoop, bar - from), 2, 0.4f, 0.35f);
    }
    tomFill(m, to - 1);
}

// A mechanical breather under a card: ticks, drone, pad, a build at the end.
void breakdown(Mixer& m, int from, int to, const std::vector<const Chord*>& loop, int buildBars)
{
    for (int bar = from; bar < to; ++bar) {
        const Chord& c = chordOf(loop, bar - from);
        droneBass(m, bar, 1, c, 0.15f);
        for (int s = 0; s < 16; ++s)
            tick(m, at(bar, s), s % 4 ? 0.14f : 0.4f, (s % 2) ? 0.4f : -0.4f, (s % 4) ? 6000.0 : 3600.0);
        if ((bar - from) % 2 == 0)
            metalHit(m, barTime(bar), 0.4f, 150.0 + 20.0 * ((bar - from) % 3), (bar % 2) ? 0.5f : -0.5f);
        if (bar >= to - buildBars) {
            offbeatHats(m, bar, 0.4f, false);
            arpeggio(m, bar, c, 1, 0.35f + 0.1f * float(bar - (to - buildBars)), 0.3f);
        }
    }
    padBars(m, from, to, loop, 1, 1.0f, 0.28f, 0.8);
    riser(m, barTime(to - buildBars), barTime(to), 1.0f);
    snareRoll(m, to - buildBars, to, 0.2f, 0.95f);
}

// Bars of the main theme's groove.
void mainGroove(Mixer& m, int bar, const Chord& c, float energy)
{
    fourOnTheFloor(m, bar, 1.0f);
    backbeat(m, bar, 0.8f, energy > 0.9f);
    sixteenthHats(m, bar, 0.45f * energy);
    offbeatHats(m, bar, 0.4f * energy, true);
    rollingBass(m, bar, c, 0.4f + 0.25f * energy);
    arpeggio(m, bar, c, 2, 0.4f, 0.3f + 0.2f * energy);
}

// The main theme under the greetings, with a chime as each name appears.
void greetings(Mixer& m, int from, int to)
{
    for (int bar = from; bar < to; ++bar)
        mainGroove(m, bar, chordOf(kMainLoop, bar - from), bar - from >= 12 ? 1.0f : 0.85f);
    padBars(m, from, to, kMainLoop, 1, 0.9f, 0.45f, 0.2);
    for (int k : {0, 4, 12, 16})
        crash(m, barTime(from + k), 0.8f);
    playPhrase(m, from + 4, kMainTheme, 0, 1.0f, 0.0f, false);
    playPhrase(m, from + 16, kMainTheme, 0, 1.0f, 0.1f, false);
    playPhrase(m, from + 16, kMainTheme, -12, 0.55f, -0.1f, false);
    for (int bar = from + 12; bar < from + 16; ++bar)
        for (double s : {0.0, 6.0, 10.0})
            bell(m, at(bar, s), chordOf(kMainLoop, bar - from).arp[5] + (s > 0 ? 0 : 12), 0.45f, 0.3f, 3.5, 0.5);

    static const double names[] = {132.3, 134.3, 136.7, 139.1, 141.5, 143.9, 147.1, 149.5, 151.9, 154.3, 156.7};
    int k = 0;
    for (double t : names) {
        const Chord& c = chordOf(kMainLoop, int((t - barTime(from)) / (kBeatSeconds * kBeatsPerBar)));
        const float pan = (k++ % 2) ? 0.5f : -0.5f;
        bell(m, t, c.arp[4] + 12, 0.8f, pan, 3.5, 0.6);
        bell(m, t + 0.09, c.arp[5] + 12, 0.6f, -pan, 3.5, 0.6);
    }
}

// The climax under the spiral columns: everything, the theme an octave up, then
// a breath and one great hit as the title appears.
void climax(Mixer& m, int from, int titleBeat)
{
    const int lastBar = titleBeat / kBeatsPerBar;   // the bar the title lands in
    for (int bar = from; bar < lastBar; ++bar) {
        const Chord& c = chordOf(kMainLoop, bar - from);
        const bool rollBar = bar == lastBar - 1;
        fourOnTheFloor(m, bar, 1.0f);
        if (!rollBar) {
            backbeat(m, bar, 0.9f, true);
            sixteenthHats(m, bar, 0.6f);
            offbeatHats(m, bar, 0.5f, true);
        }
        rollingBass(m, bar, c, 0.8f);
        arpeggio(m, bar, c, 1, 0.5f, 0.65f);
        if ((bar - from) % 4 == 0)
            crash(m, barTime(bar), 1.0f);
    }
    padBars(m, from, lastBar, kMainLoop, 1, 1.1f, 0.7f, 0.1);
    playPhrase(m, from, kMainTheme, 12, 0.8f, 0.15f, false);
    playPhrase(m, from, kMainTheme, 0, 0.75f, -0.15f, false);
    for (const Note& n : kMainTheme)
        if (n.start < 16 * 4)
            lead(m, at(from + 8, n.start), n.length * kSixteenth * 0.92, n.pitch + 12, 0.8f, 0.0f);
    snareRoll(m, lastBar - 1, lastBar, 0.4f, 1.0f);
    tomFill(m, lastBar - 1);
    riser(m, barTime(lastBar - 2), barTime(lastBar), 1.0f);

    // The title: one hit, then the room rings out on A minor.
    const double title = beatTime(titleBeat);
    impact(m, title, 1.0f);
    crash(m, title, 1.0f);
    kick(m, title, 1.0f);
    metalHit(m, title, 0.8f, 110.0, 0.0f);
    padChord(m, title, barTime(lastBar + 4) - title, kAm.pad, 1.0f, 0.4f, 0.05);
    bassNote(m, title, 2.5, kAm.bass, 0.9f, 0.3f);
    for (int k = 0; k < 4; ++k)
        bell(m, title + 1.2 + k * 1.2, kMainTheme[size_t(k)].pitch, 0.5f, k % 2 ? 0.4f : -0.4f, 3.5, 0.9);
}

// The end scroller: a calm pad, a slow echoing arpeggio, the clock again.
void outro(Mixer& m, int from)
{
    const int end = nearestBar(kSilentFrom) + 1;
    padBars(m, from, end, kOutroLoop, 2, 1.7f, 0.3f, 1.5);
    for (int bar = from; bar < end; ++bar) {
        const Chord& c = chordOf(kOutroLoop, (bar - from) / 2);
        if ((bar - from) % 2 == 0)
            droneBass(m, bar, 2, c, 0.1f);
        for (int e = 0; e < 8; ++e) {
            static const int order[8] = {0, 2, 4, 5, 3, 4, 2, 1};
            pluck(m, at(bar, e * 2), kSixteenth * 1.8, c.arp[size_t(order[e])], 0.55f, e % 2 ? 0.5f : -0.5f, 0.25f);
        }
        if (bar - from >= 12)
            for (int b = 0; b < kBeatsPerBar; ++b)
                tick(m, at(bar, b * 4), 0.3f, b % 2 ? 0.3f : -0.3f, b % 2 ? 3100.0 : 4200.0);
    }
    // The theme's opening, slowly, on a bell.
    for (size_t k = 0; k < 9; ++k)
        bell(m, at(from + 8, double(k) * 8.0), kMainTheme[k].pitch, 0.8f, 0.0f, 1.0, 1.2);
}

}  // namespace

void composeTrack(Mixer& m)
{
    const int cardOneBar = nearestBar(30.0);
    const int tunnelBar = nearestBar(52.0);
    const int interludeBar = nearestBar(60.4);
    const int tunnelBackBar = nearestBar(66.0);
    const int cardTwoBar = nearestBar(80.0);
    const int creditsBar = nearestBar(92.0);
    const int cardThreeBar = nearestBar(118.3);
    const int greetingsBar = nearestBar(128.3);
    const int cardFourBar = nearestBar(168.3);
    const int climaxBar = nearestBar(178.3);
    const int titleBeat = nearestBeat(200.7);
    const int outroBar = nearestBar(206.3);

    intro(m, cardOneBar);
    cardOne(m, cardOneBar, tunnelBar);
    tunnel(m, tunnelBar, interludeBar, tunnelBackBar, cardTwoBar);
    cardTwo(m, cardTwoBar, creditsBar);
    credits(m, creditsBar, cardThreeBar);
    breakdown(m, cardThreeBar, greetingsBar, {&kAm, &kF, &kAm, &kG}, 2);
    greetings(m, greetingsBar, cardFourBar);
    breakdown(m, cardFourBar, climaxBar, {&kF, &kG, &kAm, &kAm}, 3);
    climax(m, climaxBar, titleBeat);
    outro(m, outroBar);
}
