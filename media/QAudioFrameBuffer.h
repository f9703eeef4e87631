// A small queue of captured sound frames, oldest first. It smooths the hand-over from a
// capture thread to the codec library's recorder: the capture thread keeps a few frames
// back and hands on the oldest, so the encoder receives them with a short, steady delay.
//
// No lock: only the capture thread that made a queue touches it.
#pragma once

#include <QObject>

#include <cstdint>
#include <deque>
#include <memory>

class QAudioFrameBuffer : public QObject {
    Q_OBJECT
public:
    struct Frame {
        std::unique_ptr<uint8_t[]> data; // owned copy of the samples
        int length = 0;                  // bytes
        int64_t timestamp = 0;           // microseconds on the recording's clock
    };

    explicit QAudioFrameBuffer(QObject* parent = nullptr);
    ~QAudioFrameBuffer() override;

    // Copies `length` bytes into a new frame at the end of the queue. Nothing for a null
    // pointer or a length below 1.
    void push(const uint8_t* data, int length, int64_t timestamp);
    int count() const;
    // The oldest frame, or null when the queue is empty. Valid until popFront.
    const Frame* front() const;
    // Frees and removes the oldest frame (nothing when empty).
    void popFront();

private:
    std::deque<Frame> m_frames;
};
