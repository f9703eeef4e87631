#include "recorder/QRecordingToolbarWgt.h"

#include "app/AppGlobals.h"
#include "toolkit/QAudioDataWidget.h"
#include "toolkit/QRZButton.h"
#include "toolkit/StyleHelpers.h"

#include <QLabel>

namespace {

AudioBarStyle toolbarLevelStyle() {
    AudioBarStyle style;
    style.barWidth = 11;
    style.cellHeight = 3;
    style.xSpacing = 2;
    style.ySpacing = 2;
    style.peakMarker = 0;
    style.accelerating = 1;
    style.cornerRadius = 1.3;
    style.barColor = QColor(253, 94, 105);
    style.peakColor = QColor(253, 94, 105);
    style.mode = AudioBarStyle::StackedCells;
    return style;
}

constexpr int kLevelHeight = 45;

} // namespace

QRecordingToolbarWgt::QRecordingToolbarWgt(QWidget* parent) : QRZWidget(parent) {
    setupForm();
    setResizeFlags(0);
    setBackgroundColor(QColor(62, 60, 60));

    const QString app = getAppDirPath();
    m_btnPlay->setImage(app + QStringLiteral("/image/record_tool_dlg/btn_record_start.png"), false);
    m_btnPause->setImage(app + QStringLiteral("/image/record_tool_dlg/btn_record_pause.png"), false);
    m_btnStop->setImage(app + QStringLiteral("/image/record_tool_dlg/btn_record_stop.png"), false);
    m_btnCut->setImage(app + QStringLiteral("/image/record_tool_dlg/btn_cut.png"), false);
    m_btnPause->hide();

    m_btnPlay->setToolTip(tr("Resume"));
    m_btnPause->setToolTip(tr("Pause"));
    m_btnStop->setToolTip(tr("Stop"));
    m_btnCut->setToolTip(tr("Cut"));

    connect(m_btnPlay, &QAbstractButton::clicked, this, &QRecordingToolbarWgt::emitContinueRecord);
    connect(m_btnPause, &QAbstractButton::clicked, this, &QRecordingToolbarWgt::emitPauseRecord);
    connect(m_btnStop, &QAbstractButton::clicked, this, &QRecordingToolbarWgt::emitStopRecord);
    connect(m_btnCut, &QAbstractButton::clicked, this, &QRecordingToolbarWgt::emitCutRecord);

    setWidgetFont(m_labTime, 14);
    setWidgetTextColor(m_labTime, QPalette::WindowText, QColor(250, 237, 237));
    m_labTime->adjustSize();

    const AudioBarStyle style = toolbarLevelStyle();
    m_levelDisplay = new QAudioDataWidget(this, &style);
    m_levelDisplay->hide();
}

QRecordingToolbarWgt::~QRecordingToolbarWgt() = default;

void QRecordingToolbarWgt::setupForm() {
    setObjectName(QStringLiteral("QRecordingToolbarWgt"));
    resize(325, 108);
    setFocusPolicy(Qt::WheelFocus);
    setWindowTitle(QStringLiteral("Form"));
    m_btnPlay = new QRZBaseButton(this);
    m_btnPlay->setObjectName(QStringLiteral("m_btnPlay"));
    m_labTime = new QLabel(this);
    m_labTime->setObjectName(QStringLiteral("m_labTime"));
    QFont font = m_labTime->font();
    font.setFamily(QStringLiteral("Tahoma"));
    m_labTime->setFont(font);
    m_labTime->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_labTime->setGeometry(210, 50, 111, 16);
    m_labTime->setText(QStringLiteral("00:00:00"));
    m_btnPause = new QRZBaseButton(this);
    m_btnPause->setObjectName(QStringLiteral("m_btnPause"));
    m_btnCut = new QRZBaseButton(this);
    m_btnCut->setObjectName(QStringLiteral("m_btnCut"));
    m_btnStop = new QRZBaseButton(this);
    m_btnStop->setObjectName(QStringLiteral("m_btnStop"));
    m_btnStop->setGeometry(110, 40, 41, 31);
}

void QRecordingToolbarWgt::setRunning(bool running) {
    m_btnPause->setVisible(running);
    m_btnPlay->setVisible(!running);
}

void QRecordingToolbarWgt::setVideoMode(bool videoMode) {
    m_videoMode = videoMode;
    relayout();
}

void QRecordingToolbarWgt::relayout() {
    const int w = width();
    const int h = height();
    int a = 0;
    if (m_videoMode) {
        m_levelDisplay->hide();
    } else {
        m_levelDisplay->setGeometry(7, 0, w - 14, kLevelHeight);
        m_levelDisplay->show();
        a = kLevelHeight;
    }
    auto top = [&](QWidget* item) { return a + (h - item->height() - a) / 2; };
    m_btnPlay->move(16, top(m_btnPlay));
    m_btnPause->move(16, top(m_btnPause));
    const int playLast = m_btnPlay->x() + m_btnPlay->width() - 1;
    m_btnStop->move(playLast + 18, top(m_btnStop));
    const int stopLast = m_btnStop->x() + m_btnStop->width() - 1;
    m_btnCut->move(stopLast + 18, top(m_btnCut));
    const int cutLast = m_btnCut->x() + m_btnCut->width() - 1;
    const int labelLeft = cutLast + 10;
    m_labTime->setGeometry(labelLeft, top(m_labTime), w - 17 - labelLeft, m_labTime->height());
}

QString QRecordingToolbarWgt::elapsedText(uint64_t microseconds) {
    // Milliseconds as a 64-bit count: a plain int would wrap after 24 days.
    const int64_t ms = int64_t(microseconds / 1000);
    const int64_t hours = ms / 3600000;
    const int64_t minutes = ms / 60000 - hours * 60;
    const int64_t seconds = ms / 1000 - (ms / 60000) * 60;
    return QStringLiteral("%1:%2:%3")
        .arg(hours, 2, 10, QLatin1Char('0'))
        .arg(minutes, 2, 10, QLatin1Char('0'))
        .arg(seconds, 2, 10, QLatin1Char('0'));
}

void QRecordingToolbarWgt::RecordTime(uint64_t microseconds) {
    m_labTime->setText(elapsedText(microseconds));
}
