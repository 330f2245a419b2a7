#pragma once
#include <string>

// The data directory: the one given, else data/ in the working directory if it exists,
// else data/ beside the executable.
std::string FindDataDirectory(const std::string& given);
