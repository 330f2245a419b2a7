#include "files/output_file.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <random>

#include "files/file_names.h"
#include "files/interruption.h"
#include "files/win32/system_error.h"
#include "files/win32/wide_text.h"

// Windows' version of the whole-or-nothing output file: the temporary is created exclusively
// beside the target, marked hidden (a leading dot hides nothing on Windows), and moved over
// the target with MoveFileEx once complete. Names are UTF-8 inside the program and go to the
// wide-character calls, so that a folder such as "Vidéos" or "中文" takes files. Windows'
// devices (NUL, CON, and the reserved names with any extension, such as nul.txt) are written
// in place, as a device is on Linux.
namespace {

constexpr const char* PART_MARK = ".part-";
constexpr size_t RANDOM_LETTERS = 6;

std::string FolderOf(const std::string& path) {
    const std::string folder = NameOf(PathOf(path).parent_path());
    return folder.empty() ? "." : folder;
}

std::string FileNameOf(const std::string& path) {
    return NameOf(PathOf(path).filename());
}

// The names Windows keeps for its devices in every folder, whatever follows a dot: "nul.txt"
// is the NUL device as much as "NUL" is.
bool IsReservedDeviceName(const std::string& path) {
    std::string name = FileNameOf(path);
    std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::toupper(c); });
    if (name == "CONIN$" || name == "CONOUT$") {
        return true;
    }
    name = name.substr(0, name.find('.'));
    while (!name.empty() && (name.back() == ' ' || name.back() == ':')) {
        name.pop_back();
    }
    if (name == "CON" || name == "PRN" || name == "AUX" || name == "NUL") {
        return true;
    }
    return name.size() == 4 && (name.rfind("COM", 0) == 0 || name.rfind("LPT", 0) == 0) && name[3] >= '1' &&
           name[3] <= '9';
}

// A device or a pipe that exists under the name (such as \\.\pipe\NAME).
bool ExistsAsNonRegularFile(const std::string& path) {
    if (IsReservedDeviceName(path)) {
        return true;
    }
    const HANDLE handle =
        CreateFileW(WideOf(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return false;
    }
    const DWORD type = GetFileType(handle);
    CloseHandle(handle);
    return type == FILE_TYPE_CHAR || type == FILE_TYPE_PIPE;
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

// ".NAME.part-", NAME cut (at a character's start) so that the whole name with its random
// letters stays within the 255 UTF-16 units Windows takes for a name: a file named near that
// length is still written.
std::string TemporaryPrefix(const std::string& name) {
    constexpr size_t LONGEST_NAME = 255;
    const size_t room = LONGEST_NAME - 1 - std::strlen(PART_MARK) - RANDOM_LETTERS;
    size_t keep = 0;
    size_t units = 0;
    while (keep < name.size()) {
        const unsigned char lead = static_cast<unsigned char>(name[keep]);
        const size_t bytes = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
        const size_t width = bytes == 4 ? 2 : 1;  // past U+FFFF a character takes two units
        if (units + width > room) {
            break;
        }
        units += width;
        keep = std::min(name.size(), keep + bytes);
    }
    std::string prefix = ".";
    return prefix.append(name, 0, keep).append(PART_MARK);
}

// The reason a temporary cannot be made, blaming the name where the system refuses the name
// (a `*` or `?` in it) and the folder otherwise.
std::string CreateFailure(const std::string& target, const std::string& folder, DWORD error) {
    if (error == ERROR_INVALID_NAME) {
        return "cannot write " + target + ": " + SystemErrorText(error);
    }
    return "cannot write in " + folder + ": " + SystemErrorText(error);
}

// Creates the hidden temporary beside the target; its descriptor, or -1 with the reason.
int CreateTemporary(OutputFile& file, const std::string& target, std::string& reason) {
    const std::string folder = FolderOf(target);
    const std::string prefix = TemporaryPrefix(file.finalName);
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string name = prefix + RandomLetters();
        const std::string path = folder + "\\" + name;
        const HANDLE handle =
            CreateFileW(WideOf(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                        CREATE_NEW, FILE_ATTRIBUTE_HIDDEN, nullptr);
        if (handle == INVALID_HANDLE_VALUE) {
            const DWORD error = GetLastError();
            if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) {
                continue;
            }
            reason = CreateFailure(target, folder, error);
            return -1;
        }
        const int descriptor = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_WRONLY | _O_BINARY);
        if (descriptor < 0) {
            CloseHandle(handle);
            DeleteFileW(WideOf(path).c_str());
            reason = "cannot write in " + folder + ": " + std::strerror(errno);
            return -1;
        }
        file.temporary = path;
        file.temporaryName = name;
        return descriptor;
    }
    reason = CreateFailure(target, folder, ERROR_FILE_EXISTS);
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
    file.folder = std::make_shared<OutputFolder>();
    file.folder->path = FolderOf(target);
    file.finalName = FileNameOf(target);
    std::string reason;
    descriptor = CreateTemporary(file, target, reason);
    if (descriptor < 0) {
        file.folder.reset();
    }
    return reason;
}

// The C library keeps the system's code of a failed call beside errno: its text names the
// failure ("There is not enough space on the disk.") where errno's often says "Invalid argument".
std::string WriteReason(int error, unsigned long systemError) {
    if (systemError != 0) {
        return "cannot write: " + SystemErrorText(systemError);
    }
    return std::string("cannot write: ") + std::strerror(error != 0 ? error : EIO);
}

// Flushes and closes the stream; "" or the reason a write or the close failed.
std::string CloseStream(OutputFile& file) {
    _doserrno = 0;
    const bool written = std::fflush(file.stream) == 0 && std::ferror(file.stream) == 0;
    const int writeError = errno;
    const unsigned long writeSystemError = _doserrno;
    errno = 0;
    _doserrno = 0;
    const bool closed = std::fclose(file.stream) == 0;
    const int closeError = errno;
    const unsigned long closeSystemError = _doserrno;
    file.stream = nullptr;
    if (!written) {
        return WriteReason(writeError, writeSystemError);
    }
    return closed ? "" : WriteReason(closeError, closeSystemError);
}

// Moves the finished temporary into place: over the target with -y (a read-only target is
// replaced as Linux replaces a file without write permission, the folder deciding, and the new
// file keeps that attribute), else only while the name is free. A file that took the name
// during the run is kept, and so is the finished one, under its temporary name, shown.
std::string MoveIntoPlace(OutputFile& file) {
    const std::wstring temporary = WideOf(file.temporary);
    const std::wstring target = WideOf(file.target);
    const DWORD old = GetFileAttributesW(target.c_str());
    const bool readOnly =
        file.replace && old != INVALID_FILE_ATTRIBUTES && (old & FILE_ATTRIBUTE_READONLY) != 0;
    if (readOnly) {
        SetFileAttributesW(target.c_str(), old & ~FILE_ATTRIBUTE_READONLY);
    }
    SetFileAttributesW(temporary.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (MoveFileExW(temporary.c_str(), target.c_str(), file.replace ? MOVEFILE_REPLACE_EXISTING : 0) == 0) {
        const DWORD error = GetLastError();
        if (readOnly) {
            SetFileAttributesW(target.c_str(), old);
        }
        if (!file.replace && (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS)) {
            file.kept = file.temporary;
            file.temporary.clear();
            file.folder.reset();
            return "appeared while it was being written; the new file is kept as " + file.kept;
        }
        return "cannot rename the finished file into place: " + SystemErrorText(error);
    }
    if (readOnly) {
        SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_READONLY);
    }
    return "";
}

}  // namespace

OutputFolder::~OutputFolder() = default;

bool IsDirectory(const std::string& path) {
    std::error_code error;
    return std::filesystem::is_directory(PathOf(path), error);
}

// Windows' devices (CON) have no second name to tell the standard output by: the lines stay.
std::string SetLinesAsideFor(const std::string& target) {
    return target;
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
    _doserrno = 0;
    file.stream = descriptor >= 0 ? _fdopen(descriptor, "wb") : OpenNamedFile(target, "wb");
    if (file.stream == nullptr) {
        failure = WriteReason(errno, _doserrno);
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
        const std::string failure = WriteReason(errno, 0);
        if (descriptor >= 0) {
            _close(descriptor);
        }
        return failure;
    }
    // Bytes as they are: the C library's text mode would end every line in CR LF.
    _setmode(descriptor, _O_BINARY);
    file.stream = _fdopen(descriptor, "wb");
    if (file.stream == nullptr) {
        const std::string failure = WriteReason(errno, 0);
        _close(descriptor);
        return failure;
    }
    return "";
}

int OpenReservedFile(const OutputFile& file) {
    // A device is opened as it is: truncating one is refused.
    const int truncate = file.folder != nullptr ? _O_TRUNC : 0;
    return _wopen(WideOf(file.temporary).c_str(), _O_WRONLY | truncate | _O_BINARY | _O_NOINHERIT);
}

std::string CommitOutputFile(OutputFile& file) {
    file.kept.clear();
    std::string failure = file.stream != nullptr ? CloseStream(file) : "";
    if (failure.empty() && InterruptingSignal() != 0) {
        failure = "interrupted by " + SignalName(InterruptingSignal()) +
                  (file.folder != nullptr ? "; the unfinished file is removed" : "");
    }
    if (failure.empty() && file.folder != nullptr) {
        failure = MoveIntoPlace(file);
        if (!file.kept.empty()) {
            return failure;
        }
    }
    if (!failure.empty()) {
        DiscardOutputFile(file);
        return failure;
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
    if (file.folder != nullptr && !file.temporary.empty()) {
        DeleteFileW(WideOf(file.temporary).c_str());
    }
    file.temporary.clear();
    file.folder.reset();
}
