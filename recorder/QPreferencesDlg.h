// The "Preferences" dialog: page buttons on the left (General, Convert), the selected
// page in a scroll area, OK and Cancel. The pages read their values when built; OK
// saves both pages (only what changed, for the General page); Cancel saves nothing.
// GUI thread only.
#pragma once

#include "toolkit/QRZDialog.h"

#include <QList>
#include <QWidget>

class QAbstractButton;
class QGroupBox;
class QHBoxLayout;
class QRZBaseButton;
class QRZComboBox;
class QRZRadioButton;
class QRZScrollBar;
class QRZTextEdit;
class QScrollArea;
class QVBoxLayout;

// General page: automatic updates, what the close button does; the language group is
// built hidden.
class GeneralWidget : public QWidget {
    Q_OBJECT
public:
    explicit GeneralWidget(QWidget* parent = nullptr);
    ~GeneralWidget() override;

    // Writes the choices that changed since the page was built; false when any of them
    // could not be saved.
    bool saveSettings();

    QRZRadioButton* autoUpdateButton() const { return m_radAutoUpdate; }
    QRZRadioButton* noUpdateButton() const { return m_radCloseUpdate; }
    QRZRadioButton* minimizeButton() const { return m_radMin; }
    QRZRadioButton* exitButton() const { return m_radExit; }

signals:
    void sendUpdate(bool on);
    void sendLanguageName(const QString& languageFile);

public slots:
    void OnChanegeUpdate();
    void OnChangeClose();
    void languageChange(int index);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QGroupBox* m_GroupUpdates;
    QRZRadioButton* m_radAutoUpdate;
    QRZRadioButton* m_radCloseUpdate;
    QGroupBox* m_GroupClose;
    QRZRadioButton* m_radMin;
    QRZRadioButton* m_radExit;
    QGroupBox* m_GroupLanguage;
    QRZComboBox* m_cmbLan;
    bool m_initialAutoUpdate = false;
    bool m_initialExit = true;
};

// Convert page: output and screenshot folders; the job-end and archive groups are
// built hidden.
class ConvertWidget : public QWidget {
    Q_OBJECT
public:
    explicit ConvertWidget(QWidget* parent = nullptr);
    ~ConvertWidget() override;

    // Takes the folders and the finishing choices; false when they could not be saved.
    bool saveSettings();
    void loadPaths();

    // What a folder dialog's answer does: the output folder only when it is writable
    // (false, nothing changed, otherwise); the screenshot folder always.
    bool takeOutputFolder(const QString& folder);
    void takeScreenshotFolder(const QString& folder);
    QString outputFolder() const { return m_outputFolder; }
    QString screenshotFolder() const { return m_screenshotFolder; }
    QRZComboBox* finishedCombo() const { return m_cmbFinished; }

    static QString defaultOutputFolder();
    static QString defaultScreenshotFolder();

public slots:
    void OnChangePath();
    void OnResetPath();
    void OnChangeScreenshot();
    void OnResetScreenshot();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void showFolders();

    QGroupBox* m_GroupFinish;
    QRZComboBox* m_cmbFinished;
    QGroupBox* m_groupOutput;
    QRZBaseButton* m_btnChange;
    QRZBaseButton* m_btnReset;
    QRZTextEdit* m_pathTextEdit;
    QGroupBox* m_GroupArchive;
    QRZComboBox* m_cmbOutput;
    QGroupBox* m_groupScreenshots;
    QRZBaseButton* m_btnChangeShot;
    QRZBaseButton* m_btnResetShot;
    QRZTextEdit* m_ScreenshotsTextEdit;
    QString m_outputFolder;
    QString m_screenshotFolder;
};

class QPreferencesDlg : public QRZDialogEx {
    Q_OBJECT
public:
    explicit QPreferencesDlg(QWidget* parent = nullptr);
    ~QPreferencesDlg() override;

    // True once OK was pressed.
    bool isAccepted() const { return m_accepted; }

    GeneralWidget* generalPage() const { return m_general; }
    ConvertWidget* convertPage() const { return m_convert; }
    QList<QAbstractButton*> pageButtons() const { return m_buttons; }
    QRZBaseButton* okButton() const { return m_btnOk; }
    QRZBaseButton* cancelButton() const { return m_btnCancel; }

signals:
    void emitAutoUpdate(bool on);
    void emitLangugeChangeSet(bool changed);

public slots:
    void OnBtnOk();
    void OnLeftBtn();
    void setLanguge(const QString& languageFile);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void buildColumns();
    void buildPageArea();
    void addSectionButtons();
    void styleDialogButtons();
    void addPages();

    QRZBaseButton* m_btnCancel;
    QRZBaseButton* m_btnOk;
    QWidget* m_horizontalLayoutWidget;
    QHBoxLayout* m_Layout;
    QVBoxLayout* m_BtnVerticalLayout_3;
    QScrollArea* m_scrollArea;
    QWidget* m_scrollAreaWidget;
    QVBoxLayout* m_listLayout;

    QAbstractButton* m_current = nullptr;
    QList<QAbstractButton*> m_buttons;
    GeneralWidget* m_general = nullptr;
    ConvertWidget* m_convert = nullptr;
    QRZScrollBar* m_scrollBar = nullptr;
    bool m_accepted = false;
};
