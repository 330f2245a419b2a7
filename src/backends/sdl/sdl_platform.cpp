#include "backends/sdl/sdl_platform.h"

#include <chrono>
#include <cstdio>
#include <thread>

#include "audio/music_playback.h"
#include "backends/sdl/destroyed_window.h"
#include "backends/sdl/display_settings.h"
#include "backends/sdl/window.h"

namespace {

bool ShowsSoftwareFrames(const SdlPlatform& platform) {
    return platform.software.renderer != nullptr &&
           ((presenterFlags & PRESENTER_SOFTWARE_BIT) != 0 || !platform.gpuReady);
}

// Nothing is drawn into a window that another client destroyed (see WindowIsGoneNow). A redraw
// asked for by a window event must ask too: in full screen, the window's unmapping by its
// destroyer reaches the show as a window event that asks for a redraw, which would otherwise be
// drawn into the vanished window every time.
void RedrawWindow(SdlPlatform& platform) {
    if (WindowIsGoneNow()) {
        return;
    }
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
        case SDL_WINDOWEVENT_DISPLAY_CHANGED:
            SetRefreshRate(platform.pacer, DisplayRefreshHz());
            break;
        case SDL_WINDOWEVENT_EXPOSED:
        case SDL_WINDOWEVENT_SIZE_CHANGED:
            RedrawWindow(platform);
            break;
        default:
            break;
    }
}

// The player's keys: Space, Left and Right, Page Up and Page Down, Home, '.' and ','.
PlayerCommand CommandOfKey(const SDL_KeyboardEvent& key) {
    struct KeyCommand {
        SDL_Keycode key;
        PlayerCommand command;
    };
    static constexpr KeyCommand KEYS[] = {
        {SDLK_SPACE, PlayerCommand::PauseOrResume}, {SDLK_LEFT, PlayerCommand::Back},
        {SDLK_RIGHT, PlayerCommand::Forward},       {SDLK_PAGEUP, PlayerCommand::FarBack},
        {SDLK_PAGEDOWN, PlayerCommand::FarForward}, {SDLK_HOME, PlayerCommand::ToStart},
        {SDLK_PERIOD, PlayerCommand::StepForward},  {SDLK_COMMA, PlayerCommand::StepBack},
    };
    for (const KeyCommand& entry : KEYS) {
        // A held key repeats its jump or step, but does not flicker between pause and play.
        if (entry.key == key.keysym.sym &&
            !(key.repeat != 0 && entry.command == PlayerCommand::PauseOrResume)) {
            return entry.command;
        }
    }
    return PlayerCommand::None;
}

void HandleKey(SdlPlatform& platform, const SDL_KeyboardEvent& key) {
    if (key.keysym.sym == SDLK_ESCAPE) {
        platform.escapePressed = true;
        return;
    }
    const bool enter = key.keysym.sym == SDLK_RETURN || key.keysym.sym == SDLK_KP_ENTER;
    if (enter && (key.keysym.mod & KMOD_ALT) != 0) {
        if (key.repeat == 0) {  // held down, it switches once
            SwitchFullScreen();
            SetRefreshRate(platform.pacer, DisplayRefreshHz());
        }
        return;
    }
    PushCommand(platform.commands, CommandOfKey(key));
}

uint64_t MicrosecondsNow() {
    return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::microseconds>(
                                     std::chrono::steady_clock::now().time_since_epoch())
                                     .count());
}

}  // namespace

// Every event queued when the pass begins, and no more: the queue is read once from the window
// system, so a stream of events that never stops cannot hold the pass.
void SdlPlatform::HandleEvents() {
    SDL_PumpEvents();
    SDL_Event event;
    while (SDL_PeepEvents(&event, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) == 1) {
        if (event.type == SDL_QUIT) {
            windowClosed = true;
        } else if (event.type == SDL_WINDOWEVENT) {
            HandleWindowEvent(*this, event.window);
        } else if (event.type == SDL_KEYDOWN) {
            HandleKey(*this, event.key);
        }
    }
}

PlayerCommand SdlPlatform::TakeCommand() {
    return ::TakeCommand(commands);
}

void SdlPlatform::WaitForEvent(uint32_t milliseconds) {
    SDL_WaitEventTimeout(nullptr, static_cast<int>(milliseconds));
}

bool SdlPlatform::ShouldLeave() {
    const Uint8* keys = SDL_GetKeyboardState(nullptr);
    return windowClosed || WindowWasDestroyed() || escapePressed || keys[SDL_SCANCODE_ESCAPE] != 0;
}

void SdlPlatform::Present(const uint32_t* frame) {
    if (WindowIsGoneNow()) {
        return;
    }
    if (vsync) {
        std::this_thread::sleep_for(std::chrono::microseconds(MicrosecondsToWait(pacer, MicrosecondsNow())));
    }
    if (ShowsSoftwareFrames(*this)) {
        PresentSoftwareFrame(software, frame);
    } else if (gpuReady) {
        PresentGpuFrame(gpu, mainWindow);
    }
    if (vsync) {
        NotePresent(pacer, MicrosecondsNow());
    }
}

void SdlPlatform::SetTitle(const char* title) {
    SDL_SetWindowTitle(mainWindow, title);
}

void SdlPlatform::StartMusic(const char* path, uint32_t startMs) {
    if (mute) {
        return;
    }
    InitAudio(audio, mainWindow);
    LoadMusic(audio, path);
    StartMusicAt(audio, startMs);
}

void SdlPlatform::SeekMusic(uint32_t elapsedMs) {
    if (!mute) {
        ::SeekMusic(audio, elapsedMs);
    }
}

void SdlPlatform::PauseMusic(bool paused) {
    if (!mute) {
        ::PauseMusic(audio, paused);
    }
}

void SdlPlatform::StopMusic() {
    if (!mute) {
        ShutdownAudio(audio);
    }
}

bool OpenPresenters(SdlPlatform& platform, const char* shaderPath, std::string& failure) {
    platform.software.vsync = platform.gpu.vsync = platform.vsync;
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
    platform.pacer.presenterWaits =
        ShowsSoftwareFrames(platform) ? platform.software.presentWaits : platform.gpu.swapWaits;
    SetRefreshRate(platform.pacer, DisplayRefreshHz());
    return true;
}

void ClosePresenters(SdlPlatform& platform) {
    if (platform.gpu.context != nullptr) {
        ReleaseGpuPresenter(platform.gpu, mainWindow);
    }
    platform.gpuReady = false;
    ReleaseSoftwarePresenter(platform.software);
}
