// The history dialog's built-in player: the picture area (VideoImageWindow), the sound
// level display for files without a picture, one playback controller (RZQPlayObject),
// and two small frameless windows floating over it: the control bar and the name
// caption, shown while the mouse is near the bottom edge. It switches between the
// normal and the full-screen layout and saves snapshots. GUI thread only.
#pragma once

#include "toolkit/QRZDialog.h"

#include <QPoint>
#include <QWidget>

class PlayBtnWidget;
class QAudioDataWidget;
class QTimer;
class RZQPlayObject;
class VideoImageWindow;

// The name of the file playing, over the top of the player.
class QPlayNameWgt : public QRZDialog {
    Q_OBJECT
public:
    explicit QPlayNameWgt(QWidget* parent = nullptr);
    void setDialogWindow(bool dialogWindow);

protected:
    void resizeEvent(QResizeEvent* event) override;
};

class QPlayerWidget : public QWidget {
    Q_OBJECT
public:
    explicit QPlayerWidget(QWidget* parent = nullptr);
    ~QPlayerWidget() override;

    void closePlay();
    void layoutFloatingBars();
    void layoutVideoArea();

    RZQPlayObject* playObject() const { return m_playObject; }
    PlayBtnWidget* controlBar() const { return m_controlBar; }
    QPlayNameWgt* caption() const { return m_caption; }
    QAudioDataWidget* levelDisplay() const { return m_levels; }
    VideoImageWindow* videoWindow() const { return m_videoPlayWidget; }
    float volume() const { return m_volume; }
    bool isFullScreenLayout() const { return m_fullScreen; }
    bool keepsAspect() const { return m_keepAspect; }
    int showCounter() const { return m_showCounter; }
    // The cursor at (dx, dy) of a widget of the given size lies in the band that shows the
    // floating bars.
    static bool inShowBand(int dx, int dy, const QSize& size);

signals:
    void emitFullScreen();
    void emitPlay();

public slots:
    void setPlayFileName(QString name);
    void PlayVideoFile(QString path);
    void PlayVideo();
    void IsHaveVideo(bool hasVideo);
    void SoundValueChange(double fraction);
    void OnBtnVolume(bool muted);
    void OnBtnFullScreen();
    void OnBtnExitFullScreen();
    void repondFullScreen();
    void ShowPlayBtn(bool show);
    void setFullScreen(bool full);
    void OnScreenshots();
    void DestroyAnimtion();
    void KeepVideoScale(bool keep);
    void InitPlayView();
    void MouseMoveTimer();
    void startShowPlayWgt();
    void StartPlayerTimer(bool start);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void connectParts();
    void showBars(bool show);

    VideoImageWindow* m_videoPlayWidget;
    PlayBtnWidget* m_controlBar = nullptr;
    QPlayNameWgt* m_caption = nullptr;
    QAudioDataWidget* m_levels = nullptr;
    RZQPlayObject* m_playObject = nullptr;
    float m_volume = 100.0f;
    bool m_fullScreen = false;
    bool m_keepAspect = true;
    bool m_audioOnly = false;
    QPoint m_lastGlobalPos{-1, -1};
    QTimer* m_mouseTimer = nullptr;
    int m_showCounter = 0;
};
