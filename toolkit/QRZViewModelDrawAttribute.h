// Row colours, font and item size shared by the toolkit's item models and sort models.
// The views set the current row to the row under the mouse, which is then drawn in the
// current colours. Rows are even or odd by their row number in the answering model.
#pragma once

#include <QColor>
#include <QFont>
#include <QSize>

class QModelIndex;

// The colour a model gives for a cell's role (background, foreground), whether it
// answers with a brush or a colour; an invalid colour when it answers with neither.
QColor brushColorOf(const QModelIndex& index, int role);

class QRZViewModelDrawAttribute {
public:
    QRZViewModelDrawAttribute();

    void setCurrentRow(int row);
    int currentRow() const { return m_currentRow; }
    void setCurrentColors(const QColor& background, const QColor& text);
    void setBackgroundColors(const QColor& evenRow, const QColor& oddRow);
    // Note the order: the first colour is for rows 1, 3, 5, ...
    void setTextColors(const QColor& oddRow, const QColor& evenRow);
    void setItemSize(int width, int height);
    QSize itemSize() const { return m_itemSize; }

protected:
    QColor rowBackground(int row) const;
    QColor rowText(int row, bool flagged) const;

    int m_currentRow = -1;
    QColor m_currentBackground{51, 51, 51};
    QColor m_currentText{255, 255, 255};
    QColor m_evenBackground{35, 35, 35};
    QColor m_oddBackground{35, 35, 35};
    QColor m_oddText{205, 196, 180};
    QColor m_evenText{205, 196, 180};
    QColor m_flaggedText{255, 140, 71};
    QFont m_font;
    QSize m_itemSize{50, 50};
};
