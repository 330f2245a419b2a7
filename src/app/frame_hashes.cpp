#include "app/frame_hashes.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <string>

#include "app/frame_hash.h"
#include "app/headless_platform.h"
#include "app/show_settings.h"
#include "files/interruption.h"
#include "files/output_file.h"
#include "platform/fixed_step_clock.h"
#include "render/framebuffer.h"

namespace {

// Writes the line of every pass as it is drawn; a line that cannot be written ends the run,
// and so does an interrupting signal, after the pass it arrived in.
struct HashWriter : PassObserver {
    HashWriter(OutputFile& out, HeadlessPlatform& headless) : file(out), platform(headless) {}

    void AfterDraw(uint32_t pass, const Show&) override {
        if (std::fprintf(file.stream, "%u %s\n", pass, HashText(FrameHash(frameBuffer)).c_str()) < 0 &&
            InterruptingSignal() == 0) {
            throw std::runtime_error(file.target + ": cannot write: " + std::strerror(errno));
        }
        platform.leave = InterruptingSignal() != 0;
    }

    OutputFile& file;
    HeadlessPlatform& platform;
};

int Fail(const std::string& path, const std::string& reason, int status) {
    std::fflush(stdout);
    std::fprintf(stderr, "voxelshow: %s: %s\n", path.c_str(), reason.c_str());
    return status;
}

}  // namespace

int WriteFrameHashes(const Options& options) {
    OutputFile file;
    const bool toStandardOutput = options.hashesPath == "-";
    const std::string failure =
        toStandardOutput ? OpenStandardOutput(file) : OpenOutputFile(file, options.hashesPath);
    if (!failure.empty()) {
        return Fail(file.target, failure, 1);
    }
    file.replace = options.overwrite;
    HeadlessPlatform platform;
    FixedStepClock clock(options.fps);
    HashWriter writer(file, platform);
    try {
        RunShow(SettingsFor(options), platform, clock, &writer);
    } catch (...) {
        DiscardOutputFile(file);
        throw;
    }
    // After a signal the commit removes the unfinished file and says so.
    const std::string closing = CommitOutputFile(file);
    const int signal = InterruptingSignal();
    return closing.empty() ? 0 : Fail(file.target, closing, signal != 0 ? 128 + signal : 1);
}
