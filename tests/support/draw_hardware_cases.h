#pragma once
#include <string>
#include <vector>

#include "render/draw_hardware.h"

// Every way the fast drawing steps can run on this machine: each vector level it has, on the
// calling thread alone and on a pool of two threads.
struct DrawHardwareCase {
    DrawHardware hardware;
    std::string name;  // for failure messages, e.g. "avx2, 2 threads"
};

std::vector<DrawHardwareCase> EveryDrawHardware();
