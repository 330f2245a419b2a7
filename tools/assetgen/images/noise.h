#pragma once
#include <cstdint>

// Map coordinates run over [0, 256) and wrap, so every noise here repeats every 256 map units: a field
// sampled at u and at u + 256 is the same, which keeps the maps built from it seamless.
constexpr int MAP_SIDE = 256;

// Gradient noise on a square lattice of `period` x `period` points laid over the map; the lattice indices
// wrap modulo `period`. x and y are in lattice units. Result roughly in [-0.7, 0.7].
float PeriodicNoise(float x, float y, int period, uint32_t seed);

// A sum of noise octaves: octave k has 2^k * baseFrequency lattice cells across the map and gain^k weight.
struct Octaves {
    int baseFrequency = 4;
    int count = 5;
    float gain = 0.5f;
    uint32_t seed = 1;
};

// Fractal sum of PeriodicNoise at map position (u, v), normalised to about [-1, 1].
float Fbm(float u, float v, const Octaves& octaves);

// Ridged fractal sum: sharp crests where the noise crosses zero, in about [0, 1].
float RidgedFbm(float u, float v, const Octaves& octaves);

// Deterministic 32-bit hash of a lattice point, for noise gradients and per-cell jitter.
uint32_t HashCell(int x, int y, uint32_t seed);
