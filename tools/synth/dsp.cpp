#include "tools/synth/dsp.h"
#include "tools/xorshift32.h"

#include <algorithm>
#include <cmath>

double midiToHz(double note)
{
    return 440.0 * std::pow(2.0, (note - 69.0) / 12.0);
}

float noiseSample(Noise& n)
{
    return float(int32_t(xorshift32(n.state))) * (1.0f / 2147483648.0f);
}

// Polynomial band-limited step: smooths the jump of a discontinuity over one sample each side.
static double polyBlep(double t, double dt)
{
    if (t < dt) {
        t /= dt;
        return t + t - t * t - 1.0;
    }
    if (t > 1.0 - dt) {
        t = (t - 1.0) / dt;
        return t * t + t + t + 1.0;
    }
    return 0.0;
}

static void advance(Oscillator& osc, double dt)
{
    osc.phase += dt;
    if (osc.phase >= 1.0)
        osc.phase -= std::floor(osc.phase);
}

float sawSample(Oscillator& osc, double hz)
{
    const double dt = std::min(hz / kSampleRate, 0.45);
    double v = 2.0 * osc.phase - 1.0;
    v -= polyBlep(osc.phase, dt);
    advance(osc, dt);
    return float(v);
}

float pulseSample(Oscillator& osc, double hz, double width)
{
    const double dt = std::min(hz / kSampleRate, 0.45);
    double v = osc.phase < width ? 1.0 : -1.0;
    v += polyBlep(osc.phase, dt);
    double shifted = osc.phase + (1.0 - width);
    shifted -= std::floor(shifted);
    v -= polyBlep(shifted, dt);
    advance(osc, dt);
    return float(v);
}

float sineSample(Oscillator& osc, double hz)
{
    const float v = float(std::sin(kTwoPi * osc.phase));
    advance(osc, hz / kSampleRate);
    return v;
}

void setFilter(StateVariableFilter& f, double cutoffHz, double resonance)
{
    cutoffHz = std::clamp(cutoffHz, 10.0, kSampleRate * 0.45);
    f.g = float(std::tan(3.141592653589793 * cutoffHz / kSampleRate));
    f.k = float(2.0 - 1.96 * std::clamp(resonance, 0.0, 1.0));
    f.a1 = 1.0f / (1.0f + f.g * (f.g + f.k));
    f.a2 = f.g * f.a1;
    f.a3 = f.g * f.a2;
}

FilterTaps runFilter(StateVariableFilter& f, float in)
{
    const float v3 = in - f.ic2;
    const float v1 = f.a1 * f.ic1 + f.a2 * v3;
    const float v2 = f.ic2 + f.a2 * f.ic1 + f.a3 * v3;
    f.ic1 = 2.0f * v1 - f.ic1;
    f.ic2 = 2.0f * v2 - f.ic2;
    return {v2, v1, in - f.k * v1 - v2};
}

float onePoleCoefficient(double cutoffHz)
{
    return float(1.0 - std::exp(-kTwoPi * cutoffHz / kSampleRate));
}

float lowPass(OnePole& p, float in, float coefficient)
{
    p.z += (in - p.z) * coefficient;
    return p.z;
}

float adsrLevel(const Adsr& env, double t, double noteLength)
{
    auto held = [&](double u) {
        if (u < env.attack)
            return u / env.attack;
        const double d = u - env.attack;
        return env.sustain + (1.0 - env.sustain) * std::exp(-d / std::max(env.decay, 1e-4));
    };
    if (t < 0.0)
        return 0.0f;
    if (t < noteLength)
        return float(held(t));
    const double r = (t - noteLength) / std::max(env.release, 1e-4);
    return r >= 1.0 ? 0.0f : float(held(noteLength) * (1.0 - r));
}

EchoLine makeEcho(double seconds)
{
    EchoLine e;
    const size_t n = size_t(std::lround(seconds * kSampleRate));
    e.left.assign(n, 0.0f);
    e.right.assign(n, 0.0f);
    return e;
}

void runEcho(EchoLine& e, float inL, float inR, float feedback, float& outL, float& outR)
{
    outL = e.left[e.pos];
    outR = e.right[e.pos];
    const float c = onePoleCoefficient(4500.0);
    // Ping-pong: each side feeds the other, the input enters on the left first.
    e.left[e.pos] = lowPass(e.dampL, inL + inR + outR * feedback, c);
    e.right[e.pos] = lowPass(e.dampR, outL * feedback, c);
    e.pos = (e.pos + 1) % e.left.size();
}

Room makeRoom(float size, float damping)
{
    static const int combLengths[8] = {1109, 1187, 1279, 1361, 1423, 1493, 1559, 1613};
    static const int passLengths[4] = {557, 443, 337, 227};
    constexpr int spread = 23;
    Room room;
    for (int i = 0; i < 8; ++i) {
        room.combL[i].buf.assign(size_t(combLengths[i]), 0.0f);
        room.combR[i].buf.assign(size_t(combLengths[i] + spread), 0.0f);
    }
    for (int i = 0; i < 4; ++i) {
        room.passL[i].buf.assign(size_t(passLengths[i]), 0.0f);
        room.passR[i].buf.assign(size_t(passLengths[i] + spread), 0.0f);
    }
    room.feedback = size;
    room.damping = damping;
    return room;
}

static float runComb(CombFilter& c, float in, float feedback, float damping)
{
    const float out = c.buf[c.pos];
    c.store = out * (1.0f - damping) + c.store * damping;
    c.buf[c.pos] = in + c.store * feedback;
    c.pos = (c.pos + 1) % c.buf.size();
    return out;
}

static float runAllPass(AllPass& a, float in)
{
    const float delayed = a.buf[a.pos];
    const float out = delayed - in;
    a.buf[a.pos] = in + delayed * 0.5f;
    a.pos = (a.pos + 1) % a.buf.size();
    return out;
}

void runRoom(Room& room, float inL, float inR, float& outL, float& outR)
{
    const float in = (inL + inR) * 0.015f;
    float l = 0.0f, r = 0.0f;
    for (int i = 0; i < 8; ++i) {
        l += runComb(room.combL[i], in, room.feedback, room.damping);
        r += runComb(room.combR[i], in, room.feedback, room.damping);
    }
    for (int i = 0; i < 4; ++i) {
        l = runAllPass(room.passL[i], l);
        r = runAllPass(room.passR[i], r);
    }
    outL = l;
    outR = r;
}

void panGains(float pan, float& left, float& right)
{
    const float a = (std::clamp(pan, -1.0f, 1.0f) + 1.0f) * 0.25f * 3.14159265f;
    left = std::cos(a) * 1.41421356f;
    right = std::sin(a) * 1.41421356f;
}
