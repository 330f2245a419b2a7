#pragma once
#include <string>

// The data directory: the one given, else data/ in the working directory if it exists,
// else data/ beside the executable.
std::string FindDataDirectory(const std::string& given);

// A file the program ships, such as the GPU presenter's shaders: `name` in the working directory
// if it is there, else the one beside the executable if that is there, else `name` itself (so
// that opening it fails naming it).
std::string FindProgramFile(const std::string& name);

// `name` in the folder of the running executable, or "" if that folder cannot be told.
std::string ProgramFolderFile(const std::string& name);
