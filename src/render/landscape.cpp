#include "render/landscape.h"

#include "render/framebuffer.h"
#include "render/landscape_frame.h"
#include "render/landscape_march.h"
#include "render/landscape_remap.h"
#include "render/landscape_tables.h"
#include "render/landscape_views.h"

// The blocks are zeroed rather than left undefined, so that a frame drawn before the maps
// are loaded reads defined (black) data.
Landscape::Landscape()
    : landHeights(std::make_unique<uint8_t[]>(MAP_CELLS)),
      waterHeights(std::make_unique<uint8_t[]>(MAP_CELLS)),
      intermediate(std::make_unique<uint32_t[]>(INTERMEDIATE_PIXELS)),
      tables(std::make_unique<LandscapeTables>()) {
    for (auto& map : colourMaps) {
        map = std::make_unique<uint32_t[]>(MAP_CELLS);
    }
    BuildPolarTable(tunnelTable, POLAR_TUNNEL);
    BuildPolarTable(radialTable, POLAR_RADIAL);
    BuildLandscapeTables(*tables, tunnelTable, radialTable);
}

Landscape::~Landscape() = default;

void RenderLandscape(Landscape& landscape) {
    const FrameBytes bytes = ComputeFrameBytes(landscape);
    const ViewSetup view = BeginLandscapeFrame(landscape);
    if (view.kind == ViewKind::None) {
        return;
    }
    MarchLandscape(landscape, view, bytes);
    if (view.kind != ViewKind::Perspective) {
        RemapIntermediate(landscape, view.kind);
    }
}
