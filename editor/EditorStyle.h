// The editor's shared dark look: light text on dark greys, Tahoma at fixed pixel sizes,
// image-framed edits and combo boxes and image buttons. Each function styles one
// control in one call; the editor's tabs and dialogs call them while they build their
// controls. Image paths are the application directory followed by "/VEditSource/...".
// Every function does nothing for a null control. GUI thread only.
#pragma once

#include <QColor>
#include <QPalette>
#include <QString>

class QLabel;
class QWidget;
class QCheckboxCombobox;
class QRZBaseButton;
class QRZBaseSlider;
class QRZButtonExtend;
class QRZCheckBox;
class QRZComboBox;
class QRZDoubleSpinBox;
class QRZLineEdit;
class QRZRadioButton;
class QRZScrollBar;

struct EditorColors {
    static QColor text() { return QColor(250, 237, 237); }
    static QColor disabledText() { return QColor(89, 104, 130); }
    static QColor buttonText() { return QColor(217, 106, 114); }
    static QColor panel() { return QColor(55, 53, 53); }
    static QColor control() { return QColor(72, 72, 72); }
    static QColor hover() { return QColor(105, 105, 105); }
    static QColor scrollTrack() { return QColor(69, 68, 68); }
};

// The application directory followed by a path that begins with "/".
QString editorImagePath(const QString& relativePath);

// A copy of the widget's font with the family and pixel size.
void setWidgetFontFamily(QWidget* widget, const QString& family, int pixelSize);
// A copy of the widget's palette with a solid brush of the colour for the role in all
// colour groups.
void setWidgetColor(QWidget* widget, QPalette::ColorRole role, const QColor& color);

// Tahoma at the size, the text, light window text; the fitted variant also makes the
// label exactly as wide as the text in that font (height kept).
void setEditorLabelFitted(QLabel* label, const QString& text, int pixelSize);
void setEditorLabel(QLabel* label, const QString& text, int pixelSize);

// The common text button: nine-patch strip, button-text colours, width x height.
void setEditorButtonStyle(QRZBaseButton* button, int width, int height);
// The common button with a 16 x 16 colour swatch at (5, 3) and the text from x 26.
void setEditorIconButtonStyle(QRZButtonExtend* button, int width, int height);
void setEditorSliderStyle(QRZBaseSlider* slider);
void setEditorRadioStyle(QRZRadioButton* button);
void setEditorCheckBoxStyle(QRZCheckBox* box);
void setEditorComboStyle(QRZComboBox* combo);
void setEditorCheckComboStyle(QCheckboxCombobox* combo);
void setEditorSpinBoxStyle(QRZDoubleSpinBox* spinBox);
// Framed, digits only (at least one not 0), centred, Tahoma 12.
void setEditorLineEditStyle(QRZLineEdit* edit);
void setEditorScrollBarStyle(QRZScrollBar* scrollBar);
