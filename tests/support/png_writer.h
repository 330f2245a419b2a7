#pragma once
#include <png.h>

#include <cstdint>
#include <string>
#include <vector>

// PNG files written sample by sample through libpng, in any of its colour types and depths,
// for tests of the picture loader.
struct PngSpec {
    uint32_t width = 0;
    uint32_t height = 0;
    int colourType = PNG_COLOR_TYPE_RGB;
    int bitDepth = 8;
    bool interlaced = false;
    std::vector<uint8_t> rows;       // each row's samples packed as PNG stores them, 16-bit ones big-endian
    std::vector<png_color> palette;  // for PNG_COLOR_TYPE_PALETTE
    std::vector<uint8_t> transparency;  // the palette entries' alphas, from the first on
};

void WritePng(const std::string& path, const PngSpec& spec);
// A PNG of 57 bytes whose header declares a grey picture of the given size and whose image
// data is empty.
void WriteOversizedPng(const std::string& path, uint32_t width, uint32_t height);
