// Combo box: plain and image-drawn rows, the face text, style-sheet rules, the arrow,
// and the checkable combo's single and multiple selection.
#include "toolkit/QRZComboBox.h"

#include <QAbstractButton>
#include <QListWidget>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

namespace {
const QColor kFrameColors[4] = {QColor(200, 0, 0), QColor(0, 200, 0), QColor(0, 0, 200), QColor(90, 90, 90)};

QString writeStrip(const QTemporaryDir& dir, const QString& name, int frameWidth, int height) {
    QImage strip(frameWidth * 4, height, QImage::Format_ARGB32);
    for (int frame = 0; frame < 4; ++frame)
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < frameWidth; ++x)
                strip.setPixelColor(frame * frameWidth + x, y, kFrameColors[frame]);
    const QString path = dir.filePath(name);
    strip.save(path);
    return path;
}

QString writeBox(const QTemporaryDir& dir, const QString& name, const QColor& color) {
    QImage box(12, 12, QImage::Format_ARGB32);
    box.fill(color);
    const QString path = dir.filePath(name);
    box.save(path);
    return path;
}
} // namespace

class TestItemComboBox : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void plainComboWithoutFrame();
    void unreadableFrameChangesNothing();
    void rowsAndFaceText();
    void styleSheetRulesAreReplaced();
    void arrowStaysWhereFirstPlaced();
    void facePixels();
    void popupRowsPickAnItem();
    void rowColours();
    void removeAndRename();
    void multipleSelectionText();
    void singleSelectionFollowsCurrentRow();

private:
    QTemporaryDir m_dir;
    QString m_frame, m_arrow, m_off, m_on;
};

void TestItemComboBox::initTestCase() {
    QVERIFY(m_dir.isValid());
    m_frame = writeStrip(m_dir, "frame.png", 30, 20);
    m_arrow = writeStrip(m_dir, "arrow.png", 8, 6);
    m_off = writeBox(m_dir, "off.png", Qt::gray);
    m_on = writeBox(m_dir, "on.png", Qt::green);
}

void TestItemComboBox::plainComboWithoutFrame() {
    QRZComboBox combo;
    combo.addItem("one", 5);
    combo.addItems({"two", "three"});
    QCOMPARE(combo.count(), 3);
    QVERIFY(!combo.isImageDrawn());
    QCOMPARE(combo.popupList(), nullptr);
    QCOMPARE(combo.rowWidget(0), nullptr);
    QCOMPARE(combo.itemData(0).toInt(), 5);
    QCOMPARE(combo.itemButton(0), nullptr);
    combo.removeItem(1);
    QCOMPARE(combo.itemText(1), QString("three"));
}

void TestItemComboBox::unreadableFrameChangesNothing() {
    QRZComboBox combo;
    QVERIFY(!combo.setFrameImage(m_dir.filePath("missing.png")));
    QFile broken(m_dir.filePath("broken.png"));
    QVERIFY(broken.open(QIODevice::WriteOnly));
    broken.write("not a picture");
    broken.close();
    QVERIFY(!combo.setFrameImage(broken.fileName()));
    QVERIFY(!combo.isImageDrawn());
    QCOMPARE(combo.popupList(), nullptr);
    QVERIFY(combo.styleSheetText().isEmpty());
    QVERIFY(!combo.setArrowImage(m_dir.filePath("missing.png")));
    QCOMPARE(combo.arrowButton(), nullptr);
}

void TestItemComboBox::rowsAndFaceText() {
    QRZComboBox combo;
    combo.resize(120, 22);
    QVERIFY(combo.setFrameImage(m_frame));
    QVERIFY(combo.popupList());
    combo.addItem("first", 1);
    QCOMPARE(combo.shownText(), QString("first"));
    QCOMPARE(combo.toolTip(), QString("first"));
    combo.addItem("second", 2);
    combo.addItems({"third"});
    QCOMPARE(combo.shownText(), QString("first"));
    QCOMPARE(combo.count(), 3);
    QCOMPARE(combo.popupList()->count(), 3);
    QVERIFY(combo.rowWidget(2));
    QCOMPARE(combo.itemData(1).toInt(), 2);
    QCOMPARE(combo.popupList()->item(0)->sizeHint(), QSize(120, 19));
    combo.setCurrentIndex(2);
    QCOMPARE(combo.shownText(), QString("third"));
    QImage icon(4, 4, QImage::Format_ARGB32);
    icon.fill(Qt::blue);
    combo.insertRow(0, &icon, "zero", QVariant());
    QCOMPARE(combo.itemText(0), QString("zero"));
    QCOMPARE(combo.itemText(1), QString("first"));
    QCOMPARE(combo.itemButton(-1), nullptr);
    QCOMPARE(combo.itemButton(combo.count()), nullptr);
    QCOMPARE(combo.itemButton(0), nullptr); // plain rows hold no button
}

void TestItemComboBox::styleSheetRulesAreReplaced() {
    QRZComboBox combo;
    QVERIFY(combo.setFrameImage(m_frame));
    combo.setItemBackgroundColor(QColor(1, 2, 3));
    combo.setItemBackgroundColor(QColor(4, 5, 6));
    const QString sheet = combo.styleSheetText();
    QCOMPARE(sheet.count("QListView::item {background: "), 1);
    QVERIFY(sheet.contains("QListView::item {background: #040506;}"));
    QVERIFY(sheet.contains("QComboBox {background-color:transparent;border:none}"));
    combo.setPopupMinWidth(80);
    combo.setPopupMinWidth(90);
    QCOMPARE(combo.styleSheetText().count("min-width"), 1);
    QVERIFY(combo.styleSheetText().contains("QComboBox QAbstractItemView { min-height: 10px; min-width: 90px}"));
    combo.setPopupBorder(1, QColor(54, 53, 53));
    combo.setPopupBorder(2, QColor(54, 53, 53));
    QCOMPARE(combo.styleSheetText().count("solid"), 1);
    QVERIFY(combo.styleSheetText().contains("border: 2px solid #363535}"));
    // The other rules stay in place.
    QVERIFY(combo.styleSheetText().contains("QListView::item {background: #040506;}"));
    QCOMPARE(combo.styleSheet(), combo.styleSheetText());
}

void TestItemComboBox::arrowStaysWhereFirstPlaced() {
    QWidget window;
    window.resize(300, 100);
    QRZComboBox combo(&window);
    combo.resize(100, 24);
    QVERIFY(combo.setFrameImage(m_frame));
    QVERIFY(combo.setArrowImage(m_arrow, true));
    QCOMPARE(combo.arrowButton()->size(), QSize(8, 6));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(combo.arrowButton()->pos(), QPoint(92, 9));
    combo.resize(150, 30);
    QCOMPARE(combo.arrowButton()->pos(), QPoint(92, 9));
    QSignalSpy clicked(&combo, &QRZComboBox::emitClicked);
    QTest::mouseClick(combo.arrowButton(), Qt::LeftButton);
    QVERIFY(clicked.count() >= 1);
    combo.hidePopup();
}

void TestItemComboBox::facePixels() {
    QRZComboBox combo;
    combo.resize(90, 20);
    QVERIFY(combo.setFrameImage(m_frame));
    combo.setFrameStates(true);
    combo.addItem("x");
    QImage face = combo.grab().toImage();
    QCOMPARE(face.pixelColor(45, 2), kFrameColors[0]);
    combo.setEnabled(false);
    face = combo.grab().toImage();
    QCOMPARE(face.pixelColor(45, 2), kFrameColors[3]);
}

void TestItemComboBox::popupRowsPickAnItem() {
    QWidget window;
    window.resize(300, 200);
    QRZComboBox combo(&window);
    combo.resize(100, 22);
    QVERIFY(combo.setFrameImage(m_frame));
    combo.setItemHeight(20);
    combo.setItemBackgroundColor(QColor(65, 64, 64));
    combo.setItemSelectedColor(QColor(217, 106, 114));
    combo.addItems({"short", "a rather longer row text that needs room", "third"});
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    combo.showPopup();
    QListWidget* list = combo.popupList();
    QTRY_VERIFY(list->isVisible());
    // The popup grows to the widest row text.
    QVERIFY(combo.popupWidth() > 100);
    QCOMPARE(list->item(1)->sizeHint().height(), 20);
    QRZComboBoxItem* row = combo.rowWidget(2);
    QVERIFY(row && row->isVisible());
    QCOMPARE(row->grab().toImage().pixelColor(row->width() - 3, 2), QColor(65, 64, 64));
    QTest::mouseClick(row, Qt::LeftButton, Qt::NoModifier, row->rect().center());
    QTRY_VERIFY(!list->isVisible());
    QCOMPARE(combo.currentIndex(), 2);
    QCOMPARE(combo.shownText(), QString("third"));
}

void TestItemComboBox::rowColours() {
    QRZComboBox combo;
    combo.resize(100, 22);
    QVERIFY(combo.setFrameImage(m_frame));
    combo.setItemBackgroundColor(QColor(65, 64, 64));
    combo.setItemSelectedColor(QColor(217, 106, 114));
    combo.addItems({"a", "b"});
    QRZComboBoxItem* row = combo.rowWidget(1);
    row->resize(100, 19);
    auto corner = [row] { return row->grab().toImage().pixelColor(row->width() - 2, 1); };
    QCOMPARE(corner(), QColor(65, 64, 64));
    QEvent enter(QEvent::Enter);
    QApplication::sendEvent(row, &enter);
    QVERIFY(row->isHovered());
    QCOMPARE(corner(), QColor(217, 106, 114)); // without current-row colouring: hover shows selected
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(row, &leave);
    QCOMPARE(corner(), QColor(65, 64, 64));

    // With a hover colour the list's current row is drawn selected and a hovered row hovered.
    combo.setItemHoverColor(QColor(1, 2, 3));
    QApplication::sendEvent(row, &enter);
    QCOMPARE(corner(), QColor(1, 2, 3));
    QApplication::sendEvent(row, &leave);
    combo.popupList()->setCurrentRow(1);
    QCOMPARE(corner(), QColor(217, 106, 114));
}

void TestItemComboBox::removeAndRename() {
    QCheckboxCombobox combo;
    QVERIFY(combo.setFrameImage(m_frame));
    combo.setBoxImages(m_off, m_on);
    combo.addItems({"a", "b", "c"});
    QVERIFY(combo.itemButton(1));
    combo.setItemChecked(1, true);
    combo.setItemChecked(2, true);
    QCOMPARE(combo.checkedText(), QString("b;c"));
    combo.removeItem(1);
    QCOMPARE(combo.count(), 2);
    QCOMPARE(combo.checkedText(), QString("c"));
    QCOMPARE(combo.shownText(), QString("c"));
    combo.setItemText(1, "see");
    QCOMPARE(combo.checkedText(), QString("see"));
    QCOMPARE(combo.itemText(1), QString("see"));

    // Clearing drops the rows' boxes as well; new rows start afresh.
    combo.clear();
    QCOMPARE(combo.checkedText(), QString());
    QCOMPARE(combo.itemButton(0), nullptr);
    combo.addItems({"x", "y"});
    combo.setItemChecked(1, true);
    QCOMPARE(combo.checkedText(), QString("y"));
    QCOMPARE(combo.shownText(), QString("y"));
}

void TestItemComboBox::multipleSelectionText() {
    QCheckboxCombobox combo;
    QVERIFY(combo.setFrameImage(m_frame));
    combo.setBoxImages(m_off, m_on);
    combo.addItems({"first", "second", "third"});
    QCOMPARE(combo.shownText(), QString());
    QSignalSpy states(&combo, &QCheckboxCombobox::emitStateChange);
    combo.setItemChecked(0, true);
    combo.setItemChecked(2, true);
    QCOMPARE(combo.shownText(), QString("first;third"));
    QCOMPARE(states.count(), 2);
    QCOMPARE(states.at(1).at(0).toInt(), 2);
    QCOMPARE(states.at(1).at(1).toInt(), int(Qt::Checked));
    combo.setAllChecked(false);
    QCOMPARE(combo.shownText(), QString());
    // A click on a row's box toggles it in multiple selection.
    QSignalSpy clicks(&combo, &QCheckboxCombobox::emitClickCheckbox);
    combo.itemButton(1)->click();
    QCOMPARE(clicks.count(), 1);
    QCOMPARE(clicks.at(0).at(0).toInt(), 1);
    QCOMPARE(combo.shownText(), QString("second"));
}

void TestItemComboBox::singleSelectionFollowsCurrentRow() {
    QCheckboxCombobox combo;
    QVERIFY(combo.setFrameImage(m_frame));
    combo.setBoxImages(m_off, m_on);
    combo.addItems({"a", "b", "c"});
    combo.setItemChecked(2, true);
    combo.setMultiSelection(false);
    QVERIFY(combo.isItemChecked(0));
    QVERIFY(!combo.isItemChecked(2));
    QCOMPARE(combo.shownText(), QString("a"));
    combo.setCurrentIndex(1);
    QVERIFY(combo.isItemChecked(1));
    QVERIFY(!combo.isItemChecked(0));
    QCOMPARE(combo.shownText(), QString("b"));
    // In single choice a press on a row's box picks that row instead of toggling it.
    QTest::mousePress(combo.itemButton(2), Qt::LeftButton);
    QCOMPARE(combo.currentIndex(), 2);
    QVERIFY(combo.isItemChecked(2));
    QVERIFY(!combo.isItemChecked(1));
}

QTEST_MAIN(TestItemComboBox)
#include "tst_item_combobox.moc"
