#pragma once
#include <array>
#include <cstddef>
#include <string>

#include "audio/audio_layer.h"
#include "backends/sdl/gpu_presenter.h"
#include "backends/sdl/software_presenter.h"
#include "platform/command_queue.h"
#include "platform/platform.h"
#include "platform/present_pacer.h"

// The show's platform on a real machine: the SDL window opened by InitWindow, its
// presenters, the keyboard and the music through the audio layer.
struct SdlPlatform : Platform {
    bool mute = false;   // no audio device, no music
    bool vsync = false;  // each present waits for the display's refresh (set before OpenPresenters)
    bool windowClosed = false;
    bool gpuReady = false;
    bool escapePressed = false;  // a key-down event of Escape was handled: a tap between two passes
    CommandQueue commands;       // the player's keys not yet taken
    SoftwarePresenter software;
    GpuPresenter gpu;
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

// Sets up the presenters that presenterFlags selects on mainWindow. A GPU presenter that
// cannot be set up is reported on standard error and the software presenter takes over;
// false, with the reason, only when no presenter at all can show frames.
bool OpenPresenters(SdlPlatform& platform, const char* shaderPath, std::string& failure);
void ClosePresenters(SdlPlatform& platform);
