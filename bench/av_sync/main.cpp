// Records the full 1920x1080 screen at 30 frames a second with the system sound, in the
// default MP4, for three minutes (or the seconds given), with our recorder and with
// `ffmpeg -f x11grab ... -f pulse` at the same time. On the screen, in processes of their
// own: the recording tests' clock window (tests/support/FrameClock.h), which paints the
// machine's monotonic milliseconds as a bar code, and a window that flashes white every
// 5 s while a tone burst is played into the output; the burst's moment is logged on the
// same clock as it leaves (the moment its first sample is written plus the server's
// latency for what is queued before it).
//
// In each file the picture's timeline is read from the clock in every frame (file time
// less the clock it shows), the bursts are found in the sound, and each burst's offset is
// its file time less where the picture puts the moment it left: positive when the sound
// comes late. Prints for each recorder the offsets at the start and at the end of a
// straight line fitted through them, its drift in ms a minute, the smallest and the
// largest offset, and the ratio of the two drifts.
//
// Run on the virtual desktop: scripts/desktop.sh exec -- build/bin/bench_av_sync [seconds [keep]]
#include "app/AppGlobals.h"
#include "app/QRecordAreaInfo.h"
#include "media/OutputFormatSetting.h"
#include "media/QRecordObject.h"
#include "platform/system/clock.h"
#include "tests/support/FrameClock.h"
#include "tests/support/RecordingFormats.h"
#include "tests/support/TimedRecording.h"

#include <QApplication>
#include <QFile>
#include <QPainter>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QWidget>

#include <pulse/simple.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <thread>
#include <vector>

namespace {

constexpr int kFlashEveryMs = 5000;
constexpr int kFlashMs = 200;
constexpr int kAudioRate = 48000;
const QRect kClockArea(0, 0, frame_clock::kWidth, frame_clock::kHeight);
const QRect kFlashArea(0, 80, 320, 180);

// Plays into the default output without a break, silence and, when asked, a 150 ms
// 1 kHz burst. Each burst is logged with the moment it leaves for the output on the
// machine's clock: when its first sample is written, now plus the server's latency for
// what was written before it.
class BurstPlayer {
public:
    explicit BurstPlayer(FILE* log) : m_log(log) {
        pa_sample_spec format{PA_SAMPLE_S16LE, kAudioRate, 1};
        pa_buffer_attr attr;
        attr.maxlength = uint32_t(-1);
        attr.tlength = uint32_t(pa_usec_to_bytes(30'000, &format));
        attr.prebuf = uint32_t(-1);
        attr.minreq = uint32_t(-1);
        attr.fragsize = uint32_t(-1);
        int error = 0;
        m_stream = pa_simple_new(nullptr, "bench_av_sync", PA_STREAM_PLAYBACK, nullptr, "bursts", &format, nullptr,
                                 &attr, &error);
        if (m_stream) {
            m_thread = std::thread([this] { play(); });
        }
    }
    ~BurstPlayer() {
        m_stop = true;
        if (m_thread.joinable()) {
            m_thread.join();
        }
        if (m_stream) {
            pa_simple_free(m_stream);
        }
    }
    bool ok() const { return m_stream != nullptr; }
    void burst() { m_wanted = true; }

private:
    void play() {
        constexpr int kBlock = kAudioRate / 100;
        constexpr int kBurstFrames = kAudioRate * 15 / 100;
        std::vector<int16_t> block(kBlock);
        int burstLeft = 0;
        int64_t phase = 0;
        while (!m_stop) {
            if (m_wanted.exchange(false) && burstLeft == 0) {
                int error = 0;
                const pa_usec_t latency = pa_simple_get_latency(m_stream, &error);
                const int64_t leaves = calvorine::platform::monotonicMicroseconds() + int64_t(latency);
                std::fprintf(m_log, "%lld\n", static_cast<long long>(leaves / 1000));
                std::fflush(m_log);
                burstLeft = kBurstFrames;
                phase = 0;
            }
            for (int16_t& sample : block) {
                sample = 0;
                if (burstLeft > 0) {
                    sample = int16_t(16000 * std::sin(2 * M_PI * 1000.0 * double(phase++) / kAudioRate));
                    --burstLeft;
                }
            }
            int error = 0;
            if (pa_simple_write(m_stream, block.data(), block.size() * sizeof(int16_t), &error) < 0) {
                return;
            }
        }
    }

    FILE* m_log;
    pa_simple* m_stream = nullptr;
    std::thread m_thread;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_wanted{false};
};

// Black, white for kFlashMs every kFlashEveryMs with a burst played into the output.
class Flasher : public QWidget {
public:
    explicit Flasher(BurstPlayer& player) : m_player(player) {
        setWindowFlags(Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::X11BypassWindowManagerHint);
        setAttribute(Qt::WA_OpaquePaintEvent);
        m_timer.setTimerType(Qt::PreciseTimer);
        connect(&m_timer, &QTimer::timeout, this, [this] { flash(); });
        m_timer.start(kFlashEveryMs);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(rect(), m_white ? Qt::white : Qt::black);
    }

private:
    void flash() {
        m_player.burst();
        m_white = true;
        repaint();
        QTimer::singleShot(kFlashMs, Qt::PreciseTimer, this, [this] {
            m_white = false;
            repaint();
        });
    }

    BurstPlayer& m_player;
    QTimer m_timer;
    bool m_white = false;
};

int runFlasher(int argc, char** argv, const char* logPath) {
    QApplication app(argc, argv);
    FILE* log = std::fopen(logPath, "w");
    if (!log) {
        return 1;
    }
    BurstPlayer player(log);
    if (!player.ok()) {
        std::fprintf(stderr, "cannot play into the output\n");
        return 1;
    }
    Flasher window(player);
    window.setGeometry(kFlashArea);
    window.show();
    const int result = app.exec();
    std::fclose(log);
    return result;
}

// Our recorder: the full screen, 30 frames a second, system sound only, the default
// MP4 (H.264 and AAC), for the seconds given.
int record(int argc, char** argv, int seconds, const QString& output) {
    QTemporaryDir home;
    qputenv("HOME", home.path().toUtf8());
    qputenv("XDG_CONFIG_HOME", (home.path() + "/config").toUtf8());
    qputenv("XDG_DATA_HOME", (home.path() + "/data").toUtf8());
    qputenv("TMPDIR", home.path().toUtf8());
    QApplication app(argc, argv);
    QRecordAreaInfo* area = QRecordAreaInfo::instance();
    area->setAreaOrigin(0, 0);
    area->setAreaSize(1920, 1080);
    area->setAudioSource(QRecordAreaInfo::SystemSound, true);
    area->setDevicePresent(QRecordAreaInfo::SystemSound, true);
    area->setAudioSource(QRecordAreaInfo::Microphone, false);
    area->setCursorOption(QRecordAreaInfo::HighlightCursor, false);
    area->setCursorOption(QRecordAreaInfo::HighlightClicks, false);
    OutputFormatSetting format = testformats::h264AacFormat(30);
    return recording_test::recordFor(app, format, output, seconds);
}

QString pactl(const QStringList& arguments) {
    QProcess process;
    process.start("pactl", arguments);
    process.waitForFinished(10000);
    return QString::fromLocal8Bit(process.readAllStandardOutput().trimmed());
}

struct Burst {
    int64_t sentMs = 0; // when it left for the output
};

std::vector<Burst> readLog(const QString& path) {
    std::vector<Burst> bursts;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return bursts;
    }
    for (const QByteArray& line : file.readAll().split('\n')) {
        if (!line.trimmed().isEmpty()) {
            bursts.push_back({line.trimmed().toLongLong()});
        }
    }
    return bursts;
}

// The picture's timeline: for every frame with a readable clock, its file time (ms) less
// the machine's milliseconds its clock shows. unwrapNear is a full monotonic ms value
// near the recording, to undo the clock's wrap.
struct FrameTime {
    double fileMs;
    int64_t clockMs;
};

std::vector<FrameTime> readPicture(const QString& path, int64_t unwrapNear) {
    QProcess ffmpeg;
    ffmpeg.start("ffmpeg", {"-nostdin", "-copyts", "-i", path, "-map", "0:v:0", "-vsync", "0", "-vf",
                            QString("crop=%1:%2:%3:%4,scale=%5:1:flags=area,format=gray,showinfo")
                                .arg(kClockArea.width())
                                .arg(kClockArea.height())
                                .arg(kClockArea.x())
                                .arg(kClockArea.y())
                                .arg(frame_clock::kBars),
                            "-f", "rawvideo", "-"});
    ffmpeg.waitForFinished(900000);
    const QByteArray bytes = ffmpeg.readAllStandardOutput();
    const QString log = QString::fromLocal8Bit(ffmpeg.readAllStandardError());
    std::vector<double> times;
    QRegularExpression pts("pts_time:\\s*([-0-9.]+)");
    for (auto match = pts.globalMatch(log); match.hasNext();) {
        times.push_back(match.next().captured(1).toDouble() * 1000.0);
    }
    const int64_t mask = (int64_t(1) << frame_clock::kBits) - 1;
    std::vector<FrameTime> frames;
    const size_t count = std::min(times.size(), size_t(bytes.size()) / size_t(frame_clock::kBars));
    for (size_t i = 0; i < count; ++i) {
        const int64_t value =
            frame_clock::readBars(reinterpret_cast<const uint8_t*>(bytes.constData()) + i * frame_clock::kBars);
        if (value < 0) {
            continue;
        }
        int64_t delta = (value - unwrapNear) & mask;
        if (delta > (mask >> 1)) {
            delta -= mask + 1;
        }
        frames.push_back({times[i], unwrapNear + delta});
    }
    return frames;
}

// The file's sound, mono float at kAudioRate from file time 0.
std::vector<float> readSound(const QString& path) {
    QProcess ffmpeg;
    ffmpeg.start("ffmpeg",
                 {"-nostdin", "-v", "error", "-copyts", "-i", path, "-map", "0:a:0", "-af",
                  "aresample=async=1:first_pts=0", "-ac", "1", "-ar", QString::number(kAudioRate), "-f", "f32le", "-"});
    ffmpeg.waitForFinished(900000);
    const QByteArray bytes = ffmpeg.readAllStandardOutput();
    std::vector<float> samples(size_t(bytes.size()) / sizeof(float));
    std::memcpy(samples.data(), bytes.constData(), samples.size() * sizeof(float));
    return samples;
}

struct Offsets {
    std::vector<double> atMinute; // when the burst left, minutes from the first
    std::vector<double> ms;
};

Offsets measure(const QString& path, const std::vector<Burst>& bursts) {
    Offsets result;
    if (bursts.empty()) {
        return result;
    }
    const std::vector<FrameTime> frames = readPicture(path, bursts.front().sentMs);
    const std::vector<float> sound = readSound(path);
    if (frames.empty() || sound.empty()) {
        std::printf("%s: %zu frames with a readable clock, %.1f s of sound\n", qPrintable(path), frames.size(),
                    double(sound.size()) / kAudioRate);
        return result;
    }
    for (const Burst& burst : bursts) {
        // Where the picture puts the burst's moment: file time less clock over the frames
        // of the two seconds around it. A clock the window was late to repaint (the
        // machine busy with two recorders) is older than the moment it was grabbed and
        // makes the difference larger: the fifth of the frames with the smallest one
        // tells.
        std::vector<double> mapping;
        for (const FrameTime& frame : frames) {
            if (std::abs(frame.clockMs - burst.sentMs) <= 1000) {
                mapping.push_back(frame.fileMs - double(frame.clockMs));
            }
        }
        if (mapping.size() < 20) {
            continue; // outside this recording
        }
        std::sort(mapping.begin(), mapping.end());
        const double expectedMs = double(burst.sentMs) + mapping[mapping.size() / 5];
        // The burst's onset in the sound: the first loud sample after a quiet stretch,
        // within half a second of where the picture puts it.
        const int64_t from = std::max<int64_t>(0, int64_t((expectedMs - 500) * kAudioRate / 1000));
        const int64_t to = std::min<int64_t>(int64_t(sound.size()), int64_t((expectedMs + 500) * kAudioRate / 1000));
        for (int64_t i = from; i < to; ++i) {
            if (std::abs(sound[size_t(i)]) <= 0.1f) {
                continue;
            }
            // Quiet for the 50 ms before (the burst's own first millisecond aside).
            bool quiet = i >= kAudioRate / 20;
            for (int64_t j = i - kAudioRate / 1000; quiet && j > i - kAudioRate / 20; --j) {
                quiet = std::abs(sound[size_t(j)]) < 0.02f;
            }
            if (quiet) {
                result.atMinute.push_back(double(burst.sentMs - bursts.front().sentMs) / 60000.0);
                result.ms.push_back(double(i) * 1000.0 / kAudioRate - expectedMs);
                break;
            }
        }
    }
    return result;
}

struct Line {
    double start = 0;
    double end = 0;
    double perMinute = 0;
    double lowest = 0;
    double highest = 0;
    int count = 0;
};

Line fit(const Offsets& o) {
    Line line;
    line.count = int(o.ms.size());
    if (line.count < 2) {
        return line;
    }
    double mx = 0;
    double my = 0;
    for (int i = 0; i < line.count; ++i) {
        mx += o.atMinute[size_t(i)];
        my += o.ms[size_t(i)];
    }
    mx /= line.count;
    my /= line.count;
    double sxy = 0;
    double sxx = 0;
    for (int i = 0; i < line.count; ++i) {
        sxy += (o.atMinute[size_t(i)] - mx) * (o.ms[size_t(i)] - my);
        sxx += (o.atMinute[size_t(i)] - mx) * (o.atMinute[size_t(i)] - mx);
    }
    line.perMinute = sxx > 0 ? sxy / sxx : 0;
    line.start = my + line.perMinute * (o.atMinute.front() - mx);
    line.end = my + line.perMinute * (o.atMinute.back() - mx);
    line.lowest = *std::min_element(o.ms.begin(), o.ms.end());
    line.highest = *std::max_element(o.ms.begin(), o.ms.end());
    return line;
}

QString describe(const Line& line, double minutes) {
    return QString::asprintf("%2d bursts over %.1f min: offset %+6.1f ms at the start, %+6.1f ms at the end, drift "
                             "%+5.2f ms/min, each burst between %+6.1f and %+6.1f ms",
                             line.count, minutes, line.start, line.end, line.perMinute, line.lowest, line.highest);
}

int compare(const char* self, int seconds, bool keep) {
    const QByteArray display = qgetenv("DISPLAY");
    if (display.isEmpty()) {
        std::fprintf(stderr, "no display: run on the virtual desktop\n");
        return 1;
    }
    QTemporaryDir dir;
    // "keep" leaves the files and the log for a look.
    dir.setAutoRemove(!keep);
    if (keep) {
        std::printf("files in %s\n", qPrintable(dir.path()));
    }
    const QString sink = pactl({"get-default-sink"});
    if (sink.isEmpty()) {
        std::fprintf(stderr, "no output device to play the bursts into\n");
        return 1;
    }
    const QString log = dir.filePath("bursts.log");
    QProcess clock;
    clock.start(self, {"--clock-window", QString::number(kClockArea.x()), QString::number(kClockArea.y())});
    QProcess flasher;
    flasher.start(self, {"--flash", log});
    clock.waitForStarted();
    flasher.waitForStarted();
    QThread::sleep(2);

    const QString ours = dir.filePath("calvorine.mp4");
    const QString theirs = dir.filePath("ffmpeg.mp4");
    std::printf("recording %d s of the full 1920x1080 screen at 30 fps with the system sound, a white flash and a "
                "tone burst every %d s, with calvorine (default MP4) and ffmpeg x11grab + pulse at the same time\n",
                seconds, kFlashEveryMs / 1000);
    std::fflush(stdout);
    QProcess ourRecorder;
    ourRecorder.setProcessChannelMode(QProcess::ForwardedChannels);
    ourRecorder.start(self, {"--record", QString::number(seconds), ours});
    QProcess ffmpeg;
    ffmpeg.setProcessChannelMode(QProcess::ForwardedChannels);
    ffmpeg.start("ffmpeg", {"-nostdin",    "-v",
                            "error",       "-y",
                            "-f",          "x11grab",
                            "-framerate",  "30",
                            "-video_size", "1920x1080",
                            "-i",          QString::fromLocal8Bit(display),
                            "-f",          "pulse",
                            "-i",          sink + ".monitor",
                            "-t",          QString::number(seconds),
                            "-c:v",        "libx264",
                            "-preset",     "ultrafast",
                            "-pix_fmt",    "yuv420p",
                            "-c:a",        "aac",
                            "-b:a",        "128k",
                            theirs});
    const int limitMs = (seconds + 120) * 1000;
    const bool oursDone = ourRecorder.waitForFinished(limitMs) && ourRecorder.exitCode() == 0;
    const bool theirsDone = ffmpeg.waitForFinished(limitMs) && ffmpeg.exitCode() == 0;
    flasher.terminate();
    flasher.waitForFinished();
    clock.kill();
    clock.waitForFinished();
    if (!oursDone || !theirsDone) {
        std::printf("a recording failed: calvorine %s, ffmpeg %s\n", oursDone ? "ok" : "failed",
                    theirsDone ? "ok" : "failed");
        return 1;
    }

    const std::vector<Burst> bursts = readLog(log);
    const Offsets ourOffsets = measure(ours, bursts);
    const Offsets theirOffsets = measure(theirs, bursts);
    const Line ourLine = fit(ourOffsets);
    const Line theirLine = fit(theirOffsets);
    const double minutes = ourOffsets.atMinute.empty() ? 0 : ourOffsets.atMinute.back() - ourOffsets.atMinute.front();
    std::printf("calvorine        %s\n", qPrintable(describe(ourLine, minutes)));
    const double theirMinutes =
        theirOffsets.atMinute.empty() ? 0 : theirOffsets.atMinute.back() - theirOffsets.atMinute.front();
    std::printf("ffmpeg x11grab+pulse %s\n", qPrintable(describe(theirLine, theirMinutes)));
    std::printf("drift ratio calvorine / ffmpeg: %.2f (|%.2f| / |%.2f| ms/min)\n",
                std::abs(theirLine.perMinute) > 0 ? std::abs(ourLine.perMinute) / std::abs(theirLine.perMinute) : 0.0,
                ourLine.perMinute, theirLine.perMinute);
    QStringList each;
    for (double ms : ourOffsets.ms) {
        each << QString::number(ms, 'f', 1);
    }
    std::printf("calvorine each burst (ms): %s\n", qPrintable(each.join(' ')));
    each.clear();
    for (double ms : theirOffsets.ms) {
        each << QString::number(ms, 'f', 1);
    }
    std::printf("ffmpeg each burst (ms): %s\n", qPrintable(each.join(' ')));
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 3 && std::strcmp(argv[1], "--clock-window") == 0) {
        return frame_clock::runClockWindow(argc, argv, std::atoi(argv[2]), std::atoi(argv[3]));
    }
    if (argc > 2 && std::strcmp(argv[1], "--flash") == 0) {
        return runFlasher(argc, argv, argv[2]);
    }
    if (argc > 3 && std::strcmp(argv[1], "--record") == 0) {
        return record(argc, argv, std::atoi(argv[2]), QString::fromLocal8Bit(argv[3]));
    }
    QCoreApplication app(argc, argv);
    const QByteArray self = QCoreApplication::applicationFilePath().toLocal8Bit();
    return compare(self.constData(), argc > 1 ? std::atoi(argv[1]) : 180,
                   argc > 2 && std::strcmp(argv[2], "keep") == 0);
}
