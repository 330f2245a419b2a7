#pragma once
#include <cstdint>
#include <string>
#include <vector>

// A fresh directory under the system's temporary folder, removed with its content at the end.
struct TempDir {
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    std::string File(const std::string& name) const { return path + "/" + name; }

    std::string path;
};

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes);
std::string ReadFileText(const std::string& path);
// The names of the entries of `folder`, sorted.
std::vector<std::string> FilesIn(const std::string& folder);

// Writes a PNG of the given size whose every pixel is `argb` (0xAARRGGBB).
void WritePicture(const std::string& path, int width, int height, uint32_t argb);

// Writes the seven pictures and eight raw maps the show loads, small and plain: each
// picture is a 640 x 480 field of `pictureColour`, height maps 0, colour maps 0x102030.
void WriteShowData(const std::string& dir, uint32_t pictureColour = 0xFF808080u);
