#include "audio/audio_layer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "disk_capture.h"
#include "music_files.h"

namespace {

constexpr int RATE = 44100;

// Plays a file once through a fresh layer into SDL's disk driver until `seconds` of music
// are captured, frees it, and returns the music captured.
std::vector<float> PlayAndCapture(const std::string& path, bool module, uint32_t flags, double seconds) {
    const DiskCapture capture = StartDiskCapture(std::filesystem::path(path).filename().string() + ".raw");
    AudioLayer layer;
    EXPECT_TRUE(AudioInit(layer, AUDIO_DEFAULT_DEVICE, RATE, 0, nullptr)) << AudioErrorGetCode(layer);
    const uint32_t handle = module ? AudioMusicLoad(layer, path.c_str(), 0, 0, flags, 0)
                                   : AudioStreamCreateFile(layer, path.c_str(), 0, 0, 0);
    EXPECT_NE(handle, 0u) << AudioErrorGetCode(layer);
    EXPECT_TRUE(AudioChannelPlay(layer, handle, true));
    EXPECT_TRUE(WaitForCapturedMusic(capture, seconds));
    EXPECT_TRUE(AudioChannelStop(layer, handle));
    EXPECT_TRUE(module ? AudioMusicFree(layer, handle) : AudioStreamFree(layer, handle));
    EXPECT_TRUE(AudioFree(layer));
    return ReadCapturedMusic(capture);
}

TEST(AudioLayer, OggStreamIsConvertedToTheDevicesRateAndChannels) {
    const std::string ogg = TempPath("voxelshow_layer_sine.ogg");
    WriteSineOgg(ogg, 1.0);
    // One second of a 440 Hz tone in both channels at 44100 Hz, then silence.
    const std::vector<float> captured = PlayAndCapture(ogg, false, 0, 3.0);
    EXPECT_NEAR(RootMeanSquare(captured, 0.1, 0.9), 0.5 / std::sqrt(2.0), 0.03);
    for (size_t frame = static_cast<size_t>(0.1 * RATE); frame < static_cast<size_t>(0.6 * RATE); ++frame) {
        ASSERT_FLOAT_EQ(captured[2 * frame], captured[2 * frame + 1]);
    }
    EXPECT_NEAR(UpwardCrossings(captured, 0, 0.1, 0.6), 220, 2);  // 440 Hz over half a second
    EXPECT_EQ(RootMeanSquare(captured, 1.2, 2.0), 0.0);
}

// The links of a chained file come each in its own channel count and rate, and each plays at
// its own pitch, its mono link in both channels.
TEST(AudioLayer, ChainedOggPlaysEveryLinkInItsOwnFormat) {
    const std::string ogg = TempPath("voxelshow_layer_chained.ogg");
    WriteChainedOgg(ogg, {{2, 44100, 0.5}, {2, 32000, 0.5}, {1, 22050, 0.5}, {1, 48000, 0.5}});
    const std::vector<float> captured = PlayAndCapture(ogg, false, 0, 3.0);
    const struct {
        double from;
        int leftCrossings, rightCrossings;  // 440 Hz and 660 Hz over 0.4 s
    } links[] = {{0.05, 176, 264}, {0.55, 176, 264}, {1.05, 176, 176}, {1.55, 176, 176}};
    for (const auto& link : links) {
        EXPECT_NEAR(UpwardCrossings(captured, 0, link.from, link.from + 0.4), link.leftCrossings, 2)
            << link.from;
        EXPECT_NEAR(UpwardCrossings(captured, 1, link.from, link.from + 0.4), link.rightCrossings, 2)
            << link.from;
        EXPECT_NEAR(RootMeanSquare(captured, link.from, link.from + 0.4), 0.5 / std::sqrt(2.0), 0.03)
            << link.from;
    }
    // Nothing is lost where the format changes: the music lasts its two seconds, but for the
    // last few milliseconds that SDL's converter keeps back when it resamples.
    EXPECT_GT(RootMeanSquare(captured, 1.92, 1.96), 0.3);
    EXPECT_EQ(RootMeanSquare(captured, 2.05, 2.9), 0.0);
}

// The show's looping module, and its streams played once, are held by the window tests.
TEST(AudioLayer, ModuleWithoutTheLoopFlagPlaysOnce) {
    const std::string path = TempPath("voxelshow_layer_square.mod");
    WriteSquareWaveModule(path);
    // The note sounds for the first half of the song's 1.28 s.
    const std::vector<float> once = PlayAndCapture(path, true, 0, 5.0);
    EXPECT_GT(RootMeanSquare(once, 0.05, 0.55), 0.05);
    EXPECT_EQ(RootMeanSquare(once, 1.35, 2.9), 0.0);
}

// Each misuse leaves its own code. (A missing file, one that is no music and a missing driver
// are held by the music playback test and the window tests' failure table.)
TEST(AudioLayer, EachMisuseLeavesItsOwnCode) {
    const std::string mp3 = TempPath("voxelshow_layer_codes.mp3");
    WriteSineMp3(mp3, 0.5);
    StartDiskCapture("voxelshow_layer_codes.raw");

    AudioLayer layer;
    EXPECT_EQ(AudioStreamCreateFile(layer, mp3.c_str(), 0, 0, 0), 0u);
    EXPECT_EQ(AudioErrorGetCode(layer), AUDIO_ERROR_INIT);
    EXPECT_FALSE(AudioFree(layer));
    EXPECT_EQ(AudioErrorGetCode(layer), AUDIO_ERROR_INIT);

    ASSERT_TRUE(AudioInit(layer, AUDIO_DEFAULT_DEVICE, RATE, 0, nullptr));
    EXPECT_FALSE(AudioInit(layer, AUDIO_DEFAULT_DEVICE, RATE, 0, nullptr));
    EXPECT_EQ(AudioErrorGetCode(layer), AUDIO_ERROR_ALREADY);
    EXPECT_EQ(AudioStreamCreateFile(layer, mp3.c_str(), 10, 0, 0), 0u);
    EXPECT_EQ(AudioErrorGetCode(layer), AUDIO_ERROR_PARAMETER);

    const uint32_t stream = AudioStreamCreateFile(layer, mp3.c_str(), 0, 0, 0);
    ASSERT_NE(stream, 0u);
    EXPECT_EQ(AudioErrorGetCode(layer), AUDIO_OK);
    EXPECT_FALSE(AudioMusicFree(layer, stream));
    EXPECT_EQ(AudioErrorGetCode(layer), AUDIO_ERROR_HANDLE);
    EXPECT_FALSE(AudioChannelPlay(layer, stream + 1, true));
    EXPECT_EQ(AudioErrorGetCode(layer), AUDIO_ERROR_HANDLE);
    EXPECT_TRUE(AudioStreamFree(layer, stream));
    EXPECT_FALSE(AudioStreamFree(layer, stream));
    EXPECT_TRUE(AudioFree(layer));
}

}  // namespace
