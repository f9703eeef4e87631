#include "recorder/QFormatDlg.h"

#include "app/AppGlobals.h"
#include "app/FormatSettingFile.h"
#include "app/SettingsFile.h"
#include "media/CProfileManager.h"
#include "recorder/CurrentFormat.h"
#include "recorder/FormHelpers.h"
#include "recorder/FormatList.h"
#include "recorder/QFormatSettingDlg.h"
#include "toolkit/QRZButton.h"
#include "toolkit/QRZComboBox.h"
#include "toolkit/QRZItemButtonList.h"
#include "toolkit/QRZLineEdit.h"
#include "toolkit/QRZListView.h"
#include "toolkit/QRZMessageBox.h"
#include "toolkit/QRZScrollBar.h"
#include "toolkit/StyleHelpers.h"

#include <QParallelAnimationGroup>
#include <QPropertyAnimation>

namespace {

QFormatDlg* s_instance = nullptr;
const QString kFormatSection = QStringLiteral("FormatSet");
const QRect kListClosed(20, 75, 661, 281);
const QRect kListOpen(20, 75, 661, 201);
const QRect kPanelClosed(21, 356, 648, 0);
const QRect kPanelOpen(21, 271, 648, 88);

QString fromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), int(text.size()));
}

} // namespace

QFormatDlg* QFormatDlg::getInstance(QWidget* parent) {
    if (!s_instance)
        s_instance = new QFormatDlg(parent);
    return s_instance;
}

void QFormatDlg::releaseInstance() {
    delete s_instance;
    s_instance = nullptr;
}

QFormatDlg::QFormatDlg(QWidget* parent) : QRZDialogEx(parent) {
    setObjectName(QStringLiteral("QFormatDlg"));
    setWindowTitle(tr("Form"));
    m_btnCancel = makeNamedChild<QRZBaseButton>(this, "m_btnCancel");
    m_btnOk = makeNamedChild<QRZBaseButton>(this, "m_btnOk");
    m_listView = makeNamedChild<QRZListView>(this, "m_listView");
    m_settingDlg = makeNamedChild<QFormatSettingDlg>(this, "m_settingDlg");
    m_cmbQuality = makeNamedChild<QRZComboBox>(this, "m_cmbQuality");
    m_editSearch = makeNamedChild<QRZLineEdit>(this, "m_editSearch");
    QPalette palette = m_cmbQuality->palette();
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        palette.setColor(group, QPalette::Text, QColor(172, 170, 171));
        palette.setColor(group, QPalette::Highlight, QColor(0, 0, 0, 0));
    }
    palette.setColor(QPalette::Disabled, QPalette::Text, QColor(120, 120, 120));
    palette.setColor(QPalette::Disabled, QPalette::Highlight, QColor(51, 153, 255));
    m_cmbQuality->setPalette(palette);

    setDialogBackground1(this);
    setTitle(tr("Format Setting"));
    setWindowTitle(tr("Format Setting"));
    setFixedSize(693, 416);
    installEventFilter(this);
    QRZBaseButton* close = createCloseButton(getAppDirPath() + QStringLiteral("/image/btn_close.png"), true);
    connect(close, &QAbstractButton::clicked, this, &QFormatDlg::OnBtnCancel);

    styleCommonButton1(m_btnCancel, 80, 24);
    styleCommonButton1(m_btnOk, 80, 24);
    m_types = new QFormatType(this);
    connect(m_types, &QFormatType::emitTypeChange, this, &QFormatDlg::changeCategories);
    connect(m_btnOk, &QAbstractButton::clicked, this, &QFormatDlg::OnBtnOk);
    connect(m_btnCancel, &QAbstractButton::clicked, this, &QFormatDlg::OnBtnCancel);
    styleComboBox(m_cmbQuality, 100, 20);
    m_cmbQuality->setTextMargins(5, 0, 17, 1);
    QFont font = m_cmbQuality->font();
    font.setPixelSize(11);
    m_cmbQuality->setFont(font);
    m_cmbQuality->clear();
    m_cmbQuality->addItem(tr("High Quality"));
    m_cmbQuality->addItem(tr("Small Size"));
    m_cmbQuality->addItem(tr("Customized"));
    connect(m_cmbQuality, QOverload<int>::of(&QComboBox::currentIndexChanged), this, &QFormatDlg::OnQualityChange);
    connect(m_settingDlg, &QFormatSettingDlg::emitCustomized, this, &QFormatDlg::settingValueChanged);
    styleSearchEdit(m_editSearch);
    m_editSearch->setPlaceholderText(tr("Search"));
    connect(m_editSearch, &QLineEdit::textChanged, this, &QFormatDlg::OnSearchString);

    CProfileManager* catalogue = formatCatalogue();
    m_categories = catalogue->categories();
    QStringList names;
    for (const std::string& name : m_categories)
        names << fromUtf8(name);
    m_types->setCategories(names);
    m_types->setVideoMode(true);
    buildRecords();
    setUpList();

    m_btnCancel->setText(tr("Cancel"));
    m_btnOk->setText(tr("OK"));
    m_listView->setGeometry(kListClosed);
    m_settingDlg->setGeometry(20, 356, 653, 0);
    m_settingDlg->hide();
}

QFormatDlg::~QFormatDlg() {
    m_listView->setModel(nullptr);
    delete m_types;
    delete m_scrollBar;
    delete m_proxy;
    delete m_buttonList;
    delete m_settingButton;
    delete m_delegate;
    m_model.setChunks(nullptr);
    for (IBaseChunk* record : m_records)
        delete record;
    m_records.clear();
    if (s_instance == this)
        s_instance = nullptr;
}

void QFormatDlg::buildRecords() {
    CProfileManager* catalogue = formatCatalogue();
    for (const std::string& category : m_categories) {
        const std::vector<ProfileItem*>* profiles = catalogue->profilesOf(category);
        if (!profiles)
            continue;
        for (const ProfileItem* profile : *profiles) {
            auto* record = new QFormatChunk();
            record->setName(profile->title);
            bool ok = false;
            record->setIntA(fromUtf8(profile->id).toInt(&ok, 10));
            record->setImagePath((getAppDirPath() + QStringLiteral("/image/Format/") +
                                  QStringLiteral("icon_%1.png").arg(fromUtf8(profile->icon)))
                                     .toUtf8()
                                     .toStdString());
            record->setString(QFormatChunk::kCategoryKey, profile->category);
            record->setString(QFormatChunk::kExtensionKey, profile->ext);
            m_records.push_back(record);
        }
    }
}

void QFormatDlg::setUpList() {
    m_listView->setStyleSheet(
        QStringLiteral("QListView{background:%1;}QScrollBar:vertical {width:10px;}").arg(QColor(74, 72, 72).name()));
    m_proxy = new QFormatSortModel();
    m_proxy->setSourceModel(&m_model);
    m_proxy->setDynamicSortFilter(true);
    m_proxy->setFilterKeyColumn(-1);
    const QColor row(64, 62, 62), text(250, 237, 237);
    for (QRZViewModelDrawAttribute* colours :
         {static_cast<QRZViewModelDrawAttribute*>(m_proxy), static_cast<QRZViewModelDrawAttribute*>(&m_model)}) {
        colours->setBackgroundColors(row, row);
        colours->setTextColors(text, text);
        colours->setCurrentColors(QColor(70, 68, 68), text);
    }
    m_model.setChunks(&m_records);
    m_model.setItemSize(128, 95);
    m_listView->setViewMode(QListView::IconMode);
    m_listView->setMovement(QListView::Static);
    m_listView->setModel(m_proxy);
    m_listView->setSelectionMode(QAbstractItemView::SingleSelection);
    m_listView->setGridSize(QSize(130, 97));
    m_listView->setResizeMode(QListView::Adjust);
    m_scrollBar = new QRZScrollBar(Qt::Vertical);
    styleScrollBar(m_scrollBar);
    m_listView->setVerticalScrollBar(m_scrollBar);

    m_delegate = new QFormatListDelegate();
    QFont font;
    font.setFamily(QStringLiteral("Tahoma"));
    font.setPixelSize(12);
    m_delegate->setFont(font);
    m_delegate->setValue(68);
    m_delegate->setTextMargins(1, 70, 1, 8);
    m_delegate->setTileMargins(0, 10, 0, 32);
    m_delegate->setColor(QColor(84, 82, 82), QColor(250, 237, 237));
    m_listView->setItemDelegate(m_delegate);
    // The view pushes the tile under the mouse into the proxy (its hover colours) and
    // into the painter, which draws the Settings button on the selected tile under it.
    m_listView->setSortModelRef(m_proxy);
    m_listView->setDelegateRef(m_delegate);

    m_settingButton = new QRZStyleButton();
    m_settingButton->setText(QStringLiteral("Settings"));
    m_settingButton->setImages(getAppDirPath() + QStringLiteral("/image/Format_Dlg/btn_setting.png"), QString());
    m_settingButton->setValues(126 - m_settingButton->width(), 2);
    m_buttonList = new QRZItemButtonList(0);
    m_buttonList->addButton(m_settingButton);
    m_buttonList->setAlignment(0);
    m_buttonList->setValue2(m_settingButton->width());
    m_buttonList->setValue3(m_settingButton->height());
    m_delegate->addItemButtons(m_buttonList);
    connect(m_settingButton, &QRZStyleButton::emitClickIndex, this, &QFormatDlg::OnSetting);
    connect(m_listView, &QAbstractItemView::doubleClicked, this, &QFormatDlg::doubleClickItemView);
    connect(m_listView, &QRZListView::emitCurrentChanged, this, &QFormatDlg::itemChange);
}

void QFormatDlg::loadDefaultFormat(bool video) {
    m_video = video;
    m_types->setVideoMode(video);
    const QString category =
        video ? readSettingValue(kFormatSection, QStringLiteral("Video_Categories"), QStringLiteral("General Video"))
              : readSettingValue(kFormatSection, QStringLiteral("Audio_Categories"), QStringLiteral("General Audio"));
    m_types->clickCategory(category);
    const QString id = video ? readSettingValue(kFormatSection, QStringLiteral("Video_Id"), QStringLiteral("4000"))
                             : readSettingValue(kFormatSection, QStringLiteral("Audio_Id"), QStringLiteral("5000"));
    selectFormatById(id);
}

void QFormatDlg::selectFormatById(const QString& id) {
    QModelIndex match;
    for (int row = 0; row < m_proxy->rowCount(); ++row) {
        const QModelIndex index = m_proxy->index(row, 0);
        IBaseChunk* record = chunkOfIndex(index);
        if (record && QString::number(record->intA()) == id)
            match = index;
    }
    if (match.isValid())
        m_listView->setCurrentIndex(match);
}

void QFormatDlg::itemChange(const QModelIndex& proxyIndex) {
    if (!proxyIndex.isValid())
        return;
    IBaseChunk* record = chunkOfIndex(m_proxy->mapToSource(proxyIndex));
    if (!record || !m_settingDlg)
        return;
    const std::string category = record->getString(QFormatChunk::kCategoryKey);
    const QString id = QString::number(record->intA());
    const ProfileDetail* detail =
        formatCatalogue()->readProfileDetail(category, id.toUtf8().toStdString(), "", "", "", "");
    m_settingDlg->setProfileDetail(detail, true);
    refreshCustomizedItem(id);
    applyQualityMode(readQualityMode(id));
}

void QFormatDlg::setCustomizedItem(bool present) {
    if (present) {
        if (m_cmbQuality->count() <= 2)
            m_cmbQuality->addItem(tr("Customized"), QVariant());
    } else if (m_cmbQuality->count() > 2) {
        m_cmbQuality->removeItem(2);
    }
}

void QFormatDlg::refreshCustomizedItem(const QString& id) {
    setCustomizedItem(readFormatSetting(id).has_value());
}

void QFormatDlg::applyQualityMode(int mode) {
    if (mode < QualitySmallSize || mode > QualityCustomized)
        return;
    m_settingDlg->setQualityMode(mode);
    int row = mode == QualityHigh ? 0 : mode == QualitySmallSize ? 1 : 2;
    if (row >= m_cmbQuality->count())
        row = 0; // no custom record: the panel holds the high-quality values
    if (m_cmbQuality->currentIndex() != row) {
        // The panel already holds the preset's values.
        m_suppressQualityChange = true;
        m_cmbQuality->setCurrentIndex(row);
        m_suppressQualityChange = false;
    }
}

void QFormatDlg::OnQualityChange(int row) {
    if (m_suppressQualityChange) {
        m_suppressQualityChange = false;
        return;
    }
    applyQualityMode(row == 0 ? QualityHigh : row == 1 ? QualitySmallSize : QualityCustomized);
}

void QFormatDlg::settingValueChanged() {
    setCustomizedItem(true);
    if (m_cmbQuality->currentIndex() != 2) {
        m_suppressQualityChange = true;
        m_cmbQuality->setCurrentIndex(2);
        m_suppressQualityChange = false;
    }
}

void QFormatDlg::OnSetting(const QModelIndex& index) {
    if (!index.isValid())
        return;
    if (index.row() == m_listView->currentIndex().row())
        showSettingPanel(!m_settingDlg->isVisible(), false);
    else
        m_listView->setCurrentIndex(index);
}

void QFormatDlg::doubleClickItemView(const QModelIndex&) {
    OnBtnOk();
}

void QFormatDlg::changeCategories(const QString& name) {
    m_proxy->setCategoryFilter(name);
    showSettingPanel(false, false);
}

void QFormatDlg::OnSearchString(const QString& text) {
    if (m_records.empty())
        return;
    showSettingPanel(false, false);
    // The text as typed, not an expression: "MP4 (H" finds "MP4 (H.264)".
    m_proxy->setFilterRegExp(QRegExp(text, Qt::CaseInsensitive, QRegExp::FixedString));
}

void QFormatDlg::showSettingPanel(bool open, bool place) {
    if (place) {
        m_listView->setGeometry(kListClosed);
        m_settingDlg->setGeometry(20, 356, 653, 0);
        m_settingDlg->hide();
        return;
    }
    if (open == m_panelOpen)
        return;
    m_panelOpen = open;
    auto* group = new QParallelAnimationGroup(this);
    auto* panel = new QPropertyAnimation(m_settingDlg, "geometry", group);
    auto* list = new QPropertyAnimation(m_listView, "geometry", group);
    panel->setDuration(150);
    list->setDuration(150);
    if (open) {
        m_settingDlg->show();
        panel->setStartValue(kPanelClosed);
        panel->setEndValue(kPanelOpen);
        list->setStartValue(kListClosed);
        list->setEndValue(kListOpen);
    } else {
        panel->setStartValue(kPanelOpen);
        panel->setEndValue(kPanelClosed);
        list->setStartValue(kListOpen);
        list->setEndValue(kListClosed);
        connect(panel, &QPropertyAnimation::finished, m_settingDlg, [this] {
            if (!m_panelOpen)
                m_settingDlg->hide();
        });
    }
    group->addAnimation(panel);
    group->addAnimation(list);
    group->start(QAbstractAnimation::DeleteWhenStopped);
}

void QFormatDlg::OnBtnOk() {
    hide();
    // With no profile chosen there is nothing to store: the format stays as it was.
    if (!m_settingDlg->hasProfile())
        return;
    // Every write is tried: what could be saved is kept even when a part was not.
    bool saved = m_settingDlg->saveCustomSetting();
    const QString id = m_settingDlg->profileId();
    saved = writeFormatAttribute(id, QStringLiteral("QUALITY_VALUE"), QString::number(m_cmbQuality->currentIndex())) &&
            saved;
    saved = writeSettingValue(kFormatSection,
                              m_video ? QStringLiteral("Video_Categories") : QStringLiteral("Audio_Categories"),
                              m_settingDlg->category()) &&
            saved;
    saved = writeSettingValue(kFormatSection, m_video ? QStringLiteral("Video_Id") : QStringLiteral("Audio_Id"), id) &&
            saved;
    loadCurrentFormat(m_video);
    if (!saved) {
        tellNotSaved(this, tr("The output format could not be saved."));
    }
}

void QFormatDlg::OnBtnCancel() {
    hide();
}

bool QFormatDlg::eventFilter(QObject*, QEvent*) {
    return false;
}

void QFormatDlg::relayout() {
    const int W = width(), H = height();
    m_types->setGeometry(8, 38, W - 16, 25);
    auto centredTop = [H](const QWidget* w) { return H - 48 + (40 - w->height()) / 2; };
    m_editSearch->move(28, centredTop(m_editSearch));
    m_btnOk->move(W - m_btnOk->width() - 28, centredTop(m_btnOk));
    m_btnCancel->move(W - m_btnOk->width() - m_btnCancel->width() - 44, centredTop(m_btnCancel));
    m_cmbQuality->move(m_btnCancel->x() - 16 - m_cmbQuality->width(),
                       m_btnCancel->y() + (m_btnCancel->height() - m_cmbQuality->height()) / 2);
}
