// Hover and tool-tip state shared by the toolkit's list and table views, and the steps
// both take when the row under the mouse changes. GUI thread only.
#pragma once

#include <QDateTime>
#include <QModelIndex>
#include <QString>

#include <functional>

class QAbstractItemView;
class QBaseDetailsModel;
class QKeyEvent;
class QObject;
class QRZBaseSortModel;
class QTimer;

struct ItemViewHoverBlock {
    int hoveredRow = -1;
    int hoveredColumn = -1;
    QBaseDetailsModel* detailsModel = nullptr;
    QRZBaseSortModel* sortModel = nullptr;
    bool toolTipsEnabled = false;
    int toolTipDelayMs = 1000;
    QTimer* toolTipTimer = nullptr;
    QDateTime lastCellChange;
    bool tipShown = false;
};

// Creates the block with its tool-tip poll timer (parent `owner`, not started).
ItemViewHoverBlock* newHoverBlock(QObject* owner);
// Stops and deletes the timer, then the block.
void deleteHoverBlock(ItemViewHoverBlock* d);
// The models' current rows and a repaint of the old and new rows; false (nothing stored)
// when neither model is set.
bool moveModelsToRow(QAbstractItemView* view, ItemViewHoverBlock* d, int row);
// The mouse left the view: no current row in the models, the old row repainted.
void leaveRows(QAbstractItemView* view, ItemViewHoverBlock* d);
// The mouse entered another cell: any tip is hidden and the rest time starts again.
void noteCellChange(ItemViewHoverBlock* d);
// Display text of the cell (through the sort model's source when one is set).
QString displayTextForTip(const ItemViewHoverBlock* d, const QModelIndex& index);
// Shows the tip (once) when the mouse has rested on its cell longer than the delay at
// `now`.
void pollToolTip(ItemViewHoverBlock* d, const QDateTime& now, const std::function<void(int, int)>& show);
// Return on the main keyboard (not the keypad Enter).
bool isReturnKey(const QKeyEvent* event);
