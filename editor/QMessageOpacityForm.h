// The editor's fading status toast: a message that stays fully opaque for a second,
// then fades in ten steps of 50 ms and closes (about 1.5 s in all). While the pointer is
// over it, it stays opaque; leaving restarts the full delay. Created once and reused.
// GUI thread only.
#pragma once

#include "toolkit/QRZDialog.h"

class QLabel;
class QRZBaseButton;
class QRZCheckBox;
class QTimer;

class QMessageOpacityForm : public QRZDialog {
    Q_OBJECT

public:
    explicit QMessageOpacityForm(QWidget* parent = nullptr);
    ~QMessageOpacityForm() override;

    void setMessage(const QString& text);
    // Full opacity, then the fade starts after 1000 ms.
    void restartFade();
    void showLink(int x, int y, bool show);
    void showNote(bool show);
    // Places the toast at the bottom right of the available area of the screen that
    // holds `reference` (the editor), or of the primary screen without one.
    void moveToScreenCorner(QWidget* reference);

    QLabel* messageLabel() const { return m_lblText; }
    bool isFading() const;

signals:
    void NoShowMsgDlg();

public slots:
    void onTimer();
    void onClose();
    void openUrl(const QString& url);

protected:
    void enterEvent(QEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void relayout() override;

private:
    QLabel* m_lblText;
    QRZCheckBox* m_ckbNote;
    QRZBaseButton* m_btnClose;
    QRZBaseButton* m_btnOk;
    QLabel* m_lblSuppport;
    QRZBaseButton* m_btnMin;
    QRZBaseButton* m_btnMax;
    QTimer* m_timer;
    bool m_hoverHold = true;
};
