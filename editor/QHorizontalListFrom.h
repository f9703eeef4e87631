// The editor's thumbnail strip: a sideways-scrolling row of items, each a thumbnail with
// a state frame over it and a title under it, one of them selected. The effect tab lists
// its effect and frame packs in it, the audio tab its sound packs. GUI thread only.
#pragma once

#include <QColor>
#include <QImage>
#include <QList>
#include <QString>
#include <QWidget>

class QHBoxLayout;
class QLabel;
class QRZWidget;
class QScrollArea;
class QScrollBar;

// A selectable widget painted in the colour of its state.
class QBaseItem : public QWidget {
    Q_OBJECT

public:
    enum State { Normal = 0, Hover = 1, Selected = 2 }; // any other value: a fourth state

    explicit QBaseItem(QWidget* parent = nullptr);

    // One colour for all four states.
    void setColor(const QColor& color);
    void setState(int state);
    int state() const { return m_state; }
    QColor stateColor(int state) const;

signals:
    void emitMousePress();
    void emitMouseShiftPress();
    void emitMouseCtrlPress();
    void emitShowTreeMenu();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void enterEvent(QEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void selectForMenu(bool repaint);

    int m_state = Normal;
    QColor m_colors[4];
};

// A thumbnail, the state frame (one quarter of a four-frame strip) over it, and the
// title, elided to the item's width with the full title as tool tip. 56 pixels wide.
class QHorizontalListItem : public QBaseItem {
    Q_OBJECT

public:
    explicit QHorizontalListItem(QWidget* parent = nullptr);

    // A non-empty path loads the thumbnail.
    void setItem(const QString& imagePath, const QString& title);
    // Four equal frames side by side: normal, hover, selected, other.
    void setStateImage(const QString& path);
    void showState(int state);
    QString title() const { return m_title; }
    QString shownTitle() const;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void enterEvent(QEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void layoutParts();

    QRZWidget* m_wdgCoverImage;
    QLabel* m_lblTitle;
    QRZWidget* m_wdgImage;
    QImage m_stateStrip;
    QImage m_thumbnail;
    QString m_title;
};

// The strip. Owns its items; keeps at most one selected.
class QHorizontalListFrom : public QWidget {
    Q_OBJECT

public:
    explicit QHorizontalListFrom(QWidget* parent = nullptr);
    ~QHorizontalListFrom() override;

    void addItem(const QString& imagePath, const QString& title);
    void clear();
    // Ignored outside 0 to count - 1; emits nothing.
    void setCurrentIndex(int index);
    int currentIndex() const { return m_currentIndex; }
    void clearSelection();
    void setBackgroundColor(const QColor& color);
    QColor backgroundColor() const { return m_backgroundColor; }
    // The scroll area takes the bar (and owns it from then on).
    void setHorizontalScrollBar(QScrollBar* bar);
    int count() const { return m_items.size(); }
    QHorizontalListItem* itemAt(int index) const { return m_items.value(index); }

signals:
    void currentIndexChanged(int index);

public slots:
    void itemMousePress();
    void itemMouseShiftPress() {}
    void itemMouseCtrlPress() {}
    void itemShowTreeMenu() {}

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QHBoxLayout* m_mainLayout;
    QScrollArea* m_scrollArea;
    QWidget* m_scrollAreaWidget;
    QHBoxLayout* m_contentLayout;
    QHBoxLayout* m_listLayout;
    QColor m_backgroundColor{74, 74, 74};
    QList<QHorizontalListItem*> m_items;
    QHorizontalListItem* m_currentItem = nullptr;
    int m_currentIndex = -1;
};
