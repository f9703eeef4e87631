#include "toolkit/QRZTableView.h"

#include "toolkit/QBaseDetailsModel.h"
#include "toolkit/QRZBaseSortModel.h"
#include "toolkit/QRZBaseStyleDelegate.h"

#include <QCursor>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QTimer>
#include <QToolTip>

QRZTableView::QRZTableView(QWidget* parent) : QTableView(parent), d(newHoverBlock(this)) {
    connect(d->toolTipTimer, SIGNAL(timeout()), this, SLOT(OnToolTipTimer()));
    setAcceptDrops(true);
    setMouseTracking(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setDragDropMode(QAbstractItemView::DragDrop);
    verticalHeader()->setVisible(false);
    setAttribute(Qt::WA_MacShowFocusRect, false);
    setShowGrid(false);
    setSortingEnabled(true);
    setFrameShape(QFrame::NoFrame);
    verticalHeader()->setDefaultSectionSize(27);
    setContextMenuPolicy(Qt::CustomContextMenu);
}

QRZTableView::~QRZTableView() { deleteHoverBlock(d); }

void QRZTableView::setSourceModelRef(QBaseDetailsModel* model) { d->detailsModel = model; }
void QRZTableView::setSortModelRef(QRZBaseSortModel* model) { d->sortModel = model; }
void QRZTableView::setDelegateRef(QRZBaseStyleDelegate* delegate) { m_delegate = delegate; }
int QRZTableView::hoveredRow() const { return d->hoveredRow; }

void QRZTableView::setToolTipFlag(bool enabled) {
    d->toolTipsEnabled = enabled;
    d->toolTipTimer->start(100);
}

bool QRZTableView::isReShowToolTipText(int row, int column) {
    return row != d->hoveredRow || column != d->hoveredColumn;
}

void QRZTableView::trackHoveredRow(int row) {
    if (row == d->hoveredRow)
        return;
    moveModelsToRow(this, d, row);
    if (m_delegate)
        m_delegate->setHoverRow(row);
}

void QRZTableView::mouseMoveEvent(QMouseEvent* event) {
    QTableView::mouseMoveEvent(event);
    const QModelIndex index = indexAt(event->pos());
    const int row = index.isValid() ? index.row() : -1;
    const int column = index.isValid() ? index.column() : -1;
    if (isReShowToolTipText(row, column))
        noteCellChange(d);
    trackHoveredRow(row);
    d->hoveredColumn = column;
}

void QRZTableView::leaveEvent(QEvent* event) {
    QTableView::leaveEvent(event);
    if (m_delegate)
        m_delegate->setHoverRow(-1);
    leaveRows(this, d);
}

void QRZTableView::OnToolTipTimer() {
    pollToolTip(d, QDateTime::currentDateTime(), [this](int row, int column) { showToolTip(row, column); });
}

void QRZTableView::showToolTip(int row, int column) {
    if (!d->toolTipsEnabled || !model())
        return;
    const QModelIndex index = model()->index(row, column);
    if (!index.isValid())
        return;
    const QString text = showToolTipText(index);
    if (!text.isEmpty())
        QToolTip::showText(QCursor::pos(), text);
}

QString QRZTableView::showToolTipText(const QModelIndex& index) { return displayTextForTip(d, index); }

void QRZTableView::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Tab) {
        QWidget::keyPressEvent(event);
        return;
    }
    if (isReturnKey(event)) {
        if (selectionModel() && !selectionModel()->selectedRows(1).isEmpty())
            emit emitEnterSelect();
        return;
    }
    QTableView::keyPressEvent(event);
}

void QRZTableView::mouseDoubleClickEvent(QMouseEvent* event) {
    if (m_delegate && (m_delegate->isOnCheckBox() || m_delegate->isPressClaimed()))
        return;
    QTableView::mouseDoubleClickEvent(event);
}

void QRZTableView::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QTableView::currentChanged(current, previous);
    if (current.isValid())
        emit emitCurrentChanged(current);
}
