// Small dialogs of the recorder window: the close question (go on in the notification
// area or exit), the about box, and the never-shown window that owns the global hotkeys.
// GUI thread only.
#pragma once

#include "toolkit/QRZDialog.h"

#include <QDialog>

class QLabel;
class QRZBaseButton;
class QRZCheckBox;
class QRZRadioButton;

class QShowCloseDlg : public QRZDialogEx {
    Q_OBJECT
public:
    explicit QShowCloseDlg(QWidget* parent = nullptr);
    ~QShowCloseDlg() override;

    // "Don't show this message again" fully checked.
    bool isNoteChecked() const;
    // "Exit" chosen.
    bool isExitChecked() const;

    QRZRadioButton* minimizeButton() const { return m_radioMin; }
    QRZRadioButton* exitButton() const { return m_radioClose; }
    QRZCheckBox* noteBox() const { return m_chkNote; }
    QRZBaseButton* okButton() const { return m_btnOk; }

public slots:
    void OnClickRadio();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QRZBaseButton* m_btnOk;
    QRZBaseButton* m_btnCancel;
    QRZRadioButton* m_radioMin;
    QRZRadioButton* m_radioClose;
    QRZCheckBox* m_chkNote;
};

class QAboutDlg : public QRZDialogEx {
    Q_OBJECT
public:
    explicit QAboutDlg(QWidget* parent = nullptr);
    ~QAboutDlg() override;

    // The maker's home page.
    static QString homePageAddress();

public slots:
    void OnClickHome(const QString& link);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QLabel* m_labProject;
    QLabel* m_labVersion;
    QLabel* m_labCopyright;
    QLabel* m_labHome;
    QLabel* m_labVisit;
    QLabel* m_labProjectVersion;
};

// The owner window of the global hotkeys: created once, never shown.
class QAcceptDialog : public QDialog {
    Q_OBJECT
public:
    explicit QAcceptDialog(QWidget* parent = nullptr);
    ~QAcceptDialog() override;
};
