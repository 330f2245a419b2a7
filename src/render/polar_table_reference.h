#pragma once
#include "render/polar_table.h"

// BuildPolarTable entry by entry, one square root and one arc tangent each: the oracle the
// fast builder is held to.
PolarTable& BuildPolarTableReference(PolarTable& table, uint8_t flags);
