#include "library/QHistoryChunk.h"

#include "app/HistoryFile.h"

namespace {

std::string utf8(const QString& text) {
    return text.toUtf8().toStdString();
}

constexpr Qt::ItemFlags kNameFlags = Qt::ItemIsSelectable | Qt::ItemIsEditable | Qt::ItemIsEnabled;

} // namespace

QHistoryChunk* QHistoryChunk::fromHistoryItem(const HistoryXmlItem& item) {
    auto* chunk = new QHistoryChunk;
    chunk->setName(utf8(item.title));
    chunk->setImagePath(utf8(item.thumbnailPath));
    chunk->setPath(utf8(item.mediaPath));
    chunk->setDisplayName(utf8(item.mediaPath.mid(item.mediaPath.lastIndexOf(QLatin1Char('/')) + 1)));
    chunk->setArtist(utf8(item.artist));
    chunk->setAlbum(utf8(item.album));
    chunk->setGenre(utf8(item.genre));
    chunk->setDuration(utf8(item.duration));
    chunk->setSize(utf8(item.size));
    chunk->setCreateTime(utf8(item.creationTime));
    chunk->setResolution(utf8(item.resolution));
    chunk->setExtension(utf8(item.extension));
    chunk->setFormat(utf8(item.format));
    chunk->setVideoFile(item.isVideo);
    chunk->setNewFile(item.isNew);
    return chunk;
}

QHistoryChunk* historyChunkOf(const QModelIndex& index) {
    return dynamic_cast<QHistoryChunk*>(chunkOfIndex(index));
}

QHistorModel::QHistorModel(QObject* parent) : QBaseDetailsModel(parent) {}

QVariant QHistorModel::data(const QModelIndex& index, int role) const {
    auto* chunk =
        index.isValid() ? dynamic_cast<QHistoryChunk*>(static_cast<IBaseChunk*>(index.internalPointer())) : nullptr;
    if (chunk == nullptr) {
        return QBaseDetailsModel::data(index, role);
    }
    if (role == Qt::CheckStateRole) {
        return QVariant();
    }
    if (index.column() == 0 && role == Qt::DecorationRole) {
        return QString::fromStdString(chunk->imagePath());
    }
    if (index.column() == 0 && role == Qt::UserRole) {
        return uint(chunk->isNewFile() ? 1 : 0);
    }
    if (index.column() == 1 && role == Qt::DisplayRole) {
        return QString::fromStdString(chunk->displayName());
    }
    return QBaseDetailsModel::data(index, role);
}

bool QHistorModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (index.isValid() && index.column() == 1 && (role == Qt::DisplayRole || role == Qt::EditRole)) {
        emit emitChangeName(index, value.toString());
        return true;
    }
    return QBaseDetailsModel::setData(index, value, role);
}

Qt::ItemFlags QHistorModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) {
        return Qt::NoItemFlags;
    }
    return index.column() == 1 ? kNameFlags : QBaseDetailsModel::flags(index);
}

QHistorySortModel::QHistorySortModel(QObject* parent) : QRZBaseSortModel(parent) {}

Qt::ItemFlags QHistorySortModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) {
        return Qt::NoItemFlags;
    }
    return index.column() == 1 ? kNameFlags : QRZBaseSortModel::flags(index);
}

void QHistorySortModel::setFileType(int type) {
    if (type == m_fileType) {
        return;
    }
    beginResetModel();
    m_fileType = type;
    endResetModel();
}

bool QHistorySortModel::filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const {
    if (m_fileType != All && sourceModel() != nullptr) {
        const QHistoryChunk* chunk = historyChunkOf(sourceModel()->index(sourceRow, 0, sourceParent));
        if (chunk != nullptr) {
            if (m_fileType == Video && !chunk->isVideoFile()) {
                return false;
            }
            if (m_fileType == Audio && chunk->isVideoFile()) {
                return false;
            }
        }
    }
    return QRZBaseSortModel::filterAcceptsRow(sourceRow, sourceParent);
}
