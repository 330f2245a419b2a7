#pragma once
#include <cstdint>

// What the show's driver needs from the machine it plays on: the window build implements
// it over SDL2 (window, presenters, audio); the headless modes implement it with no display
// and no sound. The window is opened before the driver starts loading assets.
struct Platform {
    virtual ~Platform() = default;
    // Takes at most one pending window event and acts on it.
    virtual void HandleOneEvent() = 0;
    // True when Escape is down at this moment, or the window was closed.
    virtual bool ShouldLeave() = 0;
    // Shows the frame the previous pass drew (640 x 480 pixels 0xXXRRGGBB).
    virtual void Present(const uint32_t* frame) = 0;
    virtual void SetTitle(const char* title) = 0;
    // Opens the audio device, loads the music file and starts it; failures are reported
    // and the show runs on silently.
    virtual void StartMusic(const char* path) = 0;
    // Stops and releases the music and closes the audio device.
    virtual void StopMusic() = 0;
};
