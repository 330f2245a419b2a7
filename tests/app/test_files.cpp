#include "test_files.h"

#include <SDL2/SDL.h>
#include <SDL2/SDL_image.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "voxelshow-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("cannot make a temporary directory");
    }
    path = pattern;
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
}

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!file) {
        throw std::runtime_error("cannot write " + path);
    }
}

std::string ReadFileText(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

std::vector<std::string> FilesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

void WritePicture(const std::string& path, int width, int height, uint32_t argb) {
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormat(0, width, height, 32, SDL_PIXELFORMAT_ARGB8888);
    if (surface == nullptr) {
        throw std::runtime_error(SDL_GetError());
    }
    SDL_FillRect(surface, nullptr, argb);
    int result = IMG_SavePNG(surface, path.c_str());
    SDL_FreeSurface(surface);
    if (result != 0) {
        throw std::runtime_error("cannot write " + path);
    }
}

void WriteShowData(const std::string& dir, uint32_t pictureColour) {
    for (const char* name :
         {"text1.png", "text2.png", "text3.png", "text4.png", "text5.png", "text6.png", "title.png"}) {
        WritePicture(dir + "/" + name, 640, 480, pictureColour);
    }
    WriteBytes(dir + "/heightmap2", std::vector<uint8_t>(65536, 0));
    WriteBytes(dir + "/waterheight", std::vector<uint8_t>(65536, 0));
    std::vector<uint8_t> colours(196608);
    for (size_t i = 0; i < colours.size(); i += 3) {
        colours[i] = 0x10;
        colours[i + 1] = 0x20;
        colours[i + 2] = 0x30;
    }
    for (const char* name :
         {"colormap2", "colormap2blue", "colormap2b", "colormap2gray", "colormap2test", "colormap2red"}) {
        WriteBytes(dir + "/" + name, colours);
    }
}
