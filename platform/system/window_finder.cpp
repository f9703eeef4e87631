#include "window_finder.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <mutex>
#include <vector>

namespace calvorine::platform {

namespace {

constexpr int kSmallestSide = 50;

std::atomic<uint64_t> g_excluded{0};
std::mutex g_displayMutex;
Display* g_display = nullptr; // opened once, kept for the life of the process

// Windows may vanish between listing and reading them; their errors are expected.
int ignoreErrors(Display*, XErrorEvent*) {
    return 0;
}

struct ErrorHandlerScope {
    ErrorHandlerScope() : previous(XSetErrorHandler(ignoreErrors)) {}
    ~ErrorHandlerScope() { XSetErrorHandler(previous); }
    int (*previous)(Display*, XErrorEvent*);
};

std::vector<unsigned long> longProperty(Display* display, Window window, const char* name, Atom type) {
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

class Finder {
public:
    Finder(Display* display, int x, int y)
        : m_display(display), m_root(DefaultRootWindow(display)), m_x(x), m_y(y),
          m_screenWidth(DisplayWidth(display, DefaultScreen(display))),
          m_screenHeight(DisplayHeight(display, DefaultScreen(display))), m_pid(static_cast<unsigned long>(getpid())),
          m_excluded(Window(g_excluded.load())) {}

    // The managed windows from the top of the stacking order, else (no window manager)
    // the root's children that are not override-redirect.
    Window findTopLevel(RegionRect* rect) {
        const std::vector<unsigned long> stacking =
            longProperty(m_display, m_root, "_NET_CLIENT_LIST_STACKING", XA_WINDOW);
        if (!stacking.empty()) {
            for (auto it = stacking.rbegin(); it != stacking.rend(); ++it) {
                if (qualifiesAsClient(Window(*it), rect)) {
                    return Window(*it);
                }
            }
            return 0;
        }
        Window rootReturn = 0;
        Window parent = 0;
        Window* children = nullptr;
        unsigned int count = 0;
        Window found = 0;
        if (XQueryTree(m_display, m_root, &rootReturn, &parent, &children, &count) && children) {
            for (unsigned int i = count; i-- > 0 && found == 0;) {
                XWindowAttributes attributes{};
                if (XGetWindowAttributes(m_display, children[i], &attributes) && !attributes.override_redirect &&
                    qualifiesAsClient(children[i], rect)) {
                    found = children[i];
                }
            }
            XFree(children);
        }
        return found;
    }

    // The topmost qualifying child under the point, and its own, down to the last.
    Window descend(Window window, RegionRect* rect) {
        for (;;) {
            Window rootReturn = 0;
            Window parent = 0;
            Window* children = nullptr;
            unsigned int count = 0;
            Window next = 0;
            if (XQueryTree(m_display, window, &rootReturn, &parent, &children, &count) && children) {
                for (unsigned int i = count; i-- > 0 && next == 0;) {
                    RegionRect childRect;
                    if (Window(children[i]) != m_excluded && viewable(children[i]) &&
                        rectOnRoot(children[i], &childRect) && qualifies(childRect)) {
                        next = children[i];
                        *rect = childRect;
                    }
                }
                XFree(children);
            }
            if (next == 0) {
                return window;
            }
            window = next;
        }
    }

private:
    bool qualifiesAsClient(Window window, RegionRect* rect) {
        if (window == m_excluded || !viewable(window) || hidden(window) || ours(window)) {
            return false;
        }
        RegionRect r;
        if (!rectOnRoot(window, &r)) {
            return false;
        }
        // The window manager's frame belongs to the window as the user sees it.
        const std::vector<unsigned long> extents = longProperty(m_display, window, "_NET_FRAME_EXTENTS", XA_CARDINAL);
        if (extents.size() >= 4) {
            r.x1 -= int(extents[0]);
            r.x2 += int(extents[1]);
            r.y1 -= int(extents[2]);
            r.y2 += int(extents[3]);
        }
        if (!qualifies(r)) {
            return false;
        }
        *rect = r;
        return true;
    }

    bool qualifies(const RegionRect& r) const {
        if (m_x < r.x1 || m_x > r.x2 || m_y < r.y1 || m_y > r.y2) {
            return false;
        }
        const int visibleWidth = std::min(r.x2, m_screenWidth - 1) - std::max(r.x1, 0) + 1;
        const int visibleHeight = std::min(r.y2, m_screenHeight - 1) - std::max(r.y1, 0) + 1;
        return visibleWidth >= kSmallestSide && visibleHeight >= kSmallestSide;
    }

    bool viewable(Window window) {
        XWindowAttributes attributes{};
        return XGetWindowAttributes(m_display, window, &attributes) && attributes.map_state == IsViewable;
    }

    bool hidden(Window window) {
        const Atom hiddenState = XInternAtom(m_display, "_NET_WM_STATE_HIDDEN", False);
        const std::vector<unsigned long> states = longProperty(m_display, window, "_NET_WM_STATE", XA_ATOM);
        return std::find(states.begin(), states.end(), hiddenState) != states.end();
    }

    bool ours(Window window) {
        const std::vector<unsigned long> pid = longProperty(m_display, window, "_NET_WM_PID", XA_CARDINAL);
        return !pid.empty() && pid[0] == m_pid;
    }

    // The window's own rectangle (without border) in root coordinates.
    bool rectOnRoot(Window window, RegionRect* rect) {
        XWindowAttributes attributes{};
        if (!XGetWindowAttributes(m_display, window, &attributes)) {
            return false;
        }
        int rootX = 0;
        int rootY = 0;
        Window child = 0;
        if (!XTranslateCoordinates(m_display, window, m_root, 0, 0, &rootX, &rootY, &child)) {
            return false;
        }
        rect->x1 = rootX;
        rect->y1 = rootY;
        rect->x2 = rootX + attributes.width - 1;
        rect->y2 = rootY + attributes.height - 1;
        return true;
    }

    Display* m_display;
    Window m_root;
    int m_x;
    int m_y;
    int m_screenWidth;
    int m_screenHeight;
    unsigned long m_pid;
    Window m_excluded;
};

// Physical pixels to logical ones: edges scale, the far corner follows the size.
RegionRect toLogical(const RegionRect& r, double scale) {
    if (scale == 1.0 || r.isEmpty()) {
        return r;
    }
    RegionRect logical;
    logical.x1 = int(std::lround(r.x1 / scale));
    logical.y1 = int(std::lround(r.y1 / scale));
    logical.x2 = logical.x1 + std::max(1, int(std::lround(r.width() / scale))) - 1;
    logical.y2 = logical.y1 + std::max(1, int(std::lround(r.height() / scale))) - 1;
    return logical;
}

} // namespace

void setExcludedWindow(uint64_t window) {
    g_excluded.store(window);
}

uint64_t excludedWindow() {
    return g_excluded.load();
}

RegionRect findWindowAt(int x, int y, double scaleFactor, uint64_t* foundWindow) {
    if (foundWindow) {
        *foundWindow = 0;
    }
    const double scale = scaleFactor > 0 ? scaleFactor : 1.0;
    std::lock_guard<std::mutex> lock(g_displayMutex);
    if (!g_display) {
        g_display = XOpenDisplay(nullptr);
        if (!g_display) {
            return RegionRect();
        }
    }
    ErrorHandlerScope errors;
    // The same rounding as the screen capture's logical-to-physical step.
    Finder finder(g_display, int(x * scale + 0.1), int(y * scale + 0.1));
    RegionRect rect;
    Window window = finder.findTopLevel(&rect);
    if (window == 0) {
        return RegionRect();
    }
    window = finder.descend(window, &rect);
    if (foundWindow) {
        *foundWindow = window;
    }
    return toLogical(rect, scale);
}

} // namespace calvorine::platform
