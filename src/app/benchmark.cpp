#include "app/benchmark.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <numeric>
#include <random>
#include <vector>

#include "app/frame_hash.h"
#include "app/headless_platform.h"
#include "app/seek.h"
#include "app/show_settings.h"
#include "platform/fixed_step_clock.h"
#include "platform/frame_stats.h"
#include "render/framebuffer.h"
#include "render/random.h"

namespace {

using SteadyClock = std::chrono::steady_clock;

enum TimedStep { TRACKS, PERSPECTIVE, TUNNEL, RADIAL, LANDSCAPE_OTHER, LAYERS, WAVE, TIMED_STEPS };

const char* const STEP_NAMES[TIMED_STEPS] = {"tracks",
                                             "landscape (perspective)",
                                             "landscape (tunnel)",
                                             "landscape (radial)",
                                             "landscape (off)",
                                             "layers",
                                             "wave"};

// The view the landscape draws in: the highest of its view bits decides.
TimedStep LandscapeStep(const Landscape& landscape) {
    if (landscape.enabled != 1) {
        return LANDSCAPE_OTHER;
    }
    if (landscape.viewMode & VIEW_RADIAL) {
        return RADIAL;
    }
    if (landscape.viewMode & VIEW_TUNNEL) {
        return TUNNEL;
    }
    if (landscape.viewMode & VIEW_PERSPECTIVE) {
        return PERSPECTIVE;
    }
    return LANDSCAPE_OTHER;
}

struct StepTimer : PassObserver {
    explicit StepTimer(bool hashFrames) : recordHashes(hashFrames) {}

    void BeforeStep(PassStep step, const Show&) override {
        began = SteadyClock::now();
        if (step == PassStep::Tracks) {
            passBegan = began;
            if (passes == 0) {
                firstPass = began;
            }
        }
    }

    void AfterStep(PassStep step, const Show& show) override {
        double ms = std::chrono::duration<double, std::milli>(SteadyClock::now() - began).count();
        samples[Classify(step, show)].push_back(ms);
    }

    // The frame's hash, when asked for, is taken outside the timed span.
    void AfterDraw(uint32_t, const Show&) override {
        ++passes;
        lastPass = SteadyClock::now();
        passMs.push_back(std::chrono::duration<double, std::milli>(lastPass - passBegan).count());
        hashingBeforeLast = hashing;
        if (recordHashes) {
            hashes.push_back(FrameHash(frameBuffer));
            hashing += SteadyClock::now() - lastPass;
        }
    }

    double MsPerPass() const {
        const auto timed = lastPass - firstPass - hashingBeforeLast;
        return passes ? std::chrono::duration<double, std::milli>(timed).count() / passes : 0.0;
    }

    static TimedStep Classify(PassStep step, const Show& show) {
        switch (step) {
            case PassStep::Tracks:
                return TRACKS;
            case PassStep::Landscape:
                return LandscapeStep(*show.landscape);
            case PassStep::Layers:
                return LAYERS;
            case PassStep::Wave:
                return WAVE;
        }
        return LANDSCAPE_OTHER;
    }

    SteadyClock::time_point began;
    SteadyClock::time_point passBegan;  // the tracks' step of the pass being drawn
    SteadyClock::time_point firstPass;
    SteadyClock::time_point lastPass;
    uint32_t passes = 0;
    std::vector<double> samples[TIMED_STEPS];
    std::vector<double> passMs;  // each whole pass, tracks to wave
    bool recordHashes;
    std::vector<uint64_t> hashes;
    SteadyClock::duration hashing{};            // spent on hashes so far
    SteadyClock::duration hashingBeforeLast{};  // of that, before the last pass ended
};

double Mean(const std::vector<double>& values) {
    return std::accumulate(values.begin(), values.end(), 0.0) / static_cast<double>(values.size());
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2.0;
}

void PrintFigures(const StepTimer& timer) {
    std::printf("%-24s %8s %10s %10s\n", "step", "passes", "mean ms", "median ms");
    for (int step = 0; step < TIMED_STEPS; ++step) {
        const std::vector<double>& values = timer.samples[step];
        if (!values.empty()) {
            std::printf("%-24s %8zu %10.4f %10.4f\n", STEP_NAMES[step], values.size(), Mean(values),
                        Median(values));
        }
    }
    if (!timer.passMs.empty()) {
        std::printf("%-24s %8zu %10.4f %10.4f\n", "whole pass", timer.passMs.size(), Mean(timer.passMs),
                    Median(timer.passMs));
    }
    const double perPass = timer.MsPerPass();
    std::printf("passes: %u, ms per pass: %.4f, passes per second: %.1f\n", timer.passes, perPass,
                perPass > 0.0 ? 1000.0 / perPass : 0.0);
}

void PrintRenderer(const ShowSettings& settings) {
    if (settings.renderer == Renderer::Reference) {
        std::printf("renderer: reference, threads: 1, simd: none\n");
    } else {
        std::printf("renderer: fast, threads: %u, simd: %s\n", settings.threads,
                    SimdLevelName(settings.simd));
    }
}

constexpr int SEEKS = 200;

// Seeks the show to random passes of the grid, and last to its last pass, the farthest.
void PrintSeekFigures(Show& show, const DrawingSteps& steps, uint32_t fps) {
    std::mt19937 random(2024);
    std::uniform_int_distribution<uint64_t> anyPass(0, LastPassOfShow(fps));
    std::vector<double> ms;
    for (int i = 0; i <= SEEKS; ++i) {
        const uint64_t pass = i < SEEKS ? anyPass(random) : LastPassOfShow(fps);
        const auto began = SteadyClock::now();
        SeekShow(show, steps, GridPass(pass, fps));
        ms.push_back(std::chrono::duration<double, std::milli>(SteadyClock::now() - began).count());
    }
    std::printf("seek to %zu passes (random, then the last): median ms: %.2f, worst ms: %.2f\n", ms.size(),
                Median(ms), *std::max_element(ms.begin(), ms.end()));
}

// Runs the whole show on the fixed-step clock and prints the renderer and its figures, then
// times seeks in the show it played.
std::unique_ptr<StepTimer> TimeShow(const ShowSettings& settings, uint32_t fps, bool hashFrames) {
    SeedRandom(settings.seed);
    ResetFrameStats();
    std::unique_ptr<Show> show = BuildShow(settings);
    HeadlessPlatform platform;
    FixedStepClock clock(fps);
    auto timer = std::make_unique<StepTimer>(hashFrames);
    for (std::vector<double>& values : timer->samples) {
        values.reserve(197u * fps);
    }
    timer->passMs.reserve(197u * fps);
    PlayBuiltShow(*show, settings, platform, clock, timer.get());
    PrintRenderer(settings);
    PrintFigures(*timer);
    PrintSeekFigures(*show, StepsFor(settings.renderer), fps);
    return timer;
}

// Holds the fast run's frames to the reference run's; returns the exit status.
int CompareFrames(const StepTimer& fast, const StepTimer& reference) {
    std::printf("reference / fast: %.2f times the speed\n", reference.MsPerPass() / fast.MsPerPass());
    const size_t passes = std::min(fast.hashes.size(), reference.hashes.size());
    for (size_t pass = 0; pass < passes; ++pass) {
        if (fast.hashes[pass] != reference.hashes[pass]) {
            std::printf("frames: pass %zu differs from the reference's\n", pass);
            return 1;
        }
    }
    if (fast.hashes.size() != reference.hashes.size()) {
        std::printf("frames: %zu passes drawn, the reference drew %zu\n", fast.hashes.size(),
                    reference.hashes.size());
        return 1;
    }
    std::printf("frames: all %zu equal the reference's\n", passes);
    return 0;
}

}  // namespace

int RunBenchmark(const Options& options) {
    const ShowSettings settings = SettingsFor(options);
    const std::unique_ptr<StepTimer> timed = TimeShow(settings, options.fps, options.verify);
    if (!options.verify) {
        return 0;
    }
    ShowSettings referenceSettings = settings;
    referenceSettings.renderer = Renderer::Reference;
    std::printf("\n");
    const std::unique_ptr<StepTimer> reference = TimeShow(referenceSettings, options.fps, true);
    return CompareFrames(*timed, *reference);
}
