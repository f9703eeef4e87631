// Cursor highlight and click pictures ("/Cursor/Hightlight/<n>.png", "/Cursor/Click/<n>.png").
// The recorder draws a highlight under the cursor and animates a click picture (it turns
// once a second, grows and fades), so click pictures carry marks that show the turn.
#include "paint_kit.h"

#include <QRadialGradient>
#include <QtMath>

namespace imagegen {
namespace {

constexpr int kSide = 48;

QColor tone(int r, int g, int b, int a = 255) {
    return QColor(r, g, b, a);
}

QImage clickRing(const QColor& color, int marks, bool dashed, bool doubleRing) {
    QImage image = blank(kSide, kSide);
    QPainter painter(&image);
    prepare(painter);
    QPen pen(color, 3.0, dashed ? Qt::DashLine : Qt::SolidLine, Qt::RoundCap);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(QRectF(6, 6, 36, 36));
    if (doubleRing) {
        painter.setPen(QPen(color, 1.5));
        painter.drawEllipse(QRectF(13, 13, 22, 22));
    }
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    for (int i = 0; i < marks; ++i) {
        const double a = qDegreesToRadians(360.0 * i / marks - 90.0);
        painter.drawEllipse(QPointF(24 + 21 * std::cos(a), 24 + 21 * std::sin(a)), 2.6, 2.6);
    }
    return image;
}

QImage clickArcs(const QColor& color) {
    QImage image = blank(kSide, kSide);
    QPainter painter(&image);
    prepare(painter);
    painter.setPen(QPen(color, 3.5, Qt::SolidLine, Qt::RoundCap));
    for (int i = 0; i < 3; ++i) {
        painter.drawArc(QRectF(6, 6, 36, 36), (i * 120 + 10) * 16, 80 * 16);
    }
    painter.setPen(QPen(color, 2.0, Qt::SolidLine, Qt::RoundCap));
    for (int i = 0; i < 3; ++i) {
        painter.drawArc(QRectF(14, 14, 20, 20), (i * 120 + 70) * 16, 60 * 16);
    }
    return image;
}

QImage highlightDisc(const QColor& color) {
    QImage image = blank(kSide, kSide);
    QPainter painter(&image);
    prepare(painter);
    QColor edge = color;
    edge.setAlpha(std::min(255, color.alpha() + 90));
    painter.setPen(QPen(edge, 1.5));
    painter.setBrush(color);
    painter.drawEllipse(QRectF(2, 2, 44, 44));
    return image;
}

// A glow whose centre sits at 40% of the picture, so the part right and below of the
// cursor carries most of it.
QImage highlightGlow(const QColor& color) {
    QImage image = blank(kSide, kSide);
    QPainter painter(&image);
    prepare(painter);
    const QPointF centre(kSide * 0.4, kSide * 0.4);
    QRadialGradient gradient(centre, kSide * 0.6);
    QColor inner = color;
    QColor outer = color;
    outer.setAlpha(0);
    gradient.setColorAt(0.0, inner);
    gradient.setColorAt(0.55, QColor(color.red(), color.green(), color.blue(), color.alpha() / 2));
    gradient.setColorAt(1.0, outer);
    painter.setPen(Qt::NoPen);
    painter.setBrush(gradient);
    painter.drawRect(image.rect());
    return image;
}

const Registrar images[] = {
    {"/Cursor/Click/1.png", [] { return clickRing(palette::accent, 0, false, false); }},
    {"/Cursor/Click/2.png", [] { return clickRing(palette::accent, 4, false, true); }},
    {"/Cursor/Click/3.png", [] { return clickRing(tone(255, 204, 64), 0, true, false); }},
    {"/Cursor/Click/4.png", [] { return clickRing(tone(255, 204, 64), 3, false, false); }},
    {"/Cursor/Click/5.png", [] { return clickRing(tone(80, 170, 255), 6, false, false); }},
    {"/Cursor/Click/6.png", [] { return clickArcs(tone(80, 170, 255)); }},
    {"/Cursor/Click/7.png", [] { return clickArcs(tone(110, 210, 130)); }},

    {"/Cursor/Hightlight/1.png", [] { return highlightDisc(tone(255, 221, 64, 110)); }},
    {"/Cursor/Hightlight/2.png", [] { return highlightDisc(tone(217, 106, 114, 110)); }},
    {"/Cursor/Hightlight/3.png", [] { return highlightDisc(tone(80, 170, 255, 110)); }},
    {"/Cursor/Hightlight/4.png", [] { return highlightDisc(tone(110, 210, 130, 110)); }},
    {"/Cursor/Hightlight/5.png", [] { return highlightGlow(tone(255, 221, 64, 170)); }},
    {"/Cursor/Hightlight/6.png", [] { return highlightGlow(tone(217, 106, 114, 170)); }},
    {"/Cursor/Hightlight/7.png", [] { return highlightGlow(tone(80, 170, 255, 170)); }},
};

} // namespace
} // namespace imagegen
