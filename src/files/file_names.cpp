#include "files/file_names.h"

// Linux's names are bytes, which the program keeps as they are (a name need not be valid UTF-8).
std::filesystem::path PathOf(const std::string& name) {
    return std::filesystem::path(name);
}

std::string NameOf(const std::filesystem::path& path) {
    return path.string();
}

std::FILE* OpenNamedFile(const std::string& name, const char* mode) {
    return std::fopen(name.c_str(), mode);
}

bool RemoveNamedFile(const std::string& name) {
    return std::remove(name.c_str()) == 0;
}
