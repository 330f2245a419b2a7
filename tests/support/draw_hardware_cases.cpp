#include "support/draw_hardware_cases.h"

std::vector<HardwareChoice> EveryHardwareChoice() {
    std::vector<HardwareChoice> choices;
    for (SimdLevel level : {SimdLevel::Portable, SimdLevel::Sse2, SimdLevel::Avx2}) {
        if (!SimdLevelAvailable(level)) {
            continue;
        }
        for (uint32_t threads : {1u, 2u}) {
            choices.push_back({threads, level,
                               std::string(SimdLevelName(level)) + ", " + std::to_string(threads) +
                                   (threads == 1 ? " thread" : " threads")});
        }
    }
    return choices;
}

std::vector<DrawHardwareCase> EveryDrawHardware() {
    static WorkerPool twoThreads(2);
    std::vector<DrawHardwareCase> cases;
    for (const HardwareChoice& choice : EveryHardwareChoice()) {
        cases.push_back({{choice.threads > 1 ? &twoThreads : nullptr, choice.simd}, choice.name});
    }
    return cases;
}
