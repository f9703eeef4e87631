#include "toolkit/QRZBaseSortModel.h"

#include "toolkit/IBaseChunk.h"
#include "toolkit/QBaseDetailsModel.h"

#include <QBrush>

QRZBaseSortModel::QRZBaseSortModel(QObject* parent) : QSortFilterProxyModel(parent) {}

QRZBaseSortModel::~QRZBaseSortModel() = default;

IBaseChunk* QRZBaseSortModel::sourceChunk(const QModelIndex& proxyIndex) const {
    if (!proxyIndex.isValid())
        return nullptr;
    return chunkOfIndex(mapToSource(proxyIndex));
}

QVariant QRZBaseSortModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid())
        return QVariant();
    if (role == Qt::BackgroundRole)
        return QBrush(rowBackground(index.row()));
    if (role == Qt::ForegroundRole) {
        IBaseChunk* chunk = sourceChunk(index);
        return QBrush(rowText(index.row(), chunk && chunk->isFlagged()));
    }
    return QSortFilterProxyModel::data(index, role);
}

bool QRZBaseSortModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (index.isValid() && index.column() == 0 && (role == Qt::CheckStateRole || role == kItemCheckWriteRole)) {
        if (IBaseChunk* chunk = sourceChunk(index)) {
            chunk->setCheckState(value.toInt());
            emit dataChanged(index, index);
            return true;
        }
    }
    return QSortFilterProxyModel::setData(index, value, role);
}

void QRZBaseSortModel::sort(int column, Qt::SortOrder order) {
    QSortFilterProxyModel::sort(column, order);
    emit emitSort(column, order);
}

void QRZBaseSortModel::setFilterRegExp(const QRegExp& regExp) {
    QSortFilterProxyModel::setFilterRegExp(regExp);
    updateCheckState();
}

void QRZBaseSortModel::setExclusionText(const QString& text) {
    if (text == m_exclusionText)
        return;
    m_exclusionText = text;
    invalidateFilter();
}

void QRZBaseSortModel::setFlagFilterMode(int mode) {
    if (mode == m_flagFilterMode)
        return;
    m_flagFilterMode = mode;
    invalidateFilter();
}

bool QRZBaseSortModel::isExcludedKey(const QString& key) const {
    if (key.isEmpty() || m_exclusionText.isEmpty())
        return false;
    // Whole keys only: "a.mp4" must not be hidden by "data.mp4".
    const QStringList keys = m_exclusionText.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    return keys.contains(key);
}

bool QRZBaseSortModel::filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const {
    if (m_flagFilterMode != FlagFilterOff || !m_exclusionText.isEmpty()) {
        QAbstractItemModel* source = sourceModel();
        IBaseChunk* chunk = source ? chunkOfIndex(source->index(sourceRow, 0, sourceParent)) : nullptr;
        if (chunk) {
            if (m_flagFilterMode == FlagFilterOnlyFlagged && !chunk->isFlagged())
                return false;
            if (m_flagFilterMode == FlagFilterOnlyUnflagged && chunk->isFlagged())
                return false;
            if (isExcludedKey(QString::fromStdString(chunk->filterKey())))
                return false;
        }
    }
    return QSortFilterProxyModel::filterAcceptsRow(sourceRow, sourceParent);
}

bool QRZBaseSortModel::lessThan(const QModelIndex& left, const QModelIndex& right) const {
    if (!left.isValid() || !right.isValid())
        return false;
    return left.data(Qt::DisplayRole).toString() < right.data(Qt::DisplayRole).toString();
}

int QRZBaseSortModel::checkSummary() const {
    const int rows = rowCount();
    int checked = 0;
    for (int row = 0; row < rows; ++row) {
        IBaseChunk* chunk = sourceChunk(index(row, 0));
        if (chunk && chunk->checkState() != 0)
            ++checked;
    }
    if (checked == rows)
        return 2;
    return checked == 0 ? 0 : 1;
}

void QRZBaseSortModel::updateCheckState() {
    if (rowCount() > 0)
        emit itemCheckChange(checkSummary());
}

void QRZBaseSortModel::setAllItemCheck(int state) {
    const int rows = rowCount();
    for (int row = 0; row < rows; ++row)
        setData(index(row, 0), state, Qt::CheckStateRole);
}

void QRZBaseSortModel::setAllItemCheck(bool checked) {
    setAllItemCheck(checked ? 2 : 0);
}

void QRZBaseSortModel::itemCheckStateChanged(const QModelIndex& index, int state) {
    if (!index.isValid())
        return;
    setData(index, state, Qt::CheckStateRole);
    updateCheckState();
}
