#include "app/script_watch.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

namespace {

// A save in place ends with the writer closing the file; a save by rename moves a new file in.
constexpr uint32_t SAVE_EVENTS = IN_CLOSE_WRITE | IN_MOVED_TO;

}  // namespace

ScriptWatch::ScriptWatch(const std::string& scriptPath) : path(scriptPath) {
    const std::filesystem::path file(scriptPath);
    name = file.filename().string();
    const std::string folder = file.has_parent_path() ? file.parent_path().string() : ".";
    events = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    stop = eventfd(0, EFD_CLOEXEC);
    if (events < 0 || stop < 0) {
        failure = folder + ": cannot watch for saves: " + std::strerror(errno);
        return;
    }
    if (inotify_add_watch(events, folder.c_str(), SAVE_EVENTS) < 0) {
        failure = folder + ": cannot watch for saves: " + std::strerror(errno);
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

void ScriptWatch::Watch() {
    while (true) {
        pollfd waits[2] = {{events, POLLIN, 0}, {stop, POLLIN, 0}};
        if (poll(waits, 2, -1) < 0 && errno != EINTR) {
            return;
        }
        if (waits[1].revents != 0) {
            return;
        }
        if (waits[0].revents != 0 && SavedSince()) {
            ParsedScript script = ReadScriptFile(path);
            std::lock_guard<std::mutex> hold(latestLock);
            latest = std::move(script);
        }
    }
}

bool ScriptWatch::SavedSince() {
    alignas(inotify_event) char buffer[16 * 1024];
    bool saved = false;
    ssize_t got = 0;
    while ((got = read(events, buffer, sizeof buffer)) > 0) {
        for (ssize_t at = 0; at < got;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            // An overflowed queue may have dropped the save itself: read the file again.
            saved = saved || (event->mask & IN_Q_OVERFLOW) != 0 ||
                    ((event->mask & SAVE_EVENTS) != 0 && event->len > 0 && name == event->name);
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        }
    }
    return saved;
}
