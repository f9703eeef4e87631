// The window bases; their event wiring is QRZDrawnWindow's.
#include "toolkit/QRZButton.h"
#include "toolkit/QRZDialog.h"
#include "toolkit/QRZMainWindow.h"
#include "toolkit/QRZWidget.h"

#include <QMouseEvent>

QRZDialog::QRZDialog(QWidget* parent) : QRZDrawnWindow<QDialog>(parent, DialogMode) {}
QRZDialog::~QRZDialog() = default;

QRZWidget::QRZWidget(QWidget* parent) : QRZDrawnWindow<QWidget>(parent, PlainWidgetMode) {}
QRZWidget::~QRZWidget() = default;

QRZMainWindow::QRZMainWindow(QWidget* parent) : QRZDrawnWindow<QMainWindow>(parent, MainWindowMode) {}
QRZMainWindow::~QRZMainWindow() = default;

QRZDialogEx::QRZDialogEx(QWidget* parent) : QRZDialog(parent) {
    setResizeFlags(0);
}

QRZDialogEx::~QRZDialogEx() {
    delete m_btnClose;
    m_btnClose = nullptr;
}

QRZBaseButton* QRZDialogEx::createCloseButton(const QString& path, bool visible) {
    delete m_btnClose;
    m_btnClose = new QRZBaseButton(this);
    m_btnClose->setImage(path, true);
    m_btnClose->setVisible(visible);
    m_btnClose->setToolTip(tr("Close"));
    placeCloseButton();
    return m_btnClose;
}

QRZBaseButton* QRZDialogEx::closeButton() const {
    return m_btnClose;
}

void QRZDialogEx::placeCloseButton() {
    if (m_btnClose != nullptr) {
        m_btnClose->move(width() - m_btnClose->width() - 8, 8);
    }
}

void QRZDialogEx::showEvent(QShowEvent* event) {
    QRZDialog::showEvent(event);
    placeCloseButton();
}

void QRZDialogEx::resizeEvent(QResizeEvent* event) {
    QRZDialog::resizeEvent(event);
    placeCloseButton();
}
