// Checks of the generators' own parts: the loudness meter against the standard's
// reference tone, the limiter's ceiling, the beat grid the score is laid on, and the
// seamless noise of the tunnel walls.
#include "tools/paint/image_kit.h"
#include "tools/synth/dsp.h"
#include "tools/synth/master.h"
#include "tools/synth/score.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

Stereo sine(double hz, double amplitude, double seconds)
{
    Stereo s;
    const size_t n = size_t(seconds * kSampleRate);
    for (size_t i = 0; i < n; ++i) {
        const float v = float(amplitude * std::sin(kTwoPi * hz * double(i) / kSampleRate));
        s.left.push_back(v);
        s.right.push_back(v);
    }
    return s;
}

}  // namespace

TEST(ToolLoudness, ReferenceToneReadsItsLevel)
{
    // A 997 Hz tone at -20 dBFS in both channels reads -20 LUFS.
    EXPECT_NEAR(integratedLoudness(sine(997.0, 0.1, 5.0)), -20.0, 0.1);
}

TEST(ToolLoudness, SilenceIsGatedOut)
{
    Stereo s = sine(997.0, 0.1, 4.0);
    s.left.resize(s.left.size() * 3, 0.0f);
    s.right.resize(s.right.size() * 3, 0.0f);
    EXPECT_NEAR(integratedLoudness(s), -20.0, 0.2);
}

TEST(ToolMaster, LimiterHoldsTheCeilingAndLeavesQuietMaterialAlone)
{
    Stereo loud = sine(60.0, 0.5, 2.0);
    for (size_t i = 0; i < loud.left.size(); i += 4000)
        loud.left[i] = 3.0f;   // isolated spikes far over the top
    MasterSettings settings;
    settings.gainDb = 6.0;
    settings.ceiling = 0.8f;
    settings.fadeFrom = settings.fadeTo = 100.0;
    EXPECT_LE(peakLevel(masterBus(loud, settings)), 0.8f + 1e-6f);

    const Stereo quiet = sine(440.0, 0.2, 1.0);
    settings.gainDb = 0.0;
    Stereo out = masterBus(quiet, settings);
    // Past the DC filter's settling, the quiet tone comes through at its own level.
    out.left.erase(out.left.begin(), out.left.begin() + kSampleRate / 2);
    out.right.erase(out.right.begin(), out.right.begin() + kSampleRate / 2);
    EXPECT_NEAR(peakLevel(out), 0.2f, 0.002f);
}

TEST(ToolMaster, FadeEndsInSilence)
{
    MasterSettings settings;
    settings.fadeFrom = 0.5;
    settings.fadeTo = 1.0;
    const Stereo out = masterBus(sine(440.0, 0.5, 1.5), settings);
    for (size_t i = size_t(1.0 * kSampleRate); i < out.left.size(); ++i)
        ASSERT_EQ(out.left[i], 0.0f) << "at sample " << i;
}

TEST(ToolScore, SectionsChangeOnTheBarNearestEachSlot)
{
    // The first card's beat windows open at 30150 ms: a beat of the grid.
    EXPECT_NEAR(beatTime(74), 30.150, 1e-9);
    const double slots[] = {30.0, 52.0, 80.0, 92.0, 118.3, 128.3, 168.3, 178.3, 206.3};
    for (double slot : slots) {
        const int bar = nearestBar(slot);
        EXPECT_LE(std::abs(barTime(bar) - slot), kBeatSeconds * kBeatsPerBar / 2 + 1e-9) << slot;
    }
    EXPECT_NEAR(beatTime(nearestBeat(200.7)), 200.7, kBeatSeconds / 2);
}

TEST(ToolOscillators, SawStaysInRangeAndCentred)
{
    Oscillator osc;
    double sum = 0.0, peak = 0.0;
    const int n = kSampleRate;
    for (int i = 0; i < n; ++i) {
        const float v = sawSample(osc, 1234.5);
        sum += v;
        peak = std::max(peak, double(std::abs(v)));
    }
    EXPECT_NEAR(sum / n, 0.0, 0.01);
    EXPECT_LE(peak, 1.05);
}

TEST(ToolPaint, TileNoiseRepeatsWithItsPeriod)
{
    for (float x : {0.3f, 2.7f, 5.5f})
        for (float y : {0.1f, 3.9f})
            EXPECT_NEAR(tileNoise(x + 8.0f, y - 8.0f, 8, 5), tileNoise(x, y, 8, 5), 1e-5);
}
