#include "window_overlay.h"

#include <xcb/xcb.h>
#include <xcb/xfixes.h>

#include <cstdlib>
#include <cstring>
#include <limits>

namespace calvorine::platform {

namespace {

// Kinds of the shape extension (shape.h): the drawn outline and the input outline.
constexpr uint8_t kShapeBounding = 0;
constexpr uint8_t kShapeInput = 2;

xcb_connection_t* connectionOf(void* xcbConnection) {
    auto* connection = static_cast<xcb_connection_t*>(xcbConnection);
    if (!connection || xcb_connection_has_error(connection)) {
        return nullptr;
    }
    return connection;
}

// Region requests need XFixes 2; a client must announce the version it speaks first.
// The answer is kept for the last connection asked about (overlays move many times a
// second).
bool xfixesReady(xcb_connection_t* connection) {
    static xcb_connection_t* askedConnection = nullptr;
    static bool ready = false;
    if (connection == askedConnection) {
        return ready;
    }
    ready = false;
    const xcb_query_extension_reply_t* extension = xcb_get_extension_data(connection, &xcb_xfixes_id);
    if (extension && extension->present) {
        xcb_xfixes_query_version_reply_t* version =
            xcb_xfixes_query_version_reply(connection, xcb_xfixes_query_version(connection, 5, 0), nullptr);
        ready = version && version->major_version >= 2;
        std::free(version);
    }
    askedConnection = connection;
    return ready;
}

int16_t clampCoordinate(int value) {
    if (value < std::numeric_limits<int16_t>::min()) {
        return std::numeric_limits<int16_t>::min();
    }
    if (value > std::numeric_limits<int16_t>::max()) {
        return std::numeric_limits<int16_t>::max();
    }
    return int16_t(value);
}

uint16_t clampExtent(int value) {
    return uint16_t(value > 0xFFFF ? 0xFFFF : value);
}

// Sets one kind of the window's shape to the rectangles; `reset` gives the default
// shape back instead.
bool setShapeRegion(void* xcbConnection, uint32_t window, uint8_t kind, const std::vector<RegionRect>* rects) {
    xcb_connection_t* connection = connectionOf(xcbConnection);
    if (!connection || window == 0 || !xfixesReady(connection)) {
        return false;
    }
    xcb_xfixes_region_t region = XCB_NONE;
    if (rects) {
        std::vector<xcb_rectangle_t> boxes;
        boxes.reserve(rects->size());
        for (const RegionRect& r : *rects) {
            if (!r.isEmpty()) {
                boxes.push_back(
                    {clampCoordinate(r.x1), clampCoordinate(r.y1), clampExtent(r.width()), clampExtent(r.height())});
            }
        }
        region = xcb_generate_id(connection);
        xcb_xfixes_create_region(connection, region, uint32_t(boxes.size()), boxes.data());
    }
    xcb_void_cookie_t cookie = xcb_xfixes_set_window_shape_region_checked(connection, window, kind, 0, 0, region);
    xcb_generic_error_t* error = xcb_request_check(connection, cookie);
    if (region != XCB_NONE) {
        xcb_xfixes_destroy_region(connection, region);
    }
    xcb_flush(connection);
    const bool ok = error == nullptr;
    std::free(error);
    return ok;
}

xcb_atom_t internAtom(xcb_connection_t* connection, const char* name) {
    xcb_intern_atom_reply_t* reply =
        xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 0, uint16_t(std::strlen(name)), name), nullptr);
    const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return atom;
}

xcb_window_t rootOf(xcb_connection_t* connection, uint32_t window) {
    xcb_get_geometry_reply_t* geometry =
        xcb_get_geometry_reply(connection, xcb_get_geometry(connection, window), nullptr);
    const xcb_window_t root = geometry ? geometry->root : XCB_NONE;
    std::free(geometry);
    return root;
}

} // namespace

bool setWindowInputRegion(void* xcbConnection, uint32_t window, const std::vector<RegionRect>& rects) {
    return setShapeRegion(xcbConnection, window, kShapeInput, &rects);
}

bool resetWindowInputRegion(void* xcbConnection, uint32_t window) {
    return setShapeRegion(xcbConnection, window, kShapeInput, nullptr);
}

bool setWindowBoundingRegion(void* xcbConnection, uint32_t window, const std::vector<RegionRect>& rects) {
    return setShapeRegion(xcbConnection, window, kShapeBounding, &rects);
}

bool resetWindowBoundingRegion(void* xcbConnection, uint32_t window) {
    return setShapeRegion(xcbConnection, window, kShapeBounding, nullptr);
}

bool setWindowKeepAbove(void* xcbConnection, uint32_t window, bool above) {
    xcb_connection_t* connection = connectionOf(xcbConnection);
    if (!connection || window == 0) {
        return false;
    }
    const xcb_window_t root = rootOf(connection, window);
    if (root == XCB_NONE) {
        return false;
    }
    xcb_client_message_event_t event;
    std::memset(&event, 0, sizeof event);
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = internAtom(connection, "_NET_WM_STATE");
    event.data.data32[0] = above ? 1 : 0; // _NET_WM_STATE_ADD or _NET_WM_STATE_REMOVE
    event.data.data32[1] = internAtom(connection, "_NET_WM_STATE_ABOVE");
    event.data.data32[2] = 0;
    event.data.data32[3] = 1; // source: a normal application
    xcb_send_event(connection, 0, root, XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&event));
    xcb_flush(connection);
    return true;
}

bool isWindowKeptAbove(void* xcbConnection, uint32_t window) {
    xcb_connection_t* connection = connectionOf(xcbConnection);
    if (!connection || window == 0) {
        return false;
    }
    const xcb_atom_t state = internAtom(connection, "_NET_WM_STATE");
    const xcb_atom_t above = internAtom(connection, "_NET_WM_STATE_ABOVE");
    if (state == XCB_ATOM_NONE || above == XCB_ATOM_NONE) {
        return false;
    }
    // A window holds a handful of states; 64 is far more than any window manager sets.
    xcb_get_property_reply_t* reply = xcb_get_property_reply(
        connection, xcb_get_property(connection, 0, window, state, XCB_ATOM_ATOM, 0, 64), nullptr);
    bool found = false;
    if (reply && reply->type == XCB_ATOM_ATOM && reply->format == 32) {
        const auto* atoms = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply));
        const int count = xcb_get_property_value_length(reply) / int(sizeof(xcb_atom_t));
        for (int i = 0; i < count && !found; ++i) {
            found = atoms[i] == above;
        }
    }
    std::free(reply);
    return found;
}

bool windowRootPosition(void* xcbConnection, uint32_t window, int* x, int* y) {
    xcb_connection_t* connection = connectionOf(xcbConnection);
    if (!connection || window == 0 || !x || !y) {
        return false;
    }
    const xcb_window_t root = rootOf(connection, window);
    if (root == XCB_NONE) {
        return false;
    }
    xcb_translate_coordinates_reply_t* reply =
        xcb_translate_coordinates_reply(connection, xcb_translate_coordinates(connection, window, root, 0, 0), nullptr);
    if (!reply) {
        return false;
    }
    *x = reply->dst_x;
    *y = reply->dst_y;
    std::free(reply);
    return true;
}

bool stackWindowBelow(void* xcbConnection, uint32_t window, uint32_t reference) {
    xcb_connection_t* connection = connectionOf(xcbConnection);
    if (!connection || window == 0 || reference == 0 || window == reference) {
        return false;
    }
    // Up from the reference to the root's child that holds it.
    xcb_window_t topLevel = reference;
    for (;;) {
        xcb_query_tree_reply_t* tree = xcb_query_tree_reply(connection, xcb_query_tree(connection, topLevel), nullptr);
        if (!tree) {
            return false;
        }
        const xcb_window_t parent = tree->parent;
        const xcb_window_t root = tree->root;
        std::free(tree);
        if (parent == XCB_NONE) {
            return false;
        }
        if (parent == root) {
            break;
        }
        topLevel = parent;
    }
    if (topLevel == window) {
        return false;
    }
    const uint32_t values[] = {topLevel, XCB_STACK_MODE_BELOW};
    xcb_void_cookie_t cookie = xcb_configure_window_checked(
        connection, window, XCB_CONFIG_WINDOW_SIBLING | XCB_CONFIG_WINDOW_STACK_MODE, values);
    xcb_generic_error_t* error = xcb_request_check(connection, cookie);
    const bool ok = error == nullptr;
    std::free(error);
    return ok;
}

namespace {

// The major opcode of the XInput extension on the last connection asked about; 0 when
// the server has none.
uint8_t xinputOpcode(xcb_connection_t* connection) {
    static xcb_connection_t* askedConnection = nullptr;
    static uint8_t opcode = 0;
    if (connection != askedConnection) {
        askedConnection = connection;
        opcode = 0;
        static const char kName[] = "XInputExtension";
        xcb_query_extension_reply_t* reply =
            xcb_query_extension_reply(connection, xcb_query_extension(connection, sizeof kName - 1, kName), nullptr);
        if (reply != nullptr) {
            opcode = reply->present ? reply->major_opcode : 0;
            std::free(reply);
        }
    }
    return opcode;
}

// The start of an XInput 2 device event as it arrives in a generic event; what follows
// (and the 32-bit sequence xcb inserts after the first 32 bytes) is not read.
struct XiDeviceEventHead {
    uint8_t responseType;
    uint8_t extension;
    uint16_t sequence;
    uint32_t length;
    uint16_t eventType;
    uint16_t deviceId;
    uint32_t time;
    uint32_t detail;
    uint32_t root;
    uint32_t event;
    uint32_t child;
};
static_assert(sizeof(XiDeviceEventHead) == 32, "the head of an XInput 2 device event is 32 bytes");

constexpr uint16_t kXiButtonPress = 4;

} // namespace

bool readButtonPress(void* xcbConnection, const void* xcbGenericEvent, uint32_t* window, int* button) {
    if (xcbGenericEvent == nullptr || window == nullptr || button == nullptr) {
        return false;
    }
    const auto* event = static_cast<const xcb_generic_event_t*>(xcbGenericEvent);
    const uint8_t type = event->response_type & 0x7f;
    if (type == XCB_BUTTON_PRESS) {
        const auto* press = static_cast<const xcb_button_press_event_t*>(xcbGenericEvent);
        *window = press->event;
        *button = press->detail;
        return true;
    }
    xcb_connection_t* connection = connectionOf(xcbConnection);
    if (type != XCB_GE_GENERIC || connection == nullptr) {
        return false;
    }
    const auto* head = static_cast<const XiDeviceEventHead*>(xcbGenericEvent);
    const uint8_t opcode = xinputOpcode(connection);
    if (opcode == 0 || head->extension != opcode || head->eventType != kXiButtonPress) {
        return false;
    }
    *window = head->event;
    *button = static_cast<int>(head->detail);
    return true;
}

} // namespace calvorine::platform
