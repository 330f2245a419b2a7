#pragma once
// Reading the generated data files back for the generator's tests.
#include <SDL2/SDL_image.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "surface.h"

inline std::filesystem::path DataDir() {
    return VOXELSHOW_DATA_DIR;
}

inline std::vector<uint8_t> ReadFileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline const std::vector<std::string>& PictureNames() {
    static const std::vector<std::string> names{"text1.png", "text2.png", "text3.png", "text4.png",
                                                "text5.png", "text6.png", "title.png"};
    return names;
}

// A decoded picture as 0x00RRGGBB words, row by row.
struct DecodedPicture {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;
    uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

inline DecodedPicture DecodePng(const std::filesystem::path& path) {
    DecodedPicture picture;
    SurfacePtr loaded(IMG_Load(path.c_str()));
    if (!loaded) {
        return picture;
    }
    SurfacePtr argb(SDL_ConvertSurfaceFormat(loaded.get(), SDL_PIXELFORMAT_ARGB8888, 0));
    picture.width = argb->w;
    picture.height = argb->h;
    for (int y = 0; y < argb->h; ++y) {
        const auto* row =
            reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(argb->pixels) + y * argb->pitch);
        for (int x = 0; x < argb->w; ++x) {
            picture.pixels.push_back(row[x] & 0x00FFFFFFu);
        }
    }
    return picture;
}
