#pragma once
#include <cstdint>
#include <string>

// Writes a 640 x 480 frame: raw little-endian 32-bit pixels for a name ending in .bgra,
// an 8-bit RGB PNG otherwise. The file appears whole or not at all (see OutputFile).
// Returns an empty string or the reason it failed.
std::string WriteFrameFile(const std::string& path, const uint32_t* pixels);

// The output name for one pass: every "%d" in the pattern replaced by the pass number.
std::string FrameFileName(const std::string& pattern, uint32_t pass);
