// Images of the history library and the built-in player.
#include "paint_kit.h"

#include <QFont>
#include <QLinearGradient>

namespace imagegen {
namespace {

QImage levelBackground() {
    QImage image = blank(390, 230);
    QPainter painter(&image);
    prepare(painter);
    QLinearGradient gradient(0, 0, 0, 230);
    gradient.setColorAt(0.0, QColor(40, 39, 39));
    gradient.setColorAt(1.0, QColor(30, 29, 29));
    painter.fillRect(image.rect(), gradient);
    painter.setPen(QPen(QColor(255, 255, 255, 14), 1.0));
    for (int y = 23; y < 230; y += 23) {
        painter.drawLine(QPointF(0, y + 0.5), QPointF(390, y + 0.5));
    }
    glyph::waveform(painter, QRectF(155, 75, 80, 80), QColor(217, 106, 114, 60));
    return image;
}

QImage idlePicture() {
    QImage image = blank(200, 150);
    QPainter painter(&image);
    prepare(painter);
    painter.setPen(QPen(QColor(255, 255, 255, 30), 2.0));
    painter.setBrush(QColor(255, 255, 255, 10));
    painter.drawEllipse(QRectF(60, 35, 80, 80));
    glyph::play(painter, QRectF(78, 53, 44, 44), QColor(250, 237, 237, 90));
    return image;
}

QImage controlBar() {
    QImage image = blank(120, 42);
    QPainter painter(&image);
    prepare(painter);
    painter.setPen(QPen(QColor(255, 255, 255, 24), 1.0));
    painter.setBrush(QColor(30, 29, 29, 215));
    painter.drawRoundedRect(QRectF(0.5, 0.5, 119, 41), 6, 6);
    return image;
}

QImage coverPlaceholder() {
    QImage image = blank(40, 40);
    QPainter painter(&image);
    prepare(painter);
    painter.setPen(Qt::NoPen);
    painter.setBrush(palette::dark1);
    painter.drawRoundedRect(QRectF(0, 0, 40, 40), 4, 4);
    glyph::note(painter, QRectF(10, 10, 20, 20), palette::dimText);
    return image;
}

QImage emptyListLogo() {
    QImage image = blank(72, 72);
    QPainter painter(&image);
    prepare(painter);
    painter.setPen(QPen(palette::dark3, 2.0));
    painter.setBrush(palette::dark1);
    painter.drawRoundedRect(QRectF(4, 12, 64, 48), 6, 6);
    glyph::play(painter, QRectF(22, 22, 28, 28), palette::dimText);
    return image;
}

QImage newBadge() {
    QImage image = blank(28, 14);
    QPainter painter(&image);
    prepare(painter);
    painter.setPen(Qt::NoPen);
    painter.setBrush(palette::accent);
    painter.drawRoundedRect(QRectF(0, 0, 28, 14), 7, 7);
    QFont font(QStringLiteral("Tahoma"));
    font.setPixelSize(9);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(palette::white);
    painter.drawText(QRectF(0, 0, 28, 14), Qt::AlignCenter, QStringLiteral("NEW"));
    return image;
}

QImage cellButton(const Glyph& glyph) {
    return stateStrip(QSize(24, 24), Look::Flat, glyph, 4.0, 4.0);
}
QImage playerButton(const Glyph& glyph) {
    return stateStrip(QSize(26, 26), Look::Flat, glyph, 5.0, 4.0);
}

const Registrar images[] = {
    // History dialog and list.
    {"/image/history_dlg/bg_history.png",
     [] { return panel(QSize(120, 120), 6.0, palette::dark2, palette::edge, 30, palette::dark1); }},
    {"/image/history_dlg/btn_tab.png", [] { return stateStrip(QSize(60, 26), Look::Tab, Glyph(), 0, 4.0); }},
    {"/image/history_dlg/btn_play.png", [] { return cellButton(glyph::play); }},
    {"/image/history_dlg/btn_t.png", [] { return cellButton(glyph::textCursor); }},
    {"/image/history_dlg/btn_sreach.png", [] { return cellButton(glyph::folder); }},
    {"/image/history_dlg/btn_edit.png", [] { return cellButton(glyph::pencil); }},
    {"/image/history_dlg/btn_delete.png", [] { return cellButton(glyph::trash); }},
    {"/image/history_dlg/convert_logo.png", [] { return emptyListLogo(); }},
    {"/image/history_dlg/item_icon.png", [] { return coverPlaceholder(); }},
    {"/image/history_dlg/new_add.png", [] { return newBadge(); }},

    // Built-in player.
    {"/image/PlayDlg/bg_audio.png", [] { return levelBackground(); }},
    {"/image/PlayerImage/bg_audio.png", [] { return levelBackground(); }},
    {"/image/PlayerImage/bg_video.png", [] { return idlePicture(); }},
    {"/image/PlayerImage/bg_play.png", [] { return controlBar(); }},
    {"/image/PlayerImage/btn_play.png", [] { return stateStrip(QSize(30, 30), Look::Flat, glyph::play, 5.0, 15.0); }},
    {"/image/PlayerImage/btn_Pause.png", [] { return stateStrip(QSize(30, 30), Look::Flat, glyph::pause, 5.0, 15.0); }},
    {"/image/PlayerImage/btn_back.png", [] { return playerButton(glyph::stepBack); }},
    {"/image/PlayerImage/btn_fast.png", [] { return playerButton(glyph::stepForward); }},
    {"/image/PlayerImage/btn_previous.png", [] { return playerButton(glyph::skipBack); }},
    {"/image/PlayerImage/btn_next.png", [] { return playerButton(glyph::skipForward); }},
    {"/image/PlayerImage/btn_snapshoot.png", [] { return playerButton(glyph::photo); }},
    {"/image/PlayerImage/btn_Full_Screen.png", [] { return playerButton(glyph::fullScreen); }},
    {"/image/PlayerImage/btn_back_Screen.png", [] { return playerButton(glyph::exitFullScreen); }},
    {"/image/PlayerImage/btn_size_scale.png", [] { return playerButton(glyph::aspect); }},
    {"/image/PlayerImage/btn_size_wh.png", [] { return playerButton(glyph::actualSize); }},
    {"/image/PlayerImage/btn_volume_on.png", [] { return playerButton(glyph::speaker); }},
    {"/image/PlayerImage/btn_volume_off.png", [] { return playerButton(glyph::speakerMuted); }},
    {"/image/PlayerImage/slider_play_bottom.png",
     [] { return sliderGroove(QSize(100, 4), QColor(255, 255, 255, 50)); }},
    {"/image/PlayerImage/slider_play_top.png", [] { return sliderGroove(QSize(100, 4), palette::accent); }},
    {"/image/PlayerImage/volume_bottom.png", [] { return sliderGroove(QSize(60, 4), QColor(255, 255, 255, 50)); }},
    {"/image/PlayerImage/volume_top.png", [] { return sliderGroove(QSize(60, 4), palette::lightText); }},
};

} // namespace
} // namespace imagegen
