#pragma once
#include <string>
#include <vector>

// The full path of the running executable, or "" if the system cannot tell it.
std::string ProgramPath();

// The program's arguments, without its own name, in UTF-8, as the options are read: on Linux
// argv as it is; on Windows the UTF-16 command line converted, with Windows' own forms turned
// into the program's (`/?` asks for the help, and a file dropped on the program, its one
// argument, is the script to play).
std::vector<std::string> ProgramArguments(int argc, char** argv);
