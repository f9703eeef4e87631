#include "toolkit/StyleHelpers.h"

#include "app/AppGlobals.h"
#include "toolkit/QBaseDrawWidget.h"
#include "toolkit/QRZBaseProgress.h"
#include "toolkit/QRZButton.h"
#include "toolkit/QRZCheckBox.h"
#include "toolkit/QRZComboBox.h"
#include "toolkit/QRZLineEdit.h"
#include "toolkit/QRZMenu.h"
#include "toolkit/QRZRadioButton.h"
#include "toolkit/QRZScrollBar.h"
#include "toolkit/QRZSpinBox.h"
#include "toolkit/QRZTextEdit.h"

#include <QTextEdit>
#include <QWidget>

namespace {

constexpr int kDialogBackgroundCut = 50;
const char* const kWindowTitle = "Calvorine Screen Recorder";

void setPaletteColorAllGroups(QPalette& palette, QPalette::ColorRole role, const QColor& color) {
    for (int group = 0; group < QPalette::NColorGroups; ++group) {
        palette.setBrush(QPalette::ColorGroup(group), role, color);
    }
}

// Light text in all groups (and the active one), dim text when disabled.
void applyBoxTextPalette(QWidget* widget) {
    QPalette palette = widget->palette();
    setPaletteColorAllGroups(palette, QPalette::WindowText, ToolkitColors::lightText());
    palette.setColor(QPalette::Active, QPalette::WindowText, ToolkitColors::lightText());
    palette.setColor(QPalette::Disabled, QPalette::WindowText, ToolkitColors::dimText());
    widget->setPalette(palette);
}

void setDisabledTextDim(QWidget* widget) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Disabled, QPalette::Text, ToolkitColors::dimText());
    widget->setPalette(palette);
}

void setTahoma(QWidget* widget, int pixelSize) {
    QFont font(QStringLiteral("Tahoma"));
    font.setPixelSize(pixelSize);
    widget->setFont(font);
}

void setCutValues(QBaseDrawWidget* window, int cut) {
    window->setBackgroundMargins(cut, cut, cut, cut, cut, cut, cut, cut);
}

} // namespace

QString toolkitImagePath(const QString& relativePath) {
    return getAppDirPath() + relativePath;
}

void setWidgetTextColor(QWidget* widget, QPalette::ColorRole role, const QColor& color) {
    if (widget == nullptr) {
        return;
    }
    QPalette palette = widget->palette();
    setPaletteColorAllGroups(palette, role, color);
    palette.setColor(QPalette::Disabled, QPalette::WindowText, ToolkitColors::dimText());
    widget->setPalette(palette);
}

void setLightWindowText(QWidget* widget) {
    if (widget == nullptr) {
        return;
    }
    QPalette palette;
    setPaletteColorAllGroups(palette, QPalette::WindowText, ToolkitColors::lightText());
    widget->setPalette(palette);
}

void styleHistoryList(QBaseDrawWidget* window) {
    if (window == nullptr) {
        return;
    }
    window->setResizeFlags(0);
    window->setBackgroundColor(ToolkitColors::dark3());
}

void applyDialogTitleLook(QBaseDrawWidget* window) {
    if (window == nullptr || window->drawOwner() == nullptr) {
        return;
    }
    QWidget* owner = window->drawOwner();
    owner->setAttribute(Qt::WA_TranslucentBackground, true);
    owner->setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    owner->setWindowTitle(QString::fromLatin1(kWindowTitle));
    window->setTitleImage(toolkitImagePath(QStringLiteral("/image/common/dlg_logo.png")));
    const QRect logo = window->titleImageRect();
    window->setTitleImageRect(QRect(18, 13, logo.width(), logo.height()));
    window->setTitleAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    window->setTitleTextRect(QRect(QPoint(43, 8), QPoint(42, 37)));
    setLightWindowText(owner);
    window->setTitleHeight(38);
    window->setResizeFlags(0);
    setTahoma(owner, 12);
    setCutValues(window, kDialogBackgroundCut);
}

void setDialogBackground1(QBaseDrawWidget* window) {
    if (window == nullptr) {
        return;
    }
    window->loadBackgroundImage(toolkitImagePath(QStringLiteral("/image/common/bg_1.png")), true);
    applyDialogTitleLook(window);
}

void setDialogBackground2(QBaseDrawWidget* window) {
    if (window == nullptr) {
        return;
    }
    window->loadBackgroundImage(toolkitImagePath(QStringLiteral("/image/common/bg_2.png")), true);
    applyDialogTitleLook(window);
}

void styleHistoryDialog(QBaseDrawWidget* window) {
    if (window == nullptr || window->drawOwner() == nullptr) {
        return;
    }
    QWidget* owner = window->drawOwner();
    window->loadBackgroundImage(toolkitImagePath(QStringLiteral("/image/history_dlg/bg_history.png")), true);
    owner->setAttribute(Qt::WA_TranslucentBackground, false);
    owner->setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    window->setTitleImage(toolkitImagePath(QStringLiteral("/image/common/dlg_logo.png")));
    const QRect logo = window->titleImageRect();
    window->setTitleImageRect(QRect(10, 5, logo.width(), logo.height()));
    window->setTitleAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    window->setTitleTextRect(QRect(QPoint(35, 0), QPoint(34, 29)));
    setLightWindowText(owner);
    window->setTitleHeight(30);
    window->setResizeFlags(0);
    setTahoma(owner, 12);
    setCutValues(window, kDialogBackgroundCut);
}

void styleMenu(QRZMenu* menu) {
    if (menu == nullptr) {
        return;
    }
    menu->setStyleValue(1);
    menu->setBackgroundColor(ToolkitColors::dark1());
    menu->setStyleColor2(ToolkitColors::dark2());
    menu->setItemBackgroundColor(ToolkitColors::dark2());
    menu->setTextColor(ToolkitColors::lightText());
    menu->setStyleColor5(ToolkitColors::accent());
    menu->setStyleColor8(ToolkitColors::dimText());
    menu->setStyleColor7(ToolkitColors::dark2());
    menu->setSeparatorColor(ToolkitColors::dark3());
}

void styleComboBoxColors(QRZComboBox* combo) {
    if (combo == nullptr) {
        return;
    }
    combo->setTextColor(ToolkitColors::lightText());
    combo->setItemHeight(20);
    combo->setPopupBorder(1, ToolkitColors::dark1());
    combo->setItemBackgroundColor(ToolkitColors::dark2());
    combo->setItemSelectedColor(ToolkitColors::accent());
    combo->setItemTextColor(ToolkitColors::lightText());
    QFont rowFont = combo->font();
    rowFont.setPixelSize(12);
    combo->setItemFont(rowFont);
    // Through the combo's own font setter, so that its face and rows follow.
    QFont faceFont = combo->font();
    faceFont.setFamily(QStringLiteral("Tahoma"));
    faceFont.setPixelSize(12);
    combo->setFont(faceFont);
    setWidgetTextColor(combo, QPalette::WindowText, ToolkitColors::lightText());
}

void styleComboBox(QRZComboBox* combo, int width, int height) {
    if (combo == nullptr) {
        return;
    }
    combo->setFrameImage(toolkitImagePath(QStringLiteral("/image/common/cmb_common.png")));
    combo->setArrowImage(toolkitImagePath(QStringLiteral("/image/common/btn_arrow.png")), true);
    combo->setFrameStates(true);
    // Sized first: the arrow's centred position is worked out once from the height.
    combo->resize(width, height);
    combo->setArrowMargins(0, 0);
    combo->setArrowPos(width - 13, -1);
    combo->setTextMargins(4, 0, 17, 1);
    styleComboBoxColors(combo);
}

void styleComboBoxFlat(QRZComboBox* combo, int width, int height) {
    if (combo == nullptr) {
        return;
    }
    combo->setFrameImage(toolkitImagePath(QStringLiteral("/image/common/cmb_common.png")));
    combo->setFrameStates(true);
    combo->resize(width, height);
    combo->setTextAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    styleComboBoxColors(combo);
    // After the common colours, which set one colour for every state: a disabled face
    // keeps its dim text.
    const QColor light = ToolkitColors::lightText();
    combo->setTextColors(light, light, light, ToolkitColors::dimText());
    combo->setMaxVisibleItems(20);
}

void styleScrollBar(QRZScrollBar* scrollBar) {
    if (scrollBar == nullptr) {
        return;
    }
    QRZScrollBar::StyleRecord record;
    record.grooveColor = ToolkitColors::scrollDark();
    record.hoverGrooveColor = ToolkitColors::scrollDark();
    record.alwaysShowArrows = 1;
    record.colors[QRZScrollBar::ButtonBackground] = ToolkitColors::scrollMid();
    record.colors[QRZScrollBar::HandleNormal] = ToolkitColors::scrollMid();
    record.colors[QRZScrollBar::ArrowNormal] = ToolkitColors::scrollDark();
    record.colors[QRZScrollBar::HandlePressed] = ToolkitColors::scrollLight();
    record.colors[QRZScrollBar::HandleHover] = ToolkitColors::scrollLight();
    scrollBar->setStyleData(record);
}

void styleSlider(QRZBaseSlider* slider) {
    if (slider == nullptr) {
        return;
    }
    slider->setProgressType(QRZBaseProgress::HorizontalBar);
    slider->setBackgroundImage(toolkitImagePath(QStringLiteral("/image/common/slider_bottom.png")));
    slider->setChunkImage(toolkitImagePath(QStringLiteral("/image/common/slider_top.png")));
    slider->setHandleImage(toolkitImagePath(QStringLiteral("/image/common/slider_image.png")));
    // Keeps the handle inside the widget at both ends of the groove.
    slider->setHandleMargins(4, 4);
    slider->setTextFormat(QString());
}

void styleSearchEdit(QRZLineEdit* edit) {
    if (edit == nullptr) {
        return;
    }
    edit->setFrameImage(toolkitImagePath(QStringLiteral("/image/common/search.png")));
    edit->setExtraImage(toolkitImagePath(QStringLiteral("/image/common/search_ico.png")));
    edit->setExtraImageRect(QRect(5, -1, 0, 0));
    edit->QLineEdit::setTextMargins(22, 0, 0, 0);
    setWidgetFont(edit, 11);
    setWidgetTextColor(edit, QPalette::Text, ToolkitColors::lightText());
    edit->resize(175, 20);
}

void styleTabButton(QRZBaseButton* button) {
    if (button == nullptr) {
        return;
    }
    button->setImage(toolkitImagePath(QStringLiteral("/image/history_dlg/btn_tab.png")), true);
    const QColor light = ToolkitColors::lightText();
    button->setTextColors(light, light, light, ToolkitColors::dimAccent());
    button->setCheckable(true);
    setWidgetFont(button, 12);
}

namespace {
void styleCommonButtonWith(QRZBaseButton* button, const QString& relativePath, int width, int height) {
    if (button == nullptr) {
        return;
    }
    button->setImage(toolkitImagePath(relativePath), true);
    const QColor accent = ToolkitColors::accent();
    button->setTextColors(accent, accent, accent, ToolkitColors::dimAccent());
    button->resize(width, height);
    setWidgetFont(button, 12);
}
} // namespace

void styleCommonButton(QRZBaseButton* button, int width, int height) {
    styleCommonButtonWith(button, QStringLiteral("/image/common/btn_common.png"), width, height);
}

void styleCommonButton1(QRZBaseButton* button, int width, int height) {
    styleCommonButtonWith(button, QStringLiteral("/image/common/btn_common1.png"), width, height);
}

void styleSelectionCheckBox(QRZRadioButton* button) {
    if (button == nullptr) {
        return;
    }
    button->setImageMode(toolkitImagePath(QStringLiteral("/image/common/Edit_selections_yes.png")),
                         toolkitImagePath(QStringLiteral("/image/common/Edit_selections_no.png")), false, false);
    setWidgetFont(button, 12);
    applyBoxTextPalette(button);
}

void styleSelectionCheckBox(QRZCheckBox* box) {
    if (box == nullptr) {
        return;
    }
    box->setBoxImages(toolkitImagePath(QStringLiteral("/image/common/Edit_selections_yes.png")),
                      toolkitImagePath(QStringLiteral("/image/common/Edit_selections_no.png")), QString(), false);
    setWidgetFont(box, 12);
    applyBoxTextPalette(box);
}

void styleCheckBox(QRZCheckBox* box) {
    if (box == nullptr) {
        return;
    }
    box->setBoxImages(toolkitImagePath(QStringLiteral("/image/common/btn_check_on.png")),
                      toolkitImagePath(QStringLiteral("/image/common/btn_check_off.png")), QString(), false);
    setWidgetFont(box, 12);
    applyBoxTextPalette(box);
}

void styleLineEdit(QRZLineEdit* edit, int width, int height) {
    if (edit == nullptr) {
        return;
    }
    edit->setFrameImage(toolkitImagePath(QStringLiteral("/image/common/edit.png")));
    edit->resize(width, height);
    edit->QLineEdit::setTextMargins(4, 0, 0, 0);
    setWidgetFont(edit, 11);
    setWidgetTextColor(edit, QPalette::Text, ToolkitColors::lightText());
    setDisabledTextDim(edit);
}

void styleTextEdit(QRZTextEdit* edit) {
    if (edit == nullptr) {
        return;
    }
    edit->setFrameImage(toolkitImagePath(QStringLiteral("/image/common/edit.png")));
    edit->setTextMargins(1, 2, 2, 1);
    QTextEdit* inner = edit->textEdit();
    inner->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setWidgetFont(inner, 11);
    setWidgetTextColor(inner, QPalette::Text, ToolkitColors::lightText());
}

void styleTimeEdit(QRZTimeEdit* edit, int width, int height) {
    if (edit == nullptr) {
        return;
    }
    edit->setFrameImage(toolkitImagePath(QStringLiteral("/image/common/edit.png")));
    edit->setButtonImages(toolkitImagePath(QStringLiteral("/image/common/time_edit_arrow_up.png")),
                          toolkitImagePath(QStringLiteral("/image/common/time_edit_arrow_down.png")));
    edit->setDisplayFormat(QStringLiteral("hh:mm:ss"));
    edit->resize(width, height);
    edit->setTextMargins(2, 0, 0, 0);
    setWidgetFont(edit, 11);
    setWidgetTextColor(edit, QPalette::Text, ToolkitColors::lightText());
    setDisabledTextDim(edit);
}

bool setBoxImages(QRZBaseBoxDraw* button, const QString& unchecked, const QString& checked, const QString& partial) {
    if (button == nullptr) {
        return false;
    }
    return button->setBoxImages(checked, unchecked, partial, false);
}
