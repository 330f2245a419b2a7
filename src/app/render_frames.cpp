#include "app/render_frames.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>
#include <vector>

#include "app/seek.h"
#include "app/show_settings.h"
#include "capture/picture_sequence_name.h"
#include "files/interruption.h"
#include "files/output_files.h"
#include "files/picture_file.h"
#include "render/framebuffer.h"
#include "render/random.h"

namespace {

std::vector<uint32_t> SortedPasses(std::vector<uint32_t> passes) {
    std::sort(passes.begin(), passes.end());
    passes.erase(std::unique(passes.begin(), passes.end()), passes.end());
    return passes;
}

// Writes the pass's frame into a temporary of its own beside its name, the frames sharing
// their folder; the run commits them all at its end. A frame to the standard output is written
// `through` the name that still leads to it.
void WriteFrame(const Options& options, uint32_t pass, const std::string& through,
                std::vector<OutputFile>& files) {
    const std::string path = FrameNameFor(options.outPath, pass);
    OutputFile file;
    std::string error = ReserveOutputFile(file, through == options.outPath ? path : through,
                                          files.empty() ? nullptr : &files.back());
    file.target = path;
    if (error.empty()) {
        file.replace = options.overwrite;
        files.push_back(file);
        error = WritePictureFile(files.back(), {frameBuffer, FRAME_WIDTH, FRAME_HEIGHT});
    }
    if (!error.empty()) {
        DiscardOutputFiles(files);
        throw std::runtime_error(path + ": " + error);
    }
}

}  // namespace

int RenderFrames(const Options& options) {
    const std::vector<uint32_t> passes = SortedPasses(options.renderPasses);
    const uint64_t lastPass = LastPassOfShow(options.fps);
    if (passes.back() > lastPass) {
        const auto never = std::upper_bound(passes.begin(), passes.end(), lastPass);
        std::fprintf(stderr, "voxelshow: the show ends after pass %llu at %u fps; pass %u is never drawn\n",
                     static_cast<unsigned long long>(lastPass), options.fps, *never);
        return 1;
    }
    const ShowSettings settings = SettingsFor(options);
    SeedRandom(settings.seed);
    const std::string through = SetLinesAsideFor(options.outPath);
    std::unique_ptr<Show> show = BuildShow(settings);
    // The frames appear together once all are drawn, or none does: a run that fails or is
    // stopped half-way leaves no part of itself.
    std::vector<OutputFile> files;
    for (uint32_t pass : passes) {
        if (InterruptingSignal() != 0) {
            break;  // the commit below removes what was written and says why
        }
        SeekShow(*show, StepsFor(settings.renderer), GridPass(pass, options.fps));
        WriteFrame(options, pass, through, files);
    }
    if (InterruptingSignal() != 0) {
        DiscardOutputFiles(files);
        throw std::runtime_error(options.outPath + ": interrupted by " + SignalName(InterruptingSignal()) +
                                 "; no frame of the run is kept");
    }
    const std::string failure = CommitOutputFiles(files);
    if (!failure.empty()) {
        throw std::runtime_error(failure);
    }
    return 0;
}
