#include "app/frame_hashes.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "app/frame_hash.h"
#include "app/headless_platform.h"
#include "app/show_settings.h"
#include "platform/fixed_step_clock.h"
#include "render/framebuffer.h"

namespace {

// Writes the line of every pass as it is drawn.
struct HashWriter : PassObserver {
    explicit HashWriter(std::FILE* out) : file(out) {}

    void AfterDraw(uint32_t pass, const Show&) override {
        std::fprintf(file, "%u %s\n", pass, HashText(FrameHash(frameBuffer)).c_str());
    }

    std::FILE* file;
};

int Fail(const std::string& path, const char* reason) {
    std::fflush(stdout);
    std::fprintf(stderr, "voxelshow: %s: %s\n", path.c_str(), reason);
    return 1;
}

}  // namespace

int WriteFrameHashes(const Options& options) {
    const std::string& path = options.hashesPath;
    std::FILE* file = std::fopen(path.c_str(), "w");
    if (file == nullptr) {
        return Fail(path, std::strerror(errno));
    }
    HeadlessPlatform platform;
    FixedStepClock clock(options.fps);
    HashWriter writer(file);
    try {
        RunShow(SettingsFor(options), platform, clock, &writer);
    } catch (...) {
        std::fclose(file);
        std::remove(path.c_str());
        throw;
    }
    // A failed write sets the stream's error flag and errno; the close flushes what is left.
    const bool written = std::fflush(file) == 0 && std::ferror(file) == 0;
    const int writeError = errno;
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed) {
        std::remove(path.c_str());
        const std::string reason =
            std::string("cannot write: ") + std::strerror(written ? errno : writeError);
        return Fail(path, reason.c_str());
    }
    return 0;
}
