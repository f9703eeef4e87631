// The 3-2-1 countdown run modally before a recording started by hand: a dark rounded
// panel showing 3, 2 and 1 for a second each; it hides itself (ending exec) after 30
// ticks of 100 ms. GUI thread only.
#pragma once

#include <QDialog>

class QTimer;

class QReciprocalDlg : public QDialog {
    Q_OBJECT
public:
    explicit QReciprocalDlg(QWidget* parent = nullptr);
    ~QReciprocalDlg() override;

    // Tenths of a second left (30 at the start).
    int counter() const { return m_counter; }
    // The digit shown now; 0 while none is (the first 100 ms).
    int shownDigit() const;

public slots:
    void OnReciprocalCount();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QTimer* m_timer;
    int m_counter = 30;
};
