#include "noise.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float TWO_PI = 6.2831853f;

int Wrap(int value, int period) {
    const int r = value % period;
    return r < 0 ? r + period : r;
}

float Fade(float t) {
    return t * t * t * (t * (t * 6.0f - 15.0f) + 10.0f);
}

// Dot product of the lattice point's unit gradient with the offset (dx, dy) from that point.
float GradientDot(int ix, int iy, int period, uint32_t seed, float dx, float dy) {
    const uint32_t h = HashCell(Wrap(ix, period), Wrap(iy, period), seed);
    const float angle = static_cast<float>(h & 0xFFFF) / 65536.0f * TWO_PI;
    return std::cos(angle) * dx + std::sin(angle) * dy;
}

float Lerp(float a, float b, float t) {
    return a + (b - a) * t;
}

}  // namespace

uint32_t HashCell(int x, int y, uint32_t seed) {
    uint32_t h =
        seed * 0x9E3779B9u ^ static_cast<uint32_t>(x) * 0x85EBCA6Bu ^ static_cast<uint32_t>(y) * 0xC2B2AE35u;
    h ^= h >> 16;
    h *= 0x7FEB352Du;
    h ^= h >> 15;
    h *= 0x846CA68Bu;
    h ^= h >> 16;
    return h;
}

float PeriodicNoise(float x, float y, int period, uint32_t seed) {
    const float fx = std::floor(x);
    const float fy = std::floor(y);
    const int ix = static_cast<int>(fx);
    const int iy = static_cast<int>(fy);
    const float dx = x - fx;
    const float dy = y - fy;
    const float n00 = GradientDot(ix, iy, period, seed, dx, dy);
    const float n10 = GradientDot(ix + 1, iy, period, seed, dx - 1.0f, dy);
    const float n01 = GradientDot(ix, iy + 1, period, seed, dx, dy - 1.0f);
    const float n11 = GradientDot(ix + 1, iy + 1, period, seed, dx - 1.0f, dy - 1.0f);
    const float sx = Fade(dx);
    return Lerp(Lerp(n00, n10, sx), Lerp(n01, n11, sx), Fade(dy));
}

float Fbm(float u, float v, const Octaves& octaves) {
    float sum = 0.0f;
    float weight = 1.0f;
    float total = 0.0f;
    int frequency = octaves.baseFrequency;
    for (int k = 0; k < octaves.count; ++k) {
        const float scale = static_cast<float>(frequency) / MAP_SIDE;
        sum += weight * PeriodicNoise(u * scale, v * scale, frequency, octaves.seed + k * 101u);
        total += weight;
        weight *= octaves.gain;
        frequency *= 2;
    }
    return sum / total * 1.6f;
}

float RidgedFbm(float u, float v, const Octaves& octaves) {
    // Each octave's crests are weighted by the crest strength of the octave before it, so fine ridges gather
    // on the big ridges and the valleys between them stay smooth.
    float sum = 0.0f;
    float weight = 1.0f;
    float amplitude = 1.0f;
    float total = 0.0f;
    int frequency = octaves.baseFrequency;
    for (int k = 0; k < octaves.count; ++k) {
        const float scale = static_cast<float>(frequency) / MAP_SIDE;
        const float n = PeriodicNoise(u * scale, v * scale, frequency, octaves.seed + k * 131u);
        float ridge = std::max(0.0f, 1.0f - std::fabs(n) * 1.5f);
        ridge = std::pow(ridge, 1.5f) * weight;
        weight = std::clamp(ridge * 1.5f, 0.0f, 1.0f);
        sum += amplitude * ridge;
        total += amplitude;
        amplitude *= octaves.gain;
        frequency *= 2;
    }
    return sum / total;
}
