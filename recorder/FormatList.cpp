#include "recorder/FormatList.h"

#include "toolkit/ImagePainting.h"
#include "toolkit/QBaseDetailsModel.h"
#include "toolkit/QRZButton.h"
#include "toolkit/StyleHelpers.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QSpacerItem>
#include <QVBoxLayout>

#include <cstring>

const char* const QFormatChunk::kCategoryKey = "Categories";
const char* const QFormatChunk::kExtensionKey = "KEY_Exten";

QFormatChunk::QFormatChunk() : IBaseChunk(false) {}

QFormatChunk::~QFormatChunk() = default;

void QFormatChunk::setString(std::string key, std::string value) {
    m_values[key] = std::move(value);
}
void QFormatChunk::setInt(std::string key, int32_t value) {
    m_values[key] = rawBytes(value);
}
void QFormatChunk::setInt64(std::string key, int64_t value) {
    m_values[key] = rawBytes(value);
}
void QFormatChunk::setBool(std::string key, bool value) {
    m_values[key] = rawBytes(value);
}
void QFormatChunk::setDouble(std::string key, double value) {
    m_values[key] = rawBytes(value);
}

template <typename T> T QFormatChunk::readValue(const std::string& key, T absent) const {
    const auto found = m_values.find(key);
    T value = absent;
    if (found == m_values.end() || !readRaw(found->second, &value))
        return absent;
    return value;
}

std::string QFormatChunk::getString(std::string key) {
    const auto found = m_values.find(key);
    return found == m_values.end() ? std::string() : found->second;
}
int32_t QFormatChunk::getInt(std::string key) {
    return readValue<int32_t>(key, 0);
}
int64_t QFormatChunk::getInt64(std::string key) {
    return readValue<int64_t>(key, 0);
}
bool QFormatChunk::getBool(std::string key) {
    return readValue<bool>(key, false);
}
double QFormatChunk::getDouble(std::string key) {
    return readValue<double>(key, 0.0);
}

// ---------------------------------------------------------------------------------------

QFormatSortModel::QFormatSortModel(QObject* parent) : QRZBaseSortModel(parent) {}

QFormatSortModel::~QFormatSortModel() = default;

void QFormatSortModel::setCategoryFilter(const QString& text) {
    if (text == m_category)
        return;
    beginResetModel();
    m_category = text;
    endResetModel();
}

bool QFormatSortModel::filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const {
    if (m_category.isEmpty())
        return QRZBaseSortModel::filterAcceptsRow(sourceRow, sourceParent);
    const QModelIndex index = sourceModel() ? sourceModel()->index(sourceRow, 0, sourceParent) : QModelIndex();
    IBaseChunk* record = chunkOfIndex(index);
    if (!index.isValid() || !record)
        return QSortFilterProxyModel::filterAcceptsRow(sourceRow, sourceParent);
    const std::string category = record->getString(QFormatChunk::kCategoryKey);
    if (category.empty())
        return true;
    if (!m_category.contains(QString::fromUtf8(category.data(), int(category.size())), Qt::CaseSensitive))
        return false;
    return QSortFilterProxyModel::filterAcceptsRow(sourceRow, sourceParent);
}

// ---------------------------------------------------------------------------------------

QFormatListDelegate::QFormatListDelegate(QObject* parent) : QBaseIconListDelegate(parent) {}

QFormatListDelegate::~QFormatListDelegate() = default;

void QFormatListDelegate::drawItem(QPainter* painter, const QStyleOptionViewItem& option,
                                   const QModelIndex& index) const {
    if (!index.isValid() || !index.model())
        return;
    const QImage icon = imageFromValue(index.data(Qt::DecorationRole));
    if (!icon.isNull()) {
        const QMargins margins = tileMargins();
        const QSize area(option.rect.width() - margins.left() - margins.right(),
                         option.rect.height() - margins.top() - margins.bottom());
        if (area.width() > 0 && area.height() > 0) {
            const QImage scaled = icon.scaled(area, Qt::KeepAspectRatio, Qt::SmoothTransformation);
            const QRect target(option.rect.left() + (option.rect.width() - scaled.width()) / 2,
                               option.rect.top() + margins.top(), scaled.width(), scaled.height());
            drawImagePart(painter, target, scaled.rect(), scaled);
        }
    }
    const QString overlayPath = index.data(Qt::UserRole).toString();
    if (!overlayPath.isEmpty()) {
        const QImage overlay(overlayPath);
        if (!overlay.isNull()) {
            const QImage scaled = overlay.scaled(option.rect.size(), Qt::KeepAspectRatio, Qt::SmoothTransformation);
            drawImagePart(painter, option.rect, scaled.rect(), scaled);
        }
    }
    painter->save();
    painter->setPen(QColor(54, 53, 53));
    painter->setBrush(Qt::NoBrush);
    painter->drawRect(QRect(option.rect.topLeft(), QPoint(option.rect.right() - 1, option.rect.bottom() - 1)));
    painter->restore();
}

void QFormatListDelegate::paintItemButtons(QPainter* painter, const QStyleOptionViewItem& option,
                                           const QModelIndex& index) const {
    if (option.state & QStyle::State_Selected)
        QBaseIconListDelegate::paintItemButtons(painter, option, index);
}

// ---------------------------------------------------------------------------------------

QFormatType::QFormatType(QWidget* parent) : QRZWidget(parent) {
    setObjectName(QStringLiteral("QFormatType"));
    resize(596, 204);
    setWindowTitle(tr("Form"));
    setBackgroundColor(QColor(62, 60, 60));
    auto* layout = new QVBoxLayout();
    layout->setSpacing(0);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* row = new QHBoxLayout();
    row->setContentsMargins(-1, -1, -1, 0);
    row->addItem(new QSpacerItem(40, 20, QSizePolicy::Expanding, QSizePolicy::Minimum));
    m_btnHLayout = new QHBoxLayout();
    m_btnHLayout->setSpacing(0);
    m_btnHLayout->setContentsMargins(0, 0, 0, 0);
    row->addLayout(m_btnHLayout);
    row->addItem(new QSpacerItem(40, 20, QSizePolicy::Expanding, QSizePolicy::Minimum));
    layout->addLayout(row);
    layout->addItem(new QSpacerItem(20, 40, QSizePolicy::Minimum, QSizePolicy::Expanding));
    setLayout(layout);
}

QFormatType::~QFormatType() {
    qDeleteAll(m_buttons);
    m_buttons.clear();
}

void QFormatType::setCategories(const QStringList& names) {
    m_buttons.clear();
    m_checked = nullptr;
    for (const QString& name : names) {
        auto* button = new QRZBaseButton(this);
        styleTabButton(button);
        button->setFixedSize(95, 25);
        button->setText(name);
        m_buttons.append(button);
        connect(button, &QAbstractButton::clicked, this, &QFormatType::OnTypeBtn);
        m_btnHLayout->addWidget(button, 0);
    }
}

void QFormatType::setVideoMode(bool video) {
    const QString audio = QStringLiteral("General Audio");
    for (QRZBaseButton* button : m_buttons)
        button->setVisible(video ? button->text() != audio : button->text() == audio);
}

void QFormatType::clickCategory(const QString& text) {
    for (QRZBaseButton* button : m_buttons) {
        if (button->text() == text) {
            button->click();
            return;
        }
    }
}

void QFormatType::OnTypeBtn() {
    auto* button = qobject_cast<QRZBaseButton*>(sender());
    if (!button || button == m_checked)
        return;
    if (m_checked) {
        m_checked->setChecked(false);
        m_checked->setEnabled(true);
    }
    button->setChecked(true);
    button->setEnabled(false);
    m_checked = button;
    emit emitTypeChange(button->text());
}
