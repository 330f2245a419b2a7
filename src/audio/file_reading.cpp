#include "audio/file_reading.h"

#include <string>

#include "files/input_file.h"

bool ReadWholeFile(const char* path, std::vector<char>& bytes) {
    std::string reason;
    return ReadInputFile(path, bytes, reason);
}

bool ReadFileStart(const char* path, char* bytes, size_t count, size_t& got) {
    std::string reason;
    FILE* file = OpenInputFile(path, reason);
    if (file == nullptr) {
        return false;
    }
    got = std::fread(bytes, 1, count, file);
    const bool ok = std::ferror(file) == 0;
    std::fclose(file);
    return ok;
}
