#pragma once
#include <cmath>

// Sine and cosine of a single-precision angle as the show computes them: the double
// function's value rounded to float. That is the same on every machine, which the float
// functions are not (they are not correctly rounded for every argument).
inline float SineOf(float angle) {
    return static_cast<float>(std::sin(static_cast<double>(angle)));
}

inline float CosineOf(float angle) {
    return static_cast<float>(std::cos(static_cast<double>(angle)));
}
