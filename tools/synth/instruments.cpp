#include "tools/synth/instruments.h"

#include "tools/synth/dsp.h"

#include <algorithm>
#include <cmath>

namespace {

Stereo& busOf(Mixer& m, Bus bus)
{
    switch (bus) {
    case Bus::Drums:
        return m.drums;
    case Bus::Music:
        return m.music;
    case Bus::Effects:
        break;
    }
    return m.effects;
}

size_t frameOf(double seconds)
{
    return size_t(std::llround(std::max(0.0, seconds) * kSampleRate));
}

// Every voice gets noise of its own, seeded by where it starts.
Noise noiseFor(double at, uint32_t salt)
{
    Noise n;
    n.state = (uint32_t(frameOf(at)) * 2654435761u) ^ (salt * 0x9E3779B9u) ^ 0xA5A5A5A5u;
    if (n.state == 0)
        n.state = 1;
    return n;
}

// Renders sample(t) -> (left, right) for `length` seconds from `at` and places it.
template <typename Fn>
void renderStereo(Mixer& m, const Placement& p, double at, double length, Fn&& sample)
{
    const size_t start = frameOf(at);
    const size_t count = size_t(length * kSampleRate);
    float gl, gr;
    panGains(p.pan, gl, gr);
    Stereo& bus = busOf(m, p.bus);
    for (size_t i = 0; i < count && start + i < m.frames; ++i) {
        float l, r;
        sample(double(i) / kSampleRate, l, r);
        l *= gl;
        r *= gr;
        const size_t k = start + i;
        bus.left[k] += l;
        bus.right[k] += r;
        m.reverbSend.left[k] += l * p.reverb;
        m.reverbSend.right[k] += r * p.reverb;
        m.echoSend.left[k] += l * p.echo;
        m.echoSend.right[k] += r * p.echo;
    }
}

template <typename Fn>
void renderMono(Mixer& m, const Placement& p, double at, double length, Fn&& sample)
{
    renderStereo(m, p, at, length, [&](double t, float& l, float& r) { l = r = sample(t); });
}

float decay(double t, double tau)
{
    return float(std::exp(-t / tau));
}

// The six detuned square waves of a metallic cymbal.
float metalCluster(Oscillator* oscs, double scale)
{
    static const double ratios[6] = {263.0, 400.0, 421.0, 474.0, 587.0, 845.0};
    float sum = 0.0f;
    for (int i = 0; i < 6; ++i)
        sum += pulseSample(oscs[i], ratios[i] * scale, 0.5);
    return sum / 6.0f;
}

}  // namespace

Mixer makeMixer(double seconds)
{
    Mixer m;
    m.frames = frameOf(seconds);
    for (Stereo* s : {&m.drums, &m.music, &m.effects, &m.reverbSend, &m.echoSend}) {
        s->left.assign(m.frames, 0.0f);
        s->right.assign(m.frames, 0.0f);
    }
    return m;
}

void kick(Mixer& m, double at, float velocity)
{
    m.kickTimes.push_back(at);
    Oscillator body;
    Noise noise = noiseFor(at, 1);
    StateVariableFilter clickFilter;
    setFilter(clickFilter, 3000.0, 0.1);
    renderMono(m, {Bus::Drums, 0.0f, 0.02f, 0.0f}, at, 0.7, [&](double t) {
        const double hz = 46.0 + 100.0 * std::exp(-t / 0.045) + 80.0 * std::exp(-t / 0.008);
        const float amp = float(std::min(1.0, t / 0.0005)) * decay(t, 0.22);
        const float click = runFilter(clickFilter, noiseSample(noise)).high * decay(t, 0.003) * 0.5f;
        return std::tanh(1.8f * (sineSample(body, hz) * amp + click)) * 0.9f * velocity;
    });
}

void snare(Mixer& m, double at, float velocity)
{
    Oscillator low, high;
    Noise noise = noiseFor(at, 2);
    StateVariableFilter f;
    setFilter(f, 1900.0, 0.3);
    renderMono(m, {Bus::Drums, 0.05f, 0.22f, 0.02f}, at, 0.5, [&](double t) {
        const float tone = (sineSample(low, 185.0) + 0.6f * sineSample(high, 330.0)) * decay(t, 0.05) * 0.5f;
        const FilterTaps n = runFilter(f, noiseSample(noise));
        return (tone + (n.band + 0.5f * n.high) * decay(t, 0.14) * 0.9f) * 0.6f * velocity;
    });
}

void clap(Mixer& m, double at, float velocity)
{
    Noise noise = noiseFor(at, 3);
    StateVariableFilter f;
    setFilter(f, 1150.0, 0.5);
    renderMono(m, {Bus::Drums, -0.1f, 0.35f, 0.03f}, at, 0.6, [&](double t) {
        float env = 0.0f;
        for (int k = 0; k < 3; ++k)
            if (t >= k * 0.011)
                env += decay(t - k * 0.011, 0.0045);
        if (t >= 0.022)
            env += decay(t - 0.022, 0.16);
        return runFilter(f, noiseSample(noise)).band * env * 1.1f * velocity;
    });
}

void hat(Mixer& m, double at, float velocity, bool open, float pan)
{
    Oscillator oscs[6];
    Noise noise = noiseFor(at, 4);
    StateVariableFilter f;
    setFilter(f, 7200.0, 0.2);
    const double tau = open ? 0.22 : 0.03;
    renderMono(m, {Bus::Drums, pan, 0.08f, 0.0f}, at, open ? 0.9 : 0.18, [&](double t) {
        const float source = metalCluster(oscs, 1.7) + 0.5f * noiseSample(noise);
        return runFilter(f, source).high * decay(t, tau) * 0.3f * velocity;
    });
}

void crash(Mixer& m, double at, float velocity)
{
    Oscillator oscs[6];
    Noise left = noiseFor(at, 5), right = noiseFor(at, 6);
    StateVariableFilter fl, fr;
    setFilter(fl, 4500.0, 0.1);
    setFilter(fr, 4700.0, 0.1);
    renderStereo(m, {Bus::Drums, 0.0f, 0.3f, 0.0f}, at, 3.5, [&](double t, float& l, float& r) {
        const float metal = metalCluster(oscs, 2.3) * 0.6f;
        const float env = (decay(t, 1.1f) + 0.6f * decay(t, 0.05)) * 0.22f * velocity;
        l = runFilter(fl, metal + noiseSample(left)).high * env;
        r = runFilter(fr, metal + noiseSample(right)).high * env;
    });
}

void tom(Mixer& m, double at, double hz, float velocity, float pan)
{
    Oscillator body;
    Noise noise = noiseFor(at, 7);
    renderMono(m, {Bus::Drums, pan, 0.2f, 0.0f}, at, 0.8, [&](double t) {
        const double f = hz * (1.0 + 0.6 * std::exp(-t / 0.05));
        const float click = noiseSample(noise) * decay(t, 0.004) * 0.3f;
        return (sineSample(body, f) * decay(t, 0.22) + click) * 0.7f * velocity;
    });
}

void bassNote(Mixer& m, double at, double length, int note, float velocity, float brightness)
{
    const double hz = midiToHz(note);
    Oscillator saw, sub, pulse;
    StateVariableFilter f;
    const Adsr env{0.003, 0.15, 0.7, 0.03};
    int counter = 0;
    renderMono(m, {Bus::Music, 0.0f, 0.02f, 0.0f}, at, length + env.release, [&](double t) {
        if (counter++ % 8 == 0)
            setFilter(f, 110.0 + brightness * (260.0 + 2200.0 * std::exp(-t / 0.09)), 0.35);
        const float raw = sawSample(saw, hz) + 0.4f * pulseSample(pulse, hz * 1.003, 0.3);
        const float low = runFilter(f, raw).low;
        return (low + 0.55f * sineSample(sub, hz)) * adsrLevel(env, t, length) * 0.42f * velocity;
    });
}

void padChord(Mixer& m, double at, double length, const std::vector<int>& notes, float velocity,
              float brightness, double attack)
{
    const Adsr env{attack, 0.6, 0.85, 1.4};
    static const double detune[3] = {-0.11, 0.0, 0.12};
    static const float pans[3] = {-0.75f, 0.0f, 0.75f};
    for (size_t n = 0; n < notes.size(); ++n) {
        Oscillator oscs[3];
        for (int v = 0; v < 3; ++v)
            oscs[v].phase = 0.13 * v + 0.07 * double(n);   // spread phases so voices never start in step
        StateVariableFilter fl, fr, lowCutL, lowCutR;
        setFilter(lowCutL, 200.0, 0.0);
        setFilter(lowCutR, 200.0, 0.0);
        int counter = 0;
        const double lfoRate = 0.11 + 0.03 * double(n);
        renderStereo(m, {Bus::Music, 0.0f, 0.42f, 0.05f}, at, length + env.release, [&](double t, float& l, float& r) {
            if (counter++ % 16 == 0) {
                const double sweep = 0.6 + 0.4 * std::sin(kTwoPi * lfoRate * t);
                const double cutoff = 280.0 + brightness * 2600.0 * sweep;
                setFilter(fl, cutoff, 0.25);
                setFilter(fr, cutoff * 1.07, 0.25);
            }
            float sl = 0.0f, sr = 0.0f;
            for (int v = 0; v < 3; ++v) {
                const float s = sawSample(oscs[v], midiToHz(notes[n] + detune[v]));
                float gl, gr;
                panGains(pans[v], gl, gr);
                sl += s * gl;
                sr += s * gr;
            }
            const float level = adsrLevel(env, t, length) * 0.075f * velocity;
            // The pad keeps out of the kick's and the bass's range.
            l = runFilter(lowCutL, runFilter(fl, sl).low).high * level;
            r = runFilter(lowCutR, runFilter(fr, sr).low).high * level;
        });
    }
}

void pluck(Mixer& m, double at, double length, int note, float velocity, float pan, float brightness)
{
    const double hz = midiToHz(note);
    Oscillator saw, pulse;
    StateVariableFilter f;
    int counter = 0;
    const double gate = length + 0.06;
    renderMono(m, {Bus::Music, pan, 0.2f, 0.35f}, at, std::min(gate, 1.2), [&](double t) {
        if (counter++ % 8 == 0)
            setFilter(f, 220.0 + brightness * 5200.0 * std::exp(-t / 0.12), 0.45);
        const float raw = 0.6f * sawSample(saw, hz) + 0.4f * pulseSample(pulse, hz, 0.25);
        const float attack = float(std::min(1.0, t / 0.002));
        const float release = t > length ? float(std::max(0.0, 1.0 - (t - length) / 0.06)) : 1.0f;
        return runFilter(f, raw).low * attack * release * decay(t, 0.35) * 0.3f * velocity;
    });
}

void lead(Mixer& m, double at, double length, int note, float velocity, float pan)
{
    Oscillator a, b, sub, vibrato;
    StateVariableFilter f;
    const Adsr env{0.012, 0.3, 0.75, 0.14};
    int counter = 0;
    renderMono(m, {Bus::Music, pan, 0.25f, 0.28f}, at, length + env.release, [&](double t) {
        if (counter++ % 8 == 0)
            setFilter(f, 1400.0 + 3200.0 * std::exp(-t / 0.25), 0.3);
        const double depth = 0.18 * std::clamp((t - 0.15) / 0.3, 0.0, 1.0);
        const double bend = depth * sineSample(vibrato, 5.3);
        const float raw = sawSample(a, midiToHz(note + bend - 0.07)) + sawSample(b, midiToHz(note + bend + 0.07)) +
                          0.3f * pulseSample(sub, midiToHz(note + bend - 12.0), 0.5);
        return runFilter(f, raw).low * adsrLevel(env, t, length) * 0.16f * velocity;
    });
}

void bell(Mixer& m, double at, int note, float velocity, float pan, double ratio, double decayTime)
{
    const double hz = midiToHz(note);
    const double index = ratio > 1.5 ? 2.6 : 1.6;
    double carrier = 0.0, modulator = 0.0;
    renderMono(m, {Bus::Music, pan, 0.35f, 0.3f}, at, decayTime * 4.0, [&](double t) {
        const double mod = std::sin(kTwoPi * modulator) * index * std::exp(-t / (decayTime * 0.4));
        const float v = float(std::sin(kTwoPi * carrier + mod));
        carrier += hz / kSampleRate;
        modulator += hz * ratio / kSampleRate;
        carrier -= std::floor(carrier);
        modulator -= std::floor(modulator);
        return v * float(std::min(1.0, t / 0.001)) * decay(t, decayTime) * 0.28f * velocity;
    });
}

void metalHit(Mixer& m, double at, float velocity, double baseHz, float pan)
{
    static const double ratios[8] = {1.0, 1.47, 2.09, 2.56, 3.18, 4.2, 5.43, 6.79};
    static const float amps[8] = {1.0f, 0.8f, 0.7f, 0.6f, 0.5f, 0.4f, 0.3f, 0.25f};
    static const double taus[8] = {1.4, 1.1, 0.9, 0.7, 0.55, 0.4, 0.3, 0.22};
    Oscillator partials[8], thump;
    Noise noise = noiseFor(at, 8);
    StateVariableFilter f;
    setFilter(f, 3000.0, 0.5);
    float gains[8][2];
    for (int i = 0; i < 8; ++i)
        panGains(pan + ((i % 2) ? 0.45f : -0.45f), gains[i][0], gains[i][1]);
    renderStereo(m, {Bus::Effects, 0.0f, 0.6f, 0.1f}, at, 4.0, [&](double t, float& l, float& r) {
        l = r = 0.0f;
        for (int i = 0; i < 8; ++i) {
            const float s = sineSample(partials[i], baseHz * ratios[i]) * amps[i] * decay(t, taus[i]);
            l += s * gains[i][0];
            r += s * gains[i][1];
        }
        const float burst = runFilter(f, noiseSample(noise)).band * decay(t, 0.02) * 0.9f;
        const float low = sineSample(thump, 70.0) * decay(t, 0.12) * 0.6f;
        const float attack = float(std::min(1.0, t / 0.0007));
        l = (l * 0.28f + burst + low) * attack * velocity * 0.55f;
        r = (r * 0.28f + burst + low) * attack * velocity * 0.55f;
    });
}

void tick(Mixer& m, double at, float velocity, float pan, double hz)
{
    Noise noise = noiseFor(at, 9);
    Oscillator ping;
    StateVariableFilter f;
    setFilter(f, hz, 0.6);
    renderMono(m, {Bus::Effects, pan, 0.15f, 0.12f}, at, 0.09, [&](double t) {
        const float click = runFilter(f, noiseSample(noise)).band * decay(t, 0.003);
        return (click + sineSample(ping, hz * 0.6) * decay(t, 0.015) * 0.3f) * 0.45f * velocity;
    });
}

void sweep(Mixer& m, double from, double to, float velocity)
{
    const double length = to - from;
    Noise noise = noiseFor(from, 10);
    Oscillator shimmer;
    StateVariableFilter f;
    int counter = 0;
    renderStereo(m, {Bus::Effects, 0.0f, 0.4f, 0.1f}, from, length, [&](double t, float& l, float& r) {
        const double u = t / length;
        if (counter++ % 8 == 0)
            setFilter(f, 250.0 * std::pow(32.0, u), 0.75);
        const float env = float(std::pow(std::sin(3.14159265 * u), 1.5));
        const float v = (runFilter(f, noiseSample(noise)).band + 0.08f * sineSample(shimmer, 400.0 * std::pow(8.0, u))) *
                        env * 0.9f * velocity;
        float gl, gr;
        panGains(float(-0.9 + 1.8 * u), gl, gr);
        l = v * gl;
        r = v * gr;
    });
}

void riser(Mixer& m, double from, double to, float velocity)
{
    const double length = to - from;
    Noise noise = noiseFor(from, 11);
    Oscillator saw, saw2;
    StateVariableFilter hp, lp;
    int counter = 0;
    renderStereo(m, {Bus::Effects, 0.0f, 0.3f, 0.05f}, from, length, [&](double t, float& l, float& r) {
        const double u = t / length;
        if (counter++ % 8 == 0) {
            setFilter(hp, 300.0 * std::pow(24.0, u), 0.3);
            setFilter(lp, 400.0 * std::pow(12.0, u), 0.5);
        }
        const double hz = 110.0 * std::pow(4.0, u);
        const float n = runFilter(hp, noiseSample(noise)).high;
        const float tone = runFilter(lp, sawSample(saw, hz) + sawSample(saw2, hz * 1.006)).low;
        const float env = float(u * u) * 0.22f * velocity;
        l = (n + 0.35f * tone) * env;
        r = (n * 0.9f + 0.35f * tone) * env;
    });
}

void impact(Mixer& m, double at, float velocity)
{
    Oscillator body;
    Noise noise = noiseFor(at, 12);
    OnePole smooth;
    const float c = onePoleCoefficient(900.0);
    renderMono(m, {Bus::Effects, 0.0f, 0.5f, 0.0f}, at, 3.0, [&](double t) {
        const double hz = 35.0 + 80.0 * std::exp(-t / 0.15);
        const float boom = sineSample(body, hz) * decay(t, 1.0);
        const float rumble = lowPass(smooth, noiseSample(noise), c) * decay(t, 0.25) * 1.4f;
        const float attack = float(std::min(1.0, t / 0.001));
        return std::tanh(1.5f * (boom + rumble)) * attack * 0.8f * velocity;
    });
}
