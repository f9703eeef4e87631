// The frames drawn over the editor's preview. QMediaDashedFrame is one outlined
// rectangle: corner and edge-centre squares cut from a border image, dotted white lines
// between them and, optionally, a centre handle. QMediaBorderFrame is a frameless,
// translucent top-level window laid over a video surface that holds such pieces (the
// crop rectangle, or the watermark's text and image parts) and hands its mouse events
// on, so that the playback controller can turn drags into crop and watermark changes.
// GUI thread only.
#pragma once

#include "toolkit/QRZDialog.h"

#include <QImage>
#include <QList>
#include <QRect>
#include <QWidget>

class QMouseEvent;

class QMediaDashedFrame : public QWidget {
    Q_OBJECT

public:
    explicit QMediaDashedFrame(QWidget* parent = nullptr);
    ~QMediaDashedFrame() override;

    void setBorderImage(const QString& path);
    void setShowHandles(bool show);
    bool showsHandles() const { return m_showHandles; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage* m_borderImage = nullptr;
    bool m_showHandles = true;
};

class QMediaBorderFrame : public QRZDialog {
    Q_OBJECT

public:
    explicit QMediaBorderFrame(QWidget* parent = nullptr);
    ~QMediaBorderFrame() override;

    // The crop piece, made and shown on first use. With setReference the rectangle also
    // becomes the reference; otherwise it is taken relative to the reference.
    void setCropRect(int x1, int y1, int x2, int y2, bool setReference);
    void setReferenceRect(int x1, int y1, int x2, int y2);
    QRect referenceRect() const { return m_reference; }
    // A dashed piece without handles that lets the mouse through; appended to the list.
    void addFrame(int x1, int y1, int x2, int y2);
    // Both ignore an index outside the list.
    void setFrameGeometry(int x1, int y1, int x2, int y2, int index);
    void setFrameVisible(int index, bool visible);

    QMediaDashedFrame* cropPiece() const { return m_cropPiece; }
    QMediaDashedFrame* piece(int index) const { return m_pieces.value(index); }

signals:
    void emitMouseMoveEvent(QMouseEvent* event);
    void emitMousePressEvent(QMouseEvent* event);
    void emitMouseReleaseEvent(QMouseEvent* event);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void refreshMask();

    QMediaDashedFrame* m_cropPiece = nullptr;
    QRect m_reference{QPoint(0, 0), QPoint(-1, -1)};
    QList<QMediaDashedFrame*> m_pieces;
};
