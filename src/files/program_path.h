#pragma once
#include <string>

// The full path of the running executable, or "" if the system cannot tell it.
std::string ProgramPath();
