#pragma once
#include <cstdint>

namespace music {

// White noise from a fixed-seed xorshift generator, so every build makes the same bytes.
struct Noise {
    uint32_t state = 0x9E3779B9u;

    explicit Noise(uint32_t seed) : state(seed ? seed : 0x9E3779B9u) {}

    // Next value, uniform in [-1, 1).
    float Next() {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return static_cast<float>(static_cast<int32_t>(state)) * (1.0f / 2147483648.0f);
    }
};

}  // namespace music
