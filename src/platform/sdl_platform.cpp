#include "platform/sdl_platform.h"

#include <cstdio>

#include "audio/music_playback.h"
#include "platform/destroyed_window.h"
#include "platform/display_settings.h"

namespace {

bool ShowsSoftwareFrames(const SdlPlatform& platform) {
    return platform.software.renderer != nullptr &&
           ((presenterFlags & PRESENTER_SOFTWARE_BIT) != 0 || !platform.gpuReady);
}

void RedrawWindow(SdlPlatform& platform) {
    if (ShowsSoftwareFrames(platform)) {
        RedrawSoftwareFrame(platform.software);
    } else if (platform.gpuReady) {
        PresentGpuFrame(platform.gpu, mainWindow);
    }
}

void HandleWindowEvent(SdlPlatform& platform, const SDL_WindowEvent& event) {
    switch (event.event) {
        case SDL_WINDOWEVENT_CLOSE:
            platform.windowClosed = true;
            break;
        case SDL_WINDOWEVENT_EXPOSED:
        case SDL_WINDOWEVENT_SIZE_CHANGED:
            RedrawWindow(platform);
            break;
        default:
            break;
    }
}

}  // namespace

void SdlPlatform::HandleOneEvent() {
    SDL_Event event;
    if (SDL_PollEvent(&event) == 0) {
        return;
    }
    if (event.type == SDL_QUIT) {
        windowClosed = true;
    } else if (event.type == SDL_WINDOWEVENT) {
        HandleWindowEvent(*this, event.window);
    }
}

bool SdlPlatform::ShouldLeave() {
    const Uint8* keys = SDL_GetKeyboardState(nullptr);
    return windowClosed || WindowWasDestroyed() || keys[SDL_SCANCODE_ESCAPE] != 0;
}

void SdlPlatform::Present(const uint32_t* frame) {
    if (ShowsSoftwareFrames(*this)) {
        PresentSoftwareFrame(software, frame);
    } else if (gpuReady) {
        PresentGpuFrame(gpu, mainWindow);
    }
}

void SdlPlatform::SetTitle(const char* title) {
    SDL_SetWindowTitle(mainWindow, title);
}

void SdlPlatform::StartMusic(const char* path) {
    if (mute) {
        return;
    }
    InitAudio(audio, mainWindow);
    LoadMusic(audio, path);
    ::StartMusic(audio);
}

void SdlPlatform::StopMusic() {
    if (!mute) {
        ShutdownAudio(audio);
    }
}

bool OpenPresenters(SdlPlatform& platform, const char* shaderPath, std::string& failure) {
    if ((presenterFlags & PRESENTER_GPU_BIT) != 0) {
        std::string gpuFailure;
        platform.gpuReady = CreateGpuPresenter(platform.gpu, mainWindow, shaderPath, gpuFailure);
        // Back to SDL's defaults, which its own renderer expects of the window.
        SDL_GL_ResetAttributes();
        if (!platform.gpuReady) {
            std::fprintf(stderr, "voxelshow: GPU presenter: %s; showing the frames without it\n",
                         gpuFailure.c_str());
        }
    }
    if ((presenterFlags & PRESENTER_SOFTWARE_BIT) != 0 || !platform.gpuReady) {
        if (!CreateSoftwarePresenter(platform.software, mainWindow, failure)) {
            ClosePresenters(platform);
            return false;
        }
    }
    return true;
}

void ClosePresenters(SdlPlatform& platform) {
    if (platform.gpu.context != nullptr) {
        ReleaseGpuPresenter(platform.gpu, mainWindow);
    }
    platform.gpuReady = false;
    ReleaseSoftwarePresenter(platform.software);
}
