// QBaseDetailsModel: a flat item model over a vector of IBaseChunk pointers, with one
// check column and striped row colours. The vector belongs to the model's owner, who
// keeps it alive while it is shown and tells the model about changes (setChunks,
// itemAppended, refreshItem). GUI thread only.
//
// Item roles shared with the sort model, views and delegates: 256 check-state write
// (and, in derived models, an image path), 259 the row's IBaseChunk* as a void*
// QVariant, 260 the item flag as a bool.
#pragma once

#include "toolkit/QRZViewModelDrawAttribute.h"

#include <QAbstractItemModel>
#include <QStringList>

#include <vector>

class IBaseChunk;

enum ItemModelRole {
    kItemCheckWriteRole = Qt::UserRole,  // 256
    kItemChunkRole = Qt::UserRole + 3,   // 259
    kItemFlaggedRole = Qt::UserRole + 4, // 260
};

// The record behind an index of a toolkit model (role 259), or null.
IBaseChunk* chunkOfIndex(const QModelIndex& index);

// Tells every attached view that the whole model changed.
void resetModel(QAbstractItemModel* model);

class QBaseDetailsModel : public QAbstractItemModel, public QRZViewModelDrawAttribute {
    Q_OBJECT
public:
    explicit QBaseDetailsModel(QObject* parent = nullptr);
    ~QBaseDetailsModel() override;

    QModelIndex index(int row, int column, const QModelIndex& parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    void setHeaderLabels(const QStringList& labels);
    QStringList headerLabels() const { return m_headerLabels; }
    void setCheckColumn(int column) { m_checkColumn = column; }
    int checkColumn() const { return m_checkColumn; }

    virtual void setChunks(std::vector<IBaseChunk*>* chunks);
    virtual void refreshItem(int row, int column);
    // Call after pushing one record onto the vector.
    virtual void itemAppended();

    std::vector<IBaseChunk*>* chunks() const { return m_chunks; }
    // 2 when every row is checked, 0 when none is, else 1.
    int checkSummary() const;

signals:
    void itemCheckChange(int summary);

public slots:
    void OnStateChanged(int state);
    void OnStateChanged(bool checked);

protected:
    IBaseChunk* chunkAt(int row) const;

    std::vector<IBaseChunk*>* m_chunks = nullptr;
    QStringList m_headerLabels;
    int m_checkColumn = 0;
};
