#include "backends/sdl/destroyed_window.h"

#include <SDL_syswm.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>

namespace {

// Xlib's error handler takes no user data, so what it needs lives here, set once.
struct DestroyedWindowWatch {
    Display* display = nullptr;
    XID window = 0;
    XErrorHandler previous = nullptr;
    std::atomic<bool> destroyed = false;
    Uint64 lastAskedMs = 0;
    // The guard that ends the program when the show does not stop after the window is gone.
    std::thread guard;
    std::mutex guardLock;
    std::condition_variable guardWake;
    bool stopping = false;
};

// How long the show may take to stop once its window is gone before the guard ends it.
constexpr auto STOP_GRACE = std::chrono::seconds(2);

// How often the server is asked whether the window is still there.
constexpr Uint64 ASK_EVERY_MS = 100;

DestroyedWindowWatch watch;

// Any request that finds a window missing counts: the show has only the one, and SDL's own
// requests after its destruction may name it through another handle (or none).
int TakeErrorOnTheWindowAsClosing(Display* display, XErrorEvent* error) {
    if (error->resourceid == watch.window || error->error_code == BadWindow) {
        watch.destroyed = true;
        return 0;
    }
    return watch.previous != nullptr ? watch.previous(display, error) : 0;
}

// Asks the X server for the window's attributes, with the watch's handler in place for the
// answer. The failures of the show's own requests are not always enough: the GL library may run
// some of its requests under an error handler of its own, and a failure there never reaches
// this watch.
void AskWhetherTheWindowExists() {
    const XErrorHandler before = XSetErrorHandler(TakeErrorOnTheWindowAsClosing);
    XWindowAttributes attributes;
    XGetWindowAttributes(watch.display, watch.window, &attributes);  // waits for the reply or error
    XSetErrorHandler(before);
}

// Runs beside the show while its window exists. The GL library's software rasteriser may draw
// once more after the window is destroyed: it asks the server for the window's size, and when
// that request fails it takes whatever its stack held for the size, then allocates and clears
// a buffer of up to gigabytes, which takes tens of seconds on a busy machine. The failed request
// reaches the watch's error handler first, so once the window is known to be gone and the show
// has not stopped within the grace, the guard ends the program as a closed window would: there
// is nothing left to show and nothing to save.
void GuardTheEnd() {
    std::unique_lock lock(watch.guardLock);
    while (!watch.stopping) {
        watch.guardWake.wait_for(lock, std::chrono::milliseconds(ASK_EVERY_MS));
        if (watch.destroyed && !watch.guardWake.wait_for(lock, STOP_GRACE, [] { return watch.stopping; })) {
            std::fflush(nullptr);
            std::_Exit(0);
        }
    }
}

}  // namespace

void WatchForDestroyedWindow(SDL_Window* window) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWindowWMInfo(window, &info) != SDL_TRUE || info.subsystem != SDL_SYSWM_X11) {
        return;
    }
    watch.display = info.info.x11.display;
    watch.window = info.info.x11.window;
    watch.destroyed = false;
    XErrorHandler previous = XSetErrorHandler(TakeErrorOnTheWindowAsClosing);
    if (previous != TakeErrorOnTheWindowAsClosing) {
        watch.previous = previous;
    }
    watch.stopping = false;
    watch.guard = std::thread(GuardTheEnd);
}

bool WindowWasDestroyed() {
    const Uint64 now = SDL_GetTicks64();
    if (!watch.destroyed && watch.display != nullptr && now - watch.lastAskedMs >= ASK_EVERY_MS) {
        watch.lastAskedMs = now;
        AskWhetherTheWindowExists();
    }
    return watch.destroyed;
}

bool WindowIsGoneNow() {
    if (!watch.destroyed && watch.display != nullptr) {
        watch.lastAskedMs = SDL_GetTicks64();
        AskWhetherTheWindowExists();
    }
    return watch.destroyed;
}

void StopWatchingWindow() {
    if (watch.guard.joinable()) {
        {
            const std::lock_guard lock(watch.guardLock);
            watch.stopping = true;
        }
        watch.guardWake.notify_one();
        watch.guard.join();
    }
    if (watch.display != nullptr) {
        XSync(watch.display, False);
    }
    watch.display = nullptr;
    watch.window = 0;
}
