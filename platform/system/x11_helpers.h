// Xlib helpers shared by the window list and the window finder of this folder (internal:
// only sources of platform/system include it).
#pragma once

#include <X11/Xlib.h>

#include <vector>

namespace calvorine::platform::x11 {

// Windows may vanish between listing and reading them; their errors are expected while
// one of these scopes lives.
inline int ignoreErrors(Display*, XErrorEvent*) {
    return 0;
}

struct ErrorHandlerScope {
    ErrorHandlerScope() : previous(XSetErrorHandler(ignoreErrors)) {}
    ~ErrorHandlerScope() { XSetErrorHandler(previous); }
    ErrorHandlerScope(const ErrorHandlerScope&) = delete;
    ErrorHandlerScope& operator=(const ErrorHandlerScope&) = delete;
    int (*previous)(Display*, XErrorEvent*);
};

// The items of a property of 32-bit format (returned as longs by Xlib); empty when the
// window has no such property.
inline std::vector<unsigned long> longProperty(Display* display, Window window, const char* name, Atom type) {
    std::vector<unsigned long> values;
    const Atom property = XInternAtom(display, name, True);
    if (property == None) {
        return values;
    }
    Atom actualType = None;
    int actualFormat = 0;
    unsigned long count = 0;
    unsigned long remaining = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display, window, property, 0, 65536, False, type, &actualType, &actualFormat, &count,
                           &remaining, &data) == Success &&
        data != nullptr) {
        if (actualFormat == 32) {
            const auto* items = reinterpret_cast<const unsigned long*>(data);
            values.assign(items, items + count);
        }
        XFree(data);
    }
    return values;
}

// The window's children in stacking order, bottom first.
inline std::vector<Window> childWindows(Display* display, Window window) {
    std::vector<Window> result;
    Window rootReturn = 0;
    Window parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    if (XQueryTree(display, window, &rootReturn, &parent, &children, &count) && children != nullptr) {
        result.assign(children, children + count);
        XFree(children);
    }
    return result;
}

} // namespace calvorine::platform::x11
