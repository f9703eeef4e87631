// "Snapshot Setting": the dialog in which the user picks the picture format and the
// folder of the editor's snapshots. Only OK stores, and it stores both; the close button
// and Cancel leave the settings file untouched. GUI thread only.
#pragma once

#include "toolkit/QRZDialog.h"

class QLabel;
class QRZBaseButton;
class QRZComboBox;
class QRZLineEdit;

class QCaptureSettingDlg : public QRZDialog {
    Q_OBJECT

public:
    explicit QCaptureSettingDlg(QWidget* parent = nullptr);
    ~QCaptureSettingDlg() override;

    QString folder() const { return m_folder; }
    QRZComboBox* formatBox() const { return m_cmbFormat; }
    QRZLineEdit* folderEdit() const { return m_editPath; }
    QRZBaseButton* button(const char* objectName) const;

signals:
    void emitDlgClose();

public slots:
    void onOpenPath();
    void onOk();

protected:
    void closeEvent(QCloseEvent* event) override;
    void relayout() override;

private:
    void buildForm();
    void styleControls();

    QLabel* m_labPath;
    QRZLineEdit* m_editPath;
    QRZBaseButton* m_btnCancel;
    QRZBaseButton* m_btnClose;
    QLabel* m_labFormat;
    QRZBaseButton* m_btnOk;
    QRZComboBox* m_cmbFormat;
    QRZBaseButton* m_btnOpen;
    QRZBaseButton* m_btnMax;
    QRZBaseButton* m_btnMin;
    QString m_folder;
};
