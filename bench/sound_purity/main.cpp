// Records a steady tone with our recording engine and with `ffmpeg -f pulse` of the same
// source in the same run: the system sound (a 1 kHz sine played into the default output,
// both recording at the same time) and then the microphone (the desktop's sine source, one
// after the other), each in WAV and in the default MP4 (H.264 and AAC at 128 kbit/s;
// ffmpeg writes 44.1 kHz WAV or AAC at 128 kbit/s), on a quiet machine and under four busy
// loops. For each file it fits a sine (frequency searched within 4 Hz) to every 50 ms
// block and prints what is left over against the tone (median, worst, blocks above
// -60 dB), the largest deviation of the tone's frequency from its nominal one over each
// 0.5 s and over the whole file, ours beside ffmpeg's with the difference and the ratio
// of the residuals' amplitudes. The load average goes with every line.
//
// Run on the virtual desktop: scripts/desktop.sh exec -- build/bin/bench_sound_purity [seconds [keep]]
// A kept file is measured again with: bench_sound_purity --measure FILE TONE_HZ
#include "app/AppGlobals.h"
#include "app/QRecordAreaInfo.h"
#include "media/OutputFormatSetting.h"
#include "media/QRecordObject.h"
#include "tests/support/RecordingFormats.h"
#include "tests/support/SineFit.h"
#include "tests/support/TimedRecording.h"

#include <QApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <signal.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

constexpr int kRate = 48000;
constexpr double kSystemToneHz = 1000.0;
constexpr double kMicrophoneToneHz = 440.0;

// Our recorder: system sound or microphone only, WAV or the default MP4.
int record(int argc, char** argv, bool microphone, bool mp4, int seconds, const QString& output) {
    QTemporaryDir home;
    qputenv("HOME", home.path().toUtf8());
    qputenv("XDG_CONFIG_HOME", (home.path() + "/config").toUtf8());
    qputenv("XDG_DATA_HOME", (home.path() + "/data").toUtf8());
    QApplication app(argc, argv);
    QRecordAreaInfo* area = QRecordAreaInfo::instance();
    area->setAreaOrigin(0, 0);
    area->setAreaSize(1280, 720);
    area->setAudioSource(QRecordAreaInfo::SystemSound, !microphone);
    area->setDevicePresent(QRecordAreaInfo::SystemSound, !microphone);
    area->setAudioSource(QRecordAreaInfo::Microphone, microphone);
    area->setDevicePresent(QRecordAreaInfo::Microphone, microphone);
    area->setCursorOption(QRecordAreaInfo::HighlightCursor, false);
    area->setCursorOption(QRecordAreaInfo::HighlightClicks, false);
    OutputFormatSetting format =
        mp4 ? testformats::h264AacFormat(30) : testformats::soundOnlyFormat("wav", "wav", "PCM", CVCODEC_PCM_S16LE);
    return recording_test::recordFor(app, format, output, seconds);
}

QString run(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(60000);
    return QString::fromLocal8Bit(process.readAllStandardOutput().trimmed());
}

QString loadAverage() {
    QFile file("/proc/loadavg");
    if (!file.open(QIODevice::ReadOnly)) {
        return "?";
    }
    return QString::fromLatin1(file.readAll()).section(' ', 0, 2);
}

std::vector<int16_t> decode(const QString& path) {
    QProcess ffmpeg;
    ffmpeg.start("ffmpeg", {"-nostdin", "-v", "error", "-i", path, "-map", "0:a:0", "-ac", "1", "-ar",
                            QString::number(kRate), "-f", "s16le", "-"});
    ffmpeg.waitForFinished(120000);
    const QByteArray bytes = ffmpeg.readAllStandardOutput();
    std::vector<int16_t> samples(size_t(bytes.size()) / 2);
    std::memcpy(samples.data(), bytes.constData(), samples.size() * 2);
    return samples;
}

struct Purity {
    bool ok = false;
    double medianDb = 0;
    double worstDb = 0;
    int above = 0; // blocks above -60 dB
    int blocks = 0;
    double worstPpm = 0;
    double wholePpm = 0; // the tone over the whole measured span (a device clock off the machine's)
};

// From half a second in to half a second before the end.
Purity measure(const QString& path, double toneHz) {
    Purity purity;
    const std::vector<int16_t> samples = decode(path);
    const int from = kRate / 2;
    const int to = int(samples.size()) - kRate / 2;
    std::vector<double> residuals;
    for (int at = from; at + kRate / 20 <= to; at += kRate / 20) {
        const soundtest::SineFit fit = soundtest::fitSine(samples.data() + at, kRate / 20, kRate, toneHz);
        residuals.push_back(fit.residualDb);
        if (fit.residualDb > -60 && qEnvironmentVariableIsSet("SOUND_PURITY_BLOCKS"))
            std::printf("  block at %.2f s: %.1f dB, %.3f Hz\n", at / double(kRate), fit.residualDb, fit.frequencyHz);
        purity.above += fit.residualDb > -60 ? 1 : 0;
    }
    for (int at = from; at + kRate / 2 <= to; at += kRate / 2) {
        const double hz = soundtest::fitSine(samples.data() + at, kRate / 2, kRate, toneHz).frequencyHz;
        purity.worstPpm = std::max(purity.worstPpm, std::abs(hz / toneHz - 1.0) * 1e6);
        if (qEnvironmentVariableIsSet("SOUND_PURITY_BLOCKS"))
            std::printf("  %.1f s: %+.0f ppm\n", at / double(kRate), (hz / toneHz - 1.0) * 1e6);
    }
    if (residuals.empty()) {
        return purity;
    }
    purity.wholePpm =
        (soundtest::fitSine(samples.data() + from, to - from, kRate, toneHz, 0.5).frequencyHz / toneHz - 1.0) * 1e6;
    purity.blocks = int(residuals.size());
    purity.worstDb = *std::max_element(residuals.begin(), residuals.end());
    std::nth_element(residuals.begin(), residuals.begin() + std::ptrdiff_t(residuals.size() / 2), residuals.end());
    purity.medianDb = residuals[residuals.size() / 2];
    purity.ok = true;
    return purity;
}

QString describe(const Purity& p) {
    if (!p.ok) {
        return "no sound";
    }
    return QString("median %1 dB, worst %2 dB, %3 of %4 blocks above -60 dB, frequency off by up to %5 ppm "
                   "(the whole file %6 ppm)")
        .arg(p.medianDb, 0, 'f', 1)
        .arg(p.worstDb, 0, 'f', 1)
        .arg(p.above)
        .arg(p.blocks)
        .arg(p.worstPpm, 0, 'f', 0)
        .arg(p.wholePpm, 0, 'f', 0);
}

// Four busy loops of the shell's, as a user's loaded machine has them.
std::vector<qint64> startBusyLoops() {
    std::vector<qint64> pids;
    for (int i = 0; i < 4; ++i) {
        qint64 pid = 0;
        if (QProcess::startDetached("sh", {"-c", "while :; do :; done"}, QString(), &pid)) {
            pids.push_back(pid);
        }
    }
    return pids;
}

int compare(const char* self, int seconds, bool keep) {
    QTemporaryDir dir;
    dir.setAutoRemove(!keep);
    const QString sink = run("pactl", {"get-default-sink"});
    const QString microphone = run("pactl", {"get-default-source"});
    const QString module =
        run("pactl", {"load-module", "module-sine", "sink=" + sink, QString("frequency=%1").arg(kSystemToneHz)});
    if (sink.isEmpty() || module.isEmpty()) {
        std::fprintf(stderr, "no output to play the tone into\n");
        return 1;
    }
    std::printf("%d s each; system sound: %s.monitor with a %.0f Hz sine; microphone: %s (%.0f Hz)\n", seconds,
                qPrintable(sink), kSystemToneHz, qPrintable(microphone), kMicrophoneToneHz);
    for (const bool busy : {false, true}) {
        const std::vector<qint64> loops = busy ? startBusyLoops() : std::vector<qint64>();
        for (const bool onMicrophone : {false, true}) {
            const QString device = onMicrophone ? microphone : sink + ".monitor";
            const double toneHz = onMicrophone ? kMicrophoneToneHz : kSystemToneHz;
            for (const bool mp4 : {false, true}) {
                const QString tag = QString("%1-%2-%3")
                                        .arg(busy ? "busy" : "quiet")
                                        .arg(onMicrophone ? "mic" : "system")
                                        .arg(mp4 ? "mp4" : "wav");
                const QString ours = dir.filePath(tag + (mp4 ? ".mp4" : ".wav"));
                const QString theirs = dir.filePath(tag + "-ffmpeg" + (mp4 ? ".m4a" : ".wav"));
                // Both write 44.1 kHz stereo, the engine's format. The microphone is
                // recorded by one after the other: while a second program reads it, the
                // desktop's sine microphone hands our capture its two-second blocks up to
                // two seconds late, more than the mixer waits for a source.
                QProcess peer;
                auto startPeer = [&] {
                    peer.start("ffmpeg", {"-nostdin", "-v", "error", "-y", "-f", "pulse", "-sample_rate", "44100", "-i",
                                          device, "-t", QString::number(seconds + 1), "-ac", "2", "-c:a",
                                          mp4 ? "aac" : "pcm_s16le", "-b:a", "128k", theirs});
                };
                if (!onMicrophone) {
                    startPeer();
                }
                QProcess recorder;
                recorder.start(self, {"--record", onMicrophone ? "mic" : "system", mp4 ? "mp4" : "wav",
                                      QString::number(seconds), ours});
                recorder.waitForFinished(seconds * 1000 + 60000);
                if (onMicrophone) {
                    startPeer();
                }
                peer.waitForFinished(seconds * 1000 + 60000);
                const QString load = loadAverage();
                const Purity our = measure(ours, toneHz);
                const Purity peerFigure = measure(theirs, toneHz);
                std::printf("%s %s %s (load %s):\n  ours:   %s\n  ffmpeg: %s\n", busy ? "busy " : "quiet",
                            onMicrophone ? "microphone  " : "system sound", mp4 ? "MP4" : "WAV", qPrintable(load),
                            qPrintable(describe(our)), qPrintable(describe(peerFigure)));
                if (our.ok && peerFigure.ok) {
                    std::printf("  ours - ffmpeg: median %+.1f dB (residual amplitude ratio %.2f), worst %+.1f dB\n",
                                our.medianDb - peerFigure.medianDb,
                                std::pow(10.0, (our.medianDb - peerFigure.medianDb) / 20.0),
                                our.worstDb - peerFigure.worstDb);
                }
                std::fflush(stdout);
            }
        }
        for (const qint64 pid : loops) {
            ::kill(pid_t(pid), SIGTERM);
        }
    }
    run("pactl", {"unload-module", module});
    if (keep) {
        std::printf("files kept in %s\n", qPrintable(dir.path()));
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 5 && std::strcmp(argv[1], "--record") == 0) {
        return record(argc, argv, std::strcmp(argv[2], "mic") == 0, std::strcmp(argv[3], "mp4") == 0,
                      std::atoi(argv[4]), QString::fromLocal8Bit(argv[5]));
    }
    if (argc > 3 && std::strcmp(argv[1], "--measure") == 0) {
        // A file recorded elsewhere: its tone's frequency given.
        std::printf("%s\n", qPrintable(describe(measure(QString::fromLocal8Bit(argv[2]), std::atof(argv[3])))));
        return 0;
    }
    QCoreApplication app(argc, argv);
    const QByteArray self = QCoreApplication::applicationFilePath().toLocal8Bit();
    return compare(self.constData(), argc > 1 ? std::atoi(argv[1]) : 10, argc > 2 && std::strcmp(argv[2], "keep") == 0);
}
