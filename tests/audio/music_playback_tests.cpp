#include "audio/music_playback.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "disk_capture.h"
#include "music_files.h"

namespace {

std::string TempPath(const std::string& name) {
    return (std::filesystem::temp_directory_path() / name).string();
}

class MusicPlayback : public testing::Test {
protected:
    void SetUp() override {
        musicStream = 0;
        musicModule = 0;
        MusicKind = MUSIC_NONE;
    }
};

TEST(MusicKindRule, ExactLowerCaseExtensionsAfterTheLastDot) {
    EXPECT_EQ(MusicKindForName("data/ostrel&vandt_-_cube.mp3", MUSIC_NONE), MUSIC_STREAM);
    EXPECT_EQ(MusicKindForName("a.ogg", MUSIC_NONE), MUSIC_STREAM);
    EXPECT_EQ(MusicKindForName("tune.mod", MUSIC_NONE), MUSIC_MODULE);
    EXPECT_EQ(MusicKindForName("tune.s3m", MUSIC_NONE), MUSIC_MODULE);
    EXPECT_EQ(MusicKindForName("dir.mp3/tune.xm", MUSIC_NONE), MUSIC_MODULE);
    EXPECT_EQ(MusicKindForName("tune.it", MUSIC_STREAM), MUSIC_MODULE);
    // No dot: the whole name is the extension.
    EXPECT_EQ(MusicKindForName("it", MUSIC_NONE), MUSIC_MODULE);
    EXPECT_EQ(MusicKindForName("xm", MUSIC_NONE), MUSIC_MODULE);
    // Unknown or differently written extensions keep the kind chosen before.
    EXPECT_EQ(MusicKindForName("LOUD.MP3", MUSIC_NONE), MUSIC_NONE);
    EXPECT_EQ(MusicKindForName("tune.wav", MUSIC_MODULE), MUSIC_MODULE);
    EXPECT_EQ(MusicKindForName("tune.", MUSIC_STREAM), MUSIC_STREAM);
}

TEST_F(MusicPlayback, ModuleNameLoadsThroughTheModulePathAndPlays) {
    const std::string path = TempPath("voxelshow_playback_square.mod");
    WriteSquareWaveModule(path);
    const DiskCapture capture = StartDiskCapture("voxelshow_playback_module.raw");
    AudioLayer layer;
    testing::internal::CaptureStdout();
    InitAudio(layer, nullptr);
    LoadMusic(layer, path);
    StartMusic(layer);
    ASSERT_TRUE(WaitForCapturedSeconds(capture, 5.0));
    EXPECT_EQ(MusicKind, MUSIC_MODULE);
    EXPECT_NE(musicModule, 0u);
    EXPECT_EQ(musicStream, 0u);
    ShutdownAudio(layer);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(layer.device, 0u);
    const std::vector<float> captured = ReadCapturedMusic(capture);
    EXPECT_GT(RootMeanSquare(captured, 1.35, 1.85), 0.05);  // second pass of the loop
}

TEST_F(MusicPlayback, MissingStreamIsReportedAndNothingPlays) {
    StartDiskCapture("voxelshow_playback_missing.raw");
    AudioLayer layer;
    testing::internal::CaptureStdout();
    InitAudio(layer, nullptr);
    LoadMusic(layer, "/nonexistent/data/music.mp3");
    StartMusic(layer);
    ShutdownAudio(layer);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Can't open stream\n(error code: 5)\n");
    EXPECT_EQ(musicStream, 0u);
    EXPECT_EQ(MusicKind, MUSIC_STREAM);
}

TEST_F(MusicPlayback, BrokenModuleIsReported) {
    StartDiskCapture("voxelshow_playback_broken.raw");
    AudioLayer layer;
    testing::internal::CaptureStdout();
    InitAudio(layer, nullptr);
    LoadMusic(layer, "/nonexistent/song.xm");
    ShutdownAudio(layer);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Can't load music\n(error code: 5)\n");
    EXPECT_EQ(musicModule, 0u);
}

TEST_F(MusicPlayback, DeviceThatCannotOpenIsReportedAndTheRestRunsOn) {
    const std::string mp3 = TempPath("voxelshow_playback_nodevice.mp3");
    WriteSineMp3(mp3, 0.3);
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    AudioLayer layer;
    testing::internal::CaptureStdout();
    InitAudio(layer, nullptr);
    LoadMusic(layer, mp3);
    StartMusic(layer);
    ShutdownAudio(layer);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Can't initialize device\n(error code: 1)\nCan't open stream\n(error code: 4)\n");
    EXPECT_EQ(musicStream, 0u);
}

TEST_F(MusicPlayback, UnknownExtensionOpensNothingAndSaysNothing) {
    StartDiskCapture("voxelshow_playback_unknown.raw");
    AudioLayer layer;
    testing::internal::CaptureStdout();
    InitAudio(layer, nullptr);
    LoadMusic(layer, "/nonexistent/MUSIC.MP3");
    StartMusic(layer);
    ShutdownAudio(layer);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(MusicKind, MUSIC_NONE);
    EXPECT_EQ(musicStream, 0u);
    EXPECT_EQ(musicModule, 0u);
}

}  // namespace
