#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

// The fuzzer's input as a file that the loaders open by name, as they open the show's data:
// an in-memory file, rewritten for every input, named through /proc/self/fd.
std::string InputAsFile(const uint8_t* data, size_t size);
