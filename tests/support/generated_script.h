#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "script/script_row.h"

// A script of `rows` random rows that the show accepts, for holding seeks and replays to their
// references on scripts far from the built-in one: every field of every object, every element
// type a field takes (signed and unsigned alike), settings, ramps and clock rows, many tracks
// on one field at once. A fifth of the spans cover the whole show; the others are short, many
// of them starting or ending exactly on a pass of the 60 or 7 a second grids, some of no length.
// The switches mostly take 0 and 1 and the map choices run past the last map, so that the
// landscape and the layers come and go and the maps selected carry over.
std::vector<ScriptRow> GeneratedScript(uint32_t seed, size_t rows);
