#pragma once
#include <array>
#include <cstdint>

#include "map_types.h"

// The colour curve the show applies to a colour map after loading it:
// c' = trunc(pow((float)(c / 255) * gain, exponent) * 255) mod 256.
// The colour maps are designed in the colours the show displays and stored as the raw bytes that the curve
// turns into them, so each map must know its slot's curve.
struct ColourCurve {
    float gain = 1.0f;
    float exponent = 1.0f;
};

// The byte the show makes of raw channel value `raw`.
uint8_t CurvedChannel(const ColourCurve& curve, uint8_t raw);

// For each displayed value 0..255, the raw byte whose curved value is nearest to it.
std::array<uint8_t, 256> InverseCurve(const ColourCurve& curve);

// Encodes a wanted display colour as raw bytes and stores it at `cell` of `map`.
void StoreDisplayed(ColourMap& map, int cell, Rgb wanted, const std::array<uint8_t, 256>& inverse);
