// The history player's playback controller: one codec-library player (RZPlayerClass,
// which also paints the pictures into the surface it is given), one open file at a time,
// start, pause, stop, seek and frame steps, polled by three GUI-thread timers (time and
// progress every 100 ms; picture redraws and sound levels every 50 ms). Everything is
// reported through signals. GUI thread only.
#pragma once

#include <QImage>
#include <QObject>
#include <QString>

#include <cstdint>

class QTimer;
class RZPlayerClass;
class VideoImageWindow;

class RZQPlayObject : public QObject {
    Q_OBJECT
public:
    explicit RZQPlayObject(QObject* parent = nullptr);
    ~RZQPlayObject() override;

    // Opens the file (stopping the one playing unless it came to its end); does not
    // start playing. A failed open clears the picture and the times.
    void openFile(const QString& path, int hintA, int hintB);
    void setRenderWidget(VideoImageWindow* window);
    void checkStreams();

    bool isAudioOnly() const { return m_audioOnly; }
    float volume() const { return m_volume; }
    bool isTimeTimerActive() const;
    bool isScreenTimerActive() const;
    bool isAudioTimerActive() const;
    RZPlayerClass* player() const { return m_player; }

    // "hh:mm:ss / hh:mm:ss" of a position and the open file's duration.
    static QString timeText(uint64_t positionUs, uint64_t durationUs);

signals:
    void emitPlayTime(QString text);
    void emitAudioData(unsigned char* block, int samples);
    void emitPlayFinish();
    void emitIsHaveVideo(bool hasVideo);
    void emitPlayState(bool playing);
    void emitPlayPro(double fraction);
    void emitClosePlay();
    void emitRefreshPlayView();
    void emitCoverImage(QImage image);

public slots:
    void setSoundVolume(int volume);
    void ProgressValueChange(double fraction);
    void OnBtnStop();
    void closePlay();
    void OnPlayVideo();
    void OnPauseVideo();
    void StartPlay();
    void pausePlay();
    void ResizeVideoWindow(bool keepAspect);
    void ResizeVideoWindow();
    void videoFrameStepUp();
    void videoFrameStepDown();
    // Saves the picture on show as a PNG file. False only when there was a picture and it
    // could not be saved (without an open file or a picture nothing is saved).
    bool Screenshots(QString path);
    QImage getCoverImage(QString path);
    void beginAsyncSeek();
    void endAsyncSeek();
    void UpdateTime();
    void UpdataScreen();
    void OnAudioDataTime();
    void VideoFinished();
    void ShowTime(uint64_t positionUs);

private:
    bool hasHandle() const;
    void hideVideoWindow();
    void stopTimers();

    RZPlayerClass* m_player;
    QTimer* m_timeTimer;
    QTimer* m_screenTimer;
    QTimer* m_audioTimer;
    float m_volume = 100.0f;
    VideoImageWindow* m_videoWindow = nullptr;
    bool m_audioOnly = false;
    bool m_keepAspect = true;
};
