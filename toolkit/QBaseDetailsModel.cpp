#include "toolkit/QBaseDetailsModel.h"

#include "toolkit/IBaseChunk.h"

#include <QBrush>

IBaseChunk* chunkOfIndex(const QModelIndex& index) {
    if (!index.isValid())
        return nullptr;
    const QVariant value = index.data(kItemChunkRole);
    if (!value.isValid())
        return nullptr;
    return static_cast<IBaseChunk*>(value.value<void*>());
}

namespace {
// beginResetModel/endResetModel are protected; a member pointer taken through a derived
// class reaches them on any model without pretending the model is of another type.
struct ModelResetAccess : QAbstractItemModel {
    static void reset(QAbstractItemModel* model) {
        void (QAbstractItemModel::*begin)() = &ModelResetAccess::beginResetModel;
        void (QAbstractItemModel::*end)() = &ModelResetAccess::endResetModel;
        (model->*begin)();
        (model->*end)();
    }
};
} // namespace

void resetModel(QAbstractItemModel* model) {
    if (model)
        ModelResetAccess::reset(model);
}

QBaseDetailsModel::QBaseDetailsModel(QObject* parent) : QAbstractItemModel(parent) {}

QBaseDetailsModel::~QBaseDetailsModel() = default;

IBaseChunk* QBaseDetailsModel::chunkAt(int row) const {
    if (!m_chunks || row < 0 || row >= static_cast<int>(m_chunks->size()))
        return nullptr;
    return (*m_chunks)[static_cast<size_t>(row)];
}

QModelIndex QBaseDetailsModel::index(int row, int column, const QModelIndex& parent) const {
    if (parent.isValid() || !m_chunks || row < 0 || row >= static_cast<int>(m_chunks->size()) || column < 0)
        return QModelIndex();
    return createIndex(row, column, (*m_chunks)[static_cast<size_t>(row)]);
}

QModelIndex QBaseDetailsModel::parent(const QModelIndex&) const {
    return QModelIndex();
}

int QBaseDetailsModel::rowCount(const QModelIndex&) const {
    return m_chunks ? static_cast<int>(m_chunks->size()) : 0;
}

int QBaseDetailsModel::columnCount(const QModelIndex&) const {
    return m_headerLabels.size();
}

QVariant QBaseDetailsModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < m_headerLabels.size())
        return m_headerLabels.at(section);
    return QVariant();
}

QVariant QBaseDetailsModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid())
        return QVariant();
    auto* chunk = static_cast<IBaseChunk*>(index.internalPointer());
    if (!chunk)
        return QVariant();
    switch (role) {
    case Qt::EditRole:
        return chunk->isColumnEnabled(index.column());
    case Qt::FontRole:
        return m_font;
    case Qt::BackgroundRole:
        return QBrush(rowBackground(index.row()));
    case Qt::ForegroundRole:
        return QBrush(rowText(index.row(), chunk->isFlagged()));
    case Qt::CheckStateRole:
        if (index.column() != m_checkColumn)
            return QVariant();
        return chunk->checkState() != 0 ? 2 : 0;
    case Qt::SizeHintRole:
        return m_itemSize;
    case kItemChunkRole:
        return QVariant::fromValue<void*>(chunk);
    case kItemFlaggedRole:
        return chunk->isFlagged();
    default:
        return QVariant();
    }
}

bool QBaseDetailsModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (index.isValid() && index.column() == m_checkColumn && m_chunks &&
        (role == Qt::CheckStateRole || role == kItemCheckWriteRole)) {
        IBaseChunk* chunk = chunkAt(index.row());
        if (chunk) {
            chunk->setCheckState(value.toInt());
            emit dataChanged(index, index);
            if (role == Qt::CheckStateRole)
                emit itemCheckChange(checkSummary());
            return true;
        }
    }
    return QAbstractItemModel::setData(index, value, role);
}

Qt::ItemFlags QBaseDetailsModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsSelectable | Qt::ItemIsDropEnabled | Qt::ItemIsEnabled;
    if (index.column() == m_checkColumn)
        flags |= Qt::ItemIsUserCheckable;
    return flags;
}

void QBaseDetailsModel::setHeaderLabels(const QStringList& labels) {
    m_headerLabels = labels;
}

void QBaseDetailsModel::setChunks(std::vector<IBaseChunk*>* chunks) {
    beginResetModel();
    m_chunks = chunks;
    endResetModel();
}

void QBaseDetailsModel::refreshItem(int row, int column) {
    const QModelIndex idx = index(row, column);
    if (idx.isValid())
        emit dataChanged(idx, idx);
}

void QBaseDetailsModel::itemAppended() {
    if (!m_chunks || m_chunks->empty())
        return;
    const int last = static_cast<int>(m_chunks->size()) - 1;
    beginInsertRows(QModelIndex(), last, last);
    endInsertRows();
}

int QBaseDetailsModel::checkSummary() const {
    const int rows = rowCount();
    int checked = 0;
    for (int row = 0; row < rows; ++row) {
        IBaseChunk* chunk = chunkAt(row);
        if (chunk && chunk->checkState() != 0)
            ++checked;
    }
    if (checked == rows)
        return 2;
    return checked == 0 ? 0 : 1;
}

void QBaseDetailsModel::OnStateChanged(int state) {
    const int rows = rowCount();
    for (int row = 0; row < rows; ++row)
        setData(index(row, m_checkColumn), state, Qt::CheckStateRole);
}

void QBaseDetailsModel::OnStateChanged(bool checked) {
    OnStateChanged(checked ? 2 : 0);
}
