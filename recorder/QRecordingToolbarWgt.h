// The toolbar of the compact recording panel: Resume or Pause, Stop and Cut, the elapsed
// time and, in audio-only recordings, a level display above them. The main window makes
// one per recording, feeds the time and (audio mode) the level blocks, and deletes it
// when the recording ends. GUI thread only.
#pragma once

#include "toolkit/QRZWidget.h"

#include <cstdint>

class QAudioDataWidget;
class QLabel;
class QRZBaseButton;

class QRecordingToolbarWgt : public QRZWidget {
    Q_OBJECT
public:
    explicit QRecordingToolbarWgt(QWidget* parent = nullptr);
    ~QRecordingToolbarWgt() override;

    // Running shows Pause, not running shows Resume.
    void setRunning(bool running);
    // Video mode hides the level display; audio mode shows it above the buttons.
    void setVideoMode(bool videoMode);
    bool isVideoMode() const { return m_videoMode; }
    // The level display the owner hands audio blocks to (setAudioData); owned here.
    QAudioDataWidget* levelDisplay() const { return m_levelDisplay; }

    // "hh:mm:ss" of a recording time; hours go on past 99.
    static QString elapsedText(uint64_t microseconds);

    void relayout() override;

signals:
    void emitContinueRecord();
    void emitPauseRecord();
    void emitStopRecord();
    void emitCutRecord();

public slots:
    void RecordTime(uint64_t microseconds);

private:
    void setupForm();

    QRZBaseButton* m_btnPlay = nullptr;
    QLabel* m_labTime = nullptr;
    QRZBaseButton* m_btnPause = nullptr;
    QRZBaseButton* m_btnCut = nullptr;
    QRZBaseButton* m_btnStop = nullptr;
    bool m_videoMode = true;
    QAudioDataWidget* m_levelDisplay = nullptr;
};
