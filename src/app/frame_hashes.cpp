#include "app/frame_hashes.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <string>

#include "app/frame_hash.h"
#include "app/headless_platform.h"
#include "app/show_settings.h"
#include "files/output_file.h"
#include "platform/fixed_step_clock.h"
#include "render/framebuffer.h"

namespace {

// Writes the line of every pass as it is drawn; a line that cannot be written ends the run.
struct HashWriter : PassObserver {
    explicit HashWriter(OutputFile& out) : file(out) {}

    void AfterDraw(uint32_t pass, const Show&) override {
        if (std::fprintf(file.stream, "%u %s\n", pass, HashText(FrameHash(frameBuffer)).c_str()) < 0) {
            throw std::runtime_error(file.target + ": cannot write: " + std::strerror(errno));
        }
    }

    OutputFile& file;
};

int Fail(const std::string& path, const std::string& reason) {
    std::fflush(stdout);
    std::fprintf(stderr, "voxelshow: %s: %s\n", path.c_str(), reason.c_str());
    return 1;
}

}  // namespace

int WriteFrameHashes(const Options& options) {
    OutputFile file;
    const std::string failure = OpenOutputFile(file, options.hashesPath);
    if (!failure.empty()) {
        return Fail(options.hashesPath, failure);
    }
    HeadlessPlatform platform;
    FixedStepClock clock(options.fps);
    HashWriter writer(file);
    try {
        RunShow(SettingsFor(options), platform, clock, &writer);
    } catch (...) {
        DiscardOutputFile(file);
        throw;
    }
    const std::string closing = CommitOutputFile(file);
    return closing.empty() ? 0 : Fail(options.hashesPath, closing);
}
