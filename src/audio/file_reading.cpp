#include "audio/file_reading.h"

bool ReadWholeFile(const char* path, std::vector<char>& bytes) {
    FILE* file = std::fopen(path, "rb");
    if (file == nullptr) {
        return false;
    }
    bytes.clear();
    char chunk[65536];
    size_t got = 0;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
        bytes.insert(bytes.end(), chunk, chunk + got);
    }
    const bool ok = std::ferror(file) == 0;
    std::fclose(file);
    return ok;
}

bool ReadFileStart(const char* path, char* bytes, size_t count, size_t& got) {
    FILE* file = std::fopen(path, "rb");
    if (file == nullptr) {
        return false;
    }
    got = std::fread(bytes, 1, count, file);
    const bool ok = std::ferror(file) == 0;
    std::fclose(file);
    return ok;
}
