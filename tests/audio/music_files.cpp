#include "music_files.h"

#include <lame/lame.h>
#include <mpg123.h>
#include <vorbis/vorbisenc.h>

#include <cmath>
#include <cstdint>
#include <fstream>
#include <stdexcept>

namespace {

constexpr int SAMPLE_BYTES = 64;
constexpr int ROWS = 64;
constexpr int CHANNELS = 4;

void PutBigEndianWord(std::string& out, int value) {
    out.push_back(static_cast<char>((value >> 8) & 0xFF));
    out.push_back(static_cast<char>(value & 0xFF));
}

std::string SampleHeader(int lengthWords, int volume, int loopStart, int loopLength) {
    std::string header(22, '\0');
    PutBigEndianWord(header, lengthWords);
    header.push_back('\0');  // finetune
    header.push_back(static_cast<char>(volume));
    PutBigEndianWord(header, loopStart);
    PutBigEndianWord(header, loopLength);
    return header;
}

// One pattern cell: sample number, period, effect and its parameter.
std::string Cell(int sample, int period, int effect, int parameter) {
    std::string cell(4, '\0');
    cell[0] = static_cast<char>((sample & 0xF0) | ((period >> 8) & 0x0F));
    cell[1] = static_cast<char>(period & 0xFF);
    cell[2] = static_cast<char>(((sample & 0x0F) << 4) | effect);
    cell[3] = static_cast<char>(parameter);
    return cell;
}

}  // namespace

void WriteSquareWaveModule(const std::string& path) {
    std::string module(20, '\0');
    module.replace(0, 6, "square");
    module += SampleHeader(SAMPLE_BYTES / 2, 64, 0, SAMPLE_BYTES / 2);
    for (int sample = 1; sample < 31; ++sample) {
        module += SampleHeader(0, 0, 0, 1);
    }
    module.push_back(1);               // song length: one order
    module.push_back(127);             // restart byte
    module += std::string(128, '\0');  // order table: pattern 0
    module += "M.K.";
    for (int row = 0; row < ROWS; ++row) {
        for (int channel = 0; channel < CHANNELS; ++channel) {
            if (channel == 0 && row == 0) {
                module += Cell(1, 428, 0xF, 0x01);  // the note, at one tick per row
            } else if (channel == 0 && row == 32) {
                module += Cell(0, 0, 0xC, 0x00);  // volume 0
            } else {
                module += Cell(0, 0, 0, 0);
            }
        }
    }
    for (int i = 0; i < SAMPLE_BYTES; ++i) {
        module.push_back(static_cast<char>(i < SAMPLE_BYTES / 2 ? 100 : -100));
    }
    std::ofstream(path, std::ios::binary) << module;
}

void WriteSineMp3(const std::string& path, double seconds) {
    const int rate = 44100;
    const int frames = static_cast<int>(seconds * rate);
    std::vector<float> left(frames);
    std::vector<float> right(frames);
    for (int i = 0; i < frames; ++i) {
        left[i] = 0.5f * static_cast<float>(std::sin(2 * M_PI * 440.0 * i / rate));
        right[i] = 0.5f * static_cast<float>(std::sin(2 * M_PI * 660.0 * i / rate));
    }
    lame_global_flags* encoder = lame_init();
    lame_set_in_samplerate(encoder, rate);
    lame_set_num_channels(encoder, 2);
    lame_set_brate(encoder, 128);
    if (lame_init_params(encoder) < 0) {
        throw std::runtime_error("mp3 encoder set-up failed");
    }
    std::vector<unsigned char> mp3(frames * 5 / 4 + 7200 + 16384);
    int size = lame_encode_buffer_ieee_float(encoder, left.data(), right.data(), frames, mp3.data(),
                                             static_cast<int>(mp3.size()));
    size += lame_encode_flush(encoder, mp3.data() + size, static_cast<int>(mp3.size()) - size);
    lame_close(encoder);
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(mp3.data()), size);
}

std::vector<float> DecodeMp3(const std::string& path) {
    mpg123_handle* handle = mpg123_new(nullptr, nullptr);
    mpg123_param(handle, MPG123_ADD_FLAGS, MPG123_QUIET, 0.0);
    mpg123_format_none(handle);
    mpg123_format(handle, 44100, MPG123_STEREO, MPG123_ENC_FLOAT_32);
    std::vector<float> samples;
    if (mpg123_open(handle, path.c_str()) == MPG123_OK) {
        float chunk[4096];
        size_t done = 0;
        int result = MPG123_OK;
        while ((result = mpg123_read(handle, chunk, sizeof chunk, &done)) == MPG123_OK ||
               result == MPG123_NEW_FORMAT || done > 0) {
            samples.insert(samples.end(), chunk, chunk + done / sizeof(float));
            if (result == MPG123_DONE) {
                break;
            }
        }
        mpg123_close(handle);
    }
    mpg123_delete(handle);
    return samples;
}

namespace {

void WriteOggPages(ogg_stream_state& stream, std::ofstream& file, bool flush) {
    ogg_page page;
    while (flush ? ogg_stream_flush(&stream, &page) : ogg_stream_pageout(&stream, &page)) {
        file.write(reinterpret_cast<const char*>(page.header), page.header_len);
        file.write(reinterpret_cast<const char*>(page.body), page.body_len);
    }
}

}  // namespace

void WriteSineOgg(const std::string& path, double seconds) {
    const int rate = 22050;
    const int frames = static_cast<int>(seconds * rate);
    vorbis_info info;
    vorbis_info_init(&info);
    if (vorbis_encode_init_vbr(&info, 1, rate, 0.5f) != 0) {
        throw std::runtime_error("ogg encoder set-up failed");
    }
    vorbis_comment comment;
    vorbis_comment_init(&comment);
    vorbis_dsp_state dsp;
    vorbis_analysis_init(&dsp, &info);
    vorbis_block block;
    vorbis_block_init(&dsp, &block);
    ogg_stream_state stream;
    ogg_stream_init(&stream, 1);
    ogg_packet header, commentHeader, codeHeader;
    vorbis_analysis_headerout(&dsp, &comment, &header, &commentHeader, &codeHeader);
    ogg_stream_packetin(&stream, &header);
    ogg_stream_packetin(&stream, &commentHeader);
    ogg_stream_packetin(&stream, &codeHeader);
    std::ofstream file(path, std::ios::binary);
    WriteOggPages(stream, file, true);
    float** buffer = vorbis_analysis_buffer(&dsp, frames);
    for (int i = 0; i < frames; ++i) {
        buffer[0][i] = 0.5f * static_cast<float>(std::sin(2 * M_PI * 440.0 * i / rate));
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
