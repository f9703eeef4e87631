// The desktop's scale factor on X11: the resource Xft.dpi divided by 96, the setting
// through which X11 desktops ask programs to scale. Thread-safe.
#pragma once

#include <string>

namespace calvorine::platform {

// The factor of the display named by $DISPLAY; 0 when there is no display or no Xft.dpi.
double readDisplayScaleFactor();

// The factor from a resource-manager string ("Xft.dpi:\t144\n..." gives 1.5); 0 when it
// holds no usable Xft.dpi.
double scaleFactorFromResources(const std::string& resourceManagerText);

} // namespace calvorine::platform
