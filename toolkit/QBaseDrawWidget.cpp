#include "toolkit/QBaseDrawWidget.h"

#include "toolkit/ImagePainting.h"

#include <algorithm>

#include <QApplication>
#include <QDesktopWidget>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QWidget>

namespace {

QRect screenArea(const QRect& globalRect, bool available) {
    QVector<QRect> areas;
    for (QScreen* screen : QGuiApplication::screens()) {
        areas.append(available ? screen->availableGeometry() : screen->geometry());
    }
    QScreen* primary = QGuiApplication::primaryScreen();
    QRect fallback;
    if (primary != nullptr) {
        fallback = available ? primary->availableGeometry() : primary->geometry();
    }
    return QBaseDrawWidget::areaHolding(globalRect, areas, fallback);
}

int primaryAvailableHeight() {
    QScreen* screen = QGuiApplication::primaryScreen();
    return screen != nullptr ? screen->availableGeometry().height() : 0;
}

int desktopWidth() {
    QDesktopWidget* desktop = QApplication::desktop();
    return desktop != nullptr ? desktop->width() : 0;
}

} // namespace

struct QBaseDrawWidget::Private {
    QImage* background = nullptr;
    QImage* titleImage = nullptr;
    QColor backgroundColor{100, 100, 100, 100};
    int titleHeight = 40;
    bool dragging = false;
    int pressOffsetX = 0;
    int pressOffsetY = 0;
    QRect normalGeometry;
    int edge = EdgeNone;
    int resizeFlags = ResizeBoth;
    int windowMode = DialogMode;
    int borderWidth = 4;
    bool maximized = false;
    int edgeOffsetX = 0;
    int edgeOffsetY = 0;
    QWidget* owner = nullptr;
    int margins[8] = {0, 0, 0, 0, 0, 0, 0, 0};
    QRect titleImageRect{0, 0, 0, 0};
    QString title;
    QRect titleTextRect{0, 0, 0, 0};
    int titleAlignment = Qt::AlignLeft;
};

QBaseDrawWidget::QBaseDrawWidget(QWidget* owner, int windowMode) : d(new Private) {
    d->owner = owner;
    d->windowMode = windowMode;
    d->resizeFlags = windowMode == PlainWidgetMode ? 0 : ResizeBoth;
    if (owner != nullptr) {
        owner->setAttribute(Qt::WA_MouseTracking, true);
    }
}

QBaseDrawWidget::~QBaseDrawWidget() {
    delete d->background;
    delete d->titleImage;
    delete d;
}

QWidget* QBaseDrawWidget::drawOwner() const {
    return d->owner;
}
void QBaseDrawWidget::setTitleHeight(int height) {
    d->titleHeight = height;
}
int QBaseDrawWidget::titleHeight() const {
    return d->titleHeight;
}
void QBaseDrawWidget::setBorderWidth(int width) {
    d->borderWidth = width;
}
void QBaseDrawWidget::setResizeFlags(int flags) {
    d->resizeFlags = flags;
}
int QBaseDrawWidget::resizeFlags() const {
    return d->resizeFlags;
}
bool QBaseDrawWidget::isWindowMaximized() const {
    return d->maximized;
}
int QBaseDrawWidget::currentEdge() const {
    return d->edge;
}
bool QBaseDrawWidget::isDragging() const {
    return d->dragging;
}
bool QBaseDrawWidget::hasBackgroundImage() const {
    return d->background != nullptr;
}
QRect QBaseDrawWidget::titleImageRect() const {
    return d->titleImageRect;
}
QRect QBaseDrawWidget::titleTextRect() const {
    return d->titleTextRect;
}
QString QBaseDrawWidget::title() const {
    return d->title;
}
void QBaseDrawWidget::relayout() {}

void QBaseDrawWidget::setBackgroundColor(const QColor& color) {
    d->backgroundColor = color;
    if (d->owner != nullptr) {
        d->owner->repaint();
    }
}

void QBaseDrawWidget::setBackgroundMargins(int topLeftWidth, int topLeftHeight, int topRightWidth, int topRightHeight,
                                           int bottomLeftWidth, int bottomLeftHeight, int bottomRightWidth,
                                           int bottomRightHeight) {
    const int values[8] = {topLeftWidth,    topLeftHeight,    topRightWidth,    topRightHeight,
                           bottomLeftWidth, bottomLeftHeight, bottomRightWidth, bottomRightHeight};
    std::copy(values, values + 8, d->margins);
    if (d->owner != nullptr) {
        d->owner->repaint();
    }
}

void QBaseDrawWidget::setBackgroundImage(const QImage& image) {
    delete d->background;
    d->background = new QImage(image);
}

void QBaseDrawWidget::applyBackgroundImage(const QImage& image, bool resizable) {
    if (d->owner == nullptr || image.isNull()) {
        return;
    }
    setBackgroundImage(image);
    d->owner->resize(image.size());
    if (resizable) {
        d->owner->setMinimumSize(image.size());
        d->resizeFlags = ResizeBoth;
    } else {
        d->resizeFlags = 0;
    }
    const int w = image.width() / 3;
    const int h = image.height() / 3;
    setBackgroundMargins(w, h, w, h, w, h, w, h);
}

bool QBaseDrawWidget::loadBackgroundImage(const QString& path, bool resizable) {
    if (d->owner == nullptr) {
        return false;
    }
    const QImage image = loadToolkitImage(path);
    if (image.isNull()) {
        return false;
    }
    applyBackgroundImage(image, resizable);
    return true;
}

bool QBaseDrawWidget::setTitleImage(const QString& path) {
    delete d->titleImage;
    d->titleImage = nullptr;
    const QImage image = loadToolkitImage(path);
    if (image.isNull()) {
        return false;
    }
    d->titleImage = new QImage(image);
    d->titleImageRect.setSize(image.size());
    if (d->owner != nullptr) {
        d->owner->repaint();
    }
    return true;
}

void QBaseDrawWidget::setTitleImageRect(const QRect& rect) {
    d->titleImageRect = rect;
}
void QBaseDrawWidget::setTitleTextRect(const QRect& rect) {
    d->titleTextRect = rect;
}

void QBaseDrawWidget::setTitleAlignment(int alignment) {
    d->titleAlignment = alignment;
    if (d->owner != nullptr) {
        d->owner->repaint();
    }
}

void QBaseDrawWidget::setTitle(const QString& title) {
    d->title = title;
    if (d->owner != nullptr) {
        d->owner->repaint();
    }
}

QRect QBaseDrawWidget::areaHolding(const QRect& windowRect, const QVector<QRect>& areas, const QRect& fallback) {
    for (const QRect& area : areas) {
        if (area.contains(windowRect.center())) {
            return area;
        }
    }
    QRect best = fallback;
    int bestOverlap = 0;
    for (const QRect& area : areas) {
        const QRect overlap = area.intersected(windowRect);
        const int size = overlap.isEmpty() ? 0 : overlap.width() * overlap.height();
        if (size > bestOverlap) {
            bestOverlap = size;
            best = area;
        }
    }
    return best;
}

QPoint QBaseDrawWidget::positionInside(const QRect& windowRect, const QRect& area) {
    int x = windowRect.x();
    int y = windowRect.y();
    if (windowRect.right() > area.right()) {
        x = std::min(x, std::max(area.left(), area.right() - windowRect.width() + 1));
    }
    if (windowRect.bottom() > area.bottom()) {
        y = std::min(y, std::max(area.top(), area.bottom() - windowRect.height() + 1));
    }
    return QPoint(x, y);
}

QPoint QBaseDrawWidget::onScreenPosition(const QSize& size) const {
    if (d->owner == nullptr) {
        return QPoint();
    }
    // The window manager's frame (none for a frameless window) counts as the window.
    const QRect frame = d->owner->frameGeometry();
    const QRect inner = d->owner->geometry();
    const QRect wanted = frame.adjusted(0, 0, size.width() - inner.width(), size.height() - inner.height());
    const QPoint moved = positionInside(wanted, screenArea(frame, true));
    return d->owner->pos() + (moved - frame.topLeft());
}

void QBaseDrawWidget::keepOnScreen() {
    if (d->owner == nullptr || !d->owner->isWindow() || !d->owner->isVisible() || d->owner->isMaximized() ||
        d->owner->isFullScreen()) {
        return;
    }
    const QPoint position = onScreenPosition(d->owner->size());
    if (position != d->owner->pos()) {
        d->owner->move(position);
    }
}

QPoint QBaseDrawWidget::centredPosition(const QRect& reference, const QSize& size) {
    return centredPosition(reference, size, screenArea(reference, false));
}

QPoint QBaseDrawWidget::centredPosition(const QRect& reference, const QSize& size, const QRect& area) {
    int x = reference.left() + (reference.width() - size.width()) / 2;
    int y = reference.top() + (reference.height() - size.height()) / 2;
    // Screens left of or above the primary one have negative coordinates: the guard
    // against landing off-screen is relative to the screen that holds the reference.
    if (x <= area.left()) {
        x = area.left() + 50;
    }
    if (y <= area.top()) {
        y = area.top() + 50;
    }
    return QPoint(x, y);
}

void QBaseDrawWidget::centerWidget(QWidget* other) {
    if (d->owner == nullptr || other == nullptr) {
        return;
    }
    const QRect reference(d->owner->mapToGlobal(QPoint(0, 0)), d->owner->size());
    other->move(centredPosition(reference, other->size()));
}

void QBaseDrawWidget::mousePress(QMouseEvent* event) {
    if (d->owner == nullptr || event == nullptr) {
        return;
    }
    d->pressOffsetX = event->globalPos().x() - d->owner->pos().x();
    d->pressOffsetY = event->globalPos().y() - d->owner->pos().y();
    if (event->button() == Qt::LeftButton) {
        d->dragging = true;
    }
}

void QBaseDrawWidget::mouseMove(QMouseEvent* event) {
    if (d->owner == nullptr || event == nullptr || d->windowMode == PlainWidgetMode) {
        return;
    }
    if (!d->dragging && !d->maximized && d->resizeFlags != 0) {
        hitTestEdges(event->globalPos());
        return;
    }
    // A stale edge must not resize the window on a move without a press.
    if (d->edge != EdgeNone) {
        if (d->dragging) {
            resizeByEdge(event->globalPos());
        }
        return;
    }
    if (d->dragging && d->pressOffsetY < d->titleHeight && !d->maximized) {
        d->owner->move(event->globalPos() - QPoint(d->pressOffsetX, d->pressOffsetY));
    }
}

void QBaseDrawWidget::mouseRelease(QMouseEvent*) {
    d->dragging = false;
}

void QBaseDrawWidget::mouseDoubleClick(QMouseEvent*) {
    if (d->owner == nullptr || d->windowMode == PlainWidgetMode || d->resizeFlags != ResizeBoth) {
        return;
    }
    toggleMaximize();
}

void QBaseDrawWidget::focusOut(QFocusEvent*) {
    d->dragging = false;
}

void QBaseDrawWidget::setEdgeCursor(int edge) {
    d->edge = edge;
    if (d->owner == nullptr) {
        return;
    }
    switch (edge) {
    case EdgeLeft:
    case EdgeRight:
        d->owner->setCursor(Qt::SplitHCursor);
        break;
    case EdgeTopLeft:
    case EdgeBottomRight:
        d->owner->setCursor(Qt::SizeFDiagCursor);
        break;
    case EdgeTop:
    case EdgeBottom:
        d->owner->setCursor(Qt::SplitVCursor);
        break;
    case EdgeTopRight:
    case EdgeBottomLeft:
        d->owner->setCursor(Qt::SizeBDiagCursor);
        break;
    default:
        d->owner->setCursor(Qt::ArrowCursor);
        break;
    }
}

void QBaseDrawWidget::hitTestEdges(const QPoint& globalPos) {
    if (d->owner == nullptr) {
        return;
    }
    const QRect geometry = d->owner->geometry();
    const int x = globalPos.x();
    const int y = globalPos.y();
    const int b = d->borderWidth;
    const int left = geometry.left();
    const int top = geometry.top();
    const int right = geometry.right();
    const int bottom = geometry.bottom();
    const bool horizontal = (d->resizeFlags & ResizeHorizontal) != 0;
    const bool vertical = (d->resizeFlags & ResizeVertical) != 0;
    const bool inTopBand = top <= y && y <= top + b;
    const bool inBottomBand = y >= bottom - b;
    int edge = EdgeNone;
    if (left <= x && x <= left + b && horizontal) {
        d->edgeOffsetX = x - left;
        if (inTopBand && vertical) {
            edge = EdgeTopLeft;
            d->edgeOffsetY = y - top;
        } else if (inBottomBand && vertical) {
            edge = EdgeBottomLeft;
            d->edgeOffsetY = bottom - y;
        } else {
            edge = EdgeLeft;
        }
    } else if (right - b <= x && x <= right && horizontal) {
        d->edgeOffsetX = right - x;
        if (inTopBand && vertical) {
            edge = EdgeTopRight;
            d->edgeOffsetY = y - top;
        } else if (inBottomBand && vertical) {
            edge = EdgeBottomRight;
            d->edgeOffsetY = bottom - y;
        } else {
            edge = EdgeRight;
        }
    } else if (inTopBand && vertical) {
        edge = EdgeTop;
        d->edgeOffsetY = y - top;
    } else if (bottom - b <= y && y <= bottom && vertical) {
        edge = EdgeBottom;
        d->edgeOffsetY = bottom - y;
    }
    setEdgeCursor(edge);
}

void QBaseDrawWidget::resizeByEdge(const QPoint& globalPos) {
    if (d->owner == nullptr) {
        return;
    }
    const QRect old = d->owner->geometry();
    QRect next = old;
    const int e = d->edge;
    const bool leftSide = e == EdgeLeft || e == EdgeTopLeft || e == EdgeBottomLeft;
    const bool rightSide = e == EdgeTopRight || e == EdgeRight || e == EdgeBottomRight;
    const bool topSide = e == EdgeTopLeft || e == EdgeTop || e == EdgeTopRight;
    const bool bottomSide = e == EdgeBottomRight || e == EdgeBottom || e == EdgeBottomLeft;
    QRect horizontal = old;
    if (leftSide) {
        horizontal.setLeft(globalPos.x() - d->edgeOffsetX);
    } else if (rightSide) {
        horizontal.setRight(globalPos.x() + d->edgeOffsetX);
    }
    QRect vertical = old;
    if (topSide) {
        vertical.setTop(globalPos.y() - d->edgeOffsetY);
    } else if (bottomSide) {
        vertical.setBottom(globalPos.y() + d->edgeOffsetY);
    }
    const int desktop = desktopWidth();
    const int available = primaryAvailableHeight();
    if ((leftSide || rightSide) && horizontal.width() - d->owner->minimumWidth() > 1 &&
        horizontal.width() < desktop - 3) {
        next.setLeft(horizontal.left());
        next.setRight(horizontal.right());
    }
    if ((topSide || bottomSide) && vertical.height() - d->owner->minimumHeight() > 1 &&
        vertical.height() <= available) {
        next.setTop(vertical.top());
        next.setBottom(vertical.bottom());
    }
    d->owner->setGeometry(next);
    d->owner->update();
}

void QBaseDrawWidget::toggleMaximize() {
    if (d->owner == nullptr) {
        return;
    }
    if (!d->maximized) {
        d->normalGeometry = d->owner->geometry();
        // The window's own screen, not the whole virtual desktop.
        const QRect area = screenArea(d->owner->frameGeometry(), true);
        if (!area.isEmpty()) {
            d->owner->setGeometry(area);
        }
    } else {
        d->owner->setGeometry(d->normalGeometry);
    }
    d->maximized = !d->maximized;
    setEdgeCursor(EdgeNone);
}

void QBaseDrawWidget::paintBackground(QPaintEvent*) {
    if (d->owner == nullptr) {
        return;
    }
    QPainter painter(d->owner);
    const int W = d->owner->width();
    const int H = d->owner->height();
    if (d->background == nullptr || d->background->isNull()) {
        painter.fillRect(QRect(0, 0, W, H), d->backgroundColor);
    } else {
        const QImage& image = *d->background;
        const int IW = image.width();
        const int IH = image.height();
        const int tlw = d->margins[0], tlh = d->margins[1], trw = d->margins[2], trh = d->margins[3];
        const int blw = d->margins[4], blh = d->margins[5], brw = d->margins[6], brh = d->margins[7];
        // Corners, unscaled.
        drawImagePart(&painter, QRect(0, 0, tlw, tlh), QRect(0, 0, tlw, tlh), image);
        drawImagePart(&painter, QRect(W - trw, 0, trw, trh), QRect(IW - trw, 0, trw, trh), image);
        drawImagePart(&painter, QRect(0, H - blh, blw, blh), QRect(0, IH - blh, blw, blh), image);
        drawImagePart(&painter, QRect(W - brw, H - brh, brw, brh), QRect(IW - brw, IH - brh, brw, brh), image);
        // Edges, stretched along their length.
        const int topWidth = W - tlw - trw;
        if (topWidth >= 1) {
            drawImagePart(&painter, QRect(tlw, 0, topWidth, trh), QRect(tlw, 0, IW - tlw - trw, trh), image);
        }
        const int leftHeight = H - tlh - blh;
        if (leftHeight >= 1) {
            drawImagePart(&painter, QRect(0, tlh, tlw, leftHeight), QRect(0, tlh, tlw, IH - tlh - blh), image);
        }
        const int rightHeight = H - trh - brh;
        if (rightHeight >= 1) {
            drawImagePart(&painter, QRect(W - trw, trh, trw, rightHeight), QRect(IW - trw, trh, trw, IH - trh - brh),
                          image);
        }
        const int bottomWidth = W - blw - brw;
        if (bottomWidth >= 1) {
            drawImagePart(&painter, QRect(blw, H - brh, bottomWidth, brh), QRect(blw, IH - brh, IW - blw - brw, brh),
                          image);
        }
        // Centre, stretched both ways.
        const int centreHeight = H - tlh - blh;
        const int imageCentreHeight = IH - tlh - blh;
        if (centreHeight != 0 && imageCentreHeight != 0) {
            drawImagePart(&painter, QRect(tlw, tlh, W - tlw - trw, centreHeight),
                          QRect(tlw, tlh, IW - tlw - trw, imageCentreHeight), image);
        }
    }
    drawTitleImage(&painter);
    drawTitleText(&painter);
}

void QBaseDrawWidget::drawTitleImage(QPainter* painter) {
    if (d->titleImage == nullptr || d->owner == nullptr) {
        return;
    }
    QRect& rect = d->titleImageRect;
    if (rect.width() <= 0) {
        rect.setWidth(d->titleImage->width());
    }
    if (rect.height() <= 0) {
        rect.setHeight(d->titleImage->height());
    }
    // Centred once: later resizes keep the stored position.
    if (rect.left() == -1) {
        rect.moveLeft((d->owner->width() - rect.width()) / 2);
    }
    if (rect.top() == -1) {
        rect.moveTop((d->owner->height() - rect.height()) / 2);
    }
    drawImagePart(painter, rect, d->titleImage->rect(), *d->titleImage);
}

void QBaseDrawWidget::drawTitleText(QPainter* painter) {
    if (d->title.isEmpty() || d->owner == nullptr) {
        return;
    }
    const QFont oldFont = painter->font();
    painter->setFont(d->owner->font());
    painter->setPen(d->owner->palette().color(QPalette::WindowText));
    QRect& rect = d->titleTextRect;
    if (rect.width() <= 0) {
        rect.setRight(rect.left() + d->owner->width() - 1);
    }
    if (rect.height() <= 0) {
        rect.setBottom(rect.top() + 19);
    }
    const QFontMetrics metrics(d->owner->font());
    painter->drawText(rect, d->titleAlignment, metrics.elidedText(d->title, Qt::ElideRight, rect.width()));
    painter->setFont(oldFont);
}
