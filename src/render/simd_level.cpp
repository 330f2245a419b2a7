#include "render/simd_level.h"

SimdLevel BestSimdLevel() {
    if (SimdLevelAvailable(SimdLevel::Avx2)) {
        return SimdLevel::Avx2;
    }
    return SimdLevelAvailable(SimdLevel::Sse2) ? SimdLevel::Sse2 : SimdLevel::Portable;
}

bool SimdLevelAvailable(SimdLevel level) {
#if defined(__x86_64__) || defined(__i386__)
    __builtin_cpu_init();  // may run before the library's own initialiser has
    switch (level) {
        case SimdLevel::Portable:
            return true;
        case SimdLevel::Sse2:
            return __builtin_cpu_supports("sse2");
        case SimdLevel::Avx2:
            return __builtin_cpu_supports("avx2");
    }
    return false;
#elif defined(__wasm_simd128__) && defined(__SSE2__)
    // The browser build's SSE2 intrinsics run as WebAssembly's 128-bit vector instructions,
    // which every browser that loads the module has.
    return level == SimdLevel::Portable || level == SimdLevel::Sse2;
#else
    return level == SimdLevel::Portable;
#endif
}

const char* SimdLevelName(SimdLevel level) {
    switch (level) {
        case SimdLevel::Portable:
            return "portable";
        case SimdLevel::Sse2:
            return "sse2";
        case SimdLevel::Avx2:
            return "avx2";
    }
    return "?";
}

std::optional<SimdLevel> SimdLevelNamed(const std::string& name) {
    for (SimdLevel level : {SimdLevel::Portable, SimdLevel::Sse2, SimdLevel::Avx2}) {
        if (name == SimdLevelName(level)) {
            return level;
        }
    }
    return std::nullopt;
}
