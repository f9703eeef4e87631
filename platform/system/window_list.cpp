#include "window_list.h"

#include "x11_helpers.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <memory>
#include <vector>

namespace calvorine::platform {

namespace {

struct DisplayCloser {
    void operator()(Display* display) const { XCloseDisplay(display); }
};
using DisplayHandle = std::unique_ptr<Display, DisplayCloser>;

DisplayHandle openDisplay() {
    return DisplayHandle(XOpenDisplay(nullptr));
}

using x11::ErrorHandlerScope;
using x11::longProperty;

std::string windowTitle(Display* display, Window window) {
    Atom netWmName = XInternAtom(display, "_NET_WM_NAME", False);
    Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
    Atom actualType = None;
    int actualFormat = 0;
    unsigned long count = 0;
    unsigned long remaining = 0;
    unsigned char* data = nullptr;
    std::string title;
    if (XGetWindowProperty(display, window, netWmName, 0, 65536, False, utf8, &actualType, &actualFormat, &count,
                           &remaining, &data) == Success &&
        data != nullptr) {
        if (actualFormat == 8) {
            title.assign(reinterpret_cast<const char*>(data), count);
        }
        XFree(data);
        if (!title.empty()) {
            return title;
        }
    }
    char* name = nullptr;
    if (XFetchName(display, window, &name) && name != nullptr) {
        title = name;
        XFree(name);
    }
    return title;
}

bool hasWindowManager(Display* display) {
    return !longProperty(display, DefaultRootWindow(display), "_NET_SUPPORTING_WM_CHECK", XA_WINDOW).empty();
}

void sendRootMessage(Display* display, Window window, const char* type, long data0, long data1, long data2) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, type, False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = data0;
    event.xclient.data.l[1] = data1;
    event.xclient.data.l[2] = data2;
    XSendEvent(display, DefaultRootWindow(display), False, SubstructureRedirectMask | SubstructureNotifyMask, &event);
}

bool minimised(Display* display, Window window) {
    const Atom hidden = XInternAtom(display, "_NET_WM_STATE_HIDDEN", False);
    for (unsigned long state : longProperty(display, window, "_NET_WM_STATE", XA_ATOM)) {
        if (state == hidden) {
            return true;
        }
    }
    const Atom wmState = XInternAtom(display, "WM_STATE", False);
    const std::vector<unsigned long> iconic = longProperty(display, window, "WM_STATE", wmState);
    return !iconic.empty() && iconic[0] == IconicState;
}

} // namespace

uint64_t findTopLevelWindowByTitle(const std::string& title) {
    DisplayHandle display = openDisplay();
    if (!display) {
        return 0;
    }
    ErrorHandlerScope errors;
    Display* d = display.get();
    const Window root = DefaultRootWindow(d);
    for (unsigned long window : longProperty(d, root, "_NET_CLIENT_LIST", XA_WINDOW)) {
        if (windowTitle(d, window) == title) {
            return window;
        }
    }
    // No window manager list: the root's children and, for reparenting managers that do
    // not publish the list, their direct children.
    Window rootReturn = 0;
    Window parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    uint64_t found = 0;
    if (XQueryTree(d, root, &rootReturn, &parent, &children, &count) && children != nullptr) {
        for (unsigned int i = count; i-- > 0 && found == 0;) {
            if (windowTitle(d, children[i]) == title) {
                found = children[i];
                break;
            }
            Window* grandchildren = nullptr;
            unsigned int grandCount = 0;
            if (XQueryTree(d, children[i], &rootReturn, &parent, &grandchildren, &grandCount) &&
                grandchildren != nullptr) {
                for (unsigned int j = 0; j < grandCount; ++j) {
                    if (windowTitle(d, grandchildren[j]) == title) {
                        found = grandchildren[j];
                        break;
                    }
                }
                XFree(grandchildren);
            }
        }
        XFree(children);
    }
    return found;
}

bool raiseAndActivateWindow(uint64_t window) {
    DisplayHandle display = openDisplay();
    if (!display || window == 0) {
        return false;
    }
    ErrorHandlerScope errors;
    Display* d = display.get();
    XWindowAttributes attributes{};
    if (!XGetWindowAttributes(d, static_cast<Window>(window), &attributes)) {
        return false;
    }
    if (hasWindowManager(d)) {
        // Source indication 2 (a pager): the window manager honours it without its
        // focus-stealing rules, and it restores a minimised window.
        sendRootMessage(d, static_cast<Window>(window), "_NET_ACTIVE_WINDOW", 2, CurrentTime, 0);
    } else {
        XMapRaised(d, static_cast<Window>(window));
        XSetInputFocus(d, static_cast<Window>(window), RevertToParent, CurrentTime);
    }
    XSync(d, False);
    return true;
}

uint64_t activeWindow() {
    DisplayHandle display = openDisplay();
    if (!display) {
        return 0;
    }
    ErrorHandlerScope errors;
    const std::vector<unsigned long> active =
        longProperty(display.get(), DefaultRootWindow(display.get()), "_NET_ACTIVE_WINDOW", XA_WINDOW);
    return active.empty() ? 0 : active[0];
}

bool isWindowMinimised(uint64_t window) {
    DisplayHandle display = openDisplay();
    if (!display || window == 0) {
        return false;
    }
    ErrorHandlerScope errors;
    return minimised(display.get(), static_cast<Window>(window));
}

} // namespace calvorine::platform
