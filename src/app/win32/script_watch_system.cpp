// The Windows part of the script's watch: ReadDirectoryChangesW on the script's folder, through
// an OVERLAPPED with an event, and an event that ends the wait. Names are held as UTF-8 and
// handed to the wide-character calls.
//
// A folder with an open handle that is renamed keeps its handle, and one that is removed may
// complete no pending read: so while a folder is watched, each FOLDER_CHECK_MS without a
// notification checks that the folder's name still leads to the folder watched, and that the
// folder is not deleted.
#include <windows.h>

#include <exception>
#include <string>

#include "app/script_watch_system.h"
#include "files/win32/system_error.h"
#include "files/win32/wide_text.h"

namespace {

constexpr DWORD FOLDER_CHECK_MS = 200;

// What changes the script's name: a file made, written, resized or renamed to it.
constexpr DWORD CHANGE_FILTER =
    FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_LAST_WRITE | FILE_NOTIFY_CHANGE_SIZE;

// The folder and the name of a path given in either separator; a path with no folder is in
// the current one (of its drive, for "C:show.txt").
void SplitPath(const std::string& path, std::string& folder, std::string& name) {
    const size_t separator = path.find_last_of("/\\");
    if (separator == std::string::npos) {
        const bool drive = path.size() >= 2 && path[1] == ':';
        folder = drive ? path.substr(0, 2) + "." : ".";
        name = drive ? path.substr(2) : path;
        return;
    }
    folder = path.substr(0, separator);
    if (folder.empty() || folder.back() == ':') {
        folder = path.substr(0, separator + 1);  // the root: "\" or "C:\"
    }
    name = path.substr(separator + 1);
}

FolderRefusal RefusalOf(const std::string& folder, DWORD error) {
    return {folder, SystemErrorText(error),
            error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND || error == ERROR_DIRECTORY};
}

bool SameFile(const BY_HANDLE_FILE_INFORMATION& a, const BY_HANDLE_FILE_INFORMATION& b) {
    return a.dwVolumeSerialNumber == b.dwVolumeSerialNumber && a.nFileIndexHigh == b.nFileIndexHigh &&
           a.nFileIndexLow == b.nFileIndexLow;
}

// Whether the handle's file is deleted, or only waits for its last handle to go.
bool Deleted(HANDLE file) {
    BY_HANDLE_FILE_INFORMATION information{};
    FILE_STANDARD_INFO standard{};
    return !GetFileInformationByHandle(file, &information) || information.nNumberOfLinks == 0 ||
           (GetFileInformationByHandleEx(file, FileStandardInfo, &standard, sizeof standard) &&
            standard.DeletePending);
}

// Whether two names are the same file name, as Windows compares them: without regard to case.
bool SameName(const wchar_t* a, size_t aLength, const std::wstring& b) {
    return CompareStringOrdinal(a, static_cast<int>(aLength), b.c_str(), static_cast<int>(b.size()), TRUE) ==
           CSTR_EQUAL;
}

}  // namespace

struct FolderNotifications {
    std::string path;
    HANDLE stop = CreateEventW(nullptr, TRUE, FALSE, nullptr);  // ends the thread
    DWORD stopError = GetLastError();
    HANDLE completed = CreateEventW(nullptr, TRUE, FALSE, nullptr);  // the pending read's
    DWORD completedError = GetLastError();
    std::string folder;
    std::wstring wideFolder;
    std::wstring name;
    HANDLE directory = INVALID_HANDLE_VALUE;
    OVERLAPPED overlapped{};
    alignas(DWORD) char buffer[16 * 1024];

    // Reads the folder's next changes into the buffer, completed later on `completed`.
    bool ReadChanges() {
        overlapped = {};
        overlapped.hEvent = completed;
        ResetEvent(completed);
        return ReadDirectoryChangesW(directory, buffer, sizeof buffer, FALSE, CHANGE_FILTER, nullptr,
                                     &overlapped, nullptr);
    }

    // Whether the folder's name no longer leads to the folder watched, or that folder is deleted.
    bool FolderGone() {
        const HANDLE now = CreateFileW(wideFolder.c_str(), FILE_READ_ATTRIBUTES,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                       OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        if (now == INVALID_HANDLE_VALUE) {
            return true;
        }
        BY_HANDLE_FILE_INFORMATION named{}, watched{};
        const bool same = GetFileInformationByHandle(now, &named) &&
                          GetFileInformationByHandle(directory, &watched) && SameFile(named, watched);
        CloseHandle(now);
        return !same || Deleted(directory);
    }

    void Close() {
        if (directory == INVALID_HANDLE_VALUE) {
            return;
        }
        DWORD bytes = 0;
        if (CancelIoEx(directory, &overlapped) || GetLastError() != ERROR_NOT_FOUND) {
            GetOverlappedResult(directory, &overlapped, &bytes, TRUE);  // the read may not outlive its buffer
        }
        CloseHandle(directory);
        directory = INVALID_HANDLE_VALUE;
    }

    ~FolderNotifications() {
        Close();
        for (HANDLE event : {stop, completed}) {
            if (event != nullptr) {
                CloseHandle(event);
            }
        }
    }
};

FolderNotificationsHandle OpenFolderNotifications(const std::string& path) {
    FolderNotificationsHandle notifications{new FolderNotifications,
                                            [](FolderNotifications* held) { delete held; }};
    std::string name;
    SplitPath(path, notifications->folder, name);
    notifications->path = path;
    notifications->wideFolder = WideOf(notifications->folder);
    notifications->name = WideOf(name);
    return notifications;
}

bool ArmFolders(FolderNotifications& notifications, FolderRefusal& refusal) {
    if (notifications.stop == nullptr || notifications.completed == nullptr) {
        refusal =
            RefusalOf(notifications.folder,
                      notifications.stop == nullptr ? notifications.stopError : notifications.completedError);
        refusal.absent = false;
        return false;
    }
    notifications.directory =
        CreateFileW(notifications.wideFolder.c_str(), FILE_LIST_DIRECTORY,
                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                    FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED, nullptr);
    if (notifications.directory == INVALID_HANDLE_VALUE) {
        refusal = RefusalOf(notifications.folder, GetLastError());
        return false;
    }
    BY_HANDLE_FILE_INFORMATION information{};
    DWORD error = ERROR_DIRECTORY;  // a file in the folder's place: watched again once it is one
    if (!GetFileInformationByHandle(notifications.directory, &information)) {
        error = GetLastError();
    } else if ((information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        if (notifications.ReadChanges()) {
            return true;
        }
        error = GetLastError();
    }
    CloseHandle(notifications.directory);
    notifications.directory = INVALID_HANDLE_VALUE;
    refusal = RefusalOf(notifications.folder, error);
    return false;
}

void DisarmFolders(FolderNotifications& notifications) {
    notifications.Close();
}

// A completed read names the files changed; one with no names overflowed its buffer, and may
// have dropped the save itself, so it counts as a change. A read that cannot go on means the
// folder is gone (a deleted folder refuses new reads).
FolderWakening WaitForFolderChanges(FolderNotifications& notifications, int timeoutMs) {
    FolderWakening woken;
    const bool armed = notifications.directory != INVALID_HANDLE_VALUE;
    DWORD timeout = timeoutMs < 0 ? INFINITE : static_cast<DWORD>(timeoutMs);
    if (armed && timeout > FOLDER_CHECK_MS) {
        timeout = FOLDER_CHECK_MS;
    }
    const HANDLE events[2] = {notifications.stop, notifications.completed};
    const DWORD woke = WaitForMultipleObjects(armed ? 2 : 1, events, FALSE, timeout);
    if (woke == WAIT_OBJECT_0) {
        woken.stopped = true;
    } else if (woke == WAIT_TIMEOUT) {
        woken.lost = armed && notifications.FolderGone();
    } else if (woke != WAIT_OBJECT_0 + 1) {
        woken.failure = RefusalOf(notifications.folder, GetLastError());
    } else {
        DWORD bytes = 0;
        if (!GetOverlappedResult(notifications.directory, &notifications.overlapped, &bytes, FALSE)) {
            woken.changed = GetLastError() == ERROR_NOTIFY_ENUM_DIR;
            woken.lost = !woken.changed;
        } else if (bytes == 0) {
            woken.changed = true;
        }
        for (DWORD at = 0; bytes != 0 && at + sizeof(FILE_NOTIFY_INFORMATION) <= bytes;) {
            const auto* change = reinterpret_cast<const FILE_NOTIFY_INFORMATION*>(notifications.buffer + at);
            const bool toName = change->Action == FILE_ACTION_ADDED ||
                                change->Action == FILE_ACTION_MODIFIED ||
                                change->Action == FILE_ACTION_RENAMED_NEW_NAME;
            woken.changed = woken.changed ||
                            (toName && SameName(change->FileName, change->FileNameLength / sizeof(wchar_t),
                                                notifications.name));
            if (change->NextEntryOffset == 0) {
                break;
            }
            at += change->NextEntryOffset;
        }
        woken.lost = woken.lost || !notifications.ReadChanges() || notifications.FolderGone();
    }
    return woken;
}

bool FoldersMoved(FolderNotifications&) {
    return false;  // the folder watched is the path's own
}

bool ScriptFileExists(FolderNotifications& notifications) {
    return GetFileAttributesW(WideOf(notifications.path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

void EndFolderWait(FolderNotifications& notifications) {
    if (!SetEvent(notifications.stop)) {
        std::terminate();  // the thread would never end
    }
}
