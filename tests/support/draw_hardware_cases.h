#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "render/draw_hardware.h"

// A way the fast drawing steps can run on this machine, as the command line chooses it: a
// number of threads (the caller's included) and a vector level.
struct HardwareChoice {
    uint32_t threads = 1;
    SimdLevel simd = SimdLevel::Portable;
    std::string name;  // for failure messages, e.g. "avx2, 2 threads"
};

// Each vector level this machine has, the portable one included, on the calling thread alone
// and on two threads.
std::vector<HardwareChoice> EveryHardwareChoice();

// The same choices as the drawing steps take them, the two threads from a pool kept for the
// whole test run.
struct DrawHardwareCase {
    DrawHardware hardware;
    std::string name;
};

std::vector<DrawHardwareCase> EveryDrawHardware();
