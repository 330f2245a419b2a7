#pragma once
#include <cstddef>
#include <vector>

// A coverage picture: one value 0..1 per pixel, 1 where a glyph fully covers the pixel.
struct Mask {
    int width = 0;
    int height = 0;
    std::vector<float> cover;

    Mask() = default;
    Mask(int w, int h) : width(w), height(h), cover(static_cast<std::size_t>(w) * h, 0.0f) {}
    float At(int x, int y) const { return cover[static_cast<std::size_t>(y) * width + x]; }
    float& At(int x, int y) { return cover[static_cast<std::size_t>(y) * width + x]; }
};

// Lays `piece` onto `canvas` with its top-left corner at (left, top), keeping the larger coverage per pixel.
// Parts that fall outside the canvas are dropped.
void Stamp(Mask& canvas, const Mask& piece, int left, int top);

// Grows the coverage by `radius` pixels in every direction (the largest value within a disc).
Mask Dilate(const Mask& mask, int radius);

// Softens the coverage with three box passes of `radius`; the result is exactly 0 farther than 3 * radius
// pixels from any covered pixel.
Mask Blur(const Mask& mask, int radius);
