#include "toolkit/ItemViewHoverBlock.h"

#include "toolkit/QBaseDetailsModel.h"
#include "toolkit/QRZBaseSortModel.h"

#include <QAbstractItemView>
#include <QKeyEvent>
#include <QTimer>
#include <QToolTip>

bool moveModelsToRow(QAbstractItemView* view, ItemViewHoverBlock* d, int row) {
    if (!d->sortModel && !d->detailsModel)
        return false;
    if (d->sortModel)
        d->sortModel->setCurrentRow(row);
    if (d->detailsModel)
        d->detailsModel->setCurrentRow(row);
    QAbstractItemModel* model = view->model();
    if (model) {
        for (int column = model->columnCount() - 1; column >= 0; --column) {
            view->update(model->index(d->hoveredRow, column));
            view->update(model->index(row, column));
        }
    }
    d->hoveredRow = row;
    return true;
}

void leaveRows(QAbstractItemView* view, ItemViewHoverBlock* d) {
    if (d->sortModel)
        d->sortModel->setCurrentRow(-1);
    if (d->detailsModel)
        d->detailsModel->setCurrentRow(-1);
    if (QAbstractItemModel* model = view->model()) {
        for (int column = model->columnCount() - 1; column >= 0; --column)
            view->update(model->index(d->hoveredRow, column));
    }
    d->hoveredRow = -1;
    d->hoveredColumn = -1;
}

void noteCellChange(ItemViewHoverBlock* d) {
    d->tipShown = false;
    d->lastCellChange = QDateTime::currentDateTime();
    QToolTip::hideText();
}

QString displayTextForTip(const ItemViewHoverBlock* d, const QModelIndex& index) {
    if (!index.isValid())
        return QString();
    if (d->sortModel)
        return d->sortModel->mapToSource(index).data(Qt::DisplayRole).toString();
    if (d->detailsModel)
        return index.data(Qt::DisplayRole).toString();
    return QString();
}

void pollToolTip(ItemViewHoverBlock* d, const QDateTime& now, const std::function<void(int, int)>& show) {
    if (d->tipShown || !d->lastCellChange.isValid())
        return;
    if (d->lastCellChange.msecsTo(now) > d->toolTipDelayMs) {
        d->tipShown = true;
        show(d->hoveredRow, d->hoveredColumn);
    }
}

bool isReturnKey(const QKeyEvent* event) {
    return event->key() == Qt::Key_Return && !(event->modifiers() & Qt::KeypadModifier);
}

ItemViewHoverBlock* newHoverBlock(QObject* owner) {
    auto* d = new ItemViewHoverBlock;
    d->toolTipTimer = new QTimer(owner);
    return d;
}

void deleteHoverBlock(ItemViewHoverBlock* d) {
    d->toolTipTimer->stop();
    delete d->toolTipTimer;
    delete d;
}
