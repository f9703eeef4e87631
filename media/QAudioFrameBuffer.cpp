#include "media/QAudioFrameBuffer.h"

#include <cstring>

QAudioFrameBuffer::QAudioFrameBuffer(QObject* parent) : QObject(parent) {}

QAudioFrameBuffer::~QAudioFrameBuffer() = default;

void QAudioFrameBuffer::push(const uint8_t* data, int length, int64_t timestamp) {
    if (!data || length < 1) {
        return;
    }
    Frame frame;
    frame.data.reset(new uint8_t[size_t(length)]);
    std::memcpy(frame.data.get(), data, size_t(length));
    frame.length = length;
    frame.timestamp = timestamp;
    m_frames.push_back(std::move(frame));
}

int QAudioFrameBuffer::count() const {
    return int(m_frames.size());
}

const QAudioFrameBuffer::Frame* QAudioFrameBuffer::front() const {
    return m_frames.empty() ? nullptr : &m_frames.front();
}

void QAudioFrameBuffer::popFront() {
    if (!m_frames.empty()) {
        m_frames.pop_front();
    }
}
