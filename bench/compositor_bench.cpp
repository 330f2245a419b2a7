// The layer blends over a full frame at every vector level against the per-channel
// reference, so their ratio shows what the packed operations buy.
#include <benchmark/benchmark.h>

#include <random>

#include "render/blend_pixels.h"
#include "render/compositor_reference.h"
#include "render/framebuffer.h"

namespace {

Layer& WhiteNoiseLayer() {
    static LayerList list;
    if (list.items.empty()) {
        Layer& layer = AddLayer(list, BLEND_ADD);
        std::mt19937 random(7);
        for (uint32_t p = 0; p < layer.pixelCount; ++p) {
            layer.pixels[p] = random();
        }
        layer.amount = 200;
    }
    return *list.items.front();
}

template <bool kAdd>
void Blend(benchmark::State& state) {
    const auto level = static_cast<SimdLevel>(state.range(0));
    if (!SimdLevelAvailable(level)) {
        state.SkipWithError("this processor lacks these instructions");
        return;
    }
    state.SetLabel(SimdLevelName(level));
    Layer& layer = WhiteNoiseLayer();
    for (auto _ : state) {
        if (kAdd) {
            AddPixels(layer.pixels.get(), frameBuffer, layer.pixelCount, layer.amount, level);
        } else {
            SubtractPixels(layer.pixels.get(), frameBuffer, layer.pixelCount, layer.amount, level);
        }
        benchmark::ClobberMemory();
    }
}

void BM_AddLayerPixelsReference(benchmark::State& state) {
    Layer& layer = WhiteNoiseLayer();
    for (auto _ : state) {
        AddLayerPixelsReference(layer.pixels.get(), frameBuffer, layer.pixelCount, layer.amount);
        benchmark::ClobberMemory();
    }
}

void BM_SubtractLayerPixelsReference(benchmark::State& state) {
    Layer& layer = WhiteNoiseLayer();
    for (auto _ : state) {
        SubtractLayerPixelsReference(layer.pixels.get(), frameBuffer, layer.pixelCount, layer.amount);
        benchmark::ClobberMemory();
    }
}

}  // namespace

// Arguments: the SimdLevel (0 portable, 1 SSE2, 2 AVX2).
BENCHMARK_TEMPLATE(Blend, true)->Name("BM_AddLayerPixels")->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_AddLayerPixelsReference)->Unit(benchmark::kMicrosecond);
BENCHMARK_TEMPLATE(Blend, false)
    ->Name("BM_SubtractLayerPixels")
    ->DenseRange(0, 2)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SubtractLayerPixelsReference)->Unit(benchmark::kMicrosecond);
