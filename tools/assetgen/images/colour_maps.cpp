#include "colour_maps.h"

#include <cmath>

#include "colour_rules.h"
#include "height_maps.h"

namespace {

std::vector<TerrainSample> SampleTerrain(const HeightMap& land) {
    std::vector<TerrainSample> samples(MAP_CELLS);
    for (int y = 0; y < MAP_SIDE; ++y) {
        for (int x = 0; x < MAP_SIDE; ++x) {
            TerrainSample& s = samples[CellIndex(x, y)];
            const Slope slope = SlopeAt(land, x, y);
            const float u = static_cast<float>(x);
            const float v = static_cast<float>(y);
            s.x = x;
            s.y = y;
            s.height = land.At(x, y) / 255.0f;
            s.slopeX = static_cast<float>(slope.dx);
            s.slopeY = static_cast<float>(slope.dy);
            s.steepness = std::sqrt(s.slopeX * s.slopeX + s.slopeY * s.slopeY);
            s.fine = Fbm(u, v, {64, 2, 0.5f, 401});
            s.medium = Fbm(u, v, {16, 3, 0.5f, 409});
            s.veins = RidgedFbm(u, v, {8, 3, 0.5f, 419});
        }
    }
    return samples;
}

}  // namespace

std::vector<ColourMapRecipe> ColourMapRecipes() {
    return {
        {"colormap2", {0.5f, 0.2f}, NaturalColour},   {"colormap2blue", {0.9f, 0.2f}, IceColour},
        {"colormap2b", {1.0f, 0.7f}, DuskColour},     {"colormap2gray", {0.9f, 0.2f}, StoneColour},
        {"colormap2test", {0.85f, 0.7f}, TestColour}, {"colormap2red", {0.85f, 0.7f}, MagmaColour},
    };
}

ColourMap MakeColourMap(const HeightMap& land, const ColourMapRecipe& recipe) {
    const std::array<uint8_t, 256> inverse = InverseCurve(recipe.curve);
    const std::vector<TerrainSample> samples = SampleTerrain(land);
    ColourMap map;
    for (int cell = 0; cell < MAP_CELLS; ++cell) {
        StoreDisplayed(map, cell, recipe.rule(samples[cell]), inverse);
    }
    return map;
}
