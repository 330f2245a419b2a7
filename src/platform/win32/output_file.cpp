#include "files/output_file.h"

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <random>

#include "files/interruption.h"

// Windows' version of the whole-or-nothing output file: the hidden temporary is created
// exclusively beside the target and moved over it with MoveFileEx once complete.
namespace {

std::string FolderOf(const std::string& path) {
    const std::string folder = std::filesystem::path(path).parent_path().string();
    return folder.empty() ? "." : folder;
}

bool ExistsAsNonRegularFile(const std::string& path) {
    std::error_code error;
    const auto status = std::filesystem::status(path, error);
    return std::filesystem::exists(status) && !std::filesystem::is_regular_file(status);
}

int CreateTemporary(OutputFile& file, const std::string& target, std::string& reason) {
    const std::string folder = FolderOf(target);
    const std::string stem = folder + "/." + std::filesystem::path(target).filename().string() + ".part-";
    std::random_device random;
    static const char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = stem;
        for (int i = 0; i < 6; ++i) {
            name += letters[random() % (sizeof letters - 1)];
        }
        const int descriptor = _open(name.c_str(), _O_CREAT | _O_EXCL | _O_WRONLY | _O_BINARY | _O_NOINHERIT,
                                     _S_IREAD | _S_IWRITE);
        if (descriptor >= 0) {
            file.temporary = name;
            file.temporaryName = std::filesystem::path(name).filename().string();
            file.finalName = std::filesystem::path(target).filename().string();
            return descriptor;
        }
        if (errno != EEXIST) {
            break;
        }
    }
    reason = "cannot write in " + folder + ": " + std::strerror(errno);
    return -1;
}

std::string Reserve(OutputFile& file, const std::string& target, int& descriptor) {
    file = OutputFile{};
    file.target = target;
    descriptor = -1;
    if (IsDirectory(target)) {
        return "is a directory";
    }
    if (ExistsAsNonRegularFile(target)) {
        file.temporary = target;  // written in place
        return "";
    }
    std::string reason;
    descriptor = CreateTemporary(file, target, reason);
    return descriptor < 0 ? reason : "";
}

}  // namespace

OutputFolder::~OutputFolder() = default;

bool IsDirectory(const std::string& path) {
    std::error_code error;
    return std::filesystem::is_directory(path, error);
}

bool IsWrittenInPlace(const std::string& path) {
    return !IsDirectory(path) && ExistsAsNonRegularFile(path);
}

std::string ReserveOutputFile(OutputFile& file, const std::string& target, const OutputFile*) {
    int descriptor = -1;
    std::string failure = Reserve(file, target, descriptor);
    if (descriptor >= 0) {
        _close(descriptor);
    }
    return failure;
}

std::string OpenOutputFile(OutputFile& file, const std::string& target) {
    int descriptor = -1;
    std::string failure = Reserve(file, target, descriptor);
    if (!failure.empty()) {
        return failure;
    }
    file.stream = descriptor >= 0 ? _fdopen(descriptor, "wb") : std::fopen(target.c_str(), "wb");
    if (file.stream == nullptr) {
        failure = std::string("cannot open for writing: ") + std::strerror(errno);
        if (descriptor >= 0) {
            _close(descriptor);
        }
        DiscardOutputFile(file);
    }
    return failure;
}

std::string OpenStandardOutput(OutputFile& file) {
    file = OutputFile{};
    file.target = "standard output";
    std::fflush(stdout);
    const int descriptor = _dup(_fileno(stdout));
    if (descriptor < 0 || _dup2(_fileno(stderr), _fileno(stdout)) < 0) {
        const std::string failure = std::string("cannot write: ") + std::strerror(errno);
        if (descriptor >= 0) {
            _close(descriptor);
        }
        return failure;
    }
    file.stream = _fdopen(descriptor, "wb");
    if (file.stream == nullptr) {
        const std::string failure = std::string("cannot write: ") + std::strerror(errno);
        _close(descriptor);
        return failure;
    }
    return "";
}

int OpenReservedFile(const OutputFile& file) {
    return _open(file.temporary.c_str(), _O_WRONLY | _O_TRUNC | _O_BINARY | _O_NOINHERIT);
}

std::string CommitOutputFile(OutputFile& file) {
    file.kept.clear();
    std::string failure;
    if (file.stream != nullptr) {
        const bool written = std::ferror(file.stream) == 0;
        const int error = errno;
        if (std::fclose(file.stream) != 0 || !written) {
            failure = std::string("cannot write: ") + std::strerror(written ? errno : error);
        }
        file.stream = nullptr;
    }
    if (failure.empty() && InterruptingSignal() != 0) {
        failure = "interrupted by " + SignalName(InterruptingSignal());
    }
    if (failure.empty() && file.temporary != file.target) {
        // Without -y the move fails, rather than replace, when a file took the name meanwhile.
        const DWORD flags = file.replace ? MOVEFILE_REPLACE_EXISTING : 0;
        if (MoveFileExA(file.temporary.c_str(), file.target.c_str(), flags) == 0) {
            const DWORD error = GetLastError();
            if (!file.replace && (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS)) {
                file.kept = file.temporary;
                file.temporary.clear();
                return "appeared while it was being written; the new file is kept as " + file.kept;
            }
            failure = "cannot rename the finished file into place (error " + std::to_string(error) + ")";
        }
    }
    if (!failure.empty()) {
        DiscardOutputFile(file);
        return failure;
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
        std::remove(file.temporary.c_str());
    }
    file.temporary.clear();
}
