#include "render/landscape.h"

#include "render/framebuffer.h"
#include "render/landscape_frame.h"
#include "render/landscape_march.h"
#include "render/landscape_remap.h"
#include "render/landscape_tables.h"
#include "render/landscape_views.h"

// The maps are zeroed rather than left undefined, so that a frame drawn before they are loaded
// reads defined (black) data. Every frame that reads the intermediate has written it first.
Landscape::Landscape(const DrawHardware& drawHardware)
    : landHeights(ZeroedHeapBlock<uint8_t>(MAP_CELLS)),
      waterHeights(ZeroedHeapBlock<uint8_t>(MAP_CELLS)),
      intermediate(CacheLineHeapBlock<uint32_t>(INTERMEDIATE_PIXELS)),
      hardware(drawHardware),
      tables(std::make_unique<LandscapeTables>()) {
    for (auto& map : colourMaps) {
        map = ZeroedHeapBlock<uint32_t>(MAP_CELLS);
    }
    BuildPolarTable(tunnelTable, POLAR_TUNNEL, hardware.pool);
    BuildPolarTable(radialTable, POLAR_RADIAL, hardware.pool);
    BuildLandscapeTables(*tables, tunnelTable, radialTable, hardware.pool);
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
