// A millisecond clock painted as a bar code, and the reading of it back from every frame
// of a recording: which pictures repeat, which slots were lost, and how far each picture
// was grabbed from its slot's time. Used by the recording tests and the recording
// benchmark; the clock window runs in a process of its own so that its painting never
// waits for the recorder's thread, nor the recorder for it.
#pragma once

#include "platform/system/clock.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPainter>
#include <QProcess>
#include <QRect>
#include <QSet>
#include <QString>
#include <QTimer>
#include <QVector>
#include <QWidget>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <thread>
#include <vector>

namespace frame_clock {

// Bar 0 is white and bar 1 black (the reader's references); bars 2.. hold the clock's
// milliseconds, most significant bit first, white for 1.
constexpr int kBits = 24;
constexpr int kBars = kBits + 2;
constexpr int kBarWidth = 24;
constexpr int kWidth = kBars * kBarWidth;
constexpr int kHeight = 48;

inline int64_t nowMilliseconds() {
    return calvorine::platform::monotonicMicroseconds() / 1000;
}

// The bar code of the current millisecond, repainted every millisecond. A clock that
// stayed on the screen longer than a limit is written to the log when the repaint that
// replaces it is done, one line "<monotonic ms when the new clock showed> <ms the old
// clock showed for>": the old clock is the one painted at the first minus the second.
// A picture grabbed meanwhile shows that old clock however well the recorder keeps its
// slots.
class ClockWindow : public QWidget {
public:
    explicit ClockWindow(FILE* lateLog = nullptr) : m_lateLog(lateLog) {
        setWindowFlags(Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::X11BypassWindowManagerHint);
        setAttribute(Qt::WA_OpaquePaintEvent);
        m_timer.setTimerType(Qt::PreciseTimer);
        connect(&m_timer, &QTimer::timeout, this, [this] {
            const int64_t shown = m_paintedMs;
            repaint();
            const int64_t now = nowMilliseconds();
            if (m_lateLog && shown > 0 && now - shown > kLateLogMs) {
                std::fprintf(m_lateLog, "%lld %lld\n", static_cast<long long>(now),
                             static_cast<long long>(now - shown));
                std::fflush(m_lateLog);
            }
        });
        m_timer.start(1);
    }

    // A clock shown up to this long is not logged.
    static constexpr int64_t kLateLogMs = 3;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        m_paintedMs = nowMilliseconds();
        const uint32_t value = uint32_t(m_paintedMs) & ((1u << kBits) - 1);
        p.fillRect(0, 0, kBarWidth, kHeight, Qt::white);
        p.fillRect(kBarWidth, 0, kBarWidth, kHeight, Qt::black);
        for (int bit = 0; bit < kBits; ++bit) {
            const bool on = (value >> (kBits - 1 - bit)) & 1u;
            p.fillRect((bit + 2) * kBarWidth, 0, kBarWidth, kHeight, on ? Qt::white : Qt::black);
        }
    }

private:
    QTimer m_timer;
    FILE* m_lateLog;
    int64_t m_paintedMs = 0;
};

// The body of the clock process: "<program> --clock-window x y [late-log]".
inline int runClockWindow(int argc, char** argv, int x, int y) {
    QApplication app(argc, argv);
    FILE* lateLog = argc > 4 ? std::fopen(argv[4], "a") : nullptr;
    ClockWindow window(lateLog);
    window.setGeometry(x, y, kWidth, kHeight);
    window.show();
    const int result = app.exec();
    if (lateLog) {
        std::fclose(lateLog);
    }
    return result;
}

// A clock the window showed for longer than its log's limit, on the monotonic clock:
// the one painted at fromMs, shown until toMs.
struct ClockStall {
    int64_t fromMs = 0;
    int64_t toMs = 0;
};

// The clocks shown late that overlapped [fromMs, toMs], as read from the window's log.
inline QVector<ClockStall> clockStalls(const QString& lateLogPath, int64_t fromMs, int64_t toMs) {
    QVector<ClockStall> stalls;
    QFile log(lateLogPath);
    if (!log.open(QIODevice::ReadOnly)) {
        return stalls;
    }
    while (!log.atEnd()) {
        const QList<QByteArray> fields = log.readLine().simplified().split(' ');
        if (fields.size() != 2) {
            continue;
        }
        const int64_t at = fields[0].toLongLong();
        const int64_t gap = fields[1].toLongLong();
        // A gap that began before the window but ended inside it counts too.
        if (at >= fromMs && at - gap <= toMs) {
            stalls.append({at - gap, at});
        }
    }
    return stalls;
}

// Whether the machine gave the test its time while something was measured, seen from
// outside the recorder: a thread of the probe's own, which the recorder never uses,
// sleeps a millisecond at a time and times its wake-ups; and it counts the threads of
// other processes that want a core, every tenth wake-up and after each wake-up later than
// the limit, keeping the moments when they wanted every core. The probe's thread sleeps
// nearly all the time, and the scheduler wakes such a thread ahead of busy ones: it comes
// late far more rarely than a thread with work to do, so a test judges its own lateness by
// those moments, not by the probe's wake-ups alone. A late wake-up is the machine's only
// when other processes then wanted every core; one that came late while they did not was
// kept waiting behind this process, that is behind the recorder. The recorder's own
// threads (the grab, the encoder and whatever else it runs) never count, nor does what ran
// before the probe started: a recorder that needs more of the machine than it gets is
// slow, not excused.
class SchedulingProbe {
public:
    explicit SchedulingProbe(int64_t lateLimitUs)
        : m_limitUs(lateLimitUs), m_startUs(calvorine::platform::monotonicMicroseconds()),
          m_startCpuUs(processCpuMicroseconds()) {
        m_thread = std::thread([this] {
            while (!m_stop) {
                const int64_t before = calvorine::platform::monotonicMicroseconds();
                calvorine::platform::sleepForMicroseconds(1000);
                const int64_t late = calvorine::platform::monotonicMicroseconds() - before - 1000;
                ++m_wakeUps;
                m_worstUs = std::max<int64_t>(m_worstUs, late);
                const bool wokeLate = late > m_limitUs;
                if (!wokeLate && m_wakeUps % 10 != 0) {
                    continue;
                }
                const int others = othersWantingACore();
                const bool everyCore = others < 0 || others >= int(std::thread::hardware_concurrency());
                if (everyCore) {
                    m_everyCoreMs.push_back(nowMilliseconds());
                }
                if (wokeLate) {
                    ++m_late;
                    m_lateOutside += everyCore ? 1 : 0;
                }
                if (m_wakeUps % 50 == 0 && others >= 0) {
                    m_othersSum += others;
                    ++m_othersSamples;
                    m_othersMost = std::max(m_othersMost.load(), others);
                }
            }
        });
    }
    ~SchedulingProbe() { stop(); }
    void stop() {
        m_stop = true;
        if (m_thread.joinable()) {
            m_thread.join();
            const int64_t spanUs = calvorine::platform::monotonicMicroseconds() - m_startUs;
            m_ownCores = spanUs > 0 ? double(processCpuMicroseconds() - m_startCpuUs) / spanUs : 0.0;
        }
    }
    int wakeUps() const { return m_wakeUps; }
    int late() const { return m_late; }
    // The late wake-ups that came while other processes wanted every core.
    int lateOutside() const { return m_lateOutside; }
    double worstMs() const { return m_worstUs / 1000.0; }
    // The threads of other processes that wanted a core, on average over the samples
    // (-1 where none could be taken).
    double othersLoad() const { return m_othersSamples > 0 ? double(m_othersSum) / m_othersSamples : -1.0; }

    // The threads of process pid (a window the test runs for what it measures) count as
    // the test's own from now on, not as other processes'.
    void countAsOwn(int64_t pid) { m_alsoOwnPid = pid; }

    // The cores this process kept busy on average from the probe's start to its stop.
    double ownCores() const { return m_ownCores; }

    // Whether other processes were seen wanting every core at some moment within
    // [fromMs, toMs] on the monotonic clock (looked at every tenth wake-up, about every
    // 11 ms, and after each late one). Read after stop().
    bool everyCoreWantedWithin(int64_t fromMs, int64_t toMs) const {
        const auto at = std::lower_bound(m_everyCoreMs.begin(), m_everyCoreMs.end(), fromMs);
        return at != m_everyCoreMs.end() && *at <= toMs;
    }

    // Empty while the machine kept up: at most one wake-up in 300 late while other
    // processes wanted every core, and on average no more threads of other processes
    // wanting a core than there are cores. Else what was seen, for the skip message.
    QString notKeptUp() const {
        const unsigned cores = std::thread::hardware_concurrency();
        if (m_lateOutside * 300 <= m_wakeUps && othersLoad() <= cores) {
            return QString();
        }
        return QString("the machine did not keep up: %1").arg(summary());
    }
    QString summary() const {
        return QString("a sleeping thread of the probe woke more than %1 ms late %2 times in %3, %4 of them while "
                       "other processes wanted every core (worst %5 ms); other processes had %6 threads wanting a "
                       "core on average (at most %7) on %8 cores; this process kept %9 cores busy")
            .arg(m_limitUs / 1000.0)
            .arg(late())
            .arg(wakeUps())
            .arg(lateOutside())
            .arg(worstMs(), 0, 'f', 1)
            .arg(othersLoad(), 0, 'f', 1)
            .arg(m_othersMost.load())
            .arg(std::thread::hardware_concurrency())
            .arg(ownCores(), 0, 'f', 1);
    }

private:
    // The runnable threads of the machine less this process's own (and those of the
    // process counted as its own); -1 where the kernel does not tell. The probe's own
    // thread is running as it reads and counts in both.
    int othersWantingACore() const {
        QFile loadFile("/proc/loadavg");
        if (!loadFile.open(QIODevice::ReadOnly)) {
            return -1;
        }
        // "0.52 0.58 0.59 3/467 12345": the fourth field is runnable/all.
        const QList<QByteArray> fields = loadFile.readAll().split(' ');
        bool ok = false;
        const int runnable = fields.size() > 3 ? fields[3].split('/').first().toInt(&ok) : 0;
        if (!ok) {
            return -1;
        }
        const int64_t alsoOwn = m_alsoOwnPid;
        int own = runnableThreads("/proc/self/task/");
        own += alsoOwn > 0 ? runnableThreads(QString("/proc/%1/task/").arg(alsoOwn)) : 0;
        return std::max(0, runnable - own);
    }

    static int runnableThreads(const QString& tasks) {
        int count = 0;
        for (const QString& task : QDir(tasks).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
            QFile stat(tasks + task + "/stat");
            if (!stat.open(QIODevice::ReadOnly)) {
                continue;
            }
            // "tid (name) S ...": the state follows the name's closing parenthesis.
            const QByteArray line = stat.readAll();
            const int close = line.lastIndexOf(')');
            count += close >= 0 && line.mid(close + 2, 1) == "R" ? 1 : 0;
        }
        return count;
    }

    static int64_t processCpuMicroseconds() { return int64_t(std::clock()) * 1000000 / CLOCKS_PER_SEC; }

    int64_t m_limitUs;
    std::atomic<int64_t> m_alsoOwnPid{0};
    int64_t m_startUs;
    int64_t m_startCpuUs;
    double m_ownCores = 0.0;
    std::vector<int64_t> m_everyCoreMs; // written by the probe's thread only, in order
    std::thread m_thread;
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_wakeUps{0};
    std::atomic<int> m_late{0};
    std::atomic<int> m_lateOutside{0};
    std::atomic<int64_t> m_worstUs{0};
    std::atomic<int64_t> m_othersSum{0};
    std::atomic<int> m_othersSamples{0};
    std::atomic<int> m_othersMost{0};
};

struct Report {
    int fileFrames = 0;           // frames in the file's picture stream
    int frames = 0;               // frames read (the last one, held to the stop, left out)
    int undecoded = 0;            // frames whose bar code could not be read
    int distinct = 0;             // frames with a clock of their own
    int repeats = 0;              // frames that show the same clock as the one before
    int lostSlots = 0;            // slots whose picture never reached the file (the clock skips one)
    int leftOut = 0;              // slots whose picture showed a clock the clock window was late to repaint
    int measured = 0;             // slots judged: frames read and readable, less those left out
    double maxErrorMs = 0;        // largest distance of a picture's clock from its slot's time
    QVector<double> errorsMs;     // every measured picture's distance from its slot's time, largest first
    double medianOffsetMs = 0;    // the constant part (showing the clock, the start) left out
    QVector<int> repeatAt;        // the frames that repeat the clock before (measured ones only)
    QVector<int> lossAt;          // the frames before which a slot was lost
    QVector<double> frameErrorMs; // each frame's distance from its slot's time; -1 where not measured
    QVector<int> slotOf;          // each frame's slot, counted from the first frame's
    int64_t firstClock = -1;      // the first clock read (its low kBits bits)
    double periodMs = 0;

    // When frame's slot fell due on the monotonic clock, in milliseconds; nearMs is any
    // time within a few hours of the recording (the clock's bits wrap every 4.6 hours).
    int64_t slotMs(int frame, int64_t nearMs) const {
        const int64_t mask = (int64_t(1) << kBits) - 1;
        int64_t delta = (firstClock - nearMs) & mask;
        if (delta > (int64_t(1) << (kBits - 1))) {
            delta -= int64_t(1) << kBits;
        }
        const int slot = frame < slotOf.size() ? slotOf[frame] : frame;
        return nearMs + delta + std::llround(medianOffsetMs + slot * periodMs);
    }
};

// The clock's milliseconds (the low kBits bits) from its bars, each bar's mean grey level
// (kBars values); -1 when they were not painted cleanly.
inline int64_t readBars(const uint8_t* bars) {
    const int white = bars[0];
    const int black = bars[1];
    int64_t value = 0;
    if (white - black <= 100) {
        return -1;
    }
    for (int bit = 0; bit < kBits; ++bit) {
        const int level = bars[bit + 2];
        // A bar far from both references was not painted cleanly.
        if (std::abs(level - white) > 50 && std::abs(level - black) > 50) {
            return -1;
        }
        value = (value << 1) | (level * 2 > white + black ? 1 : 0);
    }
    return value;
}

// Reads the clock from every frame of the file's picture stream. clock is where the bar
// code lies in the frame. A frame's slot is its index in the file, or, where the frames'
// times in seconds are given (a file may leave slots out, its frames then last until the
// next), its time from the first frame's in periods; its slot time is the slot times the
// period, measured from the median offset of the frames measured. Times given that do
// not match the file's frames leave the report empty but for fileFrames.
// A frame that shows a clock of stalls (one the clock window showed late) is left out,
// with the repeats of it and a loss counted from it: what it shows says nothing of the
// recorder.
inline Report readFrameClock(const QString& path, QRect clock, double fps, const QVector<ClockStall>& stalls = {},
                             const QVector<double>& frameTimes = {}) {
    Report report;
    QProcess ffmpeg;
    ffmpeg.start("ffmpeg", {"-nostdin", "-v", "error", "-i", path, "-map", "0:v:0", "-vsync", "0", "-vf",
                            QString("crop=%1:%2:%3:%4,scale=%5:1:flags=area,format=gray")
                                .arg(clock.width())
                                .arg(clock.height())
                                .arg(clock.x())
                                .arg(clock.y())
                                .arg(kBars),
                            "-f", "rawvideo", "-"});
    if (!ffmpeg.waitForFinished(300000) || ffmpeg.exitCode() != 0) {
        return report;
    }
    const QByteArray bytes = ffmpeg.readAllStandardOutput();
    const int count = bytes.size() / kBars;
    report.fileFrames = count;
    if (!frameTimes.isEmpty() && frameTimes.size() != count) {
        return report;
    }
    for (int i = 0; i < count; ++i) {
        report.slotOf.append(frameTimes.isEmpty() ? i : int(std::lround((frameTimes[i] - frameTimes[0]) * fps)));
    }
    QVector<int64_t> clocks; // -1 where unreadable
    for (int i = 0; i + 1 < count; ++i) {
        clocks.append(readBars(reinterpret_cast<const uint8_t*>(bytes.constData()) + i * kBars));
    }
    report.frames = clocks.size();
    const int64_t mask = (int64_t(1) << kBits) - 1;
    QSet<int64_t> shownLate;
    for (const ClockStall& stall : stalls) {
        shownLate.insert(stall.fromMs & mask);
    }
    const double periodMs = 1000.0 / fps;
    QVector<double> offsets(clocks.size(), 0.0);
    QVector<bool> measured(clocks.size(), false);
    int64_t first = -1;
    int lastIndex = -1; // the last frame with a new clock
    for (int i = 0; i < clocks.size(); ++i) {
        if (clocks[i] < 0) {
            ++report.undecoded;
            continue;
        }
        if (first < 0) {
            first = clocks[i];
        }
        // Unwrapped against the first clock read (the counter wraps every 4.6 hours).
        int64_t delta = (clocks[i] - first) & mask;
        if (delta > (int64_t(1) << (kBits - 1))) {
            delta -= int64_t(1) << kBits;
        }
        offsets[i] = double(delta) - report.slotOf[i] * periodMs;
        const bool late = shownLate.contains(clocks[i]);
        report.leftOut += late ? 1 : 0;
        measured[i] = !late;
        if (i > 0 && clocks[i - 1] == clocks[i]) {
            report.repeats += late ? 0 : 1;
            if (!late) {
                report.repeatAt.append(i);
            }
            continue;
        }
        report.distinct += late ? 0 : 1;
        // More periods passed on the clock than slots in the file since the last new
        // picture: a picture grabbed was never written (two met in one slot).
        if (lastIndex >= 0 && !late && measured[lastIndex]) {
            const int periods = int(std::lround(double(clocks[i] - clocks[lastIndex]) / periodMs));
            const int lost = std::max(0, periods - (report.slotOf[i] - report.slotOf[lastIndex]));
            report.lostSlots += lost;
            if (lost > 0) {
                report.lossAt.append(i);
            }
        }
        lastIndex = i;
    }
    QVector<double> sorted;
    for (int i = 0; i < clocks.size(); ++i) {
        if (measured[i]) {
            sorted.append(offsets[i]);
        }
    }
    report.measured = sorted.size();
    if (sorted.isEmpty()) {
        return report;
    }
    std::sort(sorted.begin(), sorted.end());
    report.medianOffsetMs = sorted[sorted.size() / 2];
    report.firstClock = first;
    report.periodMs = periodMs;
    report.frameErrorMs.fill(-1.0, clocks.size());
    for (int i = 0; i < clocks.size(); ++i) {
        if (measured[i]) {
            report.frameErrorMs[i] = std::abs(offsets[i] - report.medianOffsetMs);
            report.errorsMs.append(report.frameErrorMs[i]);
        }
    }
    std::sort(report.errorsMs.begin(), report.errorsMs.end(), std::greater<double>());
    report.maxErrorMs = report.errorsMs.first();
    return report;
}

} // namespace frame_clock
