#include "recorder/RecordingNotices.h"

#include "app/AppGlobals.h"
#include "app/QRecordAreaInfo.h"
#include "app/Utilities.h"
#include "recorder/QTimeOptions.h"
#include "toolkit/QRZButton.h"
#include "toolkit/QRZCheckBox.h"
#include "toolkit/StyleHelpers.h"

#include <QDebug>
#include <QLabel>
#include <QTimer>

QDateTime QScheduleWgt::nextStart(int64_t startUs, const QDateTime& now) {
    // Out of one day reads as midnight, as the settings do.
    if (startUs < 0 || startUs >= kMicrosecondsPerDay)
        startUs = 0;
    const QTime start = timeOfDayFromMicroseconds(startUs);
    QDateTime target(now.date(), start);
    if (start.msecsTo(now.time()) >= 1)
        target = target.addDays(1);
    return target;
}

QScheduleWgt::QScheduleWgt(QWidget* parent) : QRZWidget(parent) {
    setObjectName(QStringLiteral("QScheduleWgt"));
    resize(298, 115);
    setBackgroundColor(QColor(62, 60, 60));
    m_labSchedule = new QLabel(tr("The schedule task remains"), this);
    m_labSchedule->setObjectName(QStringLiteral("m_labSchedule"));
    m_labSchedule->resize(160, 20);
    m_labTime = new QLabel(QStringLiteral("00:00:00"), this);
    m_labTime->setObjectName(QStringLiteral("m_labTime"));
    m_labTime->resize(150, 20);
    for (QLabel* label : {m_labSchedule, m_labTime}) {
        setWidgetFont(label, 13);
        setWidgetTextColor(label, QPalette::WindowText, QColor(250, 237, 237));
    }
    m_btnStop = new QRZBaseButton(this);
    m_btnStop->setObjectName(QStringLiteral("m_btnStop"));
    m_btnStop->setImage(getAppDirPath() + QStringLiteral("/image/record_tool_dlg/btn_record_stop.png"), false);
    m_btnStop->setToolTip(tr("Stop"));
    connect(m_btnStop, &QAbstractButton::clicked, this, &QScheduleWgt::emitStopSchedule);

    m_target = nextStart(QRecordAreaInfo::instance()->scheduleStart(), QDateTime::currentDateTime());
    qDebug() << "-------------" << m_target;
    // The view counts down from the moment it shows, not from its first tick.
    showRemaining(QDateTime::currentDateTime().msecsTo(m_target));
    m_timer = new QTimer(this);
    connect(m_timer, &QTimer::timeout, this, &QScheduleWgt::OnTimer);
    m_timer->start(200);
}

QScheduleWgt::~QScheduleWgt() {
    m_timer->stop();
    delete m_timer;
}

QString QScheduleWgt::remainingText() const {
    return m_labTime->text();
}

void QScheduleWgt::OnTimer() {
    const qint64 remaining = QDateTime::currentDateTime().msecsTo(m_target);
    if (remaining <= 0) {
        m_timer->stop();
        emit emitStartRecord();
        return;
    }
    showRemaining(remaining);
}

void QScheduleWgt::showRemaining(qint64 remainingMs) {
    if (remainingMs < 0) {
        remainingMs = 0;
    }
    const qint64 hours = remainingMs / 3600000;
    const QTime left(int(hours), int(remainingMs / 60000 - hours * 60),
                     int(remainingMs / 1000 - (remainingMs / 60000) * 60));
    m_labTime->setText(left.toString(QStringLiteral("hh:mm:ss")));
}

void QScheduleWgt::resizeEvent(QResizeEvent* event) {
    QRZWidget::resizeEvent(event);
    const int pair = m_labSchedule->height() + 2 + m_labTime->height();
    m_labSchedule->move(16, (height() - pair) / 2);
    m_labTime->move(16, m_labSchedule->y() + m_labSchedule->height() + 2);
    m_btnStop->move(width() - 16 - m_btnStop->width(), (height() - m_btnStop->height()) / 2);
}

// ---------------------------------------------------------------------------------------

QRecorderMessage::QRecorderMessage(QWidget* parent) : QRZDialogEx(parent) {
    setObjectName(QStringLiteral("QRecorderMessage"));
    // It comes while the main window is hidden: its end must not count as the last
    // window closed.
    setAttribute(Qt::WA_QuitOnClose, false);
    setFixedSize(345, 150);
    setTitle(productTitle());
    setWindowTitle(productTitle());
    setDialogBackground2(this);
    QRZBaseButton* close = createCloseButton(getAppDirPath() + QStringLiteral("/image/btn_close.png"), true);

    m_labMsg = new QLabel(tr("The recoding toolbar has been minimized to tray."), this);
    m_labMsg->setObjectName(QStringLiteral("m_labMsg"));
    setWidgetFont(m_labMsg, 12);
    setLightWindowText(m_labMsg);
    m_labMsg->adjustSize();
    m_chkNote = new QRZCheckBox(this);
    m_chkNote->setObjectName(QStringLiteral("m_chkNote"));
    styleCheckBox(m_chkNote);
    setWidgetFont(m_chkNote, 12);
    m_chkNote->setText(tr("Don't show this message again"));
    QPalette palette = m_chkNote->palette();
    palette.setColor(QPalette::Active, QPalette::WindowText, QColor(205, 196, 180));
    palette.setColor(QPalette::Inactive, QPalette::WindowText, QColor(205, 196, 180));
    palette.setColor(QPalette::Disabled, QPalette::WindowText, QColor(120, 120, 120));
    m_chkNote->setPalette(palette);
    m_chkNote->adjustSize();
    m_btnOk = new QRZBaseButton(this);
    m_btnOk->setObjectName(QStringLiteral("m_btnOk"));
    styleCommonButton(m_btnOk, 60, 24);
    m_btnOk->setText(tr("Ok"));
    // Either ends exec() and, for a notice shown without exec(), says so through finished().
    connect(close, &QAbstractButton::clicked, this, &QDialog::accept);
    connect(m_btnOk, &QAbstractButton::clicked, this, &QDialog::accept);
}

QRecorderMessage::~QRecorderMessage() = default;

bool QRecorderMessage::isShowAgain() const {
    return !m_chkNote->isChecked();
}

void QRecorderMessage::relayout() {
    m_labMsg->move(38, 58);
    m_btnOk->move(width() - 28 - m_btnOk->width(), height() - 20 - m_btnOk->height());
    m_chkNote->move(28, m_btnOk->y() + (m_btnOk->height() - m_chkNote->height()) / 2);
}
