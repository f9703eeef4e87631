// Free functions that give one standard widget at a time the program's look: the common
// "Tahoma" font, the dark palette with light text and the images of the toolkit widgets.
// Forms call them after setupUi. Each does nothing for a null widget, only calls the
// widget's own setters and keeps no state. Image paths are the application directory
// (getAppDirPath) followed by a relative path. GUI thread only.
#pragma once

#include <QColor>
#include <QPalette>
#include <QString>

class QWidget;
class QBaseDrawWidget;
class QRZBaseBoxDraw;
class QRZBaseButton;
class QRZBaseSlider;
class QRZCheckBox;
class QRZComboBox;
class QRZLineEdit;
class QRZMenu;
class QRZRadioButton;
class QRZScrollBar;
class QRZTextEdit;
class QRZTimeEdit;

// The colours of the dark look, used by every window of the program.
struct ToolkitColors {
    static QColor lightText() { return QColor(250, 237, 237); } // normal text, titles
    static QColor dimText() { return QColor(131, 127, 127); }   // disabled text
    static QColor accent() { return QColor(217, 106, 114); }    // selection, button text
    static QColor dimAccent() { return QColor(146, 98, 103); }  // disabled button text
    static QColor dark1() { return QColor(54, 53, 53); }        // menu background, popup border
    static QColor dark2() { return QColor(65, 64, 64); }        // menu and combo rows
    static QColor dark3() { return QColor(74, 72, 72); }        // flat list background, separators
    static QColor scrollDark() { return QColor(57, 55, 55); }
    static QColor scrollMid() { return QColor(91, 89, 89); }
    static QColor scrollLight() { return QColor(102, 101, 101); }
    static QColor messageDisabledText() { return QColor(119, 115, 115); }
};

// A copy of the widget's font with family "Tahoma" and the pixel size; other attributes
// (weight, style) are kept. The application core's own (app/Utilities.h), named here
// for the toolkit's callers.
void setWidgetFont(QWidget* widget, int pixelSize);
// The role's brush becomes the colour in all colour groups; disabled window text becomes
// the dim text colour.
void setWidgetTextColor(QWidget* widget, QPalette::ColorRole role, const QColor& color);
// A fresh default palette whose window text (all groups) is the light text colour.
void setLightWindowText(QWidget* widget);

// Window looks (the argument is the drawing base of a toolkit window).
void styleHistoryList(QBaseDrawWidget* window);
void applyDialogTitleLook(QBaseDrawWidget* window);
void setDialogBackground1(QBaseDrawWidget* window);
void setDialogBackground2(QBaseDrawWidget* window);
void styleHistoryDialog(QBaseDrawWidget* window);

// Controls.
void styleMenu(QRZMenu* menu);
void styleSlider(QRZBaseSlider* slider);
void styleComboBoxColors(QRZComboBox* combo);
void styleComboBox(QRZComboBox* combo, int width, int height);
void styleComboBoxFlat(QRZComboBox* combo, int width, int height);
void styleSearchEdit(QRZLineEdit* edit);
void styleScrollBar(QRZScrollBar* scrollBar);
void styleTabButton(QRZBaseButton* button);
void styleCommonButton(QRZBaseButton* button, int width, int height);
void styleCommonButton1(QRZBaseButton* button, int width, int height);
void styleSelectionCheckBox(QRZRadioButton* button);
void styleSelectionCheckBox(QRZCheckBox* box);
void styleCheckBox(QRZCheckBox* box);
void styleLineEdit(QRZLineEdit* edit, int width, int height);
void styleTextEdit(QRZTextEdit* edit);
void styleTimeEdit(QRZTimeEdit* edit, int width, int height);

// Box images of a box-drawn button from full paths, in the order (unchecked, checked,
// partial); an empty partial path gives no partial image. Whole images (not split into
// enabled and disabled halves). False (nothing changed) when either main image is
// missing or does not decode.
bool setBoxImages(QRZBaseBoxDraw* button, const QString& unchecked, const QString& checked, const QString& partial);

// The application directory followed by a relative path ("/image/...").
QString toolkitImagePath(const QString& relativePath);
