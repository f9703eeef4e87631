// The editor's preview surface: a window holding one inner video element that keeps the
// picture's width:height, centred. The playback controller renders into the element and
// converts crop and watermark rectangles with its geometry.
#pragma once

#include <QRect>
#include <QWidget>

class QMediaElementWindow : public QWidget {
    Q_OBJECT

public:
    explicit QMediaElementWindow(QWidget* parent = nullptr);

    // Stores the picture size and fits the element into the window keeping width:height,
    // centred; emits emitVideoElementSizeChange with the new rectangle. Nothing when either
    // value is 0 or less.
    void setVideoSize(int width, int height);
    // The inner element's geometry (left, top, right, bottom inclusive).
    QRect videoElementRect() const { return m_element->geometry(); }
    QWidget* videoElement() const { return m_element; }

signals:
    void emitVideoElementSizeChange(QRect rect);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void fitElement();

    QWidget* m_element;
    int m_videoWidth = 0;
    int m_videoHeight = 0;
};
