#include "tools/synth/master.h"

#include "tools/synth/dsp.h"

#include <algorithm>
#include <cmath>
#include <deque>

namespace {

// Gain of the music bus over time: it dips after every kick and recovers.
std::vector<float> duckingCurve(const Mixer& m)
{
    std::vector<float> duck(m.frames, 1.0f);
    const float depth = 0.45f;
    const double attack = 0.004, tau = 0.11;
    for (double at : m.kickTimes) {
        const size_t start = size_t(std::llround(at * kSampleRate));
        const size_t count = size_t(0.6 * kSampleRate);
        for (size_t i = 0; i < count && start + i < m.frames; ++i) {
            const double t = double(i) / kSampleRate;
            const double env = std::min(1.0, t / attack) * std::exp(-std::max(0.0, t - attack) / tau);
            duck[start + i] = std::min(duck[start + i], float(1.0 - depth * env));
        }
    }
    return duck;
}

struct Biquad {
    double b0, b1, b2, a1, a2;
    double z1 = 0.0, z2 = 0.0;
};

double runBiquad(Biquad& q, double x)
{
    const double y = q.b0 * x + q.z1;
    q.z1 = q.b1 * x - q.a1 * y + q.z2;
    q.z2 = q.b2 * x - q.a2 * y;
    return y;
}

// The two stages of the K-weighting curve for our sample rate.
void kWeighting(Biquad& shelf, Biquad& highPass)
{
    const double pi = 3.141592653589793;
    double f0 = 1681.974450955533, gain = 3.999843853973347, q = 0.7071752369554196;
    double k = std::tan(pi * f0 / kSampleRate);
    const double vh = std::pow(10.0, gain / 20.0);
    const double vb = std::pow(vh, 0.4996667741545416);
    double a0 = 1.0 + k / q + k * k;
    shelf = {(vh + vb * k / q + k * k) / a0, 2.0 * (k * k - vh) / a0, (vh - vb * k / q + k * k) / a0,
             2.0 * (k * k - 1.0) / a0, (1.0 - k / q + k * k) / a0};
    f0 = 38.13547087602444;
    q = 0.5003270373238773;
    k = std::tan(pi * f0 / kSampleRate);
    a0 = 1.0 + k / q + k * k;
    highPass = {1.0, -2.0, 1.0, 2.0 * (k * k - 1.0) / a0, (1.0 - k / q + k * k) / a0};
}

}  // namespace

Stereo mixDown(const Mixer& m, double echoSeconds)
{
    Stereo out;
    out.left.assign(m.frames, 0.0f);
    out.right.assign(m.frames, 0.0f);
    const std::vector<float> duck = duckingCurve(m);
    EchoLine echo = makeEcho(echoSeconds);
    Room room = makeRoom(0.86f, 0.35f);
    for (size_t i = 0; i < m.frames; ++i) {
        float el, er;
        runEcho(echo, m.echoSend.left[i], m.echoSend.right[i], 0.42f, el, er);
        float rl, rr;
        runRoom(room, m.reverbSend.left[i] + 0.3f * el, m.reverbSend.right[i] + 0.3f * er, rl, rr);
        out.left[i] = m.drums.left[i] + m.music.left[i] * duck[i] + m.effects.left[i] + 0.55f * el + rl;
        out.right[i] = m.drums.right[i] + m.music.right[i] * duck[i] + m.effects.right[i] + 0.55f * er + rr;
    }
    return out;
}

Stereo masterBus(const Stereo& mix, const MasterSettings& settings)
{
    const size_t n = mix.left.size();
    const float gain = float(std::pow(10.0, settings.gainDb / 20.0));

    // Remove any DC and sub-sonic drift, then apply the gain.
    Stereo s = mix;
    const float c = onePoleCoefficient(18.0);
    OnePole dcL, dcR;
    for (size_t i = 0; i < n; ++i) {
        s.left[i] = (s.left[i] - lowPass(dcL, s.left[i], c)) * gain;
        s.right[i] = (s.right[i] - lowPass(dcR, s.right[i], c)) * gain;
    }

    // Look-ahead limiter: the gain each sample needs, held over the look-ahead window
    // with a smooth release, then averaged over the same window so it never steps.
    const size_t look = size_t(0.005 * kSampleRate);
    std::vector<float> need(n);
    for (size_t i = 0; i < n; ++i) {
        const float peak = std::max(std::abs(s.left[i]), std::abs(s.right[i]));
        need[i] = peak > settings.ceiling ? settings.ceiling / peak : 1.0f;
    }
    std::vector<float> hold(n);
    std::deque<size_t> window;   // indices of increasing need values: sliding minimum
    const float release = float(1.0 - std::exp(-1.0 / (0.08 * kSampleRate)));
    float held = 1.0f;
    for (size_t i = n; i-- > 0;) {
        // Minimum of need[i .. i + look - 1], built from the end backwards.
        while (!window.empty() && need[window.back()] >= need[i])
            window.pop_back();
        window.push_back(i);
        while (window.front() >= i + look)
            window.pop_front();
        hold[i] = need[window.front()];
    }
    for (size_t i = 0; i < n; ++i) {
        held = std::min(hold[i], held + (1.0f - held) * release);
        hold[i] = held;
    }
    double sum = 0.0;
    for (size_t i = 0; i < n; ++i) {
        sum += hold[i];
        if (i >= look)
            sum -= hold[i - look];
        const float g = float(sum / double(std::min(i + 1, look)));
        // Early samples average fewer values; the minimum keeps them safe.
        const float safe = i + 1 < look ? std::min(g, hold[i]) : g;
        s.left[i] *= std::min(safe, need[i]);
        s.right[i] *= std::min(safe, need[i]);
    }

    // Fade out to silence.
    for (size_t i = 0; i < n; ++i) {
        const double t = double(i) / kSampleRate;
        if (t < settings.fadeFrom)
            continue;
        const double u = std::clamp((t - settings.fadeFrom) / (settings.fadeTo - settings.fadeFrom), 0.0, 1.0);
        const float k = float(0.5 + 0.5 * std::cos(3.141592653589793 * u));
        s.left[i] *= k;
        s.right[i] *= k;
    }
    return s;
}

double integratedLoudness(const Stereo& s)
{
    const size_t n = s.left.size();
    Biquad shelfL, hpL, shelfR, hpR;
    kWeighting(shelfL, hpL);
    kWeighting(shelfR, hpR);
    // Mean square per 100 ms step; blocks are four steps (400 ms, 75 % overlap).
    const size_t step = kSampleRate / 10;
    std::vector<double> steps;
    double acc = 0.0;
    for (size_t i = 0; i < n; ++i) {
        const double l = runBiquad(hpL, runBiquad(shelfL, s.left[i]));
        const double r = runBiquad(hpR, runBiquad(shelfR, s.right[i]));
        acc += l * l + r * r;
        if ((i + 1) % step == 0) {
            steps.push_back(acc / double(step));
            acc = 0.0;
        }
    }
    std::vector<double> blocks;
    for (size_t i = 3; i < steps.size(); ++i)
        blocks.push_back((steps[i] + steps[i - 1] + steps[i - 2] + steps[i - 3]) / 4.0);
    auto loudness = [](double power) { return -0.691 + 10.0 * std::log10(std::max(power, 1e-20)); };
    auto gatedMean = [&](double threshold) {
        double sum = 0.0;
        size_t count = 0;
        for (double b : blocks)
            if (loudness(b) > threshold) {
                sum += b;
                ++count;
            }
        return count ? sum / double(count) : 0.0;
    };
    const double absolute = gatedMean(-70.0);
    return loudness(gatedMean(loudness(absolute) - 10.0));
}

float peakLevel(const Stereo& s)
{
    float peak = 0.0f;
    for (size_t i = 0; i < s.left.size(); ++i)
        peak = std::max({peak, std::abs(s.left[i]), std::abs(s.right[i])});
    return peak;
}

std::vector<int16_t> toPcm16(const Stereo& s)
{
    std::vector<int16_t> pcm(s.left.size() * 2);
    for (size_t i = 0; i < s.left.size(); ++i) {
        pcm[2 * i] = int16_t(std::clamp(std::lround(s.left[i] * 32767.0f), -32768L, 32767L));
        pcm[2 * i + 1] = int16_t(std::clamp(std::lround(s.right[i] * 32767.0f), -32768L, 32767L));
    }
    return pcm;
}

uint64_t pcmHash(const std::vector<int16_t>& pcm)
{
    uint64_t h = 1469598103934665603ull;
    for (int16_t v : pcm) {
        const uint16_t u = uint16_t(v);
        for (int b = 0; b < 2; ++b) {
            h ^= (u >> (8 * b)) & 0xFFu;
            h *= 1099511628211ull;
        }
    }
    return h;
}
