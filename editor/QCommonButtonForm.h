// The "Reset" / "Apply to all" strip of the adjust, effect, watermark, subtitle and
// audio tabs: two common buttons centred one above the other. GUI thread only.
#pragma once

#include <QWidget>

class QRZBaseButton;

class QCommonButtonForm : public QWidget {
    Q_OBJECT

public:
    explicit QCommonButtonForm(QWidget* parent = nullptr);
    ~QCommonButtonForm() override;

    QRZBaseButton* resetButton() const { return m_btnReset; }
    QRZBaseButton* applyToAllButton() const { return m_btnApplyToAll; }

signals:
    void emitReset();
    void emitApplyToAll();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QRZBaseButton* m_btnApplyToAll;
    QRZBaseButton* m_btnReset;
};
