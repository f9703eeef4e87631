#include "platform/system/cursor_capture.h"

#include <xcb/xcb.h>
#include <xcb/xfixes.h>

#include <cstdlib>

namespace calvorine::platform {

struct CursorCapture::Impl {
    xcb_connection_t* connection = nullptr;
    xcb_window_t root = 0;
    bool xfixes = false;
    std::string error;

    bool ensureOpen();
};

bool CursorCapture::Impl::ensureOpen() {
    if (connection) {
        return true;
    }
    int screenNumber = 0;
    connection = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(connection)) {
        xcb_disconnect(connection);
        connection = nullptr;
        error = "no display connection";
        return false;
    }
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int i = 0; i < screenNumber && it.rem; ++i) {
        xcb_screen_next(&it);
    }
    if (!it.rem) {
        xcb_disconnect(connection);
        connection = nullptr;
        error = "no screen";
        return false;
    }
    root = it.data->root;
    // The server answers cursor-image requests only after the client has announced the
    // version it speaks.
    xcb_xfixes_query_version_reply_t* version = xcb_xfixes_query_version_reply(
        connection, xcb_xfixes_query_version(connection, XCB_XFIXES_MAJOR_VERSION, XCB_XFIXES_MINOR_VERSION), nullptr);
    xfixes = version && version->major_version >= 1;
    std::free(version);
    return true;
}

CursorCapture::CursorCapture() : d(std::make_unique<Impl>()) {}

CursorCapture::~CursorCapture() {
    close();
}

bool CursorCapture::open() {
    return d->ensureOpen();
}

void CursorCapture::close() {
    if (d->connection) {
        xcb_disconnect(d->connection);
    }
    d->connection = nullptr;
    d->xfixes = false;
}

bool CursorCapture::currentCursor(CursorImage& cursor) {
    if (!d->ensureOpen()) {
        return false;
    }
    if (!d->xfixes) {
        d->error = "the display has no XFixes extension";
        return false;
    }
    xcb_generic_error_t* failure = nullptr;
    xcb_xfixes_get_cursor_image_reply_t* reply =
        xcb_xfixes_get_cursor_image_reply(d->connection, xcb_xfixes_get_cursor_image(d->connection), &failure);
    std::free(failure);
    if (!reply) {
        d->error = "cursor image request failed";
        return false;
    }
    const int count = xcb_xfixes_get_cursor_image_cursor_image_length(reply);
    const int width = reply->width;
    const int height = reply->height;
    if (width <= 0 || height <= 0 || count < width * height) {
        std::free(reply);
        d->error = "no cursor image";
        return false;
    }
    const uint32_t* pixels = xcb_xfixes_get_cursor_image_cursor_image(reply);
    cursor.width = width;
    cursor.height = height;
    // A hotspot outside the image (seen from odd themes) would move the image away
    // from the pointer; keep it inside.
    cursor.hotspotX = reply->xhot < width ? reply->xhot : width - 1;
    cursor.hotspotY = reply->yhot < height ? reply->yhot : height - 1;
    cursor.x = reply->x;
    cursor.y = reply->y;
    cursor.serial = reply->cursor_serial;
    cursor.pixels.assign(pixels, pixels + size_t(width) * size_t(height));
    std::free(reply);
    return true;
}

bool CursorCapture::queryPointer(PointerState& state) {
    if (!d->ensureOpen()) {
        return false;
    }
    xcb_generic_error_t* failure = nullptr;
    xcb_query_pointer_reply_t* reply =
        xcb_query_pointer_reply(d->connection, xcb_query_pointer(d->connection, d->root), &failure);
    std::free(failure);
    if (!reply) {
        d->error = "pointer query failed";
        return false;
    }
    state.x = reply->root_x;
    state.y = reply->root_y;
    state.leftButtonDown = (reply->mask & XCB_KEY_BUT_MASK_BUTTON_1) != 0;
    std::free(reply);
    return true;
}

std::string CursorCapture::lastError() const {
    return d->error;
}

} // namespace calvorine::platform
