// Writes the seed corpus of every fuzz target into DIR/<target>/: small files of each kind
// that the target reads, valid ones and a few broken ones, for the fuzzer to start from.
#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "../audio/music_files.h"
#include "../support/png_writer.h"
#include "script/builtin_script.h"
#include "script/script_text.h"

namespace {

void WriteBytes(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

std::vector<uint8_t> Pattern(size_t size) {
    std::vector<uint8_t> bytes(size);
    for (size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<uint8_t>(i * 7 + i / 256);
    }
    return bytes;
}

void WriteMapSeeds(const std::filesystem::path& dir) {
    WriteBytes(dir / "height_map", Pattern(256 * 256));
    WriteBytes(dir / "colour_map", Pattern(256 * 256 * 3));
    WriteBytes(dir / "short_map", Pattern(1000));
}

// A picture of the given kind whose rows are a simple pattern of bytes.
PngSpec Picture(uint32_t width, uint32_t height, int colourType, int bitDepth, int samplesPerPixel) {
    PngSpec spec{width, height, colourType, bitDepth, false, {}, {}, {}};
    spec.rows = Pattern((width * samplesPerPixel * bitDepth + 7) / 8 * height);
    return spec;
}

void WritePictureSeeds(const std::filesystem::path& dir) {
    WritePng(dir / "rgb.png", Picture(16, 8, PNG_COLOR_TYPE_RGB, 8, 3));
    WritePng(dir / "rgba16.png", Picture(5, 4, PNG_COLOR_TYPE_RGB_ALPHA, 16, 4));
    WritePng(dir / "grey_alpha.png", Picture(7, 3, PNG_COLOR_TYPE_GRAY_ALPHA, 8, 2));
    WritePng(dir / "grey1.png", Picture(9, 2, PNG_COLOR_TYPE_GRAY, 1, 1));
    PngSpec palette = Picture(6, 6, PNG_COLOR_TYPE_PALETTE, 2, 1);
    palette.palette = {{0x10, 0x20, 0x30}, {0xF0, 0xE0, 0xD0}, {0, 0, 0xFF}, {0x80, 0x80, 0x80}};
    palette.transparency = {0x40, 0xFF};
    WritePng(dir / "palette.png", palette);
    PngSpec interlaced = Picture(13, 11, PNG_COLOR_TYPE_RGB, 8, 3);
    interlaced.interlaced = true;
    WritePng(dir / "interlaced.png", interlaced);
    WriteOversizedPng(dir / "oversized.png", 20000, 20000);
}

void WriteStreamSeeds(const std::filesystem::path& dir) {
    WriteSineMp3(dir / "sine.mp3", 0.1);
    WriteSineOgg(dir / "sine.ogg", 0.2);
    WriteChainedOgg(dir / "chained.ogg", {{2, 44100, 0.05}, {1, 22050, 0.05}, {2, 8000, 0.05}});
}

void WriteModuleSeeds(const std::filesystem::path& dir) {
    WriteSquareWaveModule(dir / "square.mod");
}

void WriteText(const std::filesystem::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

// The built-in show as its text, a few rows of every element type and target with the
// written forms of numbers, comments and Windows line ends, and a row with an error.
void WriteScriptSeeds(const std::filesystem::path& dir) {
    WriteText(dir / "show.txt", WriteScript(BuiltInScript()));
    WriteText(dir / "kinds.txt",
              "# every kind\n"
              "0 1 char landscape.slopeBiasX -128 127\n"
              "0\t1 unsigned char layer 11.amount 0 255 # a comment\r\n"
              "0 1 short wave.amplitude -32768 32767\n"
              "0 1 unsigned short landscape.advanceRate 0 65535\n"
              "1e-3 0.1 float wave.frequency 1.5707964 pi/2\n"
              "0 196 float wave.phase clock\n"
              "7 8 float landscape.pathPhaseX -2*pi 3.4028235e38\n");
    WriteText(dir / "error.txt", "0 1 unsigned char layer 3.amount 300 0\n");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        return 2;
    }
    const std::filesystem::path seeds(argv[1]);
    const struct {
        const char* target;
        void (*write)(const std::filesystem::path&);
    } corpora[] = {
        {"fuzz_raw_maps", WriteMapSeeds},        {"fuzz_picture", WritePictureSeeds},
        {"fuzz_music_stream", WriteStreamSeeds}, {"fuzz_music_module", WriteModuleSeeds},
        {"fuzz_scene_script", WriteScriptSeeds},
    };
    for (const auto& corpus : corpora) {
        std::filesystem::create_directories(seeds / corpus.target);
        corpus.write(seeds / corpus.target);
    }
    return 0;
}
