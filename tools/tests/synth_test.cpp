// Checks of the generators' own parts: the loudness meter against the standard's
// reference tone, the limiter's ceiling, the beat grid the score is laid on, notes
// starting on their sample, the encoder keeping time, and the painting kit's wrapping
// and lettering bounds.
#include "tools/paint/image_kit.h"
#include "tools/paint/lettering.h"
#include "tools/synth/dsp.h"
#include "tools/synth/instruments.h"
#include "tools/synth/master.h"
#include "tools/synth/mp3_out.h"
#include "tools/synth/score.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>

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

TEST(ToolInstruments, AHitStartsOnItsSampleAndNotBefore)
{
    Mixer m = makeMixer(1.0);
    const double at = beatTime(1);   // 0.439 s, between two samples
    kick(m, at, 1.0f);
    const size_t expected = size_t(std::llround(at * kSampleRate));
    size_t first = m.frames;
    for (size_t i = 0; i < m.frames; ++i)
        if (m.drums.left[i] != 0.0f) {
            first = i;
            break;
        }
    EXPECT_EQ(first, expected);
    float early = 0.0f;
    for (size_t i = expected; i < expected + kSampleRate / 200; ++i)
        early = std::max(early, std::abs(m.drums.left[i]));
    EXPECT_GT(early, 0.3f) << "the kick must hit at once, not fade in";
}

TEST(ToolEncoder, DecodedTrackKeepsItsLengthAndTiming)
{
    // A click every 0.407 s; after encoding and decoding, the clicks must still be
    // where they were and the length exact, or the beat drifts against the picture.
    const size_t frames = kSampleRate * 3;
    std::vector<int16_t> pcm(frames * 2, 0);
    for (int k = 0; k < 7; ++k) {
        const size_t at = size_t(std::llround(beatTime(k) * kSampleRate));
        for (size_t i = 0; i < 200; ++i) {
            const int16_t v = int16_t(20000.0 * std::sin(kTwoPi * 200.0 * double(i) / kSampleRate) *
                                      std::exp(-double(i) / 60.0));
            pcm[2 * (at + i)] = pcm[2 * (at + i) + 1] = v;
        }
    }
    const std::string path = std::string(KELVARN_TOOL_TEST_TMP) + "/clicks.mp3";
    ASSERT_TRUE(writeMp3(path, pcm, 192));
    FILE* pipe = popen(("ffmpeg -v error -nostdin -i " + path + " -f s16le -ac 2 -ar 44100 -").c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::vector<int16_t> decoded(frames * 4);
    const size_t got = std::fread(decoded.data(), sizeof(int16_t), decoded.size(), pipe);
    pclose(pipe);
    ASSERT_EQ(got / 2, frames);
    for (int k = 0; k < 7; ++k) {
        const size_t at = size_t(std::llround(beatTime(k) * kSampleRate));
        size_t first = at > 400 ? at - 400 : 0;
        while (first < at + 400 && std::abs(int(decoded[2 * first])) < 4000)
            ++first;
        EXPECT_NEAR(double(first), double(at), 44.0) << "click " << k << " moved";   // within 1 ms
    }
}

TEST(ToolPaint, TiledShapesContinueAcrossTheEdges)
{
    // A bar that leaves the right edge comes back on the left one.
    const Mask m = rasterise(64, 64, [](cairo_t* cr) {
        cairo_rectangle(cr, 56, 20, 16, 8);
        cairo_fill(cr);
    }, true);
    EXPECT_NEAR(coverageAt(m, 2, 24), 1.0f, 1e-3f);
    EXPECT_NEAR(coverageAt(m, 60, 24), 1.0f, 1e-3f);
    EXPECT_NEAR(coverageAt(m, 20, 24), 0.0f, 1e-3f);
    // A wrapping blur spreads it across the seam as much on one side as on the other.
    const Mask soft = blurMask(m, 3, 3, true);
    EXPECT_NEAR(coverageAt(soft, 0, 35), coverageAt(soft, 63, 35), 0.05f);
    EXPECT_GT(coverageAt(soft, 10, 24), 0.0f);
}

TEST(ToolPaint, LetteringStaysInsideItsMeasuredBox)
{
    LetterStyle style;
    style.capHeight = 60;
    style.stroke = 12;
    style.tracking = 7;
    for (const char* text : {"KELVARN", "T.e.v.O."}) {
        const double x0 = 10, y0 = 10, width = measureWord(text, style);
        const Mask m = rasterise(600, 100, [&](cairo_t* cr) { drawWord(cr, text, x0, y0, style); });
        double inside = 0, outside = 0;
        for (int y = 0; y < m.height; ++y)
            for (int x = 0; x < m.width; ++x) {
                const bool in = x >= x0 - 1 && x <= x0 + width + 1 && y >= y0 - 1 && y <= y0 + style.capHeight + 1;
                (in ? inside : outside) += coverageAt(m, x, y);
            }
        EXPECT_GT(inside, 1000.0) << text;
        EXPECT_EQ(outside, 0.0) << text;
    }
}
