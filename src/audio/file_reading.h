#pragma once
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// Both read regular files only (see OpenInputFile): anything else counts as a file that cannot
// be opened, and a FIFO does not block.

// The most a module file may hold. A module is read whole into memory before it is decoded;
// the largest ones made hold a few tens of megabytes of samples, and the cap keeps a huge file
// given by mistake from taking the machine's memory before it is found not to be a module.
constexpr uint64_t MAX_MODULE_FILE_BYTES = uint64_t{64} << 20;

// Reads a whole file of at most MAX_MODULE_FILE_BYTES into `bytes`; false if it cannot be
// opened or read, or is larger.
bool ReadWholeFile(const char* path, std::vector<char>& bytes);
// Reads the first `count` bytes of a file into `bytes` (fewer if the file is shorter);
// false if it cannot be opened.
bool ReadFileStart(const char* path, char* bytes, size_t count, size_t& got);
// Why a music file that a decoder could not open or read fails, found by trying it once
// more: the system's reason ("No such file or directory"), "larger than 64 MiB, too large for
// a module" for a module file over the cap, or "" when neither applies.
std::string MusicFileProblem(const char* path, bool module);
