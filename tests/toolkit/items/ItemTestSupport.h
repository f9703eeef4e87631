// Helpers shared by the item tests.
#pragma once

#include "toolkit/IBaseChunk.h"
#include "toolkit/QBaseDetailsModel.h"

#include <QString>
#include <QVariant>

namespace itemtest {

// A details model whose rows show their record's name, as a derived model gives it.
class NamedModel : public QBaseDetailsModel {
public:
    QVariant data(const QModelIndex& index, int role) const override {
        if (role == Qt::DisplayRole && index.isValid())
            return QString::fromStdString(static_cast<IBaseChunk*>(index.internalPointer())->name());
        return QBaseDetailsModel::data(index, role);
    }
};

} // namespace itemtest
