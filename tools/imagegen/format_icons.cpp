// Icons of the output formats: "/image/Format/icon_<icon>.png", <icon> being a profile's
// "icon" value in the profile catalogue. The chooser shows them in a 128 x 53 area of its
// tiles and the options page shrinks them to 18 x 20, so they are drawn square at the
// tile's height: a document sheet with a picture or note glyph and the format's name on
// an accent band.
#include "paint_kit.h"
#include "registry.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>

#include <vector>

namespace {

constexpr int kIconSize = 53;

namespace palette = imagegen::palette;
const QColor& kSheet = palette::dark2;
const QColor& kSheetFold = palette::dark1;
const QColor& kOutline = palette::dimText;
const QColor& kAccent = palette::accent;
const QColor& kLightText = palette::lightText;

enum class Kind { Video, Audio };

struct FormatIcon {
    const char* icon;  // the catalogue's "icon" value
    const char* label; // drawn on the band
    Kind kind;
};

const std::vector<FormatIcon> kFormatIcons = {
    {"mp4", "MP4", Kind::Video},   {"mov", "MOV", Kind::Video}, {"mkv", "MKV", Kind::Video},
    {"webm", "WEBM", Kind::Video}, {"avi", "AVI", Kind::Video}, {"flv", "FLV", Kind::Video},
    {"wmv", "WMV", Kind::Video},   {"ts", "TS", Kind::Video},   {"mp3", "MP3", Kind::Audio},
    {"aac", "AAC", Kind::Audio},   {"m4a", "M4A", Kind::Audio}, {"wav", "WAV", Kind::Audio},
    {"flac", "FLAC", Kind::Audio}, {"ogg", "OGG", Kind::Audio}, {"wma", "WMA", Kind::Audio},
};

// A clapper-free film frame with a play triangle.
void drawVideoGlyph(QPainter& painter, const QRectF& area) {
    painter.setPen(Qt::NoPen);
    painter.setBrush(kLightText);
    const QRectF frame(area.center().x() - 12, area.top() + 2, 24, 17);
    QPainterPath outer;
    outer.addRoundedRect(frame, 2.5, 2.5);
    QPainterPath inner;
    inner.addRect(frame.adjusted(2, 2, -2, -2));
    painter.drawPath(outer.subtracted(inner));
    QPolygonF triangle;
    const QPointF c = frame.center();
    triangle << QPointF(c.x() - 3.5, c.y() - 5) << QPointF(c.x() + 5.5, c.y()) << QPointF(c.x() - 3.5, c.y() + 5);
    painter.setBrush(kAccent);
    painter.drawPolygon(triangle);
}

// Two beamed notes.
void drawAudioGlyph(QPainter& painter, const QRectF& area) {
    const qreal left = area.center().x() - 9;
    const qreal top = area.top() + 2;
    painter.setPen(Qt::NoPen);
    painter.setBrush(kLightText);
    painter.drawEllipse(QRectF(left, top + 12, 7, 5.5));
    painter.drawEllipse(QRectF(left + 12, top + 10, 7, 5.5));
    painter.drawRect(QRectF(left + 5.2, top + 2, 1.8, 13));
    painter.drawRect(QRectF(left + 17.2, top, 1.8, 13));
    QPolygonF beam;
    beam << QPointF(left + 5.2, top + 2) << QPointF(left + 19, top) << QPointF(left + 19, top + 3.5)
         << QPointF(left + 5.2, top + 5.5);
    painter.drawPolygon(beam);
}

QImage drawFormatIcon(const FormatIcon& format) {
    QImage image = imagegen::blank(kIconSize, kIconSize);
    QPainter painter(&image);
    imagegen::prepare(painter);
    painter.setRenderHint(QPainter::TextAntialiasing);

    // The sheet with its folded corner.
    const QRectF sheet(7.5, 2.5, 38, 48);
    const qreal fold = 10;
    QPainterPath outline;
    outline.moveTo(sheet.left() + 3, sheet.top());
    outline.lineTo(sheet.right() - fold, sheet.top());
    outline.lineTo(sheet.right(), sheet.top() + fold);
    outline.lineTo(sheet.right(), sheet.bottom() - 3);
    outline.quadTo(sheet.right(), sheet.bottom(), sheet.right() - 3, sheet.bottom());
    outline.lineTo(sheet.left() + 3, sheet.bottom());
    outline.quadTo(sheet.left(), sheet.bottom(), sheet.left(), sheet.bottom() - 3);
    outline.lineTo(sheet.left(), sheet.top() + 3);
    outline.quadTo(sheet.left(), sheet.top(), sheet.left() + 3, sheet.top());
    painter.setPen(QPen(kOutline, 1));
    painter.setBrush(kSheet);
    painter.drawPath(outline);

    QPainterPath corner;
    corner.moveTo(sheet.right() - fold, sheet.top());
    corner.lineTo(sheet.right() - fold, sheet.top() + fold);
    corner.lineTo(sheet.right(), sheet.top() + fold);
    corner.closeSubpath();
    painter.setBrush(kSheetFold);
    painter.drawPath(corner);

    const QRectF glyphArea(sheet.left(), sheet.top() + 9, sheet.width(), 20);
    if (format.kind == Kind::Video)
        drawVideoGlyph(painter, glyphArea);
    else
        drawAudioGlyph(painter, glyphArea);

    // The name band runs across the sheet and a little beyond, like a label.
    const QRectF band(3.5, 32, 46, 14);
    painter.setPen(Qt::NoPen);
    painter.setBrush(kAccent);
    painter.drawRoundedRect(band, 2, 2);

    QFont font("Tahoma");
    font.setPixelSize(11);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(kLightText);
    painter.drawText(band, Qt::AlignCenter, QString::fromLatin1(format.label));
    painter.end();
    return image;
}

struct RegisterFormatIcons {
    RegisterFormatIcons() {
        for (const FormatIcon& format : kFormatIcons) {
            imagegen::registerImage(QStringLiteral("/image/Format/icon_%1.png").arg(QLatin1String(format.icon)),
                                    [format] { return drawFormatIcon(format); });
        }
    }
};

const RegisterFormatIcons registerFormatIcons;

} // namespace
