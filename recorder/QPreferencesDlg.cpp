#include "recorder/QPreferencesDlg.h"

#include "app/AppGlobals.h"
#include "app/LanguageFile.h"
#include "app/SettingsFile.h"
#include "recorder/FormHelpers.h"
#include "toolkit/QRZButton.h"
#include "toolkit/QRZComboBox.h"
#include "toolkit/QRZMessageBox.h"
#include "toolkit/QRZRadioButton.h"
#include "toolkit/QRZScrollBar.h"
#include "toolkit/QRZTextEdit.h"
#include "toolkit/StyleHelpers.h"

#include <QFileDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPainter>
#include <QScrollArea>
#include <QTextEdit>
#include <QVBoxLayout>

namespace {

const QString kYes = QStringLiteral("Y");

void styleGroup(QGroupBox* group) {
    group->setStyleSheet(QStringLiteral("QGroupBox{border:1px solid %1; border-radius:5px;margin-top:2ex;}"
                                        "QGroupBox::title {color: %2;subcontrol-origin: margin;subcontrol-position: "
                                        "top left;left:%3px;padding:0px;}")
                             .arg(QColor(67, 63, 63).name(), QColor(250, 237, 237).name())
                             .arg(25));
    setWidgetFont(group, 11);
    QFont font = group->font();
    font.setWeight(QFont::Normal);
    group->setFont(font);
    setWidgetTextColor(group, QPalette::WindowText, QColor(250, 237, 237));
}

QRZRadioButton* makeRadio(QWidget* parent, const char* name, const QRect& geometry, const QString& text) {
    auto* radio = makeNamedChild<QRZRadioButton>(parent, name);
    radio->setGeometry(geometry);
    radio->setAutoExclusive(false); // each pair is made exclusive by its slot
    styleSelectionCheckBox(radio);
    setWidgetFont(radio, 11);
    setWidgetTextColor(radio, QPalette::WindowText, QColor(250, 237, 237));
    radio->setText(text);
    return radio;
}

// The exclusive pair: the clicked one checked, its partner clear.
void checkOneOf(QObject* clicked, QRZRadioButton* first, QRZRadioButton* second) {
    first->setChecked(clicked == first);
    second->setChecked(clicked == second);
}

} // namespace

// ---------------------------------------------------------------------------------------
// General page

GeneralWidget::GeneralWidget(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("GeneralWidget"));
    resize(477, 441);
    setWindowTitle(QStringLiteral("Form"));
    m_GroupUpdates = makeNamedChild<QGroupBox>(this, "m_GroupUpdates");
    m_GroupUpdates->setGeometry(11, 10, 317, 81);
    m_radAutoUpdate = makeRadio(m_GroupUpdates, "m_radAutoUpdate", QRect(20, 25, 281, 16),
                                tr("Automatically update to the newest version"));
    m_radCloseUpdate =
        makeRadio(m_GroupUpdates, "m_radCloseUpdate", QRect(20, 50, 251, 16), tr("Close automatic updates"));
    m_GroupClose = makeNamedChild<QGroupBox>(this, "m_GroupClose");
    m_GroupClose->setGeometry(11, 95, 317, 81);
    m_radMin = makeRadio(m_GroupClose, "m_radMin", QRect(20, 25, 251, 16), tr("Minimize to Tray"));
    m_radExit = makeRadio(m_GroupClose, "m_radExit", QRect(20, 50, 251, 16), tr("Exit"));
    m_GroupLanguage = makeNamedChild<QGroupBox>(this, "m_GroupLanguage");
    m_GroupLanguage->setGeometry(11, 230, 281, 71);
    m_cmbLan = makeNamedChild<QRZComboBox>(m_GroupLanguage, "m_cmbLan");
    m_cmbLan->setGeometry(20, 30, 155, 21);

    m_GroupLanguage->hide();
    m_GroupUpdates->move(11, 5);
    m_GroupClose->move(11, 100);
    m_cmbLan->move(20, 30);
    m_GroupUpdates->setTitle(tr("Automatic updates"));
    m_GroupClose->setTitle(tr("Close"));
    m_GroupLanguage->setTitle(tr("Language"));
    for (QGroupBox* group : {m_GroupUpdates, m_GroupClose, m_GroupLanguage})
        styleGroup(group);
    connect(m_radAutoUpdate, &QAbstractButton::clicked, this, &GeneralWidget::OnChanegeUpdate);
    connect(m_radCloseUpdate, &QAbstractButton::clicked, this, &GeneralWidget::OnChanegeUpdate);
    connect(m_radExit, &QAbstractButton::clicked, this, &GeneralWidget::OnChangeClose);
    connect(m_radMin, &QAbstractButton::clicked, this, &GeneralWidget::OnChangeClose);

    m_initialAutoUpdate =
        readSettingValue(QStringLiteral("UPDATES_ITEM"), QStringLiteral("bIsAutoUpdate"), QStringLiteral("N")) == kYes;
    m_radAutoUpdate->setChecked(m_initialAutoUpdate);
    m_radCloseUpdate->setChecked(!m_initialAutoUpdate);
    m_initialExit = readSettingValue(QStringLiteral("CLOSE_ITEM"), QStringLiteral("bIsCloseDlg"), kYes) == kYes;
    m_radExit->setChecked(m_initialExit);
    m_radMin->setChecked(!m_initialExit);
}

GeneralWidget::~GeneralWidget() = default;

void GeneralWidget::OnChanegeUpdate() {
    checkOneOf(sender(), m_radAutoUpdate, m_radCloseUpdate);
}

void GeneralWidget::OnChangeClose() {
    checkOneOf(sender(), m_radExit, m_radMin);
}

void GeneralWidget::languageChange(int) {
    const QString listPath = getAppDirPath() + QStringLiteral("/Language/Language.xml");
    const LanguageItem item = readLanguageItem(listPath, m_cmbLan->currentText());
    setLanguageByName(item.languageType);
    emit sendLanguageName(getAppDirPath() + QStringLiteral("/Language/") + item.languageFile);
}

bool GeneralWidget::saveSettings() {
    bool saved = true;
    const bool autoUpdate = m_radAutoUpdate->isChecked();
    if (autoUpdate != m_initialAutoUpdate) {
        saved = writeSettingValue(QStringLiteral("UPDATES_ITEM"), QStringLiteral("bIsAutoUpdate"),
                                  autoUpdate ? kYes : QStringLiteral("N"));
        m_initialAutoUpdate = autoUpdate;
        emit sendUpdate(autoUpdate);
    }
    const bool exit = m_radExit->isChecked();
    if (exit != m_initialExit) {
        saved = writeSettingValue(QStringLiteral("CLOSE_ITEM"), QStringLiteral("bIsCloseDlg"),
                                  exit ? kYes : QStringLiteral("N")) &&
                saved;
        m_initialExit = exit;
    }
    return saved;
}

void GeneralWidget::paintEvent(QPaintEvent* event) {
    QWidget::paintEvent(event);
    QPainter painter(this);
    painter.fillRect(rect(), QColor(74, 72, 72));
}

// ---------------------------------------------------------------------------------------
// Convert page

QString ConvertWidget::defaultOutputFolder() {
    return QString(getDocumentsProductDir() + QStringLiteral("/Converted/"))
        .replace(QLatin1Char('\\'), QLatin1Char('/'));
}

QString ConvertWidget::defaultScreenshotFolder() {
    return QString(getDocumentsProductDir() + QStringLiteral("/Screenshots/"))
        .replace(QLatin1Char('\\'), QLatin1Char('/'));
}

ConvertWidget::ConvertWidget(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("ConvertWidget"));
    resize(451, 390);
    setWindowTitle(QStringLiteral("Form"));
    auto group = [this](const char* name, const QRect& geometry) {
        auto* g = makeNamedChild<QGroupBox>(this, name);
        g->setGeometry(geometry);
        return g;
    };
    auto button = [](QWidget* parent, const char* name, int x, int y) {
        auto* b = makeNamedChild<QRZBaseButton>(parent, name);
        b->move(x, y);
        return b;
    };
    auto pathEdit = [](QWidget* parent, const char* name) {
        auto* e = makeNamedChild<QRZTextEdit>(parent, name);
        e->setGeometry(20, 25, 200, 44);
        return e;
    };
    m_GroupFinish = group("m_GroupFinish", QRect(10, 250, 310, 56));
    m_cmbFinished = makeNamedChild<QRZComboBox>(m_GroupFinish, "m_cmbFinished");
    m_groupOutput = group("m_groupOutput", QRect(10, 5, 310, 80));
    m_btnChange = button(m_groupOutput, "m_btnChange", 232, 20);
    m_btnReset = button(m_groupOutput, "m_btnReset", 232, 48);
    m_pathTextEdit = pathEdit(m_groupOutput, "m_pathTextEdit");
    m_GroupArchive = group("m_GroupArchive", QRect(10, 315, 310, 56));
    m_cmbOutput = makeNamedChild<QRZComboBox>(m_GroupArchive, "m_cmbOutput");
    m_groupScreenshots = group("m_groupScreenshots", QRect(10, 90, 310, 80));
    m_btnChangeShot = button(m_groupScreenshots, "m_btnChangeShot", 232, 20);
    m_btnResetShot = button(m_groupScreenshots, "m_btnResetShot", 232, 48);
    m_ScreenshotsTextEdit = pathEdit(m_groupScreenshots, "m_ScreenshotsTextEdit");

    for (QRZBaseButton* b : {m_btnChange, m_btnReset, m_btnChangeShot, m_btnResetShot}) {
        styleCommonButton(b, 67, 24);
        setWidgetFont(b, 11);
    }
    connect(m_btnChange, &QAbstractButton::clicked, this, &ConvertWidget::OnChangePath);
    connect(m_btnReset, &QAbstractButton::clicked, this, &ConvertWidget::OnResetPath);
    connect(m_btnChangeShot, &QAbstractButton::clicked, this, &ConvertWidget::OnChangeScreenshot);
    connect(m_btnResetShot, &QAbstractButton::clicked, this, &ConvertWidget::OnResetScreenshot);
    styleComboBox(m_cmbFinished, 140, 20);
    styleComboBox(m_cmbOutput, 140, 20);
    m_cmbFinished->addItems({tr("Do Nothing"), tr("Put Computer to Sleep"), tr("Shut Down My Computer")});
    m_cmbOutput->addItems({tr("Artist"), tr("Artist/Album"), tr("None")});
    m_GroupFinish->hide();
    m_GroupArchive->hide();
    m_cmbFinished->setCurrentIndex(
        readSettingValue(QStringLiteral("SHOWDOWN_ITEM"), QStringLiteral("Finished_All_Job"), QStringLiteral("0"))
            .toInt());
    for (QRZTextEdit* e : {m_pathTextEdit, m_ScreenshotsTextEdit}) {
        styleTextEdit(e);
        e->textEdit()->setReadOnly(true);
        e->textEdit()->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        e->textEdit()->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    }
    for (QGroupBox* g : {m_GroupFinish, m_groupOutput, m_GroupArchive, m_groupScreenshots})
        styleGroup(g);
    m_GroupFinish->setTitle(tr("When all job finished"));
    m_groupOutput->setTitle(tr("Location of Output Files:"));
    m_GroupArchive->setTitle(tr("Archive output tracks by"));
    m_groupScreenshots->setTitle(tr("Location of Screenshots:"));
    m_btnChange->setText(tr("Change"));
    m_btnReset->setText(tr("Reset"));
    m_btnChangeShot->setText(tr("Change"));
    m_btnResetShot->setText(tr("Reset"));
    const int changeFont = getLanguageIndex() == 3 ? 10 : 11;
    setWidgetFont(m_btnChange, changeFont);
    setWidgetFont(m_btnChangeShot, changeFont);
    loadPaths();
}

ConvertWidget::~ConvertWidget() = default;

void ConvertWidget::showFolders() {
    m_pathTextEdit->textEdit()->setPlainText(m_outputFolder);
    m_ScreenshotsTextEdit->textEdit()->setPlainText(m_screenshotFolder);
}

void ConvertWidget::loadPaths() {
    m_outputFolder =
        readSettingValue(QStringLiteral("OutPut_path"), QStringLiteral("path_value"), defaultOutputFolder());
    m_screenshotFolder = readSettingValue(QStringLiteral("Screenshot_path"), QStringLiteral("Screenshot_path_value"),
                                          defaultScreenshotFolder());
    showFolders();
}

bool ConvertWidget::takeOutputFolder(const QString& folder) {
    if (folder.isEmpty() || !isFolderWritable(folder + QLatin1Char('/')))
        return false;
    m_outputFolder = folder + QLatin1Char('/');
    showFolders();
    return true;
}

void ConvertWidget::takeScreenshotFolder(const QString& folder) {
    if (folder.isEmpty())
        return;
    m_screenshotFolder = folder + QLatin1Char('/');
    showFolders();
}

// The folder choosers open at the folder chosen now.
void ConvertWidget::OnChangePath() {
    const QString folder =
        QFileDialog::getExistingDirectory(this, tr("Save to"), m_outputFolder, QFileDialog::ShowDirsOnly);
    if (!folder.isEmpty() && !takeOutputFolder(folder))
        tellFolderNotWritable(this, folder);
}

void ConvertWidget::OnChangeScreenshot() {
    takeScreenshotFolder(
        QFileDialog::getExistingDirectory(this, tr("Save to"), m_screenshotFolder, QFileDialog::ShowDirsOnly));
}

void ConvertWidget::OnResetPath() {
    m_outputFolder = defaultOutputFolder();
    showFolders();
}

void ConvertWidget::OnResetScreenshot() {
    m_screenshotFolder = defaultScreenshotFolder();
    showFolders();
}

bool ConvertWidget::saveSettings() {
    // The folders are stored by the main window, which takes them from here.
    setOutputPath(m_outputFolder);
    setScreenshotPath(m_screenshotFolder);
    const bool saved = writeSettingValue(QStringLiteral("SHOWDOWN_ITEM"), QStringLiteral("Finished_All_Job"),
                                         QString::number(m_cmbFinished->currentIndex()));
    setFinishedAllJobFlag(m_cmbOutput->currentIndex());
    return saved;
}

void ConvertWidget::paintEvent(QPaintEvent* event) {
    QWidget::paintEvent(event);
    QPainter painter(this);
    painter.fillRect(rect(), QColor(74, 72, 72));
    m_cmbFinished->move(20, 23);
    m_cmbOutput->move(20, 23);
}

// ---------------------------------------------------------------------------------------
// Dialog

QPreferencesDlg::QPreferencesDlg(QWidget* parent) : QRZDialogEx(parent) {
    setObjectName(QStringLiteral("QPreferencesDlg"));
    resize(919, 506);
    // OK and Cancel are made first: they come first among the children, in stacking and
    // focus order.
    m_btnCancel = makeNamedChild<QRZBaseButton>(this, "m_btnCancel");
    m_btnCancel->setGeometry(310, 410, 75, 23);
    m_btnOk = makeNamedChild<QRZBaseButton>(this, "m_btnOk");
    m_btnOk->setGeometry(400, 410, 75, 23);
    buildColumns();

    setWindowTitle(tr("Preferences"));
    setDialogBackground1(this);
    setTitle(tr("Preferences"));
    setFixedSize(441, 285);

    buildPageArea();
    addSectionButtons();
    styleDialogButtons();
    addPages();
}

// The section buttons' column on the left, the scrolled page area on the right.
void QPreferencesDlg::buildColumns() {
    m_Layout = new QHBoxLayout();
    m_Layout->setObjectName(QStringLiteral("m_Layout"));
    auto* buttonColumn = new QVBoxLayout();
    buttonColumn->setSpacing(0);
    buttonColumn->setContentsMargins(0, 0, -1, -1);
    m_BtnVerticalLayout_3 = new QVBoxLayout();
    m_BtnVerticalLayout_3->setSpacing(0);
    m_BtnVerticalLayout_3->setContentsMargins(0, 0, -1, -1);
    buttonColumn->addLayout(m_BtnVerticalLayout_3);
    buttonColumn->addItem(new QSpacerItem(20, 40, QSizePolicy::Minimum, QSizePolicy::Expanding));
    m_Layout->addLayout(buttonColumn);
    auto* pageColumn = new QVBoxLayout();
    pageColumn->setSpacing(0);
    pageColumn->setContentsMargins(0, 0, 0, 0);
    m_scrollArea = new QScrollArea(this);
    m_scrollArea->setObjectName(QStringLiteral("scrollArea"));
    m_scrollArea->setMouseTracking(true);
    m_scrollArea->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_scrollArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scrollArea->setWidgetResizable(true);
    m_scrollArea->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_scrollAreaWidget = new QWidget();
    m_scrollAreaWidget->setObjectName(QStringLiteral("m_scrollAreaWidget"));
    m_scrollAreaWidget->setGeometry(0, 0, 457, 126);
    m_scrollAreaWidget->setMouseTracking(true);
    m_scrollArea->setWidget(m_scrollAreaWidget);
    pageColumn->addWidget(m_scrollArea);
    m_Layout->addLayout(pageColumn);
}

// The dialog's margins leave room for the title band above and the buttons below; the
// pages stack in a list inside the scrolled area.
void QPreferencesDlg::buildPageArea() {
    setLayout(m_Layout);
    m_Layout->setSpacing(0);
    m_Layout->setContentsMargins(8, 38, 8, 48);
    m_scrollArea->setFrameShape(QFrame::NoFrame);
    QPalette palette = m_scrollAreaWidget->palette();
    palette.setColor(QPalette::Window, QColor(255, 40, 40));
    m_scrollAreaWidget->setPalette(palette);

    m_scrollBar = new QRZScrollBar();
    styleScrollBar(m_scrollBar);
    m_scrollArea->setVerticalScrollBar(m_scrollBar);
    auto* convertLayout = new QVBoxLayout(m_scrollAreaWidget);
    convertLayout->setObjectName(QStringLiteral("m_ConvertLayout"));
    convertLayout->setSpacing(0);
    convertLayout->setContentsMargins(0, 0, 0, 0);
    m_listLayout = new QVBoxLayout();
    m_listLayout->setSpacing(0);
    m_listLayout->setContentsMargins(0, 0, 0, 0);
    convertLayout->addLayout(m_listLayout);
    convertLayout->addItem(new QSpacerItem(20, 40, QSizePolicy::Minimum, QSizePolicy::Expanding));
    m_scrollArea->show();
}

// One button a section; the current one stays pressed and cannot be pressed again.
void QPreferencesDlg::addSectionButtons() {
    const QColor light(250, 237, 237);
    for (int i = 0; i < 2; ++i) {
        auto* button = new QRZBaseButton(this);
        button->setUserIndex(i);
        button->setCheckable(true);
        button->setImage(getAppDirPath() + QStringLiteral("/image/common/btn_prefer.png"), true);
        button->setText(i == 0 ? tr("General") : tr("Convert"));
        setWidgetFont(button, 12);
        setWidgetTextColor(button, QPalette::WindowText, light);
        button->setTextColors(light, light, light, light);
        button->setFixedSize(87, 21);
        connect(button, &QAbstractButton::clicked, this, &QPreferencesDlg::OnLeftBtn);
        m_buttons.append(button);
        m_BtnVerticalLayout_3->addWidget(button);
    }
    m_current = m_buttons.first();
    m_current->setChecked(true);
    m_current->setEnabled(false);
}

// Close and Cancel leave without storing; OK stores the pages.
void QPreferencesDlg::styleDialogButtons() {
    QRZBaseButton* close = createCloseButton(getAppDirPath() + QStringLiteral("/image/btn_close.png"), true);
    styleCommonButton1(m_btnCancel, 80, 24);
    styleCommonButton1(m_btnOk, 80, 24);
    m_btnCancel->setText(tr("Cancel"));
    m_btnOk->setText(tr("OK"));
    connect(close, &QAbstractButton::clicked, this, &QWidget::close);
    connect(m_btnCancel, &QAbstractButton::clicked, this, &QWidget::close);
    connect(m_btnOk, &QAbstractButton::clicked, this, &QPreferencesDlg::OnBtnOk);
}

void QPreferencesDlg::addPages() {
    m_general = new GeneralWidget(m_scrollAreaWidget);
    connect(m_general, &GeneralWidget::sendUpdate, this, &QPreferencesDlg::emitAutoUpdate);
    connect(m_general, &GeneralWidget::sendLanguageName, this, &QPreferencesDlg::setLanguge);
    m_convert = new ConvertWidget(m_scrollAreaWidget);
    m_convert->hide();
    for (QWidget* page : std::initializer_list<QWidget*>{m_general, m_convert}) {
        page->setMinimumSize(width() - 88, height() - 86);
        m_listLayout->addWidget(page);
    }
    m_general->show();
    m_convert->hide();
}

QPreferencesDlg::~QPreferencesDlg() {
    delete m_general;
    delete m_convert;
    delete m_scrollBar;
    m_buttons.clear();
}

void QPreferencesDlg::OnLeftBtn() {
    auto* button = qobject_cast<QRZBaseButton*>(sender());
    if (!button || button == m_current)
        return;
    if (m_current) {
        m_current->setChecked(false);
        m_current->setEnabled(true);
    }
    m_current = button;
    button->setChecked(true);
    button->setEnabled(false);
    switch (button->userIndex()) {
    case 0:
        m_convert->hide();
        m_general->show();
        break;
    case 1:
        m_general->hide();
        m_convert->show();
        break;
    default:
        break;
    }
}

void QPreferencesDlg::OnBtnOk() {
    const bool general = m_general->saveSettings();
    const bool convert = m_convert->saveSettings();
    if (!general || !convert) {
        tellNotSaved(this, tr("Your preferences could not be saved."));
    }
    m_accepted = true;
    close();
}

void QPreferencesDlg::setLanguge(const QString&) {}

void QPreferencesDlg::paintEvent(QPaintEvent* event) {
    QRZDialogEx::paintEvent(event);
    QPainter painter(this);
    painter.fillRect(QRect(QPoint(8, 38), QPoint(94, height() - 49)), QColor(65, 64, 64));
    const int bandTop = height() - 48;
    m_btnOk->move(width() - m_btnOk->width() - 28, bandTop + (40 - m_btnOk->height()) / 2);
    m_btnCancel->move(width() - m_btnOk->width() - m_btnCancel->width() - 44,
                      bandTop + (40 - m_btnCancel->height()) / 2);
}
