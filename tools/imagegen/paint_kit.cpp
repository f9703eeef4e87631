#include "paint_kit.h"

#include <QPainterPath>
#include <QtMath>

#include <algorithm>

namespace imagegen {

QImage blank(int width, int height) {
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

QImage blank(const QSize& size) {
    return blank(size.width(), size.height());
}

void prepare(QPainter& painter) {
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
}

QImage glyphIcon(int side, const Glyph& glyph, const QColor& ink, double inset) {
    QImage image = blank(side, side);
    QPainter painter(&image);
    prepare(painter);
    glyph(painter, QRectF(inset, inset, side - 2 * inset, side - 2 * inset), ink);
    return image;
}

QColor iconInk(int state) {
    switch (state) {
    case Hover:
        return palette::white;
    case Pressed:
        return palette::accent;
    case Disabled:
        return palette::dimText;
    default:
        return palette::lightText;
    }
}

namespace {
QColor withAlpha(QColor color, int alpha) {
    color.setAlpha(alpha);
    return color;
}
// Fill and border of the raised faces (the filled and round looks) in each state.
void raisedFace(int state, QColor* fill, QColor* border) {
    *fill = palette::dark3;
    *border = palette::edge;
    if (state == Hover) {
        *fill = QColor(86, 83, 83);
        *border = palette::accent;
    } else if (state == Pressed) {
        *fill = palette::dark1;
        *border = palette::accent;
    } else if (state == Disabled) {
        *fill = QColor(62, 61, 61);
        *border = QColor(72, 70, 70);
    }
}
} // namespace

void paintLook(QPainter& painter, const QRectF& frame, Look look, int state, double radius) {
    painter.save();
    const QRectF inner = frame.adjusted(0.5, 0.5, -0.5, -0.5);
    switch (look) {
    case Look::Flat:
        painter.setPen(Qt::NoPen);
        if (state == Hover) {
            painter.setBrush(withAlpha(palette::white, 28));
            painter.drawRoundedRect(inner, radius, radius);
        } else if (state == Pressed) {
            painter.setBrush(withAlpha(palette::accent, 60));
            painter.drawRoundedRect(inner, radius, radius);
        }
        break;
    case Look::Close:
        painter.setPen(Qt::NoPen);
        if (state == Hover) {
            painter.setBrush(palette::accent);
            painter.drawRoundedRect(inner, radius, radius);
        } else if (state == Pressed) {
            painter.setBrush(palette::dimAccent);
            painter.drawRoundedRect(inner, radius, radius);
        }
        break;
    case Look::Filled: {
        QColor fill;
        QColor border;
        raisedFace(state, &fill, &border);
        painter.setPen(QPen(border, 1.0));
        painter.setBrush(fill);
        painter.drawRoundedRect(inner, radius, radius);
        break;
    }
    case Look::Accent: {
        QColor fill = palette::accent;
        if (state == Hover) {
            fill = QColor(228, 124, 131);
        } else if (state == Pressed) {
            fill = QColor(190, 88, 96);
        } else if (state == Disabled) {
            fill = palette::dimAccent;
        }
        painter.setPen(Qt::NoPen);
        painter.setBrush(fill);
        painter.drawEllipse(inner.adjusted(1, 1, -1, -1));
        break;
    }
    case Look::Round: {
        QColor fill;
        QColor border;
        raisedFace(state, &fill, &border);
        if (state == Disabled) {
            border = palette::edge; // a disabled round button keeps its plain edge
        }
        painter.setPen(QPen(border, 1.5));
        painter.setBrush(fill);
        painter.drawEllipse(inner.adjusted(1, 1, -1, -1));
        break;
    }
    case Look::Tab: {
        painter.setPen(Qt::NoPen);
        if (state == Hover) {
            painter.setBrush(palette::dark3);
            painter.drawRoundedRect(inner, radius, radius);
        } else if (state == Pressed) {
            painter.setBrush(palette::dark3);
            painter.drawRoundedRect(inner, radius, radius);
            painter.setBrush(palette::accent);
            painter.drawRect(QRectF(inner.left() + radius, inner.bottom() - 2, inner.width() - 2 * radius, 2));
        } else {
            painter.setBrush(state == Disabled ? QColor(58, 57, 57) : palette::dark2);
            painter.drawRoundedRect(inner, radius, radius);
        }
        break;
    }
    }
    painter.restore();
}

QImage customStrip(const QSize& frame, const std::function<void(QPainter&, const QRectF&, int)>& drawFrame) {
    QImage image = blank(frame.width() * 4, frame.height());
    QPainter painter(&image);
    prepare(painter);
    for (int state = 0; state < 4; ++state) {
        const QRectF rect(state * frame.width(), 0, frame.width(), frame.height());
        painter.save();
        painter.setClipRect(rect);
        drawFrame(painter, rect, state);
        painter.restore();
    }
    return image;
}

QImage stateStrip(const QSize& frame, Look look, const Glyph& glyph, double glyphInset, double radius) {
    return customStrip(frame, [&](QPainter& painter, const QRectF& rect, int state) {
        paintLook(painter, rect, look, state, radius);
        if (!glyph) {
            return;
        }
        QColor ink = iconInk(state);
        if (look == Look::Accent || (look == Look::Close && (state == Hover || state == Pressed))) {
            ink = state == Disabled ? palette::dimText : palette::white;
        }
        glyph(painter, rect.adjusted(glyphInset, glyphInset, -glyphInset, -glyphInset), ink);
    });
}

QImage glyphStrip(const QSize& frame, const Glyph& glyph, double glyphInset) {
    return customStrip(frame, [&](QPainter& painter, const QRectF& rect, int state) {
        glyph(painter, rect.adjusted(glyphInset, glyphInset, -glyphInset, -glyphInset), iconInk(state));
    });
}

QImage panel(const QSize& size, double radius, const QColor& fill, const QColor& border, int titleBand,
             const QColor& titleFill) {
    QImage image = blank(size);
    QPainter painter(&image);
    prepare(painter);
    const QRectF rect = QRectF(image.rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    QPainterPath outline;
    outline.addRoundedRect(rect, radius, radius);
    painter.fillPath(outline, fill);
    if (titleBand > 0 && titleFill.isValid()) {
        painter.save();
        painter.setClipPath(outline);
        painter.fillRect(QRectF(0, 0, size.width(), titleBand), titleFill);
        painter.restore();
    }
    if (border.isValid() && border.alpha() > 0) {
        painter.setPen(QPen(border, 1.0));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(outline);
    }
    return image;
}

QImage checkBox(int side, bool checked) {
    QImage image = blank(side, side);
    QPainter painter(&image);
    prepare(painter);
    const QRectF rect(1, 1, side - 2, side - 2);
    if (checked) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(palette::accent);
        painter.drawRoundedRect(rect, 3, 3);
        glyph::check(painter, rect.adjusted(1.5, 1.5, -1.5, -1.5), palette::white);
    } else {
        painter.setPen(QPen(palette::edgeLight, 1.2));
        painter.setBrush(palette::dark1);
        painter.drawRoundedRect(rect.adjusted(0.5, 0.5, -0.5, -0.5), 3, 3);
    }
    return image;
}

QImage radioBox(int side, bool checked) {
    QImage image = blank(side, side);
    QPainter painter(&image);
    prepare(painter);
    const QRectF rect(1, 1, side - 2, side - 2);
    painter.setPen(QPen(checked ? palette::accent : palette::edgeLight, 1.3));
    painter.setBrush(palette::dark1);
    painter.drawEllipse(rect.adjusted(0.5, 0.5, -0.5, -0.5));
    if (checked) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(palette::accent);
        const double inset = side * 0.28;
        painter.drawEllipse(rect.adjusted(inset, inset, -inset, -inset));
    }
    return image;
}

QImage sliderGroove(const QSize& size, const QColor& color) {
    QImage image = blank(size);
    QPainter painter(&image);
    prepare(painter);
    const double radius = std::min(size.width(), size.height()) / 2.0;
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    painter.drawRoundedRect(QRectF(image.rect()), radius, radius);
    return image;
}

QImage sliderHandleStrip(int side) {
    return customStrip(QSize(side, side), [side](QPainter& painter, const QRectF& rect, int state) {
        QColor ring = palette::accent;
        QColor fill = palette::lightText;
        if (state == Hover) {
            fill = palette::white;
        } else if (state == Pressed) {
            fill = palette::accent;
            ring = palette::white;
        } else if (state == Disabled) {
            fill = palette::dimText;
            ring = palette::edge;
        }
        const double inset = side >= 12 ? 1.0 : 0.5;
        painter.setPen(QPen(ring, side >= 12 ? 2.0 : 1.0));
        painter.setBrush(fill);
        painter.drawEllipse(rect.adjusted(inset + 0.5, inset + 0.5, -inset - 0.5, -inset - 0.5));
    });
}

QImage addPictureTile(int side) {
    const QSize frame(side, side);
    return customStrip(frame, [](QPainter& painter, const QRectF& rect, int state) {
        QColor border = state == Hover || state == Pressed ? palette::accent : palette::edge;
        if (state == Disabled) {
            border = palette::dark3;
        }
        painter.setPen(Qt::NoPen);
        painter.setBrush(state == Pressed ? palette::deep : palette::dark1);
        painter.drawRoundedRect(rect.adjusted(1, 1, -1, -1), 6, 6);
        painter.setPen(QPen(border, 1.5, Qt::DashLine));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(rect.adjusted(4, 4, -4, -4), 5, 5);
        const QColor ink = iconInk(state == Pressed ? Hover : state);
        glyph::photo(painter, QRectF(rect.center().x() - 22, rect.center().y() - 26, 44, 44), ink);
        glyph::plus(painter, QRectF(rect.center().x() - 10, rect.center().y() + 16, 20, 20), palette::accent);
    });
}

// ---------------------------------------------------------------------------------------
// Glyphs, designed on a 24 by 24 grid and scaled into the box (aspect kept, centred).

namespace glyph {
namespace {

class Canvas {
public:
    Canvas(QPainter& painter, const QRectF& box, const QColor& ink) : m_painter(painter), m_ink(ink) {
        const double side = std::min(box.width(), box.height());
        m_painter.save();
        m_painter.translate(box.center().x() - side / 2, box.center().y() - side / 2);
        m_painter.scale(side / 24.0, side / 24.0);
        // Thin boxes keep strokes at least about one pixel wide.
        const double pixel = 24.0 / std::max(side, 1.0);
        m_stroke = std::max(2.0, 1.2 * pixel);
        stroke();
    }
    ~Canvas() { m_painter.restore(); }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    QPainter& p() { return m_painter; }
    void stroke(double scale = 1.0) {
        m_painter.setPen(QPen(m_ink, m_stroke * scale, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        m_painter.setBrush(Qt::NoBrush);
    }
    void fill() {
        m_painter.setPen(Qt::NoPen);
        m_painter.setBrush(m_ink);
    }
    QColor ink() const { return m_ink; }
    double strokeWidth() const { return m_stroke; }

private:
    QPainter& m_painter;
    QColor m_ink;
    double m_stroke = 2.0;
};

QPolygonF poly(std::initializer_list<QPointF> points) {
    return QPolygonF(QVector<QPointF>(points));
}

// Glyphs that come in pairs, each the mirror image of the other on the 24-unit grid, are
// drawn once with their points passed through one of these.
class Mirror {
public:
    enum Kind { Same, LeftRight, TopBottom, Diagonal };
    Mirror(Kind kind) : m_kind(kind) {}

    QPointF operator()(double x, double y) const {
        switch (m_kind) {
        case LeftRight:
            return QPointF(24 - x, y);
        case TopBottom:
            return QPointF(x, 24 - y);
        case Diagonal:
            return QPointF(y, x);
        case Same:
            break;
        }
        return QPointF(x, y);
    }
    QPolygonF poly(std::initializer_list<QPointF> points) const {
        QPolygonF result;
        for (const QPointF& point : points) {
            result << (*this)(point.x(), point.y());
        }
        return result;
    }
    QRectF rect(const QRectF& r) const {
        return QRectF((*this)(r.left(), r.top()), (*this)(r.right(), r.bottom())).normalized();
    }

private:
    Kind m_kind;
};

void arrowHead(Canvas& c, QPointF tip, double angleDegrees, double size) {
    const double a = qDegreesToRadians(angleDegrees);
    const QPointF back(tip.x() - size * std::cos(a), tip.y() - size * std::sin(a));
    const QPointF side(-std::sin(a) * size * 0.6, std::cos(a) * size * 0.6);
    c.fill();
    c.p().drawPolygon(poly({tip, back + side, back - side}));
    c.stroke();
}

} // namespace

void cross(QPainter& p, const QRectF& box, const QColor& ink) {
    Canvas c(p, box, ink);
    c.stroke(1.1);
    c.p().drawLine(QPointF(6, 6), QPointF(18, 18));
    c.p().drawLine(QPointF(18, 6), QPointF(6, 18));
}

void minus(QPainter& p, const QRectF& box, const QColor& ink) {
    Canvas c(p, box, ink);
    c.p().drawLine(QPointF(5, 12), QPointF(19, 12));
}

void square(QPainter& p, const QRectF& box, const QColor& ink) {
    Canvas c(p, box, ink);
    c.p().drawRoundedRect(QRectF(5, 5, 14, 14), 1.5, 1.5);
}

void restore(QPainter& p, const QRectF& box, const QColor& ink) {
    Canvas c(p, box, ink);
    c.p().drawRoundedRect(QRectF(4, 8, 12, 12), 1.5, 1.5);
    c.p().drawPolyline(poly({{8, 8}, {8, 4}, {20, 4}, {20, 16}, {16, 16}}));
}

void menu(QPainter& p, const QRectF& box, const QColor& ink) {
    Canvas c(p, box, ink);
    for (double y : {6.0, 12.0, 18.0}) {
        c.p().drawLine(QPointF(5, y), QPointF(19, y));
    }
}

void clock(QPainter& p, const QRectF& box, const QColor& ink) {
    Canvas c(p, box, ink);
    c.p().drawEllipse(QPointF(12, 12), 9, 9);
    c.p().drawPolyline(poly({{12, 7}, {12, 12}, {16, 14.5}}));
}

void gear(QPainter& p, const QRectF& box, const QColor& ink) {
    Canvas c(p, box, ink);
    QPainterPath teeth;
    for (int i = 0; i < 8; ++i) {
        const double a = qDegreesToRadians(i * 45.0);
        const QPointF centre(12 + 8.2 * std::cos(a), 12 + 8.2 * std::sin(a));
        teeth.addEllipse(centre, 2.2, 2.2);
    }
    QPainterPath ring;
    ring.addEllipse(QPointF(12, 12), 7.5, 7.5);
    QPainterPath hole;
    hole.addEllipse(QPointF(12, 12), 3.2, 3.2);
    c.fill();
    c.p().drawPath(ring.united(teeth).subtracted(hole));
}

void dot(QPainter& p, const QRectF& box, const QColor& ink) {
    Canvas c(p, box, ink);
    c.fill();
    c.p().drawEllipse(QPointF(12, 12), 8, 8);
}

void pause(QPainter& p, const QRectF& box, const QColor& ink) {
    Canvas c(p, box, ink);
    c.fill();
    c.p().drawRoundedRect(QRectF(6, 5, 4.2, 14), 1.2, 1.2);
    c.p().drawRoundedRect(QRectF(13.8, 5, 4.2, 14), 1.2, 1.2);
}

void stop(QPainter& p, const QRectF& box, const QColor& ink) {
    Canvas c(p, box, ink);
    c.fill();
    c.p().drawRoundedRect(QRectF(6, 6, 12, 12), 2, 2);
}

void play(QPainter& p, const QRectF& box, const QColor& ink) {
    Canvas c(p, box, ink);
    c.fill();
    QPainterPath path;
    path.addPolygon(poly({{8, 5}, {19, 12}, {8, 19}}));
    path.closeSubpath();
    c.p().drawPath(path);
}

void scissors(QPainter& p, const QRectF& box, const QColor& ink) {
    Canvas c(p, box, ink);
    c.p().drawEllipse(QPointF(7, 17), 3, 3);
    c.p().drawEllipse(QPointF(17, 17), 3, 3);
    c.p().drawLine(QPointF(9, 15), QPointF(18, 4));
    c.p().drawLine(QPointF(15, 15), QPointF(6, 4));
}

void microphone(QPainter& p, const QRectF& box, const QColor& ink) {
    Canvas c(p, box, ink);
    c.p().drawRoundedRect(QRectF(9, 3, 6, 11), 3, 3);
    QPainterPath cup;
    cup.moveTo(6, 11);
    cup.cubicTo(6, 18, 18, 18, 18, 11);
    c.p().drawPath(cup);
    c.p().drawLine(QPointF(12, 17), QPointF(12, 21));
    c.p().drawLine(QPointF(9, 21), QPointF(15, 21));
}

void speaker(QPainter& p, const QRectF& box, const QColor& ink) {
    Canvas c(p, box, ink);
    c.fill();
    c.p().drawPolygon(poly({{3, 9}, {7, 9}, {12, 4.5}, {12, 19.5}, {7, 15}, {3, 15}}));
    c.stroke();
    c.p().drawArc(QRectF(9, 8, 8, 8), -60 * 16, 120 * 16);
    c.p().drawArc(QRectF(8, 4.5, 14, 15), -60 * 16, 120 * 16);
}

void speakerMuted(QPainter& p, const QRectF& box, const QColor& ink) {
    Canvas c(p, box, ink);
    c.fill();
    c.p().drawPolygon(poly({{3, 9}, {7, 9}, {12, 4.5}, {12, 19.5}, {7, 15}, {3, 15}}));
    c.stroke();
    c.p().drawLine(QPointF(15, 9), QPointF(21, 15));
    c.p().drawLine(QPointF(21, 9), QPointF(15, 15));
}

void slash(QPainter& p, const QRectF& box, const QColor& ink) {
    Canvas c(p, box, ink);
    c.stroke(1.1);
    c.p().drawLine(QPointF(4, 4), QPointF(20, 20));
}

void camera(QPainter& p, const QRectF& box, const QColor& ink) {
    Canvas c(p, box, ink);
    c.p().drawRoundedRect(QRectF(3, 7, 12, 10), 2, 2);
    c.fill();
    c.p().drawPolygon(poly({{16, 11}, {21, 8}, {21, 16}, {16, 13}}));
}

void note(QPainter& p, const QRectF& box, const QColor& ink) {
    Canvas c(p, box, ink);
    c.p().drawPolyline(poly({{9, 17}, {9, 5}, {19, 3}, {19, 15}}));
    c.fill();
    c.p().drawEllipse(QPointF(6.5, 17.5), 3, 2.5);
    c.p().drawEllipse(QPointF(16.5, 15.5), 3, 2.5);
}

void areaPick(QPainter& p, const QRectF& box, const QColor& ink) {
    Canvas c(p, box, ink);
    // Corner brackets of a selection with a cross in the middle.
    const double l = 3, t = 4, r = 21, b = 20, k = 5;
    c.p().drawPolyline(poly({{l, t + k}, {l, t}, {l + k, t}}));
    c.p().drawPolyline(poly({{r - k, t}, {r, t}, {r, t + k}}));
    c.p().drawPolyline(poly({{l, b - k}, {l, b}, {l + k, b}}));
    c.p().drawPolyline(poly({{r - k, b}, {r, b}, {r, b - k}}));
    c.p().drawLine(QPointF(12, 9), QPointF(12, 15));
    c.p().drawLine(QPointF(9, 12), QPointF(15, 12));
}

void chain(QPainter& p, const QRectF& box, const QColor& ink) {
    Canvas c(p, box, ink);
    c.p().drawRoundedRect(QRectF(8, 2, 8, 10), 4, 4);
    c.p().drawRoundedRect(QRectF(8, 12, 8, 10), 4, 4);
    c.p().drawLine(QPointF(12, 8), QPointF(12, 16));
}

namespace {

void chevron(QPainter& p, const QRectF& box, const QColor& ink, Mirror mirror) {
    Canvas c(p, box, ink);
    c.stroke(1.2);
    c.p().drawPolyline(mirror.poly({{6, 9}, {12, 15}, {18, 9}}));
}

void triangle(QPainter& p, const QRectF& box, const QColor& ink, Mirror mirror) {
    Canvas c(p, box, ink);
    c.fill();
    c.p().drawPolygon(mirror.poly({{4, 7}, {20, 7}, {12, 17}}));
}

} // namespace

void chevronDown(QPainter& p, const QRectF& box, const QColor& ink) {
    chevron(p, box, ink, Mirror::Same);
}
void chevronUp(QPainter& p, const QRectF& box, const QColor& ink) {
    chevron(p, box, ink, Mirror::TopBottom);
}
void triangleDown(QPainter& p, const QRectF& box, const QColor& ink) {
    triangle(p, box, ink, Mirror::Same);
}
void triangleUp(QPainter& p, const QRectF& box, const QColor& ink) {
    triangle(p, box, ink, Mirror::TopBottom);
}

void folder(QPainter& p, const QRectF& box, const QColor& ink) {
    Canvas c(p, box, ink);
    c.p().drawPolygon(poly({{3, 6}, {9, 6}, {11, 8}, {21, 8}, {21, 19}, {3, 19}}));
    c.p().drawLine(QPointF(3, 11), QPointF(21, 11));
}

void droplet(QPainter& p, const QRectF& box, const QColor& ink) {
    Canvas c(p, box, ink);
    QPainterPath path;
    path.moveTo(12, 3);
    path.cubicTo(12, 3, 5, 11, 5, 15);
    path.cubicTo(5, 19, 8.5, 21.5, 12, 21.5);
    path.cubicTo(15.5, 21.5, 19, 19, 19, 15);
    path.cubicTo(19, 11, 12, 3, 12, 3);
    c.p().drawPath(path);
    c.p().drawArc(QRectF(8, 13, 6, 6), 180 * 16, 90 * 16);
}

void magnifier(QPainter& p, const QRectF& box, const QColor& ink) {
    Canvas c(p, box, ink);
    c.stroke(1.2);
    c.p().drawEllipse(QPointF(10, 10), 6, 6);
    c.p().drawLine(QPointF(14.5, 14.5), QPointF(20, 20));
}

void photo(QPainter& p, const QRectF& box, const QColor& ink) {
    Canvas c(p, box, ink);
    c.p().drawRoundedRect(QRectF(3, 5, 18, 14), 2, 2);
    c.p().drawPolyline(poly({{5, 17}, {10, 11}, {14, 15}, {16, 13}, {19, 17}}));
    c.fill();
    c.p().drawEllipse(QPointF(16, 9), 1.6, 1.6);
}

void plus(QPainter& p, const QRectF& box, const QColor& ink) {
    Canvas c(p, box, ink);
    c.stroke(1.1);
    c.p().drawLine(QPointF(12, 5), QPointF(12, 19));
    c.p().drawLine(QPointF(5, 12), QPointF(19, 12));
}

void fullScreen(QPainter& p, const QRectF& box, const QColor& ink) {
    Canvas c(p, box, ink);
    c.p().drawPolyline(poly({{4, 9}, {4, 4}, {9, 4}}));
    c.p().drawPolyline(poly({{15, 4}, {20, 4}, {20, 9}}));
    c.p().drawPolyline(poly({{4, 15}, {4, 20}, {9, 20}}));
    c.p().drawPolyline(poly({{15, 20}, {20, 20}, {20, 15}}));
}

void exitFullScreen(QPainter& p, const QRectF& box, const QColor& ink) {
    Canvas c(p, box, ink);
    c.p().drawPolyline(poly({{4, 9}, {9, 9}, {9, 4}}));
    c.p().drawPolyline(poly({{15, 4}, {15, 9}, {20, 9}}));
    c.p().drawPolyline(poly({{4, 15}, {9, 15}, {9, 20}}));
    c.p().drawPolyline(poly({{15, 20}, {15, 15}, {20, 15}}));
}

namespace {

void step(QPainter& p, const QRectF& box, const QColor& ink, Mirror mirror) {
    Canvas c(p, box, ink);
    c.fill();
    c.p().drawPolygon(mirror.poly({{7, 6}, {16, 12}, {7, 18}}));
    c.p().drawRoundedRect(mirror.rect(QRectF(16.5, 6, 2.5, 12)), 1, 1);
}

} // namespace

void stepBack(QPainter& p, const QRectF& box, const QColor& ink) {
    step(p, box, ink, Mirror::LeftRight);
}
void stepForward(QPainter& p, const QRectF& box, const QColor& ink) {
    step(p, box, ink, Mirror::Same);
}

void skipBack(QPainter& p, const QRectF& box, const QColor& ink) {
    Canvas c(p, box, ink);
    c.fill();
    c.p().drawPolygon(poly({{12, 6}, {4, 12}, {12, 18}}));
    c.p().drawPolygon(poly({{20, 6}, {12, 12}, {20, 18}}));
}

void skipForward(QPainter& p, const QRectF& box, const QColor& ink) {
    Canvas c(p, box, ink);
    c.fill();
    c.p().drawPolygon(poly({{4, 6}, {12, 12}, {4, 18}}));
    c.p().drawPolygon(poly({{12, 6}, {20, 12}, {12, 18}}));
}

void aspect(QPainter& p, const QRectF& box, const QColor& ink) {
    Canvas c(p, box, ink);
    c.p().drawRoundedRect(QRectF(3, 6, 18, 12), 2, 2);
    c.p().drawPolyline(poly({{7, 12}, {7, 9}, {10, 9}}));
    c.p().drawPolyline(poly({{17, 12}, {17, 15}, {14, 15}}));
}

void actualSize(QPainter& p, const QRectF& box, const QColor& ink) {
    Canvas c(p, box, ink);
    c.p().drawRoundedRect(QRectF(3, 6, 18, 12), 2, 2);
    c.stroke(0.8);
    c.p().drawLine(QPointF(8, 9), QPointF(8, 15));
    c.p().drawLine(QPointF(16, 9), QPointF(16, 15));
    c.fill();
    c.p().drawEllipse(QPointF(12, 10.5), 0.9, 0.9);
    c.p().drawEllipse(QPointF(12, 13.5), 0.9, 0.9);
}

void trash(QPainter& p, const QRectF& box, const QColor& ink) {
    Canvas c(p, box, ink);
    c.p().drawLine(QPointF(4, 7), QPointF(20, 7));
    c.p().drawPolyline(poly({{9, 7}, {9, 4}, {15, 4}, {15, 7}}));
    c.p().drawPolyline(poly({{6, 7}, {7, 20}, {17, 20}, {18, 7}}));
    c.p().drawLine(QPointF(10, 10), QPointF(10, 17));
    c.p().drawLine(QPointF(14, 10), QPointF(14, 17));
}

void pencil(QPainter& p, const QRectF& box, const QColor& ink) {
    Canvas c(p, box, ink);
    c.p().drawPolygon(poly({{5, 19}, {6, 15}, {16, 5}, {19, 8}, {9, 18}}));
    c.p().drawLine(QPointF(14, 7), QPointF(17, 10));
}

void textCursor(QPainter& p, const QRectF& box, const QColor& ink) {
    Canvas c(p, box, ink);
    c.p().drawLine(QPointF(5, 5), QPointF(15, 5));
    c.p().drawLine(QPointF(10, 5), QPointF(10, 19));
    c.p().drawLine(QPointF(18, 9), QPointF(18, 19));
    c.p().drawLine(QPointF(16, 9), QPointF(20, 9));
    c.p().drawLine(QPointF(16, 19), QPointF(20, 19));
}

namespace {

void flip(QPainter& p, const QRectF& box, const QColor& ink, Mirror mirror) {
    Canvas c(p, box, ink);
    c.fill();
    c.p().drawPolygon(mirror.poly({{10, 5}, {10, 19}, {3, 19}}));
    c.stroke();
    c.p().drawPolygon(mirror.poly({{14, 5}, {14, 19}, {21, 19}}));
    c.stroke(0.6);
    c.p().drawLine(mirror(12, 2), mirror(12, 22));
}

void rotate(QPainter& p, const QRectF& box, const QColor& ink, Mirror mirror) {
    Canvas c(p, box, ink);
    c.p().drawRoundedRect(mirror.rect(QRectF(9, 10, 11, 10)), 1.5, 1.5);
    QPainterPath arc;
    arc.moveTo(mirror(15, 6));
    arc.cubicTo(mirror(10, 3), mirror(5, 5), mirror(4.5, 11));
    c.p().drawPath(arc);
    arrowHead(c, mirror(4.5, 13.5), 90, 4);
}

} // namespace

void flipHorizontal(QPainter& p, const QRectF& box, const QColor& ink) {
    flip(p, box, ink, Mirror::Same);
}
void flipVertical(QPainter& p, const QRectF& box, const QColor& ink) {
    flip(p, box, ink, Mirror::Diagonal);
}
void rotateLeft(QPainter& p, const QRectF& box, const QColor& ink) {
    rotate(p, box, ink, Mirror::Same);
}
void rotateRight(QPainter& p, const QRectF& box, const QColor& ink) {
    rotate(p, box, ink, Mirror::LeftRight);
}

void resetArrow(QPainter& p, const QRectF& box, const QColor& ink) {
    Canvas c(p, box, ink);
    c.p().drawArc(QRectF(5, 5, 14, 14), 100 * 16, 290 * 16);
    arrowHead(c, QPointF(9.5, 3.8), 180, 4.5);
}

void letterA(QPainter& p, const QRectF& box, const QColor& ink) {
    Canvas c(p, box, ink);
    c.p().drawPolyline(poly({{5, 20}, {12, 4}, {19, 20}}));
    c.p().drawLine(QPointF(8, 14), QPointF(16, 14));
}

namespace {

void mark(QPainter& p, const QRectF& box, const QColor& ink, Mirror mirror) {
    Canvas c(p, box, ink);
    c.p().drawPolyline(mirror.poly({{9, 4}, {5, 4}, {5, 20}, {9, 20}}));
    c.fill();
    c.p().drawPolygon(mirror.poly({{19, 6}, {10, 12}, {19, 18}}));
}

} // namespace

void markStart(QPainter& p, const QRectF& box, const QColor& ink) {
    mark(p, box, ink, Mirror::Same);
}
void markEnd(QPainter& p, const QRectF& box, const QColor& ink) {
    mark(p, box, ink, Mirror::LeftRight);
}

void playRange(QPainter& p, const QRectF& box, const QColor& ink) {
    Canvas c(p, box, ink);
    c.p().drawPolyline(poly({{6, 4}, {3, 4}, {3, 20}, {6, 20}}));
    c.p().drawPolyline(poly({{18, 4}, {21, 4}, {21, 20}, {18, 20}}));
    c.fill();
    c.p().drawPolygon(poly({{9, 7}, {16, 12}, {9, 17}}));
}

void check(QPainter& p, const QRectF& box, const QColor& ink) {
    Canvas c(p, box, ink);
    c.stroke(1.3);
    c.p().drawPolyline(poly({{5, 12.5}, {10, 17}, {19, 7}}));
}

void exclamation(QPainter& p, const QRectF& box, const QColor& ink) {
    Canvas c(p, box, ink);
    c.stroke(1.4);
    c.p().drawLine(QPointF(12, 5), QPointF(12, 14));
    c.fill();
    c.p().drawEllipse(QPointF(12, 18.5), 1.7, 1.7);
}

void logo(QPainter& p, const QRectF& box, const QColor& ink) {
    // The program's mark: a rounded screen with a record dot.
    Canvas c(p, box, ink);
    c.fill();
    c.p().drawRoundedRect(QRectF(1, 1, 22, 22), 6, 6);
    c.p().setBrush(palette::white);
    c.p().drawEllipse(QPointF(12, 12), 5.5, 5.5);
    c.p().setBrush(ink);
    c.p().drawEllipse(QPointF(12, 12), 3, 3);
}

void sliders(QPainter& p, const QRectF& box, const QColor& ink) {
    Canvas c(p, box, ink);
    c.p().drawLine(QPointF(4, 7), QPointF(20, 7));
    c.p().drawLine(QPointF(4, 17), QPointF(20, 17));
    c.fill();
    c.p().drawEllipse(QPointF(9, 7), 2.6, 2.6);
    c.p().drawEllipse(QPointF(15, 17), 2.6, 2.6);
}

void waveform(QPainter& p, const QRectF& box, const QColor& ink) {
    Canvas c(p, box, ink);
    const double heights[] = {4, 9, 14, 8, 12, 5, 10, 6};
    for (int i = 0; i < 8; ++i) {
        const double x = 3 + i * 2.6;
        c.p().drawLine(QPointF(x, 12 - heights[i] / 2), QPointF(x, 12 + heights[i] / 2));
    }
}

} // namespace glyph

} // namespace imagegen
