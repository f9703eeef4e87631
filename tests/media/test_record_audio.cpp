// The sound-capture object over sources of the test's own (behind the same interface the
// sound server's capture uses) and over the sound server: silence flags, time stamps
// around silence blocks and bursts, pauses, sound delivered late, level metering, a
// missing server, a source that fails and comes back, the sound server killed and
// started again. Files are written by the codec library's recorder and judged with
// ffmpeg.
#include "media/QAudioFrameBuffer.h"
#include "media/QRecordAudioObject.h"

#include "app/Utilities.h"
#include "platform/system/clock.h"
#include "recording_test_support.h"
#include "tests/support/OwnSoundServer.h"
#include "tests/support/SineFit.h"
#include "tests/support/ToneStrength.h"

#include <QCoreApplication>
#include <QtTest>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <random>
#include <vector>

using calvorine::platform::SampleFormat;
using calvorine::platform::SoundFormat;
using calvorine::platform::SoundPacket;
using calvorine::platform::SoundSource;

namespace {

constexpr int kRate = 48000;
constexpr int kPiece = 480; // 10 ms

// What a scripted source does.
struct Script {
    // Sine: a 1 kHz tone, its phase running on with the device's frames.
    enum Wave { Noise, Square, Sine } wave = Square;
    float amplitude = 0.25f;
    bool flaggedSilent = false;
    // No packets between these moments after the open (the device had nothing).
    int64_t gapFromUs = -1;
    int64_t gapToUs = -1;
    // Packets only once this many frames have piled up (a device that hands out sound
    // in big chunks); 0 for every 10 ms.
    int burstFrames = 0;
    // Sound between these moments after the open is held back and handed out at the end
    // of the span, in pieces that each claim to be no older than themselves (a server
    // that delivers late cannot tell the reader how late).
    int64_t holdFromUs = -1;
    int64_t holdToUs = -1;
    // Sound handed out ahead of time: at the start of every stretch of this many frames
    // the whole stretch comes at once, each piece telling how far ahead it is (as the
    // sound server's capture does for a sine source); 0 for sound in real time.
    int aheadFrames = 0;
    // Each such stretch is handed out this long after its first frame's moment instead (a
    // server that serves another reader of the same device first).
    int64_t aheadLateUs = 0;
    // A device that can be taken away and given back: while it is absent the source
    // fails and cannot be opened. Null for one that is always there.
    std::shared_ptr<std::atomic<bool>> present;
    // A device whose clock runs this many millionths fast against the machine's: it
    // hands out that much more sound than the time that passes.
    int clockPpm = 0;
    // After each read the next comes late by up to this much (a loaded machine); what
    // piles up meanwhile is read then, each packet telling its age.
    int64_t lateReadsUs = 0;
    // Silence with a burst of the square wave, 30 ms long, every this many microseconds
    // of the machine's clock from the open (the burst leaves the device at its true
    // moment, whatever its clock); 0 for the wave throughout. The open's moment is
    // written to openedAtUs.
    int64_t burstEveryUs = 0;
    std::shared_ptr<std::atomic<int64_t>> openedAtUs;
};

// Produces the frames due since the open, in 10 ms pieces, or hands them out ahead of time.
class ScriptedSource : public SoundSource {
public:
    explicit ScriptedSource(Script script) : m_script(script) {}
    bool open() override {
        if (!isPresent()) {
            return false;
        }
        m_originUs = calvorine::platform::monotonicMicroseconds();
        if (m_script.openedAtUs) {
            *m_script.openedAtUs = m_originUs;
        }
        m_delivered = 0;
        m_draining = false;
        m_open = true;
        return true;
    }
    SoundFormat format() const override {
        SoundFormat f;
        f.sampleRateHz = kRate;
        f.channels = 2;
        f.sampleFormat = SampleFormat::Float32;
        f.bitsPerSample = 32;
        f.channelMask = 3;
        f.bytesPerFrame = 8;
        return f;
    }
    int nextPacketFrames() override {
        if (!m_open || !isPresent()) {
            return -1;
        }
        const int64_t elapsed = calvorine::platform::monotonicMicroseconds() - m_originUs;
        const int64_t due = elapsed * kRate / 1'000'000 + elapsed * kRate / 1'000'000 * m_script.clockPpm / 1'000'000;
        if (elapsed >= m_script.gapFromUs && elapsed < m_script.gapToUs) {
            m_delivered = due;
            return 0;
        }
        if (elapsed >= m_script.holdFromUs && elapsed < m_script.holdToUs) {
            return 0;
        }
        const int64_t pending = due - m_delivered;
        if (m_script.aheadFrames > 0) {
            const int64_t lateFrames = m_script.aheadLateUs * kRate / 1'000'000;
            const int64_t handedOut =
                due < lateFrames ? 0 : ((due - lateFrames) / m_script.aheadFrames + 1) * m_script.aheadFrames;
            if (m_delivered >= handedOut) {
                return 0;
            }
            // Like the sound server's capture, it tells how much it holds: the whole
            // stretch, the part still to come included.
            const int frames = makePacket(int(pending));
            m_packet.bufferedFrames = int(handedOut - m_delivered);
            return frames;
        }
        if (!m_draining && (pending < std::max(m_script.burstFrames, kPiece) || elapsed < m_readNotBeforeUs)) {
            return 0;
        }
        m_draining = pending >= kPiece;
        if (!m_draining) {
            if (m_script.lateReadsUs > 0) {
                m_readNotBeforeUs = elapsed + std::uniform_int_distribution<int64_t>(0, m_script.lateReadsUs)(m_random);
            }
            return 0;
        }
        const bool held = m_delivered >= m_script.holdFromUs * kRate / 1'000'000 &&
                          m_delivered < m_script.holdToUs * kRate / 1'000'000;
        return makePacket(held ? kPiece : int(pending));
    }
    bool readPacket(SoundPacket& packet) override {
        packet = m_packet;
        return m_packet.frameCount > 0;
    }
    bool releasePacket() override {
        m_delivered += m_packet.frameCount;
        m_packet = SoundPacket();
        return true;
    }
    void close() override { m_open = false; }
    std::string lastError() const override { return {}; }

private:
    bool isPresent() const { return !m_script.present || *m_script.present; }
    // The next 10 ms piece, whose first frame is backlog frames old.
    int makePacket(int backlog) {
        const int frames = kPiece;
        m_buffer.resize(size_t(frames) * 2);
        for (size_t i = 0; i < m_buffer.size(); ++i) {
            float& value = m_buffer[i];
            if (m_script.burstEveryUs > 0) {
                // The frame's true moment: its place in the device's stream over the
                // device's real rate.
                const int64_t frame = m_delivered + int64_t(i / 2);
                const int64_t atUs = frame * 1'000'000 / kRate * 1'000'000 / (1'000'000 + m_script.clockPpm);
                value = atUs % m_script.burstEveryUs < 30'000 ? m_script.amplitude : 0.0f;
            } else if (m_script.wave == Script::Sine) {
                const int64_t frame = m_delivered + int64_t(i / 2);
                value = m_script.amplitude * float(std::sin(2.0 * M_PI * double(frame % kRate) * 1000.0 / kRate));
            } else if (m_script.wave == Script::Noise) {
                value = m_script.amplitude * (std::uniform_real_distribution<float>(-1, 1)(m_random));
            } else {
                value = ((m_phase++ / 48) % 2) ? m_script.amplitude : -m_script.amplitude;
            }
        }
        m_packet.data = reinterpret_cast<const uint8_t*>(m_buffer.data());
        m_packet.frameCount = frames;
        m_packet.silent = m_script.flaggedSilent;
        m_packet.backlogFrames = backlog;
        return frames;
    }

    Script m_script;
    bool m_open = false;
    bool m_draining = false;
    int64_t m_originUs = 0;
    int64_t m_readNotBeforeUs = 0;
    int64_t m_delivered = 0;
    int64_t m_phase = 0;
    std::vector<float> m_buffer;
    SoundPacket m_packet;
    std::mt19937 m_random{7};
};

// Remembers what reaches the recorder.
class WatchedAudioObject : public QRecordAudioObject {
public:
    using QRecordAudioObject::QRecordAudioObject;
    struct Sent {
        int64_t timestampUs;
        int frames;
        int64_t sentAtUs = 0; // when it reached the recorder
    };
    std::vector<Sent> sent() {
        std::lock_guard<std::mutex> lock(m_lock);
        return m_sent;
    }

protected:
    void sendFrame(const uint8_t* data, int frames, int64_t timestampUs) override {
        {
            std::lock_guard<std::mutex> lock(m_lock);
            m_sent.push_back({timestampUs, frames, getMicroseconds()});
        }
        QRecordAudioObject::sendFrame(data, frames, timestampUs);
    }

private:
    std::mutex m_lock;
    std::vector<Sent> m_sent;
};

// Levels as the GUI thread receives them (queued from the capture thread).
class LevelCollector : public QObject {
public:
    explicit LevelCollector(QRecordAudioObject* source) {
        connect(
            source, &QRecordAudioObject::emitVolume, this, [this](int level) { levels.push_back(level); },
            Qt::QueuedConnection);
    }
    bool any(std::function<bool(int)> test) const { return std::any_of(levels.begin(), levels.end(), test); }
    QVector<int> levels;
};

void useScript(const Script& script) {
    QRecordAudioObject::setSourceFactory([script](QRecordAudioObject::SourceType, const std::string&) {
        return std::unique_ptr<SoundSource>(new ScriptedSource(script));
    });
}

// A recorder writing 16-bit PCM into a WAV file: what reaches it can be read back exactly.
cvcodec_recorder openWavRecorder(const QString& path) {
    cvcodec_recorder recorder = cvcodec_recorder_create(-1);
    cvcodec_params params = cvcodec_params_create();
    cvcodec_params_set_video_codec(params, -1);
    cvcodec_params_set_audio_codec(params, CVCODEC_PCM_S16LE);
    cvcodec_params_set_channels(params, 2);
    cvcodec_params_set_sample_rate(params, kRate);
    const bool ok = cvcodec_recorder_open(recorder, path.toUtf8().constData(), "wav", params);
    cvcodec_params_release(params);
    if (!ok) {
        cvcodec_recorder_release(recorder);
        return nullptr;
    }
    return recorder;
}

// Records the scripted source's sound for ms milliseconds into a WAV file at path.
bool recordWav(const QString& path, int ms) {
    cvcodec_recorder recorder = openWavRecorder(path);
    if (!recorder) {
        return false;
    }
    {
        QRecordAudioObject audio(QRecordAudioObject::SystemSound);
        audio.setRecorder(recorder);
        audio.start();
        audio.beginRecording(getMicroseconds());
        QTest::qWait(ms);
        audio.stop();
    }
    cvcodec_recorder_stop(recorder);
    cvcodec_recorder_close(recorder);
    cvcodec_recorder_release(recorder);
    return true;
}

std::vector<uint8_t> levelBlock(const std::vector<int16_t>& samples) {
    std::vector<uint8_t> block(CVCODEC_LEVEL_HEADER_BYTES + samples.size() * 2, 0);
    const uint32_t bytes = uint32_t(samples.size() * 2);
    std::memcpy(block.data() + CVCODEC_LEVEL_SIZE_OFFSET, &bytes, 4);
    std::memcpy(block.data() + CVCODEC_LEVEL_SIZE_OFFSET_AGAIN, &bytes, 4);
    if (!samples.empty()) {
        std::memcpy(block.data() + CVCODEC_LEVEL_HEADER_BYTES, samples.data(), samples.size() * 2);
    }
    return block;
}

// A capture of the private sound server recorded into a WAV file, with the changes it
// tells, each with the moment it came (seconds on the recording's clock).
struct ServerRecording {
    QTemporaryDir dir;
    QString path = dir.filePath("sound.wav");
    cvcodec_recorder recorder = openWavRecorder(path);
    int64_t start = getMicroseconds(); // the recorder's clock starts with its open
    QRecordAudioObject audio;
    QObject receiver;
    QVector<int> changes;
    QVector<double> changedAt;
    double stoppedAt = 0;
    double stopSeconds = 0; // how long the stop took

    explicit ServerRecording(QRecordAudioObject::SourceType type, const QString& deviceName = QString()) : audio(type) {
        audio.setDeviceName(deviceName);
        QObject::connect(
            &audio, &QRecordAudioObject::emitCaptureChanged, &receiver,
            [this](int change) {
                changes.push_back(change);
                changedAt.push_back(seconds());
            },
            Qt::QueuedConnection);
        audio.setRecorder(recorder);
        audio.start();
        audio.beginRecording(start);
    }
    ~ServerRecording() { finish(); }
    double seconds() const { return (getMicroseconds() - start) / 1e6; }
    void finish() {
        if (!recorder) {
            return;
        }
        stoppedAt = seconds();
        QElapsedTimer stopping;
        stopping.start();
        audio.stop();
        stopSeconds = stopping.nsecsElapsed() / 1e9;
        cvcodec_recorder_stop(recorder);
        cvcodec_recorder_close(recorder);
        cvcodec_recorder_release(recorder);
        recorder = nullptr;
    }
    // The strength of a tone (the microphone's 440 Hz one unless told) in each quarter
    // second of the file from one moment to another, as ffmpeg decodes it.
    QVector<double> toneFrom(double from, double to, int hz = 440) const {
        const QVector<int16_t> samples = recording_test::decodeMono(path, kRate);
        QVector<double> strengths;
        constexpr int kQuarter = kRate / 4;
        for (int at = int(from * kRate); at + kQuarter <= std::min(int(to * kRate), int(samples.size()));
             at += kQuarter) {
            strengths.push_back(soundtest::toneStrength(samples.constData() + at, kQuarter, kRate, hz));
        }
        return strengths;
    }
};

// pactl on the server PULSE_SERVER names.
int pactl(const QStringList& arguments) {
    return QProcess::execute("pactl", arguments);
}

QString listed(const QVector<double>& values) {
    QStringList texts;
    for (double v : values) {
        texts << QString::number(v, 'f', 3);
    }
    return texts.join(' ');
}

} // namespace

class TestRecordAudio : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { QRecordAudioObject::setSourceFactory(nullptr); }

    // Levels are the average magnitude of signed samples: near silence is near 0, not
    // half scale.
    void levelOfBlock() {
        QCOMPARE(QRecordAudioObject::levelOfBlock(nullptr), 0);
        QCOMPARE(QRecordAudioObject::levelOfBlock(levelBlock({}).data()), 0);
        QCOMPARE(QRecordAudioObject::levelOfBlock(levelBlock({-1, 0, 1, -2, 2, -1, 1, 0}).data()), 1);
        QCOMPARE(QRecordAudioObject::levelOfBlock(levelBlock({-8192, 8192, -8192, 8192}).data()), 8192);
        QCOMPARE(QRecordAudioObject::levelOfBlock(levelBlock({-32768, 32767}).data()), 32767);
    }

    void frameBufferKeepsOrderAndCopies() {
        QAudioFrameBuffer queue;
        QVERIFY(!queue.front());
        queue.popFront();
        uint8_t bytes[4] = {1, 2, 3, 4};
        queue.push(bytes, 4, 10);
        queue.push(nullptr, 4, 11);
        queue.push(bytes, 0, 12);
        bytes[0] = 9;
        queue.push(bytes, 2, 20);
        QCOMPARE(queue.count(), 2);
        QCOMPARE(queue.front()->timestamp, int64_t(10));
        QCOMPARE(queue.front()->data[0], uint8_t(1));
        queue.popFront();
        QCOMPARE(queue.front()->length, 2);
        QCOMPARE(queue.front()->data[0], uint8_t(9));
        queue.popFront();
        QCOMPARE(queue.count(), 0);
    }

    // Packets flagged silent are silence whatever their bytes hold.
    void silentFlagMeansSilence_data() {
        QTest::addColumn<bool>("flagged");
        QTest::newRow("flagged silent") << true;
        QTest::newRow("not flagged") << false;
    }
    void silentFlagMeansSilence() {
        QFETCH(bool, flagged);
        Script script;
        script.wave = Script::Noise;
        script.amplitude = 0.5f;
        script.flaggedSilent = flagged;
        useScript(script);
        QTemporaryDir dir;
        const QString path = dir.filePath("noise.wav");
        QVERIFY(recordWav(path, 800));
        const auto v = recording_test::volume(path);
        QVERIFY(v);
        if (flagged) {
            QVERIFY2(v->maxDb < -80, qPrintable(QString::number(v->maxDb)));
        } else {
            QVERIFY2(v->maxDb > -10, qPrintable(QString::number(v->maxDb)));
        }
        QVERIFY(recording_test::probe(path).durationSeconds > 0.5);
    }

    // Silence blocks fill a quiet device, and neither they nor the chunks of a bursty
    // device make the time stamps run backwards or overlap.
    void stampsStayInOrder_data() {
        QTest::addColumn<int>("burstFrames");
        QTest::addColumn<bool>("gap");
        QTest::addColumn<int>("latestEndUs");
        QTest::newRow("quiet stretch") << 0 << true << 3'100'000;
        QTest::newRow("chunks of 0.5 s") << 24000 << false << 3'100'000;
        // Chunks longer than the silence interval: a silence block goes in before each
        // chunk arrives, and the chunk must come after it, not back in time.
        QTest::newRow("chunks of 1.2 s") << 57600 << false << 4'500'000;
    }
    void stampsStayInOrder() {
        QFETCH(int, burstFrames);
        QFETCH(bool, gap);
        QFETCH(int, latestEndUs);
        Script script;
        script.burstFrames = burstFrames;
        if (gap) {
            script.gapFromUs = 300'000;
            script.gapToUs = 2'000'000;
        }
        useScript(script);
        cvcodec_recorder recorder = cvcodec_recorder_create(-1); // not opened: takes nothing
        std::vector<WatchedAudioObject::Sent> sent;
        {
            WatchedAudioObject audio(QRecordAudioObject::SystemSound);
            audio.setRecorder(recorder);
            audio.start();
            audio.beginRecording(getMicroseconds());
            QTest::qWait(3000);
            audio.stop();
            sent = audio.sent();
        }
        cvcodec_recorder_release(recorder);
        QVERIFY(sent.size() > 20);
        int silenceBlocks = 0;
        for (size_t i = 1; i < sent.size(); ++i) {
            // A packet lasts its frames at the device's rate as followed, within the
            // few thousandths the sound is stretched by to keep to it.
            const int64_t lengthUs = int64_t(sent[i - 1].frames) * 1'000'000 / kRate;
            const int64_t previousEnd = sent[i - 1].timestampUs + lengthUs - lengthUs / 400 - 1;
            QVERIFY2(sent[i].timestampUs >= previousEnd,
                     qPrintable(QString("frame %1 at %2 before %3").arg(i).arg(sent[i].timestampUs).arg(previousEnd)));
            if (sent[i].frames == 64) {
                ++silenceBlocks;
            }
        }
        if (gap || burstFrames > kRate) {
            QVERIFY(silenceBlocks >= 1);
        }
        // The last stamp lies near the end of the capture, not far behind or ahead.
        QVERIFY2(sent.back().timestampUs < latestEndUs && sent.back().timestampUs > 2'000'000,
                 qPrintable(QString::number(sent.back().timestampUs)));
    }

    // Nothing captured during a pause reaches the recorder.
    void pausedSoundStaysOut() {
        useScript(Script());
        cvcodec_recorder recorder = cvcodec_recorder_create(-1);
        std::vector<WatchedAudioObject::Sent> sent;
        int64_t pausedFrom = 0;
        int64_t pausedTo = 0;
        {
            WatchedAudioObject audio(QRecordAudioObject::SystemSound);
            audio.setRecorder(recorder);
            audio.start();
            const int64_t start = getMicroseconds();
            audio.beginRecording(start);
            QTest::qWait(500);
            pausedFrom = getMicroseconds() - start;
            audio.setPaused(true);
            QTest::qWait(600);
            audio.setPaused(false);
            pausedTo = getMicroseconds() - start;
            QTest::qWait(500);
            audio.stop();
            sent = audio.sent();
        }
        cvcodec_recorder_release(recorder);
        QVERIFY(!sent.empty());
        bool after = false;
        for (const auto& frame : sent) {
            // Captured (first frame's time) inside the pause: must not be there.
            QVERIFY2(frame.timestampUs < pausedFrom || frame.timestampUs >= pausedTo - 20'000,
                     qPrintable(QString::number(frame.timestampUs)));
            after = after || frame.timestampUs >= pausedTo;
        }
        QVERIFY(after);
    }

    // Sound off the clock: held back by the source over a pause and handed out after the
    // resume, each piece looking new; or handed out ahead of time, a second at once. It
    // must neither lengthen the file nor push the sound after it into the future, and no
    // piece reaches the recorder before its time. Sound ahead of time is all kept, each
    // piece at its own moment: the file sounds throughout.
    void offClockSoundKeepsTheLength_data() {
        QTest::addColumn<bool>("ahead");
        QTest::newRow("held back over a pause") << false;
        QTest::newRow("handed out ahead of time") << true;
    }
    void offClockSoundKeepsTheLength() {
        QFETCH(bool, ahead);
        Script script;
        if (ahead) {
            script.aheadFrames = kRate;
        } else {
            script.holdFromUs = 300'000;
            script.holdToUs = 1'400'000;
        }
        useScript(script);
        QTemporaryDir dir;
        const QString path = dir.filePath("sound.wav");
        cvcodec_recorder recorder = openWavRecorder(path);
        QVERIFY(recorder);
        std::vector<WatchedAudioObject::Sent> sent;
        int64_t start = 0;
        qint64 recordedMs = 0;
        {
            WatchedAudioObject audio(QRecordAudioObject::SystemSound);
            audio.setRecorder(recorder);
            audio.start();
            start = getMicroseconds();
            audio.beginRecording(start);
            QElapsedTimer running;
            running.start();
            if (ahead) {
                QTest::qWait(2500);
            } else {
                QTest::qWait(500);
                audio.setPaused(true);
                cvcodec_recorder_pause(recorder);
                recordedMs += running.elapsed();
                QTest::qWait(600);
                cvcodec_recorder_recorded_time(recorder); // resumes
                audio.setPaused(false);
                running.restart();
                QTest::qWait(800);
            }
            audio.stop();
            recordedMs += running.elapsed();
            sent = audio.sent();
        }
        cvcodec_recorder_stop(recorder);
        cvcodec_recorder_close(recorder);
        cvcodec_recorder_release(recorder);
        QVERIFY(sent.size() > 20);
        for (const auto& frame : sent) {
            const int64_t endUs = frame.timestampUs + int64_t(frame.frames) * 1'000'000 / kRate;
            QVERIFY2(endUs <= frame.sentAtUs - start + 20'000,
                     qPrintable(QString("sound up to %1 us sent at %2 us").arg(endUs).arg(frame.sentAtUs - start)));
        }
        const double seconds = recording_test::probe(path).durationSeconds;
        QVERIFY2(std::abs(seconds - recordedMs / 1000.0) <= 0.15,
                 qPrintable(QString("%1 s in the file, %2 s recorded").arg(seconds).arg(recordedMs / 1000.0)));
        if (!ahead) {
            return;
        }
        // The square wave is a quarter of full scale in every 20 ms of the file from the
        // first piece the source really handed over (a capture thread that opens late on a
        // loaded machine leaves silence before it), but for the last 50 ms (sound whose
        // time had not come yet when the capture stopped).
        const QVector<int16_t> samples = recording_test::decodeMono(path, kRate);
        constexpr int kWindow = kRate / 50;
        QVERIFY(samples.size() > kRate * 2);
        int64_t firstUs = sent.front().timestampUs;
        for (const auto& frame : sent) {
            firstUs = std::min(firstUs, frame.timestampUs);
        }
        const int firstWindow = int((std::max<int64_t>(firstUs, 0) * kRate / 1'000'000 + kWindow - 1) / kWindow);
        for (int at = firstWindow * kWindow; at + kWindow <= samples.size() - kRate / 20; at += kWindow) {
            int64_t sum = 0;
            for (int i = at; i < at + kWindow; ++i) {
                sum += std::abs(int(samples[i]));
            }
            QVERIFY2(sum / kWindow > 6000,
                     qPrintable(QString("%1 at %2 s").arg(sum / kWindow).arg(at / double(kRate))));
        }
    }

    // The sound keeps its place on the recording's clock, which the pictures keep to:
    // over ten pauses, each of which must leave out of the sound the time it leaves out
    // of the clock, and from a device whose clock runs fast. A burst every 200 ms of the
    // machine's clock must sit in the file where that clock, less the paused time before
    // it, puts it: within 10 ms of it, and within 3 ms of where the first one sat.
    void soundKeepsToTheClock_data() {
        QTest::addColumn<int>("pauses");
        QTest::addColumn<int>("clockPpm");
        QTest::newRow("ten pauses") << 10 << 0;
        QTest::newRow("a device clock 0.05 % fast") << 0 << 500;
    }
    void soundKeepsToTheClock() {
        QFETCH(int, pauses);
        QFETCH(int, clockPpm);
        constexpr int64_t kEveryUs = 200'000;
        Script script;
        script.amplitude = 0.5f;
        script.burstEveryUs = kEveryUs;
        script.clockPpm = clockPpm;
        script.openedAtUs = std::make_shared<std::atomic<int64_t>>(0);
        useScript(script);
        QTemporaryDir dir;
        const QString path = dir.filePath("bursts.wav");
        cvcodec_recorder recorder = openWavRecorder(path);
        QVERIFY(recorder);
        const int64_t start = getMicroseconds();         // the recorder's clock starts with its open
        std::vector<std::pair<int64_t, int64_t>> paused; // on the recording's clock
        {
            QRecordAudioObject audio(QRecordAudioObject::SystemSound);
            audio.setRecorder(recorder);
            audio.start();
            audio.beginRecording(start);
            QTest::qWait(1000);
            for (int i = 0; i < pauses; ++i) {
                // As the recording engine pauses and resumes; lengths that fall anywhere
                // between two packets.
                audio.setPaused(true);
                const int64_t pausing = getMicroseconds();
                cvcodec_recorder_pause(recorder);
                const int64_t from = (pausing + getMicroseconds()) / 2 - start;
                QTest::qWait(300 + 37 * i);
                const int64_t resuming = getMicroseconds();
                cvcodec_recorder_recorded_time(recorder);
                paused.emplace_back(from, (resuming + getMicroseconds()) / 2 - start);
                audio.setPaused(false);
                QTest::qWait(500 + 23 * i);
            }
            QTest::qWait(pauses == 0 ? 8000 : 600);
            audio.stop();
        }
        cvcodec_recorder_stop(recorder);
        cvcodec_recorder_close(recorder);
        cvcodec_recorder_release(recorder);

        const QVector<int16_t> samples = recording_test::decodeMono(path, kRate);
        QVERIFY(samples.size() > kRate * 3);
        const int64_t openedAt = *script.openedAtUs - start;
        // Where a moment of the recording's clock belongs in the file; -1 for one in or
        // next to a pause (a burst cut by it has no onset of its own).
        auto inFile = [&paused](int64_t clockUs) -> int64_t {
            int64_t left = 0;
            for (const auto& span : paused) {
                if (clockUs >= span.first - 40'000 && clockUs < span.second + 40'000) {
                    return -1;
                }
                if (clockUs >= span.second) {
                    left += span.second - span.first;
                }
            }
            return clockUs - left;
        };
        QVector<double> offsets; // ms, in the file's order
        int afterLastPause = 0;
        int quiet = 0;
        for (int i = 0; i < samples.size(); ++i) {
            // Quiet below a tenth of the burst: a resampled edge rings a little before it.
            if (std::abs(int(samples[i])) < 3000) {
                ++quiet;
                continue;
            }
            if (quiet >= kRate / 10 && std::abs(int(samples[i])) > 8000) {
                const int64_t atUs = int64_t(i) * 1'000'000 / kRate;
                // The burst whose place is nearest.
                int64_t best = -1;
                for (int64_t clock = openedAt; clock < openedAt + 60'000'000; clock += kEveryUs) {
                    const int64_t place = inFile(clock);
                    if (place >= 0 && (best < 0 || std::abs(place - atUs) < std::abs(best - atUs))) {
                        best = place;
                    }
                    if (place > atUs + kEveryUs) {
                        break;
                    }
                }
                if (best >= 0 && std::abs(best - atUs) < kEveryUs / 4) {
                    offsets.push_back((atUs - best) / 1000.0);
                    afterLastPause += !paused.empty() && best > inFile(paused.back().second + 40'000) ? 1 : 0;
                }
            }
            quiet = 0;
        }
        QVERIFY2(offsets.size() >= 25, qPrintable(listed(offsets)));
        QVERIFY(paused.empty() || afterLastPause >= 2);
        for (double offset : offsets) {
            // Each burst within 10 ms of its moment, and within 3 ms of where the first sat.
            QVERIFY2(std::abs(offset) <= 10.0, qPrintable("offsets (ms): " + listed(offsets)));
            QVERIFY2(std::abs(offset - offsets.front()) <= 3.0, qPrintable("offsets (ms): " + listed(offsets)));
        }
    }

    // A device whose clock runs 0.05 % fast, read late by up to 30 ms at random (a loaded
    // machine): the tone it plays is in the file whole, with no sample left out or doubled
    // anywhere (what a sine fitted to each 50 ms leaves over stays at the 16-bit noise
    // floor), and yet at the pitch the machine's clock gives it, 0.05 % high: the sound
    // keeps to the machine's time by being resampled, smoothly. The same for a device that
    // hands out a second at a time ahead of time (as the sound server does for a sine
    // source), each second on time or coming 0.2 s late (as it does while another program
    // records the same source): the seconds join sample after sample.
    void steadyToneStaysWhole_data() {
        QTest::addColumn<int>("clockPpm");
        QTest::addColumn<int>("aheadLateMs");
        QTest::addColumn<int>("recordMs");
        QTest::newRow("device clock fast, read late") << 500 << -1 << 16000;
        QTest::newRow("seconds ahead of time") << 0 << 0 << 5000;
        QTest::newRow("seconds ahead of time, each 0.2 s late") << 0 << 200 << 5000;
    }
    void steadyToneStaysWhole() {
        QFETCH(int, clockPpm);
        QFETCH(int, aheadLateMs);
        QFETCH(int, recordMs);
        Script script;
        script.wave = Script::Sine;
        script.amplitude = 0.5f;
        script.clockPpm = clockPpm;
        if (aheadLateMs >= 0) {
            script.aheadFrames = kRate;
            script.aheadLateUs = aheadLateMs * 1000;
        } else {
            script.lateReadsUs = 30'000;
        }
        useScript(script);
        QTemporaryDir dir;
        const QString path = dir.filePath("tone.wav");
        QVERIFY(recordWav(path, recordMs));
        const QVector<int16_t> samples = recording_test::decodeMono(path, kRate);
        QVERIFY2(samples.size() > kRate * (recordMs - 2000) / 1000, qPrintable(QString::number(samples.size())));
        constexpr int kBlock = kRate / 20;
        QStringList dirty;
        double worst = -200;
        for (int at = kRate / 2; at + kBlock <= samples.size() - kRate / 2; at += kBlock) {
            const soundtest::SineFit fit = soundtest::fitSine(samples.constData() + at, kBlock, kRate, 1000.0);
            QVERIFY2(fit.amplitude > 0.4, qPrintable(QString("no tone at %1 s").arg(at / double(kRate))));
            worst = std::max(worst, fit.residualDb);
            if (fit.residualDb > -60) {
                dirty << QString("%1 s: %2 dB").arg(at / double(kRate), 0, 'f', 2).arg(fit.residualDb, 0, 'f', 1);
            }
        }
        QVERIFY2(dirty.isEmpty(), qPrintable(QString("%1 of the 50 ms blocks hold more than the tone, worst %2 dB: %3")
                                                 .arg(dirty.size())
                                                 .arg(worst, 0, 'f', 1)
                                                 .arg(dirty.mid(0, 8).join(", "))));
        // Over the last three seconds, the pitch the machine's clock gives the device's tone.
        const int from = samples.size() - kRate * 7 / 2;
        const double hz = soundtest::fitSine(samples.constData() + from, kRate * 3, kRate, 1000.0).frequencyHz;
        const double expectedHz = 1000.0 * (1.0 + clockPpm / 1e6);
        QVERIFY2(std::abs(hz - expectedHz) < 0.1, qPrintable(QString("the tone at %1 Hz").arg(hz, 0, 'f', 3)));
    }

    // A device that hands its sound out in chunks of 100 ms, the recording started 60 ms
    // into one: the part of that chunk from before the start stays out of the file, and
    // the sound after it is at its moment from the first burst on.
    void soundFromBeforeTheStartStaysOut() {
        constexpr int64_t kEveryUs = 200'000;
        Script script;
        script.amplitude = 0.5f;
        script.burstEveryUs = kEveryUs;
        script.burstFrames = kRate / 10;
        script.openedAtUs = std::make_shared<std::atomic<int64_t>>(0);
        useScript(script);
        QTemporaryDir dir;
        const QString path = dir.filePath("bursts.wav");
        int64_t start = 0;
        {
            QRecordAudioObject audio(QRecordAudioObject::SystemSound);
            audio.start();
            QVERIFY(audio.isCapturing());
            // A burst leaves the device 1.0 s after the open; the recording starts 60 ms
            // later, the next burst 200 ms after the first.
            while (getMicroseconds() < *script.openedAtUs + 1'060'000) {
                QThread::usleep(200);
            }
            cvcodec_recorder recorder = openWavRecorder(path);
            QVERIFY(recorder);
            start = getMicroseconds(); // the recorder's clock starts with its open
            audio.setRecorder(recorder);
            audio.beginRecording(start);
            QTest::qWait(1000);
            audio.stop();
            cvcodec_recorder_stop(recorder);
            cvcodec_recorder_close(recorder);
            cvcodec_recorder_release(recorder);
        }
        const QVector<int16_t> samples = recording_test::decodeMono(path, kRate);
        QVERIFY2(samples.size() > kRate / 2, qPrintable(QString("%1 samples").arg(samples.size())));
        // The first sound in the file: the burst that left 1.2 s after the open.
        const int first =
            int(std::find_if(samples.begin(), samples.end(), [](int16_t v) { return std::abs(v) > 8000; }) -
                samples.begin());
        const double firstMs = first * 1000.0 / kRate;
        const double dueMs = (*script.openedAtUs + 1'200'000 - start) / 1000.0;
        QVERIFY2(dueMs > 60 && std::abs(firstMs - dueMs) <= 3.0,
                 qPrintable(QString("first sound at %1 ms, the burst due at %2 ms").arg(firstMs).arg(dueMs)));
    }

    // A source that fails while recording (the sound server ended, the microphone pulled
    // out) is told at once and taken up again: when the device returns, or, for a chosen
    // microphone that stays away, from the default input. The file holds the sound
    // before, silence over the gap, and the sound after, each at its time.
    void lostSoundIsToldAndTakenUpAgain_data() {
        QTest::addColumn<bool>("goneForGood");
        QTest::newRow("the device comes back") << false;
        QTest::newRow("the chosen microphone stays away") << true;
    }
    void lostSoundIsToldAndTakenUpAgain() {
        QFETCH(bool, goneForGood);
        auto present = std::make_shared<std::atomic<bool>>(true);
        Script script;
        QRecordAudioObject::setSourceFactory(
            [script, present, goneForGood](QRecordAudioObject::SourceType, const std::string& name) {
                Script own = script;
                if (!goneForGood || !name.empty()) {
                    own.present = present; // the default input is always there
                }
                return std::unique_ptr<SoundSource>(new ScriptedSource(own));
            });
        QTemporaryDir dir;
        const QString path = dir.filePath("sound.wav");
        cvcodec_recorder recorder = openWavRecorder(path);
        // The recorder's clock starts with its open: the sound is stamped from there.
        const int64_t start = getMicroseconds();
        QVERIFY(recorder);
        QVector<int> changes;
        double lostAt = 0;
        double returnedAt = 0;
        double backAt = 0;
        double stoppedAt = 0;
        {
            QRecordAudioObject audio(QRecordAudioObject::Microphone);
            if (goneForGood) {
                audio.setDeviceName(QStringLiteral("usb-microphone"));
            }
            QObject receiver;
            connect(
                &audio, &QRecordAudioObject::emitCaptureChanged, &receiver,
                [&changes](int change) { changes.push_back(change); }, Qt::QueuedConnection);
            audio.setRecorder(recorder);
            audio.start();
            const auto seconds = [start] { return (getMicroseconds() - start) / 1e6; };
            audio.beginRecording(start);
            QTest::qWait(800);
            *present = false;
            lostAt = seconds();
            QTRY_COMPARE(changes, QVector<int>{QRecordAudioObject::CaptureLost});
            if (!goneForGood) {
                QTest::qWait(1200);
                returnedAt = seconds();
                *present = true;
            }
            // Taken up from the default input instead: told as such.
            const int taken = goneForGood ? QRecordAudioObject::CaptureFromDefault : QRecordAudioObject::CaptureBack;
            QTRY_COMPARE_WITH_TIMEOUT(changes, (QVector<int>{QRecordAudioObject::CaptureLost, taken}), 6000);
            backAt = seconds();
            if (goneForGood) {
                returnedAt = backAt - 0.6; // the default input was opened within the last half second
            }
            QTest::qWait(800);
            audio.stop();
            stoppedAt = seconds();
        }
        cvcodec_recorder_stop(recorder);
        cvcodec_recorder_close(recorder);
        cvcodec_recorder_release(recorder);
        QCOMPARE(changes.size(), 2);
        const double duration = recording_test::probe(path).durationSeconds;
        QVERIFY2(std::abs(duration - stoppedAt) <= 0.15,
                 qPrintable(QString("%1 s in the file, %2 s recorded").arg(duration).arg(stoppedAt)));
        const QVector<int16_t> samples = recording_test::decodeMono(path, kRate);
        const auto before = recording_test::loudness(samples, kRate, 0.2, lostAt - 0.1);
        const auto gap = recording_test::loudness(samples, kRate, lostAt + 0.1, returnedAt);
        const auto after = recording_test::loudness(samples, kRate, backAt + 0.1, stoppedAt - 0.1);
        const QString found = QString("lost at %1 s, back at %2 s: before %3, gap up to %4, after %5")
                                  .arg(lostAt)
                                  .arg(backAt)
                                  .arg(before.quietest)
                                  .arg(gap.loudest)
                                  .arg(after.quietest);
        QVERIFY2(before.quietest > 6000 && after.quietest > 6000, qPrintable(found));
        QVERIFY2(gap.loudest >= 0 && gap.loudest < 50, qPrintable(found));
    }

    // The real sound server killed during a recording and started again on its socket:
    // both are told, and the file holds the sine tone before the kill and after the
    // return, silence in between (once the second the sine source hands out ahead of
    // time has run out), each at its time.
    void soundServerKilledAndBack() {
        OwnSoundServer server;
        QVERIFY(server.started());
        ServerAddress address(server.address());
        QTemporaryDir dir;
        const QString path = dir.filePath("sound.wav");
        cvcodec_recorder recorder = openWavRecorder(path);
        // The recorder's clock starts with its open: the sound is stamped from there.
        const int64_t start = getMicroseconds();
        QVERIFY(recorder);
        QVector<int> changes;
        double lostAt = 0;
        double returnedAt = 0;
        double backAt = 0;
        double stoppedAt = 0;
        {
            QRecordAudioObject audio(QRecordAudioObject::Microphone);
            QObject receiver;
            connect(
                &audio, &QRecordAudioObject::emitCaptureChanged, &receiver,
                [&changes](int change) { changes.push_back(change); }, Qt::QueuedConnection);
            audio.setRecorder(recorder);
            audio.start();
            QVERIFY(audio.isRunning());
            const auto seconds = [start] { return (getMicroseconds() - start) / 1e6; };
            audio.beginRecording(start);
            QTest::qWait(1500);
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression("audio capture.*ended: the sound server"));
            QVERIFY(server.kill());
            lostAt = seconds();
            QTRY_COMPARE(changes, QVector<int>{QRecordAudioObject::CaptureLost});
            QTest::qWait(2500);
            returnedAt = seconds();
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression("audio capture.*taken up again"));
            QVERIFY(server.start());
            QTRY_COMPARE_WITH_TIMEOUT(
                changes, (QVector<int>{QRecordAudioObject::CaptureLost, QRecordAudioObject::CaptureBack}), 5000);
            backAt = seconds();
            QTest::qWait(1500);
            audio.stop();
            stoppedAt = seconds();
        }
        cvcodec_recorder_stop(recorder);
        cvcodec_recorder_close(recorder);
        cvcodec_recorder_release(recorder);
        const double duration = recording_test::probe(path).durationSeconds;
        QVERIFY2(std::abs(duration - stoppedAt) <= 0.15,
                 qPrintable(QString("%1 s in the file, %2 s recorded").arg(duration).arg(stoppedAt)));
        const QVector<int16_t> samples = recording_test::decodeMono(path, kRate);
        const auto before = recording_test::loudness(samples, kRate, 0.5, lostAt - 0.1);
        const auto gap = recording_test::loudness(samples, kRate, lostAt + 1.2, returnedAt);
        const auto after = recording_test::loudness(samples, kRate, backAt + 0.3, stoppedAt - 0.2);
        const QString found = QString("killed at %1 s, back at %2 s: before %3, gap up to %4, after %5")
                                  .arg(lostAt)
                                  .arg(backAt)
                                  .arg(before.quietest)
                                  .arg(gap.loudest)
                                  .arg(after.quietest);
        QVERIFY2(before.quietest > 1000 && after.quietest > 1000, qPrintable(found));
        QVERIFY2(gap.loudest >= 0 && gap.loudest < 50, qPrintable(found));
    }

    // The system sound follows its output: while the output is gone (its module
    // unloaded) the recording holds silence, and the microphone the server would move
    // the capture to is never heard; the loss is told, and the return once the same
    // output is back. The tone is first shown measurable in a recording of the
    // microphone itself.
    void systemSoundWithoutItsOutputNeverRecordsTheMicrophone() {
        OwnSoundServer server;
        QVERIFY(server.started());
        ServerAddress address(server.address());
        {
            ServerRecording microphone(QRecordAudioObject::Microphone);
            QTest::qWait(1500);
            microphone.finish();
            const QVector<double> tone = microphone.toneFrom(0.5, microphone.stoppedAt - 0.1);
            QVERIFY2(tone.size() >= 3 && *std::min_element(tone.begin(), tone.end()) > 0.1, qPrintable(listed(tone)));
        }
        ServerRecording system(QRecordAudioObject::SystemSound);
        QTest::qWait(1000);
        QCOMPARE(pactl({"unload-module", "module-null-sink"}), 0);
        const double lostAt = system.seconds();
        QTest::qWait(3500);
        QCOMPARE(pactl({"load-module", "module-null-sink", "sink_name=own_null"}), 0);
        const double returnedAt = system.seconds();
        QTRY_VERIFY_WITH_TIMEOUT(!system.changes.isEmpty() && system.changedAt.last() > returnedAt, 5000);
        QTest::qWait(1000);
        system.finish();
        const QVector<double> tone = system.toneFrom(0, system.stoppedAt);
        QVERIFY2(tone.size() >= int(system.stoppedAt * 4) - 1 && *std::max_element(tone.begin(), tone.end()) < 0.01,
                 qPrintable(listed(tone)));
        const double duration = recording_test::probe(system.path).durationSeconds;
        QVERIFY2(std::abs(duration - system.stoppedAt) <= 0.15,
                 qPrintable(QString("%1 s in the file, %2 s recorded").arg(duration).arg(system.stoppedAt)));
        QCOMPARE(system.changes, (QVector<int>{QRecordAudioObject::CaptureLost, QRecordAudioObject::CaptureBack}));
        QVERIFY2(system.changedAt.first() < lostAt + 1.0, qPrintable(QString::number(system.changedAt.first())));
    }

    // A chosen microphone that stays away is taken up from the default input only when
    // that is an input as well: while the default input is the monitor of an output, the
    // recording holds silence, never the system sound (the output's 1000 Hz tone, shown
    // measurable first); once a microphone is the default input, its tone is recorded,
    // told as taken from the default input.
    void chosenMicrophoneNeverFallsBackToAnOutput() {
        OwnSoundServer server;
        QVERIFY(server.started());
        ServerAddress address(server.address());
        QCOMPARE(pactl({"load-module", "module-sine", "sink=own_null", "frequency=1000"}), 0);
        QCOMPARE(pactl({"set-default-source", "own_null.monitor"}), 0);
        {
            ServerRecording system(QRecordAudioObject::SystemSound);
            QTest::qWait(3500);
            system.finish();
            const QVector<double> tone = system.toneFrom(2.0, system.stoppedAt - 0.1, 1000);
            QVERIFY2(tone.size() >= 3 && *std::min_element(tone.begin(), tone.end()) > 0.1, qPrintable(listed(tone)));
        }
        ServerRecording microphone(QRecordAudioObject::Microphone, QStringLiteral("own_mic"));
        QTest::qWait(1000);
        QCOMPARE(pactl({"unload-module", "module-sine-source"}), 0);
        QTRY_VERIFY(!microphone.changes.isEmpty());
        const double lostAt = microphone.changedAt.first();
        QTest::qWait(4500);
        QCOMPARE(pactl({"load-module", "module-sine-source", "source_name=other_mic", "frequency=660"}), 0);
        QCOMPARE(pactl({"set-default-source", "other_mic"}), 0);
        const double returnedAt = microphone.seconds();
        QTRY_VERIFY_WITH_TIMEOUT(microphone.changedAt.last() > returnedAt, 5000);
        const double backAt = microphone.changedAt.last();
        QTest::qWait(1500);
        microphone.finish();
        const QVector<double> system = microphone.toneFrom(lostAt + 0.2, returnedAt, 1000);
        const QVector<double> other = microphone.toneFrom(backAt + 0.3, microphone.stoppedAt - 0.1, 660);
        QStringList told;
        for (const int change : microphone.changes) {
            told << QString::number(change);
        }
        const QString found = QString("told %1; lost at %2 s, back at %3 s: system sound %4; the other microphone %5")
                                  .arg(told.join(' '))
                                  .arg(lostAt)
                                  .arg(backAt)
                                  .arg(listed(system), listed(other));
        QVERIFY2(microphone.changes ==
                     (QVector<int>{QRecordAudioObject::CaptureLost, QRecordAudioObject::CaptureFromDefault}),
                 qPrintable(found));
        QVERIFY2(system.size() >= 16 && *std::max_element(system.begin(), system.end()) < 0.01, qPrintable(found));
        QVERIFY2(other.size() >= 3 && *std::min_element(other.begin(), other.end()) > 0.1, qPrintable(found));
    }

    // A microphone that comes back (its module loaded again) is recorded whole from its
    // return on: every quarter second holds its tone.
    void returnedMicrophoneIsRecordedWhole() {
        OwnSoundServer server;
        QVERIFY(server.started());
        ServerAddress address(server.address());
        ServerRecording microphone(QRecordAudioObject::Microphone);
        QTest::qWait(1000);
        QCOMPARE(pactl({"unload-module", "module-sine-source"}), 0);
        QTRY_VERIFY(!microphone.changes.isEmpty());
        QTest::qWait(1500);
        QCOMPARE(pactl({"load-module", "module-sine-source", "source_name=own_mic", "frequency=440"}), 0);
        QCOMPARE(pactl({"set-default-source", "own_mic"}), 0);
        const double returnedAt = microphone.seconds();
        QTRY_VERIFY_WITH_TIMEOUT(microphone.changes.last() == QRecordAudioObject::CaptureBack &&
                                     microphone.changedAt.last() > returnedAt,
                                 5000);
        const double backAt = microphone.changedAt.last();
        QTest::qWait(4500);
        microphone.finish();
        const QVector<double> tone = microphone.toneFrom(backAt, microphone.stoppedAt - 0.1);
        QVERIFY2(tone.size() >= 16 && *std::min_element(tone.begin(), tone.end()) > 0.1,
                 qPrintable(QString("back at %1 s: %2").arg(backAt).arg(listed(tone))));
    }

    // A sound server that hangs (stopped) while a capture runs, or while the capture
    // opens it again after it was killed: the stop takes no longer than about a second,
    // and the file plays.
    void stopUnderAHungServer_data() {
        QTest::addColumn<bool>("reopening");
        QTest::newRow("hung while capturing") << false;
        QTest::newRow("hung while opened again") << true;
    }
    void stopUnderAHungServer() {
        QFETCH(bool, reopening);
        OwnSoundServer server;
        QVERIFY(server.started());
        ServerAddress address(server.address());
        ServerRecording microphone(QRecordAudioObject::Microphone);
        QTest::qWait(1000);
        if (reopening) {
            // The server comes back and is stopped as soon as it answers. The capture tries
            // it every half second: one that got through first tells so (and a connection
            // to a stopped server never completes), and was capturing, not opening it
            // again, when it hung; the server is then killed and started again.
            bool reopeningWhenHung = false;
            for (int round = 0; round < 5 && !reopeningWhenHung; ++round) {
                QVERIFY(server.kill());
                QTRY_VERIFY(!microphone.changes.isEmpty() &&
                            microphone.changes.last() == QRecordAudioObject::CaptureLost);
                const int told = microphone.changes.size();
                QVERIFY(server.start());
                server.stop();
                QTest::qWait(1500);
                reopeningWhenHung = microphone.changes.size() == told;
            }
            QVERIFY2(reopeningWhenHung, "the capture had opened the server again before it hung, in every round");
        } else {
            server.stop();
            QTest::qWait(1500);
        }
        microphone.finish();
        server.resume();
        QVERIFY2(microphone.stopSeconds < 1.0, qPrintable(QString("the stop took %1 s").arg(microphone.stopSeconds)));
        const double duration = recording_test::probe(microphone.path).durationSeconds;
        QVERIFY2(std::abs(duration - microphone.stoppedAt) <= 0.15,
                 qPrintable(QString("%1 s in the file, %2 s recorded").arg(duration).arg(microphone.stoppedAt)));
        QVERIFY(recording_test::decodeMono(microphone.path, kRate).size() > kRate * 2);
    }

    // A level preview only measures: levels of a ±0.25 square wave are a quarter of full
    // scale, and it ends with -10000.
    void levelPreview() {
        Script script;
        script.amplitude = 0.25f;
        useScript(script);
        QRecordAudioObject preview(QRecordAudioObject::Microphone);
        preview.setLevelMeterEnabled(true);
        LevelCollector levels(&preview);
        preview.start();
        QTRY_VERIFY(levels.any([](int level) { return level > 0; }));
        preview.stop();
        QTRY_COMPARE(levels.levels.last(), -10000);
        for (const int level : levels.levels) {
            QVERIFY2(level == 0 || level == -10000 || (level > 7800 && level < 8600),
                     qPrintable(QString::number(level)));
        }
        QVERIFY(!preview.audioTrack() || preview.recorder() == nullptr);
        QVERIFY(!preview.isRunning());
    }

    // The real sound server: the sine microphone gives levels; without a server the
    // capture gives up at once, says why, and leaves no thread behind.
    void soundServer() {
        if (!qEnvironmentVariableIsSet("PULSE_SERVER")) {
            QSKIP("needs the virtual desktop's sound server");
        }
        QRecordAudioObject microphone(QRecordAudioObject::Microphone);
        microphone.setLevelMeterEnabled(true);
        LevelCollector levels(&microphone);
        microphone.start();
        QTRY_VERIFY(levels.any([](int level) { return level > 1000; }));
        microphone.stop();

        const QByteArray saved = qgetenv("PULSE_SERVER");
        QTemporaryDir dir;
        qputenv("PULSE_SERVER", ("unix:" + dir.filePath("none")).toUtf8());
        QRecordAudioObject system(QRecordAudioObject::SystemSound);
        LevelCollector ended(&system);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("system sound.*not captured"));
        system.start();
        qputenv("PULSE_SERVER", saved);
        QTRY_VERIFY(!system.isRunning());
        QTRY_COMPARE(ended.levels, QVector<int>{-10000});
        system.resetRecorder();
        QVERIFY(!system.isRunning());
    }
};

int main(int argc, char** argv) {
    recording_test::PrivateHome home;
    QCoreApplication app(argc, argv);
    TestRecordAudio test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_record_audio.moc"
