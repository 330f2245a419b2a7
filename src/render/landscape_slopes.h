#pragma once
#include <cstdint>

#include "render/simd_level.h"

// The slopes of a shade map without the frame's biases, so that the slope light of a sample
// costs one read of this table and one of the shade map. For the cell (x, y), indices
// wrapping modulo 256: bits 0 to 7 hold the low byte of S[y][x + 1] - S[y][x - 1] - 128, bits
// 8 to 15 that of S[y + 1][x] - S[y - 1][x] - 128.
inline uint16_t SlopesOfCell(const uint8_t* shadeMap, uint8_t x, uint8_t y) {
    const uint8_t* row = shadeMap + (y << 8);
    const uint8_t gx =
        static_cast<uint8_t>(row[static_cast<uint8_t>(x + 1)] - row[static_cast<uint8_t>(x - 1)] - 128);
    const uint8_t gy = static_cast<uint8_t>(shadeMap[(static_cast<uint8_t>(y + 1) << 8) + x] -
                                            shadeMap[(static_cast<uint8_t>(y - 1) << 8) + x] - 128);
    return static_cast<uint16_t>(gy << 8 | gx);
}

// SlopesOfCell of every cell of rows [firstRow, endRow) into slopes[y x 256 + x].
void ComputeSlopes(const uint8_t* shadeMap, uint16_t* slopes, int firstRow, int endRow, SimdLevel level);

// The light byte S[gy][gx] of a cell whose slopes are `slopes`, with the frame's biases added.
inline uint8_t SlopeLight(const uint8_t* shadeMap, uint16_t slopes, int8_t biasX, int8_t biasY) {
    const uint8_t gx = static_cast<uint8_t>((slopes & 0xFF) + biasX);
    const uint8_t gy = static_cast<uint8_t>((slopes >> 8) + biasY);
    return shadeMap[(gy << 8) + gx];
}
