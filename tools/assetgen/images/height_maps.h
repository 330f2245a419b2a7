#pragma once
#include "map_types.h"

// The land: valleys, ridges and peaks at several scales over the whole 0..255 range, tiling seamlessly.
HeightMap MakeLandHeights();

// The water surface: smooth rolling swells, tiling seamlessly.
HeightMap MakeWaterHeights();

// Slope of the height map at a cell, as the central differences the landscape's slope light uses.
struct Slope {
    int dx = 0;
    int dy = 0;
};
Slope SlopeAt(const HeightMap& map, int x, int y);
