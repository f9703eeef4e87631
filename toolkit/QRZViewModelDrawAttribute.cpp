#include "toolkit/QRZViewModelDrawAttribute.h"

#include <QBrush>
#include <QModelIndex>
#include <QVariant>

QColor brushColorOf(const QModelIndex& index, int role) {
    const QVariant value = index.data(role);
    if (value.canConvert<QBrush>())
        return value.value<QBrush>().color();
    return value.value<QColor>();
}

QRZViewModelDrawAttribute::QRZViewModelDrawAttribute() {
    m_font.setFamily(QStringLiteral("Tahoma"));
    m_font.setPixelSize(12);
    m_font.setWeight(QFont::Normal);
}

void QRZViewModelDrawAttribute::setCurrentRow(int row) {
    m_currentRow = row;
}

void QRZViewModelDrawAttribute::setCurrentColors(const QColor& background, const QColor& text) {
    m_currentBackground = background;
    m_currentText = text;
}

void QRZViewModelDrawAttribute::setBackgroundColors(const QColor& evenRow, const QColor& oddRow) {
    m_evenBackground = evenRow;
    m_oddBackground = oddRow;
}

void QRZViewModelDrawAttribute::setTextColors(const QColor& oddRow, const QColor& evenRow) {
    m_oddText = oddRow;
    m_evenText = evenRow;
}

void QRZViewModelDrawAttribute::setItemSize(int width, int height) {
    m_itemSize = QSize(width, height);
}

QColor QRZViewModelDrawAttribute::rowBackground(int row) const {
    if (row == m_currentRow)
        return m_currentBackground;
    return (row % 2 == 0) ? m_evenBackground : m_oddBackground;
}

QColor QRZViewModelDrawAttribute::rowText(int row, bool flagged) const {
    if (flagged)
        return m_flaggedText;
    if (row == m_currentRow)
        return m_currentText;
    return (row % 2 == 0) ? m_evenText : m_oddText;
}
