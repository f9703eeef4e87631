// Global hotkeys on X11: a key combination is grabbed on the root window for every
// combination of the lock modifiers (CapsLock, NumLock), so it works whatever their state.
// A combination that another X client holds is refused (BadAccess) and nothing is kept.
// The connection is the application's own xcb connection (Qt: QX11Info::connection()), so
// the grabbed presses arrive in its event stream and its native event filter sees them.
// Call from the thread that owns the connection's use (the GUI thread).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace calvorine::platform {

// Our own modifier bits.
enum HotkeyModifier : unsigned {
    HotkeyShift = 1,
    HotkeyControl = 2,
    HotkeyAlt = 4,
    HotkeySuper = 8,
};

// What a successful grab holds: the key codes that produce the keysym on this keyboard
// and the X modifier mask of the combination.
struct GrabbedHotkey {
    std::vector<uint8_t> keycodes;
    uint16_t modifierMask = 0; // X modifier mask of the combination
    uint16_t lockMask = 0;     // CapsLock and NumLock masks of this keyboard, ignored when matching
    uint32_t window = 0;       // the window the combination is grabbed on (the root)
};

enum class HotkeyGrabResult {
    Grabbed,
    HeldByAnotherClient, // BadAccess: another X client grabbed the combination
    UnknownKey,          // the keysym name is unknown or no key produces it
    NoConnection,        // null connection or root window
    Failed,              // any other X error
};

// The keysym of a name such as "F11", "a", "KP_Multiply" or "Print"; 0 when unknown.
uint32_t keysymFromName(const std::string& name);

// Grabs keysym + modifiers (HotkeyModifier bits) on `rootWindow` for each lock variant.
// On success fills *grabbed; on any failure releases what it had grabbed and leaves
// *grabbed empty.
HotkeyGrabResult grabHotkey(void* xcbConnection, uint32_t rootWindow, uint32_t keysym, unsigned modifiers,
                            GrabbedHotkey* grabbed);

// Releases every lock variant of a grab. Nothing for an empty grab.
void ungrabHotkey(void* xcbConnection, uint32_t rootWindow, const GrabbedHotkey& grabbed);

// True when the xcb event (xcb_generic_event_t*) is a key press of the grabbed
// combination, whatever the state of the lock keys, that came through the grab: a press
// reported on another window (typed into one of our own windows while they hold the
// keyboard) is an ordinary key.
bool isPressOfHotkey(void* xcbConnection, const void* xcbGenericEvent, const GrabbedHotkey& grabbed);

// True when the xcb event is a key press (of any key).
bool isKeyPressEvent(const void* xcbGenericEvent);

} // namespace calvorine::platform
