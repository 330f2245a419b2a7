#pragma once
#include <cstdint>
#include <string>

#include "files/output_file.h"

// The kinds of picture file, told by the name's extension in any letter case: ".png" for an
// 8-bit RGB PNG, ".bgra" for the raw pixels; None for any other name.
enum class PictureFileKind { None, Png, Raw };
PictureFileKind PictureFileKindOf(const std::string& path);

// Pixels 0x00RRGGBB (the fourth byte is kept only by the raw form), rows from the top.
struct PictureView {
    const uint32_t* pixels = nullptr;
    int width = 0;
    int height = 0;
};

// How a PNG's rows are filtered before compression: Adaptive picks the best filter for each
// row (the smallest files); None leaves them as they are, for about a third of the CPU time at
// files some 7% larger, where many frames are written.
enum class PngFilters { Adaptive, None };

// Writes a picture into a reserved file's temporary (see OutputFile), which the caller then
// commits: raw little-endian 32-bit pixels for a .bgra target, an 8-bit RGB PNG otherwise.
// Returns an empty string or the reason it failed; `bytes`, if given, gets the file's size.
std::string WritePictureFile(const OutputFile& file, const PictureView& picture,
                             PngFilters filters = PngFilters::Adaptive, int64_t* bytes = nullptr);
