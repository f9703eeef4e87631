// The video editor's preview engine: one player and one information object, playback
// inside a play range, frame steps and trim playing, position and time texts, every edit
// part handed to the player as soon as the editor changes it, two preview widgets, and
// dragging of the crop rectangle and the watermarks with the mouse. GUI thread only; its
// three timers poll the player.
#pragma once

#include "media/VEEditConfig.h"

#include <QObject>
#include <QRect>
#include <QSize>
#include <QString>

#include <cstdint>

class QMouseEvent;
class QTimer;
class QWidget;
class RZInfoClass;
class RZPlayerClass;

class RZPlayerManager : public QObject {
    Q_OBJECT

public:
    explicit RZPlayerManager(QObject* parent = nullptr);
    ~RZPlayerManager() override;

    bool openFile(int sourceIndex, int width, int height, int openMode);
    bool openFileInNewPlayer(const QString& path, int width, int height, int openMode);
    void setOptionFlag(bool on) { m_optionFlag = on; }
    void createPlayer(bool mode);
    void resizeOutputs();
    void selectAndApplyWatermark(VEWatermarkSettings settings, int index);
    void selectAndUpdateWatermark(VEWatermarkSettings settings, int index);
    // The main preview: a QMediaElementWindow, which resizeOutputs sizes to the picture
    // (any other widget is painted into but not sized).
    void setVideoWidget(QWidget* widget);
    void setSecondVideoWidget(QWidget* widget);
    void setPlayRange(uint64_t start, uint64_t end);
    uint64_t playRangeLength() const;
    uint64_t duration() const;
    void videoSize(int* width, int* height) const;
    QSize videoSize() const;
    // Saves the shown picture; an empty format takes the one the path's suffix names.
    bool saveSnapshot(const QString& path, const QString& format = QString());

    void setAdjustSettings(int brightness, int second, int saturation, int contrast, int hue);
    void setCropSettings(VECropSettings crop);
    VECropSettings cropSettings() const { return m_crop; }
    void setSubtitleStyle(VETextStyle style);
    void setSubtitleTrack(VESubtitleTrack track);
    void setAudioSettings(VEAudioSettings audio, int value = 0);
    void updateAudioSettings(VEAudioSettings audio, int value = 0);
    void setAudioEffect(int volume, int value, int rate);
    void setAudioEffectCurves(VEDoubleArrays curves);
    void setAudioEffectCurves(const double* frequencies, const double* gains, int count);
    void setWatermarkSettings(VEWatermarkSettings settings, int index, bool readBack);
    // The third value is accepted for callers that pass one; it changes nothing.
    void updateWatermarkSettings(VEWatermarkSettings settings, int index, int unused = 0);
    int watermarkSettings(VEWatermarkSettings& settings) const;

    RZPlayerClass* player() const { return m_player; }
    bool isTrimPlaying() const { return m_trimPlaying; }

signals:
    void emitPlayProgress(double fraction);
    void emitStartEndProgressValue(float percent);
    void emitPlayFinish();
    void emitPlayTime(QString text);
    void emitPlayTime2(QString text);
    void emitAudioData(unsigned char* block, int samples);
    void emitClosePlay();
    void emitPlayState(bool playing);
    void emitPlayState(bool playing, bool second);
    void emitIsHaveVideo(bool hasVideo);
    void emitPlayerChange();
    void emitTrimPlayState(bool playing);
    void emitTrimTimeChange(uint64_t start, uint64_t end);
    void emitCropAreaChange(VECropSettings crop);
    void emitWatermarkRectChange(VEWatermarkSettings settings, int index);

public slots:
    void progressValueChange(double fraction);
    void beginAsyncSeek();
    void endAsyncSeek();
    void onStop();
    void onPlay();
    void onPause();
    void closePlay();
    void startPlay();
    void pausePlay();
    void onTrimPlay(float startFraction, float endFraction);
    void onTrimPause();
    void onPreviousStep(bool seekFirst, float fraction);
    void onNextStep(bool seekFirst, float fraction);
    void onTrim(uint64_t start, uint64_t end);
    void onTrimChapter(uint64_t start, uint64_t end);
    void onReset();
    void updateTime();
    void updataScreen();
    void audioDataChanged();
    void mouseMoveEvent(QMouseEvent* event);
    void mousePressEvent(QMouseEvent* event);
    void mouseReleaseEvent(QMouseEvent* event);
    void mouseWatermarkMoveEvent(QMouseEvent* event);
    void mouseWatermarkPressEvent(QMouseEvent* event);
    void mouseWatermarkReleaseEvent(QMouseEvent* event);

private:
    enum class StepDirection { Back, Forward };

    bool validPlayer() const;
    // One picture back or forward, kept inside the play range; pauses a playing player.
    void stepOneFrame(StepDirection direction, bool seekFirst, float fraction);
    bool finishOpen(bool bySource, int sourceIndex, const QString& path, int openMode);
    void failOpen();
    void classifyStreams();
    void emitTimes(uint64_t relative);
    void resetTimes();
    void pushCrop(const VECropSettings& crop);
    void pushWatermark(const VEWatermarkSettings& settings, bool withFiles);
    // Selects the watermark slot and hands the settings over in one update group.
    void applyWatermark(const VEWatermarkSettings& settings, int index, bool withFiles);
    void readBackWatermark(VEWatermarkSettings& settings);
    void fitCropRect(VECropSettings& crop);
    double* activeCropRect(VECropSettings& crop);
    QRect elementRect(QWidget* widget) const;
    int hitTest(const QRectF& rect, const QPoint& point) const;
    void setDragCursor(QWidget* widget, int mode) const;
    QRectF watermarkRect(bool text) const;
    void dragRect(double rect[4], int mode, double dx, double dy, double minWidth, double minHeight) const;

    bool m_optionFlag = false;
    RZPlayerClass* m_player = nullptr;
    RZInfoClass* m_info = nullptr;
    QTimer* m_timeTimer;
    QTimer* m_screenTimer;
    QTimer* m_audioTimer;
    QWidget* m_videoWidget = nullptr;
    QWidget* m_secondWidget = nullptr;
    bool m_audioOnly = true;
    int m_secondWidth = 0;
    int m_secondHeight = 0;
    uint64_t m_rangeStart = 0;
    uint64_t m_rangeEnd = 0;
    uint64_t m_trimPlayStart = 0;
    uint64_t m_trimPlayEnd = 0;
    bool m_trimPlaying = false;
    double m_pressRect[4] = {0, 0, 0, 0};
    QPoint m_pressPoint;
    int m_dragMode = 0;
    VECropSettings m_crop;
    VEWatermarkSettings m_watermark;
    int m_watermarkIndex = -1;
    int m_selectedWatermark = 0;
    int m_pressScale[2] = {0, 0};
    bool m_dragText = false;
};
