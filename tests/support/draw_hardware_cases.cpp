#include "support/draw_hardware_cases.h"

std::vector<DrawHardwareCase> EveryDrawHardware() {
    static WorkerPool twoThreads(2);
    std::vector<DrawHardwareCase> cases;
    for (SimdLevel level : {SimdLevel::Portable, SimdLevel::Sse2, SimdLevel::Avx2}) {
        if (!SimdLevelAvailable(level)) {
            continue;
        }
        cases.push_back({{nullptr, level}, std::string(SimdLevelName(level)) + ", 1 thread"});
        cases.push_back({{&twoThreads, level}, std::string(SimdLevelName(level)) + ", 2 threads"});
    }
    return cases;
}
