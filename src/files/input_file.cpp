#include "files/input_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

std::string NotRegularReason(mode_t mode) {
    if (S_ISDIR(mode)) {
        return std::strerror(EISDIR);
    }
    const char* kind = S_ISFIFO(mode)                   ? "a FIFO"
                       : S_ISCHR(mode) || S_ISBLK(mode) ? "a device"
                       : S_ISSOCK(mode)                 ? "a socket"
                                                        : "something";
    return std::string("is ") + kind + ", not a regular file";
}

std::FILE* Fail(int descriptor, std::string& reason, std::string why) {
    reason = std::move(why);
    close(descriptor);
    return nullptr;
}

}  // namespace

std::FILE* OpenInputFile(const std::string& path, std::string& reason) {
    // Without O_NONBLOCK, opening a FIFO waits until some other program opens it for writing.
    const int descriptor = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (descriptor < 0) {
        reason = std::strerror(errno);
        return nullptr;
    }
    struct stat status {};
    if (fstat(descriptor, &status) != 0) {
        return Fail(descriptor, reason, std::strerror(errno));
    }
    if (!S_ISREG(status.st_mode)) {
        return Fail(descriptor, reason, NotRegularReason(status.st_mode));
    }
    const int flags = fcntl(descriptor, F_GETFL);
    if (flags < 0 || fcntl(descriptor, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        return Fail(descriptor, reason, std::strerror(errno));
    }
    std::FILE* file = fdopen(descriptor, "rb");
    if (file == nullptr) {
        return Fail(descriptor, reason, std::strerror(errno));
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
