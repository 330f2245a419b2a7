#include "app/render_frames.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>
#include <vector>

#include "app/frame_file.h"
#include "app/headless_platform.h"
#include "app/show_settings.h"
#include "platform/fixed_step_clock.h"
#include "render/framebuffer.h"

namespace {

// Writes the frames of the asked-for passes and stops the loop after the last of them.
struct FrameWriter : PassObserver {
    FrameWriter(std::vector<uint32_t> wanted, std::string pattern, HeadlessPlatform& headless)
        : passes(std::move(wanted)), outPattern(std::move(pattern)), platform(headless) {
        std::sort(passes.begin(), passes.end());
        passes.erase(std::unique(passes.begin(), passes.end()), passes.end());
    }

    void AfterDraw(uint32_t pass, const Show&) override {
        if (next < passes.size() && passes[next] == pass) {
            std::string path = FrameFileName(outPattern, pass);
            std::string error = WriteFrameFile(path, frameBuffer);
            if (!error.empty()) {
                throw std::runtime_error(path + ": " + error);
            }
            ++next;
        }
        platform.leave = next == passes.size();
    }

    std::vector<uint32_t> passes;
    std::string outPattern;
    HeadlessPlatform& platform;
    size_t next = 0;
};

}  // namespace

int RenderFrames(const Options& options) {
    HeadlessPlatform platform;
    FixedStepClock clock(options.fps);
    FrameWriter writer(options.renderPasses, options.outPath, platform);
    ShowEnd end = RunShow(SettingsFor(options), platform, clock, &writer);
    if (writer.next < writer.passes.size()) {
        std::fprintf(stderr, "voxelshow: the show ends after pass %u at %u fps; pass %u is never drawn\n",
                     end.passesDrawn - 1, options.fps, writer.passes[writer.next]);
        return 1;
    }
    return 0;
}
