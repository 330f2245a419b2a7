// Generates the show's maps and pictures into a data folder; run by the build.
#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>

#include "generate.h"

namespace {

int Usage() {
    std::fprintf(stderr, "usage: voxelshow-imagegen DATA_DIR [--preview DIR]\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2 && !(argc == 4 && std::string(argv[2]) == "--preview")) {
        return Usage();
    }
    try {
        const std::filesystem::path dataDir = argv[1];
        std::filesystem::create_directories(dataDir);
        GenerateImages(dataDir, {VOXELSHOW_FONT_REGULAR, VOXELSHOW_FONT_BOLD});
        if (argc == 4) {
            std::filesystem::create_directories(argv[3]);
            GeneratePreviews(argv[3]);
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "voxelshow-imagegen: %s\n", error.what());
        return 1;
    }
    return 0;
}
