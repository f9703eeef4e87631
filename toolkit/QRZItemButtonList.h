// The in-cell buttons of one column of an item view. The owner of the view creates the
// buttons (normally QRZStyleButton), fills the list and registers it with the view's
// delegate; the delegate paints the buttons inside the cells and turns mouse events
// there into button states and clicks. Neither the list nor the delegate owns the
// buttons; the delegate does not own the list.
#pragma once

#include <QList>
#include <QModelIndex>
#include <QRect>

#include <functional>

class QAbstractButton;
class QMouseEvent;
class QPainter;
class QPoint;
class QStyleOptionViewItem;

class QRZItemButtonList {
public:
    explicit QRZItemButtonList(int key);
    ~QRZItemButtonList();
    QRZItemButtonList(const QRZItemButtonList&) = delete;
    QRZItemButtonList& operator=(const QRZItemButtonList&) = delete;

    // Appends the button and adds its width to the total width.
    bool addButton(QAbstractButton* button);

    int key() const;       // the column whose cells show these buttons
    int alignment() const; // placement of the group in a table cell
    int spacing() const;   // gap between buttons in a table cell
    int totalWidth() const;
    int count() const;
    QAbstractButton* button(int i) const; // null out of range
    bool isHoverRowOnly() const;          // painted only in the row under the mouse
    bool isHidden() const;

    void setAlignment(int alignment);
    // Two integers kept for the owner; no delegate reads them.
    void setValue2(int value);
    void setValue3(int value);
    int value2() const;
    int value3() const;
    void setValue4(bool hoverRowOnly);

private:
    struct Record;
    Record* d;
};

// Paints one in-cell button into `rect` through its own style's push-button element.
// A QRZStyleButton is told whether the row is selected, and its mouse state (1 hover,
// 2 pressed) becomes the hover or sunken state when the mouse lies inside `rect`.
void paintItemButton(QPainter* painter, QAbstractButton* button, const QRect& rect, bool enabled, bool mouseInside,
                     bool selected);

// Paints the visible buttons of `list` into a cell, button i at rectOf(i, button); a
// button is enabled when it and the cell are, and mouse-inside when `mousePos` lies in
// its rectangle.
void paintCellButtons(QPainter* painter, const QRZItemButtonList* list,
                      const std::function<QRect(int, const QAbstractButton*)>& rectOf, bool cellEnabled, bool selected,
                      const QPoint& mousePos);

// Repaints the option's cell in the viewport of the view that painted it (nothing when
// the option names no item view).
void updateItemCell(const QStyleOptionViewItem& option);

// Whether the button takes part in painting and clicks (a QRZStyleButton can be made
// invisible in the cells).
bool isItemButtonVisible(const QAbstractButton* button);

// The cell and button on which a press began; a release counts as a click only on the
// same button of the same cell.
struct ItemButtonPress {
    int row = -1;
    int column = -1;
    void* internalPointer = nullptr;
    const QAbstractItemModel* model = nullptr;
    const QAbstractButton* button = nullptr;

    void remember(const QModelIndex& index, const QAbstractButton* pressedButton);
    bool matches(const QModelIndex& index, const QAbstractButton* releasedButton) const;
    void forget();
};

// How the two delegates differ in running a mouse event over a cell's buttons.
struct ItemButtonEventRules {
    bool tipOnMove = false;             // a move over a button shows its tool tip
    bool firstReleaseEndsPress = false; // the press is forgotten at the first button released on
};

// Runs one press, double click, release or move at the event's position over the
// buttons of `list` in cell `index`; rectOf(i) is button i's rectangle there. A visible
// button under the mouse is claimed: hover, or pressed on a press (which `pressed`
// remembers); the other buttons lose any mouse state. A release on the button its press
// began on, in the same cell, with button and cell (`cellEnabled`) enabled, clicks it:
// a QRZStyleButton's clickIndex(index), then `clicked`. *buttonState follows each claimed
// button (1 hover, 2 pressed) and is 0 when none was claimed; a release ends the press.
// Answers whether any button state changed (the cell wants a repaint); *claimed tells
// whether the mouse was on a button.
bool runItemButtonEvent(const QMouseEvent* event, const QRZItemButtonList* list, const QModelIndex& index,
                        bool cellEnabled, const std::function<QRect(int, const QAbstractButton*)>& rectOf,
                        const ItemButtonEventRules& rules, ItemButtonPress* pressed, int* buttonState, bool* claimed,
                        const std::function<void()>& clicked);
