#include "hotkey_grab.h"

#include <X11/Xlib.h>
#include <X11/keysym.h>
#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

#include <cstdlib>
#include <memory>

namespace calvorine::platform {

namespace {

struct KeySymbolsDeleter {
    void operator()(xcb_key_symbols_t* symbols) const { xcb_key_symbols_free(symbols); }
};
using KeySymbols = std::unique_ptr<xcb_key_symbols_t, KeySymbolsDeleter>;

// The key codes that produce a keysym (any column), without duplicates.
std::vector<uint8_t> keycodesOf(xcb_key_symbols_t* symbols, uint32_t keysym) {
    std::vector<uint8_t> result;
    xcb_keycode_t* codes = xcb_key_symbols_get_keycode(symbols, keysym);
    if (codes == nullptr) {
        return result;
    }
    for (xcb_keycode_t* code = codes; *code != XCB_NO_SYMBOL; ++code) {
        bool known = false;
        for (uint8_t existing : result) {
            known = known || existing == *code;
        }
        if (!known) {
            result.push_back(*code);
        }
    }
    std::free(codes);
    return result;
}

// The modifier mask that NumLock sets on this keyboard (usually Mod2); 0 when none.
uint16_t numLockMask(xcb_connection_t* connection, xcb_key_symbols_t* symbols) {
    const std::vector<uint8_t> numLockCodes = keycodesOf(symbols, XK_Num_Lock);
    if (numLockCodes.empty()) {
        return 0;
    }
    xcb_get_modifier_mapping_reply_t* reply =
        xcb_get_modifier_mapping_reply(connection, xcb_get_modifier_mapping(connection), nullptr);
    if (reply == nullptr) {
        return 0;
    }
    uint16_t mask = 0;
    const xcb_keycode_t* map = xcb_get_modifier_mapping_keycodes(reply);
    const int perModifier = reply->keycodes_per_modifier;
    for (int modifier = 0; modifier < 8; ++modifier) {
        for (int i = 0; i < perModifier; ++i) {
            for (uint8_t code : numLockCodes) {
                if (map[modifier * perModifier + i] == code) {
                    mask |= static_cast<uint16_t>(1u << modifier);
                }
            }
        }
    }
    std::free(reply);
    return mask;
}

uint16_t xModifiers(unsigned modifiers) {
    uint16_t mask = 0;
    if (modifiers & HotkeyShift) {
        mask |= XCB_MOD_MASK_SHIFT;
    }
    if (modifiers & HotkeyControl) {
        mask |= XCB_MOD_MASK_CONTROL;
    }
    if (modifiers & HotkeyAlt) {
        mask |= XCB_MOD_MASK_1;
    }
    if (modifiers & HotkeySuper) {
        mask |= XCB_MOD_MASK_4;
    }
    return mask;
}

// Every combination of the lock masks: none, CapsLock, NumLock, both.
std::vector<uint16_t> lockVariants(uint16_t numLock) {
    std::vector<uint16_t> variants = {0, XCB_MOD_MASK_LOCK};
    if (numLock != 0 && numLock != XCB_MOD_MASK_LOCK) {
        variants.push_back(numLock);
        variants.push_back(static_cast<uint16_t>(numLock | XCB_MOD_MASK_LOCK));
    }
    return variants;
}

void ungrabAll(xcb_connection_t* connection, uint32_t root, const GrabbedHotkey& grabbed) {
    for (uint8_t code : grabbed.keycodes) {
        for (uint16_t lock : lockVariants(static_cast<uint16_t>(grabbed.lockMask & ~XCB_MOD_MASK_LOCK))) {
            xcb_ungrab_key(connection, code, root, static_cast<uint16_t>(grabbed.modifierMask | lock));
        }
    }
    xcb_flush(connection);
}

} // namespace

uint32_t keysymFromName(const std::string& name) {
    if (name.empty()) {
        return 0;
    }
    const KeySym keysym = XStringToKeysym(name.c_str());
    return keysym == NoSymbol ? 0 : static_cast<uint32_t>(keysym);
}

HotkeyGrabResult grabHotkey(void* xcbConnection, uint32_t rootWindow, uint32_t keysym, unsigned modifiers,
                            GrabbedHotkey* grabbed) {
    if (grabbed != nullptr) {
        *grabbed = GrabbedHotkey();
    }
    auto* connection = static_cast<xcb_connection_t*>(xcbConnection);
    if (connection == nullptr || rootWindow == 0 || grabbed == nullptr || xcb_connection_has_error(connection)) {
        return HotkeyGrabResult::NoConnection;
    }
    if (keysym == 0) {
        return HotkeyGrabResult::UnknownKey;
    }
    KeySymbols symbols(xcb_key_symbols_alloc(connection));
    if (!symbols) {
        return HotkeyGrabResult::Failed;
    }
    GrabbedHotkey attempt;
    attempt.keycodes = keycodesOf(symbols.get(), keysym);
    if (attempt.keycodes.empty()) {
        return HotkeyGrabResult::UnknownKey;
    }
    const uint16_t numLock = numLockMask(connection, symbols.get());
    attempt.modifierMask = xModifiers(modifiers);
    attempt.lockMask = static_cast<uint16_t>(XCB_MOD_MASK_LOCK | numLock);
    attempt.window = rootWindow;

    // Send every grab, then check each reply: X reports a combination that another client
    // holds as BadAccess, and only a checked request tells us.
    std::vector<xcb_void_cookie_t> cookies;
    for (uint8_t code : attempt.keycodes) {
        for (uint16_t lock : lockVariants(numLock)) {
            cookies.push_back(xcb_grab_key_checked(connection, 0, rootWindow,
                                                   static_cast<uint16_t>(attempt.modifierMask | lock), code,
                                                   XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
        }
    }
    HotkeyGrabResult result = HotkeyGrabResult::Grabbed;
    for (const xcb_void_cookie_t& cookie : cookies) {
        xcb_generic_error_t* error = xcb_request_check(connection, cookie);
        if (error != nullptr) {
            if (result == HotkeyGrabResult::Grabbed) {
                result =
                    error->error_code == XCB_ACCESS ? HotkeyGrabResult::HeldByAnotherClient : HotkeyGrabResult::Failed;
            }
            std::free(error);
        }
    }
    if (result != HotkeyGrabResult::Grabbed) {
        // Releases the variants that did succeed; ungrabbing what another client holds
        // does not touch its grab.
        ungrabAll(connection, rootWindow, attempt);
        return result;
    }
    *grabbed = attempt;
    return result;
}

void ungrabHotkey(void* xcbConnection, uint32_t rootWindow, const GrabbedHotkey& grabbed) {
    auto* connection = static_cast<xcb_connection_t*>(xcbConnection);
    if (connection == nullptr || rootWindow == 0 || grabbed.keycodes.empty() || xcb_connection_has_error(connection)) {
        return;
    }
    ungrabAll(connection, rootWindow, grabbed);
}

bool isKeyPressEvent(const void* xcbGenericEvent) {
    if (xcbGenericEvent == nullptr) {
        return false;
    }
    const auto* event = static_cast<const xcb_generic_event_t*>(xcbGenericEvent);
    return (event->response_type & 0x7f) == XCB_KEY_PRESS;
}

bool isPressOfHotkey(void*, const void* xcbGenericEvent, const GrabbedHotkey& grabbed) {
    if (!isKeyPressEvent(xcbGenericEvent) || grabbed.keycodes.empty()) {
        return false;
    }
    const auto* press = static_cast<const xcb_key_press_event_t*>(xcbGenericEvent);
    if (press->event != grabbed.window) {
        return false;
    }
    bool keyMatches = false;
    for (uint8_t code : grabbed.keycodes) {
        keyMatches = keyMatches || code == press->detail;
    }
    if (!keyMatches) {
        return false;
    }
    // Lock keys and held mouse buttons (the bits above the eight modifiers) do not change
    // the combination.
    const uint16_t state = static_cast<uint16_t>(press->state & 0x00ff & ~grabbed.lockMask);
    return state == grabbed.modifierMask;
}

} // namespace calvorine::platform
