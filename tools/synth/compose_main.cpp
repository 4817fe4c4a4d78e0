// kelvarn-compose: renders the show's music and encodes it.
//   kelvarn-compose <out.mp3>        render, master to the target loudness, encode
//   kelvarn-compose --hash           render and print a hash of the final PCM only
//   kelvarn-compose --wav <out.wav>  render and write the final PCM as WAV
#include "tools/synth/dsp.h"
#include "tools/synth/master.h"
#include "tools/synth/mp3_out.h"
#include "tools/synth/score.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

constexpr double kTargetLufs = -14.0;
constexpr float kCeiling = 0.822f;   // -1.7 dBFS, leaving room for the encoder's overshoot

std::vector<int16_t> renderTrack(bool verbose)
{
    Mixer m = makeMixer(kTrackSeconds);
    composeTrack(m);
    const Stereo mix = mixDown(m, kBeatSeconds * 0.75);

    // Set the gain so the limited, faded master lands on the target loudness.
    MasterSettings settings;
    settings.ceiling = kCeiling;
    settings.fadeFrom = kFadeFrom;
    settings.fadeTo = kSilentFrom;
    settings.gainDb = kTargetLufs - integratedLoudness(mix);
    Stereo master;
    for (int pass = 0; pass < 4; ++pass) {
        master = masterBus(mix, settings);
        const double lufs = integratedLoudness(master);
        if (verbose)
            std::fprintf(stderr, "pass %d: gain %+.2f dB, %.2f LUFS, peak %.2f dBFS\n", pass, settings.gainDb, lufs,
                         20.0 * std::log10(peakLevel(master)));
        if (std::abs(lufs - kTargetLufs) < 0.1)
            break;
        settings.gainDb += kTargetLufs - lufs;
    }
    return toPcm16(master);
}

bool writeWav(const std::string& path, const std::vector<int16_t>& pcm)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    auto u32 = [&](uint32_t v) { std::fwrite(&v, 4, 1, f); };
    auto u16 = [&](uint16_t v) { std::fwrite(&v, 2, 1, f); };
    const uint32_t bytes = uint32_t(pcm.size() * 2);
    std::fwrite("RIFF", 1, 4, f);
    u32(36 + bytes);
    std::fwrite("WAVEfmt ", 1, 8, f);
    u32(16);
    u16(1);
    u16(2);
    u32(kSampleRate);
    u32(kSampleRate * 4);
    u16(4);
    u16(16);
    std::fwrite("data", 1, 4, f);
    u32(bytes);
    const bool ok = std::fwrite(pcm.data(), 2, pcm.size(), f) == pcm.size();
    return (std::fclose(f) == 0) && ok;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 2 && std::strcmp(argv[1], "--hash") == 0) {
        std::printf("%016llx\n", (unsigned long long)pcmHash(renderTrack(false)));
        return 0;
    }
    if (argc == 3 && std::strcmp(argv[1], "--wav") == 0)
        return writeWav(argv[2], renderTrack(true)) ? 0 : 1;
    if (argc != 2 || argv[1][0] == '-') {
        std::fprintf(stderr, "usage: %s <out.mp3> | --hash | --wav <out.wav>\n", argv[0]);
        return 2;
    }
    const std::vector<int16_t> pcm = renderTrack(true);
    if (!writeMp3(argv[1], pcm, 192)) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    std::printf("wrote %s (%.1f s)\n", argv[1], double(pcm.size() / 2) / kSampleRate);
    return 0;
}
