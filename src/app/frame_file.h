#pragma once
#include <cstdint>
#include <string>

// The kinds of frame file, told by the name's extension in any letter case: ".png" for an
// 8-bit RGB PNG, ".bgra" for the raw pixels; None for any other name.
enum class FrameFileKind { None, Png, Raw };
FrameFileKind FrameFileKindOf(const std::string& path);

// Writes a 640 x 480 frame: raw little-endian 32-bit pixels for a .bgra name, an 8-bit RGB
// PNG otherwise. The file appears whole or not at all (see OutputFile).
// Returns an empty string or the reason it failed.
std::string WriteFrameFile(const std::string& path, const uint32_t* pixels);
