#pragma once
#include <cstdint>

#include "render/framebuffer.h"
#include "render/landscape.h"

// The three views of the landscape, each drawn through two functions: a coordinate
// function that gives the map cell of a sample and a row function that gives its screen row.
// The geometry of each view is written once, below, for both the reference functions and
// the fast renderer's tables and lanes.

// The perspective view: the eye 271 height units up, a focal length of 32 rows, the horizon on
// row 0, and a lateral spread of (column - 320) x d / 256 cells.
constexpr int PERSPECTIVE_COLUMNS = FRAME_WIDTH;
constexpr int PERSPECTIVE_ROWS = FRAME_HEIGHT;
constexpr int PERSPECTIVE_CENTRE_COLUMN = PERSPECTIVE_COLUMNS / 2;
constexpr int PERSPECTIVE_EYE_HEIGHT = 271;
constexpr int PERSPECTIVE_FOCAL_ROWS = 32;

inline int32_t PerspectiveSpread(int32_t column, int32_t d) {
    return ((column - PERSPECTIVE_CENTRE_COLUMN) * d) >> 8;
}

// Row functions as numerator / (d + 1): the numerators, all below 2^14.
inline uint32_t PerspectiveRowNumerator(uint32_t h) {
    return (PERSPECTIVE_EYE_HEIGHT - h) * PERSPECTIVE_FOCAL_ROWS;
}

inline uint32_t TunnelRowNumerator(uint32_t h) {
    return ((255 - h) / 4 + 4) * 128;
}

// The radial row from h and sin(d x pi / 512) (RadialRowSine).
inline uint32_t RadialRowFromSine(uint32_t h, float sine) {
    return 255 - static_cast<uint32_t>(static_cast<float>(h) * sine);
}

// The map cell of one sample, both coordinates wrapping modulo 256.
struct MapCell {
    uint8_t x;
    uint8_t y;
};

// The per-frame bytes the coordinate functions take: back is the negated forward offset.
struct FrameBytes {
    uint8_t camX;
    uint8_t camY;
    uint8_t shift;
    uint8_t back;
};

// The part of RadialCoords that depends on column and depth alone: trunc(cos theta x r) and
// trunc(sin theta x r), both within -127..127.
struct RadialOffset {
    int8_t x;
    int8_t y;
};

// cos theta and sin theta of a column, theta = column / 256 x 2pi (double precision).
struct RadialDirection {
    double cos;
    double sin;
};
RadialDirection RadialDirectionOf(int32_t column);
RadialOffset RadialCellOffset(const RadialDirection& direction, uint8_t d);

using CoordinateFunction = MapCell (*)(int32_t column, uint8_t d, const FrameBytes& bytes);
using RowFunction = uint16_t (*)(uint8_t h, uint8_t d);

MapCell PerspectiveCoords(int32_t column, uint8_t d, const FrameBytes& bytes);
MapCell TunnelCoords(int32_t column, uint8_t d, const FrameBytes& bytes);
MapCell RadialCoords(int32_t column, uint8_t d, const FrameBytes& bytes);

uint16_t PerspectiveRow(uint8_t h, uint8_t d);
uint16_t TunnelRow(uint8_t h, uint8_t d);
// sin(d x pi / 512) of the radial row function, which the fast march keeps in a table.
float RadialRowSine(uint8_t d);
uint16_t RadialRow(uint8_t h, uint8_t d);

enum class ViewKind { None, Perspective, Tunnel, Radial };

// What the view mode installs for one frame.
struct ViewSetup {
    ViewKind kind = ViewKind::None;
    uint32_t* target = nullptr;
    int columns = 0;         // also the row stride of the target
    uint16_t startLine = 0;  // first row of the occlusion line
    CoordinateFunction coords = nullptr;
    RowFunction row = nullptr;
};

// Tests bits 0, 1 and 2 of viewMode in this order, a later bit overriding an earlier one,
// and sets activeTable for the polar views. A mode without any of the three bits gives
// ViewKind::None.
ViewSetup SetUpView(Landscape& landscape);
