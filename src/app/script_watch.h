#pragma once
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "app/script_watch_system.h"
#include "script/script_text.h"

// How long a script file must stay unchanged before a save of it is read: an editor that empties
// the file and then writes it, or writes it in pieces, is read once, whole.
constexpr uint32_t SAVE_SETTLE_MS = 100;

// Watches one script file and reads and checks each saved version on a thread of its own, so
// that the show's loop never waits for the disk or the parser. It watches the file's folder,
// so that a save that writes a new file and renames it over the old one is seen as well as one
// that writes in place; on Linux, when the path is a symbolic link, the folder of the file it
// leads to as well. A watched folder that is removed (or renamed away) is watched again once a
// folder of its name is back. Nothing here touches the show: the loop takes each result.
//
// The rules (when a save is read, what is published, a lost folder looked for again) are the
// same on every system; each system's change notifications are a part of their own
// (script_watch_system.h).
class ScriptWatch {
public:
    explicit ScriptWatch(const std::string& path, uint32_t settleMs = SAVE_SETTLE_MS);
    ~ScriptWatch();
    ScriptWatch(const ScriptWatch&) = delete;
    ScriptWatch& operator=(const ScriptWatch&) = delete;

    // Empty while the folder is watched; otherwise why it cannot be.
    const std::string& Failure() const { return failure; }

    // The latest save read since the last call, with its rows or its error; older unread
    // saves are dropped.
    std::optional<ParsedScript> TakeSave();

    // Why the watch was lost while the show played ("FOLDER: cannot watch for saves: reason"),
    // once; empty if it was not. No save is read after it.
    std::string TakeNotice();

private:
    void Watch();
    void Publish(ParsedScript script, std::string notice);

    std::string path;
    uint32_t settleMs;
    std::string failure;
    FolderNotificationsHandle system{nullptr, nullptr};
    std::mutex latestLock;
    std::optional<ParsedScript> latest;
    std::string notice;
    std::thread thread;
};
