#include "files/output_file.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <random>

#include "files/interruption.h"

namespace {

constexpr const char* PART_MARK = ".part-";
constexpr size_t RANDOM_LETTERS = 6;
constexpr const char* LINK_LOOP = "is a symbolic link that leads round in a loop";

constexpr int MOST_LINKS = 40;  // as many as the kernel follows in one path

// The file that a write to `target` makes or replaces: the target, or where its chain of
// symbolic links ends, whether or not a file is there (a dangling link leads to the file to
// create). "" for a chain that leads round in a loop.
std::string ReplacedFile(const std::string& target) {
    std::filesystem::path path = target;
    for (int hop = 0; hop <= MOST_LINKS; ++hop) {
        struct stat link {};
        if (lstat(path.c_str(), &link) != 0 || !S_ISLNK(link.st_mode)) {
            return path.string();
        }
        std::error_code error;
        const std::filesystem::path next = std::filesystem::read_symlink(path, error);
        if (error) {
            return path.string();
        }
        path = next.is_absolute() ? next : path.parent_path() / next;
    }
    return "";
}

bool ExistsAsNonRegularFile(const std::string& path) {
    struct stat status {};
    return stat(path.c_str(), &status) == 0 && !S_ISREG(status.st_mode);
}

std::string FolderOf(const std::string& path) {
    const std::string folder = std::filesystem::path(path).parent_path().string();
    return folder.empty() ? "." : folder;
}

// The folder of `replaced`, the sibling's if it is the same, else opened now; "" or the reason.
std::string UseFolder(OutputFile& file, const std::string& replaced, const OutputFile* sibling) {
    const std::string path = FolderOf(replaced);
    if (sibling != nullptr && sibling->folder != nullptr && sibling->folder->path == path) {
        file.folder = sibling->folder;
        return "";
    }
    auto folder = std::make_shared<OutputFolder>();
    folder->path = path;
    folder->descriptor = open(path.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (folder->descriptor < 0) {
        return "cannot write in " + path + ": " + std::strerror(errno);
    }
    file.folder = folder;
    return "";
}

// ".NAME.part-", NAME cut (at a character's start) so that the whole name with its random
// letters is no longer than the folder's file systems allow.
std::string TemporaryPrefix(const std::string& name, int folder) {
    const long longest = fpathconf(folder, _PC_NAME_MAX);
    const size_t room =
        static_cast<size_t>(longest > 0 ? longest : 255) - 1 - std::strlen(PART_MARK) - RANDOM_LETTERS;
    size_t keep = std::min(name.size(), room);
    while (keep > 0 && keep < name.size() && (static_cast<unsigned char>(name[keep]) & 0xC0) == 0x80) {
        --keep;  // not inside a UTF-8 character
    }
    std::string prefix = ".";
    return prefix.append(name, 0, keep).append(PART_MARK);
}

std::string RandomLetters() {
    static constexpr char LETTERS[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    std::random_device source;
    std::string letters;
    for (size_t i = 0; i < RANDOM_LETTERS; ++i) {
        letters += LETTERS[source() % (sizeof LETTERS - 1)];
    }
    return letters;
}

// Creates the hidden temporary in the folder, named after the file it replaces so that a
// leftover is easy to recognise, with that file's permissions or those a new file gets.
// Returns its descriptor, or -1 with the reason.
int CreateTemporary(OutputFile& file, const std::string& replaced, std::string& reason) {
    const int folder = file.folder->descriptor;
    const std::string prefix = TemporaryPrefix(file.finalName, folder);
    struct stat old {};
    const bool replacing = stat(replaced.c_str(), &old) == 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string name = prefix + RandomLetters();
        const int descriptor = openat(folder, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (descriptor >= 0) {
            if (replacing) {
                fchmod(descriptor, old.st_mode & 07777);
            }
            file.temporaryName = name;
            file.temporary = file.folder->path + "/" + name;
            return descriptor;
        }
        if (errno != EEXIST) {
            break;
        }
    }
    reason = "cannot write in " + file.folder->path + ": " + std::strerror(errno);
    return -1;
}

// Starts a write to `target`: its temporary is made, or is the target itself for a device.
// Returns the temporary's descriptor (-1 for a device) and "" or the reason it cannot.
std::string Start(OutputFile& file, const std::string& target, const OutputFile* sibling, int& descriptor) {
    file = OutputFile{};
    file.target = target;
    descriptor = -1;
    if (IsDirectory(target)) {
        return "is a directory";
    }
    // Asked of the target itself first: the links to a device or a pipe (/dev/stdout) may lead
    // through names that are no paths ("pipe:[1234]").
    if (ExistsAsNonRegularFile(target)) {
        file.temporary = target;
        return "";
    }
    const std::string replaced = ReplacedFile(target);
    if (replaced.empty()) {
        return LINK_LOOP;
    }
    std::string reason = UseFolder(file, replaced, sibling);
    if (!reason.empty()) {
        return reason;
    }
    file.finalName = std::filesystem::path(replaced).filename().string();
    descriptor = CreateTemporary(file, replaced, reason);
    if (descriptor < 0) {
        file.folder.reset();
    }
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

// The page's in-memory file system answers a hard link with EMLINK.
bool Unsupported(int error) {
    return error == EINVAL || error == ENOSYS || error == ENOTSUP || error == EOPNOTSUPP || error == EPERM ||
           error == EMLINK;
}

// Gives the temporary its final name in the folder: over whatever stands there when
// `replace` is set, otherwise only while the name is free. 0 or the error (EEXIST: taken).
int PlaceFile(const OutputFile& file) {
    const int folder = file.folder->descriptor;
    const char* from = file.temporaryName.c_str();
    const char* to = file.finalName.c_str();
    if (file.replace) {
        return renameat(folder, from, folder, to) == 0 ? 0 : errno;
    }
#ifdef RENAME_NOREPLACE
    if (renameat2(folder, from, folder, to, RENAME_NOREPLACE) == 0) {
        return 0;
    }
    if (!Unsupported(errno)) {
        return errno;
    }
#endif
    // A file system without that rename: a second name made only where none is, then the
    // temporary's removed.
    if (linkat(folder, from, folder, to, 0) == 0) {
        unlinkat(folder, from, 0);
        return 0;
    }
    if (!Unsupported(errno)) {
        return errno;
    }
    // Neither (a file system without hard links): the name is looked at just before the rename.
    struct stat status {};
    if (fstatat(folder, to, &status, AT_SYMLINK_NOFOLLOW) == 0) {
        return EEXIST;
    }
    return renameat(folder, from, folder, to) == 0 ? 0 : errno;
}

}  // namespace

OutputFolder::~OutputFolder() {
    if (descriptor >= 0) {
        close(descriptor);
    }
}

bool IsDirectory(const std::string& path) {
    struct stat status {};
    return stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

bool IsWrittenInPlace(const std::string& path) {
    return !IsDirectory(path) && ExistsAsNonRegularFile(path);
}

std::string ReserveOutputFile(OutputFile& file, const std::string& target, const OutputFile* sibling) {
    int descriptor = -1;
    const std::string reason = Start(file, target, sibling, descriptor);
    if (descriptor >= 0) {
        close(descriptor);
    }
    return reason;
}

std::string OpenOutputFile(OutputFile& file, const std::string& target) {
    int descriptor = -1;
    const std::string reason = Start(file, target, nullptr, descriptor);
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

std::string SetLinesAsideFor(const std::string& target) {
    struct stat named {};
    struct stat out {};
    if (!IsWrittenInPlace(target) || stat(target.c_str(), &named) != 0 || fstat(STDOUT_FILENO, &out) != 0 ||
        named.st_dev != out.st_dev || named.st_ino != out.st_ino) {
        return target;
    }
    std::fflush(stdout);
    const int kept = fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 3);
    if (kept < 0 || dup2(STDERR_FILENO, STDOUT_FILENO) < 0) {
        if (kept >= 0) {
            close(kept);
        }
        return target;
    }
    return "/proc/self/fd/" + std::to_string(kept);
}

std::string OpenStandardOutput(OutputFile& file) {
    file = OutputFile{};
    file.target = "standard output";
    std::fflush(stdout);
    const int descriptor = fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 3);
    if (descriptor < 0 || dup2(STDERR_FILENO, STDOUT_FILENO) < 0) {
        const std::string failure = WriteReason(errno);
        if (descriptor >= 0) {
            close(descriptor);
        }
        return failure;
    }
    file.stream = fdopen(descriptor, "wb");
    if (file.stream == nullptr) {
        const std::string failure = WriteReason(errno);
        close(descriptor);
        return failure;
    }
    return "";
}

int OpenReservedFile(const OutputFile& file) {
    if (file.folder == nullptr) {
        return open(file.temporary.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    }
    return openat(file.folder->descriptor, file.temporaryName.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
}

std::string CommitOutputFile(OutputFile& file) {
    file.kept.clear();
    std::string failure = file.stream != nullptr ? CloseStream(file) : "";
    if (failure.empty() && InterruptingSignal() != 0) {
        failure = "interrupted by " + SignalName(InterruptingSignal()) +
                  (file.folder != nullptr ? "; the unfinished file is removed" : "");
    }
    if (!failure.empty()) {
        DiscardOutputFile(file);
        return failure;
    }
    if (file.folder != nullptr) {
        const int error = PlaceFile(file);
        if (error == EEXIST) {
            // Someone else's file took the name meanwhile: both stay.
            file.kept = file.temporary;
            file.temporary.clear();
            file.folder.reset();
            return "appeared while it was being written; the new file is kept as " + file.kept;
        }
        if (error != 0) {
            const std::string reason =
                std::string("cannot rename the finished file into place: ") + std::strerror(error);
            DiscardOutputFile(file);
            return reason;
        }
    }
    file.temporary.clear();
    file.folder.reset();
    return "";
}

void DiscardOutputFile(OutputFile& file) {
    if (file.stream != nullptr) {
        std::fclose(file.stream);
        file.stream = nullptr;
    }
    if (file.folder != nullptr && !file.temporaryName.empty()) {
        unlinkat(file.folder->descriptor, file.temporaryName.c_str(), 0);
    }
    file.temporary.clear();
    file.folder.reset();
}
