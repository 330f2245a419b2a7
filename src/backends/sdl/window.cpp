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

void SwitchFullScreen() {
    if (IsFullscreen()) {
        windowFlags = WINDOW_WINDOWED;
        SDL_SetWindowFullscreen(mainWindow, 0);
        SDL_SetWindowBordered(mainWindow, SDL_TRUE);
        SDL_SetWindowResizable(mainWindow, SDL_TRUE);
        SDL_SetWindowSize(mainWindow, SHOW_WIDTH, SHOW_HEIGHT);
        SDL_SetWindowPosition(mainWindow,
                              SDL_WINDOWPOS_CENTERED_DISPLAY(SDL_GetWindowDisplayIndex(mainWindow)),
                              SDL_WINDOWPOS_CENTERED_DISPLAY(SDL_GetWindowDisplayIndex(mainWindow)));
        SDL_ShowCursor(SDL_ENABLE);
        return;
    }
    windowFlags = WINDOW_FULLSCREEN;
    // Placed and sized as the display first, as when the window is made full screen at the start,
    // so that it covers the display without a window manager too.
    SDL_Rect place{};
    SDL_GetDisplayBounds(SDL_GetWindowDisplayIndex(mainWindow), &place);
    SDL_SetWindowBordered(mainWindow, SDL_FALSE);
    SDL_SetWindowPosition(mainWindow, place.x, place.y);
    SDL_SetWindowSize(mainWindow, place.w, place.h);
    SDL_SetWindowFullscreen(mainWindow, SDL_WINDOW_FULLSCREEN_DESKTOP);
    SDL_ShowCursor(SDL_DISABLE);
}

uint32_t DisplayRefreshHz() {
    SDL_DisplayMode mode{};
    const int display = SDL_GetWindowDisplayIndex(mainWindow);
    if (display < 0 || SDL_GetCurrentDisplayMode(display, &mode) != 0 || mode.refresh_rate <= 0) {
        return 0;
    }
    return static_cast<uint32_t>(mode.refresh_rate);
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
