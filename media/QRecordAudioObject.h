// Capture of one sound source (system sound or microphone) on a thread of its own.
//
// While a recording runs, the captured sound goes to the codec library's recorder as
// timed audio frames or, for a microphone mixed into the system sound, into an audio
// track that the encoder mixes. Whether recording or not, the object can measure the
// level of every packet and report it through emitVolume (the main window's idle level
// previews are two instances that never record).
//
// Threads: every public function runs on the owner's (GUI) thread. The capture loop runs
// on the object's worker thread; the flags it polls are atomics, and it reaches the GUI
// only through emitVolume and emitCaptureChanged (queued to receivers on other threads).
//
// A source that fails while it runs (the sound server ended, the device pulled out) does
// not end the capture: it is opened again every half second until sound comes, and the
// recording holds silence in between. The system sound follows its output (or, once that
// stays away, the default output); a source is never taken from a device of the other
// kind.
#pragma once

#include "app/QUtilThread.h"
#include "platform/codec/calvorine_codec.h"
#include "platform/system/sound_capture.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

class QAudioFrameBuffer;

class QRecordAudioObject : public QObject, public QUtilThread {
    Q_OBJECT
public:
    enum SourceType { SystemSound = 1, Microphone = 2 };
    // What emitCaptureChanged tells.
    enum CaptureChange {
        // No sound comes any more (the sound server or the device went away); the capture
        // keeps trying and takes the sound up again when it returns. Until then the
        // recording holds silence, so that its sound keeps to its time.
        CaptureLost = 1,
        // The chosen device went away (for the system sound: its output); the sound
        // comes from the default input (the default output's monitor) now.
        CaptureFromDefault = 2,
        // The sound comes again from the chosen device.
        CaptureBack = 3,
    };

    // Makes the capture source of a run. Tests put their own sources here; by default
    // the sound server is used (calvorine::platform::createSoundCapture).
    using SourceFactory = std::function<std::unique_ptr<calvorine::platform::SoundSource>(
        SourceType type, const std::string& deviceName)>;
    static void setSourceFactory(SourceFactory factory);

    QRecordAudioObject(int sourceType, QObject* parent = nullptr);
    ~QRecordAudioObject() override;

    // Starts the capture thread (ending an earlier run) and returns once the thread has
    // opened its source or given up. Clears the stop request and the recording state.
    void start();
    // Asks the capture loop to end and waits for it; what was queued is sent first.
    void stop();

    void setLevelMeterEnabled(bool on);

    // The recorder that receives the frames; null for a level preview or a microphone
    // that is mixed as a track. Set before start.
    void setRecorder(cvcodec_recorder recorder);
    cvcodec_recorder recorder() const;

    // The microphone's device name on the sound server; empty for the default input.
    void setDeviceName(const QString& name);

    // Switched on by the recording engine once its start succeeded: from then on the
    // captured sound reaches the recorder or the track, stamped from startTimeUs. Called
    // again after holdFrom (a cut), the sound held since goes on into the next file,
    // stamped from the new start.
    void beginRecording(int64_t startTimeUs);
    // For a cut at cutAtUs (getMicroseconds): the sound before that moment goes on to the
    // current recorder or track, the sound from it on is held for the next recording
    // (see beginRecording); the capture itself runs on. Returns once all the sound before
    // the cut has been handed on, or after timeoutMs (the source sent nothing meanwhile);
    // false then.
    bool holdFrom(int64_t cutAtUs, int timeoutMs);
    // True while the capture thread runs (a source open, or being opened again).
    bool isCapturing() const;
    // Waits until the source, opened by start, has sent its first sound, at most
    // timeoutMs; false when none came (or the capture has ended). A sound server may take
    // a while to send a new capture anything: the first moment a recording keeps is
    // the one its sound starts from.
    bool waitForSound(int timeoutMs);
    // While paused nothing captured reaches the recorder or the track (the time stamps
    // keep to the recording's clock, whose paused spans the recorder leaves out).
    void setPaused(bool paused);

    // The track a mixed microphone writes into (null until a run has opened its source).
    cvcodec_track audioTrack() const;

    // Level of a codec library level block: the average magnitude of its signed 16-bit
    // samples (0 silence, 32768 full scale); 0 for a null or empty block.
    static int levelOfBlock(const uint8_t* block);

    float volume() const;

signals:
    // The level of the last packet; 0 every 10 ms between packets; -10000 when the
    // capture has ended.
    void emitVolume(int level);
    // A change of a running capture's sound (a CaptureChange), emitted on the capture
    // thread while a recording is active; the level previews never emit it.
    void emitCaptureChanged(int change);

public slots:
    void setVolume(float volume);
    // Stops; the microphone starts again when the recording settings say one is present.
    void resetRecorder();

protected:
    void run() override;

    // Hands one queued frame to the recorder. Called on the capture thread, frames in the
    // order of their time stamps.
    virtual void sendFrame(const uint8_t* data, int frames, int64_t timestampUs);

private:
    std::unique_ptr<calvorine::platform::SoundSource> makeSource(const std::string& deviceName) const;
    void captureLoop(std::unique_ptr<calvorine::platform::SoundSource>& source, const std::string& chosen);
    // After the source failed: opens it again, or the default device instead once the
    // chosen microphone or the system sound's output has been missing for a while; true
    // when sound comes again.
    bool reopen(std::unique_ptr<calvorine::platform::SoundSource>& source, const std::string& chosen, int64_t lostForUs,
                bool& fromDefault);
    // Takes the format of a source opened again: what was captured in the old one is
    // handed on first.
    void resumeCapture(calvorine::platform::SoundSource& source);
    void tellCaptureChange(CaptureChange change);
    // Takes the source's format and readies the queues and the track; false when the
    // format cannot be recorded.
    bool beginCapture(calvorine::platform::SoundSource& source);
    // Between packets: places held sound whose time has come, and keeps the track going
    // with silence when the source has been quiet too long.
    void bridgeQuietSource(int64_t nowUs);
    // Reads the packets the source has ready, starting with one of `frames` frames; gives
    // the frames of the next packet, or -1 when the source failed.
    int readPackets(calvorine::platform::SoundSource& source, int frames, std::vector<uint8_t>& silence);
    // One packet's sound: metered, then placed now or held until its time.
    void takePacket(const calvorine::platform::SoundPacket& packet, const uint8_t* data);
    void meterLevel(const uint8_t* data, int frames);
    void makeTrack(const calvorine::platform::SoundFormat& format);
    void setFrameFormat(cvcodec_frame frame) const;
    void sendOldest();
    void sendAll();
    void pushSilence(int64_t nowUs);
    // The moment (recording clock) the device's own clock, followed to the machine's,
    // gives the first frame of a packet read at readAtUs. Called for every packet read,
    // placed or not.
    int64_t followDeviceClock(const calvorine::platform::SoundPacket& packet, int64_t readAtUs);
    // The stamp of a packet whose device moment is deviceUs, read at readAtUs, and how
    // many of its first frames came before the recording (its start or resume, or what
    // was sent already) and are left out. False when it has no place on the timeline and
    // is to be dropped.
    bool placePacket(const calvorine::platform::SoundPacket& packet, int64_t deviceUs, int64_t readAtUs,
                     int64_t& stampUs, int& skipFrames);
    // Notes frames handed on from stampUs, lasting their nominal length times
    // (1 + stretch): the end of what was sent.
    void continueRun(int64_t stampUs, int frames, double stretch = 0.0);
    // Places a packet read now (or released from the early queue) whose device moment is
    // deviceUs while writing (on); while paused, hands the queued sound on instead.
    void placeRead(const calvorine::platform::SoundPacket& packet, const uint8_t* data, bool on, int64_t deviceUs,
                   int64_t readAtUs);
    // Hands a placed packet on: to the queue before the recorder, or into the track;
    // what lies after a cut is held.
    void deliver(const uint8_t* data, int frames, int64_t stampUs);
    // Keeps a packet the source handed out ahead of time until its time has come.
    void holdEarly(const uint8_t* data, int frames, int64_t firstFrameUs);
    // Places the held packets whose time has come (nowUs, getMicroseconds); true when
    // any was.
    bool releaseEarly(int64_t nowUs);
    int64_t recordingNow(int64_t nowUs) const;
    // On the capture thread: takes up a start the engine has given since (a new
    // recording, or the next file of a cut) and hands the held sound on to it.
    void followStart();
    // Whether captured sound is placed now (a recording runs, not paused); takes up a
    // new start first.
    bool writing();
    // Sound placed after the moment a cut holds from waits in m_heldQueue (the part
    // before it goes on, split where a packet spans the cut).
    bool holdsFrom(const uint8_t* data, int frames, int64_t stampUs);

    const int m_sourceType;
    std::atomic<cvcodec_recorder> m_recorder{nullptr};
    std::atomic<bool> m_stopRequested{false};
    std::atomic<bool> m_started{false};
    std::mutex m_startLock; // with m_startWake: start() waits for m_started
    std::condition_variable m_startWake;
    void markStarted();
    std::atomic<bool> m_levelMetering{false};
    std::atomic<bool> m_recordingActive{false};
    std::atomic<bool> m_paused{false};
    cvcodec_frame m_frame = nullptr;
    std::atomic<cvcodec_track> m_track{nullptr};
    std::atomic<int64_t> m_startTimeUs{0};
    // Each beginRecording counts one; the capture thread follows (followStart).
    std::atomic<int> m_startCount{0};
    // The cut's moment (getMicroseconds) while one holds the sound, else -1; m_held once
    // the sound before it has been handed on.
    std::atomic<int64_t> m_holdFromUs{-1};
    std::atomic<bool> m_held{false};
    std::atomic<bool> m_soundCame{false};  // the source has sent sound since it opened
    std::atomic<int64_t> m_resumedAtUs{0}; // the last resume (getMicroseconds)
    std::atomic<int64_t> m_pausedAtUs{0};  // the last pause (getMicroseconds)
    std::mutex m_waitLock;                 // with m_waitWake: holdFrom and waitForSound
    std::condition_variable m_waitWake;
    void wakeWaiters();
    std::unique_ptr<QAudioFrameBuffer> m_frameQueue;
    // Sound handed out ahead of time, stamped with its first frame's moment
    // (getMicroseconds), oldest first; m_earlyFrames is what it holds.
    std::unique_ptr<QAudioFrameBuffer> m_earlyQueue;
    int64_t m_earlyFrames = 0;
    std::atomic<float> m_volume{100.0f};
    mutable std::mutex m_deviceMutex;
    std::string m_deviceName;

    // Capture-thread state of the current run.
    calvorine::platform::SoundFormat m_format;
    int64_t m_nextTimestampUs = 0; // end of the last frame stamped: stamps never go back
    double m_nextExactUs = 0;      // the same, unrounded
    int64_t m_runFrames = 0;       // frames sent without a break (0: nothing placed since the start)
    // The device's clock: frames read since its anchor (recording clock), and how far it
    // has been found to run from the machine's: offset + slope * frames.
    bool m_clockKnown = false;
    int64_t m_clockAnchorUs = 0;
    int64_t m_clockFrames = 0;
    double m_clockOffsetUs = 0;
    double m_clockDriftUs = 0;      // how far it runs off each window
    int64_t m_clockWindowEndUs = 0; // the window whose errors are averaged
    int64_t m_clockWindowError = 0; // the errors found in it, summed
    int64_t m_clockWindowPackets = 0;
    // The start the stamps count from, once the thread has taken one (followStart).
    int m_followedStarts = 0;
    bool m_haveStart = false;
    bool m_wasPaused = false;  // not writing at the last look (writing())
    int64_t m_placeFromUs = 0; // nothing captured before this (stamps' clock) is placed
    int64_t m_stampOriginUs = 0;
    std::unique_ptr<QAudioFrameBuffer> m_heldQueue; // sound held over a cut
    int64_t m_lastPacketUs = 0;
};
