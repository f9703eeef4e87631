// QRZTableView: the toolkit's table (recording history). It tracks the row under the
// mouse and pushes it into its models (hover colours) and its delegate (hover buttons),
// turns Return into a signal, skips double clicks on a cell's check box or in-cell
// button, and shows a cell's tool tip once the mouse has rested on it longer than the
// delay. The models and the delegate are the owner's; the view keeps plain pointers set
// after setModel/setItemDelegate. GUI thread only.
#pragma once

#include "toolkit/ItemViewHoverBlock.h"

#include <QTableView>

class QBaseDetailsModel;
class QRZBaseSortModel;
class QRZBaseStyleDelegate;

class QRZTableView : public QTableView {
    Q_OBJECT
public:
    explicit QRZTableView(QWidget* parent = nullptr);
    ~QRZTableView() override;

    void setSourceModelRef(QBaseDetailsModel* model);
    void setSortModelRef(QRZBaseSortModel* model);
    void setDelegateRef(QRZBaseStyleDelegate* delegate);
    // Stores the flag and (re)starts the 100 ms tool-tip poll, whatever the flag.
    void setToolTipFlag(bool enabled);

    int hoveredRow() const;

signals:
    void emitCurrentChanged(const QModelIndex& index);
    void emitEnterSelect();

public slots:
    void showToolTip(int row, int column);
    // True when (row, column) is another cell than the hovered one.
    virtual bool isReShowToolTipText(int row, int column);
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
    QRZBaseStyleDelegate* m_delegate = nullptr;
};
