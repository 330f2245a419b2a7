#include "app/render_frames.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>
#include <vector>

#include "app/frame_file.h"
#include "app/seek.h"
#include "app/show_settings.h"
#include "capture/picture_sequence_name.h"
#include "render/framebuffer.h"
#include "render/random.h"

namespace {

std::vector<uint32_t> SortedPasses(std::vector<uint32_t> passes) {
    std::sort(passes.begin(), passes.end());
    passes.erase(std::unique(passes.begin(), passes.end()), passes.end());
    return passes;
}

void WriteFrame(const std::string& pattern, uint32_t pass) {
    const std::string path = FrameNameFor(pattern, pass);
    const std::string error = WriteFrameFile(path, frameBuffer);
    if (!error.empty()) {
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
    std::unique_ptr<Show> show = BuildShow(settings);
    for (uint32_t pass : passes) {
        SeekShow(*show, StepsFor(settings.renderer), GridPass(pass, options.fps));
        // After an interrupting signal the frame is not committed: the run ends there.
        WriteFrame(options.outPath, pass);
    }
    return 0;
}
