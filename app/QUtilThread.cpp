#include "app/QUtilThread.h"

#include <system_error>

ManualResetEvent::ManualResetEvent(bool signalled) : m_signalled(signalled) {}

void ManualResetEvent::set() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_signalled = true;
    }
    m_changed.notify_all();
}

void ManualResetEvent::reset() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_signalled = false;
}

bool ManualResetEvent::isSet() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_signalled;
}

void ManualResetEvent::wait() const {
    std::unique_lock<std::mutex> lock(m_mutex);
    m_changed.wait(lock, [this] { return m_signalled; });
}

bool ManualResetEvent::waitFor(std::chrono::microseconds timeout) const {
    std::unique_lock<std::mutex> lock(m_mutex);
    if (timeout.count() <= 0) {
        return m_signalled;
    }
    return m_changed.wait_for(lock, timeout, [this] { return m_signalled; });
}

QUtilThread::QUtilThread() = default;

QUtilThread::~QUtilThread() {
    stopAndWait();
}

bool QUtilThread::start() {
    stopAndWait();
    m_stopEvent.reset();
    {
        std::lock_guard<std::mutex> lock(m_runningMutex);
        m_running = true;
    }
    try {
        m_thread = std::thread([this] {
            run();
            std::lock_guard<std::mutex> lock(m_runningMutex);
            m_running = false;
        });
    } catch (const std::system_error&) {
        std::lock_guard<std::mutex> lock(m_runningMutex);
        m_running = false;
        return false;
    }
    return true;
}

void QUtilThread::stopAndWait() {
    m_stopEvent.set();
    joinWorker();
}

bool QUtilThread::isRunning() const {
    std::lock_guard<std::mutex> lock(m_runningMutex);
    return m_running;
}

void QUtilThread::joinWorker() {
    // Joining itself would throw; a run() that asks to stop itself just returns.
    if (m_thread.joinable() && m_thread.get_id() != std::this_thread::get_id()) {
        m_thread.join();
    }
}
