#include "music_files.h"

#include <vorbis/vorbisenc.h>

#include <cmath>
#include <fstream>
#include <stdexcept>

#include "mp3_writer.h"
#include "timing.h"

void WriteSquareWaveModule(const std::string& path) {
    constexpr int SAMPLE_BYTES = 64, ROWS = 64, CHANNELS = 4;
    const auto word = [](int value) {
        return std::string{static_cast<char>(value >> 8), static_cast<char>(value)};
    };
    // Sample headers: name, length in words, finetune, volume, loop start and loop length.
    std::string module = std::string(20, '\0').replace(0, 6, "square");
    module +=
        std::string(22, '\0') + word(SAMPLE_BYTES / 2) + '\0' + '\x40' + word(0) + word(SAMPLE_BYTES / 2);
    for (int sample = 1; sample < 31; ++sample) {
        module += std::string(22, '\0') + word(0) + '\0' + '\0' + word(0) + word(1);
    }
    module += std::string{1, 127} + std::string(128, '\0') + "M.K.";  // one order: pattern 0
    // Pattern cells: sample and period (0x1AC), effect and parameter. On row 0 the note at one tick
    // per row, on row 32 volume 0.
    for (int cell = 0; cell < ROWS * CHANNELS; ++cell) {
        module += cell == 0               ? std::string{1, static_cast<char>(428 & 0xFF), '\x1F', '\x01'}
                  : cell == 32 * CHANNELS ? std::string{0, 0, '\x0C', 0}
                                          : std::string(4, '\0');
    }
    for (int i = 0; i < SAMPLE_BYTES; ++i) {
        module.push_back(static_cast<char>(i < SAMPLE_BYTES / 2 ? 100 : -100));
    }
    std::ofstream(path, std::ios::binary) << module;
}

void WriteSineMp3(const std::string& path, double seconds) {
    music::StereoBuffer audio(music::SampleAt(seconds));
    for (long i = 0; i < audio.Frames(); ++i) {
        audio.left[i] = 0.5f * static_cast<float>(std::sin(2 * M_PI * 440.0 * i / music::kSampleRate));
        audio.right[i] = 0.5f * static_cast<float>(std::sin(2 * M_PI * 660.0 * i / music::kSampleRate));
    }
    music::WriteFileAtomically(path, music::EncodeMp3(audio, {}));
}

void WriteChirpMp3(const std::string& path, double seconds) {
    music::StereoBuffer audio(music::SampleAt(seconds));
    uint32_t noise = 1;
    for (long i = 0; i < audio.Frames(); ++i) {
        const double t = static_cast<double>(i) / music::kSampleRate;
        noise = noise * 1664525u + 1013904223u;
        audio.left[i] = 0.4f * static_cast<float>(std::sin(2 * M_PI * (200.0 + 300.0 * t) * t));
        audio.right[i] = 0.3f * static_cast<float>(std::sin(2 * M_PI * (3000.0 - 400.0 * t) * t)) +
                         0.1f * (static_cast<float>(noise >> 8) / 16777216.0f - 0.5f);
    }
    music::WriteFileAtomically(path, music::EncodeMp3(audio, {}));
}

namespace {

void WriteOggPages(ogg_stream_state& stream, std::ofstream& file, bool flush) {
    ogg_page page;
    while (flush ? ogg_stream_flush(&stream, &page) : ogg_stream_pageout(&stream, &page)) {
        file.write(reinterpret_cast<const char*>(page.header), page.header_len);
        file.write(reinterpret_cast<const char*>(page.body), page.body_len);
    }
}

// Encodes one stream of sines (440 Hz in the first channel, 660 Hz in any second) and appends
// its pages to `file`; streams written one after the other make a chained file.
void WriteOggLink(std::ofstream& file, const OggLink& link, int serial) {
    const int frames = static_cast<int>(link.seconds * link.rate);
    vorbis_info info;
    vorbis_info_init(&info);
    if (vorbis_encode_init_vbr(&info, link.channels, link.rate, 0.5f) != 0) {
        throw std::runtime_error("ogg encoder set-up failed");
    }
    vorbis_comment comment;
    vorbis_comment_init(&comment);
    vorbis_dsp_state dsp;
    vorbis_analysis_init(&dsp, &info);
    vorbis_block block;
    vorbis_block_init(&dsp, &block);
    ogg_stream_state stream;
    ogg_stream_init(&stream, serial);
    ogg_packet header, commentHeader, codeHeader;
    vorbis_analysis_headerout(&dsp, &comment, &header, &commentHeader, &codeHeader);
    ogg_stream_packetin(&stream, &header);
    ogg_stream_packetin(&stream, &commentHeader);
    ogg_stream_packetin(&stream, &codeHeader);
    WriteOggPages(stream, file, true);
    float** buffer = vorbis_analysis_buffer(&dsp, frames);
    for (int channel = 0; channel < link.channels; ++channel) {
        const double frequency = channel == 0 ? 440.0 : 660.0;
        for (int i = 0; i < frames; ++i) {
            buffer[channel][i] = 0.5f * static_cast<float>(std::sin(2 * M_PI * frequency * i / link.rate));
        }
    }
    vorbis_analysis_wrote(&dsp, frames);
    vorbis_analysis_wrote(&dsp, 0);
    ogg_packet packet;
    while (vorbis_analysis_blockout(&dsp, &block) == 1) {
        vorbis_analysis(&block, nullptr);
        vorbis_bitrate_addblock(&block);
        while (vorbis_bitrate_flushpacket(&dsp, &packet)) {
            ogg_stream_packetin(&stream, &packet);
            WriteOggPages(stream, file, false);
        }
    }
    WriteOggPages(stream, file, true);
    ogg_stream_clear(&stream);
    vorbis_block_clear(&block);
    vorbis_dsp_clear(&dsp);
    vorbis_comment_clear(&comment);
    vorbis_info_clear(&info);
}

}  // namespace

void WriteChainedOgg(const std::string& path, const std::vector<OggLink>& links) {
    std::ofstream file(path, std::ios::binary);
    for (size_t i = 0; i < links.size(); ++i) {
        WriteOggLink(file, links[i], static_cast<int>(i) + 1);
    }
}

void WriteSineOgg(const std::string& path, double seconds) {
    WriteChainedOgg(path, {{1, 22050, seconds}});
}
