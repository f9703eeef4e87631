// Check boxes drawn from small box images beside their text. The drawing lives in the
// mix-in QRZBaseBoxDraw (check box: three states; radio button: checked or not); each
// box image is whole or split into an enabled (left) and a disabled (right) half.
// QComboboxCheckbox is the row box of the checkable combo box. GUI thread only.
#pragma once

#include <QCheckBox>
#include <QImage>
#include <QRect>
#include <QString>

class QAbstractButton;
class QPaintEvent;
class QPainter;

class QRZBaseBoxDraw {
public:
    enum Kind { CheckBoxKind = 0, RadioKind = 1 };

    QRZBaseBoxDraw(QAbstractButton* owner, int kind);
    virtual ~QRZBaseBoxDraw();
    QRZBaseBoxDraw(const QRZBaseBoxDraw&) = delete;
    QRZBaseBoxDraw& operator=(const QRZBaseBoxDraw&) = delete;

    // Paths of the checked, unchecked and partial images (the partial one may be empty).
    // Nothing changes unless both the checked and unchecked files decode.
    bool setBoxImages(const QString& checked, const QString& unchecked, const QString& partial, bool twoColumns);
    // Image form: copies the images (copy true) or keeps the caller's (not owned then).
    // Needs both the checked and the unchecked image, else no images are left.
    void setBoxImages(QImage* checked, QImage* unchecked, QImage* partial, bool twoColumns, bool copy);
    bool hasBoxImage() const;
    QRect boxRect() const;
    QRect textRect() const;
    void setTextAlignment(int alignment);

    void paint(QPaintEvent* event);

protected:
    virtual void paintBox(QPainter* painter);
    virtual void paintIcon(QPainter* painter);
    virtual void paintText(QPainter* painter);

private:
    void releaseImages();
    struct Private;
    Private* d;
};

class QRZCheckBox : public QCheckBox, public QRZBaseBoxDraw {
    Q_OBJECT
public:
    explicit QRZCheckBox(QWidget* parent = nullptr);
    ~QRZCheckBox() override;

protected:
    void paintEvent(QPaintEvent* event) override;
    // A click anywhere on the widget, text included, toggles it.
    bool hitButton(const QPoint& pos) const override;
};

class QComboboxCheckbox : public QRZCheckBox {
    Q_OBJECT
public:
    explicit QComboboxCheckbox(QWidget* parent = nullptr);
    ~QComboboxCheckbox() override;

    // In signal mode a press only emits emitClick() and the box keeps its state.
    void setSignalMode(bool signalMode);
    bool signalMode() const;

signals:
    void emitClick();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool m_signalMode = false;
};
