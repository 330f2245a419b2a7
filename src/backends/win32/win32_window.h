#pragma once
#include <array>
#include <cstdint>
#include <string>

#include "platform/command_queue.h"
#include "platform/platform.h"

// The show's one USER32 window and what its window procedure records: the viewer's keys,
// a close, and the frame its paint handler shows. Free of <windows.h>, whose names clash
// with the driver's.
struct Win32Window {
    void* handle = nullptr;  // the HWND
    bool fullScreen = false;
    bool modeChanged = false;  // the display was switched to 640x480 and must be restored
    bool closed = false;
    bool escapePressed = false;  // a tap of Escape, which GetAsyncKeyState can miss
    CommandQueue commands;       // the player's keys not yet taken
    bool keepAspect = false;
    bool softwareFrames = true;           // the paint handler shows frames (false: the GPU presenter does)
    const uint32_t* lastFrame = nullptr;  // painted on every WM_PAINT
    bool repaintAsked = false;            // a WM_PAINT came while the GPU presenter shows the picture
    bool displayChanged = false;          // the display's mode changed (Alt+Enter, WM_DISPLAYCHANGE)
};

// Opens the window: full screen (the display switched to 640x480x32, or when the mode is
// refused the window covering the desktop at its own size) or a framed 640x480 client area.
bool OpenWin32Window(Win32Window& window, bool windowed, std::string& failure);
// The refresh rate of the display the window is on, in hertz; 0 when the system does not say.
uint32_t DisplayRefreshHz(const Win32Window& window);
// Destroys the window and gives the display its own mode back.
void CloseWin32Window(Win32Window& window);
