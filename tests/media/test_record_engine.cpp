// The recording engine on the virtual desktop: real files of an animated test window with
// a tone in the null sink and the sine microphone, judged with ffprobe and ffmpeg; pause,
// cut, audio only, screenshots with every overlay, sync of picture and sound, and bad
// input.
#include "media/QRecordAudioObject.h"
#include "media/QRecordObject.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/FrameClock.h"
#include "tests/support/OwnSoundServer.h"
#include "tests/support/RecordingFormats.h"
#include "tests/support/ToneStrength.h"

#include "app/AppGlobals.h"
#include "app/HistoryFile.h"
#include "app/QRecordAreaInfo.h"
#include "app/Utilities.h"
#include "media/OutputFormatSetting.h"
#include "platform/system/clock.h"
#include "platform/system/screen_capture.h"
#include "recording_test_support.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QBitmap>
#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QPainter>
#include <QThread>
#include <QTimer>
#include <QWidget>
#include <QtTest>

#include <pulse/simple.h>
#include <unistd.h>

#include <atomic>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <thread>

using namespace recording_test;

Q_DECLARE_METATYPE(OutputFormatSetting)

namespace {

const QRect kArea(200, 150, 320, 240);

// A frameless window over the capture area: a solid colour, or an animation (a bar that
// moves and colours that change every 20 ms).
class TestWindow : public QWidget {
public:
    TestWindow() {
        setWindowFlags(Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::X11BypassWindowManagerHint);
        setAttribute(Qt::WA_OpaquePaintEvent);
        connect(&m_timer, &QTimer::timeout, this, [this] {
            ++m_step;
            update();
        });
    }
    void setColour(QColor colour) {
        m_colour = colour;
        m_timer.stop();
        repaint();
    }
    void animate() { m_timer.start(20); }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        if (!m_timer.isActive()) {
            p.fillRect(rect(), m_colour);
            return;
        }
        // Dark colours only: a white frame in the file can only come from elsewhere.
        p.fillRect(rect(), QColor::fromHsv((m_step * 7) % 360, 255, 90));
        p.fillRect((m_step * 4) % width(), 0, 20, height(), QColor(20, 20, 120));
    }

private:
    QColor m_colour = Qt::blue;
    QTimer m_timer;
    int m_step = 0;
};

OutputFormatSetting matroskaFormat() {
    OutputFormatSetting f = testformats::h264AacFormat(30);
    f.container = "matroska";
    f.extension = "mkv";
    return f;
}

OutputFormatSetting wavFormat() {
    OutputFormatSetting f;
    f.audioOnly = true;
    f.container = "wav";
    f.extension = "wav";
    f.audioCodec = "PCM";
    f.audioCodecId = CVCODEC_PCM_S16LE;
    f.channels = 2;
    f.sampleRate = 44100;
    return f;
}

// Pictures or sound frames ffmpeg decodes from the file's first stream of the kind.
int decodedFrames(const QString& path, const QString& kind) {
    const Output o = run("ffprobe", {"-v", "error", "-count_frames", "-select_streams", kind == "video" ? "v:0" : "a:0",
                                     "-show_entries", "stream=nb_read_frames", "-of", "csv=p=0", path});
    return o.exitCode == 0 ? QString::fromLatin1(o.out).trimmed().toInt() : 0;
}

void setSources(bool system, bool microphone) {
    QRecordAreaInfo* area = QRecordAreaInfo::instance();
    area->setAudioSource(QRecordAreaInfo::SystemSound, system);
    area->setAudioSource(QRecordAreaInfo::Microphone, microphone);
    area->setDevicePresent(QRecordAreaInfo::SystemSound, true);
    area->setDevicePresent(QRecordAreaInfo::Microphone, true);
}

void setCursorOptions(bool show, bool highlight, bool clicks) {
    QRecordAreaInfo* area = QRecordAreaInfo::instance();
    area->setCursorOption(QRecordAreaInfo::ShowCursor, show);
    area->setCursorOption(QRecordAreaInfo::HighlightCursor, highlight);
    area->setCursorOption(QRecordAreaInfo::HighlightClicks, clicks);
    area->setCursorImageIndex(QRecordAreaInfo::HighlightCursor, 7);
    area->setCursorImageIndex(QRecordAreaInfo::HighlightClicks, 7);
}

// Shared-memory segments this process made (from the kernel's own list).
int ownSharedMemorySegments() {
    QFile list("/proc/sysvipc/shm");
    if (!list.open(QIODevice::ReadOnly)) {
        return -1;
    }
    int count = 0;
    const QString pid = QString::number(getpid());
    list.readLine();
    while (!list.atEnd()) {
        const QStringList fields = QString::fromLatin1(list.readLine()).simplified().split(' ');
        if (fields.size() > 4 && fields[4] == pid) {
            ++count;
        }
    }
    return count;
}

bool screenShows(QPoint at, QColor colour) {
    calvorine::platform::ScreenCapture capture;
    if (!capture.open(at.x(), at.y(), 1, 1, 1.0)) {
        return false;
    }
    for (int i = 0; i < 300; ++i) {
        QCoreApplication::processEvents();
        const uint8_t* p = capture.grab();
        if (p && qRgb(p[2], p[1], p[0]) == colour.rgb()) {
            return true;
        }
        QTest::qWait(5);
    }
    return false;
}

bool near(QRgb a, QColor b, int tolerance = 40) {
    return std::abs(qRed(a) - b.red()) <= tolerance && std::abs(qGreen(a) - b.green()) <= tolerance &&
           std::abs(qBlue(a) - b.blue()) <= tolerance;
}

// Plays into the default output through a stream of its own with a short buffer:
// silence, and a click (20 ms at full scale) as soon as it is asked for one.
class ClickPlayer {
public:
    bool start() {
        pa_sample_spec sampleSpec{PA_SAMPLE_S16LE, 48000, 1};
        pa_buffer_attr attr;
        attr.maxlength = uint32_t(-1);
        attr.tlength = 480 * 2; // 10 ms
        attr.prebuf = uint32_t(-1);
        attr.minreq = uint32_t(-1);
        attr.fragsize = uint32_t(-1);
        int error = 0;
        m_stream = pa_simple_new(nullptr, "recording test", PA_STREAM_PLAYBACK, nullptr, "click", &sampleSpec, nullptr,
                                 &attr, &error);
        if (!m_stream) {
            return false;
        }
        m_thread = std::thread([this] {
            std::vector<int16_t> piece(96); // 2 ms
            while (!m_stop) {
                int clickLeft = m_click.exchange(0);
                std::fill(piece.begin(), piece.end(), 0);
                if (clickLeft) {
                    std::vector<int16_t> click(960);
                    for (size_t i = 0; i < click.size(); ++i) {
                        click[i] = (i / 24) % 2 ? 30000 : -30000;
                    }
                    // What is buffered ahead of the click decides when it sounds.
                    const pa_usec_t latency = pa_simple_get_latency(m_stream, nullptr);
                    m_playsAtUs = calvorine::platform::monotonicMicroseconds() + int64_t(latency);
                    pa_simple_write(m_stream, click.data(), click.size() * 2, nullptr);
                    continue;
                }
                pa_simple_write(m_stream, piece.data(), piece.size() * 2, nullptr);
            }
        });
        return true;
    }
    void click() { m_click = 1; }
    // When the last click sounds in the output (monotonic microseconds); 0 until known.
    int64_t playsAtUs() const { return m_playsAtUs; }
    ~ClickPlayer() {
        m_stop = true;
        if (m_thread.joinable()) {
            m_thread.join();
        }
        if (m_stream) {
            pa_simple_free(m_stream);
        }
    }

private:
    pa_simple* m_stream = nullptr;
    std::thread m_thread;
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_click{0};
    std::atomic<int64_t> m_playsAtUs{0};
};

} // namespace

class TestRecordEngine : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_out;
    TestWindow m_window;
    OutputFormatSetting m_format;
    QStringList m_madeImages;
    QStringList m_madeFolders;

    QString outputFile(const QString& name) const { return m_out.filePath(name); }

    void useFormat(const OutputFormatSetting& format) {
        m_format = format;
        g_currentFormat = &m_format;
    }

    // The user's own picture (index 7), which the cursor chooser keeps in the data folder.
    void putCursorPicture(int type, QColor colour) {
        const QString path = QRecordAreaInfo::cursorImagePath(type, QRecordAreaInfo::kOwnCursorImageIndex);
        const QString dir = QFileInfo(path).absolutePath();
        if (!QDir(dir).exists()) {
            QDir().mkpath(dir);
            m_madeFolders << dir;
        }
        QImage image(48, 48, QImage::Format_ARGB32);
        image.fill(colour);
        QVERIFY(image.save(path));
        m_madeImages << path;
    }

    // Where a file's system sound misses the steady 1 kHz tone: from its first moment (see
    // soundLead) in 10 ms windows, and in quarter seconds from the first to the one before
    // the last; empty when it is whole. The sound's length goes to seconds.
    static QStringList missingTone(const QString& file, double& seconds) {
        constexpr int kRate = 44100;
        const std::vector<int16_t> samples = soundtest::decodedMono(file, kRate);
        seconds = double(samples.size()) / kRate;
        const double lead = soundLead(file);
        QStringList missing = soundtest::missingTone(samples, kRate, 1000, lead + 0.003);
        const double onset = soundtest::toneOnset(samples, kRate, 1000);
        if (onset < 0) {
            missing.prepend("no tone at all");
        } else if (onset > lead + 0.003) {
            missing.prepend(QString("the tone begins at %1 ms, the recording's sound at %2 ms")
                                .arg(onset * 1000, 0, 'f', 1)
                                .arg(lead * 1000, 0, 'f', 1));
        }
        return missing;
    }

    // Where the recording's first moment lies in a file's decoded sound (seconds): after
    // the encoder's priming wherever the reader does not leave it out, as ffmpeg reads
    // AAC (its 1024 samples, in every container here) and MP3 outside an MP3 file (the
    // encoder's 1105, which only an MP3 file's own header tells the reader to skip).
    static double soundLead(const QString& file) {
        const QJsonObject info = ffprobe::probe(file);
        const QJsonObject sound = ffprobe::stream(info, "audio");
        const QString codec = sound.value("codec_name").toString();
        const double rate = sound.value("sample_rate").toString().toDouble();
        const QString container = info.value("format").toObject().value("format_name").toString();
        if (rate <= 0) {
            return 0;
        }
        if (codec == "aac") {
            return 1024 / rate;
        }
        return codec == "mp3" && container != "mp3" ? 1105 / rate : 0;
    }

    QImage screenshot(QRecordObject& recorder, const QString& name) {
        const QString path = m_out.filePath(name);
        recorder.takeScreenshot(path);
        if (!QTest::qWaitFor([&] { return QFile::exists(path); }, 3000)) {
            return QImage();
        }
        return QImage(path);
    }

private slots:
    void initTestCase() {
        QVERIFY(m_out.isValid());
        QRecordAreaInfo* area = QRecordAreaInfo::instance();
        area->setAreaOrigin(kArea.x(), kArea.y());
        area->setAreaSize(kArea.width(), kArea.height());
        area->setWatermarkSettings(WatermarkImageSettings());
        setCursorOptions(false, false, false);
        setSources(false, false);
        useFormat(testformats::h264AacFormat(30));
        m_window.setGeometry(kArea);
        m_window.setColour(Qt::blue);
        m_window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&m_window));
        QVERIFY(screenShows(kArea.center(), Qt::blue));
        putCursorPicture(QRecordAreaInfo::HighlightCursor, Qt::yellow);
        putCursorPicture(QRecordAreaInfo::HighlightClicks, Qt::magenta);
    }

    void cleanupTestCase() {
        for (const QString& path : m_madeImages) {
            QFile::remove(path);
        }
        for (auto it = m_madeFolders.rbegin(); it != m_madeFolders.rend(); ++it) {
            QDir().rmpath(*it);
        }
        g_currentFormat = nullptr;
    }

    void init() {
        QRecordAreaInfo::instance()->setAreaOrigin(kArea.x(), kArea.y());
        QRecordAreaInfo::instance()->setAreaSize(kArea.width(), kArea.height());
        QRecordAreaInfo::instance()->setWatermarkSettings(WatermarkImageSettings());
        setCursorOptions(false, false, false);
        setSources(false, false);
        useFormat(testformats::h264AacFormat(30));
        m_window.setGeometry(kArea);
        m_window.setColour(Qt::blue);
    }

    void durationText_data() {
        QTest::addColumn<quint64>("microseconds");
        QTest::addColumn<QString>("text");
        QTest::newRow("zero") << quint64(0) << "00:00:00";
        QTest::newRow("just under a second") << quint64(999'999) << "00:00:00";
        QTest::newRow("minutes") << quint64(754'000'000) << "00:12:34";
        QTest::newRow("an hour") << quint64(3'600'000'000) << "01:00:00";
        QTest::newRow("a day") << quint64(86'400'000'000) << "24:00:00";
        QTest::newRow("25 hours") << quint64(90'061'000'000) << "25:01:01";
        QTest::newRow("100 hours") << quint64(360'000'000'000) << "100:00:00";
    }
    void durationText() {
        QFETCH(quint64, microseconds);
        QFETCH(QString, text);
        QCOMPARE(QRecordObject::formatDurationText(microseconds), text);
    }

    // Every position keeps the image inside the area, with and without margins, for
    // images smaller and larger than the area.
    void watermarkPlacement_data() {
        QTest::addColumn<QSize>("image");
        QTest::addColumn<int>("margin");
        QTest::newRow("small, no margin") << QSize(100, 50) << 0;
        QTest::newRow("small, 10%") << QSize(100, 50) << 10;
        QTest::newRow("larger than the area") << QSize(500, 400) << 0;
        QTest::newRow("larger, 20%") << QSize(500, 400) << 20;
    }
    void watermarkPlacement() {
        QFETCH(QSize, image);
        QFETCH(int, margin);
        const QSize capture(320, 240);
        const QRect area(QPoint(0, 0), capture);
        for (int position = 0; position < 9; ++position) {
            const WatermarkPlacement p = QRecordObject::placeWatermark(capture, image, position, margin, margin);
            const QRect drawn(p.destination, p.source.size());
            QVERIFY2(area.contains(drawn), qPrintable(QString("position %1").arg(position)));
            QVERIFY(QRect(QPoint(0, 0), image).contains(p.source));
            if (image.width() <= capture.width() - capture.width() * margin / 100 &&
                image.height() <= capture.height() - capture.height() * margin / 100) {
                QCOMPARE(p.source.size(), image); // fits: drawn whole
            }
        }
        // Corners with margins: my from the height, mx from the width.
        const WatermarkPlacement rightBottom = QRecordObject::placeWatermark(capture, QSize(100, 50), 8, 10, 10);
        QCOMPARE(rightBottom.destination, QPoint(320 - 32 - 100, 240 - 24 - 50));
        const WatermarkPlacement middle = QRecordObject::placeWatermark(capture, QSize(100, 50), 4, 10, 10);
        QCOMPARE(middle.destination, QPoint(110, 95));
    }

    // Five seconds of an animated area with a tone in the null sink and the sine
    // microphone mixed in, a one-second pause left out.
    void videoWithSoundAndPause() {
        QTemporaryDir sounds;
        const QString tone = sounds.filePath("tone.wav");
        QCOMPARE(QProcess::execute("sox",
                                   {"-n", "-r", "44100", "-c", "2", tone, "synth", "12", "sine", "1000", "vol", "0.5"}),
                 0);
        QProcess player;
        player.start("paplay", {tone});
        QVERIFY(player.waitForStarted());
        QTest::qWait(300);

        setSources(true, true);
        m_window.animate();
        const QString file = outputFile("REC_sound.mp4");
        QRecordObject recorder;
        uint64_t reported = 0;
        int audioBlocks = 0;
        connect(&recorder, &QRecordObject::emitRecordTime, this, [&](uint64_t t) { reported = t; });
        connect(&recorder, &QRecordObject::emitAudioData, this, [&](unsigned char*, int) { ++audioBlocks; });
        // Starting, pausing, resuming and stopping take time of their own (more under
        // load), and the recording starts or ends somewhere inside each call: the time
        // recorded lies between the waits alone and the waits with the calls.
        QElapsedTimer running;
        running.start();
        QVERIFY(recorder.startRecord(file, 100.0f, true));
        qint64 shortestMs = -running.elapsed();
        QTest::qWait(2500);
        shortestMs += running.elapsed();
        recorder.pauseRecord();
        qint64 longestMs = running.elapsed();
        // While paused the area shows white: not a frame of it may reach the file.
        m_window.setColour(Qt::white);
        QTest::qWait(1000);
        m_window.animate();
        QTest::qWait(100);
        running.restart();
        recorder.resumeRecord();
        shortestMs -= running.elapsed();
        QTest::qWait(2500);
        shortestMs += running.elapsed();
        recorder.stopRecord();
        longestMs += running.elapsed();
        const double shortest = shortestMs / 1000.0;
        const double longest = longestMs / 1000.0;
        player.kill();
        player.waitForFinished();
        QVERIFY(!recorder.isRecording());
        QCOMPARE(audioBlocks, 0); // a video recording feeds no level display

        const Probe p = probe(file);
        QVERIFY(p.ok);
        QCOMPARE(p.codec("video"), QString("h264"));
        QCOMPARE(p.stream("video")->value("width").toInt(), kArea.width());
        QCOMPARE(p.stream("video")->value("height").toInt(), kArea.height());
        QCOMPARE(p.codec("audio"), QString("aac"));
        QVERIFY2(
            p.durationSeconds >= shortest - 0.2 && p.durationSeconds <= longest + 0.2,
            qPrintable(
                QString("%1 s in the file, %2 to %3 s recorded").arg(p.durationSeconds).arg(shortest).arg(longest)));
        const double told = double(reported) / 1e6;
        QVERIFY2(told >= shortest - 0.3 && told <= longest + 0.3, qPrintable(QString::number(told)));
        const auto v = volume(file);
        QVERIFY(v);
        QVERIFY2(v->meanDb > -30, qPrintable(QString::number(v->meanDb)));
        // Both sources are in the mix: the tone (1 kHz) and the microphone (440 Hz), each
        // far above what the other leaves in its band.
        const auto played = volume(file, 1000);
        const auto microphone = volume(file, 440);
        QVERIFY(played && microphone);
        QVERIFY2(played->meanDb > -35 && microphone->meanDb > -35,
                 qPrintable(QString("1 kHz %1 dB, 440 Hz %2 dB").arg(played->meanDb).arg(microphone->meanDb)));
        const PictureTimes pictures = pictureLuma(file);
        QVERIFY(pictures.luma.size() > 100);
        for (int i = 0; i < pictures.luma.size(); ++i) {
            QVERIFY2(pictures.luma[i] < 180, qPrintable(QString("white frame at %1 s").arg(pictures.seconds[i])));
        }

        // The history entry.
        const auto item = findHistoryItem(file);
        QVERIFY(item);
        QCOMPARE(item->mediaPath, file);
        QCOMPARE(item->resolution, QString("320*240"));
        QStringList durations;
        for (qint64 ms = shortestMs - 300; ms <= longestMs + 300; ms += 100) {
            durations.append(QRecordObject::formatDurationText(uint64_t(ms) * 1000));
        }
        QVERIFY2(durations.contains(item->duration), qPrintable(item->duration));
        QCOMPARE(item->size, formatFileSize(QFileInfo(file).size()));
        QVERIFY(QRegularExpression("^\\d\\d-\\d\\d-\\d{4} \\d\\d:\\d\\d$").match(item->creationTime).hasMatch());
        QCOMPARE(item->format, QString("mp4"));
        QCOMPARE(item->extension, QString("mp4"));
        QVERIFY(item->isVideo);
        QVERIFY(item->isNew);
        // The thumbnail: the first frame within 120 x 120, named by the MD5 of the path.
        const QString md5 = QCryptographicHash::hash(file.toUtf8(), QCryptographicHash::Md5).toHex();
        QCOMPARE(item->thumbnailPath, getTempProductDir() + "/" + md5 + ".JPG");
        QVERIFY(item->thumbnailPath.startsWith(qEnvironmentVariable("TMPDIR")));
        const QImage thumbnail(item->thumbnailPath);
        QCOMPARE(thumbnail.size(), QSize(120, 90));
        QFile::remove(item->thumbnailPath);
    }

    // System sound and microphone mixed into AAC: both sound all through the file, which
    // is as long as the recording. One microphone is a tone played into a sink of its
    // own, whose monitor is the default input meanwhile: it delivers its sound as it
    // plays, as a real microphone does. The other is the desktop's sine source, which
    // hands out two seconds at a time, ahead of time.
    void mixedSoundKeepsBothSources_data() {
        QTest::addColumn<bool>("aheadOfTime");
        QTest::addColumn<int>("microphoneHz");
        QTest::newRow("microphone in real time") << false << 523;
        QTest::newRow("microphone ahead of time") << true << 440;
    }
    void mixedSoundKeepsBothSources() {
        QFETCH(bool, aheadOfTime);
        QFETCH(int, microphoneHz);
        useFormat(testformats::aacOnlyFormat());
        setSources(true, true);
        constexpr int kSystemHz = 700;
        const QString oldSource = QString::fromLocal8Bit(run("pactl", {"get-default-source"}).out.trimmed());
        QString module;
        if (!aheadOfTime) {
            module = QString::fromLocal8Bit(
                run("pactl", {"load-module", "module-null-sink", "sink_name=test_microphone"}).out.trimmed());
            QVERIFY(!module.isEmpty());
            QCOMPARE(run("pactl", {"set-default-source", "test_microphone.monitor"}).exitCode, 0);
        } else {
            QCOMPARE(run("pactl", {"set-default-source", "calvorine_mic"}).exitCode, 0);
        }
        QTemporaryDir sounds;
        const QString systemTone = sounds.filePath("system.wav");
        const QString microphoneTone = sounds.filePath("microphone.wav");
        QCOMPARE(QProcess::execute("sox", {"-n", "-r", "44100", "-c", "2", systemTone, "synth", "8", "sine",
                                           QString::number(kSystemHz), "vol", "0.3"}),
                 0);
        QCOMPARE(QProcess::execute("sox", {"-n", "-r", "48000", "-c", "1", microphoneTone, "synth", "8", "sine",
                                           QString::number(microphoneHz), "vol", "0.3"}),
                 0);
        QProcess systemPlayer;
        QProcess microphonePlayer;
        systemPlayer.start("paplay", {systemTone});
        QVERIFY(systemPlayer.waitForStarted());
        if (!aheadOfTime) {
            microphonePlayer.start("paplay", {"--device=test_microphone", microphoneTone});
            QVERIFY(microphonePlayer.waitForStarted());
        }
        QTest::qWait(300);

        const QString file = outputFile("REC_mixed.m4a");
        QRecordObject recorder;
        QElapsedTimer running;
        const bool started = recorder.startRecord(file, 100.0f, false);
        running.start();
        double recordedSeconds = 0;
        if (started) {
            QTest::qWait(5000);
            // The file ends where the stop was asked for (the stop then takes what was
            // played up to that moment).
            recordedSeconds = running.elapsed() / 1000.0;
            recorder.stopRecord();
        }
        systemPlayer.kill();
        microphonePlayer.kill();
        systemPlayer.waitForFinished();
        microphonePlayer.waitForFinished();
        run("pactl", {"set-default-source", oldSource});
        if (!module.isEmpty()) {
            run("pactl", {"unload-module", module});
        }
        QVERIFY(started);

        const Probe p = probe(file);
        QVERIFY(p.ok);
        QCOMPARE(p.codec("audio"), QString("aac"));
        QVERIFY2(std::abs(p.durationSeconds - recordedSeconds) <= 0.2,
                 qPrintable(QString("%1 s in the file, %2 s recorded").arg(p.durationSeconds).arg(recordedSeconds)));
        // Quarter seconds from the second second on (the sound server's sinks start up
        // before it): both tones are there in nearly every one.
        constexpr int kRate = 44100;
        constexpr int kQuarter = kRate / 4;
        const QVector<int16_t> samples = decodeMono(file, kRate);
        int quarters = 0;
        int both = 0;
        QStringList missing;
        for (int at = 2 * kRate; at + kQuarter <= samples.size(); at += kQuarter, ++quarters) {
            const double system = soundtest::toneStrength(samples.constData() + at, kQuarter, kRate, kSystemHz);
            const double microphone = soundtest::toneStrength(samples.constData() + at, kQuarter, kRate, microphoneHz);
            if (system > 0.05 && microphone > 0.05) {
                ++both;
            } else {
                missing
                    << QString("%1 s: %2/%3").arg(at / double(kRate)).arg(system, 0, 'f', 2).arg(microphone, 0, 'f', 2);
            }
        }
        QVERIFY(quarters >= 11);
        QVERIFY2(
            both * 10 >= quarters * 9,
            qPrintable(
                QString("both tones in %1 of %2 quarter seconds; %3").arg(both).arg(quarters).arg(missing.join(", "))));
    }

    // Cut: the first file is finished and listed, the second starts at once; the screen
    // buffers are given back at every stop.
    void cutGivesTwoFiles() {
        const int before = ownSharedMemorySegments();
        QVERIFY(before >= 0);
        m_window.animate();
        QRecordObject recorder;
        const QString first = outputFile("REC_cut1.mp4");
        const QString second = outputFile("REC_cut2.mp4");
        QVERIFY(recorder.startRecord(first, 100.0f, true));
        QCOMPARE(ownSharedMemorySegments(), before + 1);
        QTest::qWait(1500);
        recorder.stopRecord();
        QCOMPARE(ownSharedMemorySegments(), before);
        QVERIFY(recorder.startRecord(second, 100.0f, true));
        QCOMPARE(ownSharedMemorySegments(), before + 1);
        QTest::qWait(1500);
        recorder.stopRecord();
        recorder.stopRecord(); // a second stop adds nothing
        QCOMPARE(ownSharedMemorySegments(), before);
        for (const QString& file : {first, second}) {
            const Probe p = probe(file);
            QVERIFY(p.ok);
            QCOMPARE(p.codec("video"), QString("h264"));
            QVERIFY(p.durationSeconds > 1.2 && p.durationSeconds < 1.8);
            QVERIFY(findHistoryItem(file));
        }
        QStringList listed = listHistoryFiles();
        QCOMPARE(listed.count(first), 1);
        QCOMPARE(listed.count(second), 1);
    }

    // A tone that keeps time on a sound server of the test's own (a daemon, as the
    // desktop's): with the system sound on, it is in the file from the first moment to
    // the last, without a gap, in every kind of file. Such a server sends a new capture
    // of an output nothing for up to two seconds.
    void systemSoundFromTheFirstMoment_data() {
        using testformats::soundOnlyFormat;
        using testformats::videoFormat;
        QTest::addColumn<OutputFormatSetting>("format");
        QTest::newRow("MP4") << testformats::h264AacFormat(30);
        QTest::newRow("MKV") << videoFormat("matroska", "mkv", "H264", CVCODEC_H264, "AAC", CVCODEC_AAC);
        QTest::newRow("AVI") << videoFormat("avi", "avi", "MP4V", CVCODEC_MPEG4, "MP3", CVCODEC_MP3);
        QTest::newRow("WMV") << videoFormat("asf", "wmv", "WMV2", CVCODEC_WMV2, "wma2", CVCODEC_WMAV2);
        QTest::newRow("MP3") << soundOnlyFormat("mp3", "mp3", "MP3", CVCODEC_MP3);
        QTest::newRow("AAC") << soundOnlyFormat("adts", "aac", "AAC", CVCODEC_AAC);
        QTest::newRow("WAV") << soundOnlyFormat("wav", "wav", "PCM", CVCODEC_PCM_S16LE);
        QTest::newRow("FLAC") << soundOnlyFormat("flac", "flac", "flac", CVCODEC_FLAC);
        QTest::newRow("OGG") << soundOnlyFormat("ogg", "ogg", "OGG", CVCODEC_VORBIS);
    }
    void systemSoundFromTheFirstMoment() {
        QFETCH(OutputFormatSetting, format);
        OwnSoundServer server;
        QVERIFY(server.started());
        ServerAddress address(server.address());
        QCOMPARE(run("pactl", {"load-module", "module-sine", "sink=own_null", "frequency=1000"}).exitCode, 0);
        useFormat(format);
        setSources(true, false);
        m_window.animate();
        const QString file = outputFile("REC_first." + format.extension);
        QRecordObject recorder;
        QVERIFY(recorder.startRecord(file, 100.0f, !format.audioOnly));
        QTest::qWait(3000);
        recorder.stopRecord();
        double seconds = 0;
        const QStringList missing = missingTone(file, seconds);
        QVERIFY2(seconds > 2.5, qPrintable(QString("%1 s of sound").arg(seconds)));
        QVERIFY2(missing.isEmpty(), qPrintable(missing.join(", ")));
        QFile::remove(file);
    }

    // Cuts hand the sound on from one file to the next: every piece holds the tone from
    // its first quarter second to its last, and the pieces together last as long as the
    // recording ran.
    void cutsHandTheSoundOn() {
        OwnSoundServer server;
        QVERIFY(server.started());
        ServerAddress address(server.address());
        QCOMPARE(run("pactl", {"load-module", "module-sine", "sink=own_null", "frequency=1000"}).exitCode, 0);
        setSources(true, false);
        m_window.animate();
        QRecordObject recorder;
        QStringList files;
        QElapsedTimer running;
        for (int piece = 0; piece < 9; ++piece) {
            files << outputFile(QString("REC_piece%1.mp4").arg(piece));
            if (piece > 0) {
                recorder.stopForCut();
            }
            QVERIFY(recorder.startRecord(files.last(), 100.0f, true));
            if (piece == 0) {
                running.start(); // the first file's time starts as its start returns
            }
            QTest::qWait(3000);
        }
        const double wallSeconds = running.elapsed() / 1000.0;
        recorder.stopRecord();
        double total = 0;
        QStringList faults;
        for (const QString& file : files) {
            const Probe p = probe(file);
            QVERIFY(p.ok);
            total += p.durationSeconds;
            double seconds = 0;
            const QStringList missing = missingTone(file, seconds);
            if (!missing.isEmpty() || seconds < 2.5) {
                faults << QString("%1 (%2 s): %3").arg(QFileInfo(file).fileName()).arg(seconds).arg(missing.join(", "));
            }
            QFile::remove(file);
        }
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join("; ")));
        QVERIFY2(std::abs(total - wallSeconds) <= 0.5,
                 qPrintable(QString("%1 s in the pieces, %2 s recorded").arg(total).arg(wallSeconds)));
    }

    // A cut while recording and the stop, into WAV: each file holds the tone played
    // into the output in every 10 ms to its last (the sound up to the cut and up to the
    // stop, which the capture reads a little after it was played).
    void cutAndStopKeepTheSoundToTheEnd() {
        OwnSoundServer server;
        QVERIFY(server.started());
        ServerAddress address(server.address());
        QCOMPARE(run("pactl", {"load-module", "module-sine", "sink=own_null", "frequency=1000"}).exitCode, 0);
        useFormat(testformats::soundOnlyFormat("wav", "wav", "PCM", CVCODEC_PCM_S16LE));
        setSources(true, false);
        QRecordObject recorder;
        const QString first = outputFile("REC_end1.wav");
        const QString second = outputFile("REC_end2.wav");
        QVERIFY(recorder.startRecord(first, 100.0f, false));
        QTest::qWait(1500);
        recorder.stopForCut();
        QVERIFY(recorder.startRecord(second, 100.0f, false));
        QTest::qWait(1500);
        recorder.stopRecord();
        QStringList faults;
        for (const QString& file : {first, second}) {
            const std::vector<int16_t> samples = soundtest::decodedMono(file, 48000);
            const double seconds = samples.size() / 48000.0;
            const QStringList missing = soundtest::missingTone(samples, 48000, 1000.0, 0.25, true);
            if (seconds < 1.0 || !missing.isEmpty()) {
                faults << QString("%1 (%2 s): no tone in the %3")
                              .arg(QFileInfo(file).fileName())
                              .arg(seconds, 0, 'f', 3)
                              .arg(missing.mid(0, 12).join(", "));
            }
            QFile::remove(file);
        }
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join("; ")));
    }

    // Sound alone into MP3: no picture timer, the level display is fed.
    void audioOnlyMp3() {
        useFormat(testformats::soundOnlyFormat("mp3", "mp3", "MP3", CVCODEC_MP3));
        setSources(true, false);
        QTemporaryDir sounds;
        const QString tone = sounds.filePath("tone.wav");
        QCOMPARE(
            QProcess::execute("sox", {"-n", "-r", "44100", "-c", "2", tone, "synth", "6", "sine", "700", "vol", "0.5"}),
            0);
        QProcess player;
        player.start("paplay", {tone});
        QVERIFY(player.waitForStarted());
        QTest::qWait(300);
        QRecordObject recorder;
        int blocks = 0;
        int largest = 0;
        connect(&recorder, &QRecordObject::emitAudioData, this, [&](unsigned char* block, int samples) {
            ++blocks;
            largest = std::max(largest, samples);
            QVERIFY(block);
        });
        const QString file = outputFile("REC_audio.mp3");
        QVERIFY(recorder.startRecord(file, 100.0f, false));
        QList<int> intervals;
        for (const auto& timer : QAbstractEventDispatcher::instance()->registeredTimers(&recorder)) {
            intervals << timer.interval;
        }
        std::sort(intervals.begin(), intervals.end());
        QCOMPARE(intervals, (QList<int>{50, 100}));
        QTest::qWait(2000);
        recorder.stopRecord();
        player.kill();
        player.waitForFinished();
        QVERIFY2(blocks > 10, qPrintable(QString("%1 blocks, largest %2").arg(blocks).arg(largest)));
        QVERIFY(largest > 0);
        const Probe p = probe(file);
        QVERIFY(p.ok);
        QCOMPARE(p.codec("audio"), QString("mp3"));
        QVERIFY(!p.stream("video"));
        const auto v = volume(file);
        QVERIFY(v && v->meanDb > -40);
        const auto item = findHistoryItem(file);
        QVERIFY(item);
        QVERIFY(!item->isVideo);
        QCOMPARE(item->resolution, QString("0*0"));
        QVERIFY(item->thumbnailPath.isEmpty());
    }

    // The nine watermark positions on the pixels of captured frames, with margins, and
    // the transparency.
    void watermarkOnFrames() {
        QTemporaryDir dir;
        const QString image = dir.filePath("mark.png");
        QImage mark(40, 20, QImage::Format_RGB32);
        mark.fill(Qt::red);
        QVERIFY(mark.save(image));
        // 40 x 20 in 320 x 240: base width 160, height 80; margins 10%: 24 down, 32 across.
        const int xs[3] = {32, 80, 320 - 32 - 160};
        const int ys[3] = {24, 80, 240 - 24 - 80};
        QRecordObject recorder;
        for (int position = 0; position < 9; ++position) {
            WatermarkImageSettings settings;
            settings.imagePath = image.toStdString();
            settings.verticalMarginPercent = 10;
            settings.horizontalMarginPercent = 10;
            settings.position = position;
            settings.alpha = position == 4 ? 128 : 255;
            QRecordAreaInfo::instance()->setWatermarkSettings(settings);
            QVERIFY(recorder.startRecord(outputFile(QString("REC_mark%1.mp4").arg(position)), 100.0f, true));
            const QImage frame = screenshot(recorder, QString("mark%1.png").arg(position));
            recorder.stopRecord();
            QCOMPARE(frame.size(), kArea.size());
            const QRect expected(xs[position % 3], ys[position / 3], 160, 80);
            const QColor inside = position == 4 ? QColor(128, 0, 127) : QColor(Qt::red);
            const QString where = QString("position %1").arg(position);
            QVERIFY2(near(frame.pixel(expected.topLeft()), inside, 6), qPrintable(where));
            QVERIFY2(near(frame.pixel(expected.bottomRight()), inside, 6), qPrintable(where));
            QVERIFY2(near(frame.pixel(expected.topLeft() - QPoint(1, 1)), Qt::blue, 6), qPrintable(where));
            QVERIFY2(near(frame.pixel(expected.bottomRight() + QPoint(1, 1)), Qt::blue, 6), qPrintable(where));
        }
        // The watermark is in the encoded pictures too.
        const QString file = outputFile("REC_mark8.mp4");
        const QString still = dir.filePath("still.png");
        QCOMPARE(run("ffmpeg", {"-nostdin", "-v", "error", "-i", file, "-frames:v", "1", still}).exitCode, 0);
        const QImage decoded(still);
        QVERIFY(near(decoded.pixel(xs[2] + 80, ys[2] + 40), Qt::red, 40));
        QVERIFY(near(decoded.pixel(20, 20), Qt::blue, 40));
    }

    // The cursor with its hotspot on the pointer (a colour and a monochrome cursor), the
    // highlight around it, the turning click picture while the button is down and the
    // fading ring after the release.
    void cursorAndClicks() {
        setCursorOptions(true, true, true);
        QPixmap arrow(16, 16);
        arrow.fill(Qt::green);
        m_window.setCursor(QCursor(arrow, 8, 8));
        const QPoint pointer(100, 100);
        QCursor::setPos(kArea.topLeft() + pointer);
        QTRY_COMPARE(QCursor::pos(), kArea.topLeft() + pointer);
        QTest::qWait(100);

        QRecordObject recorder;
        QVERIFY(recorder.startRecord(outputFile("REC_cursor.mp4"), 100.0f, true));
        QImage frame = screenshot(recorder, "cursor.png");
        QVERIFY(!frame.isNull());
        // Drawn from (92, 92) to (107, 107): centred on the pointer by its hotspot.
        QVERIFY(near(frame.pixel(92, 92), Qt::green, 0));
        QVERIFY(near(frame.pixel(107, 107), Qt::green, 0));
        QVERIFY(!near(frame.pixel(108, 108), Qt::green, 0));
        QVERIFY(!near(frame.pixel(91, 100), Qt::green, 0));
        // The highlight: 48 x 48 centred on the pointer, under the cursor.
        QVERIFY(near(frame.pixel(80, 100), Qt::yellow, 0));
        QVERIFY(near(frame.pixel(100 - 24, 100), Qt::yellow, 0));
        QVERIFY(near(frame.pixel(100 - 26, 100), Qt::blue, 0));

        // Button down: the click picture replaces the highlight.
        QCOMPARE(run("xdotool", {"mousedown", "1"}).exitCode, 0);
        QTest::qWait(150);
        frame = screenshot(recorder, "pressed.png");
        QVERIFY(near(frame.pixel(82, 100), Qt::magenta, 10));
        QCOMPARE(run("xdotool", {"mouseup", "1"}).exitCode, 0);
        QTest::qWait(300);
        // Released: a fading ring, partly transparent over the blue.
        frame = screenshot(recorder, "released.png");
        const QRgb fading = frame.pixel(82, 100);
        QVERIFY2(qRed(fading) > 20 && qRed(fading) < 235 && qGreen(fading) < 30, qPrintable(QColor(fading).name()));
        QTest::qWait(1100);
        frame = screenshot(recorder, "after.png");
        QVERIFY(near(frame.pixel(80, 100), Qt::yellow, 0));

        // A two-colour cursor is drawn as well.
        QBitmap bits(16, 16);
        QBitmap mask(16, 16);
        bits.fill(Qt::color1); // black
        mask.fill(Qt::color1);
        m_window.setCursor(QCursor(bits, mask, 0, 0));
        QTest::qWait(100);
        frame = screenshot(recorder, "mono.png");
        recorder.stopRecord();
        QVERIFY(near(frame.pixel(101, 101), Qt::black, 0));
        QVERIFY(near(frame.pixel(114, 114), Qt::black, 0));
        QVERIFY(near(frame.pixel(98, 98), Qt::yellow, 0));

        // At the area's corner the cursor and the highlight are cut off by its edges, and
        // the encoded picture carries them there.
        m_window.setCursor(QCursor(arrow, 8, 8));
        const QPoint corner(kArea.width() - 4, kArea.height() - 4);
        QCursor::setPos(kArea.topLeft() + corner);
        QTRY_COMPARE(QCursor::pos(), kArea.topLeft() + corner);
        QTest::qWait(100);
        const QString cornerFile = outputFile("REC_cursor_corner.mp4");
        QVERIFY(recorder.startRecord(cornerFile, 100.0f, true));
        frame = screenshot(recorder, "corner.png");
        recorder.stopRecord();
        m_window.unsetCursor();
        QVERIFY(near(frame.pixel(corner - QPoint(8, 8)), Qt::green, 0));
        QVERIFY(near(frame.pixel(kArea.width() - 1, kArea.height() - 1), Qt::green, 0));
        QVERIFY(!near(frame.pixel(corner - QPoint(9, 9)), Qt::green, 0));
        QVERIFY(near(frame.pixel(corner - QPoint(20, 0)), Qt::yellow, 0));
        QVERIFY(near(frame.pixel(corner - QPoint(30, 0)), Qt::blue, 0));
        QTemporaryDir dir;
        const QString still = dir.filePath("corner.png");
        QCOMPARE(run("ffmpeg", {"-nostdin", "-v", "error", "-i", cornerFile, "-frames:v", "1", still}).exitCode, 0);
        const QImage decoded(still);
        QCOMPARE(decoded.size(), kArea.size());
        QVERIFY2(near(decoded.pixel(corner - QPoint(2, 2)), Qt::green, 40),
                 qPrintable(QColor(decoded.pixel(corner - QPoint(2, 2))).name()));
        QVERIFY2(near(decoded.pixel(corner - QPoint(20, 0)), Qt::yellow, 40),
                 qPrintable(QColor(decoded.pixel(corner - QPoint(20, 0))).name()));
        QVERIFY2(near(decoded.pixel(corner - QPoint(40, 0)), Qt::blue, 40),
                 qPrintable(QColor(decoded.pixel(corner - QPoint(40, 0))).name()));
    }

    // The area turns white at the moment a click sounds into the null sink; in the file
    // the flash and the click lie within 20 ms of each other, in each of three runs.
    void flashAndClickInSync_data() {
        QTest::addColumn<int>("run");
        for (int run = 1; run <= 3; ++run) {
            QTest::newRow(qPrintable(QString("run %1").arg(run))) << run;
        }
    }
    void flashAndClickInSync() {
        QFETCH(int, run);
        const int fps = 60;
        useFormat(testformats::h264AacFormat(fps));
        setSources(true, false);
        m_window.setColour(Qt::black);
        QVERIFY(screenShows(kArea.center(), Qt::black));
        ClickPlayer player;
        QVERIFY(player.start());
        QTest::qWait(300);
        const QString file = outputFile(QString("REC_sync_%1.mp4").arg(run));
        QRecordObject recorder;
        frame_clock::SchedulingProbe probe(5000);
        QVERIFY(recorder.startRecord(file, 100.0f, true));
        // The grabs run on this thread's timers: it waits in a plain event loop, never in
        // QTest::qWait (which sleeps 10 ms between rounds) nor in a busy loop.
        auto spin = [](int ms) {
            QEventLoop loop;
            QTimer::singleShot(ms, Qt::PreciseTimer, &loop, &QEventLoop::quit);
            loop.exec();
        };
        spin(1500);
        // The area turns white when the click sounds. Another thread waits for that
        // moment, asks for the white and reads the screen back to back, so that what the
        // test itself adds (the screen's delay in showing it) is measured and taken out.
        player.click();
        std::atomic<int64_t> shownAt{0};
        std::thread watcher([&] {
            calvorine::platform::ScreenCapture centre;
            if (!centre.open(kArea.center().x(), kArea.center().y(), 1, 1, 1.0)) {
                return;
            }
            const int64_t until = calvorine::platform::monotonicMicroseconds() + 3000000;
            while (calvorine::platform::monotonicMicroseconds() < until &&
                   (player.playsAtUs() == 0 || calvorine::platform::monotonicMicroseconds() < player.playsAtUs())) {
                calvorine::platform::sleepForMicroseconds(200);
            }
            QMetaObject::invokeMethod(
                &m_window, [this] { m_window.setColour(Qt::white); }, Qt::QueuedConnection);
            while (calvorine::platform::monotonicMicroseconds() < until) {
                const uint8_t* p = centre.grab();
                if (p && qRgb(p[2], p[1], p[0]) == QColor(Qt::white).rgb()) {
                    shownAt = calvorine::platform::monotonicMicroseconds();
                    return;
                }
            }
        });
        spin(2500);
        watcher.join();
        recorder.stopRecord();
        probe.stop();
        QVERIFY(player.playsAtUs() != 0);
        QVERIFY(shownAt != 0);
        const double screenLag = (shownAt - player.playsAtUs()) / 1e6;

        // The white came between the grabs of the last black frame and the first white
        // one: half a period before the latter, give or take half a period.
        const PictureTimes pictures = pictureLuma(file);
        double flash = -1;
        for (int i = 0; i < pictures.luma.size(); ++i) {
            if (pictures.luma[i] > 128) {
                flash = pictures.seconds[i] - 0.5 / fps;
                break;
            }
        }
        const int rate = 48000;
        const QVector<int16_t> samples = decodeMono(file, rate);
        double click = -1;
        for (int i = 0; i < samples.size(); ++i) {
            if (std::abs(samples[i]) > 8000) {
                click = double(i) / rate;
                break;
            }
        }
        QVERIFY(flash > 0.5);
        QVERIFY(click > 0.5);
        const QString figures = QString("flash %1 s (shown %2 s late), click %3 s: %4 ms apart")
                                    .arg(flash, 0, 'f', 4)
                                    .arg(screenLag, 0, 'f', 4)
                                    .arg(click, 0, 'f', 4)
                                    .arg((flash - screenLag - click) * 1000, 0, 'f', 1);
        qInfo().noquote() << figures;
        const QString overload = probe.notKeptUp();
        if (!overload.isEmpty() && std::abs(flash - screenLag - click) > 0.020) {
            QSKIP(qPrintable(overload + "; " + figures));
        }
        QVERIFY2(std::abs(flash - screenLag - click) <= 0.020, qPrintable(figures));
    }

    // Bad input: an area reaching past the screen and odd sizes still record at the
    // area's size (an odd side made even by one line) and are listed at the file's own
    // size; without a sound server the picture still records and the reason is
    // logged; a folder that cannot be written fails the start and leaves nothing.
    void areasPartlyOffScreenAndOdd_data() {
        QTest::addColumn<QRect>("area");
        QTest::newRow("past the right and bottom edges") << QRect(1800, 1000, 320, 240);
        QTest::newRow("odd size") << QRect(201, 151, 321, 241);
        QTest::newRow("tiny") << QRect(10, 10, 3, 3);
    }
    void areasPartlyOffScreenAndOdd() {
        QFETCH(QRect, area);
        QRecordAreaInfo::instance()->setAreaOrigin(area.x(), area.y());
        QRecordAreaInfo::instance()->setAreaSize(area.width(), area.height());
        const QString file = outputFile(QString("REC_area_%1x%2.mp4").arg(area.width()).arg(area.height()));
        QRecordObject recorder;
        QVERIFY(recorder.startRecord(file, 100.0f, true));
        QTest::qWait(800);
        recorder.stopRecord();
        const Probe p = probe(file);
        QVERIFY(p.ok);
        QCOMPARE(p.codec("video"), QString("h264"));
        const int width = p.stream("video")->value("width").toInt();
        const int height = p.stream("video")->value("height").toInt();
        QVERIFY(std::abs(width - area.width()) <= 1);
        QVERIFY(std::abs(height - area.height()) <= 1);
        QVERIFY(p.durationSeconds > 0.5);
        const auto item = findHistoryItem(file);
        QVERIFY(item);
        QCOMPARE(item->resolution, QString("%1*%2").arg(width).arg(height));
    }

    void noSoundServer() {
        setSources(true, true);
        const QByteArray saved = qgetenv("PULSE_SERVER");
        QTemporaryDir dir;
        qputenv("PULSE_SERVER", ("unix:" + dir.filePath("none")).toUtf8());
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("microphone.*not captured"));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("system sound.*not captured"));
        const QString file = outputFile("REC_nosound.mp4");
        QRecordObject recorder;
        const bool started = recorder.startRecord(file, 100.0f, true);
        qputenv("PULSE_SERVER", saved);
        QVERIFY(started);
        QTest::qWait(1000);
        recorder.stopRecord();
        const Probe p = probe(file);
        QVERIFY(p.ok);
        QCOMPARE(p.codec("video"), QString("h264"));
        QVERIFY(p.durationSeconds > 0.7);
    }

    // A start that fails (a folder that cannot be written, an area off the screen) leaves
    // nothing running, no file, no history entry.
    // A disk that runs full in the middle ends the recording like a stop: nothing keeps
    // running, and the part written so far plays whole and is listed.
    void fullDiskEndsTheRecording() {
        setSources(true, true);
        m_window.animate();
        QRecordObject recorder;
        QSignalSpy failures(&recorder, &QRecordObject::emitRecordFailed);
        const QString file = outputFile("REC_full.mp4");
        {
            FileSizeLimit full(200 * 1024);
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression("recordTime-+writing the recording failed"));
            QVERIFY(recorder.startRecord(file, 100.0f, true));
            QVERIFY2(QTest::qWaitFor([&] { return !recorder.isRecording(); }, 30000),
                     "a recording whose file cannot grow goes on");
        }
        QCOMPARE(QAbstractEventDispatcher::instance()->registeredTimers(&recorder).size(), 0);
        for (QRecordAudioObject* audio : recorder.findChildren<QRecordAudioObject*>()) {
            QVERIFY(!audio->isRunning());
        }
        QVERIFY(QFileInfo(file).size() <= 200 * 1024);
        const Probe p = probe(file);
        QVERIFY(p.ok);
        QCOMPARE(p.codec("video"), QString("h264"));
        QVERIFY(p.durationSeconds > 0.5);
        // The file ends with its last whole fragment: one cut where the disk ran full reads
        // as broken data (ffmpeg still ends with 0), or the file does not open at all.
        const Output decoded = run("ffmpeg", {"-nostdin", "-v", "error", "-i", file, "-f", "null", "-"});
        QCOMPARE(decoded.exitCode, 0);
        QVERIFY2(decoded.err.trimmed().isEmpty(), decoded.err.constData());
        QVERIFY(findHistoryItem(file));
        recorder.stopRecord(); // already stopped: adds nothing
        QCOMPARE(listHistoryFiles().count(file), 1);
        QCOMPARE(failures.count(), 1);
    }

    // The disk runs full just before the stop, or right after the start. The failure is
    // told once; the file is kept either way, and listed only when it plays.
    void fullDiskIsToldOnce_data() {
        QTest::addColumn<QString>("format");
        QTest::addColumn<bool>("fullFromStart");
        for (const char* format : {"mp4", "mkv", "wav"}) {
            QTest::addRow("%s, full at stop", format) << QString(format) << false;
            QTest::addRow("%s, full from the start", format) << QString(format) << true;
        }
    }
    void fullDiskIsToldOnce() {
        QFETCH(QString, format);
        QFETCH(bool, fullFromStart);
        const bool video = format != "wav";
        useFormat(format == "mp4" ? testformats::h264AacFormat(30) : format == "mkv" ? matroskaFormat() : wavFormat());
        setSources(true, false);
        m_window.animate();
        const QString file = outputFile(QString("REC_full_%1_%2.%3").arg(format).arg(fullFromStart).arg(format));
        QRecordObject recorder;
        QSignalSpy failures(&recorder, &QRecordObject::emitRecordFailed);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("recordStop-+the file could not be finished"));
        QVERIFY(recorder.startRecord(file, 100.0f, video));
        std::unique_ptr<FileSizeLimit> full;
        if (fullFromStart) {
            // Nothing after the header reaches the file: the engine ends the recording.
            full = std::make_unique<FileSizeLimit>(rlim_t(QFileInfo(file).size()));
            QVERIFY2(QTest::qWaitFor([&] { return !recorder.isRecording(); }, 30000),
                     "a recording whose file cannot grow goes on");
        } else {
            QTest::qWait(1500);
            QVERIFY(recorder.isRecording());
            QVERIFY(failures.isEmpty());
            full = std::make_unique<FileSizeLimit>(rlim_t(QFileInfo(file).size()));
            recorder.stopRecord();
        }
        QCOMPARE(failures.count(), 1);
        QVERIFY(!failures.at(0).at(0).toString().isEmpty());
        full.reset();
        recorder.stopRecord(); // already stopped: tells nothing more
        QCOMPARE(failures.count(), 1);
        QVERIFY2(QFileInfo::exists(file), "what was recorded is deleted");
        const int frames = decodedFrames(file, video ? "video" : "audio");
        if (fullFromStart) {
            QCOMPARE(frames, 0);
            QVERIFY2(!findHistoryItem(file), "a file that does not play is listed");
        } else {
            QVERIFY2(frames > (video ? 20 : 10), qPrintable(QString::number(frames)));
            QVERIFY2(findHistoryItem(file), "a file cut short that plays is not listed");
        }
        // The next recording on the same object is not told a failure of the last.
        const QString next = outputFile(QString("REC_next_%1_%2.%3").arg(format).arg(fullFromStart).arg(format));
        QVERIFY(recorder.startRecord(next, 100.0f, video));
        QTest::qWait(300);
        recorder.stopRecord();
        QCOMPARE(failures.count(), 1);
        QVERIFY(findHistoryItem(next));
        useFormat(testformats::h264AacFormat(30));
    }

    // A video recording stopped before its first picture finishes, but holds no picture
    // (its sound track may hold the silence of the moments it ran): it is no success. The
    // failure is told once, the file is kept on disk and not listed.
    void recordingThatHoldsNothingIsTold() {
        useFormat(testformats::h264AacFormat(30));
        setSources(false, false);
        const QString file = outputFile("REC_nothing.mp4");
        QRecordObject recorder;
        QSignalSpy failures(&recorder, &QRecordObject::emitRecordFailed);
        QVERIFY(recorder.startRecord(file, 100.0f, true));
        // No event is handled in between, so no picture is grabbed; the recording runs a
        // tenth of a second first, as on a loaded machine, so that its sound track does
        // hold silence.
        QElapsedTimer running;
        running.start();
        while (running.elapsed() < 100) {
            QThread::msleep(5);
        }
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("recordStop-+the file does not play"));
        recorder.stopRecord();
        QCOMPARE(failures.count(), 1);
        QVERIFY2(failures.at(0).at(0).toString().contains("does not play"),
                 qPrintable(failures.at(0).at(0).toString()));
        QVERIFY2(QFileInfo::exists(file), "what was recorded is deleted");
        QCOMPARE(decodedFrames(file, "video"), 0);
        QVERIFY2(!findHistoryItem(file), "a file that does not play is listed");
    }

    // A damaged history does not hide the new recording: it is listed in a fresh file and
    // the damaged one is kept beside it.
    void damagedHistoryStillListsTheRecording() {
        setSources(false, false);
        const QByteArray damaged = "<ROOTITEM><Path_item Converted_path_=\"/v/a.mp4\">";
        QDir().mkpath(QFileInfo(historyFilePath()).path());
        QFile history(historyFilePath());
        QVERIFY(history.open(QIODevice::WriteOnly));
        history.write(damaged);
        history.close();
        const QString file = outputFile("REC_damaged_history.mp4");
        QRecordObject recorder;
        QVERIFY(recorder.startRecord(file, 100.0f, true));
        QTest::qWait(500);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("is damaged"));
        recorder.stopRecord();
        QVERIFY2(findHistoryItem(file), "the recording is not listed");
        QFile bad(historyFilePath() + ".bad");
        QVERIFY(bad.open(QIODevice::ReadOnly));
        QCOMPARE(bad.readAll(), damaged);
    }

    void failedStartLeavesNothing_data() {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QRect>("area");
        QTest::newRow("system folder") << QString("/proc") << kArea;
        QTest::newRow("a file for a folder") << QString("not-a-folder") << kArea;
        QTest::newRow("area off the screen") << QString() << QRect(5000, 5000, 100, 100);
    }
    void failedStartLeavesNothing() {
        QFETCH(QString, folder);
        QFETCH(QRect, area);
        setSources(true, true);
        QRecordAreaInfo::instance()->setAreaOrigin(area.x(), area.y());
        QRecordAreaInfo::instance()->setAreaSize(area.width(), area.height());
        QTemporaryDir dir;
        QFile blocker(dir.filePath("not-a-folder"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        QString file;
        if (folder.startsWith('/')) {
            file = folder + "/REC_x.mp4";
        } else if (!folder.isEmpty()) {
            file = dir.filePath(folder) + "/REC_x.mp4";
        } else {
            file = dir.filePath("REC_x.mp4");
        }
        const int segments = ownSharedMemorySegments();
        QRecordObject recorder;
        QSignalSpy failures(&recorder, &QRecordObject::emitRecordFailed);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("recordStart-+"));
        QVERIFY(!recorder.startRecord(file, 100.0f, true));
        QCOMPARE(failures.count(), 1);
        QVERIFY(!recorder.isRecording());
        for (QRecordAudioObject* audio : recorder.findChildren<QRecordAudioObject*>()) {
            QVERIFY(!audio->isRunning());
        }
        QCOMPARE(QAbstractEventDispatcher::instance()->registeredTimers(&recorder).size(), 0);
        QCOMPARE(ownSharedMemorySegments(), segments);
        QVERIFY(!QFileInfo::exists(file));
        QVERIFY(!findHistoryItem(file));
        recorder.stopRecord();
        QVERIFY(!findHistoryItem(file));
        QCOMPARE(failures.count(), 1);
        QCOMPARE(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList{"not-a-folder"});
    }

    void killedRecordingKeepsAllButItsLastHalfSecond_data() {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::newRow("640x480") << 640 << 480;
        QTest::newRow("1920x1080") << 1920 << 1080;
    }

    // A recording killed at once (a crash, the power gone) keeps what was recorded up to
    // its last half second, and the file decodes to its end without an error.
    void killedRecordingKeepsAllButItsLastHalfSecond() {
        QFETCH(int, width);
        QFETCH(int, height);
        m_window.animate();
        const QString file = outputFile(QStringLiteral("killed_%1x%2.mp4").arg(width).arg(height));
        QProcess recording;
        recording.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        recording.start(QCoreApplication::applicationFilePath(),
                        {"--record-until-killed", QString::number(width), QString::number(height), file});
        QVERIFY(recording.waitForStarted());
        uint64_t reported = 0;
        QElapsedTimer waited;
        waited.start();
        while (reported < 5000000 && waited.elapsed() < 60000 && recording.state() == QProcess::Running) {
            recording.waitForReadyRead(200);
            while (recording.canReadLine()) {
                reported = std::max<uint64_t>(reported, recording.readLine().trimmed().toULongLong());
            }
        }
        QVERIFY2(reported >= 5000000, qPrintable(QString::number(reported)));
        ::kill(pid_t(recording.processId()), SIGKILL);
        QVERIFY(recording.waitForFinished(10000));
        // Times reported before the kill that had not been read yet count as recorded too.
        for (const QByteArray& line : recording.readAllStandardOutput().split('\n')) {
            reported = std::max<uint64_t>(reported, line.trimmed().toULongLong());
        }
        const double recorded = double(reported) / 1e6;
        const double kept = decodedFrames(file, "video") / 30.0;
        QVERIFY2(recorded - kept <= 0.5,
                 qPrintable(QString("%1 s recorded, %2 s kept").arg(recorded, 0, 'f', 3).arg(kept, 0, 'f', 3)));
        const Output decoded = run("ffmpeg", {"-v", "error", "-i", file, "-f", "null", "-"});
        QCOMPARE(decoded.exitCode, 0);
        QVERIFY2(decoded.err.isEmpty(), decoded.err.constData());
        std::printf("killed at %.3f s: %.3f s kept\n", recorded, kept);
        QFile::remove(file);
    }
};

namespace {

// The recording process of the kill test: records the area from the screen's top left
// corner (H.264 in MP4, no sound) into the file and prints every time the engine reports,
// in microseconds, one a line, until it is killed.
int recordUntilKilled(QApplication& app, int width, int height, const QString& file) {
    QRecordAreaInfo* area = QRecordAreaInfo::instance();
    area->setAreaOrigin(0, 0);
    area->setAreaSize(width, height);
    setCursorOptions(false, false, false);
    setSources(false, false);
    OutputFormatSetting format = testformats::h264AacFormat(30);
    g_currentFormat = &format;
    QRecordObject recorder;
    QObject::connect(&recorder, &QRecordObject::emitRecordTime, [](uint64_t t) {
        std::printf("%llu\n", static_cast<unsigned long long>(t));
        std::fflush(stdout);
    });
    if (!recorder.startRecord(file, 100.0f, true)) {
        return 1;
    }
    return app.exec();
}

} // namespace

int main(int argc, char** argv) {
    PrivateHome home;
    QApplication app(argc, argv);
    if (argc == 5 && std::strcmp(argv[1], "--record-until-killed") == 0) {
        return recordUntilKilled(app, std::atoi(argv[2]), std::atoi(argv[3]), QString::fromLocal8Bit(argv[4]));
    }
    TestRecordEngine test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_record_engine.moc"
