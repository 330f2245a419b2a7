#pragma once
#include <string>
#include <vector>

#include "script/script_row.h"

// The rows a run registers: the built-in script when `path` is empty, else the file's.
// Throws std::runtime_error with "FILE:LINE: reason" (or "FILE: reason") for a file that
// cannot be read or has an error.
std::vector<ScriptRow> LoadScript(const std::string& path);
