#include "platform/system/screen_capture.h"

#include <xcb/shm.h>
#include <xcb/xcb.h>

#include <sys/ipc.h>
#include <sys/shm.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace calvorine::platform {

namespace {

struct ConnectionCloser {
    void operator()(xcb_connection_t* c) const { xcb_disconnect(c); }
};
using Connection = std::unique_ptr<xcb_connection_t, ConnectionCloser>;

// A span of physical pixels that makes up one logical pixel; empty when the logical
// pixel lies outside the screen.
struct Span {
    int begin = 0;
    int end = 0;
};

// For each of the logical pixels 0..logicalCount-1, the pixels of the grabbed region
// (which starts at physical grabbedStart and is grabbedCount long) that cover it.
std::vector<Span> mapSpans(int logicalCount, int physicalStart, int physicalCount, int grabbedStart, int grabbedCount) {
    std::vector<Span> spans(static_cast<size_t>(logicalCount));
    for (int i = 0; i < logicalCount; ++i) {
        int begin = physicalStart + static_cast<int>(int64_t(i) * physicalCount / logicalCount);
        int end = physicalStart + static_cast<int>(int64_t(i + 1) * physicalCount / logicalCount);
        end = std::max(end, begin + 1);
        begin = std::max(begin, grabbedStart) - grabbedStart;
        end = std::min(end, grabbedStart + grabbedCount) - grabbedStart;
        if (begin < end) {
            spans[size_t(i)] = {begin, end};
        }
    }
    return spans;
}

} // namespace

int toPhysicalPixels(double scaleFactor, int logical) {
    // Rounded down, not toward zero: a rectangle that starts left of or above the screen
    // keeps its size.
    return static_cast<int>(std::floor(scaleFactor * logical + 0.1));
}

bool screenSize(int& width, int& height) {
    int screenNumber = 0;
    Connection connection(xcb_connect(nullptr, &screenNumber));
    if (xcb_connection_has_error(connection.get())) {
        return false;
    }
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(connection.get()));
    for (int i = 0; i < screenNumber && it.rem; ++i) {
        xcb_screen_next(&it);
    }
    if (!it.rem) {
        return false;
    }
    width = it.data->width_in_pixels;
    height = it.data->height_in_pixels;
    return true;
}

struct ScreenCapture::Impl {
    Connection connection;
    xcb_window_t root = 0;

    // The logical frame and the physical rectangle it is read from.
    int width = 0;
    int height = 0;
    int physicalX = 0;
    int physicalY = 0;
    int physicalWidth = 0;
    int physicalHeight = 0;

    // The part of the physical rectangle that lies on the screen: what is read.
    int grabX = 0;
    int grabY = 0;
    int grabWidth = 0;
    int grabHeight = 0;

    // Shared memory: the server writes the grabbed region straight into it.
    int shmId = -1;
    uint8_t* shmData = nullptr;
    xcb_shm_seg_t shmSegment = 0;
    bool shmAttached = false;
    bool shmAllowed = true;

    // The frame when it is not the grabbed region itself (clamped or scaled).
    std::vector<uint8_t> frame;
    std::vector<Span> columns;
    std::vector<Span> rows;
    // The last plain-request reply, kept until the next grab.
    std::vector<uint8_t> fallback;

    std::string error;

    bool frameIsGrabbedRegion() const {
        return grabX == physicalX && grabY == physicalY && grabWidth == width && grabHeight == height &&
               physicalWidth == width && physicalHeight == height;
    }

    bool connect();
    void attachSharedMemory();
    void detachSharedMemory();
    uint8_t* readRegion();
    uint8_t* compose(const uint8_t* region);
};

bool ScreenCapture::Impl::connect() {
    int screenNumber = 0;
    connection.reset(xcb_connect(nullptr, &screenNumber));
    if (xcb_connection_has_error(connection.get())) {
        error = "no display connection";
        connection.reset();
        return false;
    }
    const xcb_setup_t* setup = xcb_get_setup(connection.get());
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(setup);
    for (int i = 0; i < screenNumber && it.rem; ++i) {
        xcb_screen_next(&it);
    }
    if (!it.rem) {
        error = "no screen";
        return false;
    }
    // Frames are 32 bits per pixel, blue in the lowest byte: the form of every true-colour
    // server on a little-endian machine. Anything else is refused rather than misread.
    bool thirtyTwoBits = false;
    xcb_format_iterator_t formats = xcb_setup_pixmap_formats_iterator(setup);
    for (; formats.rem; xcb_format_next(&formats)) {
        if (formats.data->depth == it.data->root_depth) {
            thirtyTwoBits = formats.data->bits_per_pixel == 32;
        }
    }
    if (!thirtyTwoBits || setup->image_byte_order != XCB_IMAGE_ORDER_LSB_FIRST) {
        error = "the screen's pixel format is not 32-bit BGRA";
        return false;
    }
    root = it.data->root;
    return true;
}

void ScreenCapture::Impl::attachSharedMemory() {
    xcb_connection_t* c = connection.get();
    xcb_shm_query_version_reply_t* version = xcb_shm_query_version_reply(c, xcb_shm_query_version(c), nullptr);
    if (!version) {
        return;
    }
    std::free(version);
    size_t bytes = size_t(grabWidth) * size_t(grabHeight) * 4;
    shmId = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
    if (shmId < 0) {
        return;
    }
    void* address = shmat(shmId, nullptr, 0);
    if (address == reinterpret_cast<void*>(-1)) {
        shmctl(shmId, IPC_RMID, nullptr);
        shmId = -1;
        return;
    }
    shmData = static_cast<uint8_t*>(address);
    shmSegment = xcb_generate_id(c);
    xcb_generic_error_t* failure = xcb_request_check(c, xcb_shm_attach_checked(c, shmSegment, uint32_t(shmId), 0));
    // Marked for removal at once: the segment goes away with the last detach, even when
    // the process dies without closing.
    shmctl(shmId, IPC_RMID, nullptr);
    if (failure) {
        // A remote server cannot reach our memory.
        std::free(failure);
        shmdt(shmData);
        shmData = nullptr;
        shmId = -1;
        return;
    }
    shmAttached = true;
}

void ScreenCapture::Impl::detachSharedMemory() {
    if (shmAttached && connection) {
        // Waits for the server's detach, so that the segment is gone when this returns.
        std::free(xcb_request_check(connection.get(), xcb_shm_detach_checked(connection.get(), shmSegment)));
    }
    shmAttached = false;
    if (shmData) {
        shmdt(shmData);
    }
    shmData = nullptr;
    shmId = -1;
}

uint8_t* ScreenCapture::Impl::readRegion() {
    xcb_connection_t* c = connection.get();
    xcb_generic_error_t* failure = nullptr;
    if (shmAttached) {
        xcb_shm_get_image_cookie_t cookie =
            xcb_shm_get_image(c, root, int16_t(grabX), int16_t(grabY), uint16_t(grabWidth), uint16_t(grabHeight), ~0u,
                              XCB_IMAGE_FORMAT_Z_PIXMAP, shmSegment, 0);
        xcb_shm_get_image_reply_t* reply = xcb_shm_get_image_reply(c, cookie, &failure);
        std::free(failure);
        if (!reply) {
            error = "shared-memory image request failed";
            return nullptr;
        }
        std::free(reply);
        return shmData;
    }
    xcb_get_image_cookie_t cookie = xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, root, int16_t(grabX), int16_t(grabY),
                                                  uint16_t(grabWidth), uint16_t(grabHeight), ~0u);
    xcb_get_image_reply_t* reply = xcb_get_image_reply(c, cookie, &failure);
    std::free(failure);
    if (!reply) {
        error = "image request failed";
        return nullptr;
    }
    size_t bytes = size_t(grabWidth) * size_t(grabHeight) * 4;
    if (size_t(xcb_get_image_data_length(reply)) < bytes) {
        std::free(reply);
        error = "image reply too short";
        return nullptr;
    }
    fallback.assign(xcb_get_image_data(reply), xcb_get_image_data(reply) + bytes);
    std::free(reply);
    return fallback.data();
}

// Builds the logical frame from the grabbed region: each logical pixel is the average of
// the physical pixels it covers (a straight copy when the scale is 1); pixels off the
// screen are black. The frame is cleared first: the caller may have drawn into it.
uint8_t* ScreenCapture::Impl::compose(const uint8_t* region) {
    const size_t regionStride = size_t(grabWidth) * 4;
    const size_t frameStride = size_t(width) * 4;
    std::memset(frame.data(), 0, frame.size());
    if (physicalWidth == width && physicalHeight == height) {
        const int left = grabX - physicalX;
        const int top = grabY - physicalY;
        for (int y = 0; y < grabHeight; ++y) {
            std::memcpy(frame.data() + size_t(top + y) * frameStride + size_t(left) * 4,
                        region + size_t(y) * regionStride, regionStride);
        }
        return frame.data();
    }
    for (int y = 0; y < height; ++y) {
        const Span row = rows[size_t(y)];
        if (row.begin >= row.end) {
            continue;
        }
        uint8_t* out = frame.data() + size_t(y) * frameStride;
        for (int x = 0; x < width; ++x) {
            const Span column = columns[size_t(x)];
            if (column.begin >= column.end) {
                continue;
            }
            uint32_t sum[3] = {0, 0, 0};
            for (int sy = row.begin; sy < row.end; ++sy) {
                const uint8_t* in = region + size_t(sy) * regionStride + size_t(column.begin) * 4;
                for (int sx = column.begin; sx < column.end; ++sx, in += 4) {
                    sum[0] += in[0];
                    sum[1] += in[1];
                    sum[2] += in[2];
                }
            }
            const uint32_t count = uint32_t(row.end - row.begin) * uint32_t(column.end - column.begin);
            out[size_t(x) * 4 + 0] = uint8_t(sum[0] / count);
            out[size_t(x) * 4 + 1] = uint8_t(sum[1] / count);
            out[size_t(x) * 4 + 2] = uint8_t(sum[2] / count);
        }
    }
    return frame.data();
}

ScreenCapture::ScreenCapture() : d(std::make_unique<Impl>()) {}

ScreenCapture::~ScreenCapture() {
    close();
}

bool ScreenCapture::open(int x, int y, int width, int height, double scaleFactor) {
    close();
    d->error.clear();
    if (width <= 0 || height <= 0 || width > 32767 || height > 32767) {
        d->error = "empty or oversized capture rectangle";
        return false;
    }
    if (!(scaleFactor > 0.0) || !std::isfinite(scaleFactor)) {
        scaleFactor = 1.0;
    }
    if (!d->connect()) {
        close();
        return false;
    }
    int screenWidth = 0;
    int screenHeight = 0;
    {
        xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(d->connection.get()));
        for (; it.rem; xcb_screen_next(&it)) {
            if (it.data->root == d->root) {
                screenWidth = it.data->width_in_pixels;
                screenHeight = it.data->height_in_pixels;
            }
        }
    }
    d->width = width;
    d->height = height;
    d->physicalX = toPhysicalPixels(scaleFactor, x);
    d->physicalY = toPhysicalPixels(scaleFactor, y);
    d->physicalWidth = std::max(1, toPhysicalPixels(scaleFactor, width));
    d->physicalHeight = std::max(1, toPhysicalPixels(scaleFactor, height));
    // Only the part on the screen is asked for: the server refuses a request that
    // reaches beyond the root window.
    const int64_t left = std::max<int64_t>(d->physicalX, 0);
    const int64_t top = std::max<int64_t>(d->physicalY, 0);
    const int64_t right = std::min<int64_t>(int64_t(d->physicalX) + d->physicalWidth, screenWidth);
    const int64_t bottom = std::min<int64_t>(int64_t(d->physicalY) + d->physicalHeight, screenHeight);
    if (left >= right || top >= bottom) {
        d->error = "the capture rectangle lies outside the screen";
        close();
        return false;
    }
    d->grabX = int(left);
    d->grabY = int(top);
    d->grabWidth = int(right - left);
    d->grabHeight = int(bottom - top);
    if (d->shmAllowed) {
        d->attachSharedMemory();
    }
    if (!d->frameIsGrabbedRegion()) {
        d->frame.assign(size_t(width) * size_t(height) * 4, 0);
        d->columns = mapSpans(width, d->physicalX, d->physicalWidth, d->grabX, d->grabWidth);
        d->rows = mapSpans(height, d->physicalY, d->physicalHeight, d->grabY, d->grabHeight);
    }
    return true;
}

void ScreenCapture::close() {
    d->detachSharedMemory();
    d->connection.reset();
    d->root = 0;
    d->width = d->height = 0;
    d->frame = {};
    d->columns = {};
    d->rows = {};
    d->fallback = {};
}

bool ScreenCapture::isOpen() const {
    return d->connection != nullptr && d->width > 0;
}

uint8_t* ScreenCapture::grab() {
    if (!isOpen()) {
        d->error = "not open";
        return nullptr;
    }
    if (xcb_connection_has_error(d->connection.get())) {
        d->error = "display connection lost";
        return nullptr;
    }
    uint8_t* region = d->readRegion();
    if (!region) {
        return nullptr;
    }
    return d->frameIsGrabbedRegion() ? region : d->compose(region);
}

int ScreenCapture::width() const {
    return d->width;
}
int ScreenCapture::height() const {
    return d->height;
}
int ScreenCapture::bytesPerLine() const {
    return d->width * 4;
}
bool ScreenCapture::usesSharedMemory() const {
    return d->shmAttached;
}
void ScreenCapture::setSharedMemoryAllowed(bool allowed) {
    d->shmAllowed = allowed;
}
std::string ScreenCapture::lastError() const {
    return d->error;
}

} // namespace calvorine::platform
