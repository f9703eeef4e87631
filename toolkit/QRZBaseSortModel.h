// QRZBaseSortModel: the sort/filter proxy over a QBaseDetailsModel (or a model that
// answers the same roles). It stripes rows by their sorted position, filters by the item
// flag and by an exclusion list, sorts by display text and checks or unchecks all
// visible rows. GUI thread only.
#pragma once

#include "toolkit/QRZViewModelDrawAttribute.h"

#include <QRegExp>
#include <QSortFilterProxyModel>

class IBaseChunk;

class QRZBaseSortModel : public QSortFilterProxyModel, public QRZViewModelDrawAttribute {
    Q_OBJECT
public:
    enum FlagFilter { FlagFilterOff = 0, FlagFilterOnlyFlagged = 1, FlagFilterOnlyUnflagged = 2 };

    explicit QRZBaseSortModel(QObject* parent = nullptr);
    ~QRZBaseSortModel() override;

    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

    // The base filter, then a fresh check summary.
    void setFilterRegExp(const QRegExp& regExp);

    // A list of whole filter keys separated by ";": a record whose filter key equals one
    // of them is hidden.
    void setExclusionText(const QString& text);
    QString exclusionText() const { return m_exclusionText; }
    void setFlagFilterMode(int mode);
    int flagFilterMode() const { return m_flagFilterMode; }

    // 2 when every visible row is checked, 0 when none is, else 1.
    int checkSummary() const;

    virtual void updateCheckState();

signals:
    void emitSort(int column, Qt::SortOrder order);
    void itemCheckChange(int summary);

public slots:
    virtual void setAllItemCheck(int state);
    void setAllItemCheck(bool checked);
    virtual void itemCheckStateChanged(const QModelIndex& index, int state);

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;
    bool lessThan(const QModelIndex& left, const QModelIndex& right) const override;

    IBaseChunk* sourceChunk(const QModelIndex& proxyIndex) const;
    bool isExcludedKey(const QString& key) const;

    QString m_exclusionText;
    int m_flagFilterMode = FlagFilterOff;
};
