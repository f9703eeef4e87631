// QRZListView: the toolkit's icon list (format chooser, cursor chooser). Hover, tool tips
// and double clicks as HoverItemView; Return and Backspace become signals. GUI thread
// only.
#pragma once

#include "toolkit/HoverItemView.h"
#include "toolkit/QBaseIconListDelegate.h"

#include <QListView>

class QScrollBar;

class QRZListView : public HoverItemView<QListView, QBaseIconListDelegate> {
    Q_OBJECT
public:
    explicit QRZListView(QWidget* parent = nullptr);
    ~QRZListView() override;

    // Stores the flag only: the list never starts its tool-tip poll.
    void setToolTipEnabled(bool enabled);
    // Installs the bar and keeps the view scrolling through it.
    void setVerticalScrollBar(QScrollBar* scrollBar);

signals:
    void emitCurrentChanged(const QModelIndex& index);
    void emitEnterSelect();
    void emitKeyBackspace();

public slots:
    void showToolTip(int row, int column) { HoverItemView::showToolTip(row, column); }
    QString showToolTipText(const QModelIndex& index) override { return HoverItemView::showToolTipText(index); }
    void OnToolTipTimer() { pollToolTip(); }

protected slots:
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
};
