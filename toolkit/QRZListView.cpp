#include "toolkit/QRZListView.h"

#include <QScrollBar>
#include <QTimer>

QRZListView::QRZListView(QWidget* parent) : HoverItemView(parent) {
    connect(d->toolTipTimer, SIGNAL(timeout()), this, SLOT(OnToolTipTimer()));
    setAcceptDrops(true);
    setMouseTracking(true);
    setViewMode(QListView::IconMode);
    setFrameShape(QFrame::NoFrame);
    setAttribute(Qt::WA_MacShowFocusRect, false);
}

QRZListView::~QRZListView() = default;

void QRZListView::setToolTipEnabled(bool enabled) {
    d->toolTipsEnabled = enabled;
}

void QRZListView::setVerticalScrollBar(QScrollBar* scrollBar) {
    QListView::setVerticalScrollBar(scrollBar);
    if (!scrollBar)
        return;
    connect(scrollBar, SIGNAL(actionTriggered(int)), this, SLOT(verticalScrollbarAction(int)));
    connect(scrollBar, SIGNAL(valueChanged(int)), this, SLOT(verticalScrollbarValueChanged(int)));
}

void QRZListView::keyPressEvent(QKeyEvent* event) {
    const KeyTaken taken = takeTabOrReturn(event);
    if (taken == KeyTaken::ReturnWithRows)
        emit emitEnterSelect();
    if (taken != KeyTaken::No)
        return;
    if (event->key() == Qt::Key_Backspace) {
        emit emitKeyBackspace();
        return;
    }
    QListView::keyPressEvent(event);
}

void QRZListView::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QListView::currentChanged(current, previous);
    if (current.isValid())
        emit emitCurrentChanged(current);
}
