// Menu: the proxy style's frame, item, separator and check-mark drawing, its metrics and
// its item sizes.
#include "toolkit/QRZMenu.h"

#include <QAction>
#include <QPainter>
#include <QStyleOptionMenuItem>
#include <QtTest>

#include "DrawTestSupport.h"

using drawtest::countColour;

namespace {
QStyleOptionMenuItem itemOption(const QRect& rect) {
    QStyleOptionMenuItem option;
    option.rect = rect;
    option.state = QStyle::State_Enabled;
    option.menuItemType = QStyleOptionMenuItem::Normal;
    option.checkType = QStyleOptionMenuItem::NotCheckable;
    option.maxIconWidth = 0;
    option.menuHasCheckableItems = false;
    option.tabWidth = 0;
    option.font = QFont("Tahoma");
    option.font.setPixelSize(12);
    option.fontMetrics = QFontMetrics(option.font);
    option.direction = Qt::LeftToRight;
    return option;
}

QImage paintItem(QRZMenu& menu, const QStyleOptionMenuItem& option) {
    QImage canvas(option.rect.size(), QImage::Format_ARGB32);
    canvas.fill(Qt::white);
    QPainter painter(&canvas);
    menu.menuStyle()->drawControl(QStyle::CE_MenuItem, &option, &painter, &menu);
    painter.end();
    return canvas;
}

} // namespace

class TestItemMenu : public QObject {
    Q_OBJECT
private slots:
    void constructionAndMetrics();
    void frameAndEmptyArea();
    void selectedAndDisabledItems();
    void radioMarkIsASixPixelDisc();
    void checkBoxMarks();
    void separatorWithCaption();
    void itemSizes();
    void colourMixing();
};

void TestItemMenu::constructionAndMetrics() {
    QRZMenu menu;
    QVERIFY(menu.windowFlags() & Qt::FramelessWindowHint);
    QVERIFY(menu.windowFlags() & Qt::Popup);
    QVERIFY(menu.testAttribute(Qt::WA_TranslucentBackground));
    QCOMPARE(menu.style(), static_cast<QStyle*>(menu.menuStyle()));
    QRZMenuStyle* style = menu.menuStyle();
    QCOMPARE(style->pixelMetric(QStyle::PM_MenuPanelWidth), 3);
    menu.setStyleValue(1);
    QCOMPARE(style->pixelMetric(QStyle::PM_MenuPanelWidth), 1);
    QCOMPARE(style->pixelMetric(QStyle::PM_SmallIconSize), 15);
    QCOMPARE(style->pixelMetric(QStyle::PM_MenuHMargin), 0);
    QCOMPARE(style->pixelMetric(QStyle::PM_MenuVMargin), 0);
}

void TestItemMenu::frameAndEmptyArea() {
    QRZMenu menu;
    menu.setBackgroundColor(QColor(54, 53, 53));
    menu.setStyleColor2(QColor(65, 64, 64));
    QImage canvas(20, 20, QImage::Format_ARGB32);
    canvas.fill(Qt::white);
    QPainter painter(&canvas);
    QStyleOption option;
    option.rect = QRect(0, 0, 20, 10);
    menu.menuStyle()->drawPrimitive(QStyle::PE_FrameMenu, &option, &painter, &menu);
    option.rect = QRect(0, 10, 20, 10);
    menu.menuStyle()->drawControl(QStyle::CE_MenuEmptyArea, &option, &painter, &menu);
    painter.end();
    QCOMPARE(canvas.pixelColor(5, 5), QColor(54, 53, 53));
    QCOMPARE(canvas.pixelColor(5, 15), QColor(65, 64, 64));

    // With a frame image the frame is drawn nine-patch from it.
    QImage frame(9, 9, QImage::Format_ARGB32);
    frame.fill(Qt::red);
    frame.setPixelColor(0, 0, Qt::blue);
    menu.menuStyle()->record().frameImage = frame;
    canvas.fill(Qt::white);
    QPainter again(&canvas);
    option.rect = QRect(0, 0, 20, 20);
    menu.menuStyle()->drawPrimitive(QStyle::PE_FrameMenu, &option, &again, &menu);
    again.end();
    QCOMPARE(canvas.pixelColor(0, 0), QColor(Qt::blue));
    QCOMPARE(canvas.pixelColor(10, 10), QColor(Qt::red));
}

void TestItemMenu::selectedAndDisabledItems() {
    QRZMenu menu;
    menu.setItemBackgroundColor(QColor(65, 64, 64));
    menu.setStyleColor5(QColor(217, 106, 114));
    menu.setStyleColor7(QColor(10, 10, 10));
    QStyleOptionMenuItem option = itemOption(QRect(0, 0, 120, 24));
    QImage plain = paintItem(menu, option);
    QCOMPARE(plain.pixelColor(110, 2), QColor(65, 64, 64));
    option.state |= QStyle::State_Selected;
    QImage selected = paintItem(menu, option);
    QCOMPARE(selected.pixelColor(110, 2), QColor(217, 106, 114));
    option.state &= ~QStyle::State_Enabled;
    QImage disabled = paintItem(menu, option);
    QCOMPARE(disabled.pixelColor(110, 2), QColor(10, 10, 10));
}

void TestItemMenu::radioMarkIsASixPixelDisc() {
    QRZMenu menu;
    menu.setItemBackgroundColor(QColor(65, 64, 64));
    menu.setTextColor(QColor(250, 237, 237));
    QStyleOptionMenuItem option = itemOption(QRect(0, 0, 100, 24));
    option.checkType = QStyleOptionMenuItem::Exclusive;
    option.checked = true;
    option.menuHasCheckableItems = true;
    const QImage canvas = paintItem(menu, option);
    // Square from (7, 5) to (20, 18); the disc is inset 4: about 6 pixels across.
    QCOMPARE(canvas.pixelColor(13, 11), QColor(250, 237, 237));
    QCOMPARE(canvas.pixelColor(9, 11), QColor(65, 64, 64));
    QCOMPARE(canvas.pixelColor(18, 11), QColor(65, 64, 64));
    const int solid = countColour(canvas, QRect(7, 5, 14, 14), QColor(250, 237, 237));
    QVERIFY2(solid >= 16 && solid <= 36, qPrintable(QString::number(solid)));

    option.checked = false;
    const QImage unchecked = paintItem(menu, option);
    QCOMPARE(countColour(unchecked, QRect(7, 5, 14, 14), QColor(250, 237, 237)), 0);
}

void TestItemMenu::checkBoxMarks() {
    QRZMenu menu;
    menu.setItemBackgroundColor(QColor(65, 64, 64));
    QStyleOptionMenuItem option = itemOption(QRect(0, 0, 100, 24));
    option.checkType = QStyleOptionMenuItem::NonExclusive;
    option.checked = true;
    option.menuHasCheckableItems = true;
    const QRect square(7, 5, 14, 14);
    // Without images the style's own check-box indicator is drawn.
    const QImage plain = paintItem(menu, option);
    QVERIFY(countColour(plain, square, QColor(65, 64, 64)) < square.width() * square.height());
    // With images: the checked one centred in the square.
    QImage on(10, 10, QImage::Format_ARGB32), off(10, 10, QImage::Format_ARGB32);
    on.fill(Qt::green);
    off.fill(Qt::gray);
    menu.menuStyle()->record().checkedImage = on;
    menu.menuStyle()->record().uncheckedImage = off;
    QCOMPARE(paintItem(menu, option).pixelColor(square.center()), QColor(Qt::green));
    option.checked = false;
    QCOMPARE(paintItem(menu, option).pixelColor(square.center()), QColor(Qt::gray));
    // An item with an icon shows no box.
    QPixmap icon(15, 15);
    icon.fill(Qt::blue);
    option.icon = QIcon(icon);
    option.maxIconWidth = 15;
    QCOMPARE(countColour(paintItem(menu, option), square, QColor(Qt::gray)), 0);
}

void TestItemMenu::separatorWithCaption() {
    QRZMenu menu;
    menu.setItemBackgroundColor(QColor(65, 64, 64));
    menu.setSeparatorColor(QColor(0, 223, 223));
    QStyleOptionMenuItem option = itemOption(QRect(0, 0, 200, 20));
    option.menuItemType = QStyleOptionMenuItem::Separator;
    QImage line = paintItem(menu, option);
    const int y = option.rect.center().y();
    // From left + 5 to right - 5 (right is 199).
    QCOMPARE(line.pixelColor(5, y), QColor(0, 223, 223));
    QCOMPARE(line.pixelColor(194, y), QColor(0, 223, 223));
    QCOMPARE(line.pixelColor(4, y), QColor(65, 64, 64));
    QCOMPARE(line.pixelColor(195, y), QColor(65, 64, 64));

    option.text = "Recent";
    const int captionEnd = 5 + QFontMetrics(option.font).horizontalAdvance("Recent") + 5;
    QImage captioned = paintItem(menu, option);
    QVERIFY(captioned.pixelColor(captionEnd - 8, y) != QColor(0, 223, 223));
    QCOMPARE(captioned.pixelColor(captionEnd + 1, y), QColor(0, 223, 223));
    QCOMPARE(captioned.pixelColor(194, y), QColor(0, 223, 223));
    QVERIFY(countColour(captioned, QRect(5, 0, captionEnd - 10, 20), QColor(65, 64, 64)) < (captionEnd - 10) * 20);
}

void TestItemMenu::itemSizes() {
    QRZMenu menu;
    QRZMenuStyle* style = menu.menuStyle();
    QStyleOptionMenuItem option = itemOption(QRect(0, 0, 100, 20));
    option.text = "Preferences";
    const QSize contents(80, 16);
    QProxyStyle plain;
    // Without an item width or height the base style's sizes hold.
    QCOMPARE(style->sizeFromContents(QStyle::CT_MenuItem, &option, contents, &menu),
             plain.sizeFromContents(QStyle::CT_MenuItem, &option, contents, &menu));
    style->record().itemHeight = 30;
    QCOMPARE(style->sizeFromContents(QStyle::CT_MenuItem, &option, contents, &menu), QSize(80 + 52, 30));
    option.text = "Open\tCtrl+O";
    option.menuHasCheckableItems = true;
    QCOMPARE(style->sizeFromContents(QStyle::CT_MenuItem, &option, contents, &menu).width(), 80 + 32 + 22 + 52);
    style->record().itemWidth = 150;
    style->record().itemHeight = -1;
    const QSize sized = style->sizeFromContents(QStyle::CT_MenuItem, &option, contents, &menu);
    QCOMPARE(sized, QSize(150, QFontMetrics(option.font).height() + 8));
    option.menuItemType = QStyleOptionMenuItem::Separator;
    QCOMPARE(style->sizeFromContents(QStyle::CT_MenuItem, &option, contents, &menu), QSize(150, 2));
}

void TestItemMenu::colourMixing() {
    QCOMPARE(QRZMenuStyle::mixColors(QColor(200, 100, 0), QColor(0, 100, 200), 50), QColor(100, 100, 100));
    QCOMPARE(QRZMenuStyle::mixColors(QColor(255, 255, 255), QColor(0, 0, 0), 0), QColor(0, 0, 0));
    QCOMPARE(QRZMenuStyle::mixColors(QColor(255, 255, 255), QColor(0, 0, 0), 100), QColor(255, 255, 255));
}

QTEST_MAIN(TestItemMenu)
#include "tst_item_menu.moc"
