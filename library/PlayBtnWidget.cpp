#include "library/PlayBtnWidget.h"

#include "app/AppGlobals.h"
#include "toolkit/QRZBaseProgress.h"
#include "toolkit/QRZButton.h"
#include "toolkit/StyleHelpers.h"

#include <QCursor>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>

namespace {

constexpr Qt::WindowFlags kFloatingFlags = Qt::Dialog | Qt::FramelessWindowHint;

QString playerImage(const char* name) {
    return toolkitImagePath(QStringLiteral("/image/PlayerImage/") + QLatin1String(name));
}

QRZBaseSlider* makeSlider(QWidget* parent, const char* name, const char* groove, const char* filled) {
    auto* slider = new QRZBaseSlider(parent);
    slider->setObjectName(QLatin1String(name));
    slider->setProgressType(QRZBaseProgress::HorizontalBar);
    slider->setBackgroundImage(playerImage(groove));
    slider->setChunkImage(playerImage(filled));
    slider->setTextFormat(QString());
    slider->setRange(0, 100);
    slider->setValue(0.0);
    slider->resize(100, 12);
    return slider;
}

} // namespace

PlayBtnWidget::PlayBtnWidget(QWidget* parent) : QRZDialog(parent) {
    setObjectName(QStringLiteral("PlayBtnWidget"));
    setWindowTitle(QStringLiteral("Form"));
    setBackgroundColor(QColor(255, 0, 0));
    setTitleHeight(0);
    loadBackgroundImage(playerImage("bg_play.png"), false);
    setWindowFlags(kFloatingFlags);
    setAttribute(Qt::WA_MouseTracking);
    setAttribute(Qt::WA_TranslucentBackground);
    setResizeFlags(0);

    m_timeLabel = new QLabel(QStringLiteral("00:00:00 / 00:00:00"), this);
    m_timeLabel->setObjectName(QStringLiteral("m_timeLabel"));
    m_timeLabel->resize(100, 12);
    setWidgetFont(m_timeLabel, 10);
    setWidgetTextColor(m_timeLabel, QPalette::WindowText, QColor(250, 237, 237));
    m_btnPause = makeButton("m_btnPause", "btn_Pause.png", tr("Pause"));
    m_btnPlay = makeButton("m_btnPlay", "btn_play.png", tr("Play"));
    m_btnBack = makeButton("m_btnBack", "btn_back.png", tr("Previous frame"));
    m_btnFast = makeButton("m_btnFast", "btn_fast.png", tr("Next frame"));
    m_btnPreVideo = makeButton("m_btnPreVideo", "btn_previous.png", tr("Previous file"));
    m_btnNextVideo = makeButton("m_btnNextVideo", "btn_next.png", tr("Next file"));
    m_btnSnapshoot = makeButton("m_btnSnapshoot", "btn_snapshoot.png", tr("Snapshot"));
    m_btnMute = makeButton("m_btnMute", "btn_volume_off.png", tr("Volume off"));
    m_btnVolume = makeButton("m_btnVolume", "btn_volume_on.png", tr("Volume on"));
    m_btnNormalScreen = makeButton("m_btnNormalScreen", "btn_back_Screen.png", tr("Restore"));
    m_btnFullScreen = makeButton("m_btnFullScreen", "btn_Full_Screen.png", tr("Full screen"));
    m_videoProSlider = makeSlider(this, "m_videoProSlider", "slider_play_bottom.png", "slider_play_top.png");
    m_videoProSlider->setOption1(1);
    m_videoProSlider->setOption2(1);
    m_volumeSlider = makeSlider(this, "m_volumeSlider", "volume_bottom.png", "volume_top.png");
    m_volumeSlider->resize(60, 12);
    m_btnScale = makeButton("m_btnScale", "btn_size_scale.png", QString());
    m_btnScale->setCheckable(true);
    m_btnWHSize = makeButton("m_btnWHSize", "btn_size_wh.png", QString());
    m_btnWHSize->setCheckable(true);
    for (QRZBaseButton* hidden : {m_btnPause, m_btnMute, m_btnNormalScreen, m_btnScale, m_btnWHSize}) {
        hidden->hide();
    }

    m_menu = new QMenu(this);
    connect(m_menu->addAction(tr("Open Floder")), &QAction::triggered, this, &PlayBtnWidget::OnActOpenFolder);
    connect(m_menu->addAction(tr("Settings")), &QAction::triggered, this, &PlayBtnWidget::OnActSetting);
    wire();
    installEventFilter(this);
    resize(860, 42);
}

QRZBaseButton* PlayBtnWidget::makeButton(const char* name, const char* image, const QString& toolTip) {
    auto* button = new QRZBaseButton(this);
    button->setObjectName(QLatin1String(name));
    button->setImage(playerImage(image), false);
    button->setToolTip(toolTip);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

void PlayBtnWidget::wire() {
    connect(m_btnBack, &QAbstractButton::clicked, this, &PlayBtnWidget::emitBtnBack);
    connect(m_btnFast, &QAbstractButton::clicked, this, &PlayBtnWidget::emitBtnFast);
    connect(m_btnFullScreen, &QAbstractButton::clicked, this, &PlayBtnWidget::emitBtnFullScreen);
    connect(m_btnNormalScreen, &QAbstractButton::clicked, this, &PlayBtnWidget::emitExitFullScreen);
    connect(m_btnNextVideo, &QAbstractButton::clicked, this, &PlayBtnWidget::emitBtnNextVideo);
    connect(m_btnPreVideo, &QAbstractButton::clicked, this, &PlayBtnWidget::emitBtnPreVideo);
    connect(m_btnSnapshoot, &QAbstractButton::clicked, this, &PlayBtnWidget::emitBtnSnapshoot);
    connect(m_btnPlay, &QAbstractButton::clicked, this, &PlayBtnWidget::OnBtnPalyOrPause);
    connect(m_btnPause, &QAbstractButton::clicked, this, &PlayBtnWidget::OnBtnPalyOrPause);
    connect(m_btnVolume, &QAbstractButton::clicked, this, &PlayBtnWidget::OnBtnMute);
    connect(m_btnMute, &QAbstractButton::clicked, this, &PlayBtnWidget::OnBtnMute);
    connect(m_btnScale, &QAbstractButton::clicked, this, &PlayBtnWidget::OnBtnChangeScale);
    connect(m_btnWHSize, &QAbstractButton::clicked, this, &PlayBtnWidget::OnBtnChangeScale);
    connect(m_videoProSlider, &QRZBaseSlider::sendProgressValue, this, &PlayBtnWidget::sendProgressValue);
    connect(m_videoProSlider, &QRZBaseSlider::sendPressEvent, this, &PlayBtnWidget::sliderPressEvent);
    connect(m_videoProSlider, &QRZBaseSlider::sendReleseEvent, this, &PlayBtnWidget::sliderReleseEvent);
    connect(m_volumeSlider, &QRZBaseSlider::sendProgressValue, this, &PlayBtnWidget::sendVolumeValue);
}

void PlayBtnWidget::setVolume(double value) {
    m_volumeSlider->setValue(value);
}

void PlayBtnWidget::setProcessValue(double fraction) {
    m_videoProSlider->setValue(fraction * 100.0);
}

void PlayBtnWidget::setTimeLabel(QString text) {
    m_timeLabel->setText(text);
}

void PlayBtnWidget::setHiddenAbout(bool hidden) {
    for (QWidget* widget : std::initializer_list<QWidget*>{m_videoProSlider, m_timeLabel, m_btnFast, m_btnBack}) {
        widget->setVisible(!hidden);
    }
    m_videoProSlider->setValue(0.0);
    m_timeLabel->setText(QStringLiteral("00:00:00 / 00:00:00"));
    m_btnPlay->setVisible(hidden);
    m_btnPause->setVisible(!hidden);
}

void PlayBtnWidget::VideoFinished() {
    m_btnPause->hide();
    m_btnPlay->show();
}

void PlayBtnWidget::VideoBeginPlay(bool playing) {
    m_btnPause->setVisible(playing);
    m_btnPlay->setVisible(!playing);
}

void PlayBtnWidget::VideoBeginPlay() {
    VideoBeginPlay(true);
}

bool PlayBtnWidget::IsMute() {
    return m_btnVolume->isHidden();
}

bool PlayBtnWidget::getBtnPalyHide() {
    return m_btnPlay->isHidden();
}

void PlayBtnWidget::setProcessEnabledChange(bool enabled) {
    m_videoProSlider->setMouseEnabled(enabled);
}

void PlayBtnWidget::setDialogWindow(bool dialogWindow) {
    const bool visible = isVisible();
    setWindowFlags(dialogWindow ? kFloatingFlags | Qt::WindowStaysOnTopHint : kFloatingFlags);
    m_dialogWindow = dialogWindow;
    setVisible(visible);
}

void PlayBtnWidget::setBtnScreenEnable(bool enabled) {
    m_btnFullScreen->setEnabled(enabled);
    m_btnNormalScreen->setEnabled(enabled);
}

void PlayBtnWidget::setMute(bool muted) {
    m_btnVolume->setVisible(!muted);
    m_btnMute->setVisible(muted);
}

void PlayBtnWidget::setFullScreen(bool full) {
    m_btnFullScreen->setVisible(!full);
    m_btnNormalScreen->setVisible(full);
}

void PlayBtnWidget::setScaleShow(bool show) {
    m_btnScale->setVisible(show);
    m_btnWHSize->setVisible(show);
}

void PlayBtnWidget::setKeepVideoScale(bool keep) {
    m_btnScale->setChecked(keep);
    m_btnScale->setEnabled(!keep);
    m_btnWHSize->setChecked(!keep);
    m_btnWHSize->setEnabled(keep);
}

void PlayBtnWidget::setBtnEnable(bool previous, bool next) {
    m_btnPreVideo->setEnabled(previous);
    m_btnNextVideo->setEnabled(next);
}

void PlayBtnWidget::OnBtnPalyOrPause() {
    if (m_btnPause->isHidden()) {
        m_btnPause->show();
        m_btnPlay->hide();
        emit emitBtnPlay();
    } else {
        m_btnPause->hide();
        m_btnPlay->show();
        emit emitBtnPause();
    }
}

void PlayBtnWidget::OnBtnMute() {
    m_btnMute->setVisible(m_btnMute->isHidden());
    m_btnVolume->setVisible(m_btnVolume->isHidden());
    emit emitBtnVolume(m_btnVolume->isHidden());
}

void PlayBtnWidget::OnListSet() {}
void PlayBtnWidget::OnActOpenFolder() {}
void PlayBtnWidget::OnActSetting() {}

void PlayBtnWidget::OnBtnSnapSetting() {
    m_menu->popup(QCursor::pos());
}

void PlayBtnWidget::OnBtnFullScreen() {
    if (!m_btnFullScreen->isEnabled()) {
        return;
    }
    m_btnFullScreen->setVisible(m_btnFullScreen->isHidden());
    m_btnNormalScreen->setVisible(m_btnNormalScreen->isHidden());
}

void PlayBtnWidget::OnBtnChangeScale() {
    const bool keep = sender() == m_btnScale;
    setKeepVideoScale(keep);
    emit emitKeepVideoScale(keep);
}

void PlayBtnWidget::sliderPressEvent(QMouseEvent*) {
    emit emitSliderPress();
}

void PlayBtnWidget::sliderReleseEvent(QMouseEvent*) {
    emit emitSliderRelease();
}

bool PlayBtnWidget::eventFilter(QObject* watched, QEvent* event) {
    if (watched == this && (event->type() == QEvent::WindowActivate || event->type() == QEvent::WindowDeactivate)) {
        setControlBarActive(event->type() == QEvent::WindowActivate);
        return true;
    }
    return QRZDialog::eventFilter(watched, event);
}

void PlayBtnWidget::relayout() {
    const int W = width();
    const auto row = [](QWidget* widget, int x) { widget->move(x, (30 - widget->height()) / 2); };
    const auto right = [](QWidget* widget) { return widget->x() + widget->width() - 1; };
    row(m_timeLabel, 10);
    row(m_btnPlay, (W - m_btnPlay->width()) / 2 + 10);
    row(m_btnPause, (W - m_btnPause->width()) / 2 + 10);
    row(m_btnBack, m_btnPlay->x() - m_btnBack->width() - 15);
    row(m_btnFast, right(m_btnPlay) + 15);
    row(m_btnPreVideo, m_btnBack->x() - m_btnPreVideo->width() - 15);
    row(m_btnNextVideo, right(m_btnFast) + 15);
    row(m_btnSnapshoot, m_btnPreVideo->x() - m_btnSnapshoot->width() - 15);
    row(m_btnVolume, right(m_btnNextVideo) + 15);
    row(m_btnMute, right(m_btnNextVideo) + 15);
    row(m_volumeSlider, right(m_btnVolume) + 5);
    row(m_btnFullScreen, W - m_btnFullScreen->width() - 10);
    row(m_btnNormalScreen, W - m_btnNormalScreen->width() - 10);
    row(m_btnScale, m_btnFullScreen->x() - m_btnScale->width() - 10);
    row(m_btnWHSize, m_btnScale->x() - m_btnScale->width());
    m_videoProSlider->setGeometry(10, m_btnPlay->y() + m_btnPlay->height() + 2, W - 20, 12);
}
