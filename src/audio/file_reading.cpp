#include "audio/file_reading.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "files/input_file.h"

namespace {

constexpr const char* TOO_LARGE = "larger than 64 MiB, too large for a module";

// The size of an open file, or -1 if the system cannot tell.
int64_t FileSize(std::FILE* file) {
    struct stat status {};
    return fstat(fileno(file), &status) == 0 ? static_cast<int64_t>(status.st_size) : -1;
}

}  // namespace

bool ReadWholeFile(const char* path, std::vector<char>& bytes) {
    std::string reason;
    std::FILE* file = OpenInputFile(path, reason);
    if (file == nullptr) {
        return false;
    }
    bytes.clear();
    // The size is checked before anything is read, and the reading stops at the cap in case
    // the file grows meanwhile.
    bool ok = FileSize(file) >= 0 && static_cast<uint64_t>(FileSize(file)) <= MAX_MODULE_FILE_BYTES;
    char chunk[65536];
    size_t got = 0;
    while (ok && (got = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
        bytes.insert(bytes.end(), chunk, chunk + got);
        ok = bytes.size() <= MAX_MODULE_FILE_BYTES;
    }
    ok = ok && std::ferror(file) == 0;
    std::fclose(file);
    return ok;
}

bool ReadFileStart(const char* path, char* bytes, size_t count, size_t& got) {
    std::string reason;
    std::FILE* file = OpenInputFile(path, reason);
    if (file == nullptr) {
        return false;
    }
    got = std::fread(bytes, 1, count, file);
    const bool ok = std::ferror(file) == 0;
    std::fclose(file);
    return ok;
}

std::string MusicFileProblem(const char* path, bool module) {
    std::string reason;
    std::FILE* file = OpenInputFile(path, reason);
    if (file == nullptr) {
        return reason;
    }
    const int64_t size = FileSize(file);
    const std::string sizeReason = size < 0 ? std::strerror(errno) : "";
    std::fclose(file);
    if (size < 0) {
        return sizeReason;
    }
    return module && static_cast<uint64_t>(size) > MAX_MODULE_FILE_BYTES ? TOO_LARGE : "";
}
