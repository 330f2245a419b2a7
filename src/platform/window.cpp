#include "platform/window.h"

#include "platform/display_settings.h"

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

Uint32 SdlWindowFlags() {
    Uint32 flags = SDL_WINDOW_SHOWN;
    if ((windowFlags & WINDOW_WINDOWED) != 0) {
        flags |= SDL_WINDOW_RESIZABLE;
    } else {
        // The desktop's own mode: the window covers the display exactly, with no mode switch.
        flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
    }
    if ((presenterFlags & PRESENTER_GPU_BIT) != 0) {
        flags |= SDL_WINDOW_OPENGL;
    }
    return flags;
}

bool IsFullscreen() {
    return (windowFlags & WINDOW_WINDOWED) == 0 && (windowFlags & WINDOW_FULLSCREEN) != 0;
}

}  // namespace

bool InitWindow(uint8_t windowKind, uint8_t presenter, std::string& failure) {
    if (presenter < 1 || presenter > 3) {
        failure = "unsupported presenter " + std::to_string(presenter);
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
    return CreateMainWindow(failure);
}

bool CreateMainWindow(std::string& failure) {
    if ((presenterFlags & PRESENTER_GPU_BIT) != 0) {
        RequestOpenGlCoreContext();
    }
    mainWindow = SDL_CreateWindow(INITIAL_TITLE, SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED,
                                  displayWidth, displayHeight, SdlWindowFlags());
    if (mainWindow == nullptr) {
        failure = SDL_GetError();
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        return false;
    }
    if (IsFullscreen()) {
        SDL_ShowCursor(SDL_DISABLE);
    }
    return true;
}

void CloseMainWindow() {
    if (IsFullscreen()) {
        SDL_ShowCursor(SDL_ENABLE);
    }
    if (mainWindow != nullptr) {
        SDL_DestroyWindow(mainWindow);
        mainWindow = nullptr;
    }
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
}
