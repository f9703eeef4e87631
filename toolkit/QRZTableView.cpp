#include "toolkit/QRZTableView.h"

#include <QHeaderView>
#include <QTimer>

QRZTableView::QRZTableView(QWidget* parent) : HoverItemView(parent) {
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

QRZTableView::~QRZTableView() = default;

void QRZTableView::setToolTipFlag(bool enabled) {
    d->toolTipsEnabled = enabled;
    d->toolTipTimer->start(100);
}

bool QRZTableView::isPressOnCellControl() const {
    return m_delegate && (m_delegate->isOnCheckBox() || m_delegate->isPressClaimed());
}

void QRZTableView::keyPressEvent(QKeyEvent* event) {
    const KeyTaken taken = takeTabOrReturn(event);
    if (taken == KeyTaken::ReturnWithRows)
        emit emitEnterSelect();
    if (taken == KeyTaken::No)
        QTableView::keyPressEvent(event);
}

void QRZTableView::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QTableView::currentChanged(current, previous);
    if (current.isValid())
        emit emitCurrentChanged(current);
}
