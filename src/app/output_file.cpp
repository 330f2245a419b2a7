#include "app/output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <random>

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

bool Exists(const std::string& path) {
    struct stat status {};
    return lstat(path.c_str(), &status) == 0;
}

// A hidden name beside the file, which no other writer picks: this process's id and a random
// number.
std::string HiddenNameBeside(const std::string& file) {
    const std::filesystem::path path(file);
    std::random_device random;
    std::string name;
    do {
        char hidden[32];
        std::snprintf(hidden, sizeof hidden, ".%d-%08x.tmp", static_cast<int>(getpid()), random());
        name =
            (path.parent_path() / std::string(".").append(path.filename().string()).append(hidden)).string();
    } while (Exists(name));
    return name;
}

std::string WriteReason(int error) {
    return std::string("cannot write: ") + std::strerror(error != 0 ? error : EIO);
}

}  // namespace

std::string TemporaryNameFor(const std::string& target) {
    const std::string replaced = ReplacedFile(target);
    return ExistsAsNonRegularFile(replaced) ? target : HiddenNameBeside(replaced);
}

std::string CommitOutputFile(const std::string& temporary, const std::string& target) {
    if (temporary == target) {
        return "";
    }
    const std::string replaced = ReplacedFile(target);
    struct stat old {};
    if (stat(replaced.c_str(), &old) == 0) {
        chmod(temporary.c_str(), old.st_mode & 07777);
    }
    if (std::rename(temporary.c_str(), replaced.c_str()) != 0) {
        const std::string reason = std::strerror(errno);
        DiscardOutputFile(temporary, target);
        return reason;
    }
    return "";
}

void DiscardOutputFile(const std::string& temporary, const std::string& target) {
    if (temporary != target) {
        unlink(temporary.c_str());
    }
}

std::string OpenOutputFile(OutputFile& file, const std::string& target) {
    file.target = target;
    file.temporary = TemporaryNameFor(target);
    if (file.temporary == target) {
        file.stream = std::fopen(target.c_str(), "wb");
        return file.stream == nullptr ? std::strerror(errno) : "";
    }
    // Created here, so that no other file of that name is overwritten, with the permissions
    // a new file gets.
    const int descriptor = open(file.temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (descriptor < 0) {
        return std::strerror(errno);
    }
    file.stream = fdopen(descriptor, "wb");
    if (file.stream == nullptr) {
        const std::string reason = std::strerror(errno);
        close(descriptor);
        DiscardOutputFile(file.temporary, target);
        return reason;
    }
    return "";
}

std::string CloseOutputFile(OutputFile& file) {
    // A failed write leaves the stream's error flag; the flush retries what is buffered.
    const bool written = std::fflush(file.stream) == 0 && std::ferror(file.stream) == 0;
    const int writeError = errno;
    const bool closed = std::fclose(file.stream) == 0;
    const int closeError = errno;
    file.stream = nullptr;
    if (!written || !closed) {
        DiscardOutputFile(file.temporary, file.target);
        return WriteReason(written ? closeError : writeError);
    }
    const std::string failure = CommitOutputFile(file.temporary, file.target);
    return failure.empty() ? "" : "cannot replace it: " + failure;
}

void AbandonOutputFile(OutputFile& file) {
    if (file.stream != nullptr) {
        std::fclose(file.stream);
        file.stream = nullptr;
    }
    DiscardOutputFile(file.temporary, file.target);
}
