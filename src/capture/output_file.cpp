#include "capture/output_file.h"

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

std::string FolderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string BaseName(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

bool IsDirectory(const std::string& path) {
    struct stat status {};
    return stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

std::string ReserveOutputFile(OutputFile& file, const std::string& target) {
    file.target = target;
    file.temporary.clear();
    if (IsDirectory(target)) {
        return "is a directory";
    }
    const std::string folder = FolderOf(target);
    // Hidden, and named after the target so that a leftover is easy to recognise.
    std::string pattern = folder + "/." + BaseName(target) + ".part-XXXXXX";
    const int descriptor = mkstemp(pattern.data());
    if (descriptor < 0) {
        return "cannot write in " + folder + ": " + std::strerror(errno);
    }
    // mkstemp makes the file readable by its owner only; give it the usual permissions.
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(descriptor, 0666 & ~mask);
    close(descriptor);
    file.temporary = pattern;
    return "";
}

std::string CommitOutputFile(OutputFile& file) {
    if (std::rename(file.temporary.c_str(), file.target.c_str()) != 0) {
        const std::string reason =
            std::string("cannot rename the finished file into place: ") + std::strerror(errno);
        DiscardOutputFile(file);
        return reason;
    }
    file.temporary.clear();
    return "";
}

void DiscardOutputFile(OutputFile& file) {
    if (!file.temporary.empty()) {
        unlink(file.temporary.c_str());
        file.temporary.clear();
    }
}
