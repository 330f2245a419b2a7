#include "app/play_show.h"

#include <SDL2/SDL_hints.h>

#include <csignal>
#include <cstdio>
#include <string>

#include "app/data_directory.h"
#include "app/show.h"
#include "app/show_settings.h"
#include "backends/sdl/display_settings.h"
#include "backends/sdl/sdl_platform.h"
#include "backends/sdl/ticks_clock.h"
#include "backends/sdl/window.h"

namespace {

constexpr const char* SHADER_FILE = "shaders.glsl";  // in the working directory, else beside the program

// The signal that asked the show to end (SIGINT, SIGTERM), 0 if none: the loop ends cleanly at
// its next pass and the program exits with 128 + the signal's number, as the shell reports a
// program that the signal ended.
volatile std::sig_atomic_t stopSignal = 0;

void NoteStopSignal(int signal) {
    stopSignal = signal;
}

// Catches SIGINT and SIGTERM once each: a second one, if the show does not end, ends the program
// at once. SDL is told to leave them alone; it would turn them into a quit event, which ends the
// show as a closed window does, with status 0.
void CatchStopSignals() {
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    struct sigaction action {};
    action.sa_handler = NoteStopSignal;
    action.sa_flags = SA_RESETHAND;
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGINT, SIGTERM}) {
        sigaction(signal, &action, nullptr);
    }
}

// The window's platform, which also leaves when a stop signal came.
struct StoppablePlatform : SdlPlatform {
    bool ShouldLeave() override { return stopSignal != 0 || SdlPlatform::ShouldLeave(); }
};

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
    CatchStopSignals();
    std::string failure;
    if (!InitWindow(WindowKindFor(options), options.presenterFlags, failure)) {
        std::fprintf(stderr,
                     "voxelshow: cannot open a window: %s (--render-frame and --benchmark run without a "
                     "display)\n",
                     failure.c_str());
        return 1;
    }
    StoppablePlatform platform;
    platform.mute = options.mute;
    platform.vsync = options.vsync;
    platform.software.keepAspect = options.aspect == Aspect::Keep;
    WindowSession session{platform};
    if (!OpenPresenters(platform, FindProgramFile(SHADER_FILE).c_str(), failure)) {
        std::fprintf(stderr, "voxelshow: cannot show frames in the window: %s\n", failure.c_str());
        return 1;
    }
    TicksClock clock;
    RunShow(SettingsFor(options), platform, clock);
    return stopSignal != 0 ? 128 + stopSignal : 0;
}
