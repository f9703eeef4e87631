#include "window_finder.h"

#include "x11_helpers.h"

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

using x11::childWindows;
using x11::ErrorHandlerScope;
using x11::longProperty;

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
        const std::vector<Window> children = childWindows(m_display, m_root);
        for (auto it = children.rbegin(); it != children.rend(); ++it) {
            XWindowAttributes attributes{};
            if (XGetWindowAttributes(m_display, *it, &attributes) && !attributes.override_redirect &&
                qualifiesAsClient(*it, rect)) {
                return *it;
            }
        }
        return 0;
    }

    // The topmost qualifying child under the point, and its own, down to the last.
    Window descend(Window window, RegionRect* rect) {
        for (;;) {
            const std::vector<Window> children = childWindows(m_display, window);
            Window next = 0;
            for (auto it = children.rbegin(); it != children.rend() && next == 0; ++it) {
                RegionRect childRect;
                if (*it != m_excluded && viewable(*it) && rectOnRoot(*it, &childRect) && qualifies(childRect)) {
                    next = *it;
                    *rect = childRect;
                }
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
