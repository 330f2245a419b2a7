#pragma once
#include <cstdint>
#include <string>

// The hash of a 640 x 480 frame that --hashes writes: XXH3 64-bit (seed 0) of its bytes in the
// .bgra file layout (blue, green, red, fourth byte) with the fourth byte, which is never shown,
// set to 0. Two frames that look the same have the same hash.
uint64_t FrameHash(const uint32_t* frame);

// The hash as 16 lowercase hexadecimal digits.
std::string HashText(uint64_t hash);
