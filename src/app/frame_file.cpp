#include "app/frame_file.h"

#include <SDL2/SDL.h>
#include <SDL2/SDL_image.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "render/framebuffer.h"

namespace {

bool EndsWith(const std::string& text, const std::string& suffix) {
    return text.size() >= suffix.size() &&
           text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

std::string WriteRaw(const std::string& path, const uint32_t* pixels) {
    std::vector<uint8_t> bytes(FRAME_PIXELS * 4);
    for (int i = 0; i < FRAME_PIXELS; ++i) {
        for (int b = 0; b < 4; ++b) {
            bytes[i * 4 + b] = static_cast<uint8_t>(pixels[i] >> (8 * b));
        }
    }
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        return std::strerror(errno);
    }
    bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    bool closed = std::fclose(file) == 0;
    return written && closed ? "" : std::string("write failed: ") + std::strerror(errno);
}

std::string WritePng(const std::string& path, const uint32_t* pixels) {
    // Red, green and blue only: the fourth byte is never shown.
    std::vector<uint8_t> rgb(FRAME_PIXELS * 3);
    for (int i = 0; i < FRAME_PIXELS; ++i) {
        rgb[i * 3 + 0] = static_cast<uint8_t>(pixels[i] >> 16);
        rgb[i * 3 + 1] = static_cast<uint8_t>(pixels[i] >> 8);
        rgb[i * 3 + 2] = static_cast<uint8_t>(pixels[i]);
    }
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormatFrom(rgb.data(), FRAME_WIDTH, FRAME_HEIGHT, 24,
                                                              FRAME_WIDTH * 3, SDL_PIXELFORMAT_RGB24);
    if (surface == nullptr) {
        return SDL_GetError();
    }
    int result = IMG_SavePNG(surface, path.c_str());
    SDL_FreeSurface(surface);
    return result == 0 ? "" : std::string("cannot write PNG: ") + IMG_GetError();
}

}  // namespace

std::string WriteFrameFile(const std::string& path, const uint32_t* pixels) {
    return EndsWith(path, ".bgra") ? WriteRaw(path, pixels) : WritePng(path, pixels);
}

std::string FrameFileName(const std::string& pattern, uint32_t pass) {
    std::string name;
    std::string number = std::to_string(pass);
    for (size_t i = 0; i < pattern.size(); ++i) {
        if (pattern.compare(i, 2, "%d") == 0) {
            name += number;
            ++i;
        } else {
            name += pattern[i];
        }
    }
    return name;
}
