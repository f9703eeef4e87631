// The icon list model of the format chooser and the cursor-picture chooser: one column
// over the base model's records. Display and tool tip are the record's name, decoration
// its picture (an in-memory picture given to the model, else the record's file path),
// the user role its overlay picture path. GUI thread only.
#pragma once

#include "toolkit/QBaseDetailsModel.h"

#include <QHash>
#include <QImage>

class QIconListModel : public QBaseDetailsModel {
    Q_OBJECT
public:
    explicit QIconListModel(QObject* parent = nullptr);
    ~QIconListModel() override;

    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    // A picture prepared in memory for a record, shown instead of its file path; a null
    // image removes it. The model keeps a copy.
    void setRecordImage(const IBaseChunk* record, const QImage& image);

private:
    QHash<const IBaseChunk*, QImage> m_images;
};
