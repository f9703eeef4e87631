// Scroll bar: size, style record, and what its style paints with and without hover.
#include "toolkit/QRZScrollBar.h"

#include <QPainter>
#include <QStyleOptionSlider>
#include <QtTest>

#include "DrawTestSupport.h"

using drawtest::countColour;

namespace {
QStyleOptionSlider sliderOption(Qt::Orientation orientation, const QSize& size, int minimum, int maximum) {
    QStyleOptionSlider option;
    option.rect = QRect(QPoint(0, 0), size);
    option.orientation = orientation;
    option.minimum = minimum;
    option.maximum = maximum;
    option.sliderPosition = minimum;
    option.sliderValue = minimum;
    option.pageStep = 10;
    option.singleStep = 1;
    option.upsideDown = false;
    option.subControls = QStyle::SC_All;
    option.activeSubControls = QStyle::SC_None;
    option.state = QStyle::State_Enabled;
    if (orientation == Qt::Horizontal)
        option.state |= QStyle::State_Horizontal;
    return option;
}

QImage paintBar(QRZScrollBarStyle& style, const QStyleOptionSlider& option) {
    QImage canvas(option.rect.size(), QImage::Format_ARGB32);
    canvas.fill(Qt::transparent);
    QPainter painter(&canvas);
    style.drawComplexControl(QStyle::CC_ScrollBar, &option, &painter, nullptr);
    painter.end();
    return canvas;
}

QRZScrollBar::StyleRecord distinctRecord() {
    QRZScrollBar::StyleRecord record;
    record.grooveColor = QColor(10, 10, 10);
    record.hoverGrooveColor = QColor(20, 20, 20);
    record.colors[QRZScrollBar::ButtonBackground] = QColor(30, 30, 30);
    record.colors[QRZScrollBar::ArrowNormal] = QColor(240, 0, 0);
    record.colors[QRZScrollBar::HandleNormal] = QColor(0, 0, 240);
    record.colors[QRZScrollBar::HandleHover] = QColor(0, 240, 0);
    return record;
}

} // namespace

class TestItemScrollBar : public QObject {
    Q_OBJECT
private slots:
    void sizesAndRecord();
    void emptyRangePaintsNothing();
    void withoutHoverOnlyTheHandle();
    void cornerRadiusFollowsThickness();
    void arrowsFromTrianglesOrStrip();
};

void TestItemScrollBar::sizesAndRecord() {
    QRZScrollBar vertical(Qt::Vertical);
    QCOMPARE(vertical.minimumWidth(), 10);
    QCOMPARE(vertical.maximumWidth(), 10);
    QRZScrollBar horizontal(Qt::Horizontal);
    QCOMPARE(horizontal.maximumHeight(), 10);
    QCOMPARE(vertical.style()->pixelMetric(QStyle::PM_ScrollBarExtent), 11);
    QVERIFY(vertical.testAttribute(Qt::WA_TranslucentBackground));

    QRZScrollBar::StyleRecord record = distinctRecord();
    record.arrowImage = QImage(16, 4, QImage::Format_ARGB32);
    record.arrowImage.fill(Qt::yellow);
    record.extent = 9;
    vertical.setStyleData(record);
    record.arrowImage.fill(Qt::black); // the bar keeps its own copy
    const QRZScrollBar::StyleRecord stored = vertical.styleData();
    QCOMPARE(stored.extent, 9);
    QCOMPARE(stored.colors[QRZScrollBar::HandleNormal], QColor(0, 0, 240));
    QCOMPARE(stored.arrowImage.pixelColor(0, 0), QColor(Qt::yellow));
    QCOMPARE(vertical.style()->pixelMetric(QStyle::PM_ScrollBarExtent), 9);
}

void TestItemScrollBar::emptyRangePaintsNothing() {
    QRZScrollBarStyle style;
    style.setRecord(distinctRecord());
    const QImage canvas = paintBar(style, sliderOption(Qt::Vertical, QSize(10, 100), 5, 5));
    QCOMPARE(countColour(canvas, canvas.rect(), QColor(Qt::transparent)), 10 * 100);
}

void TestItemScrollBar::withoutHoverOnlyTheHandle() {
    QRZScrollBarStyle style;
    style.setRecord(distinctRecord());
    const QImage canvas = paintBar(style, sliderOption(Qt::Vertical, QSize(10, 200), 0, 100));
    // No arrows: no pixel in the arrow colour; the handle in its normal colour.
    QCOMPARE(countColour(canvas, canvas.rect(), QColor(240, 0, 0)), 0);
    QVERIFY(countColour(canvas, canvas.rect(), QColor(0, 0, 240)) > 0);
    QCOMPARE(countColour(canvas, canvas.rect(), QColor(20, 20, 20)), 0);

    QStyleOptionSlider hovered = sliderOption(Qt::Vertical, QSize(10, 200), 0, 100);
    hovered.state |= QStyle::State_MouseOver;
    hovered.activeSubControls = QStyle::SC_ScrollBarSlider;
    const QImage hover = paintBar(style, hovered);
    QVERIFY(countColour(hover, hover.rect(), QColor(0, 240, 0)) > 0);
    QVERIFY(countColour(hover, hover.rect(), QColor(240, 0, 0)) > 0);
}

void TestItemScrollBar::cornerRadiusFollowsThickness() {
    QRZScrollBarStyle style;
    QRZScrollBar::StyleRecord record = distinctRecord();
    record.colors[QRZScrollBar::ButtonBackground] = QColor(0, 0, 0, 0);
    record.grooveColor = QColor(0, 0, 0, 0);
    style.setRecord(record);
    QStyleOptionSlider option = sliderOption(Qt::Vertical, QSize(10, 200), 0, 100);
    const QRect handle = style.subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSlider, nullptr);
    QVERIFY(handle.height() > 10);
    const QImage canvas = paintBar(style, option);
    // Radius 5 on a 10-pixel bar: the handle's corners are cut, its middle is full.
    QVERIFY(canvas.pixelColor(handle.left(), handle.top()).alpha() < 128);
    QCOMPARE(canvas.pixelColor(5, handle.center().y()), QColor(0, 0, 240));
    QCOMPARE(canvas.pixelColor(0, handle.center().y()), QColor(0, 0, 240));

    record.cornerRadius = 0;
    style.setRecord(record);
    const QImage square = paintBar(style, option);
    QCOMPARE(square.pixelColor(handle.left(), handle.top()), QColor(0, 0, 240));
}

void TestItemScrollBar::arrowsFromTrianglesOrStrip() {
    QRZScrollBarStyle style;
    QRZScrollBar::StyleRecord record = distinctRecord();
    record.alwaysShowArrows = 1;
    style.setRecord(record);
    QStyleOptionSlider option = sliderOption(Qt::Horizontal, QSize(200, 12), 0, 100);
    const QRect addLine = style.subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarAddLine, nullptr);
    QVERIFY(!addLine.isEmpty());
    QImage canvas = paintBar(style, option);
    QVERIFY(countColour(canvas, addLine, QColor(240, 0, 0)) > 0);

    // A strip: frame 0 of its up/left arrow, turned round for the far end.
    record.arrowImage = QImage(4 * 8, 8, QImage::Format_ARGB32);
    record.arrowImage.fill(QColor(255, 255, 0));
    style.setRecord(record);
    canvas = paintBar(style, option);
    QCOMPARE(canvas.pixelColor(addLine.center()), QColor(255, 255, 0));
    QCOMPARE(countColour(canvas, addLine, QColor(240, 0, 0)), 0);

    // A record without an image brings the triangles back.
    record.arrowImage = QImage();
    style.setRecord(record);
    canvas = paintBar(style, option);
    QVERIFY(countColour(canvas, addLine, QColor(240, 0, 0)) > 0);

    const QImage left = QRZScrollBarStyle::generateArrow(QSize(8, 8), QRZScrollBarStyle::ArrowLeft, Qt::red, false);
    QCOMPARE(left.pixelColor(0, 0).alpha(), 0);
    QVERIFY(left.pixelColor(3, 4).alpha() > 0);
    const QImage framed = QRZScrollBarStyle::generateArrow(QSize(8, 8), QRZScrollBarStyle::ArrowLeft, Qt::red, true);
    QVERIFY(framed.pixelColor(0, 0).alpha() > 0);
}

QTEST_MAIN(TestItemScrollBar)
#include "tst_item_scrollbar.moc"
