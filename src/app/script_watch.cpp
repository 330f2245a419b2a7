#include "app/script_watch.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <utility>

namespace {

using Moment = std::chrono::steady_clock::time_point;
constexpr Moment NEVER = Moment::max();  // no read is due

// What changes a watched name: a save in place (its writes and the writer closing the file), a
// new file or link moved or made under the name. And what ends a folder's watch.
constexpr uint32_t CHANGE_EVENTS = IN_MODIFY | IN_CLOSE_WRITE | IN_MOVED_TO | IN_CREATE;
constexpr uint32_t LOST_EVENTS = IN_DELETE_SELF | IN_MOVE_SELF | IN_IGNORED | IN_UNMOUNT;

// How often a folder that is gone is looked for again.
constexpr int REARM_MS = 100;

// Symbolic links followed from the script's path at most, as the system itself follows them.
constexpr int MAX_LINKS = 40;

ScriptWatch::WatchedName NameOf(const std::filesystem::path& file) {
    return {file.has_parent_path() ? file.parent_path().string() : ".", file.filename().string(), -1};
}

// The path's own name and, when it is a symbolic link, the name of the file it leads to: a save
// to that file, made through the link or not, changes that folder only. The links are followed
// as they stand now, whether or not the file at the end exists.
std::vector<ScriptWatch::WatchedName> NamesOf(const std::string& path) {
    std::vector<ScriptWatch::WatchedName> names = {NameOf(path)};
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
    const ScriptWatch::WatchedName end = NameOf(file);
    if (end.folder != names[0].folder || end.name != names[0].name) {
        names.push_back(end);
    }
    return names;
}

bool SameNames(const std::vector<ScriptWatch::WatchedName>& a,
               const std::vector<ScriptWatch::WatchedName>& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](const auto& x, const auto& y) { return x.folder == y.folder && x.name == y.name; });
}

std::string CannotWatch(const std::string& folder, int error) {
    return folder + ": cannot watch for saves: " + std::strerror(error);
}

// Milliseconds from now to `moment`, at least 0.
int MillisecondsUntil(Moment moment) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(moment - std::chrono::steady_clock::now());
    return static_cast<int>(std::max<int64_t>(left.count(), 0));
}

}  // namespace

ScriptWatch::ScriptWatch(const std::string& scriptPath, uint32_t settle)
    : path(scriptPath), settleMs(settle) {
    events = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    stop = eventfd(0, EFD_CLOEXEC);
    std::string folder = NameOf(scriptPath).folder;
    int error = errno;
    if (events < 0 || stop < 0 || !Arm(folder, error)) {
        failure = CannotWatch(folder, error);
        return;
    }
    thread = std::thread(&ScriptWatch::Watch, this);
}

ScriptWatch::~ScriptWatch() {
    if (thread.joinable()) {
        const uint64_t one = 1;
        if (write(stop, &one, sizeof one) != sizeof one) {
            std::terminate();  // the thread would never end
        }
        thread.join();
    }
    for (int fd : {events, stop}) {
        if (fd >= 0) {
            close(fd);
        }
    }
}

std::optional<ParsedScript> ScriptWatch::TakeSave() {
    std::lock_guard<std::mutex> hold(latestLock);
    std::optional<ParsedScript> taken = std::move(latest);
    latest.reset();
    return taken;
}

std::string ScriptWatch::TakeNotice() {
    std::lock_guard<std::mutex> hold(latestLock);
    return std::exchange(notice, std::string());
}

bool ScriptWatch::Arm(std::string& folder, int& error) {
    names = NamesOf(path);
    for (WatchedName& watched : names) {
        watched.watch =
            inotify_add_watch(events, watched.folder.c_str(), CHANGE_EVENTS | LOST_EVENTS | IN_ONLYDIR);
        if (watched.watch < 0) {
            folder = watched.folder;
            error = errno;
            Disarm();
            return false;
        }
    }
    return true;
}

void ScriptWatch::Disarm() {
    for (WatchedName& watched : names) {
        if (watched.watch >= 0) {
            inotify_rm_watch(events, watched.watch);  // fails harmlessly for a watch already gone
        }
        watched.watch = -1;
    }
}

void ScriptWatch::ReadEvents(bool& changed, bool& lost) {
    alignas(inotify_event) char buffer[16 * 1024];
    ssize_t got = 0;
    while ((got = read(events, buffer, sizeof buffer)) > 0) {
        for (ssize_t at = 0; at < got;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            // An overflowed queue may have dropped the save itself: read the file again.
            changed = changed || (event->mask & IN_Q_OVERFLOW) != 0;
            for (const WatchedName& watched : names) {
                if (event->wd != watched.watch || watched.watch < 0) {
                    continue;
                }
                lost = lost || (event->mask & LOST_EVENTS) != 0;
                changed = changed || ((event->mask & CHANGE_EVENTS) != 0 && event->len > 0 &&
                                      watched.name == event->name);
            }
        }
    }
}

void ScriptWatch::Publish(ParsedScript script, std::string lost) {
    std::lock_guard<std::mutex> hold(latestLock);
    if (lost.empty()) {
        latest = std::move(script);
    } else {
        notice = std::move(lost);
    }
}

// A change sets the moment the file is read, settleMs on; each further change moves it on again.
// A lost folder is looked for every REARM_MS until it is back; then the file is read if it is
// there, since a save made while no folder was watched left no event.
void ScriptWatch::Watch() {
    Moment readAt = NEVER;
    bool armed = true;
    while (true) {
        if (!armed) {
            std::string folder;
            int error = 0;
            armed = Arm(folder, error);
            if (!armed && error != ENOENT && error != ENOTDIR) {
                Publish({}, CannotWatch(folder, error) + "; the script is no longer reloaded");
                return;
            }
            struct stat file {};
            if (armed && stat(path.c_str(), &file) == 0) {
                readAt = std::chrono::steady_clock::now() + std::chrono::milliseconds(settleMs);
            }
        }
        const int timeout = !armed ? REARM_MS : readAt != NEVER ? MillisecondsUntil(readAt) : -1;
        pollfd waits[2] = {{events, POLLIN, 0}, {stop, POLLIN, 0}};
        if (poll(waits, 2, timeout) < 0 && errno != EINTR) {
            Publish({}, CannotWatch(names[0].folder, errno) + "; the script is no longer reloaded");
            return;
        }
        if (waits[1].revents != 0) {
            return;
        }
        bool changed = false, lost = false;
        if (waits[0].revents != 0) {
            ReadEvents(changed, lost);
        }
        if (lost) {
            Disarm();
            armed = false;
            readAt = NEVER;  // its folder is gone
            continue;
        }
        if (changed) {
            readAt = std::chrono::steady_clock::now() + std::chrono::milliseconds(settleMs);
        }
        if (armed && readAt != NEVER && MillisecondsUntil(readAt) == 0) {
            readAt = NEVER;
            // A save may have put another link in the path's place: watch where it leads now,
            // and read the file once it has settled there.
            if (!SameNames(NamesOf(path), names)) {
                Disarm();
                armed = false;
                continue;
            }
            Publish(ReadScriptFile(path), "");
        }
    }
}
