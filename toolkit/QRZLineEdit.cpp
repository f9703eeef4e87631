#include "toolkit/QRZLineEdit.h"

#include <QPainter>
#include <QRegularExpression>
#include <QRegularExpressionValidator>

struct QRZLineEdit::Private {
    QColor normalTextColor;
    QColor focusTextColor;
    bool placeholderSwap = false;
    QString placeholder;
};

QRZLineEdit::QRZLineEdit(QWidget* parent) : QLineEdit(parent), QRZBaseRectImageDraw(this), d(new Private) {
    setAttribute(Qt::WA_MacShowFocusRect, false);
    setAcceptDrops(false);
    d->focusTextColor = palette().color(QPalette::Text);
    d->normalTextColor = d->focusTextColor;
}

QRZLineEdit::~QRZLineEdit() {
    delete d;
}

bool QRZLineEdit::setFrameImage(const QString& path) {
    if (!QRZBaseRectImageDraw::setFrameImage(path)) {
        return false;
    }
    setStyleSheet(QStringLiteral("QLineEdit {background-color:transparent;border:none; padding: 0px 0px 1px -2px}"));
    QLineEdit::setTextMargins(3, 0, 2, 0);
    return true;
}

void QRZLineEdit::setPositiveIntegerValidator() {
    setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("^[0-9]*[1-9][0-9]*$")), this));
}

void QRZLineEdit::setAlignment(int alignment) {
    QLineEdit::setAlignment(Qt::Alignment(alignment));
}

void QRZLineEdit::setPalette(const QPalette& palette) {
    QLineEdit::setPalette(palette);
    d->focusTextColor = palette.color(QPalette::Text);
}

void QRZLineEdit::setPlaceholderText(const QString& text) {
    QLineEdit::setPlaceholderText(text);
    d->placeholder = text;
}

void QRZLineEdit::paintEvent(QPaintEvent* event) {
    paint(event);
    QLineEdit::paintEvent(event);
}

void QRZLineEdit::focusInEvent(QFocusEvent* event) {
    QLineEdit::focusInEvent(event);
}
void QRZLineEdit::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
}

QRZLineEditEx::QRZLineEditEx(QWidget* parent) : QRZLineEdit(parent) {
    m_extraFont = QFont(QStringLiteral("Tahoma"));
    m_extraFont.setPixelSize(11);
}

QRZLineEditEx::~QRZLineEditEx() = default;

void QRZLineEditEx::setExtraText(const QString& text) {
    m_extraText = text;
}
void QRZLineEditEx::setExtraTextColor(const QColor& color) {
    m_extraColor = color;
}
void QRZLineEditEx::setExtraTextFont(const QFont& font) {
    m_extraFont = font;
}

void QRZLineEditEx::setExtraTextMargins(int left, int top, int right, int bottom) {
    m_extraMargins[0] = static_cast<qint16>(left);
    m_extraMargins[1] = static_cast<qint16>(top);
    m_extraMargins[2] = static_cast<qint16>(right);
    m_extraMargins[3] = static_cast<qint16>(bottom);
}

void QRZLineEditEx::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    update();
}

void QRZLineEditEx::paintEvent(QPaintEvent* event) {
    QRZLineEdit::paintEvent(event);
    if (m_extraText.isEmpty()) {
        return;
    }
    QPainter painter(this);
    painter.setFont(m_extraFont);
    painter.setPen(QPen(m_extraColor, 1));
    const QRect rect(QPoint(m_extraMargins[0], m_extraMargins[1]),
                     QPoint(width() - 1 - m_extraMargins[2], height() - 1 - m_extraMargins[3]));
    painter.drawText(rect, m_extraAlignment, m_extraText);
}
