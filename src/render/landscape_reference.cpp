#include "render/landscape_reference.h"

#include <cmath>

#include "render/framebuffer.h"
#include "render/landscape_frame.h"
#include "render/landscape_views.h"
#include "render/show_constants.h"
#include "render/truncate.h"

namespace {

// Steps 1 to 5 of one sample: its map cell after offsets and sway, and the light it sets.
MapCell SampleCell(const Landscape& l, const ViewSetup& view, const FrameBytes& bytes, int column, int d) {
    MapCell cell = view.coords(column, static_cast<uint8_t>(d), bytes);
    cell.x = static_cast<uint8_t>(cell.x + l.mapOffsetX + bytes.camX);
    cell.y = static_cast<uint8_t>(cell.y + l.mapOffsetY + bytes.camY);
    if (l.swayEnabled != 0) {
        const float angle = l.swayRate * l.swayClock + static_cast<float>(d) / 255.0f * PI_FLOAT;
        const float s = static_cast<float>(std::sin(static_cast<double>(angle)));
        cell.x = TruncateToByte(static_cast<float>(cell.x) + static_cast<float>(l.swayAmount) * s);
    }
    return cell;
}

// The slope light: gradients of the shade map plus the biases pick the light byte.
float SlopeLight(const Landscape& l, MapCell cell) {
    const uint8_t* s = l.shadeMap;
    auto at = [s](int y, int x) {
        return static_cast<int>(s[static_cast<uint8_t>(y) * MAP_SIDE + static_cast<uint8_t>(x)]);
    };
    const uint8_t gx =
        static_cast<uint8_t>(at(cell.y, cell.x + 1) - at(cell.y, cell.x - 1) + l.slopeBiasX - 128);
    const uint8_t gy =
        static_cast<uint8_t>(at(cell.y + 1, cell.x) - at(cell.y - 1, cell.x) + l.slopeBiasY - 128);
    float light = static_cast<float>(at(gy, gx)) / 256.0f;
    if (light < 0.0f) {
        light = 0.0f;
    }
    if (light > 1.0f) {
        light = 1.0f;
    }
    return light;
}

// Scales red, green and blue of a texel by v / 256; the fourth byte becomes 0.
uint32_t ScaleColour(uint32_t texel, uint8_t v) {
    const float s = static_cast<float>(v) / 256.0f;
    const uint32_t red = static_cast<uint32_t>(static_cast<float>((texel >> 16) & 0xFF) * s);
    const uint32_t green = static_cast<uint32_t>(static_cast<float>((texel >> 8) & 0xFF) * s);
    const uint32_t blue = static_cast<uint32_t>(static_cast<float>(texel & 0xFF) * s);
    return red * 65536 + green * 256 + blue;
}

void MarchColumn(Landscape& l, const ViewSetup& view, const FrameBytes& bytes, int column) {
    uint16_t top = view.startLine;
    for (int d = 0; d <= 254; ++d) {
        const MapCell cell = SampleCell(l, view, bytes, column, d);
        if (l.shadeFlags & SHADE_LIGHT) {
            l.light = SlopeLight(l, cell);
        }
        const int index = cell.y * MAP_SIDE + cell.x;
        const uint8_t h = l.activeHeights[index];
        const float fade = (l.shadeFlags & SHADE_FADE) ? 1.0f - static_cast<float>(d) / 256.0f : 1.0f;
        const float gain = (l.shadeFlags & SHADE_LIGHT) ? l.light : 1.0f;
        const float shade = gain * fade;
        const uint8_t v = TruncateToByte(shade * static_cast<float>(h));
        const uint32_t colour = ScaleColour(l.activeColours[index], v);
        const uint16_t row = view.row(h, static_cast<uint8_t>(d));
        if (row < top) {
            for (int y = top; y > row; --y) {
                view.target[y * view.columns + column] = colour;
            }
            top = row;
        }
    }
}

void Remap(const Landscape& l) {
    const PolarEntry* entries = l.activeTable->entries.get();
    for (int i = 0; i < FRAME_PIXELS; ++i) {
        frameBuffer[i] = l.intermediate[entries[i].distance * 256 + entries[i].angle];
    }
}

}  // namespace

void RenderLandscapeReference(Landscape& l) {
    const FrameBytes bytes = ComputeFrameBytes(l);
    const ViewSetup view = BeginLandscapeFrame(l);
    if (view.kind == ViewKind::None) {
        return;
    }
    ClearTarget(l, view);
    for (int column = 0; column < view.columns; ++column) {
        MarchColumn(l, view, bytes, column);
    }
    if (l.viewMode & (VIEW_TUNNEL | VIEW_RADIAL)) {
        Remap(l);
    }
}
