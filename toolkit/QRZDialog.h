// Frameless dialog bases of the program: QRZDialog (resizable by its edges, mode 1) and
// QRZDialogEx (not resizable, with a title close button). They forward the framework's
// events to the drawing mix-in QBaseDrawWidget. GUI thread only.
#pragma once

#include "toolkit/QBaseDrawWidget.h"

#include <QDialog>

class QRZBaseButton;

class QRZDialog : public QDialog, public QBaseDrawWidget {
    Q_OBJECT
public:
    explicit QRZDialog(QWidget* parent = nullptr);
    ~QRZDialog() override;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
};

class QRZDialogEx : public QRZDialog {
    Q_OBJECT
public:
    explicit QRZDialogEx(QWidget* parent = nullptr);
    ~QRZDialogEx() override;

    // Replaces the title close button by one drawn from the four-frame strip at `path`
    // (nine-grid), hidden unless `visible`, tool tip "Close". Connecting its click is
    // the caller's business.
    QRZBaseButton* createCloseButton(const QString& path, bool visible);
    QRZBaseButton* closeButton() const;

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void placeCloseButton();
    QRZBaseButton* m_btnClose = nullptr;
};
