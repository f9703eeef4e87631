// The capture-area panel of the main window in video mode: the area button, a drop-down
// of preset sizes (with "Full Screen" and "Select area to record" last), width and height
// edits and the keep-ratio button. It writes the capture size and origin into the
// recording settings and tells the main window through its signals; the main window
// writes sizes back into it when the area frame changes. GUI thread only.
#pragma once

#include "toolkit/QRZWidget.h"

class QLabel;
class QRZBaseButton;
class QRZComboBox;
class QRZLineEdit;

class SelectRecordAreaWgt : public QRZWidget {
    Q_OBJECT
public:
    explicit SelectRecordAreaWgt(QWidget* parent = nullptr);
    ~SelectRecordAreaWgt() override;

    // The edits show w and h; the drop-down's tool tip "w*h" (empty below 1 x 1).
    void setSizeFields(int w, int h);
    void setEditsEnabled(bool enabled);
    // On: the area button blinks every 500 ms; off stops it.
    void setAttention(bool on);
    // True while a modal window of the program blocks the panel.
    bool isBlocked() const { return m_blocked; }

    void relayout() override;

signals:
    void emitAreaChange();
    void emitShowPointAreaDlg();
    void emitOnShowAreaDlg();
    void emitKeepScaleChange(bool keep);

public slots:
    void OnBtnRatio();
    void OnBtnAddArea();
    void SizeItemChange(int index);
    void OnBtnFullScreen();
    void EditReturnPressed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void setupForm();
    void styleForm();

    QRZBaseButton* m_btnAddArea = nullptr;
    QRZComboBox* m_cmbAraeCustom = nullptr;
    QLabel* m_labW = nullptr;
    QLabel* m_labH = nullptr;
    QRZLineEdit* m_editW = nullptr;
    QRZLineEdit* m_editH = nullptr;
    QRZBaseButton* m_btnKeepRatio = nullptr;
    QLabel* m_labArea = nullptr;
    bool m_blocked = false;
};
