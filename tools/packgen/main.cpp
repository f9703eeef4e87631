// Writes the editor's packs below the folder it is given:
//   /VideoEffects/<pack>/  translucent pictures laid over the whole video
//   /VideoFrames/<pack>/   frames: opaque borders around a transparent middle
//   /AudioEffects/<pack>/  equaliser curves with a playing rate
// Every picture pack holds one picture per common video shape (16:9, 4:3, 1:1, 9:16), so
// the editor can take the one nearest the video's shape, and a 54 x 40 thumbnail (the
// size of the editor's list frames). Each config.xml is written from the same table that
// draws the files it names.
#include <QColor>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QString>
#include <QXmlStreamWriter>

#include <cstdio>
#include <functional>
#include <utility>
#include <vector>

namespace {

const QSize kThumbnailSize(54, 40);
const QColor kAccent(217, 106, 114);

struct Shape {
    const char* tag; // part of the file name
    int width;
    int height;
};

const Shape kShapes[] = {{"16x9", 640, 360}, {"4x3", 640, 480}, {"1x1", 480, 480}, {"9x16", 360, 640}};

// Draws one picture of a pack at the painter's full size.
using Drawing = std::function<void(QPainter&, const QSize&)>;

struct PicturePack {
    QString folder; // folder name below the kind's folder
    QString name;   // display name
    int type;       // the pictures' Type attribute
    Drawing draw;
};

struct SoundPack {
    QString folder;
    QString name;
    std::vector<std::pair<double, double>> points; // hz, dB
    int rate;                                      // percent; 100 writes no Rate element
};

int shortSide(const QSize& size) {
    return qMin(size.width(), size.height());
}

// ---- Effects: translucent over the whole picture ----

void vignette(QPainter& p, const QSize& s) {
    const QPointF centre(s.width() / 2.0, s.height() / 2.0);
    QRadialGradient shade(centre, qMax(s.width(), s.height()) * 0.72);
    shade.setColorAt(0.0, QColor(0, 0, 0, 0));
    shade.setColorAt(0.55, QColor(0, 0, 0, 20));
    shade.setColorAt(1.0, QColor(0, 0, 0, 210));
    p.fillRect(QRect(QPoint(), s), shade);
}

void warmGlow(QPainter& p, const QSize& s) {
    p.fillRect(QRect(QPoint(), s), QColor(255, 140, 40, 60));
    QRadialGradient glow(QPointF(s.width() * 0.8, s.height() * 0.15), shortSide(s) * 0.9);
    glow.setColorAt(0.0, QColor(255, 220, 150, 120));
    glow.setColorAt(1.0, QColor(255, 220, 150, 0));
    p.fillRect(QRect(QPoint(), s), glow);
}

void coolNight(QPainter& p, const QSize& s) {
    QLinearGradient tint(0, 0, 0, s.height());
    tint.setColorAt(0.0, QColor(10, 30, 90, 130));
    tint.setColorAt(1.0, QColor(40, 90, 200, 50));
    p.fillRect(QRect(QPoint(), s), tint);
}

void lightLeak(QPainter& p, const QSize& s) {
    QLinearGradient left(0, 0, s.width() * 0.45, s.height() * 0.3);
    left.setColorAt(0.0, QColor(255, 120, 30, 170));
    left.setColorAt(1.0, QColor(255, 120, 30, 0));
    p.fillRect(QRect(QPoint(), s), left);
    QLinearGradient right(s.width(), s.height(), s.width() * 0.6, s.height() * 0.5);
    right.setColorAt(0.0, QColor(255, 60, 140, 140));
    right.setColorAt(1.0, QColor(255, 60, 140, 0));
    p.fillRect(QRect(QPoint(), s), right);
}

void oldFilm(QPainter& p, const QSize& s) {
    p.fillRect(QRect(QPoint(), s), QColor(112, 66, 20, 70));
    // Scratches at fixed places, so every build writes the same pictures.
    p.setPen(QPen(QColor(255, 250, 230, 110), qMax(1, shortSide(s) / 240)));
    const double places[] = {0.13, 0.41, 0.58, 0.86};
    for (double x : places) {
        p.drawLine(QPointF(s.width() * x, 0), QPointF(s.width() * (x + 0.02), s.height()));
    }
    vignette(p, s);
}

// ---- Frames: borders around a transparent middle ----

void classicGold(QPainter& p, const QSize& s) {
    const int band = qMax(4, shortSide(s) / 16);
    QPainterPath border;
    border.addRect(QRectF(QPointF(), s));
    border.addRect(QRectF(band, band, s.width() - 2 * band, s.height() - 2 * band));
    p.fillPath(border, QColor(212, 175, 55));
    p.setPen(QPen(QColor(90, 60, 10), qMax(1, band / 6)));
    p.drawRect(QRectF(band, band, s.width() - 2 * band, s.height() - 2 * band));
}

void filmStrip(QPainter& p, const QSize& s) {
    const bool landscape = s.width() >= s.height();
    const int along = landscape ? s.width() : s.height();
    const int band = qMax(8, shortSide(s) / 9);
    const QRectF first = landscape ? QRectF(0, 0, s.width(), band) : QRectF(0, 0, band, s.height());
    const QRectF second =
        landscape ? QRectF(0, s.height() - band, s.width(), band) : QRectF(s.width() - band, 0, band, s.height());
    p.fillRect(first, Qt::black);
    p.fillRect(second, Qt::black);
    const double hole = band * 0.45;
    const int holes = qMax(4, int(along / (hole * 2.2)));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(245, 245, 235));
    for (int i = 0; i < holes; ++i) {
        const double at = (i + 0.5) * along / holes - hole / 2;
        for (const QRectF& strip : {first, second}) {
            const QRectF box = landscape ? QRectF(at, strip.top() + (band - hole) / 2, hole, hole)
                                         : QRectF(strip.left() + (band - hole) / 2, at, hole, hole);
            p.drawRoundedRect(box, hole / 5, hole / 5);
        }
    }
}

void roundedCorners(QPainter& p, const QSize& s) {
    const double inset = shortSide(s) / 24.0;
    const double radius = shortSide(s) / 8.0;
    QPainterPath outside;
    outside.addRect(QRectF(QPointF(), s));
    QPainterPath window;
    window.addRoundedRect(QRectF(inset, inset, s.width() - 2 * inset, s.height() - 2 * inset), radius, radius);
    p.fillPath(outside.subtracted(window), QColor(245, 242, 236));
    p.setPen(QPen(kAccent, qMax(2.0, inset / 3)));
    p.setBrush(Qt::NoBrush);
    p.drawPath(window);
}

void instantPhoto(QPainter& p, const QSize& s) {
    const int side = qMax(6, shortSide(s) / 14);
    const int bottom = side * 3;
    QPainterPath border;
    border.addRect(QRectF(QPointF(), s));
    border.addRect(QRectF(side, side, s.width() - 2 * side, s.height() - side - bottom));
    p.fillPath(border, QColor(250, 250, 247));
}

// ---- Thumbnails ----

// A small landscape under the pack's picture, so a translucent effect shows.
QImage thumbnail(const Drawing& draw) {
    QImage image(kThumbnailSize, QImage::Format_ARGB32_Premultiplied);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, image.height());
    sky.setColorAt(0.0, QColor(120, 170, 220));
    sky.setColorAt(1.0, QColor(200, 220, 235));
    p.fillRect(image.rect(), sky);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(80, 140, 70));
    p.drawEllipse(QRectF(-10, 24, 44, 30));
    p.setBrush(QColor(60, 115, 60));
    p.drawEllipse(QRectF(20, 27, 50, 28));
    p.setBrush(QColor(255, 220, 120));
    p.drawEllipse(QRectF(38, 6, 8, 8));
    draw(p, kThumbnailSize);
    return image;
}

// Bars of the curve's gains (or a flat line) and the rate written in the corner.
QImage soundThumbnail(const SoundPack& pack) {
    QImage image(kThumbnailSize, QImage::Format_ARGB32_Premultiplied);
    image.fill(QColor(44, 43, 43));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const int count = int(pack.points.size());
    const double slot = 44.0 / qMax(1, count);
    const double middle = 22.0;
    p.setPen(QPen(QColor(91, 89, 89), 1));
    p.drawLine(QPointF(4, middle), QPointF(50, middle));
    p.setPen(Qt::NoPen);
    p.setBrush(kAccent);
    for (int i = 0; i < count; ++i) {
        const double gain = qBound(-12.0, pack.points[size_t(i)].second, 12.0);
        const double height = gain * 1.4;
        const QRectF bar(5 + i * slot + slot * 0.2, gain >= 0 ? middle - height : middle, slot * 0.6,
                         qMax(1.0, qAbs(height)));
        p.drawRoundedRect(bar, 1, 1);
    }
    if (pack.rate != 100) {
        QFont font(QStringLiteral("Tahoma"));
        font.setPixelSize(10);
        p.setFont(font);
        p.setPen(QColor(250, 237, 237));
        p.drawText(QRectF(0, 28, 52, 12), Qt::AlignRight | Qt::AlignVCenter,
                   QStringLiteral("x%1").arg(pack.rate / 100.0, 0, 'g', 3));
    }
    return image;
}

// ---- Writing ----

bool save(const QImage& image, const QString& path) {
    if (!image.convertToFormat(QImage::Format_ARGB32).save(path, "PNG")) {
        std::fprintf(stderr, "packgen: could not write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

// Makes the pack's folder and opens its description for writing.
bool startPack(const QString& folder, QFile* config) {
    config->setFileName(folder + QStringLiteral("/config.xml"));
    if (!QDir().mkpath(folder) || !config->open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        std::fprintf(stderr, "packgen: could not write %s\n", qPrintable(config->fileName()));
        return false;
    }
    return true;
}

void writeRoot(QXmlStreamWriter& xml, const QString& name) {
    xml.setAutoFormatting(true);
    xml.writeStartDocument();
    xml.writeStartElement(QStringLiteral("EffectPack"));
    xml.writeAttribute(QStringLiteral("APPMinVersion"), QStringLiteral("1"));
    xml.writeAttribute(QStringLiteral("Version"), QStringLiteral("1"));
    xml.writeAttribute(QStringLiteral("Name"), name);
    xml.writeAttribute(QStringLiteral("Thumbnail"), QStringLiteral("thumbnail.png"));
}

bool writePicturePack(const QString& kindFolder, const PicturePack& pack) {
    const QString folder = kindFolder + QLatin1Char('/') + pack.folder;
    QFile file;
    if (!startPack(folder, &file)) {
        return false;
    }
    bool ok = save(thumbnail(pack.draw), folder + QStringLiteral("/thumbnail.png"));
    QXmlStreamWriter xml(&file);
    writeRoot(xml, pack.name);
    xml.writeStartElement(QStringLiteral("FrameInfo"));
    xml.writeAttribute(QStringLiteral("Name"), pack.name);
    for (const Shape& shape : kShapes) {
        const QString fileName = QStringLiteral("%1_%2.png").arg(pack.folder.toLower(), QLatin1String(shape.tag));
        QImage image(shape.width, shape.height, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        {
            QPainter p(&image);
            p.setRenderHint(QPainter::Antialiasing);
            pack.draw(p, image.size());
        }
        ok = save(image, folder + QLatin1Char('/') + fileName) && ok;
        xml.writeEmptyElement(QStringLiteral("Frame"));
        xml.writeAttribute(QStringLiteral("FileName"), fileName);
        xml.writeAttribute(QStringLiteral("Width"), QString::number(shape.width));
        xml.writeAttribute(QStringLiteral("Height"), QString::number(shape.height));
        xml.writeAttribute(QStringLiteral("Type"), QString::number(pack.type));
    }
    xml.writeEndElement();
    xml.writeEndElement();
    xml.writeEndDocument();
    return ok && !xml.hasError();
}

bool writeSoundPack(const QString& kindFolder, const SoundPack& pack) {
    const QString folder = kindFolder + QLatin1Char('/') + pack.folder;
    QFile file;
    if (!startPack(folder, &file)) {
        return false;
    }
    bool ok = save(soundThumbnail(pack), folder + QStringLiteral("/thumbnail.png"));
    QXmlStreamWriter xml(&file);
    writeRoot(xml, pack.name);
    xml.writeStartElement(QStringLiteral("EQ"));
    for (const auto& point : pack.points) {
        xml.writeEmptyElement(QStringLiteral("Point"));
        xml.writeAttribute(QStringLiteral("hz"), QString::number(point.first));
        xml.writeAttribute(QStringLiteral("db"), QString::number(point.second));
    }
    xml.writeEndElement();
    if (pack.rate != 100) {
        xml.writeEmptyElement(QStringLiteral("Rate"));
        xml.writeAttribute(QStringLiteral("Value"), QString::number(pack.rate));
    }
    xml.writeEndElement();
    xml.writeEndDocument();
    return ok && !xml.hasError();
}

} // namespace

int main(int argc, char** argv) {
    // Drawing text needs fonts but no display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s APPLICATION_FOLDER\n", argv[0]);
        return 2;
    }
    const QString root = QString::fromLocal8Bit(argv[1]);

    const PicturePack effects[] = {
        {QStringLiteral("Vignette"), QStringLiteral("Vignette"), 1, vignette},
        {QStringLiteral("WarmGlow"), QStringLiteral("Warm Glow"), 1, warmGlow},
        {QStringLiteral("CoolNight"), QStringLiteral("Cool Night"), 1, coolNight},
        {QStringLiteral("LightLeak"), QStringLiteral("Light Leak"), 1, lightLeak},
        {QStringLiteral("OldFilm"), QStringLiteral("Old Film"), 1, oldFilm},
    };
    const PicturePack frames[] = {
        {QStringLiteral("ClassicGold"), QStringLiteral("Classic Gold"), 2, classicGold},
        {QStringLiteral("FilmStrip"), QStringLiteral("Film Strip"), 2, filmStrip},
        {QStringLiteral("Rounded"), QStringLiteral("Rounded"), 2, roundedCorners},
        {QStringLiteral("InstantPhoto"), QStringLiteral("Instant Photo"), 2, instantPhoto},
    };
    const SoundPack sounds[] = {
        {QStringLiteral("BassBoost"),
         QStringLiteral("Bass Boost"),
         {{31, 6}, {62, 8}, {125, 5}, {250, 2}, {500, 0}},
         100},
        {QStringLiteral("TrebleLift"),
         QStringLiteral("Treble Lift"),
         {{2000, 2}, {4000, 5}, {8000, 7}, {16000, 6}},
         100},
        {QStringLiteral("VoiceClarity"),
         QStringLiteral("Voice Clarity"),
         {{100, -6}, {300, -2}, {1000, 3}, {3000, 4}, {8000, 0}},
         100},
        {QStringLiteral("FastForward"), QStringLiteral("Fast Forward"), {{250, -2}, {4000, 2}}, 150},
        {QStringLiteral("SlowMotion"), QStringLiteral("Slow Motion"), {{120, 3}, {6000, -3}}, 75},
    };

    int written = 0;
    int failures = 0;
    for (const PicturePack& pack : effects) {
        writePicturePack(root + QStringLiteral("/VideoEffects"), pack) ? ++written : ++failures;
    }
    for (const PicturePack& pack : frames) {
        writePicturePack(root + QStringLiteral("/VideoFrames"), pack) ? ++written : ++failures;
    }
    for (const SoundPack& pack : sounds) {
        writeSoundPack(root + QStringLiteral("/AudioEffects"), pack) ? ++written : ++failures;
    }
    std::printf("packgen: %d packs written to %s\n", written, qPrintable(root));
    return failures == 0 ? 0 : 1;
}
