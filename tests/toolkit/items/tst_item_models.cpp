// Item models and sort models: roles, row colours, check summaries, filters and sorting.
#include "toolkit/IBaseChunk.h"
#include "toolkit/QBaseDetailsModel.h"
#include "toolkit/QRZBaseSortModel.h"

#include "ItemTestSupport.h"

#include <QBrush>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

namespace {
struct Rows {
    std::vector<std::unique_ptr<IBaseChunk>> owned;
    std::vector<IBaseChunk*> chunks;
    IBaseChunk* add(const std::string& name, const std::string& key = std::string(), bool flagged = false) {
        owned.emplace_back(new IBaseChunk());
        IBaseChunk* chunk = owned.back().get();
        chunk->setName(name);
        chunk->setFilterKey(key);
        chunk->setFlagged(flagged);
        chunks.push_back(chunk);
        return chunk;
    }
};

using itemtest::NamedModel;

QColor brushColor(const QModelIndex& index, int role) {
    return index.data(role).value<QBrush>().color();
}

QStringList proxyNames(const QAbstractItemModel& proxy) {
    QStringList names;
    for (int row = 0; row < proxy.rowCount(); ++row)
        names << proxy.index(row, 0).data().toString();
    return names;
}
} // namespace

class TestItemModels : public QObject {
    Q_OBJECT
private slots:
    void modelWithoutVector();
    void rolesAndFlags();
    void rowColours();
    void checkSummary();
    void appendAndReset();
    void sortModelStripesFollowSortedOrder();
    void sortModelSortsByDisplayText();
    void exclusionMatchesWholeKeys();
    void flagFilter();
    void checkAllOnlyVisibleRows();
};

void TestItemModels::modelWithoutVector() {
    QBaseDetailsModel model;
    model.setHeaderLabels({"a", "b"});
    QCOMPARE(model.rowCount(), 0);
    QVERIFY(!model.index(0, 0).isValid());
    QVERIFY(!model.setData(model.index(0, 0), 2, Qt::CheckStateRole));
    QCOMPARE(model.columnCount(), 2);
    QCOMPARE(model.headerData(1, Qt::Horizontal).toString(), QString("b"));
    QVERIFY(!model.headerData(2, Qt::Horizontal).isValid());
    QVERIFY(!model.headerData(0, Qt::Vertical).isValid());
    // A null record in the vector answers nothing.
    std::vector<IBaseChunk*> holes{nullptr};
    model.setChunks(&holes);
    QVERIFY(!model.index(0, 0).data(kItemChunkRole).isValid());
    QVERIFY(!model.setData(model.index(0, 0), 2, Qt::CheckStateRole));
}

void TestItemModels::rolesAndFlags() {
    Rows rows;
    IBaseChunk* first = rows.add("one");
    rows.add("two", "", true);
    QBaseDetailsModel model;
    model.setHeaderLabels({"", "", ""});
    model.setChunks(&rows.chunks);
    const QModelIndex a = model.index(0, 0);
    QCOMPARE(chunkOfIndex(a), first);
    QCOMPARE(a.internalPointer(), static_cast<void*>(first));
    QVERIFY(!model.parent(a).isValid());
    QVERIFY(model.index(0, 7).isValid()); // any column number
    QVERIFY(!model.index(2, 0).isValid());
    QCOMPARE(a.data(Qt::CheckStateRole).toInt(), 0);
    QVERIFY(!model.index(0, 1).data(Qt::CheckStateRole).isValid());
    QCOMPARE(a.data(kItemFlaggedRole).toBool(), false);
    QCOMPARE(model.index(1, 0).data(kItemFlaggedRole).toBool(), true);
    QCOMPARE(a.data(Qt::EditRole).toBool(), true);
    QCOMPARE(a.data(Qt::FontRole).value<QFont>().family(), QString("Tahoma"));
    QCOMPARE(a.data(Qt::FontRole).value<QFont>().pixelSize(), 12);
    model.setItemSize(128, 95);
    QCOMPARE(a.data(Qt::SizeHintRole).toSize(), QSize(128, 95));
    QCOMPARE(int(model.flags(a)), 57);
    QCOMPARE(int(model.flags(model.index(0, 1))), 41);
    QCOMPARE(int(model.flags(QModelIndex())), 0);
    first->setCheckState(1);
    QCOMPARE(a.data(Qt::CheckStateRole).toInt(), 2);
}

void TestItemModels::rowColours() {
    Rows rows;
    for (int i = 0; i < 6; ++i)
        rows.add("r" + std::to_string(i));
    rows.chunks[3]->setFlagged(true);
    QBaseDetailsModel model;
    model.setHeaderLabels({""});
    model.setChunks(&rows.chunks);
    model.setBackgroundColors(QColor(1, 1, 1), QColor(2, 2, 2));
    model.setTextColors(QColor(10, 10, 10), QColor(20, 20, 20));
    model.setCurrentRow(3);
    QCOMPARE(brushColor(model.index(3, 0), Qt::BackgroundRole), QColor(51, 51, 51));
    QCOMPARE(brushColor(model.index(2, 0), Qt::BackgroundRole), QColor(1, 1, 1));
    QCOMPARE(brushColor(model.index(4, 0), Qt::BackgroundRole), QColor(1, 1, 1));
    QCOMPARE(brushColor(model.index(5, 0), Qt::BackgroundRole), QColor(2, 2, 2));
    // The first text colour is for odd rows.
    QCOMPARE(brushColor(model.index(1, 0), Qt::ForegroundRole), QColor(10, 10, 10));
    QCOMPARE(brushColor(model.index(2, 0), Qt::ForegroundRole), QColor(20, 20, 20));
    // Flagged text wins even in the current row.
    QCOMPARE(brushColor(model.index(3, 0), Qt::ForegroundRole), QColor(255, 140, 71));
    model.setCurrentRow(4);
    QCOMPARE(brushColor(model.index(4, 0), Qt::ForegroundRole), QColor(255, 255, 255));
}

void TestItemModels::checkSummary() {
    Rows rows;
    rows.add("a");
    rows.add("b");
    rows.add("c");
    QBaseDetailsModel model;
    model.setHeaderLabels({""});
    model.setChunks(&rows.chunks);
    QSignalSpy summary(&model, &QBaseDetailsModel::itemCheckChange);
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);

    QVERIFY(model.setData(model.index(0, 0), 2, Qt::CheckStateRole));
    QVERIFY(model.setData(model.index(1, 0), 2, Qt::CheckStateRole));
    QVERIFY(model.setData(model.index(2, 0), 2, Qt::CheckStateRole));
    QCOMPARE(summary.last().at(0).toInt(), 2);
    QVERIFY(model.setData(model.index(1, 0), 0, Qt::CheckStateRole));
    QCOMPARE(summary.last().at(0).toInt(), 1);
    QCOMPARE(summary.count(), 4);

    // The user-role write changes the record without a summary.
    QVERIFY(model.setData(model.index(1, 0), 2, kItemCheckWriteRole));
    QCOMPARE(rows.chunks[1]->checkState(), 2);
    QCOMPARE(summary.count(), 4);
    QCOMPARE(changed.count(), 5);

    // Only the check column takes check writes.
    QVERIFY(!model.setData(model.index(1, 1), 0, Qt::CheckStateRole));

    summary.clear();
    model.OnStateChanged(false);
    QCOMPARE(summary.count(), 3);
    QCOMPARE(summary.at(0).at(0).toInt(), 1);
    QCOMPARE(summary.at(2).at(0).toInt(), 0);
    for (IBaseChunk* chunk : rows.chunks)
        QCOMPARE(chunk->checkState(), 0);
    model.OnStateChanged(true);
    QCOMPARE(summary.last().at(0).toInt(), 2);
}

void TestItemModels::appendAndReset() {
    Rows rows;
    rows.add("a");
    QBaseDetailsModel model;
    model.setHeaderLabels({""});
    QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
    model.setChunks(&rows.chunks);
    QCOMPARE(reset.count(), 1);
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    rows.add("b");
    model.itemAppended();
    QCOMPARE(inserted.count(), 1);
    QCOMPARE(inserted.at(0).at(1).toInt(), 1);
    QCOMPARE(model.rowCount(), 2);
    resetModel(&model);
    QCOMPARE(reset.count(), 2);
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    model.refreshItem(5, 0);
    QCOMPARE(changed.count(), 0);
    model.refreshItem(1, 0);
    QCOMPARE(changed.count(), 1);
}

void TestItemModels::sortModelStripesFollowSortedOrder() {
    Rows rows;
    rows.add("c");
    rows.add("a", "", true);
    rows.add("b");
    NamedModel model;
    model.setHeaderLabels({""});
    model.setChunks(&rows.chunks);
    QRZBaseSortModel proxy;
    proxy.setSourceModel(&model);
    proxy.setBackgroundColors(QColor(1, 1, 1), QColor(2, 2, 2));
    proxy.sort(0);
    QCOMPARE(proxyNames(proxy), QStringList({"a", "b", "c"}));
    // "c" is row 0 of the source but row 2 (even) of the proxy.
    QCOMPARE(brushColor(proxy.index(2, 0), Qt::BackgroundRole), QColor(1, 1, 1));
    QCOMPARE(brushColor(proxy.index(1, 0), Qt::BackgroundRole), QColor(2, 2, 2));
    QCOMPARE(brushColor(proxy.index(0, 0), Qt::ForegroundRole), QColor(255, 140, 71));
    proxy.setCurrentRow(1);
    QCOMPARE(brushColor(proxy.index(1, 0), Qt::BackgroundRole), QColor(51, 51, 51));
    // Other roles come from the source.
    QCOMPARE(chunkOfIndex(proxy.index(0, 0)), rows.chunks[1]);
}

void TestItemModels::sortModelSortsByDisplayText() {
    Rows rows;
    rows.add("b");
    rows.add("B");
    rows.add("a");
    NamedModel model;
    model.setHeaderLabels({""});
    model.setChunks(&rows.chunks);
    QRZBaseSortModel proxy;
    proxy.setSourceModel(&model);
    qRegisterMetaType<Qt::SortOrder>();
    QSignalSpy sorted(&proxy, &QRZBaseSortModel::emitSort);
    proxy.sort(0, Qt::DescendingOrder);
    // Case-sensitive, by code unit: "B" < "a" < "b".
    QCOMPARE(proxyNames(proxy), QStringList({"b", "a", "B"}));
    QCOMPARE(sorted.count(), 1);
    QCOMPARE(sorted.at(0).at(1).value<Qt::SortOrder>(), Qt::DescendingOrder);
}

void TestItemModels::exclusionMatchesWholeKeys() {
    Rows rows;
    rows.add("1", "/v/a.mp4");
    rows.add("2", "/v/data.mp4");
    rows.add("3", "/v/b.mp4");
    rows.add("4", "");
    NamedModel model;
    model.setHeaderLabels({""});
    model.setChunks(&rows.chunks);
    QRZBaseSortModel proxy;
    proxy.setSourceModel(&model);
    proxy.setExclusionText("/v/data.mp4;/v/b.mp4");
    // "/v/a.mp4" is a substring of neither entry as a whole key; an empty key is kept.
    QCOMPARE(proxyNames(proxy), QStringList({"1", "4"}));
    proxy.setExclusionText("/v/data.mp4");
    QCOMPARE(proxyNames(proxy), QStringList({"1", "3", "4"}));
    // A key that merely contains an entry is not excluded either.
    proxy.setExclusionText("a.mp4");
    QCOMPARE(proxyNames(proxy), QStringList({"1", "2", "3", "4"}));
    proxy.setExclusionText(QString());
    QCOMPARE(proxy.rowCount(), 4);
}

void TestItemModels::flagFilter() {
    Rows rows;
    rows.add("plain");
    rows.add("flagged", "", true);
    NamedModel model;
    model.setHeaderLabels({""});
    model.setChunks(&rows.chunks);
    QRZBaseSortModel proxy;
    proxy.setSourceModel(&model);
    proxy.setFlagFilterMode(QRZBaseSortModel::FlagFilterOnlyUnflagged);
    QCOMPARE(proxyNames(proxy), QStringList({"plain"}));
    proxy.setFlagFilterMode(QRZBaseSortModel::FlagFilterOnlyFlagged);
    QCOMPARE(proxyNames(proxy), QStringList({"flagged"}));
    // Mode 0 and no exclusion: only the reg-exp filter decides.
    proxy.setFlagFilterMode(QRZBaseSortModel::FlagFilterOff);
    proxy.setFilterRegExp(QRegExp("fl"));
    QCOMPARE(proxyNames(proxy), QStringList({"flagged"}));
}

void TestItemModels::checkAllOnlyVisibleRows() {
    Rows rows;
    rows.add("keep1");
    rows.add("drop");
    rows.add("keep2");
    NamedModel model;
    model.setHeaderLabels({""});
    model.setChunks(&rows.chunks);
    QRZBaseSortModel proxy;
    proxy.setSourceModel(&model);
    proxy.sort(0, Qt::DescendingOrder);
    QSignalSpy summary(&proxy, &QRZBaseSortModel::itemCheckChange);
    proxy.setFilterRegExp(QRegExp("keep"));
    QCOMPARE(summary.last().at(0).toInt(), 0);
    proxy.setAllItemCheck(true);
    QCOMPARE(rows.chunks[0]->checkState(), 2);
    QCOMPARE(rows.chunks[1]->checkState(), 0);
    QCOMPARE(rows.chunks[2]->checkState(), 2);
    QCOMPARE(proxy.checkSummary(), 2);

    summary.clear();
    proxy.itemCheckStateChanged(proxy.index(0, 0), 0);
    QCOMPARE(summary.count(), 1);
    QCOMPARE(summary.at(0).at(0).toInt(), 1);
    proxy.itemCheckStateChanged(QModelIndex(), 2);
    QCOMPARE(summary.count(), 1);

    // An empty proxy reports no summary.
    summary.clear();
    proxy.setFilterRegExp(QRegExp("nothing matches"));
    QCOMPARE(proxy.rowCount(), 0);
    QCOMPARE(summary.count(), 0);
}

QTEST_MAIN(TestItemModels)
#include "tst_item_models.moc"
