// Records 10 s of the full 1920x1080 screen, on which a window animates, at 30 and at 60
// frames a second with H.264 ultrafast and veryfast: once with our recorder and once with
// `ffmpeg -f x11grab` at the same settings (yuv420p), in the same run. Prints, for each,
// the frames in the file against those expected, the repeated (duplicate) frames, the
// CPU seconds and the peak memory, and the ratio of the CPU times.
//
// Run on the virtual desktop: scripts/desktop.sh exec -- build/bin/bench_recording
#include "app/AppGlobals.h"
#include "app/QRecordAreaInfo.h"
#include "media/OutputFormatSetting.h"
#include "media/QRecordObject.h"

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
    int frames = 0;
    int duplicates = 0;
    double seconds = 0; // the picture stream's duration
};

// Frames of the file's picture stream and how many repeat the one before (same MD5).
FrameCount countFrames(const QString& path) {
    QProcess ffmpeg;
    ffmpeg.start("ffmpeg", {"-nostdin", "-v", "error", "-i", path, "-map", "0:v:0", "-f", "framemd5", "-"});
    ffmpeg.waitForFinished(300000);
    FrameCount count;
    QString previous;
    for (const QByteArray& line : ffmpeg.readAllStandardOutput().split('\n')) {
        if (line.startsWith('#') || line.trimmed().isEmpty()) {
            continue;
        }
        const QString md5 = QString::fromLatin1(line.split(',').last().trimmed());
        ++count.frames;
        if (md5 == previous) {
            ++count.duplicates;
        }
        previous = md5;
    }
    QProcess ffprobe;
    ffprobe.start("ffprobe", {"-v", "error", "-select_streams", "v:0", "-show_entries", "format=duration", "-of",
                              "default=noprint_wrappers=1:nokey=1", path});
    ffprobe.waitForFinished(60000);
    count.seconds = ffprobe.readAllStandardOutput().trimmed().toDouble();
    return count;
}

const char* presetName(int preset) {
    return preset == 0 ? "ultrafast" : "veryfast";
}

int compare(const char* self) {
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
    std::printf("recording %d s of the full 1920x1080 screen with moving content; H.264 yuv420p\n", kSeconds);
    for (int fps : {30, 60}) {
        for (int preset : {0, 2}) {
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
            const FrameCount ourFrames = countFrames(ours);
            const FrameCount theirFrames = countFrames(theirs);
            // Expected: the frame rate times the 10 s asked for; the file's own length is
            // shown beside (start and stop take a moment).
            const int expected = fps * kSeconds;
            std::printf("%d fps %-9s  calvorine: %4d/%d frames (%.2f s), %3d duplicates, %5.2f s CPU, %4ld MB peak%s"
                        "  |  ffmpeg x11grab: %4d/%d frames (%.2f s), %3d duplicates, %5.2f s CPU, %4ld MB peak%s"
                        "  |  CPU ratio %.2f, distinct-frame ratio %.2f\n",
                        fps, presetName(preset), ourFrames.frames, expected, ourFrames.seconds, ourFrames.duplicates,
                        ourUsage.cpuSeconds, ourUsage.peakKilobytes / 1024, ourUsage.ok ? "" : " (failed)",
                        theirFrames.frames, expected, theirFrames.seconds, theirFrames.duplicates,
                        theirUsage.cpuSeconds, theirUsage.peakKilobytes / 1024, theirUsage.ok ? "" : " (failed)",
                        theirUsage.cpuSeconds > 0 ? ourUsage.cpuSeconds / theirUsage.cpuSeconds : 0.0,
                        theirFrames.frames - theirFrames.duplicates > 0
                            ? double(ourFrames.frames - ourFrames.duplicates) /
                                  (theirFrames.frames - theirFrames.duplicates)
                            : 0.0);
            std::fflush(stdout);
        }
    }
    animation.kill();
    animation.waitForFinished();
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "--animate") == 0) {
        return animate(argc, argv);
    }
    if (argc > 4 && std::strcmp(argv[1], "--record") == 0) {
        return record(argc, argv, std::atoi(argv[2]), std::atoi(argv[3]), QString::fromLocal8Bit(argv[4]));
    }
    QCoreApplication app(argc, argv);
    const QByteArray self = QCoreApplication::applicationFilePath().toLocal8Bit();
    return compare(self.constData());
}
