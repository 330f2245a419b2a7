// The landscape and the wave filter, fast against reference, on script-like states.
// Run: build/bench/landscape_bench [--benchmark_repetitions=N]
#include <benchmark/benchmark.h>

#include <vector>

#include "render/colour_curve.h"
#include "render/framebuffer.h"
#include "render/landscape.h"
#include "render/landscape_reference.h"
#include "render/landscape_tables.h"
#include "render/random.h"
#include "render/wave_filter.h"
#include "render/wave_filter_reference.h"
#include "support/landscape_fixture.h"

namespace {

Landscape& SharedLandscape() {
    static Landscape* landscape = [] {
        auto* l = new Landscape;
        LoadTestMaps(*l, 1);
        const MapSize size;
        const float gains[6] = {0.5f, 0.9f, 1.0f, 0.9f, 0.85f, 0.85f};
        const float exponents[6] = {0.2f, 0.2f, 0.7f, 0.2f, 0.7f, 0.7f};
        for (int slot = 0; slot < 6; ++slot) {
            ApplyColourCurve(l->colourMaps[slot].get(), &size, gains[slot], exponents[slot]);
        }
        return l;
    }();
    return *landscape;
}

// Spans of the show in one view, stepped through at 60 frames a second.
struct Span {
    float from;
    float to;
};

template <void (*Render)(Landscape&)>
void RenderSpan(benchmark::State& state, Span span, SimdLevel level = SimdLevel::Portable) {
    Landscape& l = SharedLandscape();
    l.hardware.simd = level;
    int pass = 0;
    const int passes = static_cast<int>((span.to - span.from) * 60.0f);
    for (auto _ : state) {
        SetScriptState(l, span.from + static_cast<float>(pass) / 60.0f);
        Render(l);
        benchmark::DoNotOptimize(frameBuffer[0]);
        pass = (pass + 7) % passes;
    }
}

// The fast renderer on one thread at the vector level of the benchmark's argument.
void Fast(benchmark::State& state, Span span) {
    const auto level = static_cast<SimdLevel>(state.range(0));
    if (!SimdLevelAvailable(level)) {
        state.SkipWithError("this processor lacks these instructions");
        return;
    }
    state.SetLabel(SimdLevelName(level));
    RenderSpan<RenderLandscape>(state, span, level);
}
void Reference(benchmark::State& state, Span span) {
    RenderSpan<RenderLandscapeReference>(state, span);
}

constexpr Span PERSPECTIVE{0.0f, 51.0f};
constexpr Span RADIAL{51.0f, 57.0f};
constexpr Span TUNNEL{90.0f, 159.0f};
constexpr Span RADIAL_SWAY{159.0f, 183.0f};
constexpr Span WHOLE_SHOW{0.0f, 196.0f};

BENCHMARK_CAPTURE(Fast, perspective, PERSPECTIVE)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Reference, perspective, PERSPECTIVE)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Fast, tunnel, TUNNEL)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Reference, tunnel, TUNNEL)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Fast, radial, RADIAL)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Reference, radial, RADIAL)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Fast, radial_sway, RADIAL_SWAY)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Reference, radial_sway, RADIAL_SWAY)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Fast, whole_show, WHOLE_SHOW)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Reference, whole_show, WHOLE_SHOW)->Unit(benchmark::kMicrosecond);

template <void (*Apply)(WaveFilter&)>
void Wave(benchmark::State& state) {
    WaveFilter wave;
    wave.copy = std::make_unique<uint32_t[]>(FRAME_PIXELS);
    wave.enabled = static_cast<uint8_t>(state.range(0));
    wave.amplitude = 64;
    wave.frequency = 3.0f;
    SeedRandom(1);
    for (int i = 0; i < FRAME_PIXELS; ++i) {
        frameBuffer[i] = static_cast<uint32_t>(i) * 2654435761u;
    }
    for (auto _ : state) {
        wave.phase = 0.3f;
        Apply(wave);
        benchmark::DoNotOptimize(frameBuffer[0]);
    }
}

BENCHMARK_TEMPLATE(Wave, ApplyWave)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK_TEMPLATE(Wave, ApplyWaveReference)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
