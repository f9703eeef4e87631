// Image-framed spin and date-time edits: a frame drawn by QRZBaseRectImageDraw and two
// strip-drawn step buttons in place of the native arrows. Holding a step button repeats
// the step every 100 ms from 700 ms after the press. GUI thread only.
#pragma once

#include "toolkit/QRZBaseRectImageDraw.h"

#include <QDateTimeEdit>
#include <QDoubleSpinBox>
#include <QVariant>

class QAbstractSpinBox;
class QLineEdit;
class QRZBaseButton;

// The step buttons and their layout, shared by the spin box and the date-time edit.
class QRZSpinButtons {
public:
    QRZSpinButtons() = default;
    ~QRZSpinButtons();
    QRZSpinButtons(const QRZSpinButtons&) = delete;
    QRZSpinButtons& operator=(const QRZSpinButtons&) = delete;

    // Creates both buttons on `owner` when the up strip decodes; false otherwise.
    bool create(QWidget* owner, const QString& upPath, const QString& downPath, bool naturalSize);
    // create() plus the owner's side: native arrows off, clicks step, presses start and
    // releases stop the repeat. `owner` must have the slots pressBtn() and releseBtn().
    bool attach(QAbstractSpinBox* owner, const QString& upPath, const QString& downPath, bool naturalSize);
    void destroy();
    bool exists() const;
    void setMargins(int buttonX, int top, int right, int bottom);
    // setMargins() and a new layout and paint of `owner`.
    void setMargins(QWidget* owner, int buttonX, int top, int right, int bottom);
    void layout(QWidget* owner);
    // Repeat timer bookkeeping; answers +1 / -1 when a repeated step is due, else 0.
    void press(QWidget* owner, bool up);
    void release(QWidget* owner);
    int tick(int timerId);
    // tick(), stepping `owner` when a repeated step is due.
    void repeatStep(QAbstractSpinBox* owner, int timerId);

    // The frame and text margins both edits share; `styleClass` names the Qt class whose
    // own background and border the frame replaces.
    static bool setFrameImage(QRZBaseRectImageDraw* frame, QWidget* owner, const char* styleClass,
                              const QString& path);
    static void setTextMargins(QLineEdit* edit, int left, int top, int right, int bottom);
    int timerId() const { return m_timer; }

    QRZBaseButton* up = nullptr;
    QRZBaseButton* down = nullptr;

private:
    qint16 m_buttonX = -1;
    qint16 m_top = 0;
    qint16 m_right = 0;
    qint16 m_bottom = 0;
    bool m_naturalSize = true;
    int m_timer = 0;
    bool m_repeatUp = true;
    int m_ticks = 0;
};

class QRZDoubleSpinBox : public QDoubleSpinBox, public QRZBaseRectImageDraw {
    Q_OBJECT
public:
    explicit QRZDoubleSpinBox(QWidget* parent = nullptr);
    ~QRZDoubleSpinBox() override;

    bool setFrameImage(const QString& path);
    bool setButtonImages(const QString& upPath, const QString& downPath, bool naturalSize = true);
    void setMargins(int buttonX, int top, int right, int bottom);
    void setTextMargins(int left, int top, int right, int bottom);
    QRZBaseButton* upButton() const;
    QRZBaseButton* downButton() const;
    using QDoubleSpinBox::text;

public slots:
    void pressBtn();
    void releseBtn();

protected:
    void timerEvent(QTimerEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    QRZSpinButtons m_buttons;
};

class QRZDateTimeEdit : public QDateTimeEdit, public QRZBaseRectImageDraw {
    Q_OBJECT
public:
    QRZDateTimeEdit(const QVariant& value, QVariant::Type type, QWidget* parent = nullptr);
    ~QRZDateTimeEdit() override;

    bool setFrameImage(const QString& path);
    bool setButtonImages(const QString& upPath, const QString& downPath, bool naturalSize = true);
    void setMargins(int buttonX, int top, int right, int bottom);
    void setTextMargins(int left, int top, int right, int bottom);
    QRZBaseButton* upButton() const;
    QRZBaseButton* downButton() const;
    void stepBy(int steps) override;
    using QDateTimeEdit::text;

signals:
    void emitTimeEdited(const QString& text);

public slots:
    void stepUp();
    void stepDown();
    void pressBtn();
    void releseBtn();

protected:
    void timerEvent(QTimerEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    QRZSpinButtons m_buttons;
};

class QRZTimeEdit : public QRZDateTimeEdit {
    Q_OBJECT
public:
    explicit QRZTimeEdit(QWidget* parent = nullptr);
    ~QRZTimeEdit() override;
};
