// MP3 encoding of the finished track with libmp3lame.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Interleaved stereo 16-bit PCM at 44.1 kHz to a constant-bit-rate MP3 with an
// Info/LAME header, so decoders trim the encoder delay and padding exactly.
bool writeMp3(const std::string& path, const std::vector<int16_t>& interleaved, int kbps);
