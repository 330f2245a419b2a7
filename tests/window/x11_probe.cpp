#include "x11_probe.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>

namespace {

// The raw bytes of a window property, empty if the window does not have it.
std::string Property(Display* display, Window window, const char* name, Atom type, long words) {
    Atom actualType = None;
    int format = 0;
    unsigned long count = 0, remaining = 0;
    unsigned char* data = nullptr;
    std::string value;
    if (XGetWindowProperty(display, window, XInternAtom(display, name, False), 0, words, False, type,
                           &actualType, &format, &count, &remaining, &data) == Success &&
        data != nullptr) {
        value.assign(reinterpret_cast<char*>(data), format == 32 ? count * sizeof(long) : count);
    }
    if (data != nullptr) {
        XFree(data);
    }
    return value;
}

int IgnoreXError(Display*, XErrorEvent*) {
    return 0;
}

}  // namespace

Display* OpenProbeDisplay() {
    XSetErrorHandler(IgnoreXError);
    return XOpenDisplay(nullptr);
}

Window FindWindowOfProcess(Display* display, long pid) {
    Window root = 0, parent = 0, found = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    if (XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count) != 0) {
        for (unsigned int i = 0; i < count && found == 0; ++i) {
            const std::string windowPid = Property(display, children[i], "_NET_WM_PID", XA_CARDINAL, 1);
            XWindowAttributes attributes{};
            if (windowPid == std::string(reinterpret_cast<const char*>(&pid), sizeof pid) &&
                XGetWindowAttributes(display, children[i], &attributes) != 0 &&
                attributes.map_state == IsViewable) {
                found = children[i];
            }
        }
    }
    if (children != nullptr) {
        XFree(children);
    }
    return found;
}

std::string WindowTitle(Display* display, Window window) {
    return Property(display, window, "_NET_WM_NAME", XInternAtom(display, "UTF8_STRING", False), 1024);
}

WindowPlace PlaceOnScreen(Display* display, Window window) {
    XWindowAttributes attributes{};
    XGetWindowAttributes(display, window, &attributes);
    int x = 0, y = 0;
    Window child = 0;
    XTranslateCoordinates(display, window, DefaultRootWindow(display), 0, 0, &x, &y, &child);
    return {x, y, attributes.width, attributes.height};
}

ScreenGrab GrabScreen(Display* display) {
    const WindowPlace screen = PlaceOnScreen(display, DefaultRootWindow(display));
    XImage* image =
        XGetImage(display, DefaultRootWindow(display), 0, 0, screen.width, screen.height, AllPlanes, ZPixmap);
    ScreenGrab grab{screen.width, screen.height, {}};
    for (int y = 0; y < grab.height; ++y) {
        for (int x = 0; x < grab.width; ++x) {
            grab.pixels.push_back(static_cast<uint32_t>(XGetPixel(image, x, y)) & 0xFFFFFF);
        }
    }
    XDestroyImage(image);
    return grab;
}

void RequestClose(Display* display, Window window) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window, False, NoEventMask, &event);
    XFlush(display);
}
