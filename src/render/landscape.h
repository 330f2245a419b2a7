#pragma once
#include <array>
#include <cstdint>
#include <memory>

#include "render/draw_hardware.h"
#include "render/heap_block.h"
#include "render/polar_table.h"

// The maps are square, MAP_SIDE cells a side, and their coordinates wrap modulo 256.
constexpr int MAP_SIDE = 256;
constexpr int MAP_CELLS = MAP_SIDE * MAP_SIDE;

// The intermediate image of the polar views: a 640 x 640 block used with a row stride of
// 256 pixels, which makes room for 1600 rows.
constexpr int INTERMEDIATE_PIXELS = 640 * 640;
constexpr int INTERMEDIATE_COLUMNS = 256;
constexpr int INTERMEDIATE_ROWS = INTERMEDIATE_PIXELS / INTERMEDIATE_COLUMNS;

struct LandscapeTables;

constexpr uint8_t PATH_COS_X = 1;  // camera X follows a cosine
constexpr uint8_t PATH_SIN_Y = 2;  // camera Y follows a sine

constexpr uint8_t VIEW_PERSPECTIVE = 1;
constexpr uint8_t VIEW_TUNNEL = 2;
constexpr uint8_t VIEW_RADIAL = 4;

constexpr uint8_t SHADE_LIGHT = 1;  // slope light from the shade map
constexpr uint8_t SHADE_FADE = 2;   // fade with depth
constexpr uint8_t SHADE_FILL = 16;  // fill the target with clearValue

// Every field of the landscape apart from its buffers: what the tracks overwrite before each
// RenderLandscape, the maps, table and light a frame leaves selected, the fixed geometry. Kept
// apart so that the whole of it can be saved and restored by copying (a seek does).
struct LandscapeFields {
    uint8_t* activeHeights = nullptr;
    uint8_t heightSource = 0;
    uint32_t* activeColours = nullptr;
    uint8_t colourSource = 0;
    uint8_t* shadeMap = nullptr;
    uint8_t pathFlags = PATH_COS_X | PATH_SIN_Y;
    uint8_t viewMode = VIEW_RADIAL;
    uint8_t enabled = 0;
    uint8_t clearValue = 0;
    uint8_t swayEnabled = 0;
    float swayClock = 0.0f;
    float swayRate = 0.0f;
    uint8_t swayAmount = 0;
    float advanceClock = 0.0f;
    uint16_t advanceRate = 0;
    float pathClockX = 0.0f;
    float pathClockY = 0.0f;
    float pathRateX = 2.0f;
    float pathRateY = 2.0f;
    float pathPhaseX = 0.0f;
    float pathPhaseY = 0.0f;
    float columnShift = 0.0f;
    uint8_t mapOffsetX = 0;
    uint8_t mapOffsetY = 0;
    int8_t slopeBiasX = 0;
    int8_t slopeBiasY = 0;
    float lightClockX = 0.0f;
    float lightRateX = 0.0f;
    float scaleX = 0.0f;
    float lightClockY = 0.0f;
    float lightRateY = 0.0f;
    float scaleY = 0.0f;
    PolarTable* activeTable = nullptr;
    float light = 0.0f;
    uint8_t shadeFlags = 4;
    uint16_t intermediateRows = 640;

    bool operator==(const LandscapeFields&) const = default;
};

// The voxel landscape: a 256 x 256 height field flown over column by column, front to back.
// Tracks overwrite the animated fields before each RenderLandscape.
struct Landscape : LandscapeFields {
    // Allocates the maps (zeroed) and the intermediate, builds both polar tables and the fast
    // renderer's tables, on the hardware's threads.
    explicit Landscape(const DrawHardware& drawHardware = {});
    ~Landscape();

    HeapBlock<uint8_t> landHeights;
    HeapBlock<uint8_t> waterHeights;
    std::array<HeapBlock<uint32_t>, 6> colourMaps;
    PolarTable tunnelTable;
    PolarTable radialTable;
    HeapBlock<uint32_t> intermediate;  // 640 x 640 pixels, used with a row stride of 256

    // The threads and vector instructions of the fast renderer.
    DrawHardware hardware;

    // Tables of the fast renderer: constant ones built by the constructor, per-frame scratch.
    std::unique_ptr<LandscapeTables> tables;
};

// Draws one frame of the landscape into frameBuffer.
void RenderLandscape(Landscape& landscape);
