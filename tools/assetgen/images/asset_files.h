#pragma once
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

struct SDL_Surface;

// Writes `bytes` to `path` through a temporary file renamed into place, so an interrupted run never leaves a
// short file behind. Throws std::runtime_error naming the file and the reason on failure.
void WriteBytes(const std::filesystem::path& path, const std::vector<uint8_t>& bytes);

// Writes an RGB surface as a PNG file, the same way. Throws std::runtime_error on failure.
void WritePng(const std::filesystem::path& path, SDL_Surface* surface);
