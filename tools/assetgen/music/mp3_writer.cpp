#include "mp3_writer.h"

#include <lame/lame.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <stdexcept>

#include "timing.h"

namespace music {

namespace {

constexpr int kChunkFrames = 8192;

struct LameCloser {
    void operator()(lame_global_flags* flags) const { lame_close(flags); }
};
using Encoder = std::unique_ptr<lame_global_flags, LameCloser>;

Encoder OpenEncoder(const Mp3Settings& settings) {
    Encoder encoder(lame_init());
    if (!encoder) {
        throw std::runtime_error("mp3 encoder: cannot initialise");
    }
    lame_global_flags* flags = encoder.get();
    lame_set_in_samplerate(flags, kSampleRate);
    lame_set_out_samplerate(flags, kSampleRate);
    lame_set_num_channels(flags, 2);
    lame_set_mode(flags, JOINT_STEREO);
    lame_set_VBR(flags, vbr_off);
    lame_set_brate(flags, settings.kilobitsPerSecond);
    lame_set_quality(flags, settings.quality);
    lame_set_bWriteVbrTag(flags, 1);
    lame_set_write_id3tag_automatic(flags, 0);
    if (lame_init_params(flags) < 0) {
        throw std::runtime_error("mp3 encoder: settings rejected (" +
                                 std::to_string(settings.kilobitsPerSecond) + " kbit/s, quality " +
                                 std::to_string(settings.quality) + ")");
    }
    return encoder;
}

void Append(std::vector<unsigned char>& bytes, const std::vector<unsigned char>& chunk, int count) {
    if (count < 0) {
        throw std::runtime_error("mp3 encoder: failed with code " + std::to_string(count));
    }
    bytes.insert(bytes.end(), chunk.begin(), chunk.begin() + count);
}

}  // namespace

std::vector<unsigned char> EncodeMp3(const StereoBuffer& audio, const Mp3Settings& settings) {
    Encoder encoder = OpenEncoder(settings);
    std::vector<unsigned char> bytes;
    std::vector<unsigned char> chunk(kChunkFrames * 5 / 4 + 7200);
    const int size = static_cast<int>(chunk.size());
    for (long start = 0; start < audio.Frames(); start += kChunkFrames) {
        const int frames = static_cast<int>(std::min<long>(kChunkFrames, audio.Frames() - start));
        Append(bytes, chunk,
               lame_encode_buffer_ieee_float(encoder.get(), &audio.left[start], &audio.right[start], frames,
                                             chunk.data(), size));
    }
    Append(bytes, chunk, lame_encode_flush(encoder.get(), chunk.data(), size));
    // The encoder left the first frame empty for the gapless information it knows only now.
    const size_t tagSize = lame_get_lametag_frame(encoder.get(), chunk.data(), chunk.size());
    if (tagSize == 0 || tagSize > bytes.size()) {
        throw std::runtime_error("mp3 encoder: no gapless information frame");
    }
    std::copy(chunk.begin(), chunk.begin() + static_cast<long>(tagSize), bytes.begin());
    return bytes;
}

void WriteFileAtomically(const std::string& path, const std::vector<unsigned char>& bytes) {
    const std::string temporary = path + ".tmp";
    std::FILE* file = std::fopen(temporary.c_str(), "wb");
    if (file == nullptr) {
        throw std::runtime_error(path + ": cannot write: " + std::strerror(errno));
    }
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    const int savedErrno = errno;
    if (std::fclose(file) != 0 || !written) {
        std::remove(temporary.c_str());
        throw std::runtime_error(path + ": cannot write: " + std::strerror(written ? errno : savedErrno));
    }
    std::error_code error;
    std::filesystem::rename(temporary, path, error);
    if (error) {
        std::remove(temporary.c_str());
        throw std::runtime_error(path + ": cannot write: " + error.message());
    }
}

}  // namespace music
