// Pictures of one format and size whose bytes come from a pool of reference-counted
// buffers: a picture handed to an encoder (or held for repeating) keeps its buffer
// until the last reference goes, and the buffer then waits in the pool for the next
// picture instead of being freed. Internal to the codec library.
#pragma once

#include "libav_objects.h"

#include <atomic>
#include <cstddef>

namespace calvorine::codec {

class FramePool {
public:
    // Rows aligned for the encoders' vector code; the last plane is followed by this
    // many spare bytes, which some encoders read past the picture.
    static constexpr int kRowAlignment = 64;
    static constexpr size_t kTailBytes = 64;

    FramePool(AVPixelFormat format, int width, int height);
    FramePool(const FramePool&) = delete;
    FramePool& operator=(const FramePool&) = delete;
    // Buffers still referenced (by an encoder, say) are freed when let go.
    ~FramePool();

    bool valid() const { return m_pool != nullptr; }
    bool matches(AVPixelFormat format, int width, int height) const {
        return format == m_format && width == m_width && height == m_height;
    }
    // A picture of the pool's format and size on a buffer of the pool (a new one, its
    // pages already mapped, when none is free); null when memory runs out. Its bytes
    // are those of an earlier picture. Thread-safe.
    libav::FramePtr get();
    // Buffers made so far.
    size_t made() const { return m_made.load(std::memory_order_relaxed); }

private:
    static AVBufferRef* makeBuffer(void* opaque, size_t size);

    AVBufferPool* m_pool = nullptr;
    AVPixelFormat m_format;
    int m_width;
    int m_height;
    int m_lineSizes[4] = {};
    size_t m_planeOffsets[4] = {};
    std::atomic<size_t> m_made{0};
};

} // namespace calvorine::codec
