// QRZBaseStyleDelegate: paints the rows of the toolkit's table views (highlight, a check
// box with text in the check column, a line under each row, in-cell buttons) and turns
// mouse events on the check box and buttons into signals. Derived delegates add a cover
// picture and a badge through the two hooks. Rows are read through the model roles of
// QBaseDetailsModel (259 record, 260 flag, 2 column enabled).
//
// The delegate owns its check-box images; it owns neither the button lists nor the
// buttons. GUI thread only.
#pragma once

#include "toolkit/QRZItemButtonList.h"

#include <QColor>
#include <QImage>
#include <QMap>
#include <QMargins>
#include <QPoint>
#include <QStyledItemDelegate>

class QRZBaseStyleDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit QRZBaseStyleDelegate(QObject* parent = nullptr);
    ~QRZBaseStyleDelegate() override;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                     const QModelIndex& index) override;

    // Registers the list under its key, replacing one for that column; false for null.
    bool addItemButtons(QRZItemButtonList* list);

    void setColor(const QColor& highlight);
    void setColor1(const QColor& highlightedText);
    void setColor2(const QColor& rowLine);
    // -1 (the mouse left the rows) also restores the application's override cursor and
    // draws every in-cell button plain again.
    void setHoverRow(int row);
    int hoverRow() const;
    // True while the mouse is on a check box; the table view skips double clicks then.
    bool isOnCheckBox() const;
    // True while a press on an in-cell button is being handled.
    bool isPressClaimed() const;

    void setCheckColumn(int column);
    void setCheckBoxImages(const QImage& unchecked, const QImage& partial, const QImage& checked);
    void setCheckBoxSize(int width, int height);

signals:
    void clickWidgt(const QModelIndex& index);
    void emitCheckStateChange(const QModelIndex& index, int state);

protected:
    virtual bool itemButtonEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                                 const QModelIndex& index);
    virtual void paintRowLine(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const;
    virtual void paintItemButtons(QPainter* painter, const QStyleOptionViewItem& option,
                                  const QModelIndex& index) const;
    virtual void paintCheckCell(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const;
    // Hooks for derived delegates: a cell's picture (after the row is painted) and a
    // badge over it (after everything else). Empty here.
    virtual void paintDecoration(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const;
    virtual void paintBadge(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const;

    // The cell-relative places of the column's buttons, in list order.
    QList<QRect> buttonRects(const QRect& cell, const QRZItemButtonList* list) const;
    QRect checkBoxRect(const QRect& cell) const;
    void updateCell(const QStyleOptionViewItem& option) const;
    // No in-cell button is under the mouse any more: each is drawn plain until the mouse
    // comes onto one again. True when one was drawn hovered or pressed.
    bool forgetButtonHover();

    struct Settings {
        QColor highlight{254, 202, 113};
        QColor highlightedText{38, 38, 38};
        QColor rowLineColor{28, 28, 28};
        int hoverRow = -1;
        bool rowLine = true;
        QPoint mousePos{0, 0};
        bool mouseOnCheckBox = false;
        int buttonState = 0;
        int checkBoxClickable = 1;
        int checkColumn = -1;
        QImage uncheckedImage, partialImage, checkedImage;
        int checkBoxWidth = 0, checkBoxHeight = 0;
        QMargins checkBoxHitMargins{0, 0, 0, 0};
        int checkBoxX = 5;  // -1 means 5
        int checkBoxY = -1; // -1 centres vertically
        int textGap = 5;
        bool pressClaimed = false;
        ItemButtonPress pressedCell;
    };
    Settings* settings() const { return m_settings; }

    QMap<int, QRZItemButtonList*> m_buttonLists;

private:
    Settings* m_settings;
};
