#include <csignal>
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "app/benchmark.h"
#include "app/capture_show.h"
#include "app/dump_script.h"
#include "app/frame_hashes.h"
#include "app/options.h"
#include "app/play_show.h"
#include "app/render_frames.h"
#include "platform/portability.h"

namespace {

int DispatchMode(const Options& options) {
    switch (options.mode) {
        case RunMode::Help:
            std::fputs(UsageText(), stdout);
            return 0;
        case RunMode::Version:
            std::printf("voxelshow %s\n", VOXELSHOW_VERSION);
            return 0;
        case RunMode::RenderFrame:
            return RenderFrames(options);
        case RunMode::Benchmark:
            return RunBenchmark(options);
        case RunMode::Hashes:
            return WriteFrameHashes(options);
        case RunMode::Capture:
            return CaptureShow(options);
        case RunMode::DumpScript:
            return DumpScript(options.dumpScriptPath);
        case RunMode::Play:
            return PlayShow(options);
    }
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    // Past a file-size limit a write then fails with EFBIG and is reported like any other
    // failed write, instead of the signal ending the program halfway through a file.
    IgnoreFileSizeSignal();
    ParsedOptions parsed = ParseOptions(std::vector<std::string>(argv + 1, argv + argc));
    if (!parsed.error.empty()) {
        std::fprintf(stderr, "voxelshow: %s\n%s", parsed.error.c_str(), UsageText());
        return 2;
    }
    try {
        return DispatchMode(parsed.options);
    } catch (const std::exception& error) {
        std::fflush(stdout);
        std::fprintf(stderr, "voxelshow: %s\n", error.what());
        return 1;
    }
}
