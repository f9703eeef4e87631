#include "frame_pool.h"

extern "C" {
#include <libavutil/imgutils.h>
}

#include <cstring>

namespace calvorine::codec {

FramePool::FramePool(AVPixelFormat format, int width, int height) : m_format(format), m_width(width), m_height(height) {
    if (av_image_fill_linesizes(m_lineSizes, format, width) < 0)
        return;
    ptrdiff_t lines[4] = {};
    for (int i = 0; i < 4; ++i) {
        m_lineSizes[i] = FFALIGN(m_lineSizes[i], kRowAlignment);
        lines[i] = m_lineSizes[i];
    }
    size_t planeSizes[4] = {};
    if (av_image_fill_plane_sizes(planeSizes, format, height, lines) < 0)
        return;
    size_t total = 0;
    for (int i = 0; i < 4; ++i) {
        m_planeOffsets[i] = total;
        total += planeSizes[i];
    }
    m_pool = av_buffer_pool_init2(total + kTailBytes, this, &FramePool::makeBuffer, nullptr);
}

FramePool::~FramePool() {
    av_buffer_pool_uninit(&m_pool);
}

AVBufferRef* FramePool::makeBuffer(void* opaque, size_t size) {
    AVBufferRef* buffer = av_buffer_alloc(size);
    if (!buffer)
        return nullptr;
    // Map the pages now, while the buffer is made, not during the first picture's
    // conversion.
    std::memset(buffer->data, 0, size);
    static_cast<FramePool*>(opaque)->m_made.fetch_add(1, std::memory_order_relaxed);
    return buffer;
}

libav::FramePtr FramePool::get() {
    if (!m_pool)
        return {};
    libav::FramePtr frame = libav::makeFrame();
    if (!frame)
        return {};
    frame->buf[0] = av_buffer_pool_get(m_pool);
    if (!frame->buf[0])
        return {};
    for (int i = 0; i < 4 && m_lineSizes[i] > 0; ++i) {
        frame->data[i] = frame->buf[0]->data + m_planeOffsets[i];
        frame->linesize[i] = m_lineSizes[i];
    }
    frame->extended_data = frame->data;
    frame->format = m_format;
    frame->width = m_width;
    frame->height = m_height;
    return frame;
}

} // namespace calvorine::codec
