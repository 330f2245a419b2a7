#pragma once
#include <cstdint>

#include "render/simd_level.h"

// Where the slope light of a cell reads the shade map S, with the frame's slope biases: for the
// cell (x, y), indices wrapping modulo 256, gx = low byte of S[y][x + 1] - S[y][x - 1] + biasX -
// 128 and gy = low byte of S[y + 1][x] - S[y - 1][x] + biasY - 128; the light byte is S[gy][gx],
// at index gy << 8 | gx. Made for every cell once a frame, it costs a drawn sample two reads.
inline uint16_t LightIndexOfCell(const uint8_t* shadeMap, uint8_t x, uint8_t y, int8_t biasX, int8_t biasY) {
    const uint8_t* row = shadeMap + (y << 8);
    const uint8_t gx = static_cast<uint8_t>(row[static_cast<uint8_t>(x + 1)] -
                                            row[static_cast<uint8_t>(x - 1)] + biasX - 128);
    const uint8_t gy = static_cast<uint8_t>(shadeMap[(static_cast<uint8_t>(y + 1) << 8) + x] -
                                            shadeMap[(static_cast<uint8_t>(y - 1) << 8) + x] + biasY - 128);
    return static_cast<uint16_t>(gy << 8 | gx);
}

// LightIndexOfCell of every cell of the map into indices[y x 256 + x].
void ComputeLightIndices(const uint8_t* shadeMap, uint16_t* indices, int8_t biasX, int8_t biasY,
                         SimdLevel level);
