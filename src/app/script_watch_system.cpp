// The Linux part of the script's watch: inotify on the folders of the path's names, an eventfd
// that ends the wait.
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <exception>
#include <filesystem>
#include <vector>

#include "app/script_watch_system.h"

namespace {

// What changes a watched name: a save in place (its writes and the writer closing the file), a
// new file or link moved or made under the name. And what ends a folder's watch.
constexpr uint32_t CHANGE_EVENTS = IN_MODIFY | IN_CLOSE_WRITE | IN_MOVED_TO | IN_CREATE;
constexpr uint32_t LOST_EVENTS = IN_DELETE_SELF | IN_MOVE_SELF | IN_IGNORED | IN_UNMOUNT;

// Symbolic links followed from the script's path at most, as the system itself follows them.
constexpr int MAX_LINKS = 40;

// One name watched in one folder: the script's path as given, or the file it leads to.
struct WatchedName {
    std::string folder;
    std::string name;
    int watch = -1;  // the folder's inotify watch, -1 while it has none
};

WatchedName NameOf(const std::filesystem::path& file) {
    return {file.has_parent_path() ? file.parent_path().string() : ".", file.filename().string(), -1};
}

// The path's own name and, when it is a symbolic link, the name of the file it leads to: a save
// to that file, made through the link or not, changes that folder only. The links are followed
// as they stand now, whether or not the file at the end exists.
std::vector<WatchedName> NamesOf(const std::string& path) {
    std::vector<WatchedName> names = {NameOf(path)};
    std::filesystem::path file(path);
    for (int links = 0; links < MAX_LINKS; ++links) {
        std::error_code error;
        if (!std::filesystem::is_symlink(std::filesystem::symlink_status(file, error))) {
            break;
        }
        const std::filesystem::path target = std::filesystem::read_symlink(file, error);
        if (error) {
            break;
        }
        file = (target.is_absolute() ? target : file.parent_path() / target).lexically_normal();
    }
    const WatchedName end = NameOf(file);
    if (end.folder != names[0].folder || end.name != names[0].name) {
        names.push_back(end);
    }
    return names;
}

bool SameNames(const std::vector<WatchedName>& a, const std::vector<WatchedName>& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](const auto& x, const auto& y) { return x.folder == y.folder && x.name == y.name; });
}

FolderRefusal RefusalOf(const std::string& folder, int error) {
    return {folder, std::strerror(error), error == ENOENT || error == ENOTDIR};
}

}  // namespace

struct FolderNotifications {
    std::string path;
    int events = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    int eventsError = errno;
    int stop = eventfd(0, EFD_CLOEXEC);  // ends the thread
    int stopError = errno;
    std::vector<WatchedName> names;

    ~FolderNotifications() {
        for (int fd : {events, stop}) {
            if (fd >= 0) {
                close(fd);
            }
        }
    }
};

FolderNotificationsHandle OpenFolderNotifications(const std::string& path) {
    FolderNotificationsHandle notifications{new FolderNotifications,
                                            [](FolderNotifications* held) { delete held; }};
    notifications->path = path;
    return notifications;
}

bool ArmFolders(FolderNotifications& notifications, FolderRefusal& refusal) {
    notifications.names = NamesOf(notifications.path);
    if (notifications.events < 0 || notifications.stop < 0) {
        refusal = RefusalOf(notifications.names[0].folder,
                            notifications.events < 0 ? notifications.eventsError : notifications.stopError);
        refusal.absent = false;
        return false;
    }
    for (WatchedName& watched : notifications.names) {
        watched.watch = inotify_add_watch(notifications.events, watched.folder.c_str(),
                                          CHANGE_EVENTS | LOST_EVENTS | IN_ONLYDIR);
        if (watched.watch < 0) {
            refusal = RefusalOf(watched.folder, errno);
            DisarmFolders(notifications);
            return false;
        }
    }
    return true;
}

void DisarmFolders(FolderNotifications& notifications) {
    for (WatchedName& watched : notifications.names) {
        if (watched.watch >= 0) {
            inotify_rm_watch(notifications.events,
                             watched.watch);  // fails harmlessly for a watch already gone
        }
        watched.watch = -1;
    }
}

// Reads the pending events: whether one was a change of a watched name, whether a folder's
// watch was lost.
FolderWakening WaitForFolderChanges(FolderNotifications& notifications, int timeoutMs) {
    FolderWakening woken;
    pollfd waits[2] = {{notifications.events, POLLIN, 0}, {notifications.stop, POLLIN, 0}};
    if (poll(waits, 2, timeoutMs) < 0 && errno != EINTR) {
        woken.failure = RefusalOf(notifications.names[0].folder, errno);
        return woken;
    }
    if (waits[1].revents != 0) {
        woken.stopped = true;
        return woken;
    }
    if (waits[0].revents == 0) {
        return woken;
    }
    alignas(inotify_event) char buffer[16 * 1024];
    ssize_t got = 0;
    while ((got = read(notifications.events, buffer, sizeof buffer)) > 0) {
        for (ssize_t at = 0; at < got;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            // An overflowed queue may have dropped the save itself: read the file again.
            woken.changed = woken.changed || (event->mask & IN_Q_OVERFLOW) != 0;
            for (const WatchedName& watched : notifications.names) {
                if (event->wd != watched.watch || watched.watch < 0) {
                    continue;
                }
                woken.lost = woken.lost || (event->mask & LOST_EVENTS) != 0;
                woken.changed = woken.changed || ((event->mask & CHANGE_EVENTS) != 0 && event->len > 0 &&
                                                  watched.name == event->name);
            }
        }
    }
    return woken;
}

bool FoldersMoved(FolderNotifications& notifications) {
    return !SameNames(NamesOf(notifications.path), notifications.names);
}

bool ScriptFileExists(FolderNotifications& notifications) {
    struct stat file {};
    return stat(notifications.path.c_str(), &file) == 0;
}

void EndFolderWait(FolderNotifications& notifications) {
    const uint64_t one = 1;
    if (write(notifications.stop, &one, sizeof one) != sizeof one) {
        std::terminate();  // the thread would never end
    }
}
