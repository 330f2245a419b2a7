#pragma once
#include <cstdint>

// What the viewer asked for with a key while the show plays.
enum class PlayerCommand : uint8_t {
    None,
    PauseOrResume,  // Space: picture and music together
    Back,           // Left: 5 s back
    Forward,        // Right: 5 s forward
    FarBack,        // Page Up: 30 s back
    FarForward,     // Page Down: 30 s forward
    ToStart,        // Home
    StepForward,    // '.' while paused: the next pass
    StepBack,       // ',' while paused: the previous pass
};

// What the show's driver needs from the machine it plays on: the window build implements
// it over SDL2 (window, presenters, audio); the headless modes implement it with no display
// and no sound. The window is opened before the driver starts loading assets.
struct Platform {
    virtual ~Platform() = default;
    // Takes every window event pending at this moment and acts on it, so that a key is seen on
    // the pass after it arrives however many other events (a moving mouse) came before it.
    virtual void HandleEvents() = 0;
    // True when Escape is down at this moment or was pressed since the last pass, or the window
    // was closed.
    virtual bool ShouldLeave() = 0;
    // The oldest command of the events handled so far that was not taken yet, once; None if there
    // is none.
    virtual PlayerCommand TakeCommand() = 0;
    // Waits at most `milliseconds` for a window event, while the show is paused.
    virtual void WaitForEvent(uint32_t milliseconds) = 0;
    // Shows the frame the previous pass drew (640 x 480 pixels 0xXXRRGGBB).
    virtual void Present(const uint32_t* frame) = 0;
    virtual void SetTitle(const char* title) = 0;
    // Opens the audio device, loads the music file and starts it `startMs` milliseconds into
    // it; failures are reported and the show runs on silently.
    virtual void StartMusic(const char* path, uint32_t startMs) = 0;
    // Moves the music to `elapsedMs` milliseconds into it, at once.
    virtual void SeekMusic(uint32_t elapsedMs) = 0;
    // Holds the music where it is, or lets it go on.
    virtual void PauseMusic(bool paused) = 0;
    // Stops and releases the music and closes the audio device.
    virtual void StopMusic() = 0;
};
