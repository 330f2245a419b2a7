#pragma once
#include <cstdint>

#include "render/landscape.h"

// Deterministic stand-ins for the show's data: rolling terrain with ridges and valleys, a
// flatter water map and six colour maps of random texels, so that occlusion, slope
// light and every map choice are exercised.

// A small generator for test data, independent of the show's own random state.
struct TestRandom {
    uint64_t state;
    uint32_t Next() {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        return static_cast<uint32_t>(state >> 33);
    }
    float Unit() { return static_cast<float>(Next() & 0xFFFFFF) / 16777216.0f; }
};

void FillTerrain(uint8_t* heights, uint32_t seed, int roughness);
void FillColourMap(uint32_t* texels, uint32_t seed);

// Fills both height maps and all colour maps and points activeHeights and shadeMap at the
// land map, as the driver does after loading.
void LoadTestMaps(Landscape& landscape, uint32_t seed = 1);

// The landscape's fields as the scene script leaves them at `seconds` of demo time: view,
// colour map, shading, path, clocks, sway and offsets.
void SetScriptState(Landscape& landscape, float seconds);
