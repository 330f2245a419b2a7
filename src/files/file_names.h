#pragma once
#include <cstdio>
#include <filesystem>
#include <string>

// The program holds every file name as UTF-8 (as the command line gives it on Linux, and as
// the Windows program converts its UTF-16 command line). These turn such a name into the
// system's own path and back, and open it, so that any name the system takes works.
std::filesystem::path PathOf(const std::string& name);
std::string NameOf(const std::filesystem::path& path);
// std::fopen for a UTF-8 name.
std::FILE* OpenNamedFile(const std::string& name, const char* mode);
// std::remove for a UTF-8 name: true once removed.
bool RemoveNamedFile(const std::string& name);
