// Radio button that looks either like a box image with text (box look) or like a
// strip-drawn push button (button look). GUI thread only.
#pragma once

#include "toolkit/QRZButton.h"
#include "toolkit/QRZCheckBox.h"

#include <QRadioButton>

class QRZRadioButton : public QRadioButton, public QRZBaseBoxDraw, public QRZBaseButtonDraw {
    Q_OBJECT
public:
    explicit QRZRadioButton(QWidget* parent = nullptr);
    ~QRZRadioButton() override;

    // buttonLook true: `checkedPath` is a four-frame strip drawn like a push button;
    // false: the two paths are the checked and unchecked box images.
    void setImageMode(const QString& checkedPath, const QString& uncheckedPath, bool buttonLook, bool twoColumns);
    bool imageMode() const;

    using QRZBaseBoxDraw::hasBoxImage;
    using QRZBaseBoxDraw::setBoxImages;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void enterEvent(QEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    bool m_imageMode = false;
};
