#pragma once
#include "audio/audio_layer.h"
#include "platform/platform.h"
#include "platform/win32/win32_window.h"

// The show's platform on Windows: the USER32 window with its GDI presenter, the keyboard,
// and the music through the audio layer over waveOut.
struct Win32Platform : Platform {
    bool mute = false;  // no audio device, no music
    Win32Window window;
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
