#include "recorder/QIconListModel.h"

#include "toolkit/IBaseChunk.h"

namespace {
QString fromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), int(text.size()));
}
} // namespace

QIconListModel::QIconListModel(QObject* parent) : QBaseDetailsModel(parent) {}

QIconListModel::~QIconListModel() = default;

int QIconListModel::columnCount(const QModelIndex&) const {
    return 1;
}

void QIconListModel::setRecordImage(const IBaseChunk* record, const QImage& image) {
    if (image.isNull())
        m_images.remove(record);
    else
        m_images.insert(record, image);
}

QVariant QIconListModel::data(const QModelIndex& index, int role) const {
    IBaseChunk* record = index.isValid() ? static_cast<IBaseChunk*>(index.internalPointer()) : nullptr;
    if (!record)
        return QBaseDetailsModel::data(index, role);
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        return fromUtf8(record->name());
    case Qt::DecorationRole: {
        const auto found = m_images.constFind(record);
        if (found != m_images.constEnd())
            return *found;
        return fromUtf8(record->imagePath());
    }
    case Qt::CheckStateRole:
        return QVariant();
    case Qt::SizeHintRole:
        return m_itemSize;
    case Qt::UserRole:
        return fromUtf8(record->overlayImagePath());
    default:
        return QBaseDetailsModel::data(index, role);
    }
}
