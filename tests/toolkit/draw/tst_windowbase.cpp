// The window bases: title band drag, edge resize with its limits and cursors, double-click
// maximise on the window's own screen, nine-patch frame, title image and close button.
#include "DrawTestSupport.h"

#include "toolkit/QRZButton.h"
#include "toolkit/QRZDialog.h"
#include "toolkit/QRZMainWindow.h"
#include "toolkit/QRZWidget.h"

#include <QApplication>
#include <QDesktopWidget>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QScreen>
#include <QTest>

using namespace drawtest;

namespace {

void sendMouseAtGlobal(QWidget* widget, QEvent::Type type, const QPoint& globalPos,
                       Qt::MouseButton button = Qt::LeftButton) {
    const QPoint local = widget->mapFromGlobal(globalPos);
    const Qt::MouseButtons buttons =
        type == QEvent::MouseButtonRelease || type == QEvent::MouseMove ? Qt::MouseButtons() : Qt::MouseButtons(button);
    QMouseEvent event(type, local, globalPos, type == QEvent::MouseMove ? Qt::NoButton : button, buttons,
                      Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

} // namespace

class TestWindowBase : public QObject {
    Q_OBJECT

private slots:
    void pressInTheTitleBandDragsTheWindow() {
        QRZDialog dialog;
        dialog.setGeometry(100, 100, 300, 200);
        dialog.show();
        const QPoint origin = dialog.pos();
        const QPoint grab = origin + QPoint(50, 39);
        sendMouseAtGlobal(&dialog, QEvent::MouseButtonPress, grab);
        sendMouseAtGlobal(&dialog, QEvent::MouseMove, grab + QPoint(20, 30));
        sendMouseAtGlobal(&dialog, QEvent::MouseButtonRelease, grab + QPoint(20, 30));
        QCOMPARE(dialog.pos(), origin + QPoint(20, 30));

        // One pixel lower is outside the 40-pixel band: no move.
        const QPoint below = dialog.pos() + QPoint(50, 40);
        const QPoint before = dialog.pos();
        sendMouseAtGlobal(&dialog, QEvent::MouseButtonPress, below);
        sendMouseAtGlobal(&dialog, QEvent::MouseMove, below + QPoint(20, 30));
        sendMouseAtGlobal(&dialog, QEvent::MouseButtonRelease, below + QPoint(20, 30));
        QCOMPARE(dialog.pos(), before);
    }

    void leftEdgeResizeStopsNearTheMinimumWidth() {
        QRZDialog dialog;
        dialog.setMinimumSize(100, 100);
        dialog.setGeometry(100, 100, 300, 200);
        dialog.show();
        const QRect start = dialog.geometry();
        const QPoint onEdge(start.left() + 1, start.top() + 100);
        sendMouseAtGlobal(&dialog, QEvent::MouseMove, onEdge);
        QCOMPARE(dialog.currentEdge(), int(QBaseDrawWidget::EdgeLeft));
        QCOMPARE(dialog.cursor().shape(), Qt::SplitHCursor);

        sendMouseAtGlobal(&dialog, QEvent::MouseButtonPress, onEdge);
        sendMouseAtGlobal(&dialog, QEvent::MouseMove, QPoint(start.left() + 51, onEdge.y()));
        QCOMPARE(dialog.geometry().left(), start.left() + 50);
        QCOMPARE(dialog.geometry().right(), start.right());
        // Width would come within 1 pixel of the minimum: refused.
        sendMouseAtGlobal(&dialog, QEvent::MouseMove, QPoint(start.right() - 99, onEdge.y()));
        QCOMPARE(dialog.geometry().left(), start.left() + 50);
        // The grab offset (1 pixel into the edge) is kept while dragging.
        sendMouseAtGlobal(&dialog, QEvent::MouseMove, QPoint(start.right() - 101, onEdge.y()));
        QCOMPARE(dialog.width(), 103);
        sendMouseAtGlobal(&dialog, QEvent::MouseButtonRelease, QPoint(start.right() - 101, onEdge.y()));
    }

    void rightEdgeResizeStopsBelowTheDesktopWidth() {
        QRZDialog dialog;
        dialog.setGeometry(10, 100, 300, 200);
        dialog.show();
        const int desktop = QApplication::desktop()->width();
        const QRect start = dialog.geometry();
        const QPoint onEdge(start.right() - 1, start.top() + 100);
        sendMouseAtGlobal(&dialog, QEvent::MouseMove, onEdge);
        QCOMPARE(dialog.currentEdge(), int(QBaseDrawWidget::EdgeRight));
        sendMouseAtGlobal(&dialog, QEvent::MouseButtonPress, onEdge);
        sendMouseAtGlobal(&dialog, QEvent::MouseMove, QPoint(start.left() + desktop + 50, onEdge.y()));
        QCOMPARE(dialog.geometry(), start);
        sendMouseAtGlobal(&dialog, QEvent::MouseMove, QPoint(start.left() + 400, onEdge.y()));
        QCOMPARE(dialog.width(), 402);
        sendMouseAtGlobal(&dialog, QEvent::MouseButtonRelease, QPoint(start.left() + 400, onEdge.y()));
    }

    void cornerHitTestAndCursors() {
        QRZDialog dialog;
        dialog.setGeometry(100, 100, 300, 200);
        dialog.show();
        const QRect g = dialog.geometry();
        sendMouseAtGlobal(&dialog, QEvent::MouseMove, g.bottomRight() - QPoint(1, 1));
        QCOMPARE(dialog.currentEdge(), int(QBaseDrawWidget::EdgeBottomRight));
        QCOMPARE(dialog.cursor().shape(), Qt::SizeFDiagCursor);
        sendMouseAtGlobal(&dialog, QEvent::MouseMove, QPoint(g.right() - 2, g.top() + 2));
        QCOMPARE(dialog.cursor().shape(), Qt::SizeBDiagCursor);
        sendMouseAtGlobal(&dialog, QEvent::MouseMove, QPoint(g.center().x(), g.bottom() - 1));
        QCOMPARE(dialog.cursor().shape(), Qt::SplitVCursor);
        sendMouseAtGlobal(&dialog, QEvent::MouseMove, g.center());
        QCOMPARE(dialog.currentEdge(), int(QBaseDrawWidget::EdgeNone));
        QCOMPARE(dialog.cursor().shape(), Qt::ArrowCursor);
    }

    void plainWidgetNeitherMovesNorResizes() {
        QRZWidget widget;
        widget.setGeometry(100, 100, 300, 200);
        widget.show();
        const QRect start = widget.geometry();
        sendMouseAtGlobal(&widget, QEvent::MouseMove, QPoint(start.left() + 1, start.top() + 100));
        QCOMPARE(widget.currentEdge(), int(QBaseDrawWidget::EdgeNone));
        sendMouseAtGlobal(&widget, QEvent::MouseButtonPress, start.topLeft() + QPoint(50, 10));
        sendMouseAtGlobal(&widget, QEvent::MouseMove, start.topLeft() + QPoint(90, 40));
        sendMouseAtGlobal(&widget, QEvent::MouseButtonRelease, start.topLeft() + QPoint(90, 40));
        sendMouseAtGlobal(&widget, QEvent::MouseButtonDblClick, start.topLeft() + QPoint(50, 10));
        QCOMPARE(widget.geometry(), start);
        QVERIFY(!widget.isWindowMaximized());
    }

    void dialogExIsFixedUntilTheCallerAllowsResizing() {
        QRZDialogEx dialog;
        dialog.setGeometry(100, 100, 300, 200);
        dialog.show();
        const QRect start = dialog.geometry();
        sendMouseAtGlobal(&dialog, QEvent::MouseMove, QPoint(start.left() + 1, start.top() + 100));
        QCOMPARE(dialog.currentEdge(), int(QBaseDrawWidget::EdgeNone));
        sendMouseAtGlobal(&dialog, QEvent::MouseButtonDblClick, start.topLeft() + QPoint(50, 10));
        sendMouseAtGlobal(&dialog, QEvent::MouseButtonRelease, start.topLeft() + QPoint(50, 10));
        QCOMPARE(dialog.geometry(), start);
        dialog.setResizeFlags(QBaseDrawWidget::ResizeBoth);
        sendMouseAtGlobal(&dialog, QEvent::MouseMove, QPoint(start.left() + 1, start.top() + 100));
        QCOMPARE(dialog.currentEdge(), int(QBaseDrawWidget::EdgeLeft));
    }

    void closeButtonSitsEightPixelsFromTheCorner() {
        QTemporaryDir dir;
        const QString strip = save(dir, "close.png", solidStrip({Qt::red, Qt::green, Qt::blue, Qt::gray}, 20, 18));
        QRZDialogEx dialog;
        dialog.resize(300, 200);
        QRZBaseButton* close = dialog.createCloseButton(strip, true);
        QVERIFY(close != nullptr);
        QCOMPARE(close->size(), QSize(20, 18));
        QCOMPARE(close->toolTip(), QStringLiteral("Close"));
        dialog.show();
        QCOMPARE(close->pos(), QPoint(300 - 20 - 8, 8));
        dialog.resize(420, 260);
        QCOMPARE(close->pos(), QPoint(420 - 20 - 8, 8));
        QRZBaseButton* hidden = dialog.createCloseButton(strip, false);
        QVERIFY(!hidden->isVisible());
        QCOMPARE(dialog.closeButton(), hidden);
    }

    void doubleClickMaximisesOnTheOwnScreenAndRestoresExactly() {
        QRZDialog dialog;
        dialog.setGeometry(120, 110, 300, 200);
        dialog.show();
        const QRect normal = dialog.geometry();
        sendMouseAtGlobal(&dialog, QEvent::MouseButtonDblClick, normal.topLeft() + QPoint(60, 10));
        QVERIFY(dialog.isWindowMaximized());
        QCOMPARE(dialog.geometry(), QGuiApplication::primaryScreen()->availableGeometry());
        // While maximised the edges are not hit-tested and the title does not drag.
        sendMouseAtGlobal(&dialog, QEvent::MouseMove, QPoint(dialog.geometry().left() + 1, 200));
        QCOMPARE(dialog.currentEdge(), int(QBaseDrawWidget::EdgeNone));
        sendMouseAtGlobal(&dialog, QEvent::MouseButtonDblClick, dialog.geometry().topLeft() + QPoint(60, 10));
        QVERIFY(!dialog.isWindowMaximized());
        QCOMPARE(dialog.geometry(), normal);
    }

    void screenAreaIsTheOneHoldingTheWindow() {
        const QRect left(-1920, 0, 1920, 1080);
        const QRect primary(0, 0, 2560, 1440);
        const QVector<QRect> areas{left, primary};
        QCOMPARE(QBaseDrawWidget::areaHolding(QRect(-1500, 200, 600, 400), areas, primary), left);
        QCOMPARE(QBaseDrawWidget::areaHolding(QRect(300, 200, 600, 400), areas, primary), primary);
        // Centre off every screen: the area it overlaps most.
        QCOMPARE(QBaseDrawWidget::areaHolding(QRect(-300, -900, 200, 1000), areas, primary), left);
        QCOMPARE(QBaseDrawWidget::areaHolding(QRect(9000, 9000, 10, 10), areas, primary), primary);
    }

    void centringKeepsNegativeCoordinatesOfScreensLeftOfThePrimary() {
        const QRect left(-1920, 0, 1920, 1080);
        const QPoint centred = QBaseDrawWidget::centredPosition(QRect(-1700, 100, 800, 600), QSize(400, 300), left);
        QCOMPARE(centred, QPoint(-1500, 250));
        // Only a position at or before the screen's own edge is pulled 50 pixels inside.
        const QPoint pulled = QBaseDrawWidget::centredPosition(QRect(-1920, 0, 100, 100), QSize(400, 300), left);
        QCOMPARE(pulled, QPoint(-1920 + 50, 50));
        const QPoint primary =
            QBaseDrawWidget::centredPosition(QRect(0, 0, 200, 200), QSize(400, 300), QRect(0, 0, 1920, 1080));
        QCOMPARE(primary, QPoint(50, 50));
    }

    void centerWidgetPlacesTheOtherWindowOnTheOwner() {
        QRZDialog owner;
        owner.setGeometry(100, 100, 400, 300);
        owner.show();
        QWidget other;
        other.resize(200, 100);
        owner.centerWidget(&other);
        QCOMPARE(other.pos(), QPoint(200, 200));
    }

    void backgroundImageSizesTheWindow() {
        QTemporaryDir dir;
        const QString path = save(dir, "bg.png", nineCells(90, 90, 30, 30));
        QRZDialog fixed;
        QVERIFY(fixed.loadBackgroundImage(path, false));
        QCOMPARE(fixed.size(), QSize(90, 90));
        QCOMPARE(fixed.resizeFlags(), 0);
        fixed.setGeometry(50, 50, 90, 90);
        fixed.show();
        sendMouseAtGlobal(&fixed, QEvent::MouseButtonDblClick, QPoint(60, 60));
        QCOMPARE(fixed.geometry(), QRect(50, 50, 90, 90));

        QRZDialog growing;
        QVERIFY(growing.loadBackgroundImage(path, true));
        QCOMPARE(growing.minimumSize(), QSize(90, 90));
        QCOMPARE(growing.resizeFlags(), int(QBaseDrawWidget::ResizeBoth));
    }

    void undecodableBackgroundChangesNothing() {
        QTemporaryDir dir;
        QFile file(dir.filePath("bg.png"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("\x89PNG broken");
        file.close();
        QRZDialog dialog;
        dialog.resize(321, 123);
        QVERIFY(!dialog.loadBackgroundImage(file.fileName(), false));
        QCOMPARE(dialog.size(), QSize(321, 123));
        QVERIFY(!dialog.hasBackgroundImage());
        QCOMPARE(dialog.resizeFlags(), int(QBaseDrawWidget::ResizeBoth));
        QVERIFY(!dialog.loadBackgroundImage(dir.filePath("missing.png"), true));
        QVERIFY(!dialog.setTitleImage(file.fileName()));
    }

    void frameIsDrawnNinePatch() {
        QRZDialog dialog;
        dialog.applyBackgroundImage(nineCells(90, 90, 30, 30), true);
        dialog.resize(200, 150);
        const QImage image = render(&dialog);
        const QImage cells = nineCells(90, 90, 30, 30);
        QCOMPARE(at(image, 0, 0), at(cells, 0, 0));
        QCOMPARE(at(image, 199, 0), at(cells, 89, 0));
        QCOMPARE(at(image, 0, 149), at(cells, 0, 89));
        QCOMPARE(at(image, 199, 149), at(cells, 89, 89));
        QCOMPARE(at(image, 100, 10), at(cells, 45, 10));
        QCOMPARE(at(image, 10, 75), at(cells, 10, 45));
        QCOMPARE(at(image, 100, 75), at(cells, 45, 45));
    }

    void zeroCutValuesStretchTheWholeImage() {
        QRZWidget widget;
        widget.applyBackgroundImage(nineCells(90, 90, 30, 30), false);
        widget.setBackgroundMargins(0, 0, 0, 0, 0, 0, 0, 0);
        widget.resize(180, 180);
        const QImage image = render(&widget);
        const QImage cells = nineCells(90, 90, 30, 30);
        QCOMPARE(at(image, 10, 10), at(cells, 5, 5));
        QCOMPARE(at(image, 90, 90), at(cells, 45, 45));
        QCOMPARE(at(image, 170, 170), at(cells, 85, 85));
    }

    void withoutImageTheWindowIsFilledWithItsColour() {
        QRZWidget widget;
        widget.resize(40, 30);
        widget.setBackgroundColor(QColor(12, 34, 56));
        const QImage image = render(&widget);
        QCOMPARE(at(image, 5, 5), QColor(12, 34, 56));
        QCOMPARE(at(image, 38, 28), QColor(12, 34, 56));
    }

    void centredTitleImageKeepsItsPlaceAfterResizes() {
        QTemporaryDir dir;
        QImage logo(20, 10, QImage::Format_ARGB32);
        logo.fill(Qt::magenta);
        const QString path = save(dir, "logo.png", logo);
        QRZDialog dialog;
        dialog.resize(200, 100);
        dialog.setBackgroundColor(Qt::black);
        QVERIFY(dialog.setTitleImage(path));
        dialog.setTitleImageRect(QRect(-1, 5, 0, 0));
        QImage image = render(&dialog);
        QCOMPARE(dialog.titleImageRect(), QRect(90, 5, 20, 10));
        QCOMPARE(at(image, 95, 8), QColor(Qt::magenta));
        dialog.resize(400, 100);
        image = render(&dialog);
        QCOMPARE(dialog.titleImageRect(), QRect(90, 5, 20, 10));
        QCOMPARE(at(image, 195, 8), QColor(Qt::black));
    }

    void emptyTitleDrawsNothingAndLongTitlesStayInTheirRectangle() {
        QRZDialog dialog;
        dialog.resize(200, 60);
        dialog.setBackgroundColor(Qt::black);
        QPalette palette = dialog.palette();
        palette.setColor(QPalette::WindowText, Qt::white);
        dialog.setPalette(palette);
        const QImage blankTitle = render(&dialog);
        dialog.setTitleTextRect(QRect(10, 10, 60, 20));
        dialog.setTitle(QString());
        QCOMPARE(render(&dialog), blankTitle);
        dialog.setTitle(QStringLiteral("A very long window caption that cannot fit"));
        const QImage titled = render(&dialog);
        QVERIFY(titled != blankTitle);
        // Elided inside its 60-pixel rectangle: nothing drawn right of it.
        for (int x = 71; x < 200; ++x) {
            for (int y = 0; y < 60; ++y) {
                QCOMPARE(at(titled, x, y), QColor(Qt::black));
            }
        }
    }

    void mainWindowBaseForwardsToTheMixIn() {
        QRZMainWindow window;
        window.setGeometry(100, 100, 300, 200);
        window.show();
        const QPoint origin = window.pos();
        const QPoint grab = window.mapToGlobal(QPoint(30, 20));
        sendMouseAtGlobal(&window, QEvent::MouseButtonPress, grab);
        sendMouseAtGlobal(&window, QEvent::MouseMove, grab + QPoint(-10, 5));
        sendMouseAtGlobal(&window, QEvent::MouseButtonRelease, grab + QPoint(-10, 5));
        QCOMPARE(window.pos(), origin + QPoint(-10, 5));
        QFocusEvent focusOut(QEvent::FocusOut);
        sendMouseAtGlobal(&window, QEvent::MouseButtonPress, grab);
        QApplication::sendEvent(&window, &focusOut);
        QVERIFY(!window.isDragging());
    }
};

QTEST_MAIN(TestWindowBase)
#include "tst_windowbase.moc"
