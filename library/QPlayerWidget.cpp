#include "library/QPlayerWidget.h"

#include "app/AppGlobals.h"
#include "library/PlayBtnWidget.h"
#include "library/RZQPlayObject.h"
#include "library/SnapshotFileName.h"
#include "library/VideoImageWindow.h"
#include "toolkit/QAudioDataWidget.h"
#include "toolkit/QRZMessageBox.h"
#include "toolkit/StyleHelpers.h"

#include <QApplication>
#include <QCursor>
#include <QDir>
#include <QPainter>
#include <QTimer>

namespace {

constexpr Qt::WindowFlags kFloatingFlags = Qt::Dialog | Qt::FramelessWindowHint;
constexpr int kBarHeight = 42;

} // namespace

QPlayNameWgt::QPlayNameWgt(QWidget* parent) : QRZDialog(parent) {
    setObjectName(QStringLiteral("QPlayNameWgt"));
    setWindowTitle(QStringLiteral("Form"));
    QColor background(255, 255, 255);
    background.setAlpha(1);
    setBackgroundColor(background);
    setTitleHeight(0);
    setWindowFlags(kFloatingFlags);
    setAttribute(Qt::WA_MouseTracking);
    setAttribute(Qt::WA_TranslucentBackground);
    setResizeFlags(0);
    setWidgetTextColor(this, QPalette::WindowText, QColor(250, 237, 237));
    setWidgetFont(this, 15);
    setTitleAlignment(Qt::AlignCenter);
}

void QPlayNameWgt::setDialogWindow(bool dialogWindow) {
    const bool visible = isVisible();
    setWindowFlags(dialogWindow ? kFloatingFlags | Qt::WindowStaysOnTopHint : kFloatingFlags);
    setVisible(visible);
}

void QPlayNameWgt::resizeEvent(QResizeEvent* event) {
    QRZDialog::resizeEvent(event);
    setTitleTextRect(rect());
}

QPlayerWidget::QPlayerWidget(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("QPlayerWidget"));
    setWindowFlags(Qt::FramelessWindowHint);
    setAttribute(Qt::WA_MouseTracking);
    resize(501, 291);

    m_videoPlayWidget = new VideoImageWindow(this);
    m_videoPlayWidget->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_videoPlayWidget->hide();

    const AudioBarStyle style = AudioBarStyle::roundedCells(QColor(253, 94, 105), true);
    m_levels = new QAudioDataWidget(this, &style);
    m_levels->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_levels->setBackgroundPixmap(toolkitImagePath(QStringLiteral("/image/PlayerImage/bg_audio.png")));
    m_levels->setGeometry(2, 2, 390, 230);
    m_levels->hide();

    m_playObject = new RZQPlayObject(this);
    m_playObject->setRenderWidget(m_videoPlayWidget);

    m_caption = new QPlayNameWgt(this);
    m_caption->hide();
    m_controlBar = new PlayBtnWidget(this);
    m_volume = 100.0f;
    m_controlBar->setVolume(50);
    m_controlBar->hide();
    m_playObject->setSoundVolume(100);
    connectParts();

    m_mouseTimer = new QTimer(this);
    connect(m_mouseTimer, &QTimer::timeout, this, &QPlayerWidget::MouseMoveTimer);
    m_mouseTimer->start(100);
}

QPlayerWidget::~QPlayerWidget() {
    m_mouseTimer->stop();
    delete m_caption;
    m_caption = nullptr;
    delete m_controlBar;
    m_controlBar = nullptr;
    delete m_levels;
    m_levels = nullptr;
    delete m_playObject;
    m_playObject = nullptr;
}

void QPlayerWidget::connectParts() {
    RZQPlayObject* play = m_playObject;
    PlayBtnWidget* bar = m_controlBar;
    connect(m_videoPlayWidget, &VideoImageWindow::emitFullScreen, this, &QPlayerWidget::repondFullScreen);
    connect(bar, &PlayBtnWidget::emitBtnPlay, this, &QPlayerWidget::emitPlay);
    connect(bar, &PlayBtnWidget::emitBtnPause, play, &RZQPlayObject::OnPauseVideo);
    connect(bar, &PlayBtnWidget::sendVolumeValue, this, &QPlayerWidget::SoundValueChange);
    connect(bar, &PlayBtnWidget::emitBtnVolume, this, &QPlayerWidget::OnBtnVolume);
    connect(bar, &PlayBtnWidget::sendProgressValue, play, &RZQPlayObject::ProgressValueChange);
    connect(bar, &PlayBtnWidget::emitBtnFullScreen, this, &QPlayerWidget::OnBtnFullScreen);
    connect(bar, &PlayBtnWidget::emitExitFullScreen, this, &QPlayerWidget::OnBtnExitFullScreen);
    connect(bar, &PlayBtnWidget::emitBtnFast, play, &RZQPlayObject::videoFrameStepUp);
    connect(bar, &PlayBtnWidget::emitBtnBack, play, &RZQPlayObject::videoFrameStepDown);
    connect(bar, &PlayBtnWidget::emitBtnSnapshoot, this, &QPlayerWidget::OnScreenshots);
    connect(bar, &PlayBtnWidget::emitKeepVideoScale, this, &QPlayerWidget::KeepVideoScale);
    connect(bar, &PlayBtnWidget::emitSliderPress, play, &RZQPlayObject::beginAsyncSeek);
    connect(bar, &PlayBtnWidget::emitSliderRelease, play, &RZQPlayObject::endAsyncSeek);
    connect(play, &RZQPlayObject::emitIsHaveVideo, this, &QPlayerWidget::IsHaveVideo);
    connect(play, &RZQPlayObject::emitAudioData, m_levels, &QAudioDataWidget::setAudioData);
    connect(play, &RZQPlayObject::emitPlayState, bar, qOverload<bool>(&PlayBtnWidget::VideoBeginPlay));
    connect(play, &RZQPlayObject::emitPlayTime, bar, &PlayBtnWidget::setTimeLabel);
    connect(play, &RZQPlayObject::emitPlayPro, bar, &PlayBtnWidget::setProcessValue);
    connect(play, &RZQPlayObject::emitPlayFinish, bar, &PlayBtnWidget::VideoFinished);
    connect(play, &RZQPlayObject::emitRefreshPlayView, this, &QPlayerWidget::InitPlayView);
    // A closed file leaves neither its picture nor its levels on show.
    connect(play, &RZQPlayObject::emitClosePlay, this, [this] {
        m_levels->hide();
        m_videoPlayWidget->hide();
        update();
    });
}

void QPlayerWidget::setPlayFileName(QString name) {
    m_caption->setTitle(name);
}

void QPlayerWidget::PlayVideoFile(QString path) {
    m_playObject->openFile(path, 0, 0);
}

void QPlayerWidget::PlayVideo() {
    m_playObject->StartPlay();
}

void QPlayerWidget::IsHaveVideo(bool hasVideo) {
    m_audioOnly = !hasVideo;
    m_levels->setVisible(!hasVideo);
    m_videoPlayWidget->setVisible(hasVideo);
    update();
}

void QPlayerWidget::SoundValueChange(double fraction) {
    m_volume = float(fraction * 200.0);
    m_controlBar->setMute(fraction <= 0.0);
    m_playObject->setSoundVolume(int(m_volume));
}

void QPlayerWidget::OnBtnVolume(bool muted) {
    if (muted) {
        if (m_volume == 0.0f) {
            m_volume = 100.0f;
        }
        m_controlBar->setVolume(0);
        m_playObject->setSoundVolume(0);
    } else {
        if (m_volume == 0.0f) {
            m_volume = 200.0f;
        }
        m_controlBar->setVolume(double(m_volume) * 100.0 / 200.0);
        m_playObject->setSoundVolume(int(m_volume));
    }
}

void QPlayerWidget::OnBtnFullScreen() {
    emit emitFullScreen();
}

void QPlayerWidget::OnBtnExitFullScreen() {
    emit emitFullScreen();
}

void QPlayerWidget::repondFullScreen() {
    qDebug("-----repondFullScreen------");
    if (!m_videoPlayWidget->isHidden()) {
        emit emitFullScreen();
    }
}

void QPlayerWidget::ShowPlayBtn(bool show) {
    if (show) {
        // Place the bars before they are mapped: a window manager places a
        // window that is mapped without a position of its own.
        layoutFloatingBars();
        m_caption->show();
        m_controlBar->show();
    } else {
        m_caption->hide();
        m_controlBar->hide();
    }
}

void QPlayerWidget::showBars(bool show) {
    ShowPlayBtn(show);
}

void QPlayerWidget::setFullScreen(bool full) {
    m_fullScreen = full;
    m_controlBar->setFullScreen(full);
    m_controlBar->setScaleShow(full);
    m_controlBar->setKeepVideoScale(false);
    m_controlBar->setDialogWindow(full);
    m_caption->setDialogWindow(full);
    m_caption->hide();
    if (full) {
        m_controlBar->hide();
    } else {
        m_controlBar->show();
    }
    m_keepAspect = !full;
    layoutVideoArea();
    layoutFloatingBars();
}

void QPlayerWidget::OnScreenshots() {
    const QString file = makeSnapshotFileName();
    if (!m_playObject->Screenshots(file)) {
        tellNotSaved(this, tr("The snapshot could not be saved as %1.").arg(QDir::toNativeSeparators(file)));
    }
}

void QPlayerWidget::DestroyAnimtion() {
    delete sender();
}

void QPlayerWidget::KeepVideoScale(bool keep) {
    m_playObject->ResizeVideoWindow(keep);
}

void QPlayerWidget::InitPlayView() {}

void QPlayerWidget::closePlay() {
    m_playObject->closePlay();
}

bool QPlayerWidget::inShowBand(int dx, int dy, const QSize& size) {
    return dy >= size.height() - 49 && dy <= size.height() - 1 && dx > 2 && dx < size.width() - 2;
}

void QPlayerWidget::MouseMoveTimer() {
    if (!isHistoryWindowActive() && !isControlBarActive()) {
        showBars(false);
        m_showCounter = 0;
        return;
    }
    if (m_showCounter > 0) {
        showBars(true);
        --m_showCounter;
        return;
    }
    QWidget* active = QApplication::activeWindow();
    if (active != window() && active != m_controlBar) {
        return;
    }
    const QPoint offset = QCursor::pos() - mapToGlobal(QPoint(0, 0));
    showBars(inShowBand(offset.x(), offset.y(), size()));
}

void QPlayerWidget::startShowPlayWgt() {
    m_showCounter = 15;
    m_caption->hide();
    m_controlBar->hide();
}

void QPlayerWidget::StartPlayerTimer(bool start) {
    if (start && !m_mouseTimer->isActive()) {
        m_mouseTimer->start(100);
    } else if (!start && m_mouseTimer->isActive()) {
        m_mouseTimer->stop();
    }
}

void QPlayerWidget::layoutVideoArea() {
    const int W = width();
    const int H = height();
    if (m_fullScreen) {
        m_videoPlayWidget->setGeometry(0, 0, W, H);
    } else {
        m_videoPlayWidget->setGeometry(2, 2, W - 4, H - 4);
    }
    m_levels->move((W - m_levels->width()) / 2, (H - m_levels->height() - kBarHeight) / 2);
    m_playObject->ResizeVideoWindow(m_keepAspect);
}

void QPlayerWidget::layoutFloatingBars() {
    if (m_controlBar == nullptr) {
        return;
    }
    const QPoint origin = mapToGlobal(QPoint(0, 0));
    m_lastGlobalPos = origin;
    const int W = width();
    const int H = height();
    m_caption->setGeometry(origin.x() + 2, origin.y(), W - 4, 20);
    if (m_fullScreen) {
        m_controlBar->setGeometry(origin.x() + 2, origin.y() + H - 44, W - 4, kBarHeight);
    } else {
        m_controlBar->setGeometry(origin.x() + 13, origin.y() + H - 52, W - 26, kBarHeight);
    }
}

void QPlayerWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    if (m_levels->isHidden() && m_videoPlayWidget->isHidden()) {
        painter.fillRect(rect(), QColor(47, 45, 45));
        const QImage idle(toolkitImagePath(QStringLiteral("/image/PlayerImage/bg_video.png")));
        painter.drawImage((width() - idle.width()) / 2, (height() - idle.height()) / 2, idle);
    }
}

void QPlayerWidget::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    layoutVideoArea();
    layoutFloatingBars();
}

void QPlayerWidget::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    layoutVideoArea();
    layoutFloatingBars();
}

void QPlayerWidget::mouseDoubleClickEvent(QMouseEvent*) {
    emit emitFullScreen();
}
