#include "backends/win32/win32_platform.h"

#include <windows.h>

#include <cstdio>

#include "app/options.h"
#include "audio/music_playback.h"

namespace {

HWND Window(const Win32Platform& platform) {
    return static_cast<HWND>(platform.window.handle);
}

uint64_t MicrosecondsNow() {
    LARGE_INTEGER count;
    LARGE_INTEGER frequency;
    QueryPerformanceCounter(&count);
    QueryPerformanceFrequency(&frequency);
    return static_cast<uint64_t>(count.QuadPart / frequency.QuadPart * 1000000 +
                                 count.QuadPart % frequency.QuadPart * 1000000 / frequency.QuadPart);
}

// Sleeps until the pacer lets the next present go, in whole milliseconds (the play mode holds
// the timer at 1 ms steps), rounded up so that no present goes early.
void WaitForPresentSlot(const PresentPacer& pacer) {
    const uint64_t wait = MicrosecondsToWait(pacer, MicrosecondsNow());
    if (wait > 0) {
        Sleep(static_cast<DWORD>((wait + 999) / 1000));
    }
}

}  // namespace

// Takes every pending message, so that a key is seen on the next pass however many mouse
// moves came before it.
void Win32Platform::HandleEvents() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE) != 0) {
        if (message.message == WM_QUIT) {
            window.closed = true;
            return;
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    if (window.displayChanged) {
        window.displayChanged = false;
        SetRefreshRate(pacer, DisplayRefreshHz(window));
    }
    if (window.repaintAsked) {
        window.repaintAsked = false;
        if (gpuReady) {
            PresentD3dFrame(gpu);
        }
    }
}

bool Win32Platform::ShouldLeave() {
    // A held Escape is seen by its state, a quick tap only by its key message.
    const bool escapeDown =
        GetForegroundWindow() == Window(*this) && (GetAsyncKeyState(VK_ESCAPE) & 0x8000) != 0;
    return window.closed || window.escapePressed || escapeDown;
}

PlayerCommand Win32Platform::TakeCommand() {
    return ::TakeCommand(window.commands);
}

void Win32Platform::WaitForEvent(uint32_t milliseconds) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, milliseconds, QS_ALLINPUT);
}

void Win32Platform::Present(const uint32_t* frame) {
    window.lastFrame = frame;
    if (vsync) {
        WaitForPresentSlot(pacer);
    }
    if (!window.softwareFrames) {
        PresentD3dFrame(gpu);
    } else {
        // The paint handler draws it, now.
        InvalidateRect(Window(*this), nullptr, FALSE);
        UpdateWindow(Window(*this));
    }
    if (vsync) {
        NotePresent(pacer, MicrosecondsNow());
    }
}

void Win32Platform::SetTitle(const char* title) {
    SetWindowTextA(Window(*this), title);
}

void Win32Platform::StartMusic(const char* path, uint32_t startMs) {
    if (mute) {
        return;
    }
    InitAudio(audio, window.handle);
    LoadMusic(audio, path);
    StartMusicAt(audio, startMs);
}

void Win32Platform::SeekMusic(uint32_t elapsedMs) {
    if (!mute) {
        ::SeekMusic(audio, elapsedMs);
    }
}

void Win32Platform::PauseMusic(bool paused) {
    if (!mute) {
        ::PauseMusic(audio, paused);
    }
}

void Win32Platform::StopMusic() {
    if (!mute) {
        ShutdownAudio(audio);
    }
}

void OpenPresenters(Win32Platform& platform, uint8_t presenterFlags, const char* shaderPath) {
    platform.gpu.vsync = platform.vsync;
    if ((presenterFlags & PRESENTER_GPU) != 0) {
        std::string failure;
        platform.gpuReady = CreateD3dPresenter(platform.gpu, platform.window.handle, shaderPath, failure);
        if (!platform.gpuReady) {
            std::fprintf(stderr, "voxelshow: GPU presenter: %s; showing the frames without it\n",
                         failure.c_str());
        }
    }
    platform.window.softwareFrames = (presenterFlags & PRESENTER_SOFTWARE) != 0 || !platform.gpuReady;
    // Direct3D's present with sync interval 1 waits for the vertical blank; GDI has no such wait.
    platform.pacer.presenterWaits = !platform.window.softwareFrames;
    SetRefreshRate(platform.pacer, DisplayRefreshHz(platform.window));
}

void ClosePresenters(Win32Platform& platform) {
    platform.window.softwareFrames = true;
    platform.gpuReady = false;
    ReleaseD3dPresenter(platform.gpu);
}
