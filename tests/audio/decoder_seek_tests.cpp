#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "audio/decoder.h"
#include "disk_capture.h"
#include "music_files.h"

namespace {

constexpr int RATE = 44100;
constexpr size_t COMPARED_FRAMES = 20000;

// Up to `maxFrames` frames from where the decoder stands, interleaved.
std::vector<float> Read(Decoder& decoder, size_t maxFrames) {
    std::vector<float> frames;
    std::vector<float> chunk(4096 * static_cast<size_t>(decoder.channels));
    while (frames.size() < maxFrames * decoder.channels) {
        const int got = ReadDecoder(decoder, chunk.data(), 4096);
        if (got <= 0) {
            break;
        }
        frames.insert(frames.end(), chunk.begin(), chunk.begin() + got * decoder.channels);
    }
    frames.resize(std::min(frames.size(), maxFrames * decoder.channels));
    return frames;
}

// A seek to frame F gives, bit for bit, the frames that decoding from the start and dropping F
// frames gives, at the start, around a decoder block, deep inside, at the last frame and past the
// end, from wherever the decoder stood before. `wrap` is the length a looping module wraps at.
void ExpectSeeksEqualSkipping(Decoder& decoder, const std::vector<uint64_t>& blockEdges, uint64_t wrap = 0) {
    const size_t channels = static_cast<size_t>(decoder.channels);
    const std::vector<float> whole = Read(decoder, wrap > 0 ? 3 * wrap : SIZE_MAX / 8);
    const uint64_t total = whole.size() / channels;
    ASSERT_GT(total, 3 * COMPARED_FRAMES);
    std::vector<uint64_t> frames = {0, 1, total / 2, total - 1, total, total + 12345};
    for (uint64_t edge : blockEdges) {
        frames.insert(frames.end(), {edge - 1, edge, edge + 1});
    }
    for (uint64_t frame : frames) {
        SCOPED_TRACE(testing::Message() << "frame " << frame << " of " << total);
        SeekDecoder(decoder, total / 3);
        Read(decoder, 1000);
        SeekDecoder(decoder, frame);
        const std::vector<float> sought = Read(decoder, COMPARED_FRAMES);
        // What playing on from the start gives at each frame: nothing past the end, or, looping,
        // what it gave one loop earlier.
        std::vector<float> expected;
        for (uint64_t at = frame; at < frame + COMPARED_FRAMES && (wrap > 0 || at < total); ++at) {
            const uint64_t played = wrap > 0 && at >= total ? total - wrap + (at - total) % wrap : at;
            expected.insert(expected.end(), whole.begin() + static_cast<ptrdiff_t>(played * channels),
                            whole.begin() + static_cast<ptrdiff_t>((played + 1) * channels));
        }
        ASSERT_EQ(sought.size(), expected.size());
        EXPECT_TRUE(sought == expected);
    }
}

TEST(DecoderSeek, Mp3IsSampleExactAcrossItsFrames) {
    const std::string path = TempPath("voxelshow_seek.mp3");
    WriteChirpMp3(path, 3.0);
    Decoder decoder;
    ASSERT_EQ(OpenStreamDecoder(decoder, path.c_str()), 0);
    ASSERT_EQ(decoder.rate, RATE);
    // 1152 frames per MP3 frame; the first frame gives fewer after the encoder's delay.
    ExpectSeeksEqualSkipping(decoder, {1152, 1152 * 40, 1152 * 40 - 1105});
    CloseDecoder(decoder);
}

TEST(DecoderSeek, OggIsSampleExactAcrossItsBlocks) {
    const std::string path = TempPath("voxelshow_seek.ogg");
    WriteSineOgg(path, 3.0);
    Decoder decoder;
    ASSERT_EQ(OpenStreamDecoder(decoder, path.c_str()), 0);
    ExpectSeeksEqualSkipping(decoder, {1024, 2048, 22050 + 1024});
    CloseDecoder(decoder);
}

// A module renders from its start up to the frame; a looping one wraps frames past its length,
// so that a seek there gives what playing on through its loop gives.
TEST(DecoderSeek, ModulesRenderUpToTheFrameAndWrapWhenTheyLoop) {
    const std::string path = TempPath("voxelshow_seek.mod");
    WriteSquareWaveModule(path);
    const uint64_t length = 56448;  // 1.28 s
    for (bool loop : {false, true}) {
        SCOPED_TRACE(loop ? "looping" : "once");
        Decoder decoder;
        ASSERT_EQ(OpenModuleDecoder(decoder, path.c_str(), RATE, loop, true), 0);
        ExpectSeeksEqualSkipping(decoder, {length / 2, loop ? length : length - 2}, loop ? length : 0);
        CloseDecoder(decoder);
    }
}

}  // namespace
