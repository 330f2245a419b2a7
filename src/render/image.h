#pragma once
#include <cstdint>
#include <memory>
#include <vector>

// One decoded picture: row-major 32-bit pixels 0xAARRGGBB (blue in the lowest byte).
// The record keeps its own copy of the decoder's pixels for the whole run.
struct Image {
    std::unique_ptr<uint32_t[]> pixels;
    uint16_t width = 0;
    uint16_t height = 0;
};

// The decoded pictures in loading order.
struct ImageList {
    std::vector<std::unique_ptr<Image>> items;
};
