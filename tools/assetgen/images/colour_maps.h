#pragma once
#include <string>
#include <vector>

#include "colour_curve.h"
#include "map_types.h"

// What a colour map knows about one cell of the land: its height, slope and some fine texture noise.
struct TerrainSample {
    int x = 0;
    int y = 0;
    float height = 0.0f;  // 0..1
    float slopeX = 0.0f;  // central difference in height units, as the slope light sees it
    float slopeY = 0.0f;
    float steepness = 0.0f;  // length of the slope, 0 for flat ground
    float fine = 0.0f;       // high-frequency texture, about -1..1
    float medium = 0.0f;     // mid-frequency texture, about -1..1
    float veins = 0.0f;      // ridged texture, 1 on thin crest lines, about 0..1
};

using ColourRule = Rgb (*)(const TerrainSample&);

// One colour map file: its name, the curve of the show's slot that loads it, and the rule that colours a cell
// in displayed colours.
struct ColourMapRecipe {
    std::string fileName;
    ColourCurve curve;
    ColourRule rule;
};

// The six colour maps in the order of the show's slots 0 to 5.
std::vector<ColourMapRecipe> ColourMapRecipes();

// Builds a colour map for `land`: each cell coloured by the recipe's rule, then encoded for its curve.
ColourMap MakeColourMap(const HeightMap& land, const ColourMapRecipe& recipe);
