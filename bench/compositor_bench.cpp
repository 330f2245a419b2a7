// The layer blends over a full frame: the packed four-pixel path, the packed one-pixel path
// and the per-channel reference, so their ratio shows what the packed operation buys.
#include <benchmark/benchmark.h>

#include <random>

#include "render/compositor.h"
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

void BM_AddLayerPixels(benchmark::State& state) {
    Layer& layer = WhiteNoiseLayer();
    for (auto _ : state) {
        AddLayerPixels(layer);
        benchmark::ClobberMemory();
    }
}

void BM_AddLayerPixelsPortable(benchmark::State& state) {
    Layer& layer = WhiteNoiseLayer();
    for (auto _ : state) {
        AddLayerPixelsPortable(layer.pixels.get(), frameBuffer, layer.pixelCount, layer.amount);
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

void BM_SubtractLayerPixels(benchmark::State& state) {
    Layer& layer = WhiteNoiseLayer();
    for (auto _ : state) {
        SubtractLayerPixels(layer);
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

BENCHMARK(BM_AddLayerPixels)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_AddLayerPixelsPortable)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_AddLayerPixelsReference)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SubtractLayerPixels)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SubtractLayerPixelsReference)->Unit(benchmark::kMicrosecond);
