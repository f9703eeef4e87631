// Drawing mix-in of image-framed inputs: a frame image (whole, or a strip of four state
// frames) drawn through the nine-grid, an optional small picture over it and an optional
// text of its own. Serves the line, text, spin and date-time edits and the combo box's
// closed face (which also drives the state hooks). GUI thread only.
#pragma once

#include <QColor>
#include <QImage>
#include <QMargins>
#include <QRect>
#include <QString>

class QEvent;
class QMouseEvent;
class QPaintEvent;
class QPainter;
class QWidget;

class QRZBaseRectImageDraw {
public:
    enum State { StateNormal = 0, StateHover = 1, StatePressed = 2, StateDisabled = 3 };

    explicit QRZBaseRectImageDraw(QWidget* owner);
    virtual ~QRZBaseRectImageDraw();
    QRZBaseRectImageDraw(const QRZBaseRectImageDraw&) = delete;
    QRZBaseRectImageDraw& operator=(const QRZBaseRectImageDraw&) = delete;

    // A file that is missing or does not decode leaves no frame image (false).
    bool setFrameImage(const QString& path);
    bool hasFrameImage() const;
    bool setExtraImage(const QString& path);
    bool setExtraImage(const QImage& image);
    // Top -1 centres the picture vertically; a zero size takes the picture's own size.
    void setExtraImageRect(const QRect& rect);
    QRect extraImageRect() const;
    void setFrameIsStrip(bool strip);
    void setExtraImageIsStrip(bool strip);

    void setText(const QString& text);
    QString text() const;
    void setTextAlignment(int alignment);
    int textAlignment() const;
    void setTextVisible(bool visible);
    void setTextMargins(int left, int top, int right, int bottom);
    void setTextMargins(const QMargins& margins);
    QMargins textMargins() const;
    void setTextColors(const QColor& normal, const QColor& hover, const QColor& pressed, const QColor& disabled);
    // While set, the pressed frame and colour are used whatever the state.
    void setFocusState(bool focused);
    // The pen of the text: the normal colour for a whole frame; for a strip the pressed
    // colour while focused, else the state's colour (which becomes the current colour).
    QColor textColor();
    int state() const;

    void paint(QPaintEvent* event);

    // State hooks. mousePress answers 0 when refused, 1 when it pressed, 2 when the
    // state was already pressed.
    int mousePress(QMouseEvent* event);
    void mouseRelease(QMouseEvent* event);
    void enter(QEvent* event);
    void leave(QEvent* event);
    void enabledChange(QEvent* event);
    void resetState();

protected:
    virtual void paintFrame(QPainter* painter);
    virtual void paintExtraImage(QPainter* painter);
    virtual void paintText(QPainter* painter);
    QWidget* frameOwner() const;

private:
    int currentFrame() const;
    void setState(int state, bool repaint);
    struct Private;
    Private* d;
};
