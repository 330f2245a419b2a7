#include "asset_files.h"

#include <SDL2/SDL_image.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <stdexcept>

namespace {

std::filesystem::path TemporaryBeside(const std::filesystem::path& path) {
    std::filesystem::path temporary = path;
    temporary += ".tmp";
    return temporary;
}

void MoveIntoPlace(const std::filesystem::path& temporary, const std::filesystem::path& path) {
    std::error_code error;
    std::filesystem::rename(temporary, path, error);
    if (error) {
        std::filesystem::remove(temporary, error);
        throw std::runtime_error(path.string() + ": cannot write: " + error.message());
    }
}

}  // namespace

void WriteBytes(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
    const std::filesystem::path temporary = TemporaryBeside(path);
    std::FILE* file = std::fopen(temporary.c_str(), "wb");
    if (file == nullptr) {
        throw std::runtime_error(path.string() + ": cannot write: " + std::strerror(errno));
    }
    const size_t written = std::fwrite(bytes.data(), 1, bytes.size(), file);
    const bool closed = std::fclose(file) == 0;
    if (written != bytes.size() || !closed) {
        std::remove(temporary.c_str());
        throw std::runtime_error(path.string() + ": cannot write: " + std::strerror(errno));
    }
    MoveIntoPlace(temporary, path);
}

void WritePng(const std::filesystem::path& path, SDL_Surface* surface) {
    const std::filesystem::path temporary = TemporaryBeside(path);
    if (IMG_SavePNG(surface, temporary.c_str()) != 0) {
        std::filesystem::remove(temporary);
        throw std::runtime_error(path.string() + ": cannot write PNG: " + IMG_GetError());
    }
    MoveIntoPlace(temporary, path);
}
