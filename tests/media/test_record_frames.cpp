// Every frame of a recording its own picture, taken at its slot's time: a window of
// another process paints a millisecond clock as a bar code, and the clock is read back
// from every frame of 10 s recordings at 30 and 60 fps, of a 640x480 area and of the
// full screen. A row with too few slots to judge while the machine was seen from outside
// the recorder not to keep up (see SchedulingProbe), or one whose every miss came while
// other processes wanted every core, exits with kSkippedExit, which ctest shows as skipped.
// An encoder made slower than the capture is seen to get evenly spaced pictures up to the
// stop, which ends the file at once.
#include "media/QRecordObject.h"
#include "tests/support/FrameClock.h"
#include "tests/support/RecordingFormats.h"

#include "app/AppGlobals.h"
#include "app/QRecordAreaInfo.h"
#include "media/OutputFormatSetting.h"
#include "platform/system/screen_capture.h"
#include "recording_test_support.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <thread>

using namespace recording_test;

namespace {

// Where the clock window lies on the screen: inside the 640x480 area.
const QPoint kClockAt(208, 158);

bool clockShows() {
    calvorine::platform::ScreenCapture capture;
    if (!capture.open(kClockAt.x(), kClockAt.y(), frame_clock::kWidth, frame_clock::kHeight, 1.0)) {
        return false;
    }
    const uint8_t* p = capture.grab();
    const int middle = frame_clock::kHeight / 2 * capture.bytesPerLine();
    const int white = p ? p[middle + 4 * (frame_clock::kBarWidth / 2)] : 0;
    const int black = p ? p[middle + 4 * (frame_clock::kBarWidth * 3 / 2)] : 255;
    return white > 200 && black < 50;
}

} // namespace

class TestRecordFrames : public QObject {
    Q_OBJECT

public:
    // Set when a row could not be measured: the run then ends with kSkippedExit.
    static inline bool s_rowSkipped = false;
    static constexpr int kSkippedExit = 77;

private:
    QTemporaryDir m_out;
    QProcess m_clock;
    OutputFormatSetting m_format;

    QString clockLog() const { return m_out.filePath("clock-late.log"); }

private slots:
    void initTestCase() {
        QVERIFY(m_out.isValid());
        m_clock.setProcessChannelMode(QProcess::ForwardedChannels);
        m_clock.start(QCoreApplication::applicationFilePath(),
                      {"--clock-window", QString::number(kClockAt.x()), QString::number(kClockAt.y()), clockLog()});
        QVERIFY(m_clock.waitForStarted());
        QVERIFY2(QTest::qWaitFor(clockShows, 10000), "the clock window does not show");
        QRecordAreaInfo* area = QRecordAreaInfo::instance();
        area->setAudioSource(QRecordAreaInfo::SystemSound, false);
        area->setAudioSource(QRecordAreaInfo::Microphone, false);
        area->setCursorOption(QRecordAreaInfo::ShowCursor, false);
        area->setCursorOption(QRecordAreaInfo::HighlightCursor, false);
        area->setCursorOption(QRecordAreaInfo::HighlightClicks, false);
        area->setWatermarkSettings(WatermarkImageSettings());
        // The fastest encoder speed: what is measured here is the grabbing, not whether
        // the encoder keeps up with the full screen at 60 fps on a shared machine.
        QRecordObject::setParamsAdjuster([](cvcodec_params params) { cvcodec_params_set_speed_preset(params, 0); });
    }

    void cleanupTestCase() {
        QRecordObject::setParamsAdjuster(nullptr);
        g_currentFormat = nullptr;
        m_clock.kill();
        m_clock.waitForFinished();
    }

    void everyFrameItsOwnPicture_data() {
        QTest::addColumn<int>("fps");
        QTest::addColumn<QRect>("area");
        QTest::addColumn<double>("toleranceMs");
        QTest::newRow("30 fps, 640x480") << 30 << QRect(200, 150, 640, 480) << 12.0;
        QTest::newRow("60 fps, 640x480") << 60 << QRect(200, 150, 640, 480) << 8.0;
        QTest::newRow("30 fps, full screen") << 30 << QRect(0, 0, 1920, 1080) << 12.0;
        QTest::newRow("60 fps, full screen") << 60 << QRect(0, 0, 1920, 1080) << 8.0;
    }
    void everyFrameItsOwnPicture() {
        QFETCH(int, fps);
        QFETCH(QRect, area);
        QFETCH(double, toleranceMs);
        m_format = testformats::h264AacFormat(fps, 8000, testformats::kNoSound);
        g_currentFormat = &m_format;
        QRecordAreaInfo::instance()->setAreaOrigin(area.x(), area.y());
        QRecordAreaInfo::instance()->setAreaSize(area.width(), area.height());

        const QString file = m_out.filePath(QString("REC_clock_%1_%2.mp4").arg(fps).arg(area.width()));
        QRecordObject recorder;
        frame_clock::SchedulingProbe probe(int64_t(toleranceMs * 500));
        // The clock window is the test's own: its waits for a core are no load from outside.
        probe.countAsOwn(m_clock.processId());
        const int64_t startMs = frame_clock::nowMilliseconds();
        QVERIFY(recorder.startRecord(file, 100.0f, true));
        // A real event loop, as the program runs: QTest::qWait sleeps 10 ms between
        // rounds of events, and every timer would wait for it.
        QEventLoop loop;
        QTimer::singleShot(10000, Qt::PreciseTimer, &loop, &QEventLoop::quit);
        loop.exec();
        recorder.stopRecord();
        probe.stop();
        const QVector<frame_clock::ClockStall> stalls =
            frame_clock::clockStalls(clockLog(), startMs, frame_clock::nowMilliseconds());

        // A picture that shows a clock the clock window was late to replace says nothing
        // of the recorder: those slots are left out, the rest are judged.
        const QRect clock(kClockAt - area.topLeft(), QSize(frame_clock::kWidth, frame_clock::kHeight));
        const frame_clock::Report r = frame_clock::readFrameClock(file, clock, fps, stalls);
        const QString summary = QString("%1 frames: %2 distinct, %3 repeated, %4 slots lost, %5 unreadable, "
                                        "%6 left out (clock repainted late), %7 measured; "
                                        "largest grab-to-slot error %8 ms")
                                    .arg(r.frames)
                                    .arg(r.distinct)
                                    .arg(r.repeats)
                                    .arg(r.lostSlots)
                                    .arg(r.undecoded)
                                    .arg(r.leftOut)
                                    .arg(r.measured)
                                    .arg(r.maxErrorMs, 0, 'f', 1);
        qInfo().noquote() << summary;
        qInfo().noquote() << probe.summary();
        QVERIFY2(r.frames >= fps * 9, qPrintable(summary));
        QVERIFY2(r.undecoded == 0, qPrintable(summary));
        // At most one in 300 of the slots measured (one in a row that left a few out).
        const int spared = (r.measured + 150) / 300;
        // A row that misses the bar is excused only where its misses came while the
        // machine was seen, from outside the recorder, not to give the test its time:
        // every slot that repeated, lost the slot before it or was grabbed beyond the
        // tolerance (but for the spared ones) fell due within a period of a moment when
        // other processes wanted every core, as the probe saw them. The recorder's own
        // threads excuse nothing: a recorder whose grab waits for a core behind its
        // encoder, or that is slow on a machine that had cores to spare, fails. A row
        // within the bar passes whatever the machine did.
        const bool withinBar = r.repeats <= spared && r.lostSlots <= spared && r.errorsMs.size() > spared &&
                               r.errorsMs[spared] <= toleranceMs;
        if (!withinBar) {
            QVector<int> missed = r.repeatAt + r.lossAt;
            for (int i = 0; i < r.frameErrorMs.size(); ++i) {
                if (r.frameErrorMs[i] > toleranceMs) {
                    missed.append(i);
                }
            }
            std::sort(missed.begin(), missed.end());
            missed.erase(std::unique(missed.begin(), missed.end()), missed.end());
            int unexcused = 0;
            for (int i : missed) {
                const int64_t due = r.slotMs(i, startMs);
                const double lateMs = std::max(0.0, r.frameErrorMs[i]);
                unexcused +=
                    probe.everyCoreWantedWithin(due - std::llround(r.periodMs), due + std::llround(lateMs + r.periodMs))
                        ? 0
                        : 1;
            }
            const QString seen = QString("%1 of the %2 slots missed fell due while other processes were not seen "
                                         "wanting every core; ")
                                     .arg(unexcused)
                                     .arg(missed.size()) +
                                 probe.summary();
            // A miss that came while other processes left cores free is the recorder's,
            // however many slots the clock window left to judge.
            QVERIFY2(missed.isEmpty() || unexcused <= spared, qPrintable(seen + "; " + summary));
            if (r.measured * 3 >= r.frames * 2) {
                s_rowSkipped = true;
                QSKIP(qPrintable("cannot judge: the machine did not keep up where the row missed: " + seen + "; " +
                                 summary));
            }
        }
        if (r.measured * 3 < r.frames * 2) {
            // The clock window is a process of its own: kept from repainting while nothing
            // outside the recorder kept the machine busy, it was kept so by the recorder.
            // Its late repaints count as the machine's where other processes wanted every
            // core within a look of the probe's (about 11 ms) of them.
            int stallsOutside = 0;
            for (const frame_clock::ClockStall& stall : stalls) {
                stallsOutside += probe.everyCoreWantedWithin(stall.fromMs - 11, stall.toMs + 11) ? 1 : 0;
            }
            const QString overload = probe.notKeptUp();
            const QString stallsSeen = QString("%1 of the clock window's %2 late repaints came while other processes "
                                               "were seen wanting every core; ")
                                           .arg(stallsOutside)
                                           .arg(stalls.size());
            QVERIFY2(!overload.isEmpty() && stallsOutside * 2 >= stalls.size(),
                     qPrintable("the clock window was late to repaint in most slots while nothing outside the "
                                "recorder kept the machine busy (" +
                                stallsSeen + probe.summary() + "): " + summary));
            s_rowSkipped = true;
            QSKIP(qPrintable(QString("too few slots to judge: the clock window was late to repaint in %1 slots, "
                                     "%2 left; ")
                                 .arg(r.leftOut)
                                 .arg(r.measured) +
                             stallsSeen + overload + "; " + summary));
        }
        QVERIFY2(r.repeats <= spared, qPrintable(summary));
        QVERIFY2(r.lostSlots <= spared, qPrintable(summary));
        // Every picture near its slot, but for the same ones that may be late (a late grab
        // is what repeats one slot and loses the next).
        QVERIFY2(r.errorsMs.size() > spared && r.errorsMs[spared] <= toleranceMs, qPrintable(summary));
    }

    // An encoder slower than the capture (every picture it is handed takes 60 ms, of 33 ms
    // slots) gets as many pictures as it can take, spread evenly from the first seconds
    // to the last, and the stop ends the file at once with the pictures up to the stop in
    // it. The pictures are told apart by their clocks, placed by ffprobe's frame times.
    void slowEncoderKeepsPaceToTheStop() {
        m_format = testformats::h264AacFormat(30, 8000, testformats::kNoSound);
        g_currentFormat = &m_format;
        const QRect area(200, 150, 640, 480);
        QRecordAreaInfo::instance()->setAreaOrigin(area.x(), area.y());
        QRecordAreaInfo::instance()->setAreaSize(area.width(), area.height());
        QRecordObject::setParamsAdjuster([](cvcodec_params params) {
            cvcodec_params_set_speed_preset(params, 0);
            cvcodec_params_set_minimum_encode_time(params, 60'000);
        });
        const QString file = m_out.filePath("REC_slow_encoder.mp4");
        QRecordObject recorder;
        QVERIFY(recorder.startRecord(file, 100.0f, true));
        QEventLoop loop;
        QTimer::singleShot(6000, Qt::PreciseTimer, &loop, &QEventLoop::quit);
        loop.exec();
        QElapsedTimer stopping;
        stopping.start();
        recorder.stopRecord();
        const qint64 stopMs = stopping.elapsed();
        QRecordObject::setParamsAdjuster([](cvcodec_params params) { cvcodec_params_set_speed_preset(params, 0); });

        const QVector<double> lines = ffprobe::frameTimes(file);
        QVERIFY(!lines.isEmpty());
        const QRect clock(kClockAt - area.topLeft(), QSize(frame_clock::kWidth, frame_clock::kHeight));
        const frame_clock::Report r = frame_clock::readFrameClock(file, clock, 30);
        QVERIFY2(r.frames > 0 && r.frames < lines.size(),
                 qPrintable(QString("%1 frames read of %2").arg(r.frames).arg(lines.size())));
        const double end = lines.last() + 1.0 / 30;
        QVector<double> pictures; // the times of the pictures with a clock of their own
        for (int i = 0; i < r.frames; ++i) {
            if (r.frameErrorMs[i] >= 0 && !r.repeatAt.contains(i)) {
                pictures.append(lines[i]);
            }
        }
        const auto within = [&](double from, double to) {
            return int(std::count_if(pictures.begin(), pictures.end(), [&](double t) { return t >= from && t < to; }));
        };
        double longestGap = 0;
        for (int i = 1; i < pictures.size(); ++i) {
            longestGap = std::max(longestGap, pictures[i] - pictures[i - 1]);
        }
        const int first = within(0.5, 2.5);
        const int last = within(end - 2, end);
        const QString summary = QString("%1 frames to %2 s, %3 distinct pictures: %4 from 0.5 to 2.5 s, %5 in the "
                                        "last 2 s, the last at %6 s; longest gap %7 s; the stop took %8 ms")
                                    .arg(lines.size())
                                    .arg(end, 0, 'f', 2)
                                    .arg(pictures.size())
                                    .arg(first)
                                    .arg(last)
                                    .arg(pictures.isEmpty() ? -1.0 : pictures.last(), 0, 'f', 2)
                                    .arg(longestGap, 0, 'f', 2)
                                    .arg(stopMs);
        qInfo().noquote() << summary;
        // As many as the encoder takes (one in every two or three slots), as many at the
        // end as at the start, none held back long.
        QVERIFY2(first >= 10, qPrintable(summary));
        QVERIFY2(last * 10 >= first * 7, qPrintable(summary));
        QVERIFY2(longestGap <= 0.4, qPrintable(summary));
        // The stop does not wait for a backlog, and nothing before it is missing.
        QVERIFY2(stopMs <= 500, qPrintable(summary));
        QVERIFY2(end >= 5.8 && !pictures.isEmpty() && pictures.last() >= end - 0.5, qPrintable(summary));
    }
};

int main(int argc, char** argv) {
    if (argc > 3 && std::strcmp(argv[1], "--clock-window") == 0) {
        return frame_clock::runClockWindow(argc, argv, std::atoi(argv[2]), std::atoi(argv[3]));
    }
    PrivateHome home;
    QApplication app(argc, argv);
    TestRecordFrames test;
    const int failed = QTest::qExec(&test, argc, argv);
    // A run whose rows all passed but one that could not be measured is not a pass:
    // ctest shows it as skipped (a failure still shows as one).
    if (failed == 0 && TestRecordFrames::s_rowSkipped) {
        return TestRecordFrames::kSkippedExit;
    }
    return std::min(failed, TestRecordFrames::kSkippedExit - 1);
}

#include "test_record_frames.moc"
