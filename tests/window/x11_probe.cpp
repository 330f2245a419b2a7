#include "x11_probe.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>

namespace {

bool HasPid(Display* display, Window window, long pid) {
    Atom property = XInternAtom(display, "_NET_WM_PID", True);
    if (property == None) {
        return false;
    }
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long remaining = 0;
    unsigned char* data = nullptr;
    bool found = false;
    if (XGetWindowProperty(display, window, property, 0, 1, False, XA_CARDINAL, &type, &format, &count,
                           &remaining, &data) == Success &&
        data != nullptr) {
        found = count == 1 && *reinterpret_cast<long*>(data) == pid;
    }
    if (data != nullptr) {
        XFree(data);
    }
    return found;
}

std::string Utf8Title(Display* display, Window window) {
    Atom property = XInternAtom(display, "_NET_WM_NAME", False);
    Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long remaining = 0;
    unsigned char* data = nullptr;
    std::string title;
    if (XGetWindowProperty(display, window, property, 0, 1024, False, utf8, &type, &format, &count,
                           &remaining, &data) == Success &&
        data != nullptr) {
        title.assign(reinterpret_cast<char*>(data), count);
    }
    if (data != nullptr) {
        XFree(data);
    }
    return title;
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
    Window root = DefaultRootWindow(display);
    Window rootReturn = 0;
    Window parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    Window found = 0;
    if (XQueryTree(display, root, &rootReturn, &parent, &children, &count) != 0) {
        for (unsigned int i = 0; i < count && found == 0; ++i) {
            XWindowAttributes attributes{};
            if (HasPid(display, children[i], pid) &&
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
    std::string title = Utf8Title(display, window);
    if (!title.empty()) {
        return title;
    }
    char* name = nullptr;
    if (XFetchName(display, window, &name) != 0 && name != nullptr) {
        title = name;
        XFree(name);
    }
    return title;
}

WindowPlace PlaceOnScreen(Display* display, Window window) {
    XWindowAttributes attributes{};
    XGetWindowAttributes(display, window, &attributes);
    int x = 0;
    int y = 0;
    Window child = 0;
    XTranslateCoordinates(display, window, DefaultRootWindow(display), 0, 0, &x, &y, &child);
    return {x, y, attributes.width, attributes.height};
}

ScreenGrab GrabScreen(Display* display) {
    Window root = DefaultRootWindow(display);
    XWindowAttributes attributes{};
    XGetWindowAttributes(display, root, &attributes);
    XImage* image = XGetImage(display, root, 0, 0, attributes.width, attributes.height, AllPlanes, ZPixmap);
    ScreenGrab grab;
    grab.width = attributes.width;
    grab.height = attributes.height;
    grab.pixels.resize(static_cast<size_t>(grab.width) * grab.height);
    for (int y = 0; y < grab.height; ++y) {
        for (int x = 0; x < grab.width; ++x) {
            grab.pixels[static_cast<size_t>(y) * grab.width + x] =
                static_cast<uint32_t>(XGetPixel(image, x, y)) & 0xFFFFFF;
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
