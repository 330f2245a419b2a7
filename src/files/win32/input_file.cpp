#include "files/input_file.h"

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "files/file_names.h"

// Windows has no FIFOs to wait on: a data file is opened when it is a regular file.
std::FILE* OpenInputFile(const std::string& path, std::string& reason) {
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(PathOf(path), error);
    if (std::filesystem::is_directory(status)) {
        reason = std::strerror(EISDIR);
        return nullptr;
    }
    if (std::filesystem::exists(status) && !std::filesystem::is_regular_file(status)) {
        reason = "is something, not a regular file";
        return nullptr;
    }
    std::FILE* file = OpenNamedFile(path, "rb");
    if (file == nullptr) {
        reason = std::strerror(errno);
    }
    return file;
}

bool ReadInputFile(const std::string& path, std::vector<char>& bytes, std::string& reason) {
    std::FILE* file = OpenInputFile(path, reason);
    if (file == nullptr) {
        return false;
    }
    bytes.clear();
    char chunk[65536];
    size_t got = 0;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
        bytes.insert(bytes.end(), chunk, chunk + got);
    }
    const bool read = std::ferror(file) == 0;
    if (!read) {
        reason = std::strerror(errno);
    }
    std::fclose(file);
    return read;
}
