// Images of the recorder window: the main window's background and buttons, the compact
// recording panel, the format chooser and the watermark dialog.
#include "paint_kit.h"

#include <QPainterPath>

namespace imagegen {
namespace {

QImage mainBackground(const QSize& size) {
    return panel(size, 8.0, palette::dark2, palette::edge, 38, palette::dark1);
}

// Four-way move hint drawn in the middle of the capture frame.
QImage moveHint() {
    QImage image = blank(40, 40);
    QPainter painter(&image);
    prepare(painter);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0, 0, 0, 110));
    painter.drawEllipse(QRectF(0, 0, 40, 40));
    painter.setPen(QPen(palette::white, 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawLine(QPointF(20, 8), QPointF(20, 32));
    painter.drawLine(QPointF(8, 20), QPointF(32, 20));
    painter.setPen(Qt::NoPen);
    painter.setBrush(palette::white);
    const QPolygonF heads[] = {
        QPolygonF({QPointF(20, 5), QPointF(16, 10), QPointF(24, 10)}),
        QPolygonF({QPointF(20, 35), QPointF(16, 30), QPointF(24, 30)}),
        QPolygonF({QPointF(5, 20), QPointF(10, 16), QPointF(10, 24)}),
        QPolygonF({QPointF(35, 20), QPointF(30, 16), QPointF(30, 24)}),
    };
    for (const QPolygonF& head : heads) {
        painter.drawPolygon(head);
    }
    return image;
}

QImage recordDisc() {
    QImage image = blank(114, 114);
    QPainter painter(&image);
    prepare(painter);
    painter.setPen(QPen(palette::dark3, 2.0));
    painter.setBrush(palette::dark1);
    painter.drawEllipse(QRectF(3, 3, 108, 108));
    painter.setPen(QPen(QColor(217, 106, 114, 70), 1.0));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(QRectF(12, 12, 90, 90));
    return image;
}

// Big sound-source toggles: a disc with the glyph; on lights the ring in the accent.
QImage sourceToggle(const Glyph& glyph, bool on) {
    const QSize frame(81, 71);
    return customStrip(frame, [&](QPainter& painter, const QRectF& rect, int state) {
        const double side = 56;
        const QRectF disc(rect.center().x() - side / 2, rect.center().y() - side / 2, side, side);
        QColor ring = on ? palette::accent : palette::edge;
        QColor fill = palette::dark1;
        if (state == Hover) {
            fill = palette::dark3;
        } else if (state == Pressed) {
            fill = QColor(47, 46, 46);
        } else if (state == Disabled) {
            ring = palette::dark3;
        }
        painter.setPen(QPen(ring, 2.0));
        painter.setBrush(fill);
        painter.drawEllipse(disc);
        QColor ink = on ? palette::lightText : palette::dimText;
        if (state == Disabled) {
            ink = QColor(95, 92, 92);
        } else if (state == Hover) {
            ink = on ? palette::white : palette::lightText;
        }
        const QRectF glyphBox = disc.adjusted(15, 15, -15, -15);
        glyph(painter, glyphBox, ink);
        if (!on) {
            glyph::slash(painter, glyphBox.adjusted(-2, -2, 2, 2), ink);
        }
    });
}

QImage titleButton(const Glyph& glyph) {
    return stateStrip(QSize(22, 20), Look::Flat, glyph, 4.0, 3.0);
}

QImage conflictMark() {
    QImage image = blank(16, 16);
    QPainter painter(&image);
    prepare(painter);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(214, 160, 74));
    QPainterPath triangle;
    triangle.moveTo(8, 1);
    triangle.lineTo(15.5, 14.5);
    triangle.lineTo(0.5, 14.5);
    triangle.closeSubpath();
    painter.drawPath(triangle);
    glyph::exclamation(painter, QRectF(3, 4, 10, 10), palette::dark1);
    return image;
}

const Registrar images[] = {
    // Main window.
    {"/image/backgroud.png", [] { return mainBackground(QSize(696, 176)); }},
    {"/image/bg_arrow.png", [] { return moveHint(); }},
    {"/image/bg_record.png", [] { return recordDisc(); }},
    {"/image/btn_addArae.png", [] { return stateStrip(QSize(80, 60), Look::Flat, glyph::areaPick, 12.0, 6.0); }},
    {"/image/btn_araeCustom.png", [] { return stateStrip(QSize(17, 18), Look::Filled, glyph::chevronDown, 2.0, 3.0); }},
    {"/image/btn_ratio.png", [] { return stateStrip(QSize(20, 30), Look::Flat, glyph::chain, 2.0, 3.0); }},
    {"/image/btn_video.png", [] { return stateStrip(QSize(30, 30), Look::Flat, glyph::camera, 5.0, 15.0); }},
    {"/image/btn_audio.png", [] { return stateStrip(QSize(30, 30), Look::Flat, glyph::note, 5.0, 15.0); }},
    {"/image/btn_recorder.png", [] { return stateStrip(QSize(56, 56), Look::Accent, glyph::dot, 17.0); }},
    {"/image/btn_history.png", [] { return stateStrip(QSize(24, 21), Look::Flat, glyph::clock, 3.0, 3.0); }},
    {"/image/btn_setting.png", [] { return stateStrip(QSize(24, 21), Look::Flat, glyph::gear, 3.0, 3.0); }},
    {"/image/btn_close.png", [] { return stateStrip(QSize(22, 20), Look::Close, glyph::cross, 4.0, 3.0); }},
    {"/image/btn_min.png", [] { return titleButton(glyph::minus); }},
    {"/image/btn_max.png", [] { return titleButton(glyph::square); }},
    {"/image/btn_restore.png", [] { return titleButton(glyph::restore); }},
    {"/image/btn_meun.png", [] { return titleButton(glyph::menu); }},
    {"/image/btn_mic_on.png", [] { return sourceToggle(glyph::microphone, true); }},
    {"/image/btn_mic_off.png", [] { return sourceToggle(glyph::microphone, false); }},
    {"/image/btn_system_on.png", [] { return sourceToggle(glyph::speaker, true); }},
    {"/image/btn_system_off.png", [] { return sourceToggle(glyph::speaker, false); }},
    {"/image/cmb_add.png", [] { return glyphIcon(20, glyph::plus, palette::lightText); }},
    {"/image/conflicting.png", [] { return conflictMark(); }},

    // Compact recording panel.
    {"/image/record_tool_dlg/backgroud_recording.png",
     [] { return panel(QSize(48, 48), 7.0, palette::dark1, palette::edge); }},
    {"/image/record_tool_dlg/btn_record_pause.png",
     [] { return stateStrip(QSize(24, 24), Look::Flat, glyph::pause, 4.0, 4.0); }},
    {"/image/record_tool_dlg/btn_record_start.png",
     [] { return stateStrip(QSize(24, 24), Look::Flat, glyph::play, 4.0, 4.0); }},
    {"/image/record_tool_dlg/btn_record_stop.png",
     [] { return stateStrip(QSize(24, 24), Look::Flat, glyph::stop, 4.0, 4.0); }},
    {"/image/record_tool_dlg/btn_cut.png",
     [] { return stateStrip(QSize(24, 24), Look::Flat, glyph::scissors, 4.0, 4.0); }},
    {"/image/record_tool_dlg/btn_min_recording.png",
     [] { return stateStrip(QSize(18, 18), Look::Flat, glyph::minus, 3.0, 3.0); }},

    // Format chooser.
    {"/image/Format_Dlg/bg_setting.png", [] { return panel(QSize(60, 60), 6.0, palette::dark3, palette::edge); }},
    {"/image/Format_Dlg/btn_video.png", [] { return stateStrip(QSize(80, 28), Look::Tab, Glyph(), 0, 4.0); }},
    {"/image/Format_Dlg/btn_audio.png", [] { return stateStrip(QSize(80, 28), Look::Tab, Glyph(), 0, 4.0); }},
    {"/image/Format_Dlg/btn_setting.png",
     [] { return stateStrip(QSize(20, 18), Look::Flat, glyph::sliders, 2.0, 3.0); }},

    // Watermark dialog.
    {"/image/EditDlg/btn_add_conver.png", [] { return addPictureTile(125); }},
    {"/image/EditDlg/btn_delete.png", [] { return stateStrip(QSize(20, 20), Look::Close, glyph::cross, 4.0, 10.0); }},
};

} // namespace
} // namespace imagegen
