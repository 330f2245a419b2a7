#pragma once
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "app/script_text.h"

// Watches one script file and reads and checks each saved version on a thread of its own, so
// that the show's loop never waits for the disk or the parser. It watches the file's folder,
// so that a save that writes a new file and renames it over the old one is seen as well as one
// that writes in place. Nothing here touches the show: the loop takes each result.
class ScriptWatch {
public:
    explicit ScriptWatch(const std::string& path);
    ~ScriptWatch();
    ScriptWatch(const ScriptWatch&) = delete;
    ScriptWatch& operator=(const ScriptWatch&) = delete;

    // Empty while the folder is watched; otherwise why it cannot be.
    const std::string& Failure() const { return failure; }

    // The latest save read since the last call, with its rows or its error; older unread
    // saves are dropped.
    std::optional<ParsedScript> TakeSave();

private:
    void Watch();
    bool SavedSince();  // reads the pending events: true if one was a save of the file

    std::string path;
    std::string name;  // the file's name within its folder
    std::string failure;
    int events = -1;  // inotify
    int stop = -1;    // eventfd that ends the thread
    std::mutex latestLock;
    std::optional<ParsedScript> latest;
    std::thread thread;
};
