// The modal "Converting" dialog shown while a conversion job runs: a progress bar and a
// Cancel button (the title close button and Escape do the same). GUI thread only.
#pragma once

#include "toolkit/QRZDialog.h"

class QLabel;
class QRZBaseButton;
class QRZBaseProgress;

class QConvertProgressDlg : public QRZDialogEx {
    Q_OBJECT
public:
    explicit QConvertProgressDlg(QWidget* parent = nullptr);

    // Percent, 0 to 100.
    void setProgress(float percent);
    QRZBaseProgress* progressBar() const { return m_bpConvert; }
    QRZBaseButton* cancelButton() const { return m_btnCancel; }
    // Closes the dialog for a job that has ended; nothing is cancelled.
    void finish();

signals:
    void emitCancel();

public slots:
    // Closes the dialog, then asks for the job to be cancelled.
    void onClose();
    // Escape: the same as Cancel.
    void reject() override;

protected:
    void relayout() override;

private:
    QLabel* m_lblConvert;
    QRZBaseProgress* m_bpConvert;
    QRZBaseButton* m_btnCancel;
};
