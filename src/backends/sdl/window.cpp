#include "backends/sdl/window.h"

#include "backends/sdl/destroyed_window.h"
#include "backends/sdl/display_settings.h"

namespace {

constexpr uint16_t SHOW_WIDTH = 640;
constexpr uint16_t SHOW_HEIGHT = 480;
constexpr const char* INITIAL_TITLE = "MainProgram";

// The GPU presenter needs an OpenGL 3.3 core context on the window.
void RequestOpenGlCoreContext() {
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
}

bool IsFullscreen() {
    return (windowFlags & WINDOW_WINDOWED) == 0 && (windowFlags & WINDOW_FULLSCREEN) != 0;
}

Uint32 SdlWindowFlags() {
    if (IsFullscreen()) {
        // The desktop's own mode: the window covers the display exactly, with no mode switch.
        return SDL_WINDOW_SHOWN | SDL_WINDOW_FULLSCREEN_DESKTOP | SDL_WINDOW_BORDERLESS;
    }
    return SDL_WINDOW_SHOWN | SDL_WINDOW_RESIZABLE;
}

// With no display SDL falls back to drivers that show nothing; the show would then run
// unseen. They count only when asked for by name in SDL_VIDEODRIVER.
bool FellBackToInvisibleDriver() {
    const char* driver = SDL_GetCurrentVideoDriver();
    const char* requested = SDL_getenv("SDL_VIDEODRIVER");
    if (driver == nullptr || (requested != nullptr && SDL_strcasecmp(requested, driver) == 0)) {
        return false;
    }
    return SDL_strcmp(driver, "offscreen") == 0 || SDL_strcmp(driver, "dummy") == 0;
}

}  // namespace

bool InitWindow(uint8_t windowKind, uint8_t presenter, std::string& failure) {
    if (presenter < 1 || presenter > 3) {
        failure = "unsupported presenter " + std::to_string(presenter);
        return false;
    }
    if ((windowKind & (WINDOW_FULLSCREEN | WINDOW_WINDOWED)) == 0) {
        failure = "neither full screen nor a window was asked for";
        return false;
    }
    windowFlags = windowKind;
    presenterFlags = presenter;
    displayWidth = SHOW_WIDTH;
    displayHeight = SHOW_HEIGHT;
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        failure = SDL_GetError();
        return false;
    }
    if (FellBackToInvisibleDriver()) {
        failure =
            std::string("no display found (SDL fell back to its ") + SDL_GetCurrentVideoDriver() + " driver)";
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        return false;
    }
    return CreateMainWindow(failure);
}

bool CreateMainWindow(std::string& failure) {
    if ((presenterFlags & PRESENTER_GPU_BIT) != 0) {
        RequestOpenGlCoreContext();
    }
    SDL_Rect place{SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, displayWidth, displayHeight};
    if (IsFullscreen()) {
        // Placed and sized as the display even before a window manager (if there is one)
        // makes it full screen: without one it still covers the display exactly.
        SDL_GetDisplayBounds(0, &place);
    }
    // OpenGL is asked for even for the software presenter, whose renderer would otherwise
    // replace the window with one that has it; without OpenGL the window is made plain.
    mainWindow = SDL_CreateWindow(INITIAL_TITLE, place.x, place.y, place.w, place.h,
                                  SdlWindowFlags() | SDL_WINDOW_OPENGL);
    if (mainWindow == nullptr) {
        mainWindow = SDL_CreateWindow(INITIAL_TITLE, place.x, place.y, place.w, place.h, SdlWindowFlags());
    }
    if (mainWindow == nullptr) {
        failure = SDL_GetError();
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        return false;
    }
    if (IsFullscreen()) {
        SDL_ShowCursor(SDL_DISABLE);
    }
    WatchForDestroyedWindow(mainWindow);
    return true;
}

void CloseMainWindow() {
    if (IsFullscreen()) {
        SDL_ShowCursor(SDL_ENABLE);
    }
    if (mainWindow != nullptr) {
        SDL_DestroyWindow(mainWindow);
        StopWatchingWindow();
        mainWindow = nullptr;
    }
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
}
