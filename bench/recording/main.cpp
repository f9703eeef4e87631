// Records 10 s of the full 1920x1080 screen, on which a window animates, at 30 and at 60
// frames a second with H.264 ultrafast and veryfast: with our recorder and with
// `ffmpeg -f x11grab` given what our encoder sets (preset, zero-latency tuning, baseline
// profile, 8 Mbit/s average bit rate, a key frame a second, no B-frames, yuv420p), three
// times each, alternately (ours, ffmpeg, ours, ...). Above it, in a process of its own,
// the recording tests' clock window (tests/support/FrameClock.h) paints a millisecond
// clock as a bar code in the top left corner; the frames of each file are decoded and
// their clocks read, so that distinct pictures, repeats, lost slots and the largest
// grab-to-slot error are counted on the picture's own clock, each frame in the slot of
// its own time. Prints, for each run, the CPU seconds, the peak memory, the file's size
// and the pictures, the ratios of CPU and size, and whether libx264 wrote the same
// settings into both files; for each setting the medians and the median ratios. Then the
// sound row: 10 s of system sound (a tone played into the output) and microphone (another
// tone, through a sink of its own) mixed into AAC, ours against `ffmpeg -f pulse` with
// amix, three runs each, alternately, with the quarter seconds of each file in which both
// tones sound.
//
// "large" records 20 s of 2560x1440 and 3840x2160 at 30 and 60 fps (the screen at least
// that large: CALVORINE_SCREEN=3840x2160x24) with ultrafast, ours and ffmpeg's in turn,
// both stopped from outside at 20 s, and prints for each the distinct pictures, their rate
// in the first and the last 5 s, the longest freeze, the CPU and the time from the stop to
// the file's last growth.
//
// Run on the virtual desktop: scripts/desktop.sh exec -- build/bin/bench_recording [picture|sound|large]
#include "app/AppGlobals.h"
#include "app/QRecordAreaInfo.h"
#include "media/OutputFormatSetting.h"
#include "media/QRecordObject.h"
#include "platform/system/clock.h"
#include "tests/support/Ffprobe.h"
#include "tests/support/FrameClock.h"
#include "tests/support/RecordingFormats.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPainter>
#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>

#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace {

constexpr int kSeconds = 10;
constexpr int kRuns = 3;
// The video bit rate of both recorders, in kbit/s.
constexpr int kVideoKbps = 8000;

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
    window.setGeometry(QGuiApplication::primaryScreen()->geometry());
    window.show();
    return app.exec();
}

// Settings, history and thumbnails of a recording process go to a folder of its own.
void usePrivateHome(const QTemporaryDir& home) {
    qputenv("HOME", home.path().toUtf8());
    qputenv("XDG_CONFIG_HOME", (home.path() + "/config").toUtf8());
    qputenv("XDG_DATA_HOME", (home.path() + "/data").toUtf8());
    qputenv("TMPDIR", home.path().toUtf8());
}

// Records the seconds given with the current format and sources, then ends the
// application. The monotonic time of the stop goes to stopTimePath when one is given.
int recordFor(QCoreApplication& app, const QString& output, bool hasVideo, int seconds = kSeconds,
              const QString& stopTimePath = QString()) {
    QRecordObject recorder;
    if (!recorder.startRecord(output, 100.0f, hasVideo)) {
        std::fprintf(stderr, "the recording did not start\n");
        return 1;
    }
    // A precise timer: a coarse one may end a 10 s recording half a second early.
    QTimer::singleShot(seconds * 1000, Qt::PreciseTimer, &app, [&] {
        const int64_t stopUs = calvorine::platform::monotonicMicroseconds();
        recorder.stopRecord();
        if (!stopTimePath.isEmpty()) {
            QFile file(stopTimePath);
            if (file.open(QIODevice::WriteOnly)) {
                file.write(QByteArray::number(qlonglong(stopUs)));
            }
        }
        app.quit();
    });
    return app.exec();
}

int record(int argc, char** argv, int fps, int preset, const QString& output, QSize size = QSize(1920, 1080),
           int seconds = kSeconds, const QString& stopTimePath = QString()) {
    QTemporaryDir home;
    usePrivateHome(home);
    QApplication app(argc, argv);
    QRecordAreaInfo* area = QRecordAreaInfo::instance();
    area->setAreaOrigin(0, 0);
    area->setAreaSize(size.width(), size.height());
    area->setAudioSource(QRecordAreaInfo::SystemSound, false);
    area->setAudioSource(QRecordAreaInfo::Microphone, false);
    area->setCursorOption(QRecordAreaInfo::HighlightCursor, false);
    area->setCursorOption(QRecordAreaInfo::HighlightClicks, false);
    OutputFormatSetting format = testformats::h264AacFormat(fps, kVideoKbps, testformats::kNoSound);
    g_currentFormat = &format;
    QRecordObject::setParamsAdjuster(
        [preset](cvcodec_params params) { cvcodec_params_set_speed_preset(params, preset); });
    return recordFor(app, output, true, seconds, stopTimePath);
}

// 10 s of system sound and microphone into AAC, without a picture: the recording
// engine needs no display for it, so the process starts no window system connection.
int recordSound(int argc, char** argv, const QString& output) {
    QTemporaryDir home;
    usePrivateHome(home);
    QCoreApplication app(argc, argv);
    QRecordAreaInfo* area = QRecordAreaInfo::instance();
    area->setAudioSource(QRecordAreaInfo::SystemSound, true);
    area->setAudioSource(QRecordAreaInfo::Microphone, true);
    area->setDevicePresent(QRecordAreaInfo::SystemSound, true);
    area->setDevicePresent(QRecordAreaInfo::Microphone, true);
    OutputFormatSetting format = testformats::aacOnlyFormat();
    g_currentFormat = &format;
    return recordFor(app, output, false);
}

struct Usage {
    bool ok = false;
    double cpuSeconds = 0;
    long peakKilobytes = 0;
};

// What a run also watches, when asked: the file it writes (the monotonic time of its last
// growth) and, after a while, an interrupt to the program (the moment it was sent).
struct Watch {
    QString file;
    int64_t interruptAfterUs = 0;
    int64_t lastGrowthUs = 0;
    int64_t interruptedAtUs = 0;
};

// Runs a program to its end and reports what it used. It is started by GNU time, whose
// own memory is small: a child spawned from this process would count this process's
// pages, which it shares until its exec, into its peak. The program runs in a process
// group of its own, so that an interrupt reaches it past GNU time.
Usage runMeasured(const std::vector<std::string>& arguments, Watch* watch = nullptr) {
    char report[] = "/tmp/bench-recording-usage-XXXXXX";
    const int reportFd = mkstemp(report);
    if (reportFd < 0) {
        return Usage{};
    }
    close(reportFd);
    std::vector<std::string> command = {"/usr/bin/time", "-f", "%U %S %M", "-o", report};
    command.insert(command.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (const std::string& a : command) {
        argv.push_back(const_cast<char*>(a.c_str()));
    }
    argv.push_back(nullptr);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attributes, 0);
    pid_t pid = 0;
    Usage usage;
    int status = 0;
    const int64_t startUs = calvorine::platform::monotonicMicroseconds();
    const bool spawned = posix_spawn(&pid, argv[0], nullptr, &attributes, argv.data(), environ) == 0;
    posix_spawnattr_destroy(&attributes);
    std::atomic<bool> ended{false};
    std::thread watcher;
    if (spawned && watch) {
        watcher = std::thread([&] {
            const QByteArray path = watch->file.toLocal8Bit();
            off_t lastSize = -1;
            while (!ended) {
                struct stat info {};
                const int64_t now = calvorine::platform::monotonicMicroseconds();
                if (stat(path.constData(), &info) == 0 && info.st_size != lastSize) {
                    lastSize = info.st_size;
                    watch->lastGrowthUs = now;
                }
                if (watch->interruptAfterUs > 0 && watch->interruptedAtUs == 0 &&
                    now - startUs >= watch->interruptAfterUs) {
                    watch->interruptedAtUs = now;
                    kill(-pid, SIGINT);
                }
                usleep(2000);
            }
        });
    }
    if (spawned && waitpid(pid, &status, 0) == pid) {
        // The last line holds the figures (a failed command's status comes before).
        QFile file(QString::fromLocal8Bit(report));
        const QList<QByteArray> lines =
            file.open(QIODevice::ReadOnly) ? file.readAll().trimmed().split('\n') : QList<QByteArray>();
        const QList<QByteArray> figures = lines.isEmpty() ? QList<QByteArray>() : lines.last().split(' ');
        if (figures.size() == 3) {
            usage.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
            usage.cpuSeconds = figures[0].toDouble() + figures[1].toDouble();
            usage.peakKilobytes = figures[2].toLong();
        }
    }
    ended = true;
    if (watcher.joinable()) {
        watcher.join();
    }
    unlink(report);
    return usage;
}

// The clock window's place on the screen, as the frame reader looks for it.
const QRect kClockArea(0, 0, frame_clock::kWidth, frame_clock::kHeight);

// One file's pictures: the clock of every frame, each frame in the slot of its own time
// (a file whose encoder could not take every slot leaves slots out), and the times.
struct Pictures {
    frame_clock::Report clock;
    QVector<double> times;
    // From the first frame's start to the last frame's end.
    double seconds(double fps) const { return times.isEmpty() ? 0.0 : times.last() + 1.0 / fps - times.first(); }
};

Pictures readPictures(const QString& path, double fps) {
    Pictures pictures;
    pictures.times = ffprobe::frameTimes(path);
    pictures.clock = frame_clock::readFrameClock(path, kClockArea, fps, {}, pictures.times);
    return pictures;
}

// One file's pictures, read from the clock of every frame: frames/expected slots
// (seconds), distinct, repeated, lost slots, unreadable, largest grab-to-slot error.
QString describePictures(const Pictures& p, int expected, double fps) {
    const frame_clock::Report& r = p.clock;
    return QString::asprintf("%4d frames/%d slots (%5.2f s), %4d distinct, %3d repeated, %3d lost, %d unreadable, "
                             "largest grab-to-slot error %6.1f ms",
                             r.fileFrames, expected, p.seconds(fps), r.distinct, r.repeats, r.lostSlots, r.undecoded,
                             r.maxErrorMs);
}

// Seconds of the file's first stream of the kind ("a" or "v"), by its packets.
double streamSeconds(const QString& path, const char* kind) {
    QProcess ffprobe;
    ffprobe.start("ffprobe", {"-v", "error", "-select_streams", QString(kind) + ":0", "-show_entries",
                              "format=duration", "-of", "default=noprint_wrappers=1:nokey=1", path});
    ffprobe.waitForFinished(60000);
    return ffprobe.readAllStandardOutput().trimmed().toDouble();
}

double median(std::vector<double> values) {
    if (values.empty()) {
        return 0;
    }
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

const char* presetName(int preset) {
    return preset == 0 ? "ultrafast" : "veryfast";
}

// The file's size in kilobytes.
double fileKilobytes(const QString& path) {
    return double(QFileInfo(path).size()) / 1024;
}

struct Side {
    std::vector<double> cpu;
    std::vector<double> peakMegabytes;
    std::vector<double> distinct;
    std::vector<double> kilobytes;
    bool allOk = true;
    void add(const Usage& usage) {
        cpu.push_back(usage.cpuSeconds);
        peakMegabytes.push_back(double(usage.peakKilobytes) / 1024);
        allOk = allOk && usage.ok;
    }
};

// The settings libx264 wrote into the file (its "x264 - core ... options: ..." message in
// the first key frame), one per entry; empty for a file without them.
QStringList x264Settings(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    const QByteArray bytes = file.read(4 << 20);
    const int start = bytes.indexOf("x264 - core");
    const int options = start < 0 ? -1 : bytes.indexOf("options: ", start);
    const int end = options < 0 ? -1 : bytes.indexOf('\0', options);
    if (end < 0) {
        return {};
    }
    return QString::fromLatin1(bytes.mid(options + 9, end - options - 9)).split(' ', Qt::SkipEmptyParts);
}

// Whether both files were encoded with the same libx264 settings, or the entries in which
// they differ.
QString compareEncoderSettings(const QString& oursPath, const QString& theirsPath) {
    const QStringList ours = x264Settings(oursPath);
    const QStringList theirs = x264Settings(theirsPath);
    if (ours.isEmpty() || theirs.isEmpty()) {
        return "libx264 settings not found";
    }
    QStringList onlyOurs;
    QStringList onlyTheirs;
    for (const QString& entry : ours) {
        if (!theirs.contains(entry)) {
            onlyOurs << entry;
        }
    }
    for (const QString& entry : theirs) {
        if (!ours.contains(entry)) {
            onlyTheirs << entry;
        }
    }
    if (onlyOurs.isEmpty() && onlyTheirs.isEmpty()) {
        return "same libx264 settings";
    }
    return "libx264 settings differ: calvorine " + onlyOurs.join(' ') + ", ffmpeg " + onlyTheirs.join(' ');
}

// ffmpeg's x11grab encoding as our recorder does (platform/codec/video_pipeline.cpp, with the
// profile media/ConvertParam.cpp gives H.264): the preset, zero-latency tuning, the baseline
// profile, the bit rate as an average with no quality target, a key frame every second, no
// B-frames, 4:2:0.
std::vector<std::string> ffmpegGrab(const QByteArray& display, int fps, int preset, const QString& output) {
    return {"ffmpeg",
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
            "-tune",
            "zerolatency",
            "-profile:v",
            "baseline",
            "-b:v",
            std::to_string(kVideoKbps) + "k",
            "-g",
            std::to_string(fps),
            "-bf",
            "0",
            "-pix_fmt",
            "yuv420p",
            output.toStdString()};
}

void comparePictures(const char* self, const QByteArray& display, const QTemporaryDir& dir) {
    std::printf("recording %d s of the full 1920x1080 screen with moving content; H.264 yuv420p, zero-latency "
                "baseline, %d kbit/s average, a key frame a second; %d runs each, alternately; size ratio = "
                "calvorine's file / ffmpeg's, in all and for each distinct picture\n",
                kSeconds, kVideoKbps, kRuns);
    for (int fps : {30, 60}) {
        for (int preset : {0, 2}) {
            Side ours;
            Side theirs;
            std::vector<double> ratios;
            std::vector<double> sizeRatios;
            std::vector<double> pictureSizeRatios;
            const int expected = fps * kSeconds;
            for (int run = 1; run <= kRuns; ++run) {
                const QString oursPath = dir.filePath(QString("ours_%1_%2_%3.mp4").arg(fps).arg(preset).arg(run));
                const QString theirsPath = dir.filePath(QString("ffmpeg_%1_%2_%3.mp4").arg(fps).arg(preset).arg(run));
                const Usage ourUsage = runMeasured(
                    {self, "--record", std::to_string(fps), std::to_string(preset), oursPath.toStdString()});
                const Usage theirUsage = runMeasured(ffmpegGrab(display, fps, preset, theirsPath));
                const Pictures ourPictures = readPictures(oursPath, fps);
                const Pictures theirPictures = readPictures(theirsPath, fps);
                ours.add(ourUsage);
                theirs.add(theirUsage);
                ours.distinct.push_back(ourPictures.clock.distinct);
                theirs.distinct.push_back(theirPictures.clock.distinct);
                ours.kilobytes.push_back(fileKilobytes(oursPath));
                theirs.kilobytes.push_back(fileKilobytes(theirsPath));
                const double ratio = theirUsage.cpuSeconds > 0 ? ourUsage.cpuSeconds / theirUsage.cpuSeconds : 0.0;
                ratios.push_back(ratio);
                const double sizeRatio =
                    theirs.kilobytes.back() > 0 ? ours.kilobytes.back() / theirs.kilobytes.back() : 0.0;
                sizeRatios.push_back(sizeRatio);
                // A repeated picture costs next to nothing: a recorder that grabs fewer new
                // pictures writes a smaller file for that alone.
                const double pictureSizeRatio =
                    ourPictures.clock.distinct > 0 && theirPictures.clock.distinct > 0
                        ? sizeRatio * theirPictures.clock.distinct / ourPictures.clock.distinct
                        : 0.0;
                pictureSizeRatios.push_back(pictureSizeRatio);
                std::printf("%d fps %-9s run %d  calvorine: %s, %5.2f s CPU, %4ld MB peak, %6.0f KB file%s  |  ffmpeg "
                            "x11grab: %s, %5.2f s CPU, %4ld MB peak, %6.0f KB file%s  |  CPU ratio %.2f, size ratio "
                            "%.2f (%.2f a distinct picture), %s\n",
                            fps, presetName(preset), run, qPrintable(describePictures(ourPictures, expected, fps)),
                            ourUsage.cpuSeconds, ourUsage.peakKilobytes / 1024, ours.kilobytes.back(),
                            ourUsage.ok ? "" : " (failed)", qPrintable(describePictures(theirPictures, expected, fps)),
                            theirUsage.cpuSeconds, theirUsage.peakKilobytes / 1024, theirs.kilobytes.back(),
                            theirUsage.ok ? "" : " (failed)", ratio, sizeRatio, pictureSizeRatio,
                            qPrintable(compareEncoderSettings(oursPath, theirsPath)));
                std::fflush(stdout);
                QFile::remove(oursPath);
                QFile::remove(theirsPath);
            }
            std::printf("%d fps %-9s median of %d: calvorine %5.2f s CPU, %4.0f MB peak, %4.0f distinct pictures, "
                        "%6.0f KB file%s  |  ffmpeg x11grab %5.2f s CPU, %4.0f MB peak, %4.0f distinct pictures, "
                        "%6.0f KB file%s  |  median CPU ratio %.2f, median size ratio %.2f (%.2f a distinct "
                        "picture)\n",
                        fps, presetName(preset), kRuns, median(ours.cpu), median(ours.peakMegabytes),
                        median(ours.distinct), median(ours.kilobytes), ours.allOk ? "" : " (a run failed)",
                        median(theirs.cpu), median(theirs.peakMegabytes), median(theirs.distinct),
                        median(theirs.kilobytes), theirs.allOk ? "" : " (a run failed)", median(ratios),
                        median(sizeRatios), median(pictureSizeRatios));
            std::fflush(stdout);
        }
    }
}

QString pactl(const QStringList& arguments) {
    QProcess process;
    process.start("pactl", arguments);
    process.waitForFinished(10000);
    return QString::fromLocal8Bit(process.readAllStandardOutput().trimmed());
}

// The strength of a frequency in the samples (Goertzel), 1 for a full-scale sine.
double toneStrength(const float* samples, size_t count, int rate, double frequency) {
    const double k = 2.0 * std::cos(2.0 * M_PI * frequency / rate);
    double s1 = 0;
    double s2 = 0;
    for (size_t i = 0; i < count; ++i) {
        const double s0 = samples[i] + k * s1 - s2;
        s2 = s1;
        s1 = s0;
    }
    return std::sqrt(std::max(0.0, s1 * s1 + s2 * s2 - k * s1 * s2)) * 2.0 / double(count);
}

// Quarter seconds of the file in which both tones sound (system sound 330 Hz,
// microphone 440 Hz), and all its quarter seconds.
std::pair<int, int> quartersWithBothTones(const QString& path) {
    constexpr int kRate = 44100;
    QProcess ffmpeg;
    ffmpeg.start("ffmpeg", {"-v", "error", "-i", path, "-ac", "1", "-ar", QString::number(kRate), "-f", "f32le", "-"});
    ffmpeg.waitForFinished(60000);
    const QByteArray bytes = ffmpeg.readAllStandardOutput();
    const auto* samples = reinterpret_cast<const float*>(bytes.constData());
    const size_t count = size_t(bytes.size()) / sizeof(float);
    const size_t quarter = kRate / 4;
    int both = 0;
    int quarters = 0;
    for (size_t at = 0; at + quarter <= count; at += quarter, ++quarters) {
        if (toneStrength(samples + at, quarter, kRate, 330) > 0.03 &&
            toneStrength(samples + at, quarter, kRate, 440) > 0.03)
            ++both;
    }
    return {both, quarters};
}

// A tone from sox played by pacat, both ended with the player (a shell between them
// would leave them playing).
class TonePlayer {
public:
    TonePlayer(const QStringList& soxArguments, const QStringList& pacatArguments) {
        m_sox.setStandardOutputProcess(&m_pacat);
        m_pacat.start("pacat", pacatArguments);
        m_sox.start("sox", QStringList{"-q", "-n"} + soxArguments);
        m_pacat.waitForStarted();
        m_sox.waitForStarted();
    }
    ~TonePlayer() {
        for (QProcess* process : {&m_sox, &m_pacat}) {
            process->kill();
            process->waitForFinished();
        }
    }

private:
    QProcess m_sox;
    QProcess m_pacat;
};

void compareSound(const char* self, const QTemporaryDir& dir) {
    const QString monitor = pactl({"get-default-sink"}) + ".monitor";
    // A tone plays into the output for the whole comparison, so that the system sound
    // is not silence. Both tones are played with a short buffer: a null sink fed with
    // pacat's default two seconds works in blocks that long, and a recording that
    // starts to read its monitor would get nothing for up to two seconds.
    TonePlayer tone(
        {"-r", "44100", "-c", "2", "-b", "16", "-t", "raw", "-", "synth", "600", "sine", "330", "vol", "0.3"},
        {"--raw", "--rate=44100", "--channels=2", "--format=s16le", "--latency-msec=20"});
    // The microphone: another tone played into a sink of its own, whose monitor is the
    // default input meanwhile. It delivers its sound as it plays, as a real microphone
    // does (a synthetic sine source hands out seconds ahead of time).
    const QString oldSource = pactl({"get-default-source"});
    const QString module = pactl({"load-module", "module-null-sink", "sink_name=bench_microphone"});
    pactl({"set-default-source", "bench_microphone.monitor"});
    TonePlayer microphone(
        {"-r", "48000", "-c", "1", "-b", "16", "-t", "raw", "-", "synth", "600", "sine", "440", "vol", "0.3"},
        {"--raw", "--rate=48000", "--channels=1", "--format=s16le", "--latency-msec=20", "--device=bench_microphone"});
    sleep(1);
    std::printf("sound: %d s of system sound (a tone) and microphone mixed into AAC 128 kbit/s; %d runs each, "
                "alternately\n",
                kSeconds, kRuns);
    Side ours;
    Side theirs;
    std::vector<double> ratios;
    for (int run = 1; run <= kRuns; ++run) {
        const QString oursPath = dir.filePath(QString("ours_sound_%1.m4a").arg(run));
        const QString theirsPath = dir.filePath(QString("ffmpeg_sound_%1.m4a").arg(run));
        const Usage ourUsage = runMeasured({self, "--record-sound", oursPath.toStdString()});
        const Usage theirUsage = runMeasured({"ffmpeg",
                                              "-nostdin",
                                              "-v",
                                              "error",
                                              "-y",
                                              "-f",
                                              "pulse",
                                              "-i",
                                              monitor.toStdString(),
                                              "-f",
                                              "pulse",
                                              "-i",
                                              "default",
                                              "-filter_complex",
                                              "amix=inputs=2",
                                              "-t",
                                              std::to_string(kSeconds),
                                              "-c:a",
                                              "aac",
                                              "-b:a",
                                              "128k",
                                              "-ar",
                                              "44100",
                                              "-ac",
                                              "2",
                                              theirsPath.toStdString()});
        ours.add(ourUsage);
        theirs.add(theirUsage);
        ours.kilobytes.push_back(fileKilobytes(oursPath));
        theirs.kilobytes.push_back(fileKilobytes(theirsPath));
        const double ratio = theirUsage.cpuSeconds > 0 ? ourUsage.cpuSeconds / theirUsage.cpuSeconds : 0.0;
        ratios.push_back(ratio);
        const std::pair<int, int> ourTones = quartersWithBothTones(oursPath);
        const std::pair<int, int> theirTones = quartersWithBothTones(theirsPath);
        std::printf("sound AAC run %d  calvorine: %5.2f s CPU, %4ld MB peak, %5.2f s of sound, %4.0f KB file, both "
                    "tones in %d/%d quarter s%s  |  ffmpeg pulse+amix: %5.2f s CPU, %4ld MB peak, %5.2f s of sound, "
                    "%4.0f KB file, both tones in %d/%d quarter s%s  |  CPU ratio %.2f\n",
                    run, ourUsage.cpuSeconds, ourUsage.peakKilobytes / 1024, streamSeconds(oursPath, "a"),
                    ours.kilobytes.back(), ourTones.first, ourTones.second, ourUsage.ok ? "" : " (failed)",
                    theirUsage.cpuSeconds, theirUsage.peakKilobytes / 1024, streamSeconds(theirsPath, "a"),
                    theirs.kilobytes.back(), theirTones.first, theirTones.second, theirUsage.ok ? "" : " (failed)",
                    ratio);
        std::fflush(stdout);
    }
    std::printf("sound AAC median of %d: calvorine %5.2f s CPU, %4.0f MB peak, %4.0f KB file%s  |  ffmpeg pulse+amix "
                "%5.2f s CPU, %4.0f MB peak, %4.0f KB file%s  |  median CPU ratio %.2f\n",
                kRuns, median(ours.cpu), median(ours.peakMegabytes), median(ours.kilobytes),
                ours.allOk ? "" : " (a run failed)", median(theirs.cpu), median(theirs.peakMegabytes),
                median(theirs.kilobytes), theirs.allOk ? "" : " (a run failed)", median(ratios));
    pactl({"set-default-source", oldSource});
    pactl({"unload-module", module});
}

constexpr int kLargeSeconds = 20;

// The pictures of a file: the distinct ones, their rate in the first and in the last 5 s,
// and the longest time the picture stood still.
struct PictureFlow {
    int frames = 0;
    int distinct = 0;
    double firstRate = 0;
    double lastRate = 0;
    double longestFreezeS = 0;
};

// The pictures by the clock of each frame, placed at the frame's time (a file may leave
// slots out).
PictureFlow pictureFlow(const QString& path, double fps) {
    const Pictures pictures = readPictures(path, fps);
    const frame_clock::Report& r = pictures.clock;
    const QVector<double>& times = pictures.times;
    PictureFlow flow;
    flow.frames = times.size();
    if (times.isEmpty() || r.frames > times.size()) {
        return flow;
    }
    const double end = times.last() + 1.0 / fps;
    double lastFresh = -1;
    for (int i = 0; i < r.frames && i < r.frameErrorMs.size(); ++i) {
        if (r.frameErrorMs[i] < 0 || r.repeatAt.contains(i)) {
            continue;
        }
        const double t = times[i];
        ++flow.distinct;
        flow.firstRate += t < times.first() + 5 ? 1.0 / 5 : 0.0;
        flow.lastRate += t >= end - 5 ? 1.0 / 5 : 0.0;
        if (lastFresh >= 0) {
            flow.longestFreezeS = std::max(flow.longestFreezeS, t - lastFresh);
        }
        lastFresh = t;
    }
    if (lastFresh >= 0) {
        flow.longestFreezeS = std::max(flow.longestFreezeS, end - lastFresh);
    }
    return flow;
}

QString describeFlow(const PictureFlow& f, const Usage& usage, double stopToGrowthS) {
    return QString::asprintf("%4d distinct of %4d frames, first 5 s %5.1f/s, last 5 s %5.1f/s, longest freeze "
                             "%4.2f s, CPU %5.1f s (%3.0f %% of a core), stop to last growth %5.2f s%s",
                             f.distinct, f.frames, f.firstRate, f.lastRate, f.longestFreezeS, usage.cpuSeconds,
                             100.0 * usage.cpuSeconds / kLargeSeconds, stopToGrowthS, usage.ok ? "" : " (failed)");
}

QString uptime() {
    QFile file("/proc/loadavg");
    return file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.readAll().trimmed()) : QString();
}

void compareLarge(const char* self, const QByteArray& display, const QTemporaryDir& dir) {
    const QSize screen = QGuiApplication::primaryScreen()->size();
    std::printf("recording %d s of a screen with moving content, both stopped from outside; H.264 ultrafast "
                "yuv420p, zero-latency baseline, %d kbit/s average, a key frame a second\n",
                kLargeSeconds, kVideoKbps);
    for (const QSize size : {QSize(2560, 1440), QSize(3840, 2160)}) {
        if (size.width() > screen.width() || size.height() > screen.height()) {
            std::printf("%dx%d skipped: the screen is %dx%d (CALVORINE_SCREEN=3840x2160x24)\n", size.width(),
                        size.height(), screen.width(), screen.height());
            continue;
        }
        for (int fps : {30, 60}) {
            const QString oursPath = dir.filePath(QString("ours_large_%1.mp4").arg(fps));
            const QString theirsPath = dir.filePath(QString("ffmpeg_large_%1.mp4").arg(fps));
            const QString stopTimePath = dir.filePath("stop_time");
            const QString load = uptime();
            Watch ourWatch{oursPath};
            const Usage ourUsage = runMeasured({self, "--record", std::to_string(fps), "0", oursPath.toStdString(),
                                                std::to_string(size.width()), std::to_string(size.height()),
                                                std::to_string(kLargeSeconds), stopTimePath.toStdString()},
                                               &ourWatch);
            QFile stopFile(stopTimePath);
            const int64_t ourStopUs = stopFile.open(QIODevice::ReadOnly) ? stopFile.readAll().toLongLong() : 0;
            std::vector<std::string> grab = ffmpegGrab(display, fps, 0, theirsPath);
            const auto sizeAt = std::find(grab.begin(), grab.end(), "1920x1080");
            *sizeAt = std::to_string(size.width()) + "x" + std::to_string(size.height());
            // Stopped as ours is, from outside after the time, not by its own count of input.
            const auto limitAt = std::find(grab.begin(), grab.end(), "-t");
            grab.erase(limitAt, limitAt + 2);
            Watch theirWatch{theirsPath, int64_t(kLargeSeconds) * 1'000'000};
            Usage theirUsage = runMeasured(grab, &theirWatch);
            // ffmpeg ends with a status of its own when interrupted: its file tells.
            theirUsage.ok = theirUsage.cpuSeconds > 0 && QFileInfo(theirsPath).size() > 0;
            const PictureFlow ours = pictureFlow(oursPath, fps);
            const PictureFlow theirs = pictureFlow(theirsPath, fps);
            const double ourStopS = ourStopUs > 0 ? (ourWatch.lastGrowthUs - ourStopUs) / 1e6 : -1;
            const double theirStopS = (theirWatch.lastGrowthUs - theirWatch.interruptedAtUs) / 1e6;
            std::printf("%dx%d %d fps (load %s)  calvorine: %s  |  ffmpeg x11grab: %s  |  distinct ratio %.2f, "
                        "last/first 5 s: calvorine %.2f, ffmpeg %.2f\n",
                        size.width(), size.height(), fps, qPrintable(load),
                        qPrintable(describeFlow(ours, ourUsage, ourStopS)),
                        qPrintable(describeFlow(theirs, theirUsage, theirStopS)),
                        theirs.distinct > 0 ? double(ours.distinct) / theirs.distinct : 0.0,
                        ours.firstRate > 0 ? ours.lastRate / ours.firstRate : 0.0,
                        theirs.firstRate > 0 ? theirs.lastRate / theirs.firstRate : 0.0);
            std::fflush(stdout);
            QFile::remove(oursPath);
            QFile::remove(theirsPath);
            QFile::remove(stopTimePath);
        }
    }
}

int compare(const char* self, const QString& only) {
    const QByteArray display = qgetenv("DISPLAY");
    if (display.isEmpty()) {
        std::fprintf(stderr, "no display: run on the virtual desktop\n");
        return 1;
    }
    QTemporaryDir dir;
    if (only != "sound") {
        QProcess animation;
        animation.start(self, {"--animate"});
        animation.waitForStarted();
        sleep(2);
        QProcess clock; // mapped after the animation, so above it
        clock.start(self, {"--clock-window", QString::number(kClockArea.x()), QString::number(kClockArea.y())});
        clock.waitForStarted();
        sleep(2);
        if (only == "large") {
            compareLarge(self, display, dir);
        } else {
            comparePictures(self, display, dir);
        }
        clock.kill();
        clock.waitForFinished();
        animation.kill();
        animation.waitForFinished();
    }
    if (only != "picture" && only != "large") {
        compareSound(self, dir);
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "--animate") == 0) {
        return animate(argc, argv);
    }
    if (argc > 3 && std::strcmp(argv[1], "--clock-window") == 0) {
        return frame_clock::runClockWindow(argc, argv, std::atoi(argv[2]), std::atoi(argv[3]));
    }
    if (argc > 8 && std::strcmp(argv[1], "--record") == 0) {
        return record(argc, argv, std::atoi(argv[2]), std::atoi(argv[3]), QString::fromLocal8Bit(argv[4]),
                      QSize(std::atoi(argv[5]), std::atoi(argv[6])), std::atoi(argv[7]),
                      QString::fromLocal8Bit(argv[8]));
    }
    if (argc > 4 && std::strcmp(argv[1], "--record") == 0) {
        return record(argc, argv, std::atoi(argv[2]), std::atoi(argv[3]), QString::fromLocal8Bit(argv[4]));
    }
    if (argc > 2 && std::strcmp(argv[1], "--record-sound") == 0) {
        return recordSound(argc, argv, QString::fromLocal8Bit(argv[2]));
    }
    // "picture" or "sound" runs only those rows, "large" the large screens.
    QGuiApplication app(argc, argv);
    const QByteArray self = QCoreApplication::applicationFilePath().toLocal8Bit();
    return compare(self.constData(), argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString());
}
