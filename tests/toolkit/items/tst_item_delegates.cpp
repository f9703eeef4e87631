// Item delegates and in-cell buttons: tile and row painting, pictures carried as values,
// and when a press and release on an in-cell button make a click.
#include "toolkit/IBaseChunk.h"
#include "toolkit/QBaseDetailsModel.h"
#include "toolkit/QBaseIconListDelegate.h"
#include "toolkit/QRZBaseStyleDelegate.h"
#include "toolkit/QRZButton.h"
#include "toolkit/QRZItemButtonList.h"
#include "toolkit/QRZListView.h"
#include "toolkit/QRZTableView.h"

#include <QPainter>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {
const QColor kFrameColors[4] = {QColor(200, 0, 0), QColor(0, 200, 0), QColor(0, 0, 200), QColor(90, 90, 90)};

// A four-frame strip of solid colours, 20 x 20 per frame.
QString writeStrip(const QTemporaryDir& dir, const QString& name) {
    QImage strip(80, 20, QImage::Format_ARGB32);
    for (int frame = 0; frame < 4; ++frame)
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 20; ++x)
                strip.setPixelColor(frame * 20 + x, y, kFrameColors[frame]);
    const QString path = dir.filePath(name);
    strip.save(path);
    return path;
}

// A record whose columns can be disabled (the model's edit role reads the mask).
struct MaskChunk : IBaseChunk {
    void disableColumn(int column) { m_columnMask &= ~(1u << column); }
};

// One column of tiles whose pictures and texts are given per row.
class TileModel : public QBaseDetailsModel {
public:
    QVector<QVariant> decorations;
    QVector<QVariant> overlays;
    QVariant data(const QModelIndex& index, int role) const override {
        if (index.isValid() && role == Qt::DecorationRole && index.row() < decorations.size())
            return decorations.at(index.row());
        if (index.isValid() && role == kItemCheckWriteRole && index.row() < overlays.size())
            return overlays.at(index.row());
        return QBaseDetailsModel::data(index, role);
    }
};

// Every row reads "W".
class TextModel : public QBaseDetailsModel {
public:
    QVariant data(const QModelIndex& index, int role) const override {
        if (index.isValid() && role == Qt::DisplayRole)
            return QString("W");
        return QBaseDetailsModel::data(index, role);
    }
};

struct Fixture {
    std::vector<std::unique_ptr<MaskChunk>> owned;
    std::vector<IBaseChunk*> chunks;
    TileModel model;
    explicit Fixture(int rows, int columns) {
        QStringList labels;
        for (int c = 0; c < columns; ++c)
            labels << QString();
        model.setHeaderLabels(labels);
        for (int r = 0; r < rows; ++r) {
            owned.emplace_back(new MaskChunk);
            chunks.push_back(owned.back().get());
        }
        model.setChunks(&chunks);
        model.setItemSize(60, 60);
    }
};

void sendMouse(QWidget* viewport, QEvent::Type type, const QPoint& pos) {
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    const Qt::MouseButtons buttons = type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton;
    QMouseEvent event(type, pos, viewport->mapToGlobal(pos), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(viewport, &event);
}

void click(QWidget* viewport, const QPoint& press, const QPoint& release) {
    sendMouse(viewport, QEvent::MouseButtonPress, press);
    sendMouse(viewport, QEvent::MouseButtonRelease, release);
}

QStyleOptionViewItem tileOption(const QRect& rect) {
    QStyleOptionViewItem option;
    option.rect = rect;
    option.state = QStyle::State_Enabled;
    return option;
}
} // namespace

class TestItemDelegates : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void buttonListTotals();
    void tilePictureFromValuesAndPaths();
    void tileTextAndBackground();
    void iconListButtonClicks();
    void tableButtonClicks();
    void tableButtonPlacementAndRowLine();
    void tableCheckBox();

private:
    QTemporaryDir m_dir;
    QString m_strip;
};

void TestItemDelegates::initTestCase() {
    QVERIFY(m_dir.isValid());
    m_strip = writeStrip(m_dir, "button.png");
}

void TestItemDelegates::buttonListTotals() {
    QRZItemButtonList list(3);
    QRZStyleButton a, b;
    QVERIFY(a.setImages(m_strip, QString()));
    QVERIFY(b.setImages(m_strip, QString()));
    QVERIFY(list.addButton(&a));
    QVERIFY(list.addButton(&b));
    QVERIFY(!list.addButton(nullptr));
    QCOMPARE(list.key(), 3);
    QCOMPARE(list.count(), 2);
    QCOMPARE(list.totalWidth(), 40);
    QCOMPARE(list.button(1), &b);
    QCOMPARE(list.button(2), nullptr);
    QCOMPARE(list.alignment(), 132);
    QVERIFY(list.isHoverRowOnly());
    QVERIFY(!list.isHidden());
}

void TestItemDelegates::tilePictureFromValuesAndPaths() {
    Fixture f(5, 1);
    // Wide pictures: fitted into the square tile they leave bands above and below.
    QImage red(20, 10, QImage::Format_ARGB32);
    red.fill(Qt::red);
    const QString bluePath = m_dir.filePath("blue.png");
    QImage blue(20, 10, QImage::Format_ARGB32);
    blue.fill(Qt::blue);
    QVERIFY(blue.save(bluePath));
    // Texts beginning with "0x" are file names like any other: never addresses.
    f.model.decorations = {QVariant(red), QVariant(bluePath), QVariant(QString("0x0")),
                           QVariant(QString("0x%1").arg(quintptr(&red), 0, 16)), QVariant(QPixmap::fromImage(blue))};
    f.model.setBackgroundColors(QColor(30, 30, 30), QColor(30, 30, 30));
    QBaseIconListDelegate delegate;
    const QColor thumbBackground(0, 0, 0);
    const QColor expected[5] = {Qt::red, Qt::blue, QColor(30, 30, 30), QColor(30, 30, 30), Qt::blue};
    for (int row = 0; row < 5; ++row) {
        QImage canvas(60, 60, QImage::Format_ARGB32);
        canvas.fill(Qt::white);
        QPainter painter(&canvas);
        delegate.paint(&painter, tileOption(QRect(0, 0, 60, 60)), f.model.index(row, 0));
        painter.end();
        QCOMPARE(canvas.pixelColor(30, 30), expected[row]);
        if (row < 2 || row == 4)
            QCOMPARE(canvas.pixelColor(30, 2), thumbBackground); // bands in the thumbnail colour
    }

    // An overlay picture is scaled to the tile and drawn at its top-left.
    f.model.decorations = {QVariant()};
    f.model.overlays = {QVariant(red)};
    QImage canvas(60, 40, QImage::Format_ARGB32);
    canvas.fill(Qt::white);
    QPainter painter(&canvas);
    delegate.paint(&painter, tileOption(QRect(0, 0, 60, 40)), f.model.index(0, 0));
    painter.end();
    // 20 x 10 kept in ratio inside 60 x 40: 60 x 30 at the top-left.
    QCOMPARE(canvas.pixelColor(1, 1), QColor(Qt::red));
    QCOMPARE(canvas.pixelColor(58, 28), QColor(Qt::red));
    QCOMPARE(canvas.pixelColor(30, 36), QColor(30, 30, 30));
}

void TestItemDelegates::tileTextAndBackground() {
    Fixture f(2, 1);
    f.chunks[1]->setFlagged(true);
    f.model.setBackgroundColors(QColor(10, 20, 30), QColor(10, 20, 30));
    QBaseIconListDelegate delegate;
    QImage canvas(40, 40, QImage::Format_ARGB32);
    QPainter painter(&canvas);
    QStyleOptionViewItem option = tileOption(QRect(0, 0, 40, 40));
    delegate.paint(&painter, option, f.model.index(0, 0));
    QCOMPARE(canvas.pixelColor(20, 20), QColor(10, 20, 30));
    option.state |= QStyle::State_Selected;
    delegate.paint(&painter, option, f.model.index(0, 0));
    painter.end();
    QCOMPARE(canvas.pixelColor(20, 20), QColor(135, 135, 135));
    delegate.setColor(QColor(84, 82, 82), QColor(250, 237, 237));
    QPainter again(&canvas);
    delegate.paint(&again, option, f.model.index(0, 0));
    again.end();
    QCOMPARE(canvas.pixelColor(20, 20), QColor(84, 82, 82));

    // Text: the selected colour for a selected tile, but a flagged row keeps its own.
    TextModel texts;
    texts.setHeaderLabels({""});
    texts.setChunks(&f.chunks);
    QFont big;
    big.setPixelSize(30);
    big.setBold(true);
    delegate.setFont(big);
    delegate.setColor(QColor(84, 82, 82), QColor(255, 255, 255));
    auto countIn = [&](int row, const QColor& colour) {
        QImage tile(60, 40, QImage::Format_ARGB32);
        QPainter p(&tile);
        QStyleOptionViewItem selected = tileOption(QRect(0, 0, 60, 40));
        selected.state |= QStyle::State_Selected;
        delegate.paint(&p, selected, texts.index(row, 0));
        p.end();
        int n = 0;
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 60; ++x)
                n += tile.pixelColor(x, y) == colour ? 1 : 0;
        return n;
    };
    QVERIFY(countIn(0, QColor(255, 255, 255)) > 10);
    QCOMPARE(countIn(1, QColor(255, 255, 255)), 0);
    QVERIFY(countIn(1, QColor(255, 140, 71)) > 10);
}

void TestItemDelegates::iconListButtonClicks() {
    Fixture f(3, 1);
    f.chunks[1]->setButtonsVisible(false);
    QRZListView view;
    view.setModel(&f.model);
    view.setSourceModelRef(&f.model);
    view.setGridSize(QSize(60, 60));
    view.resize(300, 100);
    QBaseIconListDelegate delegate;
    view.setItemDelegate(&delegate);
    view.setDelegateRef(&delegate);
    QRZStyleButton button;
    QVERIFY(button.setImages(m_strip, QString()));
    button.setValues(30, 5);
    QRZItemButtonList list(0);
    list.addButton(&button);
    QVERIFY(delegate.addItemButtons(&list));
    QVERIFY(!delegate.addItemButtons(nullptr));
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));

    QSignalSpy clicked(&button, &QRZStyleButton::emitClickIndex);
    QSignalSpy widgetClicked(&delegate, &QBaseIconListDelegate::clickWidgt);
    auto buttonCentre = [&](int row) { return view.visualRect(f.model.index(row, 0)).topLeft() + QPoint(40, 15); };
    QVERIFY(view.visualRect(f.model.index(0, 0)).contains(buttonCentre(0)));

    click(view.viewport(), buttonCentre(0), buttonCentre(0));
    QCOMPARE(clicked.count(), 1);
    QCOMPARE(clicked.at(0).at(0).value<QModelIndex>().row(), 0);
    QCOMPARE(widgetClicked.count(), 1);

    // Pressed on one tile's button, released on another's: no click.
    click(view.viewport(), buttonCentre(0), buttonCentre(2));
    // Pressed beside the button, released on it: no click.
    click(view.viewport(), buttonCentre(2) + QPoint(-35, 30), buttonCentre(2));
    QCOMPARE(clicked.count(), 1);

    // A disabled column paints its button without the enabled state and gives no click.
    f.owned[2]->disableColumn(0);
    click(view.viewport(), buttonCentre(2), buttonCentre(2));
    QCOMPARE(clicked.count(), 1);
    QCOMPARE(widgetClicked.count(), 1);

    // A disabled button gives no click either.
    button.setEnabled(false);
    click(view.viewport(), buttonCentre(0), buttonCentre(0));
    QCOMPARE(clicked.count(), 1);
    button.setEnabled(true);

    // A record without buttons lets the press through to the view (it selects the tile).
    click(view.viewport(), buttonCentre(1), buttonCentre(1));
    QCOMPARE(clicked.count(), 1);
    QCOMPARE(view.currentIndex().row(), 1);

    click(view.viewport(), buttonCentre(0), buttonCentre(0));
    QCOMPARE(clicked.count(), 2);

    // A double click on an in-cell button is not the tile's double click.
    QSignalSpy doubleClicked(&view, &QAbstractItemView::doubleClicked);
    QVERIFY(delegate.isPressClaimed());
    sendMouse(view.viewport(), QEvent::MouseButtonDblClick, buttonCentre(0));
    QCOMPARE(doubleClicked.count(), 0);
    const QPoint beside = buttonCentre(0) + QPoint(-35, 30);
    click(view.viewport(), beside, beside);
    QVERIFY(!delegate.isPressClaimed());
    sendMouse(view.viewport(), QEvent::MouseButtonDblClick, beside);
    QCOMPARE(doubleClicked.count(), 1);
}

void TestItemDelegates::tableButtonClicks() {
    Fixture f(3, 2);
    QRZTableView view;
    view.setModel(&f.model);
    view.setSourceModelRef(&f.model);
    QRZBaseStyleDelegate delegate;
    view.setItemDelegate(&delegate);
    view.setDelegateRef(&delegate);
    QRZStyleButton button;
    QVERIFY(button.setImages(m_strip, QString()));
    QRZItemButtonList list(1);
    list.addButton(&button);
    delegate.addItemButtons(&list);
    view.resize(300, 200);
    view.setColumnWidth(1, 100);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));

    QSignalSpy clicked(&button, &QRZStyleButton::emitClickIndex);
    QSignalSpy widgetClicked(&delegate, &QRZBaseStyleDelegate::clickWidgt);
    auto buttonCentre = [&](int row) { return view.visualRect(f.model.index(row, 1)).center(); };

    click(view.viewport(), buttonCentre(0), buttonCentre(0));
    QCOMPARE(clicked.count(), 1);
    QCOMPARE(widgetClicked.count(), 1);

    // The release lands on another row's button: the press began elsewhere.
    click(view.viewport(), buttonCentre(0), buttonCentre(2));
    click(view.viewport(), view.visualRect(f.model.index(2, 0)).center(), buttonCentre(2));
    QCOMPARE(clicked.count(), 1);
    QCOMPARE(widgetClicked.count(), 1);

    // A disabled column or button emits neither signal.
    f.owned[2]->disableColumn(1);
    click(view.viewport(), buttonCentre(2), buttonCentre(2));
    button.setEnabled(false);
    click(view.viewport(), buttonCentre(0), buttonCentre(0));
    QCOMPARE(clicked.count(), 1);
    QCOMPARE(widgetClicked.count(), 1);
    button.setEnabled(true);

    click(view.viewport(), buttonCentre(0), buttonCentre(0));
    QCOMPARE(clicked.count(), 2);
    QVERIFY(delegate.isPressClaimed());
}

void TestItemDelegates::tableButtonPlacementAndRowLine() {
    Fixture f(1, 2);
    QRZBaseStyleDelegate delegate;
    delegate.setColor2(QColor(1, 2, 3));
    f.model.setBackgroundColors(QColor(50, 50, 50), QColor(50, 50, 50));
    QRZStyleButton first, second;
    QVERIFY(first.setImages(m_strip, QString()));
    QVERIFY(second.setImages(m_strip, QString()));
    QRZItemButtonList list(1);
    list.addButton(&first);
    list.addButton(&second);
    list.setValue4(false); // every row, not only the hovered one
    list.setAlignment(Qt::AlignRight);
    delegate.addItemButtons(&list);

    QImage canvas(100, 30, QImage::Format_ARGB32);
    canvas.fill(Qt::white);
    QPainter painter(&canvas);
    delegate.paint(&painter, tileOption(QRect(0, 0, 100, 30)), f.model.index(0, 1));
    painter.end();
    // Right-aligned group of two 20-pixel buttons: x 60 to 99, rows 5 to 24.
    QCOMPARE(canvas.pixelColor(59, 15), QColor(50, 50, 50));
    QCOMPARE(canvas.pixelColor(60, 15), kFrameColors[0]);
    QCOMPARE(canvas.pixelColor(99, 15), kFrameColors[0]);
    QCOMPARE(canvas.pixelColor(70, 4), QColor(50, 50, 50));
    // The row line along the bottom edge.
    QCOMPARE(canvas.pixelColor(10, 29), QColor(1, 2, 3));

    // A disabled column paints the disabled frame.
    static_cast<MaskChunk*>(f.chunks[0])->disableColumn(1);
    canvas.fill(Qt::white);
    QPainter again(&canvas);
    delegate.paint(&again, tileOption(QRect(0, 0, 100, 30)), f.model.index(0, 1));
    again.end();
    QCOMPARE(canvas.pixelColor(70, 15), kFrameColors[3]);

    // Centred (also for right alignment with the 0x80 bit): x 30 to 69.
    list.setAlignment(0x82);
    canvas.fill(Qt::white);
    QPainter centred(&canvas);
    delegate.paint(&centred, tileOption(QRect(0, 0, 100, 30)), f.model.index(0, 0));
    delegate.paint(&centred, tileOption(QRect(0, 0, 100, 30)), f.model.index(0, 1));
    centred.end();
    QCOMPARE(canvas.pixelColor(29, 15), QColor(50, 50, 50));
    QCOMPARE(canvas.pixelColor(30, 15), kFrameColors[3]);
    QCOMPARE(canvas.pixelColor(70, 15), QColor(50, 50, 50));
}

void TestItemDelegates::tableCheckBox() {
    Fixture f(2, 2);
    QRZTableView view;
    view.setModel(&f.model);
    QRZBaseStyleDelegate delegate;
    view.setItemDelegate(&delegate);
    view.setDelegateRef(&delegate);
    view.resize(300, 200);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    QSignalSpy checks(&delegate, &QRZBaseStyleDelegate::emitCheckStateChange);

    // Without a check column nothing is ever emitted.
    const QRect cell = view.visualRect(f.model.index(0, 0));
    click(view.viewport(), cell.topLeft() + QPoint(8, cell.height() / 2), cell.topLeft() + QPoint(8, 10));
    QCOMPARE(checks.count(), 0);
    f.chunks[0]->setCheckState(0);

    QImage off(14, 14, QImage::Format_ARGB32), on(14, 14, QImage::Format_ARGB32);
    off.fill(Qt::gray);
    on.fill(Qt::green);
    delegate.setCheckColumn(0);
    delegate.setCheckBoxImages(off, QImage(), on);
    delegate.setCheckBoxSize(14, 14);
    const QPoint box = cell.topLeft() + QPoint(5 + 7, cell.height() / 2);
    sendMouse(view.viewport(), QEvent::MouseButtonPress, box);
    QCOMPARE(checks.count(), 1);
    QCOMPARE(checks.at(0).at(1).toInt(), 2);
    QVERIFY(delegate.isOnCheckBox());
    sendMouse(view.viewport(), QEvent::MouseButtonRelease, box);
    f.chunks[0]->setCheckState(2);
    sendMouse(view.viewport(), QEvent::MouseButtonPress, box);
    QCOMPARE(checks.at(1).at(1).toInt(), 0);

    // A double click on the check box is not the row's double click; beside it, it is.
    QSignalSpy doubleClicked(&view, &QAbstractItemView::doubleClicked);
    sendMouse(view.viewport(), QEvent::MouseButtonRelease, box);
    sendMouse(view.viewport(), QEvent::MouseButtonDblClick, box);
    QCOMPARE(doubleClicked.count(), 0);
    const QPoint text = cell.center() + QPoint(20, 0);
    click(view.viewport(), text, text);
    QVERIFY(!delegate.isOnCheckBox());
    sendMouse(view.viewport(), QEvent::MouseButtonDblClick, text);
    QCOMPARE(doubleClicked.count(), 1);

    QImage canvas(cell.size(), QImage::Format_ARGB32);
    QPainter painter(&canvas);
    delegate.paint(&painter, tileOption(QRect(QPoint(0, 0), cell.size())), f.model.index(0, 0));
    painter.end();
    QCOMPARE(canvas.pixelColor(5 + 7, cell.height() / 2), QColor(Qt::green));
}

QTEST_MAIN(TestItemDelegates)
#include "tst_item_delegates.moc"
