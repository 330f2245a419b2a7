#pragma once
#include <cstdint>
#include <vector>

#include "render/landscape.h"
#include "render/layer.h"
#include "render/wave_filter.h"

struct Show;

// Everything of the show's objects that changes while it plays, apart from the tracks and the
// pixels: every field the tracks can write and every one the drawing steps leave behind, and
// the random generator. Saved right after start-up and restored by a seek, whichever tracks
// the list holds.
struct ShowFields {
    LandscapeFields landscape;
    WaveFields wave;
    std::vector<LayerFields> layers;  // in layer order
    uint32_t random = 0;              // the generator's state

    bool operator==(const ShowFields&) const = default;
};

ShowFields CaptureFields(const Show& show);
void RestoreFields(Show& show, const ShowFields& fields);
