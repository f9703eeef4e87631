// A recording's clock: microseconds since the file was opened with the paused spans
// left out. The capture threads stamp sound on the same monotonic clock with the same
// origin (taken right after the open), so one mapping serves pictures and sound.
// Thread-safe. Internal to the codec library.
#pragma once

#include <cstdint>
#include <mutex>
#include <optional>
#include <utility>
#include <vector>

namespace calvorine::codec {

class Timeline {
public:
    void start(int64_t nowUs);
    // Pausing twice keeps the first pause's start; resuming while running does nothing.
    void pause(int64_t nowUs);
    void resume(int64_t nowUs);
    // Freezes the recorded time at the moment of the stop.
    void stop(int64_t nowUs);
    bool isPaused() const;

    // Recorded time at the given moment.
    int64_t recordedAt(int64_t nowUs) const;
    // Output time of a moment of the recording clock (microseconds since the start, as
    // the capture threads stamp them); nothing for a moment inside a pause.
    std::optional<int64_t> toOutput(int64_t recordingClockUs) const;

private:
    mutable std::mutex m_lock;
    int64_t m_startUs = 0;
    int64_t m_pauseStartUs = -1; // recording clock; -1 while running
    int64_t m_stopUs = -1;       // recording clock; -1 until stopped
    // Paused spans on the recording clock: [begin, end).
    std::vector<std::pair<int64_t, int64_t>> m_pauses;
};

} // namespace calvorine::codec
