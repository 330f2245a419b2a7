#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "app/headless_platform.h"
#include "app/render_frames.h"
#include "app/show.h"
#include "platform/fixed_step_clock.h"
#include "render/asset_loader.h"
#include "test_files.h"

namespace {

// Counts what the driver asks of the platform, and asks to leave after `leaveAfter` presents.
struct RecordingPlatform : HeadlessPlatform {
    void Present(const uint32_t*) override { ++presents; }
    bool ShouldLeave() override { return presents == leaveAfter; }
    void StartMusic(const char* path, uint32_t startMs) override {
        music = path;
        musicStart = startMs;
    }
    void StopMusic() override { ++stops; }
    void SetTitle(const char* text) override {
        ++titles;
        HeadlessPlatform::SetTitle(text);
    }
    int presents = 0;
    int leaveAfter = -1;
    int titles = 0;
    int stops = 0;
    std::string music;
    uint32_t musicStart = 0;
};

// Notes the state of the layers the script drives after each pass.
struct LayerWatcher : PassObserver {
    void AfterDraw(uint32_t pass, const Show& show) override {
        if (pass == watchedPass) {
            textAmount = show.layers.items[4]->amount;
        }
        ++draws;
    }
    uint32_t watchedPass = 0;
    int textAmount = -1;
    uint32_t draws = 0;
};

class Driver : public testing::Test {
protected:
    void SetUp() override {
        WriteShowData(dir.path);
        settings.dataDir = dir.path;
    }

    ShowEnd Run(uint32_t fps, RecordingPlatform& platform, PassObserver* observer = nullptr,
                uint32_t startMs = 0) {
        FixedStepClock clock(fps);
        testing::internal::CaptureStdout();
        settings.startMs = startMs;
        ShowEnd end = RunShow(settings, platform, clock, observer);
        printed = testing::internal::GetCapturedStdout();
        return end;
    }

    TempDir dir;
    ShowSettings settings;
    std::string printed;
};

TEST_F(Driver, RunsUntilTheClockPassesTheEndAndPresentsTheLastFrameOnceMore) {
    RecordingPlatform platform;
    LayerWatcher watcher;
    watcher.watchedPass = 35;  // 17.5 s at 2 passes a second
    ShowEnd end = Run(2, platform, &watcher);
    EXPECT_FALSE(end.leftByRequest);
    EXPECT_EQ(end.passesDrawn, 393u);  // 0 to 196 s in half seconds; 196.0 still draws
    EXPECT_EQ(watcher.draws, 393u);
    EXPECT_EQ(platform.presents, 394);
    EXPECT_EQ(platform.titles, 393);
    EXPECT_EQ(platform.stops, 1);
    EXPECT_EQ(platform.music, dir.path + "/ostrel&vandt_-_cube.mp3");
    EXPECT_EQ(watcher.textAmount, 128);
    EXPECT_EQ(platform.title.rfind("timer ms: 196500, epsilon: 244, avr: 244 | average fps: 2.00", 0), 0u)
        << platform.title;
    EXPECT_EQ(printed.rfind("float, char, unsigned char, unsigned char, float, ", 0), 0u);
    EXPECT_EQ(printed.size(), printed.find_last_of(',') + 3);  // only the names, on one line
    EXPECT_EQ(printed.back(), '\n');
}

// A late start lands on the clock's grid; the music starts there and the clock goes on from it.
TEST_F(Driver, StartsLateOnTheClocksGridWithTheMusic) {
    RecordingPlatform platform;
    ShowEnd end = Run(2, platform, nullptr, 190250);
    EXPECT_EQ(platform.musicStart, 190500u);  // pass 381
    EXPECT_EQ(end.passesDrawn, 393u - 381u);  // passes 381 to 392
    EXPECT_EQ(platform.presents, 13);
    EXPECT_EQ(platform.title.rfind("timer ms: 196500, epsilon: 244, avr: 244 | average fps: 2.00", 0), 0u)
        << platform.title;
}

// Presses the player's keys at set iterations of the loop and notes the passes drawn.
struct KeyPlatform : RecordingPlatform, PassObserver {
    PlayerCommand TakeCommand() override {
        const auto found = keys.find(iteration++);
        return found != keys.end() ? found->second : PlayerCommand::None;
    }
    bool ShouldLeave() override { return iteration == leaveAt; }
    void PauseMusic(bool paused) override { pauses.push_back(paused); }
    void AfterDraw(uint32_t pass, const Show&) override { passes.push_back(pass); }

    std::map<int, PlayerCommand> keys;
    int iteration = 0;
    int leaveAt = -1;
    std::vector<bool> pauses;
    std::vector<uint32_t> passes;
};

// A jump past the end lands on the last pass and holds there, picture and music, instead of
// ending the show; played on from there, the show ends by itself. A jump back past the start
// lands on the first pass and plays on.
TEST_F(Driver, JumpsPastEitherEndLandOnTheFirstOrLastPass) {
    using enum PlayerCommand;
    KeyPlatform held;
    held.keys = {{2, FarForward}, {12, PauseOrResume}};
    ShowEnd end = Run(2, held, &held, 190000);  // pass 380
    EXPECT_FALSE(end.leftByRequest);
    EXPECT_EQ(held.passes, (std::vector<uint32_t>{380, 381, 392}));
    EXPECT_EQ(held.pauses, (std::vector<bool>{true, false}));
    EXPECT_GT(held.iteration, 12);

    KeyPlatform back;
    back.keys = {{2, FarBack}};
    back.leaveAt = 5;
    end = Run(2, back, &back, 20000);  // pass 40
    EXPECT_TRUE(end.leftByRequest);
    EXPECT_EQ(back.passes, (std::vector<uint32_t>{40, 41, 0, 1, 2}));
    EXPECT_TRUE(back.pauses.empty());
}

TEST_F(Driver, BadDataStopsTheShowBeforeAnythingIsShown) {
    std::filesystem::remove(dir.File("colormap2red"));
    RecordingPlatform platform;
    try {
        Run(60, platform);
        FAIL() << "a missing colour map was not reported";
    } catch (const AssetError& error) {
        EXPECT_EQ(std::string(error.what()), dir.File("colormap2red") + ": No such file or directory");
    }
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(platform.presents, 0);
    EXPECT_EQ(platform.music, "");
}

TEST_F(Driver, PlaysTheScriptAndMusicFilesItIsGiven) {
    const std::string script = "0 196 unsigned char layer 4.amount 77 77\n";
    WriteBytes(dir.File("show.txt"), std::vector<uint8_t>(script.begin(), script.end()));
    settings.scriptPath = dir.File("show.txt");
    settings.musicPath = "/music/elsewhere.ogg";
    RecordingPlatform platform;
    LayerWatcher watcher;
    Run(1, platform, &watcher);
    EXPECT_EQ(watcher.textAmount, 77);
    EXPECT_EQ(platform.music, "/music/elsewhere.ogg");
    EXPECT_EQ(printed, "unsigned char, \n");
}

TEST_F(Driver, AScriptWithAnErrorStopsTheShowBeforeAnyTrackIsRegistered) {
    const std::string script = "0 196 unsigned char layer 4.amount 77 77\n0 1 float landscape.viewMode 1 1\n";
    WriteBytes(dir.File("show.txt"), std::vector<uint8_t>(script.begin(), script.end()));
    settings.scriptPath = dir.File("show.txt");
    RecordingPlatform platform;
    try {
        Run(60, platform);
        FAIL() << "the script's error was not reported";
    } catch (const std::runtime_error& error) {
        EXPECT_EQ(std::string(error.what()),
                  dir.File("show.txt") +
                      ":2: float does not fit landscape.viewMode, which is unsigned "
                      "char (a track's type needs its field's width, and both "
                      "integers or both float)");
    }
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");  // not one track's name
    EXPECT_EQ(platform.presents, 0);
    EXPECT_EQ(platform.music, "");
}

// The layers lay a picture over the framebuffer as one run of pixels, so one of another size
// comes out sheared; the show says so for each and plays on.
TEST_F(Driver, PicturesOfAnotherSizeAreDrawnWithAWarning) {
    WritePicture(dir.File("text2.png"), 639, 480, 0xFF808080u);
    WritePicture(dir.File("title.png"), 1, 1, 0xFF808080u);
    RecordingPlatform platform;
    platform.leaveAfter = 2;
    testing::internal::CaptureStderr();
    EXPECT_EQ(Run(60, platform).passesDrawn, 2u);
    const std::string shear = ", not 640x480; its pixels are drawn as one run from the top left\n";
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "voxelshow: " + dir.File("text2.png") + ": picture is 639x480" + shear +
                  "voxelshow: " + dir.File("title.png") + ": picture is 1x1" + shear);
}

TEST_F(Driver, RenderFrameWritesRawFramesAndFailsPastTheEnd) {
    Options options;
    options.mode = RunMode::RenderFrame;
    options.dataDir = dir.path;
    options.fps = 1;
    options.renderPasses = {3, 196};
    options.outPath = dir.File("frame%d.bgra");
    testing::internal::CaptureStdout();
    EXPECT_EQ(RenderFrames(options), 0);
    EXPECT_EQ(std::filesystem::file_size(dir.File("frame3.bgra")), 1228800u);
    EXPECT_EQ(std::filesystem::file_size(dir.File("frame196.bgra")), 1228800u);

    options.renderPasses = {197};
    options.outPath = dir.File("late.png");
    testing::internal::CaptureStderr();
    EXPECT_EQ(RenderFrames(options), 1);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("pass 197 is never drawn"), std::string::npos);
    testing::internal::GetCapturedStdout();
    EXPECT_FALSE(std::filesystem::exists(dir.File("late.png")));
}

}  // namespace
