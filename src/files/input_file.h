#pragma once
#include <cstdio>
#include <string>
#include <vector>

// Opens a data file for reading only if it is a regular file. The open never waits and the
// check comes before anything is read: a FIFO in place of a data file would otherwise block
// the program for ever, and a device could feed it endless bytes. Returns the open stream,
// or null with the reason in `reason` (the system's, such as "No such file or directory" or
// "Is a directory", or "is a FIFO, not a regular file").
std::FILE* OpenInputFile(const std::string& path, std::string& reason);

// Reads the whole of a regular file into `bytes`; false, with the reason, if it cannot be
// opened or read.
bool ReadInputFile(const std::string& path, std::vector<char>& bytes, std::string& reason);
