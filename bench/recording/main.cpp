// Records 10 s of the full 1920x1080 screen, on which a window animates and another paints
// a millisecond clock as a bar code, at 30 and at 60 frames a second with H.264 ultrafast
// and veryfast, several runs each: once with our recorder and once with
// `ffmpeg -f x11grab` at the same settings (yuv420p), in the same run. Prints, for each,
// the frames in the file against those expected; read from the clock in every frame, the
// distinct pictures, the repeated ones, the slots whose picture was lost and the largest
// grab-to-slot error; the CPU seconds and the peak memory, and the ratio of the CPU times.
//
// Run on the virtual desktop: scripts/desktop.sh exec -- build/bin/bench_recording [runs]
#include "app/AppGlobals.h"
#include "app/QRecordAreaInfo.h"
#include "media/OutputFormatSetting.h"
#include "media/QRecordObject.h"
#include "tests/support/FrameClock.h"

#include <QApplication>
#include <QDir>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>

#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

extern char** environ;

namespace {

constexpr int kSeconds = 10;
// Where the clock window lies on the screen.
constexpr int kClockX = 208;
constexpr int kClockY = 158;

// Moving content: a bar sweeping across, changing colours, a counter, repainted at about
// 60 Hz.
class Animation : public QWidget {
public:
    Animation() {
        setWindowFlags(Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint);
        setAttribute(Qt::WA_OpaquePaintEvent);
        m_timer.setTimerType(Qt::PreciseTimer);
        connect(&m_timer, &QTimer::timeout, this, [this] {
            ++m_step;
            update();
        });
        m_timer.start(16);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(rect(), QColor::fromHsv((m_step * 3) % 360, 200, 120));
        p.fillRect((m_step * 12) % width(), 0, 80, height(), Qt::white);
        p.setPen(Qt::black);
        p.setFont(QFont("DejaVu Sans", 64));
        p.drawText(rect(), Qt::AlignCenter, QString::number(m_step));
    }

private:
    QTimer m_timer;
    int m_step = 0;
};

int animate(int argc, char** argv) {
    QApplication app(argc, argv);
    Animation window;
    window.setGeometry(0, 0, 1920, 1080);
    window.show();
    return app.exec();
}

int record(int argc, char** argv, int fps, int preset, const QString& output) {
    QTemporaryDir home;
    qputenv("HOME", home.path().toUtf8());
    qputenv("XDG_CONFIG_HOME", (home.path() + "/config").toUtf8());
    qputenv("XDG_DATA_HOME", (home.path() + "/data").toUtf8());
    qputenv("TMPDIR", home.path().toUtf8());
    QApplication app(argc, argv);
    QRecordAreaInfo* area = QRecordAreaInfo::instance();
    area->setAreaOrigin(0, 0);
    area->setAreaSize(1920, 1080);
    area->setAudioSource(QRecordAreaInfo::SystemSound, false);
    area->setAudioSource(QRecordAreaInfo::Microphone, false);
    area->setCursorOption(QRecordAreaInfo::HighlightCursor, false);
    area->setCursorOption(QRecordAreaInfo::HighlightClicks, false);
    OutputFormatSetting format;
    format.container = "mp4";
    format.extension = "mp4";
    format.videoCodec = "H264";
    format.videoCodecId = CVCODEC_H264;
    format.frameRateNum = fps;
    format.frameRateDen = 1;
    format.videoBitRate = 8000;
    format.quality = -1;
    format.audioCodecId = -1;
    g_currentFormat = &format;
    QRecordObject::setParamsAdjuster(
        [preset](cvcodec_params params) { cvcodec_params_set_speed_preset(params, preset); });
    QRecordObject recorder;
    if (!recorder.startRecord(output, 100.0f, true)) {
        std::fprintf(stderr, "the recording did not start\n");
        return 1;
    }
    // A precise timer: a coarse one may end a 10 s recording half a second early.
    QTimer::singleShot(kSeconds * 1000, Qt::PreciseTimer, &app, [&] {
        recorder.stopRecord();
        app.quit();
    });
    return app.exec();
}

struct Usage {
    bool ok = false;
    double cpuSeconds = 0;
    long peakKilobytes = 0;
};

// Runs a program to its end and reports what it used.
Usage runMeasured(const std::vector<std::string>& arguments) {
    std::vector<char*> argv;
    for (const std::string& a : arguments) {
        argv.push_back(const_cast<char*>(a.c_str()));
    }
    argv.push_back(nullptr);
    pid_t pid = 0;
    Usage usage;
    if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) {
        return usage;
    }
    int status = 0;
    struct rusage resources {};
    if (wait4(pid, &status, 0, &resources) != pid) {
        return usage;
    }
    usage.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    usage.cpuSeconds = double(resources.ru_utime.tv_sec + resources.ru_stime.tv_sec) +
                       double(resources.ru_utime.tv_usec + resources.ru_stime.tv_usec) / 1e6;
    usage.peakKilobytes = resources.ru_maxrss;
    return usage;
}

struct FrameCount {
    frame_clock::Report clock;
    double seconds = 0; // the picture stream's duration
};

// The clock read from every frame of the file's picture stream, and the stream's length.
FrameCount countFrames(const QString& path, int fps) {
    FrameCount count;
    count.clock = frame_clock::readFrameClock(path, QRect(kClockX, kClockY, frame_clock::kWidth, frame_clock::kHeight),
                                              double(fps));
    QProcess ffprobe;
    ffprobe.start("ffprobe", {"-v", "error", "-select_streams", "v:0", "-show_entries", "format=duration", "-of",
                              "default=noprint_wrappers=1:nokey=1", path});
    ffprobe.waitForFinished(60000);
    count.seconds = ffprobe.readAllStandardOutput().trimmed().toDouble();
    return count;
}

QString describe(const FrameCount& count, int expected, const Usage& usage) {
    const frame_clock::Report& c = count.clock;
    return QString("%1/%2 frames (%3 s), %4 distinct, %5 repeated, %6 lost, %7 unreadable, largest grab-to-slot "
                   "error %8 ms, %9 s CPU, %10 MB peak%11")
        .arg(c.frames + 1, 4)
        .arg(expected)
        .arg(count.seconds, 0, 'f', 2)
        .arg(c.distinct, 4)
        .arg(c.repeats, 3)
        .arg(c.lostSlots, 3)
        .arg(c.undecoded)
        .arg(c.maxErrorMs, 5, 'f', 1)
        .arg(usage.cpuSeconds, 5, 'f', 2)
        .arg(usage.peakKilobytes / 1024, 4)
        .arg(usage.ok ? "" : " (failed)");
}

const char* presetName(int preset) {
    return preset == 0 ? "ultrafast" : "veryfast";
}

int compare(const char* self, int runs) {
    const QByteArray display = qgetenv("DISPLAY");
    if (display.isEmpty()) {
        std::fprintf(stderr, "no display: run on the virtual desktop\n");
        return 1;
    }
    QTemporaryDir dir;
    QProcess animation;
    animation.start(self, {"--animate"});
    animation.waitForStarted();
    sleep(2);
    QProcess clock;
    clock.start(self, {"--clock-window"});
    clock.waitForStarted();
    sleep(2);
    std::printf("recording %d s of the full 1920x1080 screen with moving content and a millisecond clock; H.264 "
                "yuv420p; %d runs per setting\n",
                kSeconds, runs);
    for (int fps : {30, 60}) {
        for (int preset : {0, 2}) {
            for (int run = 1; run <= runs; ++run) {
                const QString ours = dir.filePath(QString("ours_%1_%2.mp4").arg(fps).arg(preset));
                const QString theirs = dir.filePath(QString("ffmpeg_%1_%2.mp4").arg(fps).arg(preset));
                const Usage ourUsage =
                    runMeasured({self, "--record", std::to_string(fps), std::to_string(preset), ours.toStdString()});
                const Usage theirUsage = runMeasured({"ffmpeg",
                                                      "-nostdin",
                                                      "-v",
                                                      "error",
                                                      "-y",
                                                      "-f",
                                                      "x11grab",
                                                      "-framerate",
                                                      std::to_string(fps),
                                                      "-video_size",
                                                      "1920x1080",
                                                      "-i",
                                                      display.toStdString(),
                                                      "-t",
                                                      std::to_string(kSeconds),
                                                      "-c:v",
                                                      "libx264",
                                                      "-preset",
                                                      presetName(preset),
                                                      "-pix_fmt",
                                                      "yuv420p",
                                                      theirs.toStdString()});
                const FrameCount ourFrames = countFrames(ours, fps);
                const FrameCount theirFrames = countFrames(theirs, fps);
                // Expected: the frame rate times the 10 s asked for; the file's own length is
                // shown beside (start and stop take a moment).
                const int expected = fps * kSeconds;
                const int ourDistinct = ourFrames.clock.distinct;
                const int theirDistinct = theirFrames.clock.distinct;
                std::printf(
                    "%d fps %-9s run %d  calvorine: %s  |  ffmpeg x11grab: %s  |  CPU ratio %.2f, distinct-picture "
                    "ratio %.2f\n",
                    fps, presetName(preset), run, qPrintable(describe(ourFrames, expected, ourUsage)),
                    qPrintable(describe(theirFrames, expected, theirUsage)),
                    theirUsage.cpuSeconds > 0 ? ourUsage.cpuSeconds / theirUsage.cpuSeconds : 0.0,
                    theirDistinct > 0 ? double(ourDistinct) / theirDistinct : 0.0);
                std::fflush(stdout);
            }
        }
    }
    clock.kill();
    clock.waitForFinished();
    animation.kill();
    animation.waitForFinished();
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "--animate") == 0) {
        return animate(argc, argv);
    }
    if (argc > 1 && std::strcmp(argv[1], "--clock-window") == 0) {
        return frame_clock::runClockWindow(argc, argv, kClockX, kClockY);
    }
    if (argc > 4 && std::strcmp(argv[1], "--record") == 0) {
        return record(argc, argv, std::atoi(argv[2]), std::atoi(argv[3]), QString::fromLocal8Bit(argv[4]));
    }
    QCoreApplication app(argc, argv);
    const QByteArray self = QCoreApplication::applicationFilePath().toLocal8Bit();
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    return compare(self.constData(), runs);
}
