// Image-framed multi-line text input: a transparent inner QTextEdit over a frame drawn
// by QRZBaseRectImageDraw. GUI thread only.
#pragma once

#include "toolkit/QRZBaseRectImageDraw.h"

#include <QWidget>

class QTextEdit;

class QRZTextEdit : public QWidget, public QRZBaseRectImageDraw {
    Q_OBJECT
public:
    explicit QRZTextEdit(QWidget* parent = nullptr);
    ~QRZTextEdit() override;

    bool setFrameImage(const QString& path);
    // Inset of the inner editor from the frame's edges.
    void setTextMargins(int left, int top, int right, int bottom);
    QTextEdit* textEdit() const;

signals:
    void textChanged(const QString& text);

public slots:
    void textEditChange();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void placeEditor();
    struct Private;
    Private* d;
};
