#include "display_scale.h"

#include <X11/Xlib.h>

#include <cstdlib>
#include <sstream>

namespace calvorine::platform {

double scaleFactorFromResources(const std::string& resourceManagerText) {
    std::istringstream lines(resourceManagerText);
    std::string line;
    while (std::getline(lines, line)) {
        const std::string key = "Xft.dpi:";
        if (line.compare(0, key.size(), key) != 0) {
            continue;
        }
        const std::string value = line.substr(key.size());
        char* end = nullptr;
        const double dpi = std::strtod(value.c_str(), &end);
        // 96 dpi is 1.0; anything outside a sane range is ignored rather than trusted.
        if (end != value.c_str() && dpi >= 24.0 && dpi <= 960.0) {
            return dpi / 96.0;
        }
        return 0.0;
    }
    return 0.0;
}

double readDisplayScaleFactor() {
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        return 0.0;
    }
    const char* resources = XResourceManagerString(display);
    const double factor = resources != nullptr ? scaleFactorFromResources(resources) : 0.0;
    XCloseDisplay(display);
    return factor;
}

} // namespace calvorine::platform
