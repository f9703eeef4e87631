#include "recorder/QTimeOptions.h"

#include "app/QRecordAreaInfo.h"
#include "app/SettingsFile.h"
#include "app/Utilities.h"
#include "recorder/FormHelpers.h"
#include "toolkit/QRZButton.h" // before the spin box header: its template compares buttons
#include "toolkit/QRZCheckBox.h"
#include "toolkit/QRZLineEdit.h"
#include "toolkit/QRZSpinBox.h"
#include "toolkit/StyleHelpers.h"

#include <QLabel>
#include <QTime>

namespace {

const QString kTimeSection = QStringLiteral("RECORD_TIME_INFO");
const QString kScheduleSection = QStringLiteral("RECORD_SCHEDULE_INFO");
const QString kStopAfterKey = QStringLiteral("Bool_Stop_After_Time");
const QString kLengthKey = QStringLiteral("Stop_time_lenght");
const QString kScheduleKey = QStringLiteral("Bool_Schedule");
const QString kStartKey = QStringLiteral("Schedule_Start_Time");
const QString kEndKey = QStringLiteral("Schedule_End_Time");

QString yesNo(bool on) {
    return on ? QStringLiteral("Y") : QStringLiteral("N");
}

QString microsecondsText(int64_t value) {
    return QString::number(quint64(value));
}

int64_t storedTimeOfDay(const QString& key) {
    return storedMicroseconds(readSettingValue(kScheduleSection, key, QStringLiteral("0")), kMicrosecondsPerDay - 1);
}

} // namespace

QTime timeOfDayFromMicroseconds(int64_t microseconds) {
    const int64_t ms = microseconds / 1000;
    const int hours = int(ms / 3600000);
    return QTime(hours, int(ms / 60000 - int64_t(hours) * 60), int(ms / 1000 - (ms / 60000) * 60));
}

QTimeOptions::QTimeOptions(QWidget* parent) : QBaseOptionsWgt(parent) {
    setObjectName(QStringLiteral("QTimeOptions"));
    resize(416, 212);
    auto label = [this](const char* name) { return makeNamedChild<QLabel>(this, name); };
    auto edit = [this](const char* name) { return makeNamedChild<QRZLineEdit>(this, name); };
    m_chkManually = makeNamedChild<QRZCheckBox>(this, "m_chkManually");
    m_editHr = edit("m_editHr");
    m_editMin = edit("m_editMin");
    m_editSec = edit("m_editSec");
    m_labHr = label("m_labHr");
    m_labMin = label("m_labMin");
    m_labSec = label("m_labSec");
    m_chkSchedule = makeNamedChild<QRZCheckBox>(this, "m_chkSchedule");
    m_labStart = label("m_labStart");
    m_labStop = label("m_labStop");
    m_timeEditStart = makeNamedChild<QRZTimeEdit>(this, "m_timeEditStart");
    m_timeEditStop = makeNamedChild<QRZTimeEdit>(this, "m_timeEditStop");

    styleCheckBox(m_chkManually);
    styleCheckBox(m_chkSchedule);
    for (QRZLineEdit* e : {m_editHr, m_editMin, m_editSec}) {
        styleLineEdit(e, 40, 24);
        e->setPositiveIntegerValidator();
        connect(e, &QLineEdit::textEdited, this, &QTimeOptions::ManuallyTimeChange);
    }
    for (QRZTimeEdit* e : {m_timeEditStart, m_timeEditStop}) {
        styleTimeEdit(e, 134, 24);
        e->setDisplayFormat(QStringLiteral("hh:mm:ss"));
        e->setMargins(122, 3, 0, 3);
        connect(e, &QRZDateTimeEdit::emitTimeEdited, this, &QTimeOptions::timeEditChange);
    }
    for (QLabel* l : {m_labHr, m_labMin, m_labSec, m_labStart, m_labStop}) {
        setWidgetFont(l, 12);
        setWidgetTextColor(l, QPalette::WindowText, QColor(250, 237, 237));
    }
    setWidgetTextColor(m_chkManually, QPalette::WindowText, QColor(250, 237, 237));
    setWidgetTextColor(m_chkSchedule, QPalette::WindowText, QColor(250, 237, 237));
    connect(m_chkManually, &QAbstractButton::clicked, this, &QTimeOptions::OnChkManually);
    connect(m_chkSchedule, &QAbstractButton::clicked, this, &QTimeOptions::OnChkSchedule);

    loadStopAfter();
    loadSchedule();

    setTitle(tr("Record time options"));
    m_chkManually->setText(tr("Start manually and end after"));
    m_chkSchedule->setText(tr("Start and end on schedule"));
    m_labHr->setText(tr("Hr"));
    m_labMin->setText(tr("min"));
    m_labSec->setText(tr("sec"));
    m_labStart->setText(tr("Start time:"));
    m_labStop->setText(tr("Stop time:"));
    for (QLabel* l : {m_labHr, m_labMin, m_labSec, m_labStart, m_labStop})
        l->adjustSize();
    m_chkManually->adjustSize();
    m_chkSchedule->adjustSize();
}

QTimeOptions::~QTimeOptions() = default;

void QTimeOptions::setLengthEdits(int64_t lengthUs) {
    const int64_t ms = lengthUs / 1000;
    const int64_t hours = ms / 3600000;
    m_editHr->setText(QString::number(hours));
    m_editMin->setText(QString::number(ms / 60000 - hours * 60));
    m_editSec->setText(QString::number(ms / 1000 - (ms / 60000) * 60));
}

void QTimeOptions::setLengthEditsEnabled(bool enabled) {
    for (QRZLineEdit* e : {m_editHr, m_editMin, m_editSec})
        e->setEnabled(enabled);
}

void QTimeOptions::setTimeEditsEnabled(bool enabled) {
    m_timeEditStart->setEnabled(enabled);
    m_timeEditStop->setEnabled(enabled);
}

void QTimeOptions::loadStopAfter() {
    QRecordAreaInfo* info = QRecordAreaInfo::instance();
    bool on = readSettingValue(kTimeSection, kStopAfterKey, QStringLiteral("N")) == QLatin1String("Y");
    // A negative length would never stop: out-of-range values read as 0.
    const int64_t length =
        storedMicroseconds(readSettingValue(kTimeSection, kLengthKey, QStringLiteral("0")), INT64_MAX);
    if (on && length == 0) {
        storeSetting(kTimeSection, kStopAfterKey, QStringLiteral("N"));
        on = false;
    }
    m_chkManually->setChecked(on);
    setLengthEdits(length);
    info->setStopAfterLength(length);
    setLengthEditsEnabled(on);
    info->setStopAfterTime(on);
}

void QTimeOptions::loadSchedule() {
    QRecordAreaInfo* info = QRecordAreaInfo::instance();
    const bool stopAfter = readSettingValue(kTimeSection, kStopAfterKey, QStringLiteral("N")) == QLatin1String("Y");
    // A time outside one day would start a recording at once: it reads as 0.
    const int64_t start = storedTimeOfDay(kStartKey);
    const int64_t end = storedTimeOfDay(kEndKey);
    const bool scheduleOn = readSettingValue(kScheduleSection, kScheduleKey, QStringLiteral("N")) == QLatin1String("Y");
    if (stopAfter || start == end) {
        // Stored only when it has to change: every start would write it otherwise.
        if (scheduleOn) {
            storeSetting(kScheduleSection, kScheduleKey, QStringLiteral("N"));
        }
        m_chkSchedule->setChecked(false);
    } else {
        m_chkSchedule->setChecked(scheduleOn);
    }
    m_timeEditStart->setTime(timeOfDayFromMicroseconds(start));
    m_timeEditStop->setTime(timeOfDayFromMicroseconds(end));
    info->setScheduleStart(start);
    info->setScheduleEnd(end);
    setTimeEditsEnabled(m_chkSchedule->isChecked());
    info->setScheduleOn(m_chkSchedule->isChecked());
}

void QTimeOptions::switchScheduleOff() {
    m_chkSchedule->setChecked(false);
    setTimeEditsEnabled(false);
    QRecordAreaInfo::instance()->setScheduleOn(false);
    storeSetting(kScheduleSection, kScheduleKey, QStringLiteral("N"));
}

void QTimeOptions::switchStopAfterOff() {
    m_chkManually->setChecked(false);
    setLengthEditsEnabled(false);
    QRecordAreaInfo::instance()->setStopAfterTime(false);
    storeSetting(kTimeSection, kStopAfterKey, QStringLiteral("N"));
}

void QTimeOptions::OnChkManually() {
    const bool on = m_chkManually->isChecked();
    storeSetting(kTimeSection, kStopAfterKey, yesNo(on));
    QRecordAreaInfo::instance()->setStopAfterTime(on);
    setLengthEditsEnabled(on);
    if (on)
        switchScheduleOff();
}

void QTimeOptions::OnChkSchedule() {
    const bool on = m_chkSchedule->isChecked();
    storeSetting(kScheduleSection, kScheduleKey, yesNo(on));
    QRecordAreaInfo::instance()->setScheduleOn(on);
    setTimeEditsEnabled(on);
    if (on)
        switchStopAfterOff();
}

void QTimeOptions::ManuallyTimeChange(const QString& text) {
    auto* edit = qobject_cast<QRZLineEdit*>(sender());
    if (edit) {
        if (text.isEmpty())
            edit->setText(QStringLiteral("0"));
        const int cap = edit == m_editHr ? 99 : 59;
        if (edit->text().toLongLong() > cap)
            edit->setText(QString::number(cap));
    }
    const int64_t length =
        (m_editSec->text().toLongLong() + m_editMin->text().toLongLong() * 60 + m_editHr->text().toLongLong() * 3600) *
        1000000;
    QRecordAreaInfo* info = QRecordAreaInfo::instance();
    if (length != info->stopAfterLength()) {
        storeSetting(kTimeSection, kLengthKey, microsecondsText(length));
        info->setStopAfterLength(length);
    }
}

void QTimeOptions::timeEditChange(const QString& text) {
    const QStringList parts = text.split(QLatin1Char(':'));
    const int64_t h = parts.value(0).toLongLong();
    const int64_t m = parts.value(1).toLongLong();
    const int64_t s = parts.value(2).toLongLong();
    const int64_t value = (s + (m + h * 60) * 60) * 1000000;
    QRecordAreaInfo* info = QRecordAreaInfo::instance();
    if (sender() == m_timeEditStart) {
        storeSetting(kScheduleSection, kStartKey, microsecondsText(value));
        info->setScheduleStart(value);
    } else if (sender() == m_timeEditStop) {
        storeSetting(kScheduleSection, kEndKey, microsecondsText(value));
        info->setScheduleEnd(value);
    }
}

void QTimeOptions::reset() {
    QRecordAreaInfo* info = QRecordAreaInfo::instance();
    if (info->isStopAfterTime())
        switchStopAfterOff();
    if (info->stopAfterLength() != 0) {
        setLengthEdits(0);
        storeSetting(kTimeSection, kLengthKey, QStringLiteral("0"));
        info->setStopAfterLength(0);
    }
    if (info->isScheduleOn())
        switchScheduleOff();
    if (info->scheduleStart() != 0 || info->scheduleEnd() != 0) {
        m_timeEditStart->setTime(QTime(0, 0, 0));
        m_timeEditStop->setTime(QTime(0, 0, 0));
        storeSetting(kScheduleSection, kStartKey, QStringLiteral("0"));
        storeSetting(kScheduleSection, kEndKey, QStringLiteral("0"));
        info->setScheduleStart(0);
        info->setScheduleEnd(0);
    }
}

void QTimeOptions::layoutControls() {
    auto bottom = [](const QWidget* w) { return w->geometry().bottom(); };
    auto right = [](const QWidget* w) { return w->geometry().right(); };
    auto besideRight = [&](QLabel* label, const QWidget* edit) {
        label->move(right(edit) + 4, edit->y() + (edit->height() - label->height()) / 2);
    };
    m_chkManually->move(12, 35);
    m_editHr->move(m_chkManually->x() + 20, bottom(m_chkManually) + 12);
    besideRight(m_labHr, m_editHr);
    m_editMin->move(right(m_labHr) + 4, m_editHr->y());
    besideRight(m_labMin, m_editMin);
    m_editSec->move(right(m_labMin) + 4, m_editHr->y());
    besideRight(m_labSec, m_editSec);
    m_chkSchedule->move(m_chkManually->x(), bottom(m_editHr) + 12);
    m_timeEditStart->move(m_editMin->x(), bottom(m_chkSchedule) + 12);
    m_timeEditStop->move(m_timeEditStart->x(), bottom(m_timeEditStart) + 12);
    placeLabelLeftOf(m_labStart, m_timeEditStart);
    placeLabelLeftOf(m_labStop, m_timeEditStop);
}
