// QRZComboBox: the toolkit's drop-down. Once a frame image is set its closed face is
// drawn by QRZBaseRectImageDraw (frame or 4-state strip, extra picture, the shown text in
// 4 state colours) with an optional image arrow button, and its popup is a QListWidget
// whose rows are QRZComboBoxItem widgets (background colours, separators, picture, text,
// an optional embedded widget). Without a frame image it behaves as a plain QComboBox.
// Popup colours are also kept as rules in the combo's style sheet, one rule per setter.
//
// QCheckboxCombobox puts a check box into every row, for single or multiple selection.
// The combo owns its arrow button, its popup list and the rows' widgets. GUI thread only.
#pragma once

#include "toolkit/QRZBaseRectImageDraw.h"

#include <QComboBox>
#include <QFont>
#include <QVariant>
#include <QWidget>

class QAbstractButton;
class QListWidget;
class QListWidgetItem;
class QRZBaseButton;

class QRZComboBoxItem : public QWidget, public QRZBaseRectImageDraw {
    Q_OBJECT
public:
    struct StyleRecord {
        QColor background{255, 255, 255};
        QColor hoverBackground{229, 243, 255};
        QColor selectedBackground{205, 232, 255};
        int separatorThickness = 0;
        QColor separatorColor{0, 0, 0};
        int textAlignment = Qt::AlignLeft | Qt::AlignVCenter;
        bool currentRowColouring = false;
        int widgetX = -1; // -1: 2
        int widgetY = -1; // -1: centred vertically
        QColor bottomStripColor{0, 0, 0};
    };

    QRZComboBoxItem(QWidget* parent, QListWidgetItem* item);
    ~QRZComboBoxItem() override;

    // Null once the row has left the list (its widget may live on until deleted later).
    QListWidgetItem* listItem() const { return m_item; }
    void clearListItem() { m_item = nullptr; }
    void setStyle(const StyleRecord& record);
    const StyleRecord& styleRecord() const { return m_style; }
    void setRowTextColors(const QColor& normal, const QColor& hover, const QColor& pressed, const QColor& disabled);
    void setEmbeddedWidget(QWidget* widget);
    QWidget* embeddedWidget() const { return m_embedded; }
    void setWidgetPos(int x, int y);
    void setBottomStripHeight(int height);
    int bottomStripHeight() const { return m_bottomStripHeight; }
    bool isHovered() const { return m_hovered; }
    // The text's width in the font plus the left and right text margins.
    int textWidth(const QFont& font, const QString& text) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void enterEvent(QEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void paintText(QPainter* painter) override;

private:
    void placeEmbeddedWidget();
    bool isCurrentRow() const;

    QListWidgetItem* m_item;
    StyleRecord m_style;
    bool m_hovered = false;
    QWidget* m_embedded = nullptr;
    int m_bottomStripHeight = 0;
    QColor m_rowTextColors[4];
};

class QRZComboBox : public QComboBox, public QRZBaseRectImageDraw {
    Q_OBJECT
public:
    explicit QRZComboBox(QWidget* parent = nullptr);
    ~QRZComboBox() override;

    // On success the face becomes image-drawn and the popup a list of row widgets.
    bool setFrameImage(const QString& path);
    void setFrameStates(bool strip);
    void setExtraImageStates(bool strip);
    // The arrow button; a missing file leaves no arrow. With keepSize false the arrow
    // also stretches to the right and bottom margins.
    bool setArrowImage(const QString& path, bool keepSize = true);
    // -1 places the arrow at the right edge / centred, worked out once on show or resize.
    void setArrowPos(int x, int y);
    void setArrowMargins(int right, int bottom);
    QAbstractButton* arrowButton() const;

    void setTextMargins(int left, int top, int right, int bottom);
    void setTextColor(const QColor& color);
    void setTextColors(const QColor& normal, const QColor& hover, const QColor& pressed, const QColor& disabled);
    void setItemTextColor(const QColor& color);
    void setItemTextColors(const QColor& normal, const QColor& hover, const QColor& pressed, const QColor& disabled);
    // The widget's font and, unless the rows have their own, the rows' font.
    void setFont(const QFont& font);
    void setItemFont(const QFont& font);
    void setItemTextMargins(int left, int top, int right, int bottom);
    // The rows' text margins (the left one leaves room for a row's check box).
    void setPopupMargins(int left, int top, int right, int bottom);
    void setItemHeight(int height);
    void setPopupMinWidth(int width);
    void setItemBackgroundColor(const QColor& color);
    void setItemHoverColor(const QColor& color);
    void setItemSelectedColor(const QColor& color);
    void setPopupBorder(int width, const QColor& color);
    void setItemColor(const QColor& bottomStripColor);
    // Where a row's embedded widget sits (x -1: 2; y -1: centred).
    void setItemWidgetPos(int x, int y);
    void setItemSize(int x, int y);

    using QComboBox::addItem;
    void addItem(const QString& text, const QVariant& userData = QVariant());
    void addItems(const QStringList& texts);
    void insertRow(int index, const QImage* image, const QString& text, const QVariant& userData = QVariant());
    void removeItem(int index);
    void setItemText(int index, const QString& text);
    // The row's embedded widget as a button; null out of range.
    QAbstractButton* itemButton(int index) const;

    QListWidget* popupList() const;
    QRZComboBoxItem* rowWidget(int index) const;
    bool isImageDrawn() const;
    QString shownText() const;
    QString styleSheetText() const;
    int itemHeight() const;
    int popupWidth() const;

signals:
    void emitShowPopup();
    void emitClicked();

public slots:
    void showPopup() override;
    void hidePopup() override;
    void changeEditColor(const QString& text);
    void drawTextChange(const QString& text);
    void currentIndexChangeSlot(int index);

protected:
    virtual void rowAdded(QRZComboBoxItem* row, int index);
    virtual void rowRemoved(QRZComboBoxItem* row);
    virtual void setShownText(const QString& text);

    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void enterEvent(QEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

    void refreshRows();
    void refreshRowStyles();
    void placeArrow();
    void restyleLineEdit(QWidget* edit);
    void replaceRule(const QString& lead, const QString& ending, const QString& rule);
    int rowIndexOf(const QWidget* rowChild) const;

private slots:
    // Rows removed by other paths than removeItem (clear, the model) still get rowRemoved
    // while their widgets exist.
    void popupRowsAboutToBeRemoved(const QModelIndex& parent, int first, int last);

private:
    void createPopupList();
    void applyRowLook(QRZComboBoxItem* row) const;
    int separatorShare(int row, int rows) const;

    struct Private;
    Private* d;
};

class QCheckboxCombobox : public QRZComboBox {
    Q_OBJECT
public:
    explicit QCheckboxCombobox(QWidget* parent = nullptr);
    ~QCheckboxCombobox() override;

    // Both images are loaded when the unchecked file exists.
    void setBoxImages(const QString& uncheckedPath, const QString& checkedPath);
    void setItemChecked(int row, bool checked);
    bool isItemChecked(int row) const;
    void setAllChecked(bool checked);
    // false (0): single choice, only the current row is checked.
    void setMultiSelection(bool multiple);
    bool isMultiSelection() const;
    // The texts of all checked rows, joined with ";".
    QString checkedText() const;

signals:
    void emitClickCheckbox(int row);
    void emitStateChange(int row, int state);

public slots:
    void clickCheckbox();
    void clickRadio();
    void slotStateChanged(int state);
    void selectChange(int index);
    void hidePopup() override;

protected:
    void rowAdded(QRZComboBoxItem* row, int index) override;
    void rowRemoved(QRZComboBoxItem* row) override;
    void setShownText(const QString& text) override;

private:
    struct BoxPrivate;
    BoxPrivate* b;
};
