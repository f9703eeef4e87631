// The time options page: "Start manually and end after" a length (hours, minutes,
// seconds) or "Start and end on schedule" between two times of day; at most one of the
// two is on. Changes go at once to the recording settings and the settings file, in
// microseconds. GUI thread only.
#pragma once

#include "recorder/QOptionsMainDlg.h"

#include <cstdint>

class QLabel;
class QRZCheckBox;
class QRZLineEdit;
class QRZTimeEdit;

class QTimeOptions : public QBaseOptionsWgt {
    Q_OBJECT
public:
    explicit QTimeOptions(QWidget* parent = nullptr);
    ~QTimeOptions() override;

    // Both options off, length and times 0.
    void reset();

    QRZCheckBox* manualBox() const { return m_chkManually; }
    QRZCheckBox* scheduleBox() const { return m_chkSchedule; }
    QRZLineEdit* hoursEdit() const { return m_editHr; }
    QRZLineEdit* minutesEdit() const { return m_editMin; }
    QRZLineEdit* secondsEdit() const { return m_editSec; }
    QRZTimeEdit* startEdit() const { return m_timeEditStart; }
    QRZTimeEdit* stopEdit() const { return m_timeEditStop; }

public slots:
    void OnChkManually();
    void OnChkSchedule();
    void ManuallyTimeChange(const QString& text);
    void timeEditChange(const QString& text);

protected:
    void layoutControls() override;

private:
    void loadStopAfter();
    void loadSchedule();
    void setLengthEdits(int64_t lengthUs);
    void setLengthEditsEnabled(bool enabled);
    void setTimeEditsEnabled(bool enabled);
    void switchScheduleOff();
    void switchStopAfterOff();

    QRZCheckBox* m_chkManually;
    QRZLineEdit* m_editHr;
    QRZLineEdit* m_editMin;
    QRZLineEdit* m_editSec;
    QLabel* m_labHr;
    QLabel* m_labMin;
    QLabel* m_labSec;
    QRZCheckBox* m_chkSchedule;
    QLabel* m_labStart;
    QLabel* m_labStop;
    QRZTimeEdit* m_timeEditStart;
    QRZTimeEdit* m_timeEditStop;
};

// The time of day of a microsecond count since midnight (milliseconds truncated).
class QTime;
QTime timeOfDayFromMicroseconds(int64_t microseconds);
