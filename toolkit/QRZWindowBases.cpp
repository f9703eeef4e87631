// The four window bases: each calls the framework's handler first, then the mix-in.
#include "toolkit/QRZButton.h"
#include "toolkit/QRZDialog.h"
#include "toolkit/QRZMainWindow.h"
#include "toolkit/QRZWidget.h"

#include <QMouseEvent>

#define CALVORINE_FORWARD_EVENTS(Class, Base)                                              \
    void Class::mousePressEvent(QMouseEvent* event) {                                      \
        Base::mousePressEvent(event);                                                      \
        mousePress(event);                                                                 \
    }                                                                                      \
    void Class::mouseMoveEvent(QMouseEvent* event) {                                       \
        Base::mouseMoveEvent(event);                                                       \
        mouseMove(event);                                                                  \
    }                                                                                      \
    void Class::mouseReleaseEvent(QMouseEvent* event) {                                    \
        Base::mouseReleaseEvent(event);                                                    \
        mouseRelease(event);                                                               \
    }                                                                                      \
    void Class::mouseDoubleClickEvent(QMouseEvent* event) {                                \
        Base::mouseDoubleClickEvent(event);                                                \
        mouseDoubleClick(event);                                                           \
    }                                                                                      \
    void Class::focusOutEvent(QFocusEvent* event) {                                        \
        Base::focusOutEvent(event);                                                        \
        focusOut(event);                                                                   \
    }                                                                                      \
    void Class::paintEvent(QPaintEvent* event) { paintBackground(event); }                \
    void Class::showEvent(QShowEvent* event) {                                             \
        Base::showEvent(event);                                                            \
        relayout();                                                                        \
    }                                                                                      \
    void Class::resizeEvent(QResizeEvent* event) {                                         \
        Base::resizeEvent(event);                                                          \
        relayout();                                                                        \
    }

QRZDialog::QRZDialog(QWidget* parent) : QDialog(parent, Qt::WindowFlags()), QBaseDrawWidget(this, DialogMode) {}
QRZDialog::~QRZDialog() = default;
CALVORINE_FORWARD_EVENTS(QRZDialog, QDialog)

QRZWidget::QRZWidget(QWidget* parent) : QWidget(parent, Qt::WindowFlags()), QBaseDrawWidget(this, PlainWidgetMode) {}
QRZWidget::~QRZWidget() = default;
CALVORINE_FORWARD_EVENTS(QRZWidget, QWidget)

QRZMainWindow::QRZMainWindow(QWidget* parent)
    : QMainWindow(parent, Qt::WindowFlags()), QBaseDrawWidget(this, MainWindowMode) {}
QRZMainWindow::~QRZMainWindow() = default;
CALVORINE_FORWARD_EVENTS(QRZMainWindow, QMainWindow)

#undef CALVORINE_FORWARD_EVENTS

QRZDialogEx::QRZDialogEx(QWidget* parent) : QRZDialog(parent) { setResizeFlags(0); }

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

QRZBaseButton* QRZDialogEx::closeButton() const { return m_btnClose; }

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
