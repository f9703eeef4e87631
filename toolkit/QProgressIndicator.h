// Busy spinner: twelve spokes (rounded bars or dots) around the centre, fading from full
// to nearly clear, turned by a timer. No progress value. GUI thread only.
#pragma once

#include <QColor>
#include <QWidget>

class QPainter;

class QProgressIndicator : public QWidget {
    Q_OBJECT
    Q_PROPERTY(int delay READ animationDelay WRITE setAnimationDelay)
    Q_PROPERTY(bool displayedWhenStopped READ isDisplayedWhenStopped WRITE setDisplayedWhenStopped)
    Q_PROPERTY(QColor color READ color WRITE setColor)
public:
    enum IndicatorStyle { Bars = 1, Dots = 2 };

    explicit QProgressIndicator(QWidget* parent = nullptr);
    ~QProgressIndicator() override;

    int animationDelay() const;
    bool isAnimated() const;
    bool isDisplayedWhenStopped() const;
    QColor color() const;
    int angle() const;
    // 1 bars; any other value dots. Takes effect at the next paint.
    void setIndicatorStyle(int style);

    QSize sizeHint() const override;
    int heightForWidth(int width) const override;

public slots:
    void startAnimation();
    void stopAnimation();
    void setAnimationDelay(int delayMs);
    void setDisplayedWhenStopped(bool displayed);
    void setColor(const QColor& color);

protected:
    void timerEvent(QTimerEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    virtual void paintSpinner(QPainter* painter);

private:
    struct Private;
    Private* d;
};
