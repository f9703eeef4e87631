#include "editor/QPlayerOperationForm.h"

#include "editor/EditorStyle.h"
#include "toolkit/QRZBaseProgress.h"
#include "toolkit/QRZButton.h"

#include <QLabel>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

QPlayerOperationForm::QPlayerOperationForm(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("QPlayerOperationForm"));
    resize(923, 134);
    m_btnPlay = makeButton("m_btnPlay", "btn_play.png", tr("Play"));
    m_btnPause = makeButton("m_btnPause", "btn_pause.png", tr("Pause"));
    m_btnPause->hide();
    m_btnStop = makeButton("m_btnStop", "btn_stop.png", tr("Stop"));
    m_playProgress = new QRZBaseSlider(this);
    m_playProgress->setObjectName(QStringLiteral("m_playProgress"));
    m_playProgress->setProgressType(QRZBaseProgress::HorizontalBar);
    m_playProgress->setBackgroundImage(editorImagePath(QStringLiteral("/VEditSource/slider_play_bottom.png")));
    m_playProgress->setChunkImage(editorImagePath(QStringLiteral("/VEditSource/slider_play_top.png")));
    m_playProgress->setOption1(1);
    m_playProgress->setOption2(3);
    m_playProgress->setTextFormat(QString());
    m_playProgress->setMouseEnabled(true);
    m_playProgress->setValue(0.0);
    m_lblTime = new QLabel(this);
    m_lblTime->setObjectName(QStringLiteral("m_lblTime"));
    m_lblTime->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    setEditorLabelFitted(m_lblTime, QStringLiteral("00:00:00 / 00:00:00"), 12);
    m_btnSnapshot = makeButton("m_btnSnapshot", "btn_snapshot.png", tr("Snapshot"));
    m_btnSnapshotMenu = makeButton("m_btnSnapshotMenu", "btn_snapshot_menu.png", tr("Snapshot Menu"));

    connect(m_btnPlay, &QRZBaseButton::clicked, this, &QPlayerOperationForm::onBtnPlay);
    connect(m_btnPause, &QRZBaseButton::clicked, this, &QPlayerOperationForm::onBtnPause);
    connect(m_btnStop, &QRZBaseButton::clicked, this, &QPlayerOperationForm::onBtnStop);
    connect(m_btnSnapshot, &QRZBaseButton::clicked, this, &QPlayerOperationForm::emitSnapshot);
    connect(m_btnSnapshotMenu, &QRZBaseButton::clicked, this, &QPlayerOperationForm::emitSnapshotMenu);
    connect(m_playProgress, &QRZBaseSlider::sendProgressValue, this, &QPlayerOperationForm::emitProgressValue);
    connect(m_playProgress, &QRZBaseSlider::sendPressEvent, this, &QPlayerOperationForm::sliderPressEvent);
    connect(m_playProgress, &QRZBaseSlider::sendReleseEvent, this, &QPlayerOperationForm::sliderReleaseEvent);
}

QPlayerOperationForm::~QPlayerOperationForm() = default;

QRZBaseButton* QPlayerOperationForm::makeButton(const char* objectName, const char* image, const QString& tip) {
    auto* button = new QRZBaseButton(this);
    button->setObjectName(QString::fromLatin1(objectName));
    button->setImage(editorImagePath(QStringLiteral("/VEditSource/") + QString::fromLatin1(image)), false);
    button->setToolTip(tip);
    return button;
}

QRZBaseButton* QPlayerOperationForm::button(const char* objectName) const {
    return findChild<QRZBaseButton*>(QString::fromLatin1(objectName));
}

void QPlayerOperationForm::onBtnPlay() {
    m_btnPlay->hide();
    m_btnPause->show();
    emit emitPlay();
}

void QPlayerOperationForm::onBtnPause() {
    m_btnPlay->show();
    m_btnPause->hide();
    emit emitPause();
}

void QPlayerOperationForm::onBtnStop() {
    m_btnPlay->show();
    m_btnPause->hide();
    emit emitStop();
}

void QPlayerOperationForm::showPlayOrPause(bool playing) {
    m_btnPlay->setHidden(playing);
    m_btnPause->setHidden(!playing);
}

void QPlayerOperationForm::setTime(QString text) {
    m_lblTime->setText(text);
}

void QPlayerOperationForm::playFinish() {
    m_playProgress->setValue(0.0);
    m_btnPlay->show();
    m_btnPause->hide();
}

void QPlayerOperationForm::setPlayProcess(double fraction) {
    m_playProgress->setValue(fraction * 100.0);
}

void QPlayerOperationForm::sliderPressEvent(QMouseEvent*) {
    emit emitSliderPress();
}

void QPlayerOperationForm::sliderReleaseEvent(QMouseEvent*) {
    emit emitSliderRelease();
}

void QPlayerOperationForm::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(EditorColors::panel());
    painter.drawRoundedRect(rect(), 4, 4);
}

void QPlayerOperationForm::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    layoutControls();
}

void QPlayerOperationForm::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    layoutControls();
}

void QPlayerOperationForm::layoutControls() {
    const int H = height();
    const auto centredY = [H](QWidget* w) { return (H - w->height()) / 2; };
    m_btnSnapshot->move(12, centredY(m_btnSnapshot));
    m_btnSnapshotMenu->move(m_btnSnapshot->x() + m_btnSnapshot->width(), centredY(m_btnSnapshotMenu));
    const int playX = m_btnSnapshotMenu->x() + m_btnSnapshotMenu->width() + 12;
    m_btnPlay->move(playX, centredY(m_btnPlay));
    m_btnPause->move(playX, centredY(m_btnPause));
    m_btnStop->move(m_btnPause->x() + m_btnPause->width() + 12, centredY(m_btnStop));
    m_lblTime->move(width() - 12 - m_lblTime->width(), centredY(m_lblTime));
    const int sliderX = m_btnStop->x() + m_btnStop->width() + 12;
    m_playProgress->setGeometry(sliderX, 0, std::max(0, m_lblTime->x() - 12 - sliderX), m_playProgress->height());
    m_playProgress->move(sliderX, centredY(m_playProgress));
}
