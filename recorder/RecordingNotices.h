// What the recording control shows around a recording: the schedule countdown that
// waits for the schedule's start time, and the notice that the recording toolbar went
// to the notification area. GUI thread only.
#pragma once

#include "toolkit/QRZDialog.h"
#include "toolkit/QRZWidget.h"

#include <QDateTime>

class QLabel;
class QRZBaseButton;
class QRZCheckBox;
class QTimer;

// The waiting view of a scheduled recording: the time left until the next occurrence
// of the start time of day, a Stop button. Counts down from its construction.
class QScheduleWgt : public QRZWidget {
    Q_OBJECT
public:
    explicit QScheduleWgt(QWidget* parent = nullptr);
    ~QScheduleWgt() override;

    // The next moment the start time of day (microseconds since midnight) occurs at or
    // after `now`: today when it is now or still ahead, else tomorrow.
    static QDateTime nextStart(int64_t startUs, const QDateTime& now);

    QDateTime target() const { return m_target; }
    QString remainingText() const;
    QRZBaseButton* stopButton() const { return m_btnStop; }

signals:
    void emitStopSchedule();
    void emitStartRecord();

public slots:
    void OnTimer();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void showRemaining(qint64 remainingMs);

    QLabel* m_labSchedule;
    QLabel* m_labTime;
    QRZBaseButton* m_btnStop;
    QTimer* m_timer;
    QDateTime m_target;
};

// "The recoding toolbar has been minimized to tray." with "Don't show this message
// again" and OK; run with exec(), then asked isShowAgain().
class QRecorderMessage : public QRZDialogEx {
    Q_OBJECT
public:
    explicit QRecorderMessage(QWidget* parent = nullptr);
    ~QRecorderMessage() override;

    // True while the box is not ticked.
    bool isShowAgain() const;

    QRZCheckBox* noteBox() const { return m_chkNote; }
    QRZBaseButton* okButton() const { return m_btnOk; }

protected:
    void relayout() override;

private:
    QLabel* m_labMsg;
    QRZCheckBox* m_chkNote;
    QRZBaseButton* m_btnOk;
};
