#pragma once
#include <cstdio>
#include <vector>

// Both read regular files only (see OpenInputFile): anything else counts as a file that cannot
// be opened, and a FIFO does not block.

// Reads a whole file into `bytes`; false if it cannot be opened or read.
bool ReadWholeFile(const char* path, std::vector<char>& bytes);
// Reads the first `count` bytes of a file into `bytes` (fewer if the file is shorter);
// false if it cannot be opened.
bool ReadFileStart(const char* path, char* bytes, size_t count, size_t& got);
