// QRZTableView: the toolkit's table (recording history). Hover, tool tips and double
// clicks as HoverItemView (a double click on a cell's check box is skipped too); Return
// becomes a signal, and a cell's tool tip shows once the mouse has rested on it longer
// than the delay. GUI thread only.
#pragma once

#include "toolkit/HoverItemView.h"
#include "toolkit/QRZBaseStyleDelegate.h"

#include <QTableView>

class QRZTableView : public HoverItemView<QTableView, QRZBaseStyleDelegate> {
    Q_OBJECT
public:
    explicit QRZTableView(QWidget* parent = nullptr);
    ~QRZTableView() override;

    // Stores the flag and (re)starts the 100 ms tool-tip poll, whatever the flag.
    void setToolTipFlag(bool enabled);

signals:
    void emitCurrentChanged(const QModelIndex& index);
    void emitEnterSelect();

public slots:
    void showToolTip(int row, int column) { HoverItemView::showToolTip(row, column); }
    // True when (row, column) is another cell than the hovered one.
    bool isReShowToolTipText(int row, int column) override { return HoverItemView::isReShowToolTipText(row, column); }
    QString showToolTipText(const QModelIndex& index) override { return HoverItemView::showToolTipText(index); }
    void OnToolTipTimer() { pollToolTip(); }

protected slots:
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;

protected:
    bool isPressOnCellControl() const override;
    void keyPressEvent(QKeyEvent* event) override;
};
