#include "app/play_show.h"

#include <cstdio>
#include <string>

#include "app/data_directory.h"
#include "app/show.h"
#include "app/show_settings.h"
#include "backends/win32/time_clock.h"
#include "backends/win32/win32_platform.h"

namespace {

constexpr const char* SHADER_FILE = "shaders.hlsl";  // in the working directory, else beside the program

// Releases the GPU presenter, then closes the window, however the show ends: Direct3D objects
// left alive at exit, or outliving their window, can crash the program on its way out.
struct WindowSession {
    Win32Platform& platform;
    ~WindowSession() {
        ClosePresenters(platform);
        CloseWin32Window(platform.window);
    }
};

}  // namespace

int PlayShow(const Options& options) {
    std::string failure;
    TimeClock clock;  // holds the timer at 1 ms steps until the show is over
    Win32Platform platform;
    platform.mute = options.mute;
    platform.vsync = options.vsync;
    platform.window.keepAspect = options.aspect == Aspect::Keep;
    WindowSession session{platform};
    if (!OpenWin32Window(platform.window, options.windowed, failure)) {
        std::fprintf(stderr, "voxelshow: cannot open a window: %s\n", failure.c_str());
        return 1;
    }
    OpenPresenters(platform, options.presenterFlags, FindProgramFile(SHADER_FILE).c_str());
    RunShow(SettingsFor(options), platform, clock);
    return 0;
}
