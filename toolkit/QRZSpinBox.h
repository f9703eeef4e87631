// Image-framed spin and date-time edits: a frame drawn by QRZBaseRectImageDraw and two
// strip-drawn step buttons in place of the native arrows. Holding a step button repeats
// the step every 100 ms from 700 ms after the press. GUI thread only.
#pragma once

#include "toolkit/QRZBaseRectImageDraw.h"
#include "toolkit/QRZButton.h"

#include <QDateTimeEdit>
#include <QDoubleSpinBox>
#include <QTimerEvent>
#include <QVariant>

#include <utility>

class QAbstractSpinBox;
class QLineEdit;

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
    static bool setFrameImage(QRZBaseRectImageDraw* frame, QWidget* owner, const char* styleClass, const QString& path);
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

// The framed edit with its step buttons over the framework edit `Edit` (QDoubleSpinBox
// or QDateTimeEdit). The derived class gives the slots pressBtn() and releseBtn(), which
// the buttons are connected to, as pressButton() and releaseButton().
template <class Edit> class QRZImageSpinEdit : public Edit, public QRZBaseRectImageDraw {
public:
    template <class... EditArgs>
    explicit QRZImageSpinEdit(EditArgs&&... args) : Edit(std::forward<EditArgs>(args)...), QRZBaseRectImageDraw(this) {
        this->setAcceptDrops(false);
        this->setAttribute(Qt::WA_MacShowFocusRect, false);
    }
    ~QRZImageSpinEdit() override { m_buttons.release(this); }

    bool setFrameImage(const QString& path) {
        return QRZSpinButtons::setFrameImage(this, this, Edit::staticMetaObject.className(), path);
    }
    bool setButtonImages(const QString& upPath, const QString& downPath, bool naturalSize = true) {
        return m_buttons.attach(this, upPath, downPath, naturalSize);
    }
    void setMargins(int buttonX, int top, int right, int bottom) {
        m_buttons.setMargins(this, buttonX, top, right, bottom);
    }
    void setTextMargins(int left, int top, int right, int bottom) {
        QRZSpinButtons::setTextMargins(this->lineEdit(), left, top, right, bottom);
    }
    QRZBaseButton* upButton() const { return m_buttons.up; }
    QRZBaseButton* downButton() const { return m_buttons.down; }
    using Edit::text;

protected:
    void pressButton() { m_buttons.press(this, this->sender() == m_buttons.up); }
    void releaseButton() { m_buttons.release(this); }

    void timerEvent(QTimerEvent* event) override {
        Edit::timerEvent(event);
        m_buttons.repeatStep(this, event->timerId());
    }
    void paintEvent(QPaintEvent* event) override {
        paint(event);
        if (!m_buttons.exists()) {
            Edit::paintEvent(event);
        }
    }
    void resizeEvent(QResizeEvent* event) override {
        Edit::resizeEvent(event);
        m_buttons.layout(this);
    }
    void showEvent(QShowEvent* event) override {
        Edit::showEvent(event);
        m_buttons.layout(this);
    }

    QRZSpinButtons m_buttons;
};

class QRZDoubleSpinBox : public QRZImageSpinEdit<QDoubleSpinBox> {
    Q_OBJECT
public:
    explicit QRZDoubleSpinBox(QWidget* parent = nullptr);
    ~QRZDoubleSpinBox() override;

public slots:
    void pressBtn() { pressButton(); }
    void releseBtn() { releaseButton(); }
};

class QRZDateTimeEdit : public QRZImageSpinEdit<QDateTimeEdit> {
    Q_OBJECT
public:
    QRZDateTimeEdit(const QVariant& value, QVariant::Type type, QWidget* parent = nullptr);
    ~QRZDateTimeEdit() override;

    void stepBy(int steps) override;

signals:
    // The text after the user changed the time: a step, or keys typed into a section.
    void emitTimeEdited(const QString& text);

public slots:
    void stepUp();
    void stepDown();
    void pressBtn() { pressButton(); }
    void releseBtn() { releaseButton(); }

protected:
    // Typed digits change the value through the framework's own section editing, which
    // sets the line edit's text without its textEdited signal: the key is told here.
    void keyPressEvent(QKeyEvent* event) override;

private:
    bool m_stepEmitted = false; // set by stepBy: a key that stepped was told already
};

class QRZTimeEdit : public QRZDateTimeEdit {
    Q_OBJECT
public:
    explicit QRZTimeEdit(QWidget* parent = nullptr);
    ~QRZTimeEdit() override;
};
