#pragma once
#include <memory>
#include <optional>
#include <string>

// The system's part of the script's watch (script_watch.h): change notifications for the folder
// of a script's path, and on Linux of the file a symbolic link there leads to. Linux has it in
// script_watch_system.cpp (inotify), Windows in win32/script_watch_system.cpp
// (ReadDirectoryChangesW).

// Why a folder cannot be watched: its name, the system's reason, and whether it is only absent
// for now (it is looked for again while the show plays).
struct FolderRefusal {
    std::string folder;
    std::string reason;
    bool absent = false;
};

// What a wait for the notifications brought: the end of the watch, a change of the script's
// name, a watched folder gone, or a failure of the wait itself.
struct FolderWakening {
    bool stopped = false;
    bool changed = false;
    bool lost = false;
    std::optional<FolderRefusal> failure;
};

// The system's state of one script's watch.
struct FolderNotifications;
using FolderNotificationsHandle = std::unique_ptr<FolderNotifications, void (*)(FolderNotifications*)>;

// Ready to watch the folders of `path`'s names (none watched yet).
FolderNotificationsHandle OpenFolderNotifications(const std::string& path);

// Watches the folders of the names the path has now, or says why it cannot (none watched).
bool ArmFolders(FolderNotifications& notifications, FolderRefusal& refusal);
void DisarmFolders(FolderNotifications& notifications);

// Waits at most timeoutMs (-1: until something happens) for notifications.
FolderWakening WaitForFolderChanges(FolderNotifications& notifications, int timeoutMs);

// Whether the path leads to other files than those watched (a link put in its place).
bool FoldersMoved(FolderNotifications& notifications);

bool ScriptFileExists(FolderNotifications& notifications);

// From another thread: makes the wait return `stopped`, now or when it next waits.
void EndFolderWait(FolderNotifications& notifications);
