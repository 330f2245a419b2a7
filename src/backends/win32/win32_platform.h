#pragma once
#include "audio/audio_layer.h"
#include "backends/win32/d3d_presenter.h"
#include "backends/win32/win32_window.h"
#include "platform/platform.h"
#include "platform/present_pacer.h"

// The show's platform on Windows: the USER32 window with its GDI and Direct3D 11 presenters,
// the keyboard, and the music through the audio layer over waveOut.
struct Win32Platform : Platform {
    bool mute = false;   // no audio device, no music
    bool vsync = false;  // each present waits for the display's refresh (set before OpenPresenters)
    Win32Window window;
    D3dPresenter gpu;
    bool gpuReady = false;
    PresentPacer pacer;  // with vsync: presents held to the display's refresh rate
    AudioLayer audio;

    void HandleEvents() override;
    bool ShouldLeave() override;
    PlayerCommand TakeCommand() override;
    void WaitForEvent(uint32_t milliseconds) override;
    void Present(const uint32_t* frame) override;
    void SetTitle(const char* title) override;
    void StartMusic(const char* path, uint32_t startMs) override;
    void SeekMusic(uint32_t elapsedMs) override;
    void PauseMusic(bool paused) override;
    void StopMusic() override;
};

// Sets up the presenters that `presenterFlags` selects (1 software, 2 GPU, 3 the GPU presenter
// set up but the software one showing the frames). A GPU presenter that cannot be set up is
// reported on standard error in one line and the software presenter takes over.
void OpenPresenters(Win32Platform& platform, uint8_t presenterFlags, const char* shaderPath);
// Releases the GPU presenter's objects; the window must still exist.
void ClosePresenters(Win32Platform& platform);
