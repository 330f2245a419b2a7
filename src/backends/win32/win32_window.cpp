#include "backends/win32/win32_window.h"

#include <windows.h>

#include "backends/win32/gdi_presenter.h"
#include "files/win32/system_error.h"
#include "render/framebuffer.h"

namespace {

constexpr const char* WINDOW_CLASS = "voxelshow";

PlayerCommand CommandOfKey(WPARAM key) {
    switch (key) {
        case VK_SPACE:
            return PlayerCommand::PauseOrResume;
        case VK_LEFT:
            return PlayerCommand::Back;
        case VK_RIGHT:
            return PlayerCommand::Forward;
        case VK_PRIOR:
            return PlayerCommand::FarBack;
        case VK_NEXT:
            return PlayerCommand::FarForward;
        case VK_HOME:
            return PlayerCommand::ToStart;
        case VK_OEM_PERIOD:
            return PlayerCommand::StepForward;
        case VK_OEM_COMMA:
            return PlayerCommand::StepBack;
        default:
            return PlayerCommand::None;
    }
}

// Bit 30 of a WM_KEYDOWN's lParam: the key was already down, the message is a repeat.
constexpr LPARAM KEY_WAS_DOWN = LPARAM{1} << 30;
// Bit 29 of a WM_SYSKEYDOWN's: Alt is held.
constexpr LPARAM ALT_DOWN = LPARAM{1} << 29;

void QueueKey(Win32Window& window, WPARAM key, bool repeated) {
    const PlayerCommand pressed = CommandOfKey(key);
    // A held key repeats its jump or step, but does not flicker between pause and play.
    if (!(repeated && pressed == PlayerCommand::PauseOrResume)) {
        PushCommand(window.commands, pressed);
    }
}

// Switches the display to 640x480x32 for full screen; the window's bounds there (the display's
// own size when the mode is refused).
RECT EnterFullScreenMode(Win32Window& window) {
    DEVMODEA mode{};
    mode.dmSize = sizeof mode;
    mode.dmPelsWidth = FRAME_WIDTH;
    mode.dmPelsHeight = FRAME_HEIGHT;
    mode.dmBitsPerPel = 32;
    mode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT | DM_BITSPERPEL;
    window.modeChanged = ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN) == DISP_CHANGE_SUCCESSFUL;
    return {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

void LeaveFullScreenMode(Win32Window& window) {
    if (window.modeChanged) {
        ChangeDisplaySettingsA(nullptr, 0);
        window.modeChanged = false;
    }
}

// A framed window's outer bounds around a 640x480 client area.
RECT FramedBounds() {
    RECT bounds{0, 0, FRAME_WIDTH, FRAME_HEIGHT};
    AdjustWindowRect(&bounds, WS_OVERLAPPEDWINDOW, FALSE);
    return bounds;
}

// Alt+Enter: from full screen to a framed window in the middle of the display, and back.
void SwitchFullScreen(Win32Window& window) {
    const HWND handle = static_cast<HWND>(window.handle);
    window.fullScreen = !window.fullScreen;
    window.displayChanged = true;
    if (window.fullScreen) {
        const RECT bounds = EnterFullScreenMode(window);
        SetWindowLongPtrA(handle, GWL_STYLE, WS_POPUP | WS_VISIBLE);
        SetWindowPos(handle, HWND_TOPMOST, 0, 0, bounds.right, bounds.bottom,
                     SWP_FRAMECHANGED | SWP_SHOWWINDOW);
        return;
    }
    LeaveFullScreenMode(window);
    const RECT bounds = FramedBounds();
    const int width = bounds.right - bounds.left;
    const int height = bounds.bottom - bounds.top;
    SetWindowLongPtrA(handle, GWL_STYLE, WS_OVERLAPPEDWINDOW | WS_VISIBLE);
    SetWindowPos(handle, HWND_NOTOPMOST, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                 (GetSystemMetrics(SM_CYSCREEN) - height) / 2, width, height,
                 SWP_FRAMECHANGED | SWP_SHOWWINDOW);
}

LRESULT CALLBACK WindowProcedure(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* window = reinterpret_cast<Win32Window*>(GetWindowLongPtrA(handle, GWLP_USERDATA));
    if (window == nullptr) {
        return DefWindowProcA(handle, message, wParam, lParam);
    }
    switch (message) {
        case WM_CLOSE:
            window->closed = true;
            return 0;
        case WM_SYSKEYDOWN:
            if (wParam == VK_RETURN && (lParam & ALT_DOWN) != 0) {
                if ((lParam & KEY_WAS_DOWN) == 0) {
                    SwitchFullScreen(*window);
                }
                return 0;
            }
            break;
        case WM_SYSCHAR:
            if (wParam == '\r') {
                return 0;  // Alt+Enter is taken: no beep
            }
            break;
        case WM_SYSCOMMAND:
            // The show has no menu. Alt released, alone or after Alt+Enter, would otherwise
            // enter the menu mode: the show's loop waits in it and Escape only leaves it.
            if ((wParam & 0xFFF0) == SC_KEYMENU) {
                return 0;
            }
            break;
        case WM_KEYDOWN:
            if (wParam == VK_ESCAPE) {
                window->escapePressed = true;
            } else {
                QueueKey(*window, wParam, (lParam & KEY_WAS_DOWN) != 0);
            }
            return 0;
        case WM_SETCURSOR:
            if (window->fullScreen && LOWORD(lParam) == HTCLIENT) {
                SetCursor(nullptr);
                return TRUE;
            }
            break;
        case WM_DISPLAYCHANGE:
            window->displayChanged = true;
            break;
        case WM_ERASEBKGND:
            return 1;  // the paint handler covers the whole client area
        case WM_PAINT: {
            PAINTSTRUCT paint;
            HDC context = BeginPaint(handle, &paint);
            if (window->softwareFrames && window->lastFrame != nullptr) {
                RECT client;
                GetClientRect(handle, &client);
                PaintFrame(context, client, window->lastFrame, window->keepAspect);
            } else if (!window->softwareFrames) {
                window->repaintAsked = true;  // presented again once the messages are handled
            }
            EndPaint(handle, &paint);
            return 0;
        }
        default:
            break;
    }
    return DefWindowProcA(handle, message, wParam, lParam);
}

std::string LastErrorText(const char* what) {
    return std::string(what) + " failed: " + SystemErrorText(GetLastError());
}

}  // namespace

bool OpenWin32Window(Win32Window& window, bool windowed, std::string& failure) {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA windowClass{};
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = WindowProcedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // the arrow
    windowClass.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(1));         // the exe's own (voxelshow.rc)
    windowClass.lpszClassName = WINDOW_CLASS;
    if (RegisterClassA(&windowClass) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
        failure = LastErrorText("RegisterClass");
        return false;
    }
    window.fullScreen = !windowed;
    const DWORD style = window.fullScreen ? WS_POPUP : WS_OVERLAPPEDWINDOW;
    const RECT bounds = window.fullScreen ? EnterFullScreenMode(window) : FramedBounds();
    const int x = window.fullScreen ? 0 : CW_USEDEFAULT;
    const int y = window.fullScreen ? 0 : CW_USEDEFAULT;
    HWND handle = CreateWindowExA(window.fullScreen ? WS_EX_TOPMOST : 0, WINDOW_CLASS, "voxelshow", style, x,
                                  y, bounds.right - bounds.left, bounds.bottom - bounds.top, nullptr, nullptr,
                                  instance, nullptr);
    window.handle = handle;
    if (handle == nullptr) {
        failure = LastErrorText("CreateWindow");
        CloseWin32Window(window);
        return false;
    }
    SetWindowLongPtrA(handle, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&window));
    ShowWindow(handle, SW_SHOW);
    UpdateWindow(handle);
    SetForegroundWindow(handle);
    return true;
}

uint32_t DisplayRefreshHz(const Win32Window& window) {
    MONITORINFOEXA monitor{};
    monitor.cbSize = sizeof monitor;
    DEVMODEA mode{};
    mode.dmSize = sizeof mode;
    const HMONITOR shownOn = MonitorFromWindow(static_cast<HWND>(window.handle), MONITOR_DEFAULTTONEAREST);
    if (GetMonitorInfoA(shownOn, &monitor) == 0 ||
        EnumDisplaySettingsA(monitor.szDevice, ENUM_CURRENT_SETTINGS, &mode) == 0) {
        return 0;
    }
    // 0 and 1 stand for the hardware's default rate, which the system does not name.
    return mode.dmDisplayFrequency > 1 ? mode.dmDisplayFrequency : 0;
}

void CloseWin32Window(Win32Window& window) {
    if (window.handle != nullptr) {
        SetWindowLongPtrA(static_cast<HWND>(window.handle), GWLP_USERDATA, 0);
        DestroyWindow(static_cast<HWND>(window.handle));
        window.handle = nullptr;
    }
    LeaveFullScreenMode(window);
}
