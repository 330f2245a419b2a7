#pragma once

// The show's own values of 2pi and pi. Its arithmetic uses these, not the exact ones, and
// its pictures depend on the difference.
constexpr double TWO_PI = 6.283185308;
constexpr double PI = 3.141592654;
constexpr float PI_FLOAT = 3.141592654f;

static_assert(static_cast<float>(PI) == PI_FLOAT);
