// Image-drawn push buttons. The look lives in the mix-in QRZBaseButtonDraw: a horizontal
// strip of four state frames (normal, hover, pressed, disabled) drawn through the
// nine-grid, text in one colour per state, an optional icon, a blink between the hover
// and pressed frames and a round count badge. QRZBaseButton is the toolkit's push button;
// QRZButtonExtend adds a picture and a marker rectangle. QRZStyleButton and its proxy
// style QDelegateStyleWidget draw buttons inside item views. GUI thread only.
#pragma once

#include <QColor>
#include <QImage>
#include <QModelIndex>
#include <QProxyStyle>
#include <QPushButton>
#include <QRect>

#include <string>

class QAbstractButton;
class QEvent;
class QFocusEvent;
class QMouseEvent;
class QPaintEvent;
class QPainter;
class QTimerEvent;

// Drawing and state machine of a strip-drawn button. Carried by any QAbstractButton
// (the owner, which is the button itself); holds no framework base of its own.
class QRZBaseButtonDraw {
public:
    enum State { StateNormal = 0, StateHover = 1, StatePressed = 2, StateDisabled = 3 };

    explicit QRZBaseButtonDraw(QAbstractButton* owner);
    virtual ~QRZBaseButtonDraw();
    QRZBaseButtonDraw(const QRZBaseButtonDraw&) = delete;
    QRZBaseButtonDraw& operator=(const QRZBaseButtonDraw&) = delete;

    // Loads a four-frame strip. A file that is missing or does not decode changes
    // nothing and gives false; otherwise the button is resized to one frame
    // (width / 4 by height) and the text rectangle follows.
    bool setImage(const QString& path, bool nineGrid);
    bool hasImage() const;

    void setTextAlignment(int alignment);
    void setTextColors(const QColor& normal, const QColor& hover, const QColor& pressed, const QColor& disabled);
    // A zero width runs the text from its left over the button less the icon's right
    // end; a zero height reaches the bottom. Worked out at the next paint.
    void setTextRect(const QRect& rect);

    bool setIcon(const QString& path);
    bool setIconImage(const QImage& image);
    // A left or top of -1 centres the icon on that axis; a zero size takes the icon's.
    void setIconRect(const QRect& rect);

    void startBlink(int intervalMs);
    void stopBlink();
    bool isBlinking() const;

    void setTag(int tag);
    int tag() const;
    void setUserIndex(int index);
    int userIndex() const;

    // Round badge with a count (shown while above 0; "99+" from 100 on).
    void setBadgeCount(int count);
    int badgeCount() const;
    void setBadgeRect(const QRect& rect);
    void setBadgeColors(const QColor& fill, const QColor& text);
    void setBadgeFontSize(int pixelSize);

    int state() const;
    QColor currentTextColor() const;

    // Event hooks, called by the owning button's handlers. The press and release hooks
    // answer whether they accepted the event (left button, enabled).
    bool mousePress(QMouseEvent* event);
    bool mouseRelease(QMouseEvent* event);
    void enter(QEvent* event);
    void leave(QEvent* event);
    void enabledChange(QEvent* event);
    void timer(QTimerEvent* event);
    int pressX() const;

    // Paints the state frame, blink frame, text, overlay, icon and badge.
    void paint(QPaintEvent* event);

protected:
    virtual void focusInEvent(QFocusEvent* event);
    virtual void focusOutEvent(QFocusEvent* event);
    virtual void paintStateImage(QPainter* painter);
    virtual void paintText(QPainter* painter);
    virtual void paintOverlay(QPainter* painter);
    virtual void paintIcon(QPainter* painter);
    virtual void paintBlinkFrame(QPainter* painter);
    virtual void paintBadge(QPainter* painter);

    QAbstractButton* buttonOwner() const;
    void setState(int state, bool repaintWhenChanged);

private:
    struct Private;
    Private* d;
};

// The toolkit's push button: QPushButton drawn by QRZBaseButtonDraw when it has a state
// image, by the platform style otherwise; the mouse signals come in both cases.
class QRZBaseButton : public QPushButton, public QRZBaseButtonDraw {
    Q_OBJECT
public:
    explicit QRZBaseButton(QWidget* parent = nullptr);
    ~QRZBaseButton() override;

signals:
    void mouseMove(QMouseEvent* event, int pressX);
    void mouseDown(QMouseEvent* event, int pressX);
    void mouseRelease(QMouseEvent* event, int pressX);
    void mouseEnter(QEvent* event);
    void mouseLeave(QEvent* event);

public slots:
    void addItemCount();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void enterEvent(QEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
};

// A QRZBaseButton with a picture fitted (aspect kept) into a rectangle over a background
// colour, and a marker rectangle.
class QRZButtonExtend : public QRZBaseButton {
    Q_OBJECT
public:
    explicit QRZButtonExtend(QWidget* parent = nullptr);
    ~QRZButtonExtend() override;

    void setBackgroundColor(const QColor& color);
    void setFillColor(const QColor& color);
    // An invalid rectangle draws no marker.
    void setFillRect(const QRect& rect);

    // Non-empty path: shows the picture read from the file (false when it cannot be
    // read); empty path: no picture. Returns whether a picture is shown.
    bool setImage(const QRect& rect, const QString& path);
    bool setImage(const QRect& rect, const QImage& image);
    // Encoded image bytes; bytes that do not decode clear the picture.
    bool setImageData(const QRect& rect, const std::string& bytes);
    bool hasPicture() const;
    using QRZBaseButtonDraw::setImage;

    // Where the picture lands inside `rect`: a wide picture takes the width and is
    // centred vertically, a tall one the height and is centred horizontally.
    static QRect fittedPictureRect(const QRect& rect, const QSize& picture);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    struct Private;
    Private* d;
};

// Proxy style that draws push buttons from a four-frame strip: frame 1 while the mouse
// is over it, 2 when sunken, 3 when disabled, else 0.
class QDelegateStyleWidget : public QProxyStyle {
    Q_OBJECT
public:
    QDelegateStyleWidget();
    ~QDelegateStyleWidget() override;

    void setImage(const QImage& image);
    QImage image() const;
    void setNineGrid(bool nineGrid);
    void setRect(const QRect& rect);
    QRect rect() const;

    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget = nullptr) const override;

protected:
    virtual void drawButton(const QStyleOption* option, QPainter* painter, const QWidget* widget) const;
    virtual void drawButtonBackground(const QStyleOption* option, QPainter* painter, const QWidget* widget) const;
    virtual void drawButtonLabel(const QStyleOption* option, QPainter* painter, const QWidget* widget) const;

private:
    struct Record;
    Record* d;
};

// Button drawn inside item views (delegates paint it through its style and report
// clicks in a cell through clickIndex). Owns its style.
class QRZStyleButton : public QPushButton {
    Q_OBJECT
public:
    explicit QRZStyleButton(QWidget* parent = nullptr);
    ~QRZStyleButton() override;

    // False when the normal strip is missing or does not decode. A missing selected
    // strip falls back to the normal one. Resizes the button to one frame.
    bool setImages(const QString& normalPath, const QString& selectedPath, bool nineGrid = true);
    void setSelected(bool selected);
    void setMouseState(int state);
    int mouseState() const;
    bool isButtonVisible() const;
    void setButtonVisible(bool visible);
    void setValues(int first, int second);
    QPair<int, int> values() const;
    // Free integer and flag kept for item views.
    void setIndex(int index);
    int index() const;
    void setFlag(bool flag);
    bool flag() const;
    QDelegateStyleWidget* delegateStyle() const;

    void clickIndex(const QModelIndex& index);

signals:
    void emitClickIndex(const QModelIndex& index);

private:
    struct Private;
    Private* d;
};
