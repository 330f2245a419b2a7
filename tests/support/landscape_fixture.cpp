#include "support/landscape_fixture.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// Bilinear value noise over a lattice of `cell` map cells, wrapping at 256.
float LatticeNoise(const float* lattice, int size, float x, float y) {
    const int x0 = static_cast<int>(x) % size;
    const int y0 = static_cast<int>(y) % size;
    const int x1 = (x0 + 1) % size;
    const int y1 = (y0 + 1) % size;
    const float fx = x - std::floor(x);
    const float fy = y - std::floor(y);
    const float top = lattice[y0 * size + x0] * (1 - fx) + lattice[y0 * size + x1] * fx;
    const float bottom = lattice[y1 * size + x0] * (1 - fx) + lattice[y1 * size + x1] * fx;
    return top * (1 - fy) + bottom * fy;
}

}  // namespace

void FillTerrain(uint8_t* heights, uint32_t seed, int roughness) {
    TestRandom random{seed * 7919ull + 17};
    std::vector<float> values(256 * 256, 0.0f);
    float weight = 1.0f;
    for (int size = 4; size <= 64; size *= 2, weight *= 0.5f) {
        float lattice[64 * 64];
        for (int i = 0; i < size * size; ++i) {
            lattice[i] = random.Unit();
        }
        for (int y = 0; y < 256; ++y) {
            for (int x = 0; x < 256; ++x) {
                values[y * 256 + x] +=
                    weight * LatticeNoise(lattice, size, x * size / 256.0f, y * size / 256.0f);
            }
        }
    }
    for (int i = 0; i < 256 * 256; ++i) {
        const float jitter = static_cast<float>(random.Next() % (roughness + 1));
        const float h = values[i] * 140.0f + jitter;
        heights[i] = static_cast<uint8_t>(h > 255.0f ? 255.0f : h);
    }
}

void FillColourMap(uint32_t* texels, uint32_t seed) {
    TestRandom random{seed * 104729ull + 3};
    std::generate(texels, texels + 256 * 256, [&random] { return random.Next(); });
}

void LoadTestMaps(Landscape& landscape, uint32_t seed) {
    FillTerrain(landscape.landHeights.get(), seed, 6);
    FillTerrain(landscape.waterHeights.get(), seed + 100, 40);
    for (size_t slot = 0; slot < landscape.colourMaps.size(); ++slot) {
        FillColourMap(landscape.colourMaps[slot].get(), seed * 10 + static_cast<uint32_t>(slot));
    }
    landscape.activeHeights = landscape.landHeights.get();
    landscape.shadeMap = landscape.landHeights.get();
}

namespace {

struct LookSetting {
    float from;
    uint8_t viewMode;
    uint8_t colourSource;
    uint8_t shadeFlags;
    uint8_t pathFlags;
    float scaleY;
};

constexpr LookSetting LOOK_SETTINGS[] = {
    {0, 1, 3, 1, 3, 255},  {15, 1, 0, 1, 3, 255},  {39, 1, 3, 27, 3, 255}, {51, 4, 4, 1, 3, 255},
    {57, 1, 3, 1, 3, 255}, {90, 2, 5, 3, 9, -255}, {122, 2, 5, 3, 9, 999}, {123, 2, 2, 4, 9, -127},
    {147, 2, 2, 4, 9, 0},  {159, 4, 4, 1, 9, 0},   {183, 1, 2, 1, 9, 0},
};

// Position within a ramp from `start` to `end`, held at its ends.
float Ramp(float seconds, float start, float end) {
    if (seconds <= start) {
        return 0.0f;
    }
    return seconds >= end ? 1.0f : (seconds - start) / (end - start);
}

void SetSway(Landscape& l, float seconds, float tens) {
    l.swayEnabled = seconds >= 130.0f ? 1 : 0;
    const bool second = seconds >= 159.0f;
    const float start = second ? 159.0f : 130.0f;
    const float end = second ? 179.0f : 159.0f;
    const float u = Ramp(seconds, start, end);
    l.swayClock = seconds < end ? tens : end / 10.0f;
    l.swayRate = 2.0f * u;
    l.swayAmount = static_cast<uint8_t>(90.0f * u);
    if (seconds >= 183.0f) {
        l.swayAmount = 0;
    }
}

}  // namespace

void SetScriptState(Landscape& l, float seconds) {
    const float tens = static_cast<float>(static_cast<uint32_t>(seconds * 1000.0f)) / 10000.0f;
    l.enabled = 1;
    l.scaleX = 255.0f;
    l.advanceRate = 150;
    l.heightSource = 0;
    l.lightClockX = l.lightClockY = l.advanceClock = l.pathClockX = tens;
    l.lightRateX = seconds >= 27.0f ? 5.0f : 0.0f;
    l.lightRateY = seconds >= 27.0f ? 2.0f : 0.0f;
    const bool cut = seconds >= 7.0f;
    l.mapOffsetX = l.mapOffsetY = cut ? 127 : 0;
    l.pathPhaseX = l.pathPhaseY = cut ? 1.5707964f : 0.0f;
    for (const LookSetting& look : LOOK_SETTINGS) {
        if (seconds >= look.from) {
            l.viewMode = look.viewMode;
            l.colourSource = look.colourSource;
            l.shadeFlags = look.shadeFlags;
            l.pathFlags = look.pathFlags;
            l.scaleY = look.scaleY;
        }
    }
    l.pathClockY = seconds >= 90.0f ? tens : 0.0f;
    l.pathRateY = 2.0f;
    SetSway(l, seconds, tens);
}
