#pragma once
#include <cstdint>

// Converts a float to an integer by truncation toward zero. A value that no 64-bit integer
// can hold (infinity, NaN, beyond +-2^63) gives 0 instead of undefined behaviour; callers keep
// the low bits they need, so any finite value of the show passes through unchanged.
inline int64_t TruncateToInteger(float value) {
    constexpr float LIMIT = 9.2e18f;
    if (!(value > -LIMIT && value < LIMIT)) {
        return 0;
    }
    return static_cast<int64_t>(value);
}

// The same for a double.
inline int64_t TruncateToInteger(double value) {
    constexpr double LIMIT = 9.2e18;
    if (!(value > -LIMIT && value < LIMIT)) {
        return 0;
    }
    return static_cast<int64_t>(value);
}

// The low byte of the truncated value, as the show's byte fields keep it.
inline uint8_t TruncateToByte(float value) {
    return static_cast<uint8_t>(TruncateToInteger(value));
}
