#include "app/script_reload.h"

#include <cstdio>

#include "script/scene_script.h"

std::unique_ptr<ScriptWatch> WatchScriptFile(const std::string& path) {
    auto watch = std::make_unique<ScriptWatch>(path);
    if (!watch->Failure().empty()) {
        std::fprintf(stderr, "voxelshow: %s; the script is not reloaded while the show plays\n",
                     watch->Failure().c_str());
        return nullptr;
    }
    return watch;
}

std::optional<std::vector<ScriptRow>> TakeGoodSave(ScriptWatch& watch) {
    const std::string lost = watch.TakeNotice();
    if (!lost.empty()) {
        std::fflush(stdout);
        std::fprintf(stderr, "voxelshow: %s\n", lost.c_str());
    }
    std::optional<ParsedScript> save = watch.TakeSave();
    if (!save) {
        return std::nullopt;
    }
    if (!save->error.empty()) {
        std::fflush(stdout);  // keeps the order of the lines when both streams go to one place
        std::fprintf(stderr, "voxelshow: %s\n", save->error.c_str());
        return std::nullopt;
    }
    return std::move(save->rows);
}

void SwitchScript(Show& show, std::span<const ScriptRow> rows, const DrawingSteps& steps,
                  const SeekTarget& target) {
    RestoreFields(show, show.startup);
    VariableList tracks;
    RegisterSceneScript(tracks, rows, {*show.landscape, show.wave, show.layers}, TypeNames::Quiet);
    show.tracks = std::move(tracks);
    SeekShow(show, steps, target);
}
