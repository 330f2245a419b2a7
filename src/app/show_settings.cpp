#include "app/show_settings.h"

#include <algorithm>
#include <ctime>
#include <thread>

#include "app/data_directory.h"

ShowSettings SettingsFor(const Options& options) {
    ShowSettings settings;
    settings.dataDir = FindDataDirectory(options.dataDir);
    if (options.hasSeed) {
        settings.seed = options.seed;
    } else if (options.mode == RunMode::Play) {
        settings.seed = static_cast<uint32_t>(std::time(nullptr));
    } else {
        settings.seed = 0;
    }
    settings.renderer = options.reference ? Renderer::Reference : Renderer::Fast;
    // More threads than cores only wait for each other: the count is capped at one per core.
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    settings.threads = options.threads != 0 ? std::min(options.threads, cores) : cores;
    settings.simd = options.simd;
    settings.scriptPath = options.scriptPath;
    settings.musicPath = options.musicPath;
    settings.reloadScript = options.mode == RunMode::Play && !options.scriptPath.empty();
    settings.startMs = options.startMs;
    return settings;
}
