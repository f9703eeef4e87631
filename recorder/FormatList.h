// The pieces of the format chooser's tile list: the record of one output profile
// (QFormatChunk), the category-and-search filter (QFormatSortModel), the tile painter
// (QFormatListDelegate) and the row of category buttons (QFormatType). The chooser owns
// all of them and the records. GUI thread only.
#pragma once

#include "toolkit/IBaseChunk.h"
#include "toolkit/QBaseIconListDelegate.h"
#include "toolkit/QRZBaseSortModel.h"
#include "toolkit/QRZWidget.h"

#include <QList>

#include <map>
#include <string>

class QAbstractButton;
class QHBoxLayout;
class QRZBaseButton;

// One output profile: name = title, intA = profile id, imagePath = tile icon; its
// typed values ("Categories", "KEY_Exten") live in a map of its own. A getter of a
// missing key, or of a value shorter than its type, reads as absent ("", 0, false, 0.0).
class QFormatChunk : public IBaseChunk {
public:
    QFormatChunk();
    ~QFormatChunk() override;

    void setString(std::string key, std::string value) override;
    void setInt(std::string key, int32_t value) override;
    void setInt64(std::string key, int64_t value) override;
    void setBool(std::string key, bool value) override;
    void setDouble(std::string key, double value) override;
    std::string getString(std::string key) override;
    int32_t getInt(std::string key) override;
    int64_t getInt64(std::string key) override;
    bool getBool(std::string key) override;
    double getDouble(std::string key) override;

    static const char* const kCategoryKey;  // "Categories"
    static const char* const kExtensionKey; // "KEY_Exten"

private:
    template <typename T> T readValue(const std::string& key, T absent) const;
    std::map<std::string, std::string> m_values;
};

// Shows the records of one category whose texts contain the search text.
class QFormatSortModel : public QRZBaseSortModel {
    Q_OBJECT
public:
    explicit QFormatSortModel(QObject* parent = nullptr);
    ~QFormatSortModel() override;

    // A record is shown when the filter text contains its category (or it has none).
    void setCategoryFilter(const QString& text);
    QString categoryFilter() const { return m_category; }

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;

private:
    QString m_category;
};

// Paints a tile: icon centred in the tile less its margins, overlay, frame; the title
// and the settings button come from the base painter (the button on the selected tile
// only).
class QFormatListDelegate : public QBaseIconListDelegate {
    Q_OBJECT
public:
    explicit QFormatListDelegate(QObject* parent = nullptr);
    ~QFormatListDelegate() override;

protected:
    void drawItem(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void paintItemButtons(QPainter* painter, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
};

// The centred row of category buttons; exactly one is checked (and disabled) once a
// category was clicked.
class QFormatType : public QRZWidget {
    Q_OBJECT
public:
    explicit QFormatType(QWidget* parent = nullptr);
    ~QFormatType() override;

    void setCategories(const QStringList& names);
    // Video mode shows every category but "General Audio"; audio mode only that one.
    void setVideoMode(bool video);
    // Clicks the first button with that text; nothing when none has it.
    void clickCategory(const QString& text);
    QList<QRZBaseButton*> buttons() const { return m_buttons; }
    QRZBaseButton* checkedButton() const { return m_checked; }

signals:
    void emitTypeChange(const QString& category);

public slots:
    void OnTypeBtn();

private:
    QList<QRZBaseButton*> m_buttons;
    QRZBaseButton* m_checked = nullptr;
    QHBoxLayout* m_btnHLayout;
};
