#pragma once
#include <string>
#include <vector>

#include "stereo_buffer.h"

namespace music {

struct Mp3Settings {
    int kilobitsPerSecond = 256;  // constant bit rate
    int quality = 3;              // encoder effort: 0 best and slowest, 9 fastest
};

// Encodes the buffer (44.1 kHz stereo, full scale 1.0) to MP3 bytes. The first frame carries
// the encoder's gapless information, so decoders that read it drop the encoder's delay and
// padding and give back exactly the buffer's length. Throws std::runtime_error on failure.
std::vector<unsigned char> EncodeMp3(const StereoBuffer& audio, const Mp3Settings& settings);

// Writes the bytes to `path` through a temporary file beside it, so a failed run never leaves a
// partial file behind. Throws std::runtime_error naming the path and the reason.
void WriteFileAtomically(const std::string& path, const std::vector<unsigned char>& bytes);

}  // namespace music
