#include "app/play_show.h"

#include <cstdio>
#include <string>

#include "app/show.h"
#include "app/show_settings.h"
#include "platform/win32/time_clock.h"
#include "platform/win32/win32_platform.h"

namespace {

// Closes the window however the show ends.
struct WindowSession {
    Win32Platform& platform;
    ~WindowSession() { CloseWin32Window(platform.window); }
};

}  // namespace

int PlayShow(const Options& options) {
    std::string failure;
    TimeClock clock;  // holds the timer at 1 ms steps until the show is over
    Win32Platform platform;
    platform.mute = options.mute;
    platform.window.keepAspect = options.aspect == Aspect::Keep;
    WindowSession session{platform};
    if (!OpenWin32Window(platform.window, options.windowed, failure)) {
        std::fprintf(stderr, "voxelshow: cannot open a window: %s\n", failure.c_str());
        return 1;
    }
    if ((options.presenterFlags & 2) != 0) {
        std::fprintf(stderr,
                     "voxelshow: GPU presenter: Direct3D 11 is not part of this build; showing the frames "
                     "without it\n");
    }
    RunShow(SettingsFor(options), platform, clock);
    return 0;
}
