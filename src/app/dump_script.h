#pragma once
#include <string>

// Writes the built-in scene script as text to `path`, or to standard output for "-".
// Returns the exit status: 0, or 1 after one line naming the file and the reason.
int DumpScript(const std::string& path);
