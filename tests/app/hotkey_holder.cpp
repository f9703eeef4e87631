// Helper of test_app_hotkeys: another X client that grabs a key combination on the root
// window and keeps it until it is killed or its standard input closes.
//   hotkey_holder KEYSYM-NAME MODIFIERS      (MODIFIERS: any of "shift,ctrl,alt,super")
// Prints "grabbed" or "failed" on a line of its own.
#include "platform/system/hotkey_grab.h"

#include <xcb/xcb.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: hotkey_holder KEYSYM MODIFIERS\n");
        return 2;
    }
    using namespace calvorine::platform;
    unsigned modifiers = 0;
    const std::string list = argv[2];
    if (list.find("shift") != std::string::npos)
        modifiers |= HotkeyShift;
    if (list.find("ctrl") != std::string::npos)
        modifiers |= HotkeyControl;
    if (list.find("alt") != std::string::npos)
        modifiers |= HotkeyAlt;
    if (list.find("super") != std::string::npos)
        modifiers |= HotkeySuper;

    int screenNumber = 0;
    xcb_connection_t* connection = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(connection)) {
        std::printf("failed\n");
        return 1;
    }
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int i = 0; i < screenNumber; ++i) {
        xcb_screen_next(&screens);
    }
    GrabbedHotkey grabbed;
    const HotkeyGrabResult result =
        grabHotkey(connection, screens.data->root, keysymFromName(argv[1]), modifiers, &grabbed);
    std::printf(result == HotkeyGrabResult::Grabbed ? "grabbed\n" : "failed\n");
    std::fflush(stdout);
    char buffer[64];
    while (read(0, buffer, sizeof(buffer)) > 0) {
    }
    ungrabHotkey(connection, screens.data->root, grabbed);
    xcb_disconnect(connection);
    return 0;
}
