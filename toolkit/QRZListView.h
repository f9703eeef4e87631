// QRZListView: the toolkit's icon list (format chooser, cursor chooser). Like
// QRZTableView it tracks the row under the mouse and pushes it
// into its models (hover colours) and its delegate (hover buttons), turns Return and
// Backspace into signals, and skips double clicks that land on an in-cell
// control. The models and the delegate are the owner's; the view keeps plain pointers
// set after setModel/setItemDelegate. GUI thread only.
#pragma once

#include "toolkit/ItemViewHoverBlock.h"

#include <QListView>

class QBaseDetailsModel;
class QBaseIconListDelegate;
class QRZBaseSortModel;
class QScrollBar;
class QTimer;

class QRZListView : public QListView {
    Q_OBJECT
public:
    explicit QRZListView(QWidget* parent = nullptr);
    ~QRZListView() override;

    void setSourceModelRef(QBaseDetailsModel* model);
    void setSortModelRef(QRZBaseSortModel* model);
    void setDelegateRef(QBaseIconListDelegate* delegate);
    // Stores the flag only: the list never starts its tool-tip poll.
    void setToolTipEnabled(bool enabled);
    // Installs the bar and keeps the view scrolling through it.
    void setVerticalScrollBar(QScrollBar* scrollBar);

    int hoveredRow() const;

signals:
    void emitCurrentChanged(const QModelIndex& index);
    void emitEnterSelect();
    void emitKeyBackspace();

public slots:
    void showToolTip(int row, int column);
    virtual QString showToolTipText(const QModelIndex& index);
    void OnToolTipTimer();

protected slots:
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;

protected:
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

    void trackHoveredRow(int row);

    ItemViewHoverBlock* d;
    QBaseIconListDelegate* m_delegate = nullptr;
};
