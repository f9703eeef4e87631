#include "hotkey_grab.h"

namespace calvorine::platform {

uint32_t keysymFromName(const std::string&) { return 0; }

HotkeyGrabResult grabHotkey(void*, uint32_t, uint32_t, unsigned, GrabbedHotkey* grabbed) {
    if (grabbed != nullptr) {
        *grabbed = GrabbedHotkey();
    }
    return HotkeyGrabResult::Failed;
}

void ungrabHotkey(void*, uint32_t, const GrabbedHotkey&) {}

bool isPressOfHotkey(void*, const void*, const GrabbedHotkey&) { return false; }

bool isKeyPressEvent(const void*) { return false; }

} // namespace calvorine::platform
