#include "app/play_show.h"

#include <cstdio>
#include <string>

#include "app/data_directory.h"
#include "app/show.h"
#include "app/show_settings.h"
#include "platform/sdl/display_settings.h"
#include "platform/sdl/sdl_platform.h"
#include "platform/sdl/ticks_clock.h"
#include "platform/sdl/window.h"

namespace {

constexpr const char* SHADER_FILE = "shaders.glsl";  // in the working directory, else beside the program

uint8_t WindowKindFor(const Options& options) {
    return options.windowed ? WINDOW_WINDOWED : WINDOW_FULLSCREEN;
}

// Closes the presenters and the window however the show ends, exceptions included.
struct WindowSession {
    SdlPlatform& platform;
    ~WindowSession() {
        ClosePresenters(platform);
        CloseMainWindow();
    }
};

}  // namespace

int PlayShow(const Options& options) {
    std::string failure;
    if (!InitWindow(WindowKindFor(options), options.presenterFlags, failure)) {
        std::fprintf(stderr,
                     "voxelshow: cannot open a window: %s (--render-frame and --benchmark run without a "
                     "display)\n",
                     failure.c_str());
        return 1;
    }
    SdlPlatform platform;
    platform.mute = options.mute;
    platform.software.keepAspect = options.aspect == Aspect::Keep;
    WindowSession session{platform};
    if (!OpenPresenters(platform, FindProgramFile(SHADER_FILE).c_str(), failure)) {
        std::fprintf(stderr, "voxelshow: cannot show frames in the window: %s\n", failure.c_str());
        return 1;
    }
    TicksClock clock;
    RunShow(SettingsFor(options), platform, clock);
    return 0;
}
