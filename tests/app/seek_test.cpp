#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <map>
#include <numeric>
#include <random>
#include <set>
#include <string_view>
#include <vector>

#include "anim/demo_clock.h"
#include "anim/registration.h"
#include "app/frame_hash.h"
#include "app/headless_platform.h"
#include "app/seek.h"
#include "app/show.h"
#include "pass_state.h"
#include "platform/fixed_step_clock.h"
#include "platform/frame_stats.h"
#include "render/framebuffer.h"
#include "render/random.h"
#include "support/generated_script.h"

namespace {

// The passes of a run of the built-in show at `fps`, from the beginning or from `startMs`.
StateRecorder RunFrom(uint32_t fps, uint32_t startMs = 0) {
    HeadlessPlatform platform;
    FixedStepClock clock(fps);
    StateRecorder recorder;
    testing::internal::CaptureStdout();
    RunShow({VOXELSHOW_DATA_DIR, 0, Renderer::Fast, startMs}, platform, clock, &recorder);
    testing::internal::GetCapturedStdout();
    return recorder;
}

// Garbage in every buffer a pass draws into or through, and in the objects' fields.
void Scramble(Show& show, uint32_t seed) {
    std::mt19937 random(seed);
    std::generate_n(frameBuffer, FRAME_PIXELS, std::ref(random));
    std::generate_n(show.wave.copy.get(), FRAME_PIXELS, std::ref(random));
    std::generate_n(show.landscape->intermediate.get(), INTERMEDIATE_PIXELS, std::ref(random));
    show.wave.phase = 123.0f;
    show.wave.enabled = 1;
    show.landscape->viewMode = VIEW_TUNNEL;
    show.landscape->heightSource = 1;
    show.landscape->activeHeights = show.landscape->waterHeights.get();
    for (auto& layer : show.layers.items) {
        layer->visible = 1;
        layer->amount = 77;
    }
    randomState = random();
}

// The passes at which some track enters or leaves its span, and the ones next to them: the
// script's switches, fades, view changes and wave on and off.
std::vector<uint64_t> EdgePasses(const VariableList& tracks, uint32_t fps) {
    std::set<uint64_t> passes;
    std::vector<bool> inSpan(tracks.count, false);
    for (uint64_t pass = 0; pass <= LastPassOfShow(fps); ++pass) {
        const float time = static_cast<float>(PassMilliseconds(pass, fps)) / 1000.0f;
        for (uint16_t i = 0; i < tracks.count; ++i) {
            const bool in = tracks.items[i]->start <= time && time <= tracks.items[i]->end;
            if (in != inSpan[i]) {
                passes.insert({pass - std::min<uint64_t>(pass, 1), pass, pass + 1});
                inSpan[i] = in;
            }
        }
    }
    passes.insert(LastPassOfShow(fps));
    passes.erase(LastPassOfShow(fps) + 1);
    return {passes.begin(), passes.end()};
}

// Seeks one show to `passes` in a shuffled order (forward, back and forward again), with garbage
// left in it before every seek, and holds each pass to the uninterrupted run.
void ExpectSeeksEqualRun(Show& show, std::vector<uint64_t> passes, uint32_t fps,
                         const std::vector<PassState>& run, uint32_t shuffleSeed) {
    std::shuffle(passes.begin(), passes.end(), std::mt19937(shuffleSeed));
    for (uint64_t pass : passes) {
        Scramble(show, static_cast<uint32_t>(pass));
        SeekShow(show, StepsFor(Renderer::Fast), GridPass(pass, fps));
        ASSERT_LT(pass, run.size());
        const PassState state = StateOf(show);
        ASSERT_TRUE(state == run[pass])
            << "pass " << pass << " at " << fps << " fps:" << Differences(state, run[pass]);
    }
}

// The built-in show at 60 passes a second and at rates whose passes miss the spans' ends.
TEST(Seek, EveryEdgeOfTheScriptEqualsTheUninterruptedRun) {
    for (uint32_t fps : {60u, 7u}) {
        SCOPED_TRACE(testing::Message() << fps << " fps");
        const std::vector<PassState> run = RunFrom(fps).states;
        ASSERT_EQ(run.size(), LastPassOfShow(fps) + 1);
        std::unique_ptr<Show> show = BuiltShow();
        std::vector<uint64_t> passes = EdgePasses(show->tracks, fps);
        EXPECT_GT(passes.size(), 300u);
        std::mt19937 random(fps);
        for (int i = 0; i < 20; ++i) {
            passes.push_back(random() % run.size());
        }
        ExpectSeeksEqualRun(*show, passes, fps, run, fps);
    }
}

// The frame drawn at any millisecond is the one drawn there after the grid's earlier passes:
// the live show's jumps land between the passes of the grid they replay.
TEST(Seek, ATimeBetweenGridPassesFollowsTheGridsEarlierPasses) {
    std::unique_ptr<Show> sought = BuiltShow(5);
    std::unique_ptr<Show> played = BuiltShow(5);
    for (uint32_t elapsed : {0u, 1u, 16u, 17u, 39499u, 90017u, 125000u, 195999u, 196000u}) {
        SCOPED_TRACE(elapsed);
        const uint64_t before = (elapsed * 60ull + 999) / 1000;  // grid passes earlier than `elapsed`
        if (before > 0) {
            SeekShow(*played, StepsFor(Renderer::Fast), GridPass(before - 1, 60));
            SetDemoClock(elapsed);
            DrawPass(*played, StepsFor(Renderer::Fast));
        } else {
            SeekShow(*played, StepsFor(Renderer::Fast), {elapsed, 60});
        }
        const PassState expected = StateOf(*played);
        Scramble(*sought, elapsed);
        SeekShow(*sought, StepsFor(Renderer::Fast), {elapsed, 60});
        const PassState state = StateOf(*sought);
        EXPECT_TRUE(state == expected) << Differences(state, expected);
    }
}

// A show started late begins at the first pass of the clock's grid at or after its start and
// goes on pass by pass as the uninterrupted run does, numbering its passes as that run does.
TEST(Seek, AShowStartedLateGoesOnAsTheUninterruptedRun) {
    const uint32_t fps = 7;
    const std::vector<PassState> run = RunFrom(fps).states;
    for (uint32_t startMs : {150000u, 150001u, 195999u}) {
        SCOPED_TRACE(startMs);
        const StateRecorder started = RunFrom(fps, startMs);
        const uint32_t first = static_cast<uint32_t>(FirstPassAtOrAfter(startMs, fps));
        ASSERT_EQ(started.passes.size(), run.size() - first);
        for (size_t i = 0; i < started.passes.size(); ++i) {
            ASSERT_EQ(started.passes[i], first + i);
            ASSERT_TRUE(started.states[i] == run[first + i])
                << "pass " << first + i << ":" << Differences(started.states[i], run[first + i]);
        }
    }
}

// Presses the player's keys at set passes of the loop, and notes what the loop asks of the music.
struct ViewerPlatform : HeadlessPlatform {
    PlayerCommand TakeCommand() override {
        const auto found = keys.find(iteration++);
        return found != keys.end() ? found->second : PlayerCommand::None;
    }
    bool ShouldLeave() override { return iteration == leaveAt; }
    void StartMusic(const char*, uint32_t startMs) override { music.push_back(startMs); }
    void SeekMusic(uint32_t elapsedMs) override { music.push_back(elapsedMs); }
    void PauseMusic(bool paused) override { pauses.push_back(paused); }

    std::map<int, PlayerCommand> keys;
    int iteration = 0;
    int leaveAt = -1;
    std::vector<uint32_t> music;  // where it started, then where each jump moved it
    std::vector<bool> pauses;
};

// Jumps from the frame shown, forward and back, while playing and paused, single steps while
// paused (and not while playing): every frame the loop draws is that of its pass in the
// uninterrupted run, and the music follows each jump.
TEST(Seek, ViewersJumpsAndStepsInTheLoopShowTheRunsOwnPasses) {
    const uint32_t fps = 7;
    const std::vector<PassState> run = RunFrom(fps).states;
    ViewerPlatform platform;
    using enum PlayerCommand;
    platform.keys = {{5, Forward},        {10, FarForward},  {15, Back},     {20, PauseOrResume},
                     {21, StepForward},   {22, StepForward}, {23, StepBack}, {24, Forward},
                     {25, PauseOrResume}, {30, FarBack},     {35, ToStart},  {40, StepForward}};
    platform.leaveAt = 45;
    FixedStepClock clock(fps);
    StateRecorder recorder;
    testing::internal::CaptureStdout();
    const ShowEnd end = RunShow({VOXELSHOW_DATA_DIR, 0}, platform, clock, &recorder);
    testing::internal::GetCapturedStdout();
    // Pass 4 is shown at 571 ms: 5 s on, the first pass at or after 5571 ms is 39, and so on.
    const std::vector<uint32_t> expected = {0,   1,   2,   3,   4,   39,  40,  41,  42,  43,  253,
                                            254, 255, 256, 257, 222, 223, 224, 225, 226, 227, 228,
                                            227, 262, 263, 264, 265, 266, 56,  57,  58,  59,  60,
                                            0,   1,   2,   3,   4,   5,   6,   7,   8,   9};
    EXPECT_EQ(recorder.passes, expected);
    EXPECT_EQ(end.passesDrawn, expected.size());
    for (size_t i = 0; i < recorder.passes.size(); ++i) {
        ASSERT_TRUE(recorder.states[i] == run[recorder.passes[i]])
            << "pass " << recorder.passes[i] << ":"
            << Differences(recorder.states[i], run[recorder.passes[i]]);
    }
    std::vector<uint32_t> music = {0};
    for (uint32_t pass : {39, 253, 222, 227, 228, 227, 262, 56, 0}) {
        music.push_back(PassMilliseconds(pass, fps));
    }
    EXPECT_EQ(platform.music, music);
    EXPECT_EQ(platform.pauses, (std::vector<bool>{true, false}));
}

// Plays passes 0 to count - 1 of a show as the loop does: a pass, then the frame timer.
std::vector<PassState> PlayPasses(Show& show, uint32_t fps, uint64_t count) {
    RewindShow(show);
    FixedStepClock clock(fps);
    ResetFrameStats();
    StartFrameTimer(clock);
    std::vector<PassState> states;
    for (uint64_t pass = 0; pass < count; ++pass) {
        DrawPass(show, StepsFor(Renderer::Fast));
        states.push_back(StateOf(show));
        UpdateFrameTimer(clock);
    }
    return states;
}

template <typename T>
void Add(Show& show, float start, float end, T* field, T from, T to, uint8_t flags = 0) {
    testing::internal::CaptureStdout();
    AddVariable<T>(show.tracks, start, end, field, from, to, flags);
    testing::internal::GetCapturedStdout();
}

// Scripts of other shows, on the built show's objects in place of its own tracks: passes whose
// landscape draws nothing leave the frame to the next one (a white flash builds up over it; a
// copy layer clears it midway), and a wave phase that no track rewrites grows twentyfold on
// every pass the filter is on.
TEST(Seek, OtherScriptsWithFramesThatCarryOverAndAPhaseLeftToTheFilter) {
    std::unique_ptr<Show> show = BuiltShow(99);
    Landscape& land = *show->landscape;
    WaveFilter& wave = show->wave;
    Layer& copy = *show->layers.items[0];
    Layer& flash = *show->layers.items[2];
    show->tracks = VariableList{};
    Add<uint8_t>(*show, 0, 1, &land.enabled, 1, 1);
    Add<uint8_t>(*show, 0, 1, &land.viewMode, VIEW_PERSPECTIVE, VIEW_PERSPECTIVE);
    Add<float>(*show, 0, 5, &land.advanceClock, 0, 0, CLOCK_DRIVEN);
    Add<uint8_t>(*show, 1.5f, 1.7f, &land.enabled, 0, 0);
    Add<uint8_t>(*show, 1.5f, 1.7f, &flash.visible, 1, 1);
    Add<uint8_t>(*show, 1.5f, 4, &flash.amount, 2, 3);
    Add<uint8_t>(*show, 2.5f, 2.7f, &copy.visible, 1, 1);
    Add<uint8_t>(*show, 2.75f, 2.95f, &copy.visible, 0, 0);
    Add<uint8_t>(*show, 3.5f, 3.7f, &land.enabled, 1, 1);
    Add<uint8_t>(*show, 3.5f, 3.7f, &flash.visible, 0, 0);
    Add<float>(*show, 0, 0.2f, &wave.phase, 1e-9f, 1e-9f);
    Add<uint8_t>(*show, 0.5f, 0.7f, &wave.enabled, 1, 1);
    Add<int16_t>(*show, 0.5f, 0.7f, &wave.amplitude, 12, 12);
    Add<uint8_t>(*show, 0.9f, 1.1f, &wave.enabled, 0, 0);
    Add<uint8_t>(*show, 1.7f, 1.8f, &wave.enabled, 1, 1);
    Add<uint8_t>(*show, 1.85f, 2.05f, &wave.enabled, 0, 0);
    for (uint32_t fps : {60u, 7u}) {
        SCOPED_TRACE(testing::Message() << fps << " fps");
        const uint64_t passes = 5 * fps + 1;  // 0 to 5 s
        const std::vector<PassState> run = PlayPasses(*show, fps, passes);
        EXPECT_NE(run[passes - 1].fields.wave.phase, 1e-9f);
        std::vector<uint64_t> all(passes);
        std::iota(all.begin(), all.end(), 0);
        ExpectSeeksEqualRun(*show, all, fps, run, 3);
    }
}

// Seeks one show to each pass twice, the tracks replayed the fast way and then the reference way
// (every track at every pass), with garbage left in it before each, and holds the two states equal.
void ExpectFastSeeksEqualReference(Show& show, const std::vector<uint64_t>& passes, uint32_t fps) {
    for (uint64_t pass : passes) {
        Scramble(show, static_cast<uint32_t>(pass));
        SeekShow(show, StepsFor(Renderer::Fast), GridPass(pass, fps), TrackReplayMode::Fast);
        const PassState fast = StateOf(show);
        Scramble(show, static_cast<uint32_t>(pass) + 1);
        SeekShow(show, StepsFor(Renderer::Fast), GridPass(pass, fps), TrackReplayMode::Reference);
        const PassState reference = StateOf(show);
        ASSERT_TRUE(fast == reference)
            << "pass " << pass << " at " << fps << " fps:" << Differences(fast, reference);
    }
}

// Generated scripts far from the built-in one: every field and element type, many tracks on one
// field overlapping, spans of no length and spans starting or ending on passes of the grid. At
// passes on and next to span edges, on both grids, the fast seek leaves the fields, the maps
// chosen, the generator, the wave phase, the tracks' retirement and the frame as the reference
// replay does; and so it does with a script six times as long, at the show's last pass.
TEST(Seek, GeneratedScriptsSeekAsTheReferenceReplayDoes) {
    for (const uint32_t fps : {7u, 60u}) {
        SCOPED_TRACE(testing::Message() << fps << " fps");
        const std::vector<ScriptRow> rows = GeneratedScript(fps, 2000);
        std::unique_ptr<Show> show = BuiltShow(fps, rows);
        std::vector<uint64_t> edges = EdgePasses(show->tracks, fps);
        std::shuffle(edges.begin(), edges.end(), std::mt19937(fps));
        edges.resize(fps == 7 ? 24 : 6);
        edges.push_back(LastPassOfShow(fps));
        ExpectFastSeeksEqualReference(*show, edges, fps);
    }
    std::unique_ptr<Show> show = BuiltShow(3, GeneratedScript(3, 12000));
    ExpectFastSeeksEqualReference(*show, {LastPassOfShow(7)}, 7);
}

}  // namespace
