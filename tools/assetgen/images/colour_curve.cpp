#include "colour_curve.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

uint8_t CurvedChannel(const ColourCurve& curve, uint8_t raw) {
    float q = static_cast<float>(raw / 255.0f);
    q = q * curve.gain;
    const float p = static_cast<float>(std::pow(q, curve.exponent));
    return static_cast<uint8_t>(static_cast<int>(p * 255.0f) & 0xFF);
}

std::array<uint8_t, 256> InverseCurve(const ColourCurve& curve) {
    std::array<uint8_t, 256> curved{};
    for (int raw = 0; raw < 256; ++raw) {
        curved[raw] = CurvedChannel(curve, static_cast<uint8_t>(raw));
    }
    std::array<uint8_t, 256> inverse{};
    for (int wanted = 0; wanted < 256; ++wanted) {
        int best = 0;
        for (int raw = 1; raw < 256; ++raw) {
            if (std::abs(curved[raw] - wanted) < std::abs(curved[best] - wanted)) {
                best = raw;
            }
        }
        inverse[wanted] = static_cast<uint8_t>(best);
    }
    return inverse;
}

void StoreDisplayed(ColourMap& map, int cell, Rgb wanted, const std::array<uint8_t, 256>& inverse) {
    const auto encode = [&](float channel) { return inverse[std::clamp(std::lround(channel), 0L, 255L)]; };
    map.rgb[cell * 3 + 0] = encode(wanted.r);
    map.rgb[cell * 3 + 1] = encode(wanted.g);
    map.rgb[cell * 3 + 2] = encode(wanted.b);
}
