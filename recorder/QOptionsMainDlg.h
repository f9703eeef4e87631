// The options panel under the main window: the basic, time and cursor pages side by
// side and a Reset button. Every change on a page takes effect at once (recording
// settings, settings record, hotkeys and the settings file); there is no OK step.
// GUI thread only.
#pragma once

#include "toolkit/QRZWidget.h"

class QRZBaseButton;
class QBasicOptions;
class QTimeOptions;
class QCursorOptions;

// Common look of the three option pages: dark background, accent title at (12, 5).
class QBaseOptionsWgt : public QRZWidget {
    Q_OBJECT
public:
    explicit QBaseOptionsWgt(QWidget* parent = nullptr);
    ~QBaseOptionsWgt() override;

protected:
    // Each page places its controls here (after every show and resize).
    void relayout() override;
    virtual void layoutControls() {}
    // Puts `label` left of `control` (5 pixels apart), vertically centred on it.
    static void placeLabelLeftOf(QWidget* label, const QWidget* control);
    // Stores a setting of the page (writeSettingValue). When it could not be saved the
    // user is told, once the change has been handled; false then.
    bool storeSetting(const QString& section, const QString& key, const QString& value);
    // Tells the user as storeSetting does when `saved` is false; returns `saved`.
    bool checkSaved(bool saved);
};

class QOptionsMainDlg : public QRZWidget {
    Q_OBJECT
public:
    explicit QOptionsMainDlg(QWidget* parent = nullptr);
    ~QOptionsMainDlg() override;

    QBasicOptions* basicOptions() const { return m_basic; }
    QTimeOptions* timeOptions() const { return m_time; }
    QCursorOptions* cursorOptions() const { return m_cursor; }

public slots:
    // Resets the basic, time and cursor pages, in this order.
    void OnReset();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QRZBaseButton* m_btnReset;
    QBasicOptions* m_basic;
    QTimeOptions* m_time;
    QCursorOptions* m_cursor;
};
