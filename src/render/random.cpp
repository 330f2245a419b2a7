#include "render/random.h"

uint32_t randomState = 0;

// One draw is the affine map x -> 214013 x + 2531011 (mod 2^32). The map of 2^k draws is that
// of 2^(k-1) draws applied twice, so the draws are composed bit by bit of their count.
void SkipRandom(uint64_t draws) {
    uint32_t multiplier = 1;
    uint32_t increment = 0;
    uint32_t stepMultiplier = 214013u;
    uint32_t stepIncrement = 2531011u;
    for (; draws != 0; draws >>= 1) {
        if (draws & 1) {
            multiplier *= stepMultiplier;
            increment = increment * stepMultiplier + stepIncrement;
        }
        stepIncrement = (stepMultiplier + 1) * stepIncrement;
        stepMultiplier *= stepMultiplier;
    }
    randomState = randomState * multiplier + increment;
}
