#pragma once
#include "colour_maps.h"

// Each rule gives the colour a land cell should show once its slot's curve has been applied.

// Water, sand, grass, rock and snow by altitude and slope.
Rgb NaturalColour(const TerrainSample& s);
// Glacier ice: blue-white, deeper blue in crevasses and on steep faces.
Rgb IceColour(const TerrainSample& s);
// Warm desert at dusk: sunlit dune faces orange, shaded faces violet, rippled sand.
Rgb DuskColour(const TerrainSample& s);
// Stone: grey strata by altitude with dark cracks and speckle.
Rgb StoneColour(const TerrainSample& s);
// A bold test pattern: colour bands by height, a checkerboard and grid lines every 32 cells.
Rgb TestColour(const TerrainSample& s);
// Magma: dark red crust split by glowing orange and yellow veins.
Rgb MagmaColour(const TerrainSample& s);
