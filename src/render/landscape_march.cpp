#include "render/landscape_march.h"

#include <algorithm>
#include <cstring>

#include "portability.h"
#include "render/float_trig.h"
#include "render/framebuffer.h"
#include "render/landscape_columns.h"
#include "render/landscape_frame.h"
#include "render/landscape_remap.h"
#include "render/landscape_slopes.h"
#include "render/landscape_strips.h"
#include "render/landscape_tables.h"
#include "render/pixel_ops.h"
#include "render/show_constants.h"
#include "render/truncate.h"
#include "render/worker_pool.h"

namespace {

// What the second pass reads, copied once a frame so that the stores into the strips, which may
// alias any byte as far as the compiler knows, do not have it read again for every sample.
struct Shading {
    const uint16_t* lightIndices;
    const uint8_t* shadeMap;
    const uint32_t* colours;
    uint32_t fill;  // the target's fill pixel
};

// Brightness v of a drawn sample. With light L = S / 256 and fade F = (256 - d) / 256 the
// product L x F x h is exact in single precision (at most 24 significant bits), so its
// truncation is the integer quotient below.
template <bool kLight, bool kFade>
uint32_t Brightness(const Shading& shading, uint32_t index, uint32_t h, int d) {
    const uint32_t light = kLight ? shading.shadeMap[shading.lightIndices[index]] : 256;
    const uint32_t fade = kFade ? 256 - d : 256;
    return (light * fade * h) >> 16;
}

// Second pass over one column: shades its drawn samples (a DrawnSamples or LaneSamples) and fills
// its strip from the strip's last row upward, then fills the rest of the strip. The nearest
// samples, at or below that row, are not shown. The shading is read into locals first: the
// compiler would otherwise read it again after every store into the strip.
template <bool kLight, bool kFade, class Samples>
inline void ShadeColumn(const Shading& frameShading, const Samples& drawn, uint32_t* strip, int lastRow) {
    const Shading shading = frameShading;
    int top = lastRow;
    drawn.ForEach([&](uint32_t sample, int row) {
        if (row >= top) {
            return;
        }
        const uint32_t index = sample & 0xFFFF;
        const int d = static_cast<int>(sample >> 16) & 0xFF;
        const uint32_t h = sample >> 24;
        const uint32_t v = Brightness<kLight, kFade>(shading, index, h, d);
        // red, green and blue times v / 256, truncated: the layers' weighting, exact in integers.
        FillStrip(strip, top, row, WeightPixel(shading.colours[index], v));
        top = row;
    });
    FinishStrip(strip, top, shading.fill);
}

// A column of the one-column pass, for any processor.
template <bool kLight, bool kFade>
void DrawColumn(const Shading& shading, const DrawnSamples& drawn, uint32_t* strip, int lastRow) {
    ShadeColumn<kLight, kFade>(shading, drawn, strip, lastRow);
}

// A lane of the eight-column pass, which runs only where AVX2 does: compiled for it, the fills of
// a strip are 32-byte stores.
template <bool kLight, bool kFade>
__attribute__((target("avx2"), flatten)) void DrawColumn(const Shading& shading, const LaneSamples& drawn,
                                                         uint32_t* strip, int lastRow) {
    ShadeColumn<kLight, kFade>(shading, drawn, strip, lastRow);
}

// The second pass for the frame's shading flags, chosen once a frame.
template <class Samples>
using ColumnDrawer = void (*)(const Shading&, const Samples&, uint32_t*, int);

template <class Samples>
ColumnDrawer<Samples> DrawerFor(bool light, bool fade) {
    const ColumnDrawer<Samples> drawers[2][2] = {{DrawColumn<false, false>, DrawColumn<false, true>},
                                                 {DrawColumn<true, false>, DrawColumn<true, true>}};
    return drawers[light][fade];
}

// The light of the march's last sample (last column, d = 254), drawn or not.
template <class View, bool kSway>
void SetLastLight(Landscape& l, const View& view, int columns) {
    const MapCell cell = SampleCell<View, kSway>(view, *l.tables, columns - 1, LANDSCAPE_DEPTHS - 1);
    const uint16_t index = LightIndexOfCell(l.shadeMap, cell.x, cell.y, l.slopeBiasX, l.slopeBiasY);
    l.light = static_cast<float>(l.shadeMap[index]) / 256.0f;
}

// Rows of the target below the strips that one task fills.
constexpr int CLEAR_ROWS = 64;

// What one frame's march runs with.
struct MarchSetup {
    const uint8_t* heights;
    Shading shading;
    bool light;
    bool fade;
};

// The eight-column pass over a band, one column per lane.
template <class View, bool kSway>
void MarchEight(const View& view, const MarchSetup& march, const ViewSetup& setup, StripBand& strips,
                int stripRows, int first, int end) {
    const ColumnDrawer<LaneSamples> draw = DrawerFor<LaneSamples>(march.light, march.fade);
    SamplesOfEight found;
    for (int group = first; group < end; group += LANES) {
        FindSamplesOfEight<View, kSway>(view, march.heights, group, setup.startLine, found);
        for (int lane = 0; lane < LANES; ++lane) {
            draw(march.shading, LaneSamples{found, lane}, Strip(strips, group - first + lane), stripRows - 1);
        }
    }
}

// Marches the band of STRIP_BAND_COLUMNS columns from `first` on and copies it into the target.
template <class View, bool kSway>
void MarchBand(const Landscape& l, const View& view, const MarchSetup& march, const ViewSetup& setup,
               int stripRows, int first) {
    const int end = first + STRIP_BAND_COLUMNS;
    StripBand strips;
    ArrangeStrips(strips, stripRows);
    const SimdLevel level = l.hardware.simd;
    bool marched = false;
    if constexpr (X86_VECTORS) {  // the eight-column pass is compiled for x86 processors alone
        if (level == SimdLevel::Avx2) {
            MarchEight<View, kSway>(view, march, setup, strips, stripRows, first, end);
            marched = true;
        }
    }
    if (!marched) {
        const ColumnDrawer<DrawnSamples> draw = DrawerFor<DrawnSamples>(march.light, march.fade);
        DrawnSamples drawn;
        for (int column = first; column < end; ++column) {
            FindDrawnSamples<View, kSway>(view, march.heights, column, setup.startLine, drawn);
            draw(march.shading, drawn, Strip(strips, column - first), stripRows - 1);
        }
    }
    TransposeStrips(strips, setup.target + first, setup.columns, level);
}

// Fills rows [first, end) of the target, which lie below the strips' rows.
void ClearRows(const Landscape& l, const ViewSetup& setup, int first, int end) {
    uint32_t* from = setup.target + static_cast<size_t>(first) * setup.columns;
    std::memset(from, ClearByte(l), static_cast<size_t>(end - first) * setup.columns * sizeof(uint32_t));
}

// The rows of the target that are read afterwards: every framebuffer row, or the intermediate
// rows that the view's remap reads.
int TargetRows(const Landscape& l, const ViewSetup& setup) {
    return setup.target == frameBuffer ? FRAME_HEIGHT : IntermediateRowsRead(l, setup.kind);
}

// The copies of the light index table that a frame makes: one for each thread up to
// LIGHT_INDEX_COPIES. The march reads the table at random, a cache line at a time; a table made
// in halves by two threads would have each of them fetch the other's half from the other core.
int LightIndexCopies(const Landscape& l) {
    const int threads = l.hardware.pool != nullptr ? static_cast<int>(ThreadCount(*l.hardware.pool)) : 1;
    return std::min(threads, LIGHT_INDEX_COPIES);
}

// The shade map's light indices of this frame's slope light, each copy whole, as tasks of one job.
void PrepareLightIndices(const Landscape& l) {
    LandscapeTables& tables = *l.tables;
    RunTasks(l.hardware.pool, LightIndexCopies(l), [&](int copy) {
        ComputeLightIndices(l.shadeMap, tables.lightIndices[copy].data(), l.slopeBiasX, l.slopeBiasY,
                            l.hardware.simd);
    });
}

// The copy that the march's task `task` of `tasks` reads. The calling thread claims the tasks of a
// job from the front, so it mostly made the first copy and draws the first bands; the pool's
// threads claim from the back. Which thread made a copy matters only for speed: each is whole.
const uint16_t* LightIndicesOfTask(const Landscape& l, int task, int tasks) {
    const int copy = task * LightIndexCopies(l) / tasks;
    return l.tables->lightIndices[copy].data();
}

// The first column of the band that the march's task `task` draws. The calling thread claims
// tasks from the front and the pool's thread from the back, in the march as in the row bands of
// the steps after it (the remap, the layers, the wave), where the caller takes the top rows. In
// the perspective view the bands go from left to right. In the polar views a band is a range of
// angles, 0 right of the centre and 64 below it, so the caller draws angles 128 to 255, the upper
// half of the screen, and the remap of each half finds what it reads in its own core's cache.
int BandOfTask(const ViewSetup& setup, int task, int bands) {
    const int band = setup.target == frameBuffer ? task : (task + bands / 2) % bands;
    return band * STRIP_BAND_COLUMNS;
}

// Marches bands of columns and copies them into the target, and fills the target's rows that are
// read but lie below the starting line, as tasks of one job.
template <class View, bool kSway>
void MarchColumns(Landscape& l, const View& view, const ViewSetup& setup) {
    const MarchSetup march{
        l.activeHeights,
        {nullptr, l.shadeMap, l.activeColours, ClearByte(l) * 0x01010101u},  // light indices: per task
        (l.shadeFlags & SHADE_LIGHT) != 0,
        (l.shadeFlags & SHADE_FADE) != 0};
    if (march.light) {
        PrepareLightIndices(l);
    }
    const int targetRows = TargetRows(l, setup);
    const int stripRows = std::min(setup.startLine + 1, targetRows);
    const int bands = setup.columns / STRIP_BAND_COLUMNS;
    const int clearedRows = targetRows - stripRows;
    const int clearTasks = (clearedRows + CLEAR_ROWS - 1) / CLEAR_ROWS;
    RunTasks(l.hardware.pool, bands + clearTasks, [&](int task) {
        if (task < bands) {
            MarchSetup forTask = march;
            forTask.shading.lightIndices = LightIndicesOfTask(l, task, bands);
            MarchBand<View, kSway>(l, view, forTask, setup, stripRows, BandOfTask(setup, task, bands));
        } else {
            const int first = stripRows + (task - bands) * CLEAR_ROWS;
            ClearRows(l, setup, first, std::min(first + CLEAR_ROWS, targetRows));
        }
    });
    if (march.light) {
        SetLastLight<View, kSway>(l, view, setup.columns);
    }
}

static_assert(PERSPECTIVE_COLUMNS % STRIP_BAND_COLUMNS == 0 &&
              INTERMEDIATE_COLUMNS % STRIP_BAND_COLUMNS == 0);
static_assert(STRIP_BAND_COLUMNS % LANES == 0);

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
        const float angle = phase + static_cast<float>(d) / 255.0f * PI_FLOAT;
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
