#include "editor/QWaitForDlg.h"

#include "editor/TranslucentWindow.h"

QWaitForDlg::QWaitForDlg(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("QWaitForDlg"));
    resize(266, 241);
    setAttribute(Qt::WA_TranslucentBackground, true);
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setWindowTitle(QStringLiteral("Loading"));
}

QWaitForDlg::~QWaitForDlg() = default;

void QWaitForDlg::paintEvent(QPaintEvent*) {}

void QWaitForDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    maskToPaintedArea(this);
}
