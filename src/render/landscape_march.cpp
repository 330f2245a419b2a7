#include "render/landscape_march.h"

#include <algorithm>
#include <cstring>

#include "render/float_trig.h"
#include "render/framebuffer.h"
#include "render/landscape_frame.h"
#include "render/landscape_tables.h"
#include "render/pixel_ops.h"
#include "render/truncate.h"
#include "render/worker_pool.h"

namespace {

// The slope light byte S[gy][gx] of map cell (x, y): the slopes of the shade map plus the biases.
uint8_t SlopeLightByte(const Landscape& l, uint8_t x, uint8_t y) {
    const uint8_t* s = l.shadeMap;
    const int row = y << 8;
    const int up = static_cast<uint8_t>(y - 1) << 8;
    const int down = static_cast<uint8_t>(y + 1) << 8;
    const int left = static_cast<uint8_t>(x - 1);
    const int right = static_cast<uint8_t>(x + 1);
    const uint8_t gx = static_cast<uint8_t>(s[row + right] - s[row + left] + l.slopeBiasX - 128);
    const uint8_t gy = static_cast<uint8_t>(s[down + x] - s[up + x] + l.slopeBiasY - 128);
    return s[(gy << 8) + gx];
}

// The views as the march uses them: the coordinate function with the frame's offsets
// folded in (map offset plus camera), and the row function through tables.

struct PerspectiveView {
    uint8_t offsetX;
    uint8_t offsetY;  // back + map offset + camY
    const LandscapeTables* tables;

    MapCell Cell(int column, int d) const {
        const int spread = ((column - 320) * d) >> 8;
        return {static_cast<uint8_t>(spread + offsetX), static_cast<uint8_t>(offsetY - d)};
    }
    uint32_t Row(uint32_t h, int d) const { return DivideByDepth(*tables, (271 - h) * 32, d); }
};

struct TunnelView {
    uint8_t offsetX;  // shift + map offset + camX
    uint8_t offsetY;  // back + map offset + camY
    const LandscapeTables* tables;

    MapCell Cell(int column, int d) const {
        return {static_cast<uint8_t>(column + offsetX), static_cast<uint8_t>(offsetY - d)};
    }
    uint32_t Row(uint32_t h, int d) const { return DivideByDepth(*tables, ((255 - h) / 4 + 4) * 128, d); }
};

struct RadialView {
    uint8_t offsetX;  // 127 + camX twice + map offset
    uint8_t offsetY;  // 127 + camY twice + map offset
    const LandscapeTables* tables;

    MapCell Cell(int column, int d) const {
        const RadialOffset offset = tables->radialOffsets[column * 256 + d];
        return {static_cast<uint8_t>(offset.x + offsetX), static_cast<uint8_t>(offset.y + offsetY)};
    }
    uint32_t Row(uint32_t h, int d) const {
        return 255 - static_cast<uint32_t>(static_cast<float>(h) * tables->radialSines[d]);
    }
};

// What the march reads, once per frame.
struct Shading {
    const Landscape* landscape;
    const LandscapeTables* tables;
    const uint8_t* heights;
    const uint32_t* colours;
    bool light;
    bool fade;
};

// Brightness v of a drawn sample. With light L = S / 256 and fade F = (256 - d) / 256 the
// product L x F x h is exact in single precision (at most 24 significant bits), so its
// truncation is the integer quotient below.
uint32_t Brightness(const Shading& shading, MapCell cell, uint32_t h, int d) {
    const uint32_t light = shading.light ? SlopeLightByte(*shading.landscape, cell.x, cell.y) : 256;
    const uint32_t fade = shading.fade ? 256 - d : 256;
    return (light * fade * h) >> 16;
}

template <class View, bool kSway>
MapCell SampleCell(const View& view, const LandscapeTables& tables, int column, int d) {
    MapCell cell = view.Cell(column, d);
    if constexpr (kSway) {
        cell.x = TruncateToByte(static_cast<float>(cell.x) + tables.swayOffsets[d]);
    }
    return cell;
}

// A sample that passed the occlusion line, packed as map index (y x 256 + x) | d << 16.
using DrawnSample = uint32_t;

// First pass over one column: finds the samples that are drawn, without branching on the
// terrain, so the visibility test costs no mispredicted jumps. Returns their number.
template <class View, bool kSway>
int FindDrawnSamples(const View& view, const Shading& shading, int column, int startLine,
                     DrawnSample* drawn) {
    int top = startLine;
    int count = 0;
    for (int d = 0; d < LANDSCAPE_DEPTHS; ++d) {
        const MapCell cell = SampleCell<View, kSway>(view, *shading.tables, column, d);
        const uint32_t index = (cell.y << 8) | cell.x;
        const int row = static_cast<int>(view.Row(shading.heights[index], d));
        drawn[count] = index | static_cast<uint32_t>(d) << 16;
        const bool visible = row < top;
        count += visible;
        top = visible ? row : top;
    }
    return count;
}

// Second pass: shades the drawn samples and fills the strip from the starting line upward;
// returns the final occlusion line.
template <class View>
int DrawSamples(const View& view, const Shading& shading, const DrawnSample* drawn, int count,
                uint32_t* strip, int startLine) {
    int top = startLine;
    for (int i = 0; i < count; ++i) {
        const uint32_t index = drawn[i] & 0xFFFF;
        const int d = static_cast<int>(drawn[i] >> 16);
        const uint32_t h = shading.heights[index];
        const int row = static_cast<int>(view.Row(h, d));
        const MapCell cell{static_cast<uint8_t>(index & 0xFF), static_cast<uint8_t>(index >> 8)};
        const uint32_t v = Brightness(shading, cell, h, d);
        // red, green and blue times v / 256, truncated: the layers' weighting, exact in integers.
        FillStrip(strip, top, row, WeightPixel(shading.colours[index], v));
        top = row;
    }
    return top;
}

// The light of the march's last sample (last column, d = 254), drawn or not.
template <class View, bool kSway>
void SetLastLight(Landscape& l, const View& view, int columns) {
    const MapCell cell = SampleCell<View, kSway>(view, *l.tables, columns - 1, LANDSCAPE_DEPTHS - 1);
    l.light = static_cast<float>(SlopeLightByte(l, cell.x, cell.y)) / 256.0f;
}

// Columns marched and copied into the target by one task: 16 pixels, one cache line of a
// target row.
constexpr int BAND_COLUMNS = 16;
// Rows of the target below the strips that one task fills.
constexpr int CLEAR_ROWS = 64;

template <class View, bool kSway>
void MarchBand(const View& view, const Shading& shading, const ViewSetup& setup, int first, int end) {
    const ColumnStrips& strips = shading.tables->strips;
    const uint32_t fill = ClearByte(*shading.landscape) * 0x01010101u;
    DrawnSample drawn[LANDSCAPE_DEPTHS + 1];
    for (int column = first; column < end; ++column) {
        uint32_t* strip = Strip(strips, column);
        const int count = FindDrawnSamples<View, kSway>(view, shading, column, setup.startLine, drawn);
        const int top = DrawSamples(view, shading, drawn, count, strip, setup.startLine);
        FinishStrip(strip, top, fill);
    }
    TransposeStrips(strips, first, end, setup.target, shading.landscape->hardware.simd);
}

// Fills rows [first, end) of the target, which lie below the strips' rows.
void ClearRows(const Landscape& l, const ViewSetup& setup, int first, int end) {
    uint32_t* from = setup.target + static_cast<size_t>(first) * setup.columns;
    std::memset(from, ClearByte(l), static_cast<size_t>(end - first) * setup.columns * sizeof(uint32_t));
}

int TargetRows(const ViewSetup& setup) {
    return setup.target == frameBuffer ? FRAME_HEIGHT : INTERMEDIATE_ROWS;
}

// Marches bands of columns and copies them into the target, and fills the target's rows below
// the starting line, as tasks of one job.
template <class View, bool kSway>
void MarchColumns(Landscape& l, const View& view, const ViewSetup& setup) {
    const Shading shading{&l,
                          l.tables.get(),
                          l.activeHeights,
                          l.activeColours,
                          (l.shadeFlags & SHADE_LIGHT) != 0,
                          (l.shadeFlags & SHADE_FADE) != 0};
    ColumnStrips& strips = l.tables->strips;
    ArrangeStrips(strips, setup.columns, setup.startLine + 1);
    const int bands = setup.columns / BAND_COLUMNS;
    const int clearedRows = TargetRows(setup) - strips.rows;
    const int clearTasks = (clearedRows + CLEAR_ROWS - 1) / CLEAR_ROWS;
    RunTasks(l.hardware.pool, bands + clearTasks, [&](int task) {
        if (task < bands) {
            MarchBand<View, kSway>(view, shading, setup, task * BAND_COLUMNS, (task + 1) * BAND_COLUMNS);
        } else {
            const int first = strips.rows + (task - bands) * CLEAR_ROWS;
            ClearRows(l, setup, first, std::min(first + CLEAR_ROWS, TargetRows(setup)));
        }
    });
    if (shading.light) {
        SetLastLight<View, kSway>(l, view, setup.columns);
    }
}

static_assert(FRAME_WIDTH % BAND_COLUMNS == 0 && INTERMEDIATE_COLUMNS % BAND_COLUMNS == 0);

template <class View>
void MarchView(Landscape& l, const View& view, const ViewSetup& setup) {
    if (l.swayEnabled != 0) {
        MarchColumns<View, true>(l, view, setup);
    } else {
        MarchColumns<View, false>(l, view, setup);
    }
}

void FillSwayOffsets(const Landscape& l) {
    const float phase = l.swayRate * l.swayClock;
    const float amount = static_cast<float>(l.swayAmount);
    for (int d = 0; d < LANDSCAPE_DEPTHS; ++d) {
        const float angle = phase + static_cast<float>(d) / 255.0f * 3.141592654f;
        l.tables->swayOffsets[d] = amount * SineOf(angle);
    }
}

}  // namespace

void MarchLandscape(Landscape& l, const ViewSetup& setup, const FrameBytes& bytes) {
    if (l.swayEnabled != 0) {
        FillSwayOffsets(l);
    }
    const uint8_t offsetX = static_cast<uint8_t>(l.mapOffsetX + bytes.camX);
    const uint8_t offsetY = static_cast<uint8_t>(l.mapOffsetY + bytes.camY);
    const LandscapeTables* tables = l.tables.get();
    switch (setup.kind) {
        case ViewKind::Perspective:
            MarchView(l, PerspectiveView{offsetX, static_cast<uint8_t>(offsetY + bytes.back), tables}, setup);
            break;
        case ViewKind::Tunnel:
            MarchView(l,
                      TunnelView{static_cast<uint8_t>(offsetX + bytes.shift),
                                 static_cast<uint8_t>(offsetY + bytes.back), tables},
                      setup);
            break;
        case ViewKind::Radial:
            MarchView(l,
                      RadialView{static_cast<uint8_t>(offsetX + bytes.camX + 127),
                                 static_cast<uint8_t>(offsetY + bytes.camY + 127), tables},
                      setup);
            break;
        case ViewKind::None:
            return;
    }
}
