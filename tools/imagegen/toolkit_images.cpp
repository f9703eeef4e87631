// Images of the common controls and message boxes: "/image/common/", "/pic/" and the
// vertical level sliders of the input panel.
#include "paint_kit.h"

#include <QPainterPath>

namespace imagegen {
namespace {

// Text-input frame (edits, combo faces): dark well with a border that lights up.
QImage inputFrame(const QSize& size, int state, double radius = 3.0) {
    QImage image = blank(size);
    QPainter painter(&image);
    prepare(painter);
    QColor border = palette::edge;
    QColor fill = palette::dark1;
    if (state == Hover) {
        border = palette::edgeLight;
    } else if (state == Pressed) {
        border = palette::accent;
    } else if (state == Disabled) {
        border = palette::dark3;
        fill = QColor(58, 57, 57);
    }
    painter.setPen(QPen(border, 1.0));
    painter.setBrush(fill);
    painter.drawRoundedRect(QRectF(image.rect()).adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);
    return image;
}

QImage inputStrip(const QSize& frame) {
    return customStrip(frame, [frame](QPainter& painter, const QRectF& rect, int state) {
        painter.drawImage(rect.topLeft(), inputFrame(frame, state));
    });
}

QImage textButtonStrip(const QSize& frame) {
    return stateStrip(frame, Look::Filled, Glyph(), 0, 4.0);
}

// Dialog background: title band over the body, 1-pixel border, rounded corners.
QImage dialogBackground(const QSize& size, int titleBand) {
    return panel(size, 6.0, palette::dark2, palette::edge, titleBand, palette::dark1);
}

// Message-box background. The boxes lay out their title band and content inside an
// 8-pixel margin all round (the box's shadow), the title band being the 30 rows below
// that margin: the panel is drawn there, so that the title, its icon and the close button
// sit in the middle of the band, and the text in the middle of the body.
QImage messageBackground() {
    const int margin = 8;
    const int titleBand = 30;
    QImage image = blank(120, 120);
    QPainter painter(&image);
    prepare(painter);
    painter.setBrush(Qt::NoBrush);
    for (int ring = 0; ring < margin; ++ring) {
        painter.setPen(QPen(QColor(0, 0, 0, 4 + ring * 4), 1.0));
        painter.drawRoundedRect(QRectF(image.rect()).adjusted(ring + 0.5, ring + 0.5, -ring - 0.5, -ring - 0.5),
                                6.0 + margin - ring, 6.0 + margin - ring);
    }
    const QSize panelSize = image.size() - QSize(2 * margin, 2 * margin);
    painter.drawImage(margin, margin, panel(panelSize, 6.0, palette::dark2, palette::edge, titleBand, palette::dark1));
    return image;
}

QImage messageIcon(const QColor& disc, const Glyph& glyph) {
    QImage image = blank(32, 32);
    QPainter painter(&image);
    prepare(painter);
    painter.setPen(Qt::NoPen);
    painter.setBrush(disc);
    painter.drawEllipse(QRectF(1, 1, 30, 30));
    glyph(painter, QRectF(6, 6, 20, 20), palette::white);
    return image;
}

// Background of the self-closing tooltip box, drawn as nine parts with margins of 20 over
// a window 40 px larger than its text box, whose text is centred 40 px from the window's
// top: the panel leaves the top 10 rows clear, so that the text lies in its middle. Black
// text reads on its light fill.
QImage tipBackground() {
    const int clearRows = 10;
    QImage image = blank(60, 60 + clearRows);
    QPainter painter(&image);
    painter.drawImage(0, clearRows, panel(QSize(60, 60), 5.0, palette::lightText, palette::accent));
    return image;
}

QImage verticalGroove(const QColor& color) {
    return sliderGroove(QSize(6, 80), color);
}

const Registrar images[] = {
    {"/image/common/Edit_selections_no.png", [] { return radioBox(16, false); }},
    {"/image/common/Edit_selections_yes.png", [] { return radioBox(16, true); }},
    {"/image/common/btn_check_off.png", [] { return checkBox(16, false); }},
    {"/image/common/btn_check_on.png", [] { return checkBox(16, true); }},
    {"/image/common/bg_1.png", [] { return dialogBackground(QSize(120, 120), 38); }},
    {"/image/common/bg_2.png", [] { return dialogBackground(QSize(120, 120), 38); }},
    {"/image/common/btn_arrow.png", [] { return glyphStrip(QSize(9, 6), glyph::triangleDown); }},
    {"/image/common/btn_common.png", [] { return textButtonStrip(QSize(36, 24)); }},
    {"/image/common/btn_common1.png", [] { return textButtonStrip(QSize(40, 24)); }},
    {"/image/common/btn_common2.png", [] { return textButtonStrip(QSize(48, 24)); }},
    {"/image/common/btn_prefer.png", [] { return stateStrip(QSize(87, 21), Look::Tab, Glyph(), 0, 3.0); }},
    {"/image/common/cmb_common.png", [] { return inputStrip(QSize(40, 22)); }},
    {"/image/common/edit.png", [] { return inputFrame(QSize(24, 24), Normal); }},
    {"/image/common/search.png", [] { return inputFrame(QSize(36, 20), Normal, 6.0); }},
    {"/image/common/search_ico.png", [] { return glyphIcon(12, glyph::magnifier, palette::dimText); }},
    {"/image/common/dlg_logo.png", [] { return glyphIcon(20, glyph::logo, palette::accent); }},
    {"/image/common/no_title_logo.png", [] { return glyphIcon(128, glyph::logo, palette::accent); }},
    {"/image/common/ico_folder.png", [] { return glyphIcon(16, glyph::folder, palette::lightText); }},
    {"/image/common/ico_watermark.png", [] { return glyphIcon(16, glyph::droplet, palette::lightText); }},
    {"/image/common/rect.png", tipBackground},
    {"/image/common/slider_bottom.png", [] { return sliderGroove(QSize(100, 4), palette::edge); }},
    {"/image/common/slider_top.png", [] { return sliderGroove(QSize(100, 4), palette::accent); }},
    {"/image/common/slider_image.png", [] { return sliderHandleStrip(12); }},
    {"/image/common/time_edit_arrow_up.png", [] { return glyphStrip(QSize(12, 9), glyph::triangleUp, 1.0); }},
    {"/image/common/time_edit_arrow_down.png", [] { return glyphStrip(QSize(12, 9), glyph::triangleDown, 1.0); }},

    // Input panel's vertical level sliders.
    {"/image/slider_bottom.png", [] { return verticalGroove(palette::edge); }},
    {"/image/slider_top.png", [] { return verticalGroove(palette::accent); }},
    {"/image/slider_btn.png", [] { return sliderHandleStrip(12); }},

    // Message boxes.
    {"/pic/bg_msg.png", messageBackground},
    {"/pic/btn_close.png", [] { return stateStrip(QSize(22, 20), Look::Close, glyph::cross, 4.0, 3.0); }},
    {"/pic/btn_common.png", [] { return textButtonStrip(QSize(36, 25)); }},
    {"/pic/msg_title_icon.png", [] { return glyphIcon(16, glyph::logo, palette::accent); }},
    {"/pic/Success.png", [] { return messageIcon(QColor(88, 166, 112), glyph::check); }},
    {"/pic/error.png", [] { return messageIcon(palette::accent, glyph::cross); }},
    {"/pic/warning.png", [] { return messageIcon(QColor(214, 160, 74), glyph::exclamation); }},
};

} // namespace
} // namespace imagegen
