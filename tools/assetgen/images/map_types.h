#pragma once
#include <cstdint>
#include <vector>

#include "noise.h"

constexpr int MAP_CELLS = MAP_SIDE * MAP_SIDE;

// Cell index of map position (x, y), both wrapping modulo 256; rows are stored one after another.
inline int CellIndex(int x, int y) {
    return (y & (MAP_SIDE - 1)) * MAP_SIDE + (x & (MAP_SIDE - 1));
}

// A 256 x 256 field of real values, cell (x, y) at CellIndex(x, y).
struct Field {
    std::vector<float> cells = std::vector<float>(MAP_CELLS, 0.0f);
    float At(int x, int y) const { return cells[CellIndex(x, y)]; }
};

// A raw height map file's content: one byte per cell, 65,536 bytes.
struct HeightMap {
    std::vector<uint8_t> cells = std::vector<uint8_t>(MAP_CELLS, 0);
    int At(int x, int y) const { return cells[CellIndex(x, y)]; }
};

// A raw colour map file's content: red, green, blue per cell, 196,608 bytes.
struct ColourMap {
    std::vector<uint8_t> rgb = std::vector<uint8_t>(MAP_CELLS * 3, 0);
};

// A colour with channels in 0..255 (not yet rounded).
struct Rgb {
    float r = 0.0f;
    float g = 0.0f;
    float b = 0.0f;
};

inline Rgb Mix(Rgb a, Rgb b, float t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}
inline Rgb Scale(Rgb c, float k) {
    return {c.r * k, c.g * k, c.b * k};
}
