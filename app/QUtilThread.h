// Worker-thread base: one std::thread per object with a cooperative,
// manual-reset stop event. start() and the destructor run on the owner's thread and block
// until the worker has returned.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

// A manual-reset event: stays signalled until reset. All members are thread-safe.
class ManualResetEvent {
public:
    explicit ManualResetEvent(bool signalled = false);
    void set();
    void reset();
    bool isSet() const;
    // Waits until signalled; true when signalled.
    void wait() const;
    // Waits at most `timeout`; true when signalled (a zero time-out only tests it).
    bool waitFor(std::chrono::microseconds timeout) const;

private:
    mutable std::mutex m_mutex;
    mutable std::condition_variable m_changed;
    bool m_signalled;
};

class QUtilThread {
public:
    QUtilThread();
    // Signals the stop event and joins the worker. A subclass whose run() uses its own
    // members must call stopAndWait() in its own destructor: by the time this base
    // destructor runs, the subclass part is gone.
    virtual ~QUtilThread();

    QUtilThread(const QUtilThread&) = delete;
    QUtilThread& operator=(const QUtilThread&) = delete;

    // Ends any earlier run (signals the stop event and joins), resets the event, starts
    // run() on a new thread. Returns true, or false when no thread could be created.
    bool start();

    // Signals the stop event and waits, without a time limit, for the worker to return.
    // Safe to call when nothing runs and more than once. Never call it from run().
    void stopAndWait();

    // True while a started run() has not returned yet.
    bool isRunning() const;

protected:
    // The subclass's work, on the worker thread. A long run watches stopEvent() and
    // returns soon after it is signalled. Must not touch widgets.
    virtual void run() = 0;

    // The stop event: the subclass may signal it to end its own run and tests it in run().
    ManualResetEvent& stopEvent() { return m_stopEvent; }

private:
    void joinWorker();

    ManualResetEvent m_stopEvent;
    std::thread m_thread;
    mutable std::mutex m_runningMutex;
    bool m_running = false;
};
