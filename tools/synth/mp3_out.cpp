#include "tools/synth/mp3_out.h"

#include "tools/synth/dsp.h"

#include <lame.h>

#include <algorithm>
#include <cstdio>
#include <vector>

bool writeMp3(const std::string& path, const std::vector<int16_t>& interleaved, int kbps)
{
    lame_global_flags* gf = lame_init();
    if (!gf)
        return false;
    lame_set_in_samplerate(gf, kSampleRate);
    lame_set_out_samplerate(gf, kSampleRate);
    lame_set_num_channels(gf, 2);
    lame_set_mode(gf, JOINT_STEREO);
    lame_set_brate(gf, kbps);
    lame_set_VBR(gf, vbr_off);
    lame_set_quality(gf, 2);
    lame_set_bWriteVbrTag(gf, 1);
    lame_set_findReplayGain(gf, 0);
    if (lame_init_params(gf) < 0) {
        lame_close(gf);
        return false;
    }

    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) {
        lame_close(gf);
        return false;
    }
    bool ok = true;
    const int frames = int(interleaved.size() / 2);
    const int chunk = 8192;
    std::vector<unsigned char> out(size_t(1.25 * chunk + 7200));
    for (int start = 0; start < frames && ok; start += chunk) {
        const int count = std::min(chunk, frames - start);
        const int bytes = lame_encode_buffer_interleaved(gf, const_cast<short*>(interleaved.data() + 2 * start),
                                                         count, out.data(), int(out.size()));
        ok = bytes >= 0 && std::fwrite(out.data(), 1, size_t(bytes), f) == size_t(bytes);
    }
    if (ok) {
        const int bytes = lame_encode_flush(gf, out.data(), int(out.size()));
        ok = bytes >= 0 && std::fwrite(out.data(), 1, size_t(bytes), f) == size_t(bytes);
    }
    if (ok) {
        // The first frame was written blank; fill in the Info tag with the final counts.
        std::vector<unsigned char> tag(8192);
        const size_t size = lame_get_lametag_frame(gf, tag.data(), tag.size());
        ok = size > 0 && size <= tag.size() && std::fseek(f, 0, SEEK_SET) == 0 &&
             std::fwrite(tag.data(), 1, size, f) == size;
    }
    ok = (std::fclose(f) == 0) && ok;
    lame_close(gf);
    return ok;
}
