#pragma once
#include <filesystem>

#include "colour_maps.h"
#include "map_types.h"

// Developer views of the generated maps, for looking at them while tuning: never part of the show's data.

// The height map as a grey picture.
void WriteHeightPreview(const HeightMap& map, const std::filesystem::path& path);

// The height map lit from the upper left, to judge its relief.
void WriteReliefPreview(const HeightMap& map, const std::filesystem::path& path);

// A colour map as stored and as the show displays it after its curve, side by side.
void WriteColourPreview(const ColourMap& map, const ColourCurve& curve, const std::filesystem::path& path);

// A rough flight view over `land` in `map` (curved) from cell (camX, camY) looking towards decreasing y,
// shaded like the show's perspective view with the slope light of its opening.
void WriteFlightPreview(const HeightMap& land, const ColourMap& map, const ColourCurve& curve, int camX,
                        int camY, const std::filesystem::path& path);

// Prints the height distribution, slope statistics and the mean opening slope light of a height map.
void DescribeHeights(const char* name, const HeightMap& map);
