#include "show_data.h"

#include <SDL_image.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <vector>

#include "../audio/music_files.h"

namespace {

constexpr int MAP_SIDE = 256;

void WriteHeightMap(const std::string& path, double phase) {
    std::vector<char> heights(MAP_SIDE * MAP_SIDE);
    for (int y = 0; y < MAP_SIDE; ++y) {
        for (int x = 0; x < MAP_SIDE; ++x) {
            const double wave = std::sin(x * M_PI / 32 + phase) * std::cos(y * M_PI / 16);
            heights[y * MAP_SIDE + x] = static_cast<char>(128 + 100 * wave);
        }
    }
    std::ofstream(path, std::ios::binary).write(heights.data(), static_cast<std::streamsize>(heights.size()));
}

void WriteColourMap(const std::string& path) {
    std::vector<char> texels;
    for (int y = 0; y < MAP_SIDE; ++y) {
        for (int x = 0; x < MAP_SIDE; ++x) {
            texels.push_back(static_cast<char>(64 + x / 2));
            texels.push_back(static_cast<char>(64 + y / 2));
            texels.push_back(static_cast<char>(255 - (x ^ y) / 2));
        }
    }
    std::ofstream(path, std::ios::binary).write(texels.data(), static_cast<std::streamsize>(texels.size()));
}

// Black with one white bar, as a text picture is white text on black.
void WritePicture(const std::string& path) {
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormat(0, 640, 480, 32, SDL_PIXELFORMAT_ARGB8888);
    SDL_FillRect(surface, nullptr, SDL_MapRGB(surface->format, 0, 0, 0));
    SDL_Rect bar{220, 220, 200, 40};
    SDL_FillRect(surface, &bar, SDL_MapRGB(surface->format, 255, 255, 255));
    IMG_SavePNG(surface, path.c_str());
    SDL_FreeSurface(surface);
}

}  // namespace

std::string MusicPath(const std::string& dataDir) {
    return dataDir + "/ostrel&vandt_-_cube.mp3";
}

std::string WriteShowData(const std::string& name, bool withMusic) {
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / name;
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    WriteHeightMap((dir / "heightmap2").string(), 0.0);
    WriteHeightMap((dir / "waterheight").string(), 1.0);
    for (const char* map :
         {"colormap2", "colormap2blue", "colormap2b", "colormap2gray", "colormap2test", "colormap2red"}) {
        WriteColourMap((dir / map).string());
    }
    for (const char* picture :
         {"text1.png", "text2.png", "text3.png", "text4.png", "text5.png", "text6.png", "title.png"}) {
        WritePicture((dir / picture).string());
    }
    if (withMusic) {
        WriteSineMp3(MusicPath(dir.string()), 8.0);
    }
    return dir.string();
}
