#include "toolkit/QRZTextEdit.h"

#include <QTextEdit>

struct QRZTextEdit::Private {
    qint16 margins[4] = {0, 0, 0, 0};
    QTextEdit* edit = nullptr;
};

QRZTextEdit::QRZTextEdit(QWidget* parent) : QWidget(parent), QRZBaseRectImageDraw(this), d(new Private) {
    setAcceptDrops(false);
    d->edit = new QTextEdit(this);
    d->edit->setAttribute(Qt::WA_MacShowFocusRect, false);
    d->edit->setAcceptDrops(false);
    connect(d->edit, SIGNAL(textChanged()), this, SLOT(textEditChange()));
    placeEditor();
}

QRZTextEdit::~QRZTextEdit() {
    delete d;
}

bool QRZTextEdit::setFrameImage(const QString& path) {
    if (!QRZBaseRectImageDraw::setFrameImage(path)) {
        return false;
    }
    d->edit->setStyleSheet(QStringLiteral("QTextEdit {background-color:transparent;border:none}"));
    return true;
}

void QRZTextEdit::setTextMargins(int left, int top, int right, int bottom) {
    d->margins[0] = static_cast<qint16>(left);
    d->margins[1] = static_cast<qint16>(top);
    d->margins[2] = static_cast<qint16>(right);
    d->margins[3] = static_cast<qint16>(bottom);
    placeEditor();
    update();
    updateGeometry();
}

QTextEdit* QRZTextEdit::textEdit() const {
    return d->edit;
}

void QRZTextEdit::textEditChange() {
    emit textChanged(d->edit->toPlainText());
}

void QRZTextEdit::placeEditor() {
    d->edit->setGeometry(
        QRect(QPoint(d->margins[0], d->margins[1]), QPoint(width() - 1 - d->margins[2], height() - 1 - d->margins[3])));
}

void QRZTextEdit::paintEvent(QPaintEvent* event) {
    paint(event);
    placeEditor();
}

void QRZTextEdit::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    placeEditor();
}
