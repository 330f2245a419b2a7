#pragma once
#include <cstdint>
#include <string>

#include "files/output_file.h"

// The kinds of frame file, told by the name's extension in any letter case: ".png" for an
// 8-bit RGB PNG, ".bgra" for the raw pixels; None for any other name.
enum class FrameFileKind { None, Png, Raw };
FrameFileKind FrameFileKindOf(const std::string& path);

// Writes a 640 x 480 frame into a reserved file's temporary (see OutputFile), which the caller
// then commits: raw little-endian 32-bit pixels for a .bgra target, an 8-bit RGB PNG
// otherwise. Returns an empty string or the reason it failed.
std::string WriteFrameFile(const OutputFile& file, const uint32_t* pixels);
