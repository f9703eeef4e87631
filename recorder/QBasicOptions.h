// The basic options page: output folder, output format (opens the format chooser
// through the main window), image watermark and the four global hotkeys with their
// conflict mark. Changes are applied and stored at once. GUI thread only.
#pragma once

#include "recorder/QOptionsMainDlg.h"

class QLabel;
class QRZBaseButton;
class QRZComboBox;
class QKeyListenerLineEdit;
class QGlobalShortCut;

class QBasicOptions : public QBaseOptionsWgt {
    Q_OBJECT
public:
    explicit QBasicOptions(QWidget* parent = nullptr);
    ~QBasicOptions() override;

    // Shows the folder on its button and stores it (settings record and file; the file
    // is written only when it holds another folder). False when it could not be saved
    // (the user is told).
    bool setOutputFolder(const QString& path);
    // Converted-files folder, default hotkeys, no watermark; asks for the format reset.
    void reset();
    void resetShortcuts();
    // Makes the pending key of the action current: registers it, releases the old one
    // and stores it (also when the system refused it; the conflict mark shows that).
    void applyShortcut(int id);
    // Writes "SHORTCUT_SET"/<action key> = value; unknown ids write nothing. False when
    // it could not be saved (the user is told).
    bool saveShortcut(int id, const QString& value);
    static QString actionText(int id);

    // For tests and the main window's checks.
    QKeyListenerLineEdit* keyEditor() const { return m_editShortcuts; }
    QRZComboBox* shortcutList() const { return m_cmbShortcuts; }
    QWidget* conflictMark() const { return m_conflict; }
    QRZBaseButton* folderButton() const { return m_btnFolder; }
    QRZBaseButton* formatButton() const { return m_btnFormat; }
    QRZBaseButton* watermarkButton() const { return m_btnWaterMark; }

signals:
    void emitShortcutEnable(bool enable);
    void emitOnFormat();
    void emitResetFormat();

public slots:
    void OnBtnFolder();
    void ShortcutsActivated(int row);
    void ShortcutsItemChange(int row);
    void shortcutChange(Qt::Key key, Qt::KeyboardModifiers modifiers);
    void OnFormatChange(bool video);
    void OnWaterMark();

protected:
    void paintEvent(QPaintEvent* event) override;
    void layoutControls() override;

private:
    int currentActionId() const;
    void showShortcutOf(QGlobalShortCut* shortcut);
    void showWatermarkPath(const QString& path);

    QLabel* m_labSave;
    QLabel* m_labFormat;
    QLabel* m_labShortcut;
    QRZBaseButton* m_btnFolder;
    QRZBaseButton* m_btnFormat;
    QRZComboBox* m_cmbShortcuts;
    QKeyListenerLineEdit* m_editShortcuts;
    QLabel* m_labKey;
    QLabel* m_labWaterMark;
    QRZBaseButton* m_btnWaterMark;
    QWidget* m_conflict;
};
