#include "render/colour_curve.h"

#include <array>
#include <cmath>

#include "render/truncate.h"

namespace {

// One channel value through the curve. The power is taken in double precision and rounded
// to single precision; everything else is single precision.
uint8_t CurveChannel(uint32_t channel, float gain, float exponent) {
    float q = static_cast<float>(channel) / 255.0f;
    q = q * gain;
    const float p = static_cast<float>(std::pow(static_cast<double>(q), static_cast<double>(exponent)));
    return TruncateToByte(p * 255.0f);
}

}  // namespace

void ApplyColourCurve(uint32_t* texels, const MapSize* size, float gain, float exponent) {
    // A channel has only 256 values, so the curve is computed once per value.
    std::array<uint32_t, 256> curve;
    for (uint32_t channel = 0; channel < 256; ++channel) {
        curve[channel] = CurveChannel(channel, gain, exponent);
    }
    for (int32_t i = 0; i < size->count; ++i) {
        const uint32_t texel = texels[i];
        const uint32_t red = curve[(texel >> 16) & 0xFFu];
        const uint32_t green = curve[(texel >> 8) & 0xFFu];
        const uint32_t blue = curve[texel & 0xFFu];
        texels[i] = (red << 16) | (green << 8) | blue;
    }
}
