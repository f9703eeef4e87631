// QBaseIconListDelegate: paints the icon tiles of the toolkit's list views (thumbnail,
// overlay picture, gradient, text, check box, in-cell buttons) and turns mouse events on
// a tile's check box and buttons into signals. Rows are read through the model roles of
// QBaseDetailsModel: 259 the record, 260 the flag, 2 the column's enabled state.
//
// A tile's picture comes from the decoration role: a QImage or QPixmap value is drawn as
// it is, a text is always a file path. In-memory pictures travel as values, never as
// addresses written into text.
//
// The delegate owns its check-box images; it owns neither the button lists nor the
// buttons. GUI thread only.
#pragma once

#include "toolkit/QRZItemButtonList.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QMap>
#include <QMargins>
#include <QPoint>
#include <QStyledItemDelegate>

class IBaseChunk;

class QBaseIconListDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    enum ThumbnailMode { ThumbnailNatural = 0, ThumbnailStretched = 1, ThumbnailFitted = 2, ThumbnailFilled = 3 };

    explicit QBaseIconListDelegate(QObject* parent = nullptr);
    ~QBaseIconListDelegate() override;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                     const QModelIndex& index) override;

    // Registers the list under its key, replacing one for that column; false for null.
    bool addItemButtons(QRZItemButtonList* list);

    void setTileMargins(int left, int top, int right, int bottom);
    QMargins tileMargins() const;
    void setTextMargins(int left, int top, int right, int bottom);
    void setValue(int textAlignment);
    void setFont(const QFont& font);
    void setColor(const QColor& selectedTextColor);
    // The fill of a selected tile and its text colour.
    void setColor(const QColor& selectedFill, const QColor& selectedTextColor);
    void setHoverRow(int row);
    int hoverRow() const;
    // True while a press on an in-cell button is being handled; the list view skips
    // double clicks then.
    bool isPressClaimed() const;

signals:
    void emitPaintIndex(const QModelIndex& index);
    void clickWidgt(const QModelIndex& index);
    void emitCheckStateChange(const QModelIndex& index, int state);

protected:
    // Draws one tile's picture; derived delegates replace it with their own tile look.
    virtual void drawItem(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const;
    virtual void paintThumbnail(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const;
    virtual void paintBackground(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const;
    virtual void paintGradient(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const;
    virtual void paintText(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const;
    virtual void paintItemButtons(QPainter* painter, const QStyleOptionViewItem& option,
                                  const QModelIndex& index) const;
    virtual void paintCheckBox(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const;
    virtual bool itemButtonEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                                 const QModelIndex& index);

    // The picture of a model value: a QImage or QPixmap as it is, a text read as a file
    // path (a file that is missing or does not decode gives a null image).
    static QImage imageFromValue(const QVariant& value);

    // Where the check box of a tile goes, and where a press on it counts.
    QRect checkBoxRect(const QRect& tile) const;
    QRect checkBoxHitRect(const QRect& tile) const;
    QRect buttonRect(const QRect& tile, const QAbstractButton* button) const;
    void updateTile(const QStyleOptionViewItem& option) const;

    // Look of the tiles; derived delegates and the list's owner may change it.
    struct Settings {
        QColor selectedFill{135, 135, 135};
        QRect derivedRect{0, 0, 0, 0}; // kept for derived delegates
        int hoverRow = -1;
        QPoint mousePos{0, 0};
        bool pressClaimed = false;
        bool buttonsHidden = false;
        QMargins tileMargins{0, 0, 0, 0};
        int thumbnailMode = ThumbnailFitted;
        int selectionFrameWidth = 0;
        QColor selectionFrameColor{0, 0, 255};
        int hoverFrameWidth = 0;
        QColor hoverFrameColor{0, 0, 255};
        QFont textFont;
        QColor selectedText{255, 255, 255};
        QMargins textMargins{1, 1, 1, 1};
        int textAlignment = Qt::AlignCenter;
        int elideMode = Qt::ElideRight;
        bool checkBoxClickable = true;
        QImage uncheckedImage, partialImage, checkedImage;
        int checkBoxX = 5;  // -1 means 5
        int checkBoxY = -1; // -1 centres vertically
        int checkBoxWidth = 0, checkBoxHeight = 0;
        QMargins checkBoxHitMargins{0, 0, 0, 0};
        QColor thumbnailBackground{0, 0, 0};
        int gradientX1 = 0, gradientY1 = 0, gradientX2 = -1, gradientY2 = -1;
        QColor gradientStart{0, 0, 0, 0};
        QColor gradientEnd{0, 0, 0, 255};
        int gradientVertical = 1;
        ItemButtonPress pressedCell;
        int buttonState = 0; // 0 none, 1 hover, 2 pressed
    };
    Settings* settings() const { return m_settings; }

    QMap<int, QRZItemButtonList*> m_buttonLists;

private:
    Settings* m_settings;
};
