#include "render/landscape_views.h"

#include <algorithm>
#include <cmath>

#include "render/float_trig.h"
#include "render/framebuffer.h"
#include "render/show_constants.h"
#include "render/truncate.h"

MapCell PerspectiveCoords(int32_t column, uint8_t d, const FrameBytes& bytes) {
    return {static_cast<uint8_t>(PerspectiveSpread(column, d)), static_cast<uint8_t>(bytes.back - d)};
}

MapCell TunnelCoords(int32_t column, uint8_t d, const FrameBytes& bytes) {
    return {static_cast<uint8_t>(column + bytes.shift), static_cast<uint8_t>(bytes.back - d)};
}

RadialDirection RadialDirectionOf(int32_t column) {
    const double theta = column / 256.0 * TWO_PI;
    return {std::cos(theta), std::sin(theta)};
}

RadialOffset RadialCellOffset(const RadialDirection& direction, uint8_t d) {
    const double r = d * 0.5;
    return {static_cast<int8_t>(TruncateToInteger(direction.cos * r)),
            static_cast<int8_t>(TruncateToInteger(direction.sin * r))};
}

MapCell RadialCoords(int32_t column, uint8_t d, const FrameBytes& bytes) {
    const RadialOffset offset = RadialCellOffset(RadialDirectionOf(column), d);
    return {static_cast<uint8_t>(offset.x + bytes.camX + 127),
            static_cast<uint8_t>(offset.y + bytes.camY + 127)};
}

uint16_t PerspectiveRow(uint8_t h, uint8_t d) {
    return static_cast<uint16_t>(PerspectiveRowNumerator(h) / (d + 1));
}

uint16_t TunnelRow(uint8_t h, uint8_t d) {
    return static_cast<uint16_t>(TunnelRowNumerator(h) / (d + 1));
}

float RadialRowSine(uint8_t d) {
    return SineOf(static_cast<float>(d) * PI_FLOAT / 512.0f);
}

uint16_t RadialRow(uint8_t h, uint8_t d) {
    return static_cast<uint16_t>(RadialRowFromSine(h, RadialRowSine(d)));
}

namespace {

// The occlusion line of the polar views starts at intermediateRows - 1 (16-bit), kept inside
// the intermediate block so that a row count of 0 or above 1600 cannot write past it.
uint16_t IntermediateStartLine(const Landscape& landscape) {
    const uint16_t line = static_cast<uint16_t>(landscape.intermediateRows - 1);
    return std::min<uint16_t>(line, INTERMEDIATE_ROWS - 1);
}

}  // namespace

ViewSetup SetUpView(Landscape& landscape) {
    ViewSetup view;
    const uint8_t mode = landscape.viewMode;
    if (mode & VIEW_PERSPECTIVE) {
        view = {ViewKind::Perspective, frameBuffer,   PERSPECTIVE_COLUMNS, 0,
                PerspectiveCoords,     PerspectiveRow};
    }
    if (mode & VIEW_TUNNEL) {
        view = {ViewKind::Tunnel, landscape.intermediate.get(), INTERMEDIATE_COLUMNS, 0, TunnelCoords,
                TunnelRow};
        landscape.activeTable = &landscape.tunnelTable;
    }
    if (mode & VIEW_RADIAL) {
        view = {ViewKind::Radial, landscape.intermediate.get(), INTERMEDIATE_COLUMNS, 0, RadialCoords,
                RadialRow};
        landscape.activeTable = &landscape.radialTable;
    }
    // The starting line follows bit 0 alone, so mode 3 draws the tunnel from row 479.
    view.startLine = (mode & VIEW_PERSPECTIVE) ? PERSPECTIVE_ROWS - 1 : IntermediateStartLine(landscape);
    return view;
}
