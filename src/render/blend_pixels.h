#pragma once
#include <cstdint>

#include "render/simd_level.h"

// The layers' weighted blends over a run of pixels: target[p] becomes the byte-wise saturating
// sum (or difference) of target[p] and WeightPixel(source[p], amount), the fourth byte of
// target[p] kept. Every level gives the same bytes.
void AddPixels(const uint32_t* source, uint32_t* target, uint32_t count, uint8_t amount, SimdLevel level);
void SubtractPixels(const uint32_t* source, uint32_t* target, uint32_t count, uint8_t amount,
                    SimdLevel level);
