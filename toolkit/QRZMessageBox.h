// The toolkit's general modal message box, drawn from the images under "/pic/" in the
// application directory: title icon and text, a type icon (warning, success, error), the
// message wrapped to 500 pixels and a row of strip-drawn buttons. Opened through
// QRZMessageBox::showMessage; lives for the call. GUI thread only.
#pragma once

#include "toolkit/QRZDialog.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QList>
#include <QMargins>
#include <QPalette>
#include <QStringList>

#include <functional>

class QRZBaseButton;

// The look of one box, filled at its construction (and passed to the style hook).
struct QRZMessageBoxStyle {
    QString okText = QStringLiteral("OK");
    QString cancelText = QStringLiteral("Cancel");
    QString yesText = QStringLiteral("Yes");
    QString noText = QStringLiteral("No");
    QFont buttonFont;
    QColor buttonTextColors[4];
    int buttonRowMargin = 20;
    int buttonSpacing = 15;
    QPalette palette;
    QFont titleFont;
    QFont textFont;
    int titleBandHeight = 30;
    int bottomBandHeight = 50;
    QMargins margins;
    int reserved1 = -1;
    int reserved2 = -1;
    // Added to the icon's centred top (negative moves it down by that much).
    int iconOffset = 0;
};

// Whether the window `widget` belongs to stays above the other windows: by its own
// stay-on-top flag, or because the window manager keeps it above (a state the window
// asked the window manager for, which its flags do not show). GUI thread only.
bool isKeptAboveOthers(const QWidget* widget);

// Tells the user, in an error box over `parent`, that something could not be saved.
void tellNotSaved(QWidget* parent, const QString& what);
// Tells the user, in an error box over `parent`, that a folder they chose cannot be written.
void tellFolderNotWritable(QWidget* parent, const QString& folder);
// The same, once the event being handled is done (a save inside a click, an edit's
// change or a constructor); the same text asked for again before then is shown once.
void tellNotSavedLater(QWidget* parent, const QString& what);

using QRZMessageBoxStyleHook = std::function<void(QRZMessageBoxStyle&)>;
// One process-wide hook that receives each new box's style before the box applies it.
void setMessageBoxStyleHook(QRZMessageBoxStyleHook hook);

class QRZMessageBox : public QRZDialog {
    Q_OBJECT
public:
    // Types: 1 warning, 3 success, 4 error; others show no icon.
    enum Type { Warning = 1, Success = 3, Error = 4 };
    // Button sets: 1 "OK", 2 the Cancel text, 4 "Yes" then "No"; others none.
    enum Buttons { OkButton = 1, CancelButton = 2, YesNoButtons = 4 };
    // Result codes (the standard button values).
    enum Result {
        ResultOk = 0x400,
        ResultYes = 0x4000,
        ResultNo = 0x10000,
        ResultCancel = 0x400000,
        ResultClose = 0x200000
    };

    explicit QRZMessageBox(QWidget* parent = nullptr);
    ~QRZMessageBox() override;

    // Runs a box modally; returns the result code, 0 when closed otherwise. An empty
    // title keeps the product title; a parent kept above the others (isKeptAboveOthers)
    // makes the box stay on top.
    static int showMessage(QWidget* parent, const QString& text, const QString& title, int type, int buttons);

    void setMessageTitle(const QString& title);
    void setType(int type);
    void setText(const QString& text);
    QString text() const;
    QString wrappedText() const;
    void addButtons(int buttons);
    QRZBaseButton* addButton(const QString& text, int resultCode);
    QList<QRZBaseButton*> actionButtons() const;
    QRZBaseButton* closeButton() const;
    QRect textRect() const;
    QRect iconRect() const;
    const QRZMessageBoxStyle& style() const;

    // Splits `text` at "\n" and wraps each paragraph to `maxWidth` in the font: words are
    // added while the line fits; a word wider than the width alone is cut at the last
    // character that fits.
    static QStringList wrapText(const QString& text, const QFont& font, int maxWidth);

public slots:
    void OnBtnClose();
    void OnBtnDone();

protected:
    void relayout() override;
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void sizeToContent();
    struct Private;
    Private* d;
};
