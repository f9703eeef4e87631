// Image-framed line edits: the framework's QLineEdit made transparent over a frame drawn
// by QRZBaseRectImageDraw. QRZLineEditEx also draws an extra text inside the edit (a
// unit such as "%"). GUI thread only.
#pragma once

#include "toolkit/QRZBaseRectImageDraw.h"

#include <QColor>
#include <QFont>
#include <QLineEdit>

class QRZLineEdit : public QLineEdit, public QRZBaseRectImageDraw {
    Q_OBJECT
public:
    explicit QRZLineEdit(QWidget* parent = nullptr);
    ~QRZLineEdit() override;

    // On success the edit becomes transparent and its text margins (3, 0, 2, 0).
    bool setFrameImage(const QString& path);
    // Digits only, at least one of them not 0.
    void setPositiveIntegerValidator();
    void setAlignment(int alignment);
    void setPalette(const QPalette& palette);
    void setPlaceholderText(const QString& text);

    using QLineEdit::setText;
    using QLineEdit::setTextMargins;
    using QLineEdit::text;
    using QLineEdit::textMargins;

protected:
    void paintEvent(QPaintEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    struct Private;
    Private* d;
};

class QRZLineEditEx : public QRZLineEdit {
    Q_OBJECT
public:
    explicit QRZLineEditEx(QWidget* parent = nullptr);
    ~QRZLineEditEx() override;

    void setExtraText(const QString& text);
    void setExtraTextColor(const QColor& color);
    void setExtraTextFont(const QFont& font);
    void setExtraTextMargins(int left, int top, int right, int bottom);

protected:
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_extraText;
    QColor m_extraColor{255, 0, 0};
    QFont m_extraFont;
    int m_extraAlignment = Qt::AlignRight | Qt::AlignVCenter;
    qint16 m_extraMargins[4] = {1, 1, 1, 1};
};
