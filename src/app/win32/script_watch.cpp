#include "app/script_watch.h"

// Watching the script for saves is a Linux feature: here the watch says so and sees nothing.
ScriptWatch::ScriptWatch(const std::string& scriptPath, uint32_t settle)
    : path(scriptPath), settleMs(settle) {
    failure = "reloading the script when it is saved is a Linux feature";
}

ScriptWatch::~ScriptWatch() = default;

std::optional<ParsedScript> ScriptWatch::TakeSave() {
    return std::nullopt;
}

std::string ScriptWatch::TakeNotice() {
    return {};
}
