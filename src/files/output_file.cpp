#include "files/output_file.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

namespace {

// The file that a write to `target` replaces: the target, or where its symbolic link leads.
std::string ReplacedFile(const std::string& target) {
    struct stat link {};
    if (lstat(target.c_str(), &link) != 0 || !S_ISLNK(link.st_mode)) {
        return target;
    }
    std::error_code error;
    const std::filesystem::path resolved = std::filesystem::weakly_canonical(target, error);
    return error ? target : resolved.string();
}

bool ExistsAsNonRegularFile(const std::string& path) {
    struct stat status {};
    return stat(path.c_str(), &status) == 0 && !S_ISREG(status.st_mode);
}

std::string FolderOf(const std::string& path) {
    const std::string folder = std::filesystem::path(path).parent_path().string();
    return folder.empty() ? "." : folder;
}

// The permissions of the file replaced, or those a new file gets.
mode_t PermissionsFor(const std::string& replaced) {
    struct stat old {};
    if (stat(replaced.c_str(), &old) == 0) {
        return old.st_mode & 07777;
    }
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

// Creates the hidden temporary beside `replaced`, named after it so that a leftover is easy
// to recognise, and returns its descriptor, or -1 with the reason.
int CreateTemporary(OutputFile& file, const std::string& replaced, std::string& reason) {
    const std::string folder = FolderOf(replaced);
    std::string name = folder + "/." + std::filesystem::path(replaced).filename().string() + ".part-XXXXXX";
    const int descriptor = mkostemp(name.data(), O_CLOEXEC);
    if (descriptor < 0) {
        reason = "cannot write in " + folder + ": " + std::strerror(errno);
        return -1;
    }
    fchmod(descriptor, PermissionsFor(replaced));
    file.temporary = name;
    return descriptor;
}

// Starts a write to `target`: its temporary is made, or is the target itself for a device.
// Returns the temporary's descriptor (-1 for a device) and "" or the reason it cannot.
std::string Start(OutputFile& file, const std::string& target, int& descriptor) {
    file = OutputFile{target, "", nullptr};
    descriptor = -1;
    if (IsDirectory(target)) {
        return "is a directory";
    }
    const std::string replaced = ReplacedFile(target);
    if (ExistsAsNonRegularFile(replaced)) {
        file.temporary = target;
        return "";
    }
    std::string reason;
    descriptor = CreateTemporary(file, replaced, reason);
    return reason;
}

std::string WriteReason(int error) {
    return std::string("cannot write: ") + std::strerror(error != 0 ? error : EIO);
}

// Flushes and closes the stream; "" or the reason a write or the close failed.
std::string CloseStream(OutputFile& file) {
    // A failed write leaves the stream's error flag, and errno its reason unless a later call
    // changed it; the flush retries what is buffered.
    const bool written = std::fflush(file.stream) == 0 && std::ferror(file.stream) == 0;
    const int writeError = errno;
    errno = 0;
    const bool closed = std::fclose(file.stream) == 0;
    const int closeError = errno;
    file.stream = nullptr;
    if (!written || !closed) {
        return WriteReason(written ? closeError : writeError);
    }
    return "";
}

}  // namespace

bool IsDirectory(const std::string& path) {
    struct stat status {};
    return stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

std::string ReserveOutputFile(OutputFile& file, const std::string& target) {
    int descriptor = -1;
    const std::string reason = Start(file, target, descriptor);
    if (descriptor >= 0) {
        close(descriptor);
    }
    return reason;
}

std::string OpenOutputFile(OutputFile& file, const std::string& target) {
    int descriptor = -1;
    const std::string reason = Start(file, target, descriptor);
    if (!reason.empty()) {
        return reason;
    }
    file.stream = descriptor >= 0 ? fdopen(descriptor, "wb") : std::fopen(target.c_str(), "wb");
    if (file.stream == nullptr) {
        const std::string failure = WriteReason(errno);
        if (descriptor >= 0) {
            close(descriptor);
        }
        DiscardOutputFile(file);
        return failure;
    }
    return "";
}

std::string CommitOutputFile(OutputFile& file) {
    const std::string failure = file.stream != nullptr ? CloseStream(file) : "";
    if (!failure.empty()) {
        DiscardOutputFile(file);
        return failure;
    }
    if (file.temporary != file.target &&
        std::rename(file.temporary.c_str(), ReplacedFile(file.target).c_str()) != 0) {
        const std::string reason =
            std::string("cannot rename the finished file into place: ") + std::strerror(errno);
        DiscardOutputFile(file);
        return reason;
    }
    file.temporary.clear();
    return "";
}

void DiscardOutputFile(OutputFile& file) {
    if (file.stream != nullptr) {
        std::fclose(file.stream);
        file.stream = nullptr;
    }
    if (!file.temporary.empty() && file.temporary != file.target) {
        unlink(file.temporary.c_str());
    }
    file.temporary.clear();
}
