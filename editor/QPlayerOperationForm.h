// The transport bar under the editor's preview on the tabs without a transport of
// their own: play, pause, stop, a progress slider that seeks, the play time and the two
// snapshot buttons. It keeps no playback state: it emits what the user asks for and
// shows what the playback controller reports. GUI thread only.
#pragma once

#include <QWidget>

class QLabel;
class QMouseEvent;
class QRZBaseButton;
class QRZBaseSlider;

class QPlayerOperationForm : public QWidget {
    Q_OBJECT

public:
    explicit QPlayerOperationForm(QWidget* parent = nullptr);
    ~QPlayerOperationForm() override;

    QRZBaseSlider* progressSlider() const { return m_playProgress; }
    QLabel* timeLabel() const { return m_lblTime; }
    QRZBaseButton* button(const char* objectName) const;

signals:
    void emitProgressValue(double fraction);
    void emitPlay();
    void emitPause();
    void emitStop();
    void emitSnapshot();
    void emitSnapshotMenu();
    void emitSliderPress();
    void emitSliderRelease();

public slots:
    void onBtnPlay();
    void onBtnPause();
    void onBtnStop();
    void showPlayOrPause(bool playing);
    void setTime(QString text);
    void playFinish();
    void setPlayProcess(double fraction);
    void sliderPressEvent(QMouseEvent* event);
    void sliderReleaseEvent(QMouseEvent* event);

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QRZBaseButton* makeButton(const char* objectName, const char* image, const QString& tip);
    void layoutControls();

    QRZBaseButton* m_btnPlay;
    QRZBaseButton* m_btnPause;
    QRZBaseButton* m_btnStop;
    QRZBaseSlider* m_playProgress;
    QLabel* m_lblTime;
    QRZBaseButton* m_btnSnapshot;
    QRZBaseButton* m_btnSnapshotMenu;
};
