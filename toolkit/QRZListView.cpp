#include "toolkit/QRZListView.h"

#include "toolkit/QBaseDetailsModel.h"
#include "toolkit/QBaseIconListDelegate.h"
#include "toolkit/QRZBaseSortModel.h"

#include <QCursor>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QScrollBar>
#include <QTimer>
#include <QToolTip>


QRZListView::QRZListView(QWidget* parent) : QListView(parent), d(newHoverBlock(this)) {
    connect(d->toolTipTimer, SIGNAL(timeout()), this, SLOT(OnToolTipTimer()));
    setAcceptDrops(true);
    setMouseTracking(true);
    setViewMode(QListView::IconMode);
    setFrameShape(QFrame::NoFrame);
    setAttribute(Qt::WA_MacShowFocusRect, false);
}

QRZListView::~QRZListView() { deleteHoverBlock(d); }

void QRZListView::setSourceModelRef(QBaseDetailsModel* model) { d->detailsModel = model; }
void QRZListView::setSortModelRef(QRZBaseSortModel* model) { d->sortModel = model; }
void QRZListView::setDelegateRef(QBaseIconListDelegate* delegate) { m_delegate = delegate; }
void QRZListView::setToolTipEnabled(bool enabled) { d->toolTipsEnabled = enabled; }
int QRZListView::hoveredRow() const { return d->hoveredRow; }

void QRZListView::setVerticalScrollBar(QScrollBar* scrollBar) {
    QListView::setVerticalScrollBar(scrollBar);
    if (!scrollBar)
        return;
    connect(scrollBar, SIGNAL(actionTriggered(int)), this, SLOT(verticalScrollbarAction(int)));
    connect(scrollBar, SIGNAL(valueChanged(int)), this, SLOT(verticalScrollbarValueChanged(int)));
}

void QRZListView::trackHoveredRow(int row) {
    if (row == d->hoveredRow)
        return;
    moveModelsToRow(this, d, row);
    if (m_delegate)
        m_delegate->setHoverRow(row);
}

void QRZListView::mouseMoveEvent(QMouseEvent* event) {
    QListView::mouseMoveEvent(event);
    const QModelIndex index = indexAt(event->pos());
    const int row = index.isValid() ? index.row() : -1;
    const int column = index.isValid() ? index.column() : -1;
    if (row != d->hoveredRow || column != d->hoveredColumn)
        noteCellChange(d);
    trackHoveredRow(row);
    d->hoveredColumn = column;
}

void QRZListView::leaveEvent(QEvent* event) {
    QListView::leaveEvent(event);
    if (m_delegate)
        m_delegate->setHoverRow(-1);
    leaveRows(this, d);
}

void QRZListView::OnToolTipTimer() {
    pollToolTip(d, QDateTime::currentDateTime(), [this](int row, int column) { showToolTip(row, column); });
}

void QRZListView::showToolTip(int row, int column) {
    if (!d->toolTipsEnabled || !model())
        return;
    const QModelIndex index = model()->index(row, column);
    if (!index.isValid())
        return;
    const QString text = showToolTipText(index);
    if (!text.isEmpty())
        QToolTip::showText(QCursor::pos(), text);
}

QString QRZListView::showToolTipText(const QModelIndex& index) { return displayTextForTip(d, index); }

void QRZListView::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Tab) {
        QWidget::keyPressEvent(event);
        return;
    }
    if (isReturnKey(event)) {
        if (selectionModel() && !selectionModel()->selectedRows(1).isEmpty())
            emit emitEnterSelect();
        return;
    }
    if (event->key() == Qt::Key_Backspace) {
        emit emitKeyBackspace();
        return;
    }
    QListView::keyPressEvent(event);
}

void QRZListView::mouseDoubleClickEvent(QMouseEvent* event) {
    if (m_delegate && m_delegate->isPressClaimed())
        return;
    QListView::mouseDoubleClickEvent(event);
}

void QRZListView::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QListView::currentChanged(current, previous);
    if (current.isValid())
        emit emitCurrentChanged(current);
}
