#include "editor/QMediaBorderFrame.h"

#include "editor/EditorStyle.h"
#include "editor/TranslucentWindow.h"

#include <QMouseEvent>
#include <QPainter>

namespace {
constexpr int kSquare = 6;  // corner and edge-centre squares of the border image
constexpr int kHandle = 16; // centre handle square
const char* const kBorderImage = "/VEditSource/bg_border_line.png";
} // namespace

QMediaDashedFrame::QMediaDashedFrame(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TranslucentBackground, true);
    setMouseTracking(true);
}

QMediaDashedFrame::~QMediaDashedFrame() {
    delete m_borderImage;
}

void QMediaDashedFrame::setBorderImage(const QString& path) {
    delete m_borderImage;
    m_borderImage = new QImage(path);
    update();
}

void QMediaDashedFrame::setShowHandles(bool show) {
    m_showHandles = show;
    update();
}

void QMediaDashedFrame::paintEvent(QPaintEvent*) {
    const int W = width();
    const int H = height();
    QPainter painter(this);
    if (m_borderImage && !m_borderImage->isNull()) {
        const int w = m_borderImage->width();
        const int h = m_borderImage->height();
        // (target, source) top-left corners of the eight squares.
        const QPoint places[8][2] = {
            {{0, 0}, {0, 0}},
            {{W - kSquare, 0}, {w - kSquare, 0}},
            {{0, H - kSquare}, {0, h - kSquare}},
            {{W - kSquare, H - kSquare}, {w - kSquare, h - kSquare}},
            {{(W - kSquare) / 2, 0}, {(w - kSquare) / 2, 0}},
            {{0, (H - kSquare) / 2}, {0, (h - kSquare) / 2}},
            {{W - kSquare, (H - kSquare) / 2}, {w - kSquare, (h - kSquare) / 2}},
            {{(W - kSquare) / 2, H - kSquare}, {(w - kSquare) / 2, h - kSquare}},
        };
        for (const auto& place : places) {
            painter.drawImage(place[0], *m_borderImage, QRect(place[1], QSize(kSquare, kSquare)));
        }
        if (m_showHandles) {
            painter.drawImage(QPoint((W - kHandle) / 2, (H - kHandle) / 2), *m_borderImage,
                              QRect((w - kHandle) / 2, (h - kHandle) / 2, kHandle, kHandle));
        }
    }
    QPen pen(Qt::white, 2, Qt::DotLine, Qt::SquareCap, Qt::BevelJoin);
    painter.setPen(pen);
    const int midX = (W - kSquare) / 2;
    const int midY = (H - kSquare) / 2;
    const int top = kSquare / 2;
    const int bottom = H - kSquare / 2;
    const int left = kSquare / 2;
    const int right = W - kSquare / 2;
    // Each line starts 6 pixels after a square and runs to the next square.
    painter.drawLine(kSquare, top, midX, top);
    painter.drawLine(midX + kSquare, top, W - kSquare, top);
    painter.drawLine(kSquare, bottom, midX, bottom);
    painter.drawLine(midX + kSquare, bottom, W - kSquare, bottom);
    painter.drawLine(left, kSquare, left, midY);
    painter.drawLine(left, midY + kSquare, left, H - kSquare);
    painter.drawLine(right, kSquare, right, midY);
    painter.drawLine(right, midY + kSquare, right, H - kSquare);
}

QMediaBorderFrame::QMediaBorderFrame(QWidget* parent) : QRZDialog(parent) {
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus);
    setAttribute(Qt::WA_TranslucentBackground, true);
    setAttribute(Qt::WA_ShowWithoutActivating, true);
    setMouseTracking(true);
    // Neither moved by a title band nor resized by its edges: the pane places it.
    setTitleHeight(0);
    setResizeFlags(0);
}

QMediaBorderFrame::~QMediaBorderFrame() = default;

void QMediaBorderFrame::setCropRect(int x1, int y1, int x2, int y2, bool setReference) {
    if (!m_cropPiece) {
        m_cropPiece = new QMediaDashedFrame(this);
        m_cropPiece->setBorderImage(editorImagePath(QString::fromLatin1(kBorderImage)));
        m_cropPiece->setShowHandles(true);
        // Presses on the piece are the frame's own.
        m_cropPiece->setAttribute(Qt::WA_TransparentForMouseEvents, true);
        m_cropPiece->show();
    }
    if (setReference) {
        m_reference = QRect(QPoint(x1, y1), QPoint(x2, y2));
        m_cropPiece->setGeometry(m_reference);
    } else {
        const QRect current = m_cropPiece->geometry();
        const int left = x1 != -1 ? x1 + m_reference.left() : current.left();
        const int top = y1 != -1 ? y1 + m_reference.top() : current.top();
        const int right = x1 == x2 + 2 ? -1 : x2 + (left - x1);
        const int bottom = y1 == y2 + 2 ? -1 : y2 + (top - y1);
        m_cropPiece->setGeometry(QRect(QPoint(left, top), QPoint(right, bottom)));
    }
    refreshMask();
}

void QMediaBorderFrame::setReferenceRect(int x1, int y1, int x2, int y2) {
    m_reference = QRect(QPoint(x1, y1), QPoint(x2, y2));
}

void QMediaBorderFrame::addFrame(int x1, int y1, int x2, int y2) {
    auto* piece = new QMediaDashedFrame(this);
    piece->setAttribute(Qt::WA_TransparentForMouseEvents, true);
    piece->setBorderImage(editorImagePath(QString::fromLatin1(kBorderImage)));
    piece->setShowHandles(false);
    piece->setGeometry(QRect(QPoint(x1, y1), QPoint(x2, y2)));
    m_pieces.append(piece);
    refreshMask();
}

void QMediaBorderFrame::setFrameGeometry(int x1, int y1, int x2, int y2, int index) {
    if (index < 0 || index >= m_pieces.size()) {
        return;
    }
    m_pieces[index]->setGeometry(QRect(QPoint(x1, y1), QPoint(x2, y2)));
    refreshMask();
}

void QMediaBorderFrame::setFrameVisible(int index, bool visible) {
    if (index < 0 || index >= m_pieces.size()) {
        return;
    }
    m_pieces[index]->setVisible(visible);
    refreshMask();
}

void QMediaBorderFrame::paintEvent(QPaintEvent*) {
    // Almost transparent, yet the window takes every press over the video.
    QPainter painter(this);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.fillRect(rect(), QColor(0, 0, 0, 1));
}

void QMediaBorderFrame::mousePressEvent(QMouseEvent* event) {
    emit emitMousePressEvent(event);
}

void QMediaBorderFrame::mouseMoveEvent(QMouseEvent* event) {
    emit emitMouseMoveEvent(event);
}

void QMediaBorderFrame::mouseReleaseEvent(QMouseEvent* event) {
    emit emitMouseReleaseEvent(event);
}

void QMediaBorderFrame::showEvent(QShowEvent* event) {
    QRZDialog::showEvent(event);
    refreshMask();
}

void QMediaBorderFrame::resizeEvent(QResizeEvent* event) {
    QRZDialog::resizeEvent(event);
    refreshMask();
}

void QMediaBorderFrame::refreshMask() {
    if (isVisible() && !isCompositingAvailable()) {
        maskToPaintedArea(this);
    }
}
