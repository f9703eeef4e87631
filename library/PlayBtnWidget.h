// The built-in player's control bar: a frameless, translucent, image-drawn window that
// floats over the bottom of the player. It turns clicks and slider drags into signals;
// its slots show the playback state. Pairs of buttons of which one shows at a time:
// play/pause, volume/mute, full screen/restore and (in full screen only) the two scale
// modes. GUI thread only.
#pragma once

#include "toolkit/QRZDialog.h"

class QLabel;
class QMenu;
class QMouseEvent;
class QRZBaseButton;
class QRZBaseSlider;

class PlayBtnWidget : public QRZDialog {
    Q_OBJECT
public:
    explicit PlayBtnWidget(QWidget* parent = nullptr);

    QLabel* timeLabel() const { return m_timeLabel; }
    QRZBaseButton* playButton() const { return m_btnPlay; }
    QRZBaseButton* pauseButton() const { return m_btnPause; }
    QRZBaseButton* backButton() const { return m_btnBack; }
    QRZBaseButton* fastButton() const { return m_btnFast; }
    QRZBaseButton* previousButton() const { return m_btnPreVideo; }
    QRZBaseButton* nextButton() const { return m_btnNextVideo; }
    QRZBaseButton* snapshotButton() const { return m_btnSnapshoot; }
    QRZBaseButton* muteButton() const { return m_btnMute; }
    QRZBaseButton* volumeButton() const { return m_btnVolume; }
    QRZBaseButton* normalScreenButton() const { return m_btnNormalScreen; }
    QRZBaseButton* fullScreenButton() const { return m_btnFullScreen; }
    QRZBaseSlider* progressSlider() const { return m_videoProSlider; }
    QRZBaseSlider* volumeSlider() const { return m_volumeSlider; }
    QRZBaseButton* scaleButton() const { return m_btnScale; }
    QRZBaseButton* actualSizeButton() const { return m_btnWHSize; }

signals:
    void emitBtnBack();
    void emitBtnFast();
    void emitBtnFullScreen();
    void emitExitFullScreen();
    void emitBtnListset();
    void emitBtnNextVideo();
    void emitBtnOpenFloder();
    void emitBtnPause();
    void emitBtnPlay();
    void emitBtnSnapSetting();
    void emitBtnSnapshoot();
    void emitBtnStop();
    void emitBtnVolume(bool muted);
    void emitBtnPreVideo();
    void sendVolumeValue(double fraction);
    void sendProgressValue(double fraction);
    void emitKeepVideoScale(bool keep);
    void emitSliderPress();
    void emitSliderRelease();

public slots:
    void setVolume(double value);
    void setProcessValue(double fraction);
    void setTimeLabel(QString text);
    void setHiddenAbout(bool hidden);
    void VideoFinished();
    void VideoBeginPlay(bool playing);
    void VideoBeginPlay();
    bool IsMute();
    bool getBtnPalyHide();
    void setProcessEnabledChange(bool enabled);
    void setDialogWindow(bool dialogWindow);
    void setBtnScreenEnable(bool enabled);
    void setMute(bool muted);
    void setFullScreen(bool full);
    void setScaleShow(bool show);
    void setKeepVideoScale(bool keep);
    void setBtnEnable(bool previous, bool next);
    void OnBtnPalyOrPause();
    void OnBtnMute();
    void OnListSet();
    void OnActOpenFolder();
    void OnActSetting();
    void OnBtnSnapSetting();
    void OnBtnFullScreen();
    void OnBtnChangeScale();
    void sliderPressEvent(QMouseEvent* event);
    void sliderReleseEvent(QMouseEvent* event);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void relayout() override;

private:
    QRZBaseButton* makeButton(const char* name, const char* image, const QString& toolTip);
    void wire();

    QLabel* m_timeLabel;
    QRZBaseButton* m_btnPause;
    QRZBaseButton* m_btnPlay;
    QRZBaseButton* m_btnBack;
    QRZBaseButton* m_btnFast;
    QRZBaseButton* m_btnPreVideo;
    QRZBaseButton* m_btnNextVideo;
    QRZBaseButton* m_btnSnapshoot;
    QRZBaseButton* m_btnMute;
    QRZBaseButton* m_btnVolume;
    QRZBaseButton* m_btnNormalScreen;
    QRZBaseButton* m_btnFullScreen;
    QRZBaseSlider* m_videoProSlider;
    QRZBaseSlider* m_volumeSlider;
    QRZBaseButton* m_btnScale;
    QRZBaseButton* m_btnWHSize;
    bool m_dialogWindow = false;
    QMenu* m_menu;
};
