#include "editor/EditorStyle.h"

#include "app/AppGlobals.h"
#include "toolkit/QRZBaseProgress.h"
#include "toolkit/QRZButton.h"
#include "toolkit/QRZCheckBox.h"
#include "toolkit/QRZComboBox.h"
#include "toolkit/QRZLineEdit.h"
#include "toolkit/QRZRadioButton.h"
#include "toolkit/QRZScrollBar.h"
#include "toolkit/QRZSpinBox.h"
#include "toolkit/StyleHelpers.h"

#include <QFontMetrics>
#include <QLabel>

#include <algorithm>
#include <iterator>

namespace {

const QString kTahoma = QStringLiteral("Tahoma");

QFont tahoma(int pixelSize) {
    QFont font(kTahoma);
    font.setPixelSize(pixelSize);
    return font;
}

// Light window text in every group, the disabled text colour when disabled.
void setBoxTextColours(QWidget* widget) {
    QPalette palette = widget->palette();
    for (int group = 0; group < QPalette::NColorGroups; ++group) {
        palette.setBrush(QPalette::ColorGroup(group), QPalette::WindowText, EditorColors::text());
    }
    palette.setBrush(QPalette::Active, QPalette::WindowText, EditorColors::text());
    palette.setBrush(QPalette::Disabled, QPalette::WindowText, EditorColors::disabledText());
    widget->setPalette(palette);
}

} // namespace

QString editorImagePath(const QString& relativePath) {
    return getAppDirPath() + relativePath;
}

void setWidgetFontFamily(QWidget* widget, const QString& family, int pixelSize) {
    if (!widget) {
        return;
    }
    QFont font = widget->font();
    font.setFamily(family);
    font.setPixelSize(pixelSize);
    widget->setFont(font);
}

void setWidgetColor(QWidget* widget, QPalette::ColorRole role, const QColor& color) {
    if (!widget) {
        return;
    }
    QPalette palette = widget->palette();
    for (int group = 0; group < QPalette::NColorGroups; ++group) {
        palette.setBrush(QPalette::ColorGroup(group), role, QBrush(color, Qt::SolidPattern));
    }
    widget->setPalette(palette);
}

void setEditorLabel(QLabel* label, const QString& text, int pixelSize) {
    if (!label) {
        return;
    }
    setWidgetFontFamily(label, kTahoma, pixelSize);
    label->setText(text);
    setWidgetColor(label, QPalette::WindowText, EditorColors::text());
}

void setEditorLabelFitted(QLabel* label, const QString& text, int pixelSize) {
    if (!label) {
        return;
    }
    setEditorLabel(label, text, pixelSize);
    label->resize(QFontMetrics(label->font()).horizontalAdvance(text), label->height());
}

void setEditorButtonStyle(QRZBaseButton* button, int width, int height) {
    if (!button) {
        return;
    }
    button->setImage(editorImagePath(QStringLiteral("/VEditSource/btn_common.png")), true);
    button->setTextColors(EditorColors::buttonText(), EditorColors::buttonText(), EditorColors::buttonText(),
                          EditorColors::control());
    button->resize(width, height);
    setWidgetFontFamily(button, kTahoma, 12);
}

void setEditorIconButtonStyle(QRZButtonExtend* button, int width, int height) {
    if (!button) {
        return;
    }
    setEditorButtonStyle(button, width, height);
    button->setFillRect(QRect(QPoint(5, 3), QPoint(20, 18)));
    button->setTextRect(QRect(QPoint(26, 0), QPoint(68, 21)));
}

void setEditorSliderStyle(QRZBaseSlider* slider) {
    if (!slider) {
        return;
    }
    slider->setProgressType(QRZBaseProgress::HorizontalBar);
    slider->setBackgroundImage(editorImagePath(QStringLiteral("/VEditSource/slider_bottom.png")));
    slider->setChunkImage(editorImagePath(QStringLiteral("/VEditSource/slider_top.png")));
    slider->setHandleImage(editorImagePath(QStringLiteral("/VEditSource/slider_image.png")));
    slider->setHandleSize(0, 0);
    slider->setHandleOffset(-4);
    slider->setTextFormat(QString());
}

void setEditorRadioStyle(QRZRadioButton* button) {
    if (!button) {
        return;
    }
    // Box look: the checked image first, then the unchecked one.
    button->setImageMode(editorImagePath(QStringLiteral("/VEditSource/Edit_selections_yes.png")),
                         editorImagePath(QStringLiteral("/VEditSource/Edit_selections_no.png")), false, false);
    setWidgetFontFamily(button, kTahoma, 12);
    setBoxTextColours(button);
}

void setEditorCheckBoxStyle(QRZCheckBox* box) {
    if (!box) {
        return;
    }
    setBoxImages(box, editorImagePath(QStringLiteral("/VEditSource/btn_check_off.png")),
                 editorImagePath(QStringLiteral("/VEditSource/btn_check_on.png")), QString());
    setWidgetFontFamily(box, kTahoma, 12);
    setBoxTextColours(box);
}

void setEditorComboStyle(QRZComboBox* combo) {
    if (!combo) {
        return;
    }
    combo->setFrameImage(editorImagePath(QStringLiteral("/VEditSource/edit_background.png")));
    combo->setArrowImage(editorImagePath(QStringLiteral("/VEditSource/cbb_trigonometric.png")));
    combo->setTextMargins(5, 0, 22, 0);
    combo->setMaxVisibleItems(16);
    combo->setTextColor(EditorColors::text());
    combo->setPopupBorder(1, EditorColors::panel());
    combo->setItemBackgroundColor(EditorColors::control());
    combo->setItemSelectedColor(EditorColors::panel());
    combo->setItemTextColor(EditorColors::text());
    combo->setPopupMargins(5, 0, 0, 0);
    combo->setFont(tahoma(11));
}

void setEditorCheckComboStyle(QCheckboxCombobox* combo) {
    if (!combo) {
        return;
    }
    combo->setFrameImage(editorImagePath(QStringLiteral("/VEditSource/edit_background.png")));
    combo->setArrowImage(editorImagePath(QStringLiteral("/VEditSource/cbb_trigonometric.png")));
    combo->setItemHoverColor(EditorColors::hover());
    combo->setItemSelectedColor(EditorColors::panel());
    combo->setBoxImages(editorImagePath(QStringLiteral("/VEditSource/btn_check_off.png")),
                        editorImagePath(QStringLiteral("/VEditSource/btn_check_on.png")));
    combo->setExtraImageStates(true);
    combo->setTextMargins(5, 0, 22, 0);
    combo->setTextColor(EditorColors::text());
    combo->setPopupBorder(1, EditorColors::panel());
    combo->setItemBackgroundColor(EditorColors::control());
    combo->setItemTextColor(EditorColors::text());
    combo->setFont(tahoma(11));
    combo->setItemSize(2, -1);
    combo->setPopupMargins(18, 1, 1, 1);
    combo->setMaxVisibleItems(20);
    combo->setItemColor(EditorColors::panel());
    combo->setTextColors(EditorColors::text(), EditorColors::text(), EditorColors::text(),
                         EditorColors::disabledText());
}

void setEditorSpinBoxStyle(QRZDoubleSpinBox* spinBox) {
    if (!spinBox) {
        return;
    }
    spinBox->setFrameImage(editorImagePath(QStringLiteral("/VEditSource/spinBox_bg.png")));
    spinBox->setButtonImages(editorImagePath(QStringLiteral("/VEditSource/spinBox_up.png")),
                             editorImagePath(QStringLiteral("/VEditSource/spinBox_down.png")));
    spinBox->resize(78, 22);
    spinBox->setTextMargins(3, 0, 0, 0);
    setWidgetColor(spinBox, QPalette::Text, EditorColors::text());
}

void setEditorLineEditStyle(QRZLineEdit* edit) {
    if (!edit) {
        return;
    }
    edit->setFrameImage(editorImagePath(QStringLiteral("/VEditSource/edit_background.png")));
    edit->setPositiveIntegerValidator();
    edit->setAlignment(Qt::AlignCenter);
    setWidgetFontFamily(edit, kTahoma, 12);
    // Through the edit's own setter, which also keeps the colour for focused text.
    QPalette palette = edit->palette();
    for (int group = 0; group < QPalette::NColorGroups; ++group) {
        palette.setBrush(QPalette::ColorGroup(group), QPalette::Text, EditorColors::text());
    }
    edit->setPalette(palette);
}

void setEditorScrollBarStyle(QRZScrollBar* scrollBar) {
    if (!scrollBar) {
        return;
    }
    QRZScrollBar::StyleRecord record = scrollBar->styleData();
    record.grooveColor = EditorColors::control();
    record.hoverGrooveColor = EditorColors::control();
    record.alwaysShowArrows = 1;
    const QColor stops[8] = {EditorColors::control(),     EditorColors::panel(), EditorColors::panel(),
                             EditorColors::scrollTrack(), record.colors[4],      EditorColors::panel(),
                             EditorColors::panel(),       EditorColors::panel()};
    std::copy(std::begin(stops), std::end(stops), std::begin(record.colors));
    record.handleInset = 1;
    scrollBar->setStyleData(record);
}
