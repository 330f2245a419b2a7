#pragma once
#include <cstdint>
#include <optional>
#include <string>

// The vector instructions a fast drawing step may use. Every level draws exactly the same
// bytes; they differ in speed only.
enum class SimdLevel : uint8_t {
    Portable,  // plain C++, no instruction set assumed
    Sse2,      // 128-bit integer vectors, on every x86-64 processor
    Avx2,      // 256-bit integer vectors and gathers
};

// The highest level this processor runs.
SimdLevel BestSimdLevel();

// True when this processor runs `level`.
bool SimdLevelAvailable(SimdLevel level);

// "portable", "sse2" or "avx2".
const char* SimdLevelName(SimdLevel level);

// The level of a name SimdLevelName gives, or nothing.
std::optional<SimdLevel> SimdLevelNamed(const std::string& name);
