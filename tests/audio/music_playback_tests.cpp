#include "audio/music_playback.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "../support/fifo.h"
#include "disk_capture.h"
#include "music_files.h"

namespace {

// (The show's own .mp3, a .mod and an unknown .wav are held by the window and playback tests.)
TEST(MusicKindRule, ExtensionsAfterTheLastDotInAnyCase) {
    EXPECT_EQ(MusicKindForName("a.ogg", MUSIC_NONE), MUSIC_STREAM);
    EXPECT_EQ(MusicKindForName("A.MP3", MUSIC_NONE), MUSIC_STREAM);
    EXPECT_EQ(MusicKindForName("tune.Xm", MUSIC_STREAM), MUSIC_MODULE);
    EXPECT_EQ(MusicKindForName("tune.s3m", MUSIC_NONE), MUSIC_MODULE);
    EXPECT_EQ(MusicKindForName("dir.mp3/tune.xm", MUSIC_NONE), MUSIC_MODULE);
    EXPECT_EQ(MusicKindForName("tune.it", MUSIC_STREAM), MUSIC_MODULE);
    // No dot: the whole name is the extension.
    EXPECT_EQ(MusicKindForName("it", MUSIC_NONE), MUSIC_MODULE);
    EXPECT_EQ(MusicKindForName("xm", MUSIC_NONE), MUSIC_MODULE);
    // Unknown extensions keep the kind chosen before.
    EXPECT_EQ(MusicKindForName("tune.wav", MUSIC_MODULE), MUSIC_MODULE);
    EXPECT_EQ(MusicKindForName("tune.", MUSIC_STREAM), MUSIC_STREAM);
}

// Starts the music as the show does, shuts it down and returns what it printed. (The music
// playing is held by the window tests.)
std::string PlayAsTheShowDoes(const std::string& path) {
    musicStream = musicModule = 0;
    MusicKind = MUSIC_NONE;
    AudioLayer layer;
    testing::internal::CaptureStdout();
    InitAudio(layer, nullptr);
    LoadMusic(layer, path);
    StartMusic(layer);
    ShutdownAudio(layer);
    EXPECT_EQ(layer.device, nullptr);
    return testing::internal::GetCapturedStdout();
}

TEST(MusicPlayback, FailuresAreReportedAndNothingPlays) {
    const std::string mp3 = TempPath("voxelshow_playback_nodevice.mp3");
    WriteSineMp3(mp3, 0.3);
    const struct {
        std::string path;
        bool device;
        const char* printed;
        uint8_t kind;
    } cases[] = {
        {"/nonexistent/song.xm", true, "Can't load music\n(error code: 5)\n", MUSIC_MODULE},
        {mp3, false, "Can't initialize device\n(error code: 1)\nCan't open stream\n(error code: 4)\n",
         MUSIC_STREAM},
        {"/nonexistent/MUSIC.WAV", true, "", MUSIC_NONE},  // an unknown extension opens nothing
    };
    for (const auto& failure : cases) {
        StartDiskCapture("voxelshow_playback_failure.raw");
        if (!failure.device) {
            setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
        }
        EXPECT_EQ(PlayAsTheShowDoes(failure.path), failure.printed) << failure.path;
        EXPECT_EQ(MusicKind, failure.kind) << failure.path;
        EXPECT_EQ(musicStream, 0u) << failure.path;
        EXPECT_EQ(musicModule, 0u) << failure.path;
    }
}

// A music file that is not a regular file is refused at once (a FIFO would block the show
// before its first frame), with the reason.
TEST(MusicPlayback, OnlyARegularFileIsOpened) {
    const std::string fifo = TempPath("voxelshow_playback_fifo.mp3");
    const std::string folder = TempPath("voxelshow_playback_folder.ogg");
    MakeFifo(fifo);
    std::filesystem::create_directory(folder);
    const struct {
        std::string path, reason;
    } cases[] = {{fifo, "is a FIFO, not a regular file"}, {folder, "Is a directory"}};
    for (const auto& failure : cases) {
        setenv("SDL_AUDIODRIVER", "dummy", 1);  // a device that writes nothing on standard error
        testing::internal::CaptureStderr();
        // SDL keeps its error text for each thread until that thread frees it.
        const auto playOnItsOwnThread = [&] {
            const std::string printed = PlayAsTheShowDoes(failure.path);
            SDL_TLSCleanup();
            return printed;
        };
        EXPECT_EQ(LoadBesideFifo(fifo, playOnItsOwnThread), "Can't open stream\n(error code: 5)\n");
        EXPECT_EQ(testing::internal::GetCapturedStderr(),
                  "voxelshow: " + failure.path + ": the file could not be opened: " + failure.reason +
                      "; the show goes on without sound\n");
    }
}

}  // namespace
