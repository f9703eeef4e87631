// Images of the video editor ("/VEditSource/").
#include "paint_kit.h"

namespace imagegen {
namespace {

QImage inputWell(const QSize& size) {
    QImage image = blank(size);
    QPainter painter(&image);
    prepare(painter);
    painter.setPen(QPen(palette::edge, 1.0));
    painter.setBrush(palette::dark1);
    painter.drawRoundedRect(QRectF(image.rect()).adjusted(0.5, 0.5, -0.5, -0.5), 3, 3);
    return image;
}

// Crop and watermark frame source: 6x6 squares at the corners and edge centres of a
// 28x28 image, and a 16x16 move handle in the middle.
QImage borderLine() {
    QImage image = blank(28, 28);
    QPainter painter(&image);
    prepare(painter);
    const int far = 28 - 6;
    const int mid = (28 - 6) / 2;
    const QPoint squares[] = {{0, 0}, {far, 0}, {0, far}, {far, far}, {mid, 0}, {0, mid}, {far, mid}, {mid, far}};
    for (const QPoint& at : squares) {
        painter.setPen(QPen(palette::dark1, 1.0));
        painter.setBrush(palette::white);
        painter.drawRect(QRectF(at.x() + 0.5, at.y() + 0.5, 5, 5));
    }
    painter.setPen(QPen(palette::white, 1.0));
    painter.setBrush(QColor(217, 106, 114, 200));
    painter.drawEllipse(QRectF(6.5, 6.5, 15, 15));
    painter.setPen(QPen(palette::white, 1.4, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(14, 9.5), QPointF(14, 18.5));
    painter.drawLine(QPointF(9.5, 14), QPointF(18.5, 14));
    return image;
}

// Thumbnail frame strip: nothing, a light outline, an accent outline, a dim outline.
QImage thumbnailFrames() {
    return customStrip(QSize(54, 40), [](QPainter& painter, const QRectF& rect, int state) {
        QColor border = QColor(255, 255, 255, 40);
        double width = 1.0;
        if (state == Hover) {
            border = palette::lightText;
        } else if (state == Pressed) {
            border = palette::accent;
            width = 2.0;
        } else if (state == Disabled) {
            border = QColor(0, 0, 0, 90);
        }
        painter.setPen(QPen(border, width));
        painter.setBrush(Qt::NoBrush);
        const double inset = width / 2.0;
        painter.drawRoundedRect(rect.adjusted(inset, inset, -inset, -inset), 3, 3);
    });
}

// Trim handles: a slim grip in the accent with a notch towards the range.
QImage trimHandle(bool start) {
    return customStrip(QSize(12, 26), [start](QPainter& painter, const QRectF& rect, int state) {
        QColor fill = state == Hover      ? QColor(228, 124, 131)
                      : state == Pressed  ? QColor(190, 88, 96)
                      : state == Disabled ? palette::dimAccent
                                          : palette::accent;
        painter.setPen(Qt::NoPen);
        painter.setBrush(fill);
        const QRectF grip = rect.adjusted(2, 1, -2, -1);
        painter.drawRoundedRect(grip, 3, 3);
        painter.setPen(QPen(palette::white, 1.0));
        const double x = start ? grip.left() + 3.5 : grip.right() - 3.5;
        painter.drawLine(QPointF(x, grip.top() + 6), QPointF(x, grip.bottom() - 6));
    });
}

QImage playHead() {
    return customStrip(QSize(10, 14), [](QPainter& painter, const QRectF& rect, int state) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(state == Disabled ? palette::dimText : (state == Pressed ? palette::accent : palette::white));
        QPolygonF head;
        head << QPointF(rect.left() + 1, rect.top() + 1) << QPointF(rect.right() - 1, rect.top() + 1)
             << QPointF(rect.right() - 1, rect.top() + 8) << QPointF(rect.center().x(), rect.bottom() - 0.5)
             << QPointF(rect.left() + 1, rect.top() + 8);
        painter.drawPolygon(head);
    });
}

QImage transport(const Glyph& glyph) {
    return stateStrip(QSize(28, 28), Look::Flat, glyph, 5.0, 14.0);
}
QImage tool(const Glyph& glyph) {
    return stateStrip(QSize(31, 31), Look::Flat, glyph, 6.0, 4.0);
}
QImage squareButton(const Glyph& glyph) {
    return stateStrip(QSize(40, 40), Look::Filled, glyph, 10.0, 5.0);
}

const Registrar images[] = {
    {"/VEditSource/background.png",
     [] { return panel(QSize(240, 240), 8.0, palette::dark2, palette::edge, 30, palette::dark1); }},
    {"/VEditSource/bg_3.png",
     [] { return panel(QSize(120, 120), 6.0, palette::dark2, palette::edge, 36, palette::dark1); }},
    {"/VEditSource/bg_border_line.png", [] { return borderLine(); }},
    {"/VEditSource/dlg_logo.png", [] { return glyphIcon(22, glyph::logo, palette::accent); }},
    {"/VEditSource/Edit_selections_no.png", [] { return radioBox(16, false); }},
    {"/VEditSource/Edit_selections_yes.png", [] { return radioBox(16, true); }},
    {"/VEditSource/btn_check_off.png", [] { return checkBox(16, false); }},
    {"/VEditSource/btn_check_on.png", [] { return checkBox(16, true); }},
    {"/VEditSource/btn_close.png", [] { return stateStrip(QSize(31, 31), Look::Close, glyph::cross, 8.0, 4.0); }},
    {"/VEditSource/btn_min.png", [] { return tool(glyph::minus); }},
    {"/VEditSource/btn_previous.png", [] { return tool(glyph::skipBack); }},
    {"/VEditSource/btn_next.png", [] { return tool(glyph::skipForward); }},
    {"/VEditSource/btn_common.png", [] { return stateStrip(QSize(36, 24), Look::Filled, Glyph(), 0, 4.0); }},
    {"/VEditSource/tab_btn_bg_image.png", [] { return stateStrip(QSize(40, 25), Look::Tab, Glyph(), 0, 4.0); }},
    {"/VEditSource/btn_family.png", [] { return stateStrip(QSize(31, 23), Look::Filled, glyph::folder, 4.0, 3.0); }},
    {"/VEditSource/btn_text_font.png",
     [] { return stateStrip(QSize(31, 23), Look::Filled, glyph::letterA, 4.0, 3.0); }},
    {"/VEditSource/edit_background.png", [] { return inputWell(QSize(24, 22)); }},
    {"/VEditSource/spinBox_bg.png", [] { return inputWell(QSize(30, 22)); }},
    {"/VEditSource/spinBox_up.png", [] { return glyphStrip(QSize(14, 11), glyph::triangleUp, 2.0); }},
    {"/VEditSource/spinBox_down.png", [] { return glyphStrip(QSize(14, 11), glyph::triangleDown, 2.0); }},
    {"/VEditSource/cbb_trigonometric.png", [] { return glyphStrip(QSize(18, 20), glyph::triangleDown, 5.0); }},
    {"/VEditSource/normal.png", [] { return thumbnailFrames(); }},

    // Transport and trim controls.
    {"/VEditSource/btn_play.png", [] { return transport(glyph::play); }},
    {"/VEditSource/btn_pause.png", [] { return transport(glyph::pause); }},
    {"/VEditSource/btn_Pause.png", [] { return transport(glyph::pause); }},
    {"/VEditSource/btn_stop.png", [] { return transport(glyph::stop); }},
    {"/VEditSource/btn_snapshot.png", [] { return transport(glyph::photo); }},
    {"/VEditSource/btn_snapshot_menu.png",
     [] { return stateStrip(QSize(14, 28), Look::Flat, glyph::chevronDown, 1.0, 4.0); }},
    {"/VEditSource/btn_trim.png", [] { return transport(glyph::scissors); }},
    {"/VEditSource/btn_reset.png", [] { return transport(glyph::resetArrow); }},
    {"/VEditSource/btn_trimstartset.png", [] { return transport(glyph::stepBack); }},
    {"/VEditSource/btn_trimendset.png", [] { return transport(glyph::stepForward); }},
    {"/VEditSource/btn_trimplay.png", [] { return transport(glyph::playRange); }},
    {"/VEditSource/btn_silder_start.png", [] { return trimHandle(true); }},
    {"/VEditSource/btn_silder_end.png", [] { return trimHandle(false); }},
    {"/VEditSource/btn_silder_proess.png", [] { return playHead(); }},
    {"/VEditSource/slider_bottom.png", [] { return sliderGroove(QSize(100, 6), palette::dark1); }},
    {"/VEditSource/slider_top.png", [] { return sliderGroove(QSize(100, 6), palette::accent); }},
    {"/VEditSource/slider_image.png", [] { return sliderHandleStrip(12); }},
    {"/VEditSource/slider_play_bottom.png", [] { return sliderGroove(QSize(100, 4), QColor(255, 255, 255, 50)); }},
    {"/VEditSource/slider_play_top.png", [] { return sliderGroove(QSize(100, 4), palette::accent); }},

    // Adjust and watermark tabs.
    {"/VEditSource/adjust/rotate_L_90.png", [] { return squareButton(glyph::rotateLeft); }},
    {"/VEditSource/adjust/rotate_R_90.png", [] { return squareButton(glyph::rotateRight); }},
    {"/VEditSource/adjust/flip_H.png", [] { return squareButton(glyph::flipHorizontal); }},
    {"/VEditSource/adjust/flip_V.png", [] { return squareButton(glyph::flipVertical); }},
    {"/VEditSource/add_watermark_image.png", [] { return addPictureTile(125); }},
    {"/VEditSource/delete_watermark_image.png",
     [] { return stateStrip(QSize(31, 31), Look::Close, glyph::trash, 7.0, 15.0); }},
};

} // namespace
} // namespace imagegen
