// What the toolkit's list and table views (QRZListView, QRZTableView) do alike: they
// track the row under the mouse and push it into their models (hover colours) and their
// delegate (hover buttons), show a cell's tool tip, and skip double clicks that land on
// an in-cell control. `View` is the framework view; `Delegate` the view's delegate class
// (setHoverRow, isPressClaimed). The models and the delegate are the owner's; the view
// keeps plain pointers set after setModel/setItemDelegate. GUI thread only.
#pragma once

#include "toolkit/ItemViewHoverBlock.h"

#include <QCursor>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QToolTip>

template <class View, class Delegate> class HoverItemView : public View {
public:
    explicit HoverItemView(QWidget* parent) : View(parent), d(newHoverBlock(this)) {}
    ~HoverItemView() override { deleteHoverBlock(d); }

    void setSourceModelRef(QBaseDetailsModel* model) { d->detailsModel = model; }
    void setSortModelRef(QRZBaseSortModel* model) { d->sortModel = model; }
    void setDelegateRef(Delegate* delegate) { m_delegate = delegate; }
    int hoveredRow() const { return d->hoveredRow; }

    // The tip of cell (row, column) at the mouse, when tips are on and the text is not
    // empty.
    void showToolTip(int row, int column) {
        if (!d->toolTipsEnabled || !this->model())
            return;
        const QModelIndex index = this->model()->index(row, column);
        if (!index.isValid())
            return;
        const QString text = showToolTipText(index);
        if (!text.isEmpty())
            QToolTip::showText(QCursor::pos(), text);
    }
    virtual QString showToolTipText(const QModelIndex& index) { return displayTextForTip(d, index); }
    // True when (row, column) is another cell than the hovered one.
    virtual bool isReShowToolTipText(int row, int column) { return row != d->hoveredRow || column != d->hoveredColumn; }

protected:
    // Whether the last press landed on one of the delegate's in-cell controls.
    virtual bool isPressOnCellControl() const { return m_delegate && m_delegate->isPressClaimed(); }

    void trackHoveredRow(int row) {
        if (row == d->hoveredRow)
            return;
        moveModelsToRow(this, d, row);
        if (m_delegate)
            m_delegate->setHoverRow(row);
    }

    void pollToolTip() {
        ::pollToolTip(d, QDateTime::currentDateTime(), [this](int row, int column) { showToolTip(row, column); });
    }

    enum class KeyTaken { No, Yes, ReturnWithRows };
    // Tab moves the focus as in a plain widget, and Return on the main keyboard is the
    // view's own (ReturnWithRows when rows are selected). No for every other key.
    KeyTaken takeTabOrReturn(QKeyEvent* event) {
        if (event->key() == Qt::Key_Tab) {
            QWidget::keyPressEvent(event);
            return KeyTaken::Yes;
        }
        if (!isReturnKey(event))
            return KeyTaken::No;
        QItemSelectionModel* selection = this->selectionModel();
        return selection && !selection->selectedRows(1).isEmpty() ? KeyTaken::ReturnWithRows : KeyTaken::Yes;
    }

    void mouseMoveEvent(QMouseEvent* event) override {
        View::mouseMoveEvent(event);
        const QModelIndex index = this->indexAt(event->pos());
        const int row = index.isValid() ? index.row() : -1;
        const int column = index.isValid() ? index.column() : -1;
        if (isReShowToolTipText(row, column))
            noteCellChange(d);
        trackHoveredRow(row);
        d->hoveredColumn = column;
    }

    void leaveEvent(QEvent* event) override {
        View::leaveEvent(event);
        if (m_delegate)
            m_delegate->setHoverRow(-1);
        leaveRows(this, d);
    }

    void mouseDoubleClickEvent(QMouseEvent* event) override {
        if (isPressOnCellControl())
            return;
        View::mouseDoubleClickEvent(event);
    }

    ItemViewHoverBlock* d;
    Delegate* m_delegate = nullptr;
};
