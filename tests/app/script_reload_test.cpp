#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <numeric>
#include <string_view>
#include <thread>
#include <vector>

#include "anim/demo_clock.h"
#include "app/headless_platform.h"
#include "app/script_reload.h"
#include "app/seek.h"
#include "pass_state.h"
#include "platform/fixed_step_clock.h"
#include "platform/frame_stats.h"
#include "script/builtin_script.h"
#include "script/script_text.h"
#include "test_files.h"

namespace {

// The built-in script with every colour map one further on, the wave twice as strong and
// nothing from 100 s on: another script on the same fields, with fewer tracks.
std::vector<ScriptRow> ReworkedScript() {
    std::vector<ScriptRow> rows;
    for (ScriptRow row : BuiltInScript()) {
        const std::string_view field = row.field;
        if (row.start >= 100.0f) {
            continue;
        }
        if (field == "colourSource") {
            row.from = std::fmod(row.from + 1.0f, 6.0f);
            row.to = std::fmod(row.to + 1.0f, 6.0f);
        } else if (field == "amplitude") {
            row.from *= 2.0f;
            row.to *= 2.0f;
        }
        rows.push_back(row);
    }
    return rows;
}

// Passes `first` to `last` of the grid, played on from where the show stands as the loop plays them.
std::vector<PassState> PlayOn(Show& show, uint64_t first, uint64_t last) {
    std::vector<PassState> states;
    for (uint64_t pass = first; pass <= last; ++pass) {
        SetDemoClock(PassMilliseconds(pass, 60));
        DrawPass(show, StepsFor(Renderer::Fast));
        states.push_back(StateOf(show));
    }
    return states;
}

// Holds played states of the grid's passes from `first` on to those a seek of `expected` gives.
void ExpectStatesOf(Show& expected, const std::vector<PassState>& played, uint64_t first) {
    for (size_t i = 0; i < played.size(); ++i) {
        SeekShow(expected, StepsFor(Renderer::Fast), GridPass(first + i, 60));
        const PassState state = StateOf(expected);
        ASSERT_TRUE(played[i] == state) << "pass " << first + i << ":" << Differences(played[i], state);
    }
}

// A save played in the middle of the show, in the middle of a fade, leaves the show as a show
// started with the saved script and brought there, and the show plays on as that one does.
// Back to the first script, earlier in the show, the same again. The played show draws, the
// switch's seek included, on two threads; the shows it is held to on one.
TEST(ScriptReload, ASwitchedShowIsTheShowOfTheNewScript) {
    const std::vector<ScriptRow> reworked = ReworkedScript();
    ASSERT_LT(reworked.size(), BuiltInScript().size());
    std::unique_ptr<Show> played = BuiltShow(5, BuiltInScript(), 2);
    std::unique_ptr<Show> startedReworked = BuiltShow(5, reworked);
    std::unique_ptr<Show> startedBuiltIn = BuiltShow(5);
    const ShowFields startup = played->startup;
    const DrawingSteps& steps = StepsFor(Renderer::Fast);

    SeekShow(*played, steps, GridPass(2369, 60));
    SwitchScript(*played, reworked, steps, GridPass(2370, 60));  // 39.5 s
    EXPECT_EQ(played->tracks.count, reworked.size());
    std::vector<PassState> states = {StateOf(*played)};
    const std::vector<PassState> after = PlayOn(*played, 2371, 2490);  // through the end of the fade
    states.insert(states.end(), after.begin(), after.end());
    ExpectStatesOf(*startedReworked, states, 2370);
    EXPECT_TRUE(played->startup == startup);

    SwitchScript(*played, BuiltInScript(), steps, GridPass(900, 60));
    states = {StateOf(*played)};
    const std::vector<PassState> later = PlayOn(*played, 901, 960);
    states.insert(states.end(), later.begin(), later.end());
    ExpectStatesOf(*startedBuiltIn, states, 900);

    // The two scripts differ where the show switched, so that the checks above can fail.
    SeekShow(*startedReworked, steps, GridPass(2370, 60));
    const PassState reworkedThere = StateOf(*startedReworked);
    SeekShow(*startedBuiltIn, steps, GridPass(2370, 60));
    EXPECT_FALSE(StateOf(*startedBuiltIn) == reworkedThere);
}

void WriteTextFile(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

// Pauses the show at one pass and saves the script by rename, resumes it once a frame is shown
// while paused, then saves the script in place a few passes on, and leaves a few passes after
// the tracks of that save are in. Notes every pass drawn with the number of tracks it had, and
// what the loop asks of the music.
struct SavingPlatform : HeadlessPlatform, StateRecorder {
    static constexpr int PAUSE_AT = 30;  // the loop's iteration

    PlayerCommand TakeCommand() override {
        ++iteration;
        if (iteration == PAUSE_AT) {
            WriteTextFile(script + ".new", WriteScript(pausedSave));
            std::rename((script + ".new").c_str(), script.c_str());
            return PlayerCommand::PauseOrResume;
        }
        if (resumeAt == iteration) {
            return PlayerCommand::PauseOrResume;
        }
        if (resumeAt > 0 && resumeAt + 5 == iteration) {
            WriteTextFile(script, WriteScript(playingSave));
        }
        return PlayerCommand::None;
    }
    void WaitForEvent(uint32_t) override {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        leave = leave || ++waits > 30000;  // no reload within half a minute: give up
    }
    void Present(const uint32_t* frame) override {
        if (iteration >= PAUSE_AT && resumeAt < 0) {
            pausedFrame = FrameHashOf(frame);
            resumeAt = iteration + 1;
        }
    }
    bool ShouldLeave() override {
        // Resumed on the paused save's tracks, so the built-in count again means the second save is in.
        const size_t n = trackCounts.size();
        return leave || (resumeAt > 0 && iteration > resumeAt && n >= 3 && trackCounts[n - 3] == 187 &&
                         trackCounts[n - 1] == 187);
    }
    void SeekMusic(uint32_t) override { ++musicSeeks; }
    void PauseMusic(bool paused) override { pauses.push_back(paused); }
    void AfterDraw(uint32_t pass, const Show& show) override {
        StateRecorder::AfterDraw(pass, show);
        trackCounts.push_back(show.tracks.count);
    }

    std::string script;
    std::vector<ScriptRow> pausedSave, playingSave;
    int iteration = 0;
    int resumeAt = -1;
    int waits = 0;
    size_t pausedFrame = 0;
    std::vector<size_t> trackCounts;
    int musicSeeks = 0;
    std::vector<bool> pauses;
};

// The played loop with a watched script: a save while paused redraws the frame shown with the
// saved script; a save while playing goes on from the pass due with it. The passes keep their
// numbers, the music is neither moved nor paused by a save, and each save prints one line.
TEST(ScriptReload, TheLoopPlaysEachSaveAtOnceWhilePausedAndWhilePlaying) {
    TempDir dir;
    SavingPlatform platform;
    platform.script = dir.File("show.txt");
    platform.pausedSave = ReworkedScript();
    platform.playingSave = BuiltInScript();
    WriteTextFile(platform.script, WriteScript(BuiltInScript()));
    ShowSettings settings{VOXELSHOW_DATA_DIR, 5};
    settings.scriptPath = platform.script;
    settings.reloadScript = true;
    FixedStepClock clock(60);
    testing::internal::CaptureStdout();
    RunShow(settings, platform, clock, &platform);
    const std::string printed = testing::internal::GetCapturedStdout();
    ASSERT_GT(platform.resumeAt, 0) << "no frame shown while paused";

    const std::string line = "script reloaded: ";
    EXPECT_NE(printed.find("\n" + line + std::to_string(platform.pausedSave.size()) + " tracks\n" + line +
                           "187 tracks\n"),
              std::string::npos)
        << printed;
    EXPECT_EQ(platform.musicSeeks, 0);
    EXPECT_EQ(platform.pauses, (std::vector<bool>{true, false}));
    std::vector<uint32_t> numbers(platform.passes.size());
    std::iota(numbers.begin(), numbers.end(), 0);
    ASSERT_EQ(platform.passes, numbers);

    // The built-in script's tracks up to the pause, the paused save's from there, then the built-in
    // script's again from the pass that was due when the second save came in.
    const size_t paused = SavingPlatform::PAUSE_AT - 1;  // passes drawn before the pause
    const std::vector<size_t>& counts = platform.trackCounts;
    const size_t back = std::find(counts.begin() + paused, counts.end(), 187u) - counts.begin();
    ASSERT_GE(back, paused + 5);
    ASSERT_LT(back, counts.size());
    std::unique_ptr<Show> builtIn = BuiltShow(5);
    std::unique_ptr<Show> reworked = BuiltShow(5, platform.pausedSave);
    SeekShow(*reworked, StepsFor(Renderer::Fast), GridPass(paused - 1, 60));
    EXPECT_EQ(platform.pausedFrame, FrameHashOf(frameBuffer)) << "the frame shown while paused";
    for (size_t pass = 0; pass < counts.size(); ++pass) {
        const bool reworkedPlays = paused <= pass && pass < back;
        EXPECT_EQ(counts[pass], reworkedPlays ? platform.pausedSave.size() : 187u) << "pass " << pass;
        Show& expected = reworkedPlays ? *reworked : *builtIn;
        SeekShow(expected, StepsFor(Renderer::Fast), GridPass(pass, 60));
        const PassState state = StateOf(expected);
        ASSERT_TRUE(platform.states[pass] == state)
            << "pass " << pass << ":" << Differences(platform.states[pass], state);
    }
}

}  // namespace
