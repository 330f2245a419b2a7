#include "app/script_watch.h"

#include <algorithm>
#include <chrono>
#include <utility>

namespace {

using Moment = std::chrono::steady_clock::time_point;
constexpr Moment NEVER = Moment::max();  // no read is due

// How often a folder that is gone is looked for again.
constexpr int REARM_MS = 100;

std::string CannotWatch(const FolderRefusal& refusal) {
    return refusal.folder + ": cannot watch for saves: " + refusal.reason;
}

// Milliseconds from now to `moment`, at least 0.
int MillisecondsUntil(Moment moment) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(moment - std::chrono::steady_clock::now());
    return static_cast<int>(std::max<int64_t>(left.count(), 0));
}

}  // namespace

ScriptWatch::ScriptWatch(const std::string& scriptPath, uint32_t settle)
    : path(scriptPath), settleMs(settle), system(OpenFolderNotifications(scriptPath)) {
    FolderRefusal refusal;
    if (!ArmFolders(*system, refusal)) {
        failure = CannotWatch(refusal);
        return;
    }
    thread = std::thread(&ScriptWatch::Watch, this);
}

ScriptWatch::~ScriptWatch() {
    if (thread.joinable()) {
        EndFolderWait(*system);
        thread.join();
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
// there, since a save made while no folder was watched left no notification.
void ScriptWatch::Watch() {
    Moment readAt = NEVER;
    bool armed = true;
    while (true) {
        if (!armed) {
            FolderRefusal refusal;
            armed = ArmFolders(*system, refusal);
            if (!armed && !refusal.absent) {
                Publish({}, CannotWatch(refusal) + "; the script is no longer reloaded");
                return;
            }
            if (armed && ScriptFileExists(*system)) {
                readAt = std::chrono::steady_clock::now() + std::chrono::milliseconds(settleMs);
            }
        }
        const int timeout = !armed ? REARM_MS : readAt != NEVER ? MillisecondsUntil(readAt) : -1;
        const FolderWakening woken = WaitForFolderChanges(*system, timeout);
        if (woken.stopped) {
            return;
        }
        if (woken.failure) {
            Publish({}, CannotWatch(*woken.failure) + "; the script is no longer reloaded");
            return;
        }
        if (woken.lost) {
            DisarmFolders(*system);
            armed = false;
            readAt = NEVER;  // its folder is gone
            continue;
        }
        if (woken.changed) {
            readAt = std::chrono::steady_clock::now() + std::chrono::milliseconds(settleMs);
        }
        if (armed && readAt != NEVER && MillisecondsUntil(readAt) == 0) {
            readAt = NEVER;
            // A save may have put another link in the path's place: watch where it leads now,
            // and read the file once it has settled there.
            if (FoldersMoved(*system)) {
                DisarmFolders(*system);
                armed = false;
                continue;
            }
            Publish(ReadScriptFile(path), "");
        }
    }
}
