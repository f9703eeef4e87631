// Sound capture from the private sound server of the virtual desktop: the system sound
// (a tone played into the null sink by paplay), the microphone (the 440 Hz sine source,
// which hands out its sound ahead of time), fragments of about 10 ms, a microphone of
// the test's own pulled out and plugged in again, and the failures: an unknown device and
// no server at all.
#include "platform/system/clock.h"
#include "platform/system/sound_capture.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>

using namespace calvorine::platform;

namespace {

struct Captured {
    std::vector<float> samples; // first channel only
    int largestFragment = 0;
    bool failed = false;
    // The earliest moment a packet's first frame was captured at, by its backlog.
    int64_t earliestUs = INT64_MAX;
};

// Reads the source as a capture loop does (poll every 10 ms) until enough frames came.
Captured capture(SoundSource& source, int frames) {
    Captured result;
    const SoundFormat format = source.format();
    const int64_t deadline = monotonicMicroseconds() + 10'000'000;
    while (int(result.samples.size()) < frames && monotonicMicroseconds() < deadline) {
        sleepForMicroseconds(10'000);
        for (;;) {
            const int ready = source.nextPacketFrames();
            if (ready < 0) {
                result.failed = true;
                return result;
            }
            if (ready == 0) {
                break;
            }
            SoundPacket packet;
            if (!source.readPacket(packet)) {
                result.failed = true;
                return result;
            }
            result.largestFragment = std::max(result.largestFragment, packet.frameCount);
            result.earliestUs =
                std::min(result.earliestUs,
                         monotonicMicroseconds() - int64_t(packet.backlogFrames) * 1'000'000 / format.sampleRateHz);
            const auto* values = reinterpret_cast<const float*>(packet.data);
            for (int i = 0; i < packet.frameCount; ++i) {
                result.samples.push_back(values[size_t(i) * size_t(format.channels)]);
            }
            source.releasePacket();
        }
    }
    return result;
}

double rms(const std::vector<float>& samples, size_t from) {
    double sum = 0;
    for (size_t i = from; i < samples.size(); ++i) {
        sum += double(samples[i]) * samples[i];
    }
    return samples.size() > from ? std::sqrt(sum / double(samples.size() - from)) : 0.0;
}

// Frequency from the upward zero crossings.
double frequency(const std::vector<float>& samples, int rate) {
    int crossings = 0;
    int first = -1;
    int last = -1;
    for (size_t i = 1; i < samples.size(); ++i) {
        if (samples[i - 1] < 0 && samples[i] >= 0) {
            if (first < 0) {
                first = int(i);
            }
            last = int(i);
            ++crossings;
        }
    }
    return crossings > 1 ? double(crossings - 1) * rate / double(last - first) : 0.0;
}

// A sine source of the test's own, loaded for the scope (or until unload).
class OwnSource {
public:
    OwnSource(const QString& name, int frequency) : m_name(name), m_frequency(frequency) { load(); }
    ~OwnSource() { unload(); }
    bool load() {
        QProcess pactl;
        pactl.start("pactl", {"load-module", "module-sine-source", "source_name=" + m_name,
                              QString("frequency=%1").arg(m_frequency), "rate=48000"});
        m_module = pactl.waitForFinished(5000) && pactl.exitCode() == 0
                       ? QString::fromUtf8(pactl.readAllStandardOutput()).trimmed()
                       : QString();
        return !m_module.isEmpty();
    }
    bool unload() {
        if (m_module.isEmpty()) {
            return false;
        }
        const bool done = QProcess::execute("pactl", {"unload-module", m_module}) == 0;
        m_module.clear();
        return done;
    }
    bool loaded() const { return !m_module.isEmpty(); }

private:
    QString m_name;
    int m_frequency;
    QString m_module;
};

// Reads the source as a capture loop does until `done` holds; false when the source
// failed or ten seconds passed.
template <typename Done> bool readUntil(SoundSource& source, Done done) {
    const int64_t deadline = monotonicMicroseconds() + 10'000'000;
    while (!done()) {
        if (monotonicMicroseconds() > deadline) {
            return false;
        }
        sleepForMicroseconds(10'000);
        for (int ready = source.nextPacketFrames(); ready != 0; ready = source.nextPacketFrames()) {
            SoundPacket packet;
            if (ready < 0 || !source.readPacket(packet)) {
                return false;
            }
            source.releasePacket();
        }
    }
    return true;
}

} // namespace

class TestSoundCapture : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        QVERIFY2(qEnvironmentVariableIsSet("PULSE_SERVER"), "needs the virtual desktop's sound server");
    }

    void microphoneIsTheSineSource_data() {
        QTest::addColumn<QString>("name");
        QTest::newRow("default input") << QString();
        QTest::newRow("named input") << QString("calvorine_mic");
    }
    void microphoneIsTheSineSource() {
        QFETCH(QString, name);
        auto source = createSoundCapture(SoundSourceKind::Microphone, name.toStdString());
        const int64_t openedAt = monotonicMicroseconds();
        QVERIFY2(source->open(), source->lastError().c_str());
        const SoundFormat format = source->format();
        QCOMPARE(format.sampleFormat, SampleFormat::Float32);
        QCOMPARE(format.bitsPerSample, 32);
        QVERIFY(format.channels == 1 || format.channels == 2);
        QCOMPARE(format.bytesPerFrame, 4 * format.channels);
        QCOMPARE(format.sampleRateHz, 48000);
        const Captured got = capture(*source, format.sampleRateHz / 2);
        QVERIFY(!got.failed);
        QVERIFY(got.samples.size() >= size_t(format.sampleRateHz / 2));
        QVERIFY2(std::abs(frequency(got.samples, format.sampleRateHz) - 440.0) < 5.0,
                 qPrintable(QString::number(frequency(got.samples, format.sampleRateHz))));
        // The sine source hands out two seconds at once, ahead of time: no packet says it
        // was captured before the stream began.
        QVERIFY2(got.earliestUs > openedAt - 50'000,
                 qPrintable(QString("%1 ms before the open").arg((openedAt - got.earliestUs) / 1000)));
        // About 10 ms per fragment: a stop is seen within a poll or two.
        QVERIFY2(got.largestFragment <= format.sampleRateHz / 25, qPrintable(QString::number(got.largestFragment)));
        source->close();
        QCOMPARE(source->nextPacketFrames(), -1);
    }

    // The monitor of the default output carries what is played into it.
    void systemSoundIsWhatPlays() {
        QTemporaryDir dir;
        const QString tone = dir.filePath("tone.wav");
        QCOMPARE(QProcess::execute("sox",
                                   {"-n", "-r", "48000", "-c", "2", tone, "synth", "4", "sine", "1000", "vol", "0.5"}),
                 0);

        auto source = createSoundCapture(SoundSourceKind::SystemSound);
        QVERIFY2(source->open(), source->lastError().c_str());
        const int rate = source->format().sampleRateHz;
        QVERIFY(rate > 0);
        // Before anything plays the null sink's monitor carries silence.
        Captured quiet = capture(*source, rate / 5);
        QVERIFY(!quiet.failed);
        QVERIFY(rms(quiet.samples, 0) < 0.001);

        QProcess player;
        player.start("paplay", {tone});
        QVERIFY(player.waitForStarted());
        Captured loud = capture(*source, rate * 2);
        player.kill();
        player.waitForFinished();
        QVERIFY(!loud.failed);
        // The tone is 0.5 peak: 0.35 RMS; skip the first half second (player start-up).
        QVERIFY2(rms(loud.samples, size_t(rate / 2)) > 0.2,
                 qPrintable(QString::number(rms(loud.samples, size_t(rate / 2)))));
        QVERIFY(std::abs(frequency(std::vector<float>(loud.samples.begin() + rate, loud.samples.end()), rate) -
                         1000.0) < 10.0);
    }

    // A chosen microphone pulled out: the server moves the capture to its default input,
    // which the source tells without failing; plugged in again (a new device of the same
    // name), the capture is moved back and hears it.
    void microphonePulledOutAndBack() {
        const QString name = QString("calvorine_pulled_%1").arg(QCoreApplication::applicationPid());
        OwnSource microphone(name, 880);
        QVERIFY(microphone.loaded());
        auto source = createSoundCapture(SoundSourceKind::Microphone, name.toStdString());
        QVERIFY2(source->open(), source->lastError().c_str());
        const int rate = source->format().sampleRateHz;
        QVERIFY(!source->deviceAway());
        QVERIFY(microphone.unload());
        QVERIFY2(readUntil(*source, [&] { return source->deviceAway(); }), source->lastError().c_str());
        QVERIFY(microphone.load());
        QVERIFY2(readUntil(*source, [&] { return !source->deviceAway(); }), source->lastError().c_str());
        // What the default input gave before the move may still come first.
        const Captured got = capture(*source, rate * 3 / 2);
        QVERIFY(!got.failed);
        const std::vector<float> tail(got.samples.end() - rate / 2, got.samples.end());
        QVERIFY2(std::abs(frequency(tail, rate) - 880.0) < 10.0, qPrintable(QString::number(frequency(tail, rate))));
    }

    void unknownInputIsRefused() {
        auto source = createSoundCapture(SoundSourceKind::Microphone, "no_such_source");
        QVERIFY(!source->open());
        QVERIFY(!source->lastError().empty());
        QCOMPARE(source->nextPacketFrames(), -1);
        SoundPacket packet;
        QVERIFY(!source->readPacket(packet));
    }

    // Ten minutes of a capture's own clock, in steps of machine time: a device whose
    // clock runs fast still delivers in real time, and its packets must never come to
    // look handed out ahead of time (the recorder holds those back and places them by
    // this clock alone); a source that hands out two seconds at once stays that far ahead
    // however long it runs; a device that stops for a while is taken up where it goes on.
    void streamClockKeepsToTheMachine_data() {
        QTest::addColumn<int>("ppm");
        QTest::addColumn<int>("chunkFrames");
        QTest::addColumn<int>("stopAtS");
        QTest::newRow("a device 0.05 % fast") << 500 << 0 << -1;
        QTest::newRow("a device 0.02 % slow") << -200 << 0 << -1;
        QTest::newRow("a fast device that stops for a second") << 300 << 0 << 200;
        QTest::newRow("two seconds handed out at once") << 0 << 96'000 << -1;
    }
    void streamClockKeepsToTheMachine() {
        QFETCH(int, ppm);
        QFETCH(int, chunkFrames);
        QFETCH(int, stopAtS);
        constexpr int kRate = 48'000;
        constexpr int kPiece = 480;
        StreamClock clock;
        clock.restart(0);
        int64_t made = 0;  // frames the device has put out
        int64_t taken = 0; // frames the reader has taken
        int64_t mostAheadUs = 0;
        int64_t leastAheadOfChunksUs = INT64_MAX;
        bool wasStopped = false;
        for (int64_t nowUs = 10'000; nowUs <= 600'000'000; nowUs += 10'000) {
            if (chunkFrames > 0) {
                // Everything up to the end of the next chunk, at once.
                made = std::max(made, (nowUs * kRate / 1'000'000 / chunkFrames + 1) * chunkFrames);
            } else {
                const int64_t due = nowUs * kRate / 1'000'000 * (1'000'000 + ppm) / 1'000'000;
                const int64_t whole = due - due % kPiece; // whole pieces, as a server sends them
                const bool stopped =
                    stopAtS >= 0 && nowUs >= stopAtS * 1'000'000LL && nowUs < (stopAtS + 1) * 1'000'000LL;
                if (stopped) {
                    wasStopped = true;
                    continue; // nothing comes, nothing is read
                }
                if (wasStopped) {
                    made = taken = std::max(taken, whole - kPiece); // what it had meanwhile is lost
                    wasStopped = false;
                }
                made = std::max(made, whole);
            }
            while (made - taken >= kPiece) {
                const int64_t age = clock.ageFrames(nowUs, made - taken, kRate);
                const int64_t aheadUs = (kPiece - age) * 1'000'000 / kRate;
                mostAheadUs = std::max(mostAheadUs, aheadUs);
                if (chunkFrames > 0 && made - taken == kPiece) {
                    leastAheadOfChunksUs = std::min(leastAheadOfChunksUs, aheadUs);
                }
                clock.taken(kPiece);
                taken += kPiece;
            }
        }
        if (chunkFrames > 0) {
            // The last piece of each chunk belongs to almost two seconds ahead.
            QVERIFY2(
                leastAheadOfChunksUs > 1'900'000,
                qPrintable(QString("the end of a chunk looked only %1 ms ahead").arg(leastAheadOfChunksUs / 1000)));
        } else {
            // What the recorder allows a packet in real time (its slack) is 20 ms.
            QVERIFY2(
                mostAheadUs <= 20'000,
                qPrintable(QString("a packet in real time looked %1 ms ahead of its time").arg(mostAheadUs / 1000)));
        }
    }

    void noSoundServer() {
        const QByteArray saved = qgetenv("PULSE_SERVER");
        QTemporaryDir dir;
        qputenv("PULSE_SERVER", ("unix:" + dir.filePath("nothing-here")).toUtf8());
        auto source = createSoundCapture(SoundSourceKind::SystemSound);
        const bool opened = source->open();
        const std::string reason = source->lastError();
        qputenv("PULSE_SERVER", saved);
        QVERIFY(!opened);
        QVERIFY(!reason.empty());
        QCOMPARE(source->nextPacketFrames(), -1);
    }
};

QTEST_GUILESS_MAIN(TestSoundCapture)
#include "test_sound_capture.moc"
