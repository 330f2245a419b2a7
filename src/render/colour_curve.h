#pragma once
#include <cstdint>

// Size of a colour map; the curve reads only `count`.
struct MapSize {
    int32_t width = 256;
    int32_t height = 256;
    int32_t count = 65536;
};

// Reshapes every channel of a colour map in place: c' = trunc(pow(c / 255 * gain, exponent) * 255).
void ApplyColourCurve(uint32_t* texels, const MapSize* size, float gain, float exponent);
