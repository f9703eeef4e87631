// The recording engine: records the screen (or a rectangle of it) and the sound into one
// encoded file through a recorder handle of the codec library, and adds the finished file
// to the history.
//
// Video frames are grabbed on the GUI thread when their slot of the output's frame grid
// is due (a single-shot precise timer aimed at each slot, so that no timer fires between
// slots; every frame a fresh grab, stamped with its slot's time); the watermark, click animation, cursor
// highlight and cursor are painted into each frame before it goes to the recorder. Sound
// comes from two QRecordAudioObject threads (system sound and microphone).
//
// Threads: every public function runs on the GUI thread; the signals are emitted there.
#pragma once

#include "app/QUtilThread.h"
#include "platform/codec/calvorine_codec.h"

#include <QObject>
#include <QPixmap>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>

struct ConvertParam;
class QImage;
class QRecordAudioObject;
class QTimerEvent;

namespace calvorine::platform {
class CursorCapture;
class ScreenCapture;
} // namespace calvorine::platform

// Where the scaled watermark goes in a capture area: its top-left corner in the frame and
// the part of the image drawn there (never beyond the area).
struct WatermarkPlacement {
    QPoint destination;
    QRect source;
};

class QRecordObject : public QObject, public QUtilThread {
    Q_OBJECT
public:
    explicit QRecordObject(QObject* parent = nullptr);
    ~QRecordObject() override;

    // Called with the encoder parameters of every start, after the output format has set
    // them: lets a benchmark or a test choose what no output format offers (such as the
    // encoder's speed). Null by default. GUI thread.
    using ParamsAdjuster = std::function<void(cvcodec_params params)>;
    static void setParamsAdjuster(ParamsAdjuster adjuster);

    // Starts recording into the file with the current output format. False when the
    // encoder cannot be opened or the screen cannot be read: then nothing keeps running,
    // no history entry is added and no file is left behind. A running recording is
    // stopped first (its file enters the history).
    bool startRecord(const QString& file, float systemVolume, bool hasVideo);
    // Stops the timers and pauses the encoder: nothing captured while paused reaches the
    // file, and the time stamps continue on resume as if the pause had not been.
    void pauseRecord();
    void resumeRecord();
    // The next video frame, overlays included, is saved to the path (format from its
    // suffix).
    void takeScreenshot(const QString& path);
    // Ends the sound capture, the timers and the encoder; the first stop after a start
    // adds the history entry, later ones do nothing. A recording whose file can no
    // longer be written (a full disk) is stopped the same way by the engine itself
    // within a tenth of a second: isRecording() then turns false. Either failure is
    // told by emitRecordFailed.
    void stopRecord();
    // The first half of a cut into a new file: ends this file as stopRecord does, but the
    // sound capture runs on, and the sound from this moment on is kept for the file that
    // the next startRecord begins, which counts its time from this moment: no sound is
    // lost between the two files, and none is in both.
    void stopForCut();
    // Opens the chosen sound sources ahead of a start (at the countdown's beginning): a
    // sound server may take a while to send a new capture its first sound, which would
    // otherwise be missing from the start of the recording. The next startRecord takes
    // them over; releasePreparedSound closes them when no start follows.
    void prepareSound();
    void releasePreparedSound();

    bool isRecording() const;
    bool isPaused() const;
    // The thumbnail of the current or last recording (empty until the first frame).
    QString thumbnailPath() const;
    QString outputPath() const;

    // "hh:mm:ss" of the whole seconds; hours go on past 23 ("25:00:00").
    static QString formatDurationText(uint64_t microseconds);
    // The placement of a watermark of imageSize in an area of captureSize for position
    // 0-8 (left top ... right bottom, row by row) and margins in percent.
    static WatermarkPlacement placeWatermark(QSize captureSize, QSize imageSize, int position,
                                             int verticalMarginPercent, int horizontalMarginPercent);

signals:
    void emitRecordTime(uint64_t microseconds);
    void emitAudioData(unsigned char* block, int samples);
    // The recording failed; the reason is a short English text for the log (the user is
    // told "Recording failed!"). Emitted at most once per startRecord, on the GUI thread,
    // as the last thing the failing call does (nothing of the recording runs any more):
    //  - a start that returns false (emitted before startRecord returns);
    //  - a file that can no longer be written while recording (a full disk): the engine
    //    has stopped the recording itself, as stopRecord would;
    //  - a stop whose file could not be finished (its end, index or sizes not written),
    //    or whose file does not play (it holds no picture or sound).
    // A file cut short that still plays is kept and listed in the history; one that does
    // not play is kept on disk but not listed.
    void emitRecordFailed(const QString& reason);
    // The file of the stop that just ran is kept, but its history entry could not be
    // saved, so the history library will not list it. Emitted on the GUI thread inside
    // stopRecord (or the engine's own stop).
    void emitHistoryNotSaved(const QString& file);
    // A requested screenshot could not be written to `path` (its folder is missing or
    // cannot be written); the recording goes on. Emitted on the GUI thread.
    void emitScreenshotFailed(const QString& path);
    // The recording's sound stopped, or came again (a QRecordAudioObject::CaptureChange
    // of all its sources together: lost while any is lost, back once all are); the
    // recording goes on either way. `sources` (SourceType bits) are those lost, or taken
    // from the default device instead; 0 with CaptureBack. Emitted on the GUI thread
    // while recording.
    void emitSoundChanged(int change, int sources);

protected:
    void timerEvent(QTimerEvent* event) override;
    // The thread of this object is never started.
    void run() override {}

private:
    // The stream parameters of the current format (the caller releases them) and its
    // muxer name; takes the format's name, size and frame rate for the recording.
    cvcodec_params streamParams(QByteArray& formatName);
    void takeFrameRate(const ConvertParam& param);
    // Starts the chosen sound sources into the recorder, the microphone into a track of
    // its own when the system sound is recorded too.
    void startSoundSources(cvcodec_params params, float systemVolume);
    // The sources the settings choose; those not chosen are stopped. True for each one
    // whose capture had to be started here (it was not running yet). True when the
    // microphone is mixed into the system sound (both chosen).
    bool startChosenSources(bool& systemStarted, bool& microphoneStarted);
    // Stops the file's clock at atUs (getMicroseconds; a pause already stopped it) and
    // waits, at most holdMs, until the sound captured before atUs has been handed on;
    // false when some did not come in time. The sound from atUs on is held for a next
    // file (a cut) or left out (a stop).
    bool endFileAt(int64_t atUs, int holdMs);
    // Ends the file, the timers and the history entry (the sound capture is the caller's).
    void finishFile();
    bool openEncoder(cvcodec_params params, const QByteArray& utf8Path, const QByteArray& formatName, QString& reason);
    void failStart(const QString& reason);
    void reportFailure(const QString& reason);
    void startTimers();
    void killTimers();
    void loadOverlays();
    void videoTick();
    int64_t slotTimeUs(int64_t slot) const;
    int64_t slotAtOrAfter(int64_t clockUs) const;
    void armSlotTimer();
    void timeTick();
    void audioDataTick();
    // The overlays, each painted over the rectangle it covers only.
    void drawWatermark(QImage& frame);
    void drawClickAndHighlight(QImage& frame, QPoint cursor, bool leftButtonDown);
    void drawCursor(QImage& frame);
    void saveThumbnail(const QImage& frame);
    void pushFrame(const QImage& frame, int64_t timestampUs);
    void releaseCaptureBuffers();
    // False when the file does not play (then it is not listed).
    bool addToHistory();

    bool m_stopped = true;
    bool m_paused = false;
    int m_timeTimer = 0;
    int m_audioDataTimer = 0;
    cvcodec_recorder m_recorder = nullptr;
    cvcodec_frame m_videoFrame = nullptr;

    QPoint m_origin;
    QSize m_size{100, 100};
    double m_scale = 1.0;
    std::unique_ptr<calvorine::platform::ScreenCapture> m_screen;
    std::unique_ptr<calvorine::platform::CursorCapture> m_cursor;
    // The cursor image converted once per cursor change.
    QImage* m_cursorImage = nullptr;
    uint32_t m_cursorSerial = 0;
    QPoint m_cursorHotspot;

    QPixmap m_clickImage;
    QPixmap m_highlightImage;
    QPixmap m_watermarkImage; // scaled, transparency applied
    QRect m_watermarkSource{0, 0, -1, -1};
    QPoint m_watermarkPoint;

    int m_clickCounter = -1;
    int m_highlightCounter = -1;
    int64_t m_clickStartUs = -1;
    int64_t m_releaseUs = -1;

    QString m_outputPath;
    bool m_outputExisted = false; // a failed start removes only a file it made
    QString m_screenshotPath;
    uint64_t m_lastRecordTime = 0;
    bool m_screenshotPending = false;
    QString m_thumbnailPath;
    bool m_historyPending = false;
    bool m_failureReported = false; // emitRecordFailed was emitted for this recording
    // The sources (SourceType bits) whose sound is lost, or comes from the default input,
    // in this recording; the user hears of the recording's sound as a whole.
    int m_soundLost = 0;
    int m_soundFromDefault = 0;
    // What the user was last told (a CaptureChange, CaptureBack when all is well) and of
    // which sources; a tell is pending while changes are gathered.
    int m_soundTold = 3; // QRecordAudioObject::CaptureBack
    int m_soundToldSources = 0;
    bool m_soundTellPending = false;
    void takeSoundChange(int source, int change);
    void tellSoundChange();
    bool m_fileWhole = true; // the last stop finished the whole file
    bool m_hasVideo = true;

    // Output format of the current recording, for the history entry.
    QString m_formatName;
    QString m_formatExtension;
    QSize m_formatSize;

    // Frame pacing: slot k of the output is due k periods after the start, paused spans
    // left out; its picture is grabbed then and stamped with that time.
    int32_t m_frameRateNum = 30;
    int32_t m_frameRateDen = 1;
    int64_t m_framePeriodUs = 33'333;
    int64_t m_nextSlot = 0;
    int64_t m_pausedUs = 0;     // paused time so far
    int64_t m_pauseStartUs = 0; // when the current pause began
    int m_slotTimer = 0;        // precise single shot for the next slot
    int64_t m_startTimeUs = 0;  // the recorder's clock origin (taken right after the open)
    int64_t m_cutAtUs = -1;     // a cut's moment, the next file's origin (stopForCut)

    QRecordAudioObject* m_systemAudio = nullptr;
    QRecordAudioObject* m_microphone = nullptr;
};
