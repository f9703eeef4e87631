#include "timeline.h"

#include <algorithm>

namespace calvorine::codec {

void Timeline::start(int64_t nowUs) {
    std::lock_guard<std::mutex> guard(m_lock);
    m_startUs = nowUs;
    m_pauseStartUs = -1;
    m_stopUs = -1;
    m_pauses.clear();
}

void Timeline::pause(int64_t nowUs) {
    std::lock_guard<std::mutex> guard(m_lock);
    if (m_pauseStartUs < 0 && m_stopUs < 0)
        m_pauseStartUs = nowUs - m_startUs;
}

void Timeline::resume(int64_t nowUs) {
    std::lock_guard<std::mutex> guard(m_lock);
    if (m_pauseStartUs < 0 || m_stopUs >= 0)
        return;
    m_pauses.emplace_back(m_pauseStartUs, std::max(m_pauseStartUs, nowUs - m_startUs));
    m_pauseStartUs = -1;
}

void Timeline::stop(int64_t nowUs) {
    std::lock_guard<std::mutex> guard(m_lock);
    if (m_stopUs >= 0)
        return;
    m_stopUs = m_pauseStartUs >= 0 ? m_pauseStartUs : nowUs - m_startUs;
}

bool Timeline::isPaused() const {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_pauseStartUs >= 0;
}

int64_t Timeline::recordedAt(int64_t nowUs) const {
    std::lock_guard<std::mutex> guard(m_lock);
    int64_t clock = nowUs - m_startUs;
    if (m_stopUs >= 0)
        clock = m_stopUs;
    else if (m_pauseStartUs >= 0)
        clock = m_pauseStartUs;
    int64_t paused = 0;
    for (const auto& span : m_pauses)
        paused += span.second - span.first;
    return std::max<int64_t>(0, clock - paused);
}

std::optional<int64_t> Timeline::toOutput(int64_t recordingClockUs) const {
    std::lock_guard<std::mutex> guard(m_lock);
    if (m_pauseStartUs >= 0 && recordingClockUs >= m_pauseStartUs)
        return std::nullopt;
    int64_t paused = 0;
    for (const auto& span : m_pauses) {
        if (recordingClockUs >= span.second)
            paused += span.second - span.first;
        else if (recordingClockUs >= span.first)
            return std::nullopt;
    }
    return std::max<int64_t>(0, recordingClockUs - paused);
}

} // namespace calvorine::codec
