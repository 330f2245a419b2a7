// The browser has no folder to watch: the page hands the show a new script itself (opened or
// dropped on it), so a watch here reports at once that it cannot watch, as a native watch does
// for a folder it cannot open.
#include "app/script_watch.h"

ScriptWatch::ScriptWatch(const std::string& file, uint32_t settle) : path(file), settleMs(settle) {
    failure = path + ": files are not watched in the browser; open or drop the script on the page";
}

ScriptWatch::~ScriptWatch() = default;

std::optional<ParsedScript> ScriptWatch::TakeSave() {
    return std::nullopt;
}

std::string ScriptWatch::TakeNotice() {
    return {};
}
