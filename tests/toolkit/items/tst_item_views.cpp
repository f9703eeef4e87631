// List and table views: hover tracking into models and delegates, keys, current-item
// signals and tool-tip texts.
#include "toolkit/IBaseChunk.h"
#include "toolkit/ItemViewHoverBlock.h"
#include "toolkit/QBaseDetailsModel.h"
#include "toolkit/QBaseIconListDelegate.h"
#include "toolkit/QRZBaseSortModel.h"
#include "toolkit/QRZBaseStyleDelegate.h"
#include "toolkit/QRZListView.h"
#include "toolkit/QRZTableView.h"

#include "ItemTestSupport.h"

#include <QSignalSpy>
#include <QToolTip>
#include <QtTest>

#include <memory>

namespace {
using itemtest::NamedModel;

struct Rows {
    std::vector<std::unique_ptr<IBaseChunk>> owned;
    std::vector<IBaseChunk*> chunks;
    NamedModel model;
    Rows(std::initializer_list<const char*> names, int columns) {
        QStringList labels;
        for (int c = 0; c < columns; ++c)
            labels << QString();
        model.setHeaderLabels(labels);
        for (const char* name : names) {
            owned.emplace_back(new IBaseChunk);
            owned.back()->setName(name);
            chunks.push_back(owned.back().get());
        }
        model.setChunks(&chunks);
    }
};

void moveTo(QWidget* viewport, const QPoint& pos) {
    QMouseEvent event(QEvent::MouseMove, pos, viewport->mapToGlobal(pos), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &event);
}

void leave(QWidget* view) {
    QEvent event(QEvent::Leave);
    QApplication::sendEvent(view, &event);
}

} // namespace

class TestItemViews : public QObject {
    Q_OBJECT
private slots:
    void tableConstruction();
    void hoverFollowsMouseIntoModelsAndDelegate();
    void hoverWithoutModelsOnlyTellsTheDelegate();
    void returnAndBackspace();
    void tabLeavesTheCurrentCell();
    void currentChangedSignal();
    void toolTipTexts();
    void toolTipRestTime();
    void toolTipShownOnlyWhenEnabled();
};

void TestItemViews::tableConstruction() {
    QRZTableView table;
    QVERIFY(table.hasMouseTracking());
    QCOMPARE(table.selectionBehavior(), QAbstractItemView::SelectRows);
    QCOMPARE(table.selectionMode(), QAbstractItemView::ExtendedSelection);
    QVERIFY(!table.showGrid());
    QVERIFY(table.isSortingEnabled());
    QCOMPARE(table.contextMenuPolicy(), Qt::CustomContextMenu);
    QRZListView list;
    QCOMPARE(list.viewMode(), QListView::IconMode);
    QCOMPARE(list.frameShape(), QFrame::NoFrame);
}

void TestItemViews::hoverFollowsMouseIntoModelsAndDelegate() {
    Rows rows({"a", "b", "c"}, 2);
    QRZBaseSortModel proxy;
    proxy.setSourceModel(&rows.model);
    QRZTableView view;
    view.setModel(&proxy);
    view.setSourceModelRef(&rows.model);
    view.setSortModelRef(&proxy);
    QRZBaseStyleDelegate delegate;
    view.setItemDelegate(&delegate);
    view.setDelegateRef(&delegate);
    view.resize(300, 200);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));

    moveTo(view.viewport(), view.visualRect(proxy.index(1, 1)).center());
    QCOMPARE(view.hoveredRow(), 1);
    QCOMPARE(proxy.currentRow(), 1);
    QCOMPARE(rows.model.currentRow(), 1);
    QCOMPARE(delegate.hoverRow(), 1);
    moveTo(view.viewport(), view.visualRect(proxy.index(2, 0)).center());
    QCOMPARE(proxy.currentRow(), 2);
    QCOMPARE(delegate.hoverRow(), 2);
    // Below the last row: no row.
    moveTo(view.viewport(), QPoint(5, view.viewport()->height() - 2));
    QCOMPARE(proxy.currentRow(), -1);
    moveTo(view.viewport(), view.visualRect(proxy.index(0, 0)).center());
    leave(&view);
    QCOMPARE(view.hoveredRow(), -1);
    QCOMPARE(proxy.currentRow(), -1);
    QCOMPARE(rows.model.currentRow(), -1);
    QCOMPARE(delegate.hoverRow(), -1);
}

void TestItemViews::hoverWithoutModelsOnlyTellsTheDelegate() {
    Rows rows({"a", "b"}, 1);
    QRZListView view;
    view.setModel(&rows.model);
    view.setGridSize(QSize(50, 50));
    rows.model.setItemSize(48, 48);
    QBaseIconListDelegate delegate;
    view.setItemDelegate(&delegate);
    view.setDelegateRef(&delegate);
    view.resize(200, 100);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    moveTo(view.viewport(), view.visualRect(rows.model.index(1, 0)).center());
    QCOMPARE(delegate.hoverRow(), 1);
    QCOMPARE(view.hoveredRow(), -1); // nothing stored without a model reference
    QCOMPARE(rows.model.currentRow(), -1);
    delegate.setHoverRow(7);
    moveTo(view.viewport(), view.visualRect(rows.model.index(1, 0)).center() + QPoint(1, 0));
    QCOMPARE(delegate.hoverRow(), 1); // told again on every move
}

void TestItemViews::returnAndBackspace() {
    Rows rows({"a", "b"}, 2);
    QRZTableView table;
    table.setModel(&rows.model);
    QSignalSpy enter(&table, &QRZTableView::emitEnterSelect);
    QTest::keyClick(&table, Qt::Key_Return);
    QCOMPARE(enter.count(), 0);
    table.selectRow(1);
    QTest::keyClick(&table, Qt::Key_Enter, Qt::KeypadModifier);
    QCOMPARE(enter.count(), 0);
    QTest::keyClick(&table, Qt::Key_Return);
    QCOMPARE(enter.count(), 1);

    QRZListView list;
    list.setModel(&rows.model);
    QSignalSpy listEnter(&list, &QRZListView::emitEnterSelect);
    QSignalSpy backspace(&list, &QRZListView::emitKeyBackspace);
    QTest::keyClick(&list, Qt::Key_Return);
    QCOMPARE(listEnter.count(), 0);
    list.selectionModel()->select(rows.model.index(0, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    QTest::keyClick(&list, Qt::Key_Return);
    QCOMPARE(listEnter.count(), 1);
    QTest::keyClick(&list, Qt::Key_Backspace);
    QCOMPARE(backspace.count(), 1);
}

void TestItemViews::tabLeavesTheCurrentCell() {
    // Tab passes the focus on as in a plain widget instead of walking the cells.
    Rows rows({"a", "b"}, 2);
    QRZTableView table;
    table.setModel(&rows.model);
    table.setCurrentIndex(rows.model.index(0, 0));
    QTest::keyClick(&table, Qt::Key_Tab);
    QCOMPARE(table.currentIndex(), rows.model.index(0, 0));

    QRZListView list;
    list.setModel(&rows.model);
    QSignalSpy listEnter(&list, &QRZListView::emitEnterSelect);
    QSignalSpy backspace(&list, &QRZListView::emitKeyBackspace);
    list.setCurrentIndex(rows.model.index(0, 0));
    list.selectionModel()->select(rows.model.index(0, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    QTest::keyClick(&list, Qt::Key_Tab);
    QCOMPARE(list.currentIndex(), rows.model.index(0, 0));
    QCOMPARE(listEnter.count(), 0);
    QCOMPARE(backspace.count(), 0);
}

void TestItemViews::currentChangedSignal() {
    Rows rows({"a", "b"}, 1);
    QRZListView list;
    list.setModel(&rows.model);
    QSignalSpy current(&list, &QRZListView::emitCurrentChanged);
    list.setCurrentIndex(rows.model.index(1, 0));
    QCOMPARE(current.count(), 1);
    QCOMPARE(current.at(0).at(0).value<QModelIndex>().row(), 1);
    list.setCurrentIndex(QModelIndex());
    QCOMPARE(current.count(), 1);
}

void TestItemViews::toolTipTexts() {
    Rows rows({"zeta", "alpha"}, 1);
    QRZBaseSortModel proxy;
    proxy.setSourceModel(&rows.model);
    proxy.sort(0);
    QRZTableView table;
    table.setModel(&proxy);
    QCOMPARE(table.showToolTipText(proxy.index(0, 0)), QString()); // no model reference yet
    table.setSortModelRef(&proxy);
    QCOMPARE(table.showToolTipText(proxy.index(0, 0)), QString("alpha"));
    QCOMPARE(table.showToolTipText(QModelIndex()), QString());
    QRZListView list;
    list.setModel(&rows.model);
    list.setSourceModelRef(&rows.model);
    QCOMPARE(list.showToolTipText(rows.model.index(0, 0)), QString("zeta"));
    // The table's moves to another cell restart the rest time.
    QVERIFY(table.isReShowToolTipText(0, 0));
    QVERIFY(!table.isReShowToolTipText(-1, -1));
}

void TestItemViews::toolTipRestTime() {
    ItemViewHoverBlock* block = newHoverBlock(nullptr);
    block->hoveredRow = 2;
    block->hoveredColumn = 1;
    QList<QPair<int, int>> shown;
    auto show = [&shown](int row, int column) { shown << qMakePair(row, column); };
    const QDateTime start = QDateTime::currentDateTime();
    // Nothing before the mouse has entered a cell.
    pollToolTip(block, start.addMSecs(5000), show);
    QVERIFY(shown.isEmpty());
    block->lastCellChange = start;
    pollToolTip(block, start.addMSecs(1000), show); // exactly the delay: not yet
    QVERIFY(shown.isEmpty());
    pollToolTip(block, start.addMSecs(1001), show);
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown.at(0), qMakePair(2, 1));
    pollToolTip(block, start.addMSecs(3000), show); // once per rest
    QCOMPARE(shown.size(), 1);
    noteCellChange(block);
    QVERIFY(!block->tipShown);
    pollToolTip(block, block->lastCellChange.addMSecs(1001), show);
    QCOMPARE(shown.size(), 2);
    deleteHoverBlock(block);
}

void TestItemViews::toolTipShownOnlyWhenEnabled() {
    Rows rows({"alpha", "beta"}, 1);
    QRZTableView table;
    table.setModel(&rows.model);
    table.setSourceModelRef(&rows.model);
    table.resize(200, 100);
    table.show();
    QVERIFY(QTest::qWaitForWindowExposed(&table));
    QToolTip::hideText();
    table.setToolTipFlag(false);
    table.showToolTip(1, 0);
    QVERIFY(!QToolTip::isVisible());
    table.setToolTipFlag(true);
    table.showToolTip(5, 0); // no such cell
    QVERIFY(!QToolTip::isVisible());
    table.showToolTip(1, 0);
    QTRY_VERIFY(QToolTip::isVisible());
    QCOMPARE(QToolTip::text(), QString("beta"));
    QToolTip::hideText();
}

QTEST_MAIN(TestItemViews)
#include "tst_item_views.moc"
