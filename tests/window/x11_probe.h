#pragma once
#include <X11/Xlib.h>

#include <cstdint>
#include <string>
#include <vector>

// Looks at the X display the way a user or a window manager would: finds the program's
// window, reads its title, takes screenshots and asks the window to close.

struct ScreenGrab {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;  // 0x00RRGGBB, rows top to bottom

    uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

struct WindowPlace {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// Opens the display with an error handler that ignores errors: windows may vanish while
// the probe looks at them.
Display* OpenProbeDisplay();
// The shown top-level window whose _NET_WM_PID is `pid`, or 0.
Window FindWindowOfProcess(Display* display, long pid);
std::string WindowTitle(Display* display, Window window);
WindowPlace PlaceOnScreen(Display* display, Window window);
ScreenGrab GrabScreen(Display* display);
// Sends WM_DELETE_WINDOW, as a window manager does when the user closes a window.
void RequestClose(Display* display, Window window);
