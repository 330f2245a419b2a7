#include "app/frame_file.h"

#include <SDL2/SDL.h>
#include <SDL2/SDL_image.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <string_view>
#include <vector>

#include "files/output_file.h"
#include "render/framebuffer.h"

namespace {

bool EndsWithIgnoringCase(const std::string& text, std::string_view suffix) {
    return text.size() >= suffix.size() &&
           std::equal(suffix.begin(), suffix.end(), text.end() - suffix.size(), [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) ==
                      std::tolower(static_cast<unsigned char>(b));
           });
}

std::string WriteRaw(const std::string& path, const uint32_t* pixels) {
    std::vector<uint8_t> bytes(FRAME_PIXELS * 4);
    for (int i = 0; i < FRAME_PIXELS; ++i) {
        for (int b = 0; b < 4; ++b) {
            bytes[i * 4 + b] = static_cast<uint8_t>(pixels[i] >> (8 * b));
        }
    }
    OutputFile file;
    std::string failure = OpenOutputFile(file, path);
    if (!failure.empty()) {
        return failure;
    }
    std::fwrite(bytes.data(), 1, bytes.size(), file.stream);  // checked, with the close, by CommitOutputFile
    return CommitOutputFile(file);
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
    OutputFile file;
    std::string failure = OpenOutputFile(file, path);
    SDL_RWops* stream = failure.empty() ? SDL_RWFromFP(file.stream, SDL_FALSE) : nullptr;
    // The encoder does not check its writes; the stream's error flag keeps them for the close.
    if (stream != nullptr && IMG_SavePNG_RW(surface, stream, 1) == 0) {
        failure = CommitOutputFile(file);
    } else if (failure.empty()) {
        failure = std::string("cannot write PNG: ") + IMG_GetError();
        DiscardOutputFile(file);
    }
    SDL_FreeSurface(surface);
    return failure;
}

}  // namespace

FrameFileKind FrameFileKindOf(const std::string& path) {
    if (EndsWithIgnoringCase(path, ".png")) {
        return FrameFileKind::Png;
    }
    return EndsWithIgnoringCase(path, ".bgra") ? FrameFileKind::Raw : FrameFileKind::None;
}

std::string WriteFrameFile(const std::string& path, const uint32_t* pixels) {
    return FrameFileKindOf(path) == FrameFileKind::Raw ? WriteRaw(path, pixels) : WritePng(path, pixels);
}
