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
#include "app/options_outputs.h"
#include "app/play_show.h"
#include "app/render_frames.h"
#include "files/interruption.h"
#include "files/program_path.h"
#include "files/standard_streams.h"
#include "portability.h"

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
            return DumpScript(options.dumpScriptPath, options.overwrite);
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
    ConnectStandardStreams();
    ParsedOptions parsed = ParseOptions(ProgramArguments(argc, argv));
    if (!parsed.error.empty()) {
        // The reason and where the usage is, not the whole usage, which would bury the reason.
        ReportFailure("voxelshow: " + parsed.error + "\n" + USAGE_HINT);
        return 2;
    }
    // Before any work: an output that cannot be written is not found only at the end, and a
    // file the user may want is not replaced unasked.
    const std::string problem = FirstOutputProblem(parsed.options);
    if (!problem.empty()) {
        std::fprintf(stderr, "voxelshow: %s\n", problem.c_str());
        return 1;
    }
    const std::string replaced = FirstReplacedOutput(parsed.options);
    if (!replaced.empty()) {
        ReportFailure("voxelshow: " + replaced + " exists; add -y to overwrite");
        return 1;
    }
    const RunMode mode = parsed.options.mode;
    if (mode == RunMode::RenderFrame || mode == RunMode::Hashes || mode == RunMode::DumpScript) {
        // Their temporary files are removed when the run is stopped (the capture module
        // catches the signals itself).
        CatchInterruptions();
    }
    try {
        return DispatchMode(parsed.options);
    } catch (const std::exception& error) {
        ReportFailure(std::string("voxelshow: ") + error.what());
        return InterruptingSignal() != 0 ? 128 + InterruptingSignal() : 1;
    }
}
