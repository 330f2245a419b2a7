#pragma once
#include <string>

// Writes the built-in scene script as text to `path`, or to standard output for "-"; a file
// that took the name during the run is replaced only with `replace` (-y).
// Returns the exit status: 0, or after one line naming the file and the reason 1, or 128 + the
// signal that stopped the run.
int DumpScript(const std::string& path, bool replace = false);
