// Frameless dialog bases of the program: QRZDialog (resizable by its edges, mode 1) and
// QRZDialogEx (not resizable, with a title close button). They forward the framework's
// events to the drawing mix-in QBaseDrawWidget. GUI thread only.
#pragma once

#include "toolkit/QRZDrawnWindow.h"

#include <QDialog>

class QRZBaseButton;

class QRZDialog : public QRZDrawnWindow<QDialog> {
    Q_OBJECT
public:
    explicit QRZDialog(QWidget* parent = nullptr);
    ~QRZDialog() override;
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
