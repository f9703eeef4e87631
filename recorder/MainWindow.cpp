// The main window: construction, look and layout, modes, area mode, the options panel,
// settings, hotkey set-up, the history dialog, the format chooser and the close path.
#include "recorder/MainWindow.h"

#include "app/AppGlobals.h"
#include "app/ParserXML.h"
#include "app/QRecordAreaInfo.h"
#include "app/QShortCutManager.h"
#include "app/SettingsFile.h"
#include "app/Utilities.h"
#include "media/CodecLibrary.h"
#include "media/QRecordAudioObject.h"
#include "media/QRecordObject.h"
#include "platform/updater/updater.h"
#include "recorder/CurrentFormat.h"
#include "recorder/MainWindowParts.h"
#include "recorder/MainWindowRules.h"
#include "toolkit/QRZAppInfo.h"
#include "toolkit/QRZButton.h"
#include "toolkit/QRZMenu.h"
#include "toolkit/QRZMessageBox.h"
#include "toolkit/StyleHelpers.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QPainter>
#include <QPropertyAnimation>
#include <QScreen>
#include <QTextStream>
#include <QTimer>

namespace {

const int kNormalWidth = 696;
const int kNormalHeight = 176;
const int kOptionsOpenHeight = 454;
const int kOptionsPanelBottom = 443;
const int kNormalMargin = 38;

// Ctrl+Alt (Qt's modifier bits) with F12, F11, F9 and F10.
const int kDefaultModifiers = int(Qt::ControlModifier | Qt::AltModifier);

QString appImage(const QString& relativePath) {
    return getAppDirPath() + relativePath;
}

// A folder under the documents product folder, created when missing, with "/" only.
QString documentsSubfolder(const QString& name) {
    QString folder = getDocumentsProductDir() + QLatin1Char('/') + name + QLatin1Char('/');
    QDir().mkpath(folder);
    return folder.replace(QLatin1Char('\\'), QLatin1Char('/'));
}

void setMargins(QBaseDrawWidget* window, int margin) {
    window->setBackgroundMargins(margin, margin, margin, margin, margin, margin, margin, margin);
}

} // namespace

MainWindow::MainWindow(QWidget* parent) : QRZMainWindow(parent) {
    // A settings or history file that cannot be read is left as it is and nothing is
    // saved into it; without a word the user would only see settings or a library gone.
    setUnreadableXmlFileHandler([this](const QString& path) {
        tellWhenNothingElseSpeaks(tr("%1 cannot be read. It is left as it is, and nothing is saved into it until it "
                                     "can be read again.")
                                      .arg(QDir::toNativeSeparators(path)),
                                  QRZMessageBox::Error);
    });
    setDamagedXmlFileHandler([this](const QString& path, const QString& keptAs) {
        tellWhenNothingElseSpeaks(tr("%1 was damaged. Everything that could still be read from it is kept; the damaged "
                                     "file is kept as %2.")
                                      .arg(QDir::toNativeSeparators(path), QDir::toNativeSeparators(keptAs)),
                                  QRZMessageBox::Warning);
    });
    setupUi();
    setupWindowLook();
    createTrayIcon();
    setupHotkeys();
    loadAreaSettings();
    createPanels();
    createLevelPreviews();
    applyMode(true);
    setupUpdater();
    // A second start finds this window by its title.
    setWindowTitle(productTitle());
    initCodecLibrary();
    setToolTips();
    setupToolkitStyle(this);
}

MainWindow::~MainWindow() {
    setUnreadableXmlFileHandler({});
    setDamagedXmlFileHandler({});
    removeTrayClickFilter();
    stopLevelPreviews();
    abandonStart();
    delete m_shade;
    delete m_areaFrame;
    delete m_toolbar.data();
    delete m_schedule.data();
    delete m_recorder;
    QFormatDlg::releaseInstance();
    QShortCutManager::instance()->clear();
    delete m_acceptDialog;
    freeFormatNameGlobals();
}

// A file found unreadable or damaged is told in a box of its own once nothing else speaks:
// never over another box or a menu, the countdown or a running recording (the box would
// be in its picture and hold up its controls), nor while an area is picked or a schedule
// waits (its recording would start under the box). The history
// library is no box: what is found as it opens is told over it at once.
void MainWindow::tellWhenNothingElseSpeaks(const QString& text, int type) {
    QTimer::singleShot(200, this, [this, text, type] {
        if (m_exiting) {
            return;
        }
        QWidget* modal = QApplication::activeModalWidget();
        if ((modal != nullptr && qobject_cast<QHistoryDlg*>(modal) == nullptr) ||
            QApplication::activePopupWidget() != nullptr || m_countdownRunning || m_recording || m_scheduleView ||
            isPickingArea()) {
            tellWhenNothingElseSpeaks(text, type);
            return;
        }
        QRZMessageBox::showMessage(modal != nullptr ? modal : this, text, QString(), type, QRZMessageBox::OkButton);
    });
}

void MainWindow::setupUi() {
    if (objectName().isEmpty()) {
        setObjectName(QStringLiteral("MainWindow"));
    }
    resize(562, 172);
    setFocusPolicy(Qt::StrongFocus);
    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("centralWidget"));
    setCentralWidget(central);
    struct FormButton {
        QRZBaseButton** button;
        const char* name;
        QRect geometry;
        bool pointingHand;
    };
    const FormButton buttons[] = {
        {&m_btnClose, "m_btnClose", QRect(480, 10, 31, 21), true},
        {&m_btnMenu, "m_btnMenu", QRect(400, 10, 31, 21), true},
        {&m_btnMin, "m_btnMin", QRect(440, 10, 31, 21), true},
        {&m_btnReocrder, "m_btnReocrder", QRect(440, 70, 51, 51), false},
        {&m_btnVideoMode, "m_btnVideoMode", QRect(380, 70, 51, 51), false},
        {&m_btnAudioMode, "m_btnAudioMode", QRect(500, 70, 51, 51), false},
        {&m_btnHistory, "m_btnHistory", QRect(510, 40, 31, 21), true},
        {&m_btnSetting, "m_btnSetting", QRect(510, 130, 31, 21), true},
        {&m_btnMax, "m_btnMax", QRect(320, 10, 31, 21), true},
        {&m_btnRestore, "m_btnRestore", QRect(320, 30, 31, 21), true},
    };
    for (const FormButton& form : buttons) {
        auto* button = new QRZBaseButton(central);
        button->setObjectName(QString::fromLatin1(form.name));
        button->setGeometry(form.geometry);
        if (form.pointingHand) {
            button->setCursor(Qt::PointingHandCursor);
        }
        *form.button = button;
    }
    setWindowTitle(QStringLiteral("MainWindow"));
}

void MainWindow::setupWindowLook() {
    setWindowFlags(Qt::FramelessWindowHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint);
    setAttribute(Qt::WA_MouseTracking);
    centralWidget()->setAttribute(Qt::WA_MouseTracking);
    setAttribute(Qt::WA_TranslucentBackground);

    loadBackgroundImage(appImage(QStringLiteral("/image/backgroud.png")), false);
    setTitleHeight(kNormalMargin);
    setTitle(productTitle());
    setWindowTitle(productTitle());
    setTitleImage(appImage(QStringLiteral("/image/common/dlg_logo.png")));
    setTitleImageRect(QRect(13, 13, 0, 0));
    setTitleTextRect(QRect(38, 14, 0, 0));
    setMargins(this, kNormalMargin);
    resize(kNormalWidth, kNormalHeight);

    QFont windowFont = font();
    windowFont.setFamily(QStringLiteral("Tahoma"));
    windowFont.setPixelSize(14);
    setFont(windowFont);
    QPalette windowPalette = palette();
    windowPalette.setBrush(QPalette::All, QPalette::WindowText, ToolkitColors::lightText());
    setPalette(windowPalette);

    writeLogHeader();
    setConvertedPath(documentsSubfolder(QStringLiteral("Converted")));
    setupTitleButtons();
    createMainMenu();
}

void MainWindow::writeLogHeader() {
    setLogFilePath(getAppDataProductDir() + QStringLiteral("/log.txt"));
    QFile log(getLogFilePath());
    if (!log.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text)) {
        qWarning() << "cannot write the log file" << log.fileName() << log.errorString();
        return;
    }
    QTextStream out(&log);
    out << productTitle() << '\n'
        << "Version: " << getFileProductVersion() << '\n'
        << "System: " << getWindowsVersionText() << '\n';
}

void MainWindow::setupTitleButtons() {
    const struct {
        QRZBaseButton* button;
        const char* image;
    } images[] = {
        {m_btnClose, "/image/btn_close.png"},     {m_btnMin, "/image/btn_min.png"},
        {m_btnMenu, "/image/btn_meun.png"},       {m_btnMax, "/image/btn_max.png"},
        {m_btnRestore, "/image/btn_restore.png"}, {m_btnVideoMode, "/image/btn_video.png"},
        {m_btnAudioMode, "/image/btn_audio.png"}, {m_btnReocrder, "/image/btn_recorder.png"},
        {m_btnHistory, "/image/btn_history.png"}, {m_btnSetting, "/image/btn_setting.png"},
    };
    for (const auto& entry : images) {
        entry.button->setImage(appImage(QString::fromLatin1(entry.image)), true);
    }
    m_btnRestore->hide();
    m_btnVideoMode->setCheckable(true);
    m_btnAudioMode->setCheckable(true);
    connect(m_btnMin, &QAbstractButton::clicked, this, &MainWindow::OnBtnMin);
    connect(m_btnClose, &QAbstractButton::clicked, this, &MainWindow::OnClose);
    connect(m_btnMenu, &QAbstractButton::clicked, this, &MainWindow::OnMenu);
    connect(m_btnVideoMode, &QAbstractButton::clicked, this, &MainWindow::OnBtnVideoMode);
    connect(m_btnAudioMode, &QAbstractButton::clicked, this, &MainWindow::OnBtnAudioMode);
    connect(m_btnReocrder, &QAbstractButton::clicked, this, &MainWindow::OnBtnRecord);
    connect(m_btnHistory, &QAbstractButton::clicked, this, &MainWindow::OnHistoryDlg);
    connect(m_btnSetting, &QAbstractButton::clicked, this, &MainWindow::OnBtnSetting);
}

void MainWindow::setToolTips() {
    m_btnClose->setToolTip(tr("Close"));
    m_btnMenu->setToolTip(tr("Menu"));
    m_btnMin->setToolTip(tr("Minimize"));
    m_btnReocrder->setToolTip(tr("Start recording"));
    m_btnVideoMode->setToolTip(tr("Record video and audio"));
    m_btnAudioMode->setToolTip(tr("Record audio"));
    m_btnHistory->setToolTip(tr("History"));
    m_btnSetting->setToolTip(tr("Options"));
}

void MainWindow::setupUpdater() {
    win_sparkle_init();
    win_sparkle_set_appcast_url(appcastAddress().toUtf8().constData());
    const std::wstring company = QStringLiteral("Calvorine").toStdWString();
    const std::wstring application = productTitle().toStdWString();
    const std::wstring version = getFileProductVersion().toStdWString();
    win_sparkle_set_app_details(company.c_str(), application.c_str(), version.c_str());
}

void MainWindow::initCodecLibrary() {
    startCodecLibrary(getAppDataProductDir());
}

void MainWindow::setupHotkeys() {
    struct Hotkey {
        int actionId;
        const char* settingKey;
        int defaultKey;
        void (MainWindow::*slot)();
    };
    // Registered in this order: start/stop, pause, screenshot, cut.
    const Hotkey hotkeys[] = {
        {StartStopAction, "Stop_shortcut", Qt::Key_F11, &MainWindow::recordStopST},
        {PauseResumeAction, "Pause_shortcut", Qt::Key_F12, &MainWindow::recordPlayAndPauseST},
        {ScreenshotAction, "Screenshot_shortcut", Qt::Key_F9, &MainWindow::recordScreenshotST},
        {CutAction, "Cut_shortcut", Qt::Key_F10, &MainWindow::recordCutST},
    };
    QString texts[4];
    for (int i = 0; i < 4; ++i) {
        texts[i] = readSettingValue(QStringLiteral("SHORTCUT_SET"), QString::fromLatin1(hotkeys[i].settingKey),
                                    storedShortcutText(hotkeys[i].defaultKey, kDefaultModifiers));
    }
    m_acceptDialog = new QAcceptDialog(nullptr);
    QWidget* owner = m_acceptDialog;
    bool allRegistered = true;
    bool defaultsSaved = true;
    for (int i = 0; i < 4; ++i) {
        const Hotkey& hotkey = hotkeys[i];
        int key = hotkey.defaultKey;
        int modifiers = kDefaultModifiers;
        if (!parseShortcutText(texts[i], &key, &modifiers)) {
            defaultsSaved = writeSettingValue(QStringLiteral("SHORTCUT_SET"), QString::fromLatin1(hotkey.settingKey),
                                              storedShortcutText(hotkey.defaultKey, kDefaultModifiers)) &&
                            defaultsSaved;
        }
        auto* shortcut = new QGlobalShortCut(owner);
        shortcut->setActionId(hotkey.actionId);
        shortcut->setDefaultKey(hotkey.defaultKey, kDefaultModifiers);
        shortcut->setKey(key, modifiers);
        QShortCutManager::instance()->addShortcut(shortcut);
        allRegistered = shortcut->registerHotKey() && allRegistered;
        connect(shortcut, &QGlobalShortCut::activated, this, hotkey.slot);
    }
    if (!allRegistered) {
        showHotkeyBalloon(20);
    }
    if (!defaultsSaved) {
        tellNotSavedLater(this, tr("The default hotkeys could not be saved."));
    }
}

// The balloon points at the tray icon, which the tray places only after start-up: wait
// for it a little (tries x 100 ms), then show it wherever the icon is.
void MainWindow::showHotkeyBalloon(int tries) {
    if (m_trayIcon == nullptr) {
        return;
    }
    const QRect icon = m_trayIcon->geometry();
    if (tries > 0 && (!icon.isValid() || icon.topLeft() == QPoint(0, 0))) {
        QTimer::singleShot(100, this, [this, tries] { showHotkeyBalloon(tries - 1); });
        return;
    }
    m_trayIcon->showMessage(tr("Screen Recorder"), tr("Hotkey has been occupied, proposed to replace the hotkey."),
                            QSystemTrayIcon::Information, 10000);
}

void MainWindow::loadAreaSettings() {
    const StoredArea area = parseAreaValue(readSettingValue(
        QStringLiteral("XML_RECORD_AREA"), QStringLiteral("Area_value"), QString::fromLatin1(kDefaultAreaValue)));
    if (!area.wellFormed && !writeSettingValue(QStringLiteral("XML_RECORD_AREA"), QStringLiteral("Area_value"),
                                               QString::fromLatin1(kDefaultAreaValue))) {
        tellNotSavedLater(this, tr("The capture area could not be saved."));
    }
    QRect rect(area.origin, area.size);
    // A screen that became smaller since (or an edited file) would leave it off the screen.
    rect = capturearea::fitOnScreen(rect, capturearea::primaryScreenSize(), capturearea::kMinimumFrameSide,
                                    capturearea::ScreenFit::MoveOrigin);
    QRecordAreaInfo* info = QRecordAreaInfo::instance();
    info->setAreaOrigin(rect.x(), rect.y());
    info->setAreaSize(rect.width(), rect.height());
    info->setPreviousOrigin(rect.x(), rect.y());
    info->setPreviousSize(rect.width(), rect.height());
    info->setKeepRatio(readSettingValue(QStringLiteral("XML_KEEP_SCALE"), QStringLiteral("KEEP_SCALE"),
                                        QStringLiteral("N")) != QLatin1String("N"));
    m_showToolbarNotice = readSettingValue(QStringLiteral("OTOOL_MSG"), QStringLiteral("Hide_otool_msg"),
                                           QStringLiteral("Y")) == QLatin1String("Y");
}

bool MainWindow::saveAreaSettings() {
    QRecordAreaInfo* info = QRecordAreaInfo::instance();
    const bool area = writeSettingValue(QStringLiteral("XML_RECORD_AREA"), QStringLiteral("Area_value"),
                                        areaValueText(info->areaOrigin(), info->areaSize()));
    const bool ratio = writeSettingValue(QStringLiteral("XML_KEEP_SCALE"), QStringLiteral("KEEP_SCALE"),
                                         info->isKeepRatio() ? QStringLiteral("Y") : QStringLiteral("N"));
    return area && ratio;
}

void MainWindow::createPanels() {
    const int h = height();
    m_areaPanel = new SelectRecordAreaWgt(this);
    m_areaPanel->setGeometry(QRect(QPoint(8, 38), QPoint(277, h - 9)));
    m_areaPanel->setEditsEnabled(m_areaMode);
    if (!m_areaMode) {
        m_areaPanel->setSizeFields(0, 0);
    }
    connect(m_areaPanel, &SelectRecordAreaWgt::emitAreaChange, this, &MainWindow::AreaRectChange);
    connect(m_areaPanel, &SelectRecordAreaWgt::emitKeepScaleChange, this, &MainWindow::KeepScaleChange);
    connect(m_areaPanel, &SelectRecordAreaWgt::emitOnShowAreaDlg, this, &MainWindow::OnShowAraeRecordDlg);
    connect(m_areaPanel, &SelectRecordAreaWgt::emitShowPointAreaDlg, this, &MainWindow::ShowPointAreaDlg);
    m_inputPanel = new SelectRecordInputWgt(this);
    m_inputPanel->setGeometry(QRect(QPoint(280, 38), QPoint(519, h - 9)));
    m_options = new QOptionsMainDlg(this);
    m_options->move(8, kNormalHeight);
    m_options->hide();
    QBasicOptions* basic = m_options->basicOptions();
    connect(basic, &QBasicOptions::emitShortcutEnable, this, &MainWindow::shortcutEnable);
    connect(basic, &QBasicOptions::emitOnFormat, this, &MainWindow::OnFormatDlg);
    connect(basic, &QBasicOptions::emitResetFormat, this, &MainWindow::OnResetFormat);
    connect(this, &MainWindow::emitFormatChange, basic, &QBasicOptions::OnFormatChange);
    const QString screenshotFolder =
        readSettingValue(QStringLiteral("Screenshot_path"), QStringLiteral("Screenshot_path_value"),
                         documentsSubfolder(QStringLiteral("Screenshots")));
    if (!saveScreenshotFolder(screenshotFolder)) {
        tellNotSavedLater(this, tr("The screenshot folder could not be saved."));
    }
    initFormatNameGlobals();
    centerWidget(QFormatDlg::getInstance(nullptr));
    resetFormat();
}

void MainWindow::createLevelPreviews() {
    if (m_systemPreview == nullptr) {
        m_systemPreview = new QRecordAudioObject(QRecordAudioObject::SystemSound, this);
        m_microphonePreview = new QRecordAudioObject(QRecordAudioObject::Microphone, this);
        connect(m_systemPreview, &QRecordAudioObject::emitVolume, m_inputPanel,
                &SelectRecordInputWgt::systemAudioVolume);
        connect(m_microphonePreview, &QRecordAudioObject::emitVolume, m_inputPanel,
                &SelectRecordInputWgt::MicrophoneAudioVolume);
        connect(m_inputPanel, &SelectRecordInputWgt::emitMicDeviceChange, m_microphonePreview,
                &QRecordAudioObject::resetRecorder);
        m_systemPreview->setLevelMeterEnabled(true);
        m_microphonePreview->setLevelMeterEnabled(true);
    }
    restartLevelPreviews();
}

void MainWindow::restartLevelPreviews() {
    m_systemPreview->start();
    if (QRecordAreaInfo::instance()->isDevicePresent(QRecordAreaInfo::Microphone)) {
        m_microphonePreview->start();
    } else {
        m_microphonePreview->stop();
    }
    m_inputPanel->setDeviceRefresh(true);
}

void MainWindow::stopLevelPreviews() {
    if (m_systemPreview != nullptr) {
        m_systemPreview->stop();
        m_microphonePreview->stop();
    }
    if (m_inputPanel != nullptr) {
        m_inputPanel->setDeviceRefresh(false);
    }
}

void MainWindow::makeModeCurrent() {
    g_currentFormat = m_videoMode ? g_storedVideoFormat : g_storedAudioFormat;
    emit emitFormatChange(m_videoMode);
}

// ---- layout and painting

void MainWindow::relayout() {
    layoutTitleBar();
}

void MainWindow::layoutTitleBar() {
    if (m_btnClose == nullptr) {
        return;
    }
    const int W = width();
    for (QRZBaseButton* button :
         {m_btnClose, m_btnMenu, m_btnHistory, m_btnSetting, m_btnVideoMode, m_btnReocrder, m_btnAudioMode, m_btnMax}) {
        button->setHidden(m_recording);
    }
    if (m_recording || m_scheduleView) {
        m_btnMin->move(W - 28, 8);
        if (m_scheduleView) {
            m_btnClose->hide();
            m_btnMenu->hide();
            m_btnMax->hide();
        }
        return;
    }
    m_btnClose->move(W - 33, 8);
    m_btnMin->move(W - 58, 8);
    m_btnMenu->move(W - 83, 8);
    m_btnMax->hide();
    m_btnVideoMode->move(547, (114 - m_btnVideoMode->height()) / 2 + 47);
    m_btnReocrder->move((114 - m_btnReocrder->width()) / 2 + 547, (114 - m_btnReocrder->height()) / 2 + 47);
    m_btnAudioMode->move(661 - m_btnAudioMode->width(), m_btnVideoMode->y());
    m_btnHistory->move(W - m_btnHistory->width() - 11, 41);
    m_btnSetting->move(m_btnHistory->x(), 140);
}

void MainWindow::paintEvent(QPaintEvent* event) {
    QWidget::paintEvent(event);
    paintBackground(event);
    if (m_recording && !m_optionsOpen) {
        return;
    }
    QPainter painter(this);
    QPen pen(QColor(67, 63, 63), 1, Qt::SolidLine, Qt::SquareCap, Qt::BevelJoin);
    painter.setPen(pen);
    if (!m_recording && !m_scheduleView) {
        painter.drawLine(279, 51, 279, 155);
        painter.drawLine(520, 51, 520, 155);
        painter.drawImage(547, 47, QImage(appImage(QStringLiteral("/image/bg_record.png"))));
    }
    if (m_optionsOpen) {
        painter.drawLine(33, 175, width() - 33, 175);
    }
}

void MainWindow::showEvent(QShowEvent* event) {
    QRZMainWindow::showEvent(event);
    if (QRecordAreaInfo::instance()->isStayOnTop()) {
        // The window manager forgets the state when the window is hidden; the window is
        // mapped once this event has returned.
        QTimer::singleShot(0, this, [this] {
            if (QRecordAreaInfo::instance()->isStayOnTop()) {
                setWindowKeptAbove(this, true);
            }
        });
    }
    if (m_scheduleView || !m_areaMode || !m_videoMode) {
        return;
    }
    if (m_shade != nullptr) {
        m_shade->setHidden(m_recording);
        // Shown again, this window is framed anew above the shade's place: back under it.
        m_shade->keepBelow(this);
    }
    if (m_areaFrame != nullptr) {
        m_areaFrame->show();
    }
}

void MainWindow::hideEvent(QHideEvent* event) {
    QRZMainWindow::hideEvent(event);
    if (m_scheduleView || !m_areaMode || !m_videoMode) {
        return;
    }
    if (m_shade != nullptr) {
        m_shade->hide();
    }
    if (m_areaFrame != nullptr) {
        m_areaFrame->setVisible(m_recording);
    }
}

void MainWindow::copyStayOnTop(QWidget* dialog) const {
    if (dialog != nullptr && isWindowKeptAbove(this)) {
        dialog->setWindowFlags(dialog->windowFlags() | Qt::WindowStaysOnTopHint);
    }
}

// ---- title-bar slots

void MainWindow::OnBtnMin() {
    showMinimized();
}

void MainWindow::OnShowDlg() {
    if (isMinimized()) {
        showNormal();
    }
    show();
}

void MainWindow::bringBack() {
    if (isMinimized() || isHidden()) {
        showNormal();
    }
    raise();
    activateWindow();
}

void MainWindow::DestroyAnimtion() {
    if (QObject* animation = sender()) {
        animation->deleteLater();
    }
}

void MainWindow::ShowRecorerStatusToolbar(int, int) {}

void MainWindow::LangugeChangeSet(bool) {}

void MainWindow::setAutoUpdate(bool on) {
    setAutoUpdateCheck(on);
}

void MainWindow::shortcutEnable(bool enabled) {
    m_hotkeysEnabled = enabled;
}

void MainWindow::HideToolbar() {
    hide();
}

void MainWindow::SetOutPath(QString folder) {
    m_options->basicOptions()->setOutputFolder(folder);
}

void MainWindow::SetScreenshotPath(QString folder) {
    if (!saveScreenshotFolder(folder)) {
        tellNotSaved(this, tr("The screenshot folder could not be saved."));
    }
}

// Takes the folder for screenshots and stores it unless the settings hold it already.
// False when it could not be stored.
bool MainWindow::saveScreenshotFolder(const QString& folder) {
    setScreenshotPath(folder);
    const QString section = QStringLiteral("Screenshot_path");
    const QString key = QStringLiteral("Screenshot_path_value");
    return readSettingValue(section, key, QString()) == folder || writeSettingValue(section, key, folder);
}

void MainWindow::OnUpdate() {
    const QRect old = geometry();
    hide();
    setGeometry(old.adjusted(0, 0, 1, 1));
    setGeometry(old);
    show();
    if (auto* timer = qobject_cast<QTimer*>(sender())) {
        timer->stop();
        timer->deleteLater();
    }
}

void MainWindow::checkInstallDevice() {
    if (auto* timer = qobject_cast<QTimer*>(sender())) {
        timer->stop();
        timer->deleteLater();
    }
}

// ---- modes and area mode

void MainWindow::OnBtnVideoMode() {
    if (m_videoMode) {
        return;
    }
    applyMode(true);
    if (m_areaMode) {
        setAreaMode(true);
    }
}

void MainWindow::OnBtnAudioMode() {
    if (!m_videoMode) {
        return;
    }
    applyMode(false);
    setAreaMode(false);
}

// The mode's format becomes current; the mode's button shows checked and disabled.
void MainWindow::applyMode(bool video) {
    m_videoMode = video;
    makeModeCurrent();
    m_btnVideoMode->setChecked(video);
    m_btnVideoMode->setEnabled(!video);
    m_btnAudioMode->setChecked(!video);
    m_btnAudioMode->setEnabled(video);
    m_areaPanel->setEnabled(video);
}

void MainWindow::setAreaMode(bool on) {
    QRecordAreaInfo* info = QRecordAreaInfo::instance();
    if (m_areaFrame == nullptr) {
        m_shade = new QTransparentWidget(nullptr);
        m_shade->keepBelow(this);
        m_areaFrame = new QRecordCropDlg(nullptr);
        m_areaFrame->setHintImage(appImage(QStringLiteral("/image/bg_arrow.png")));
        m_areaFrame->setFrameRect(info->areaOrigin().x(), info->areaOrigin().y(), info->areaSize().width(),
                                  info->areaSize().height());
        m_areaFrame->setKeepRatio(info->isKeepRatio());
        m_areaFrame->setFrameColor(QColor(253, 94, 105));
        connect(m_areaFrame, &QRecordCropDlg::emitRecordRect, this, &MainWindow::recordDlgToArea);
        connect(m_areaFrame, &QRecordCropDlg::emitSelectAreaRect, this, &MainWindow::SelectAreaRect);
    }
    m_areaPanel->setEditsEnabled(on);
    if (on) {
        m_areaPanel->setSizeFields(info->areaSize().width(), info->areaSize().height());
        // The area itself is not dimmed, however area mode was entered.
        const QRect area(info->areaOrigin(), info->areaSize());
        m_shade->setClearRect(area.left(), area.top(), area.right(), area.bottom());
    } else {
        m_areaPanel->setSizeFields(0, 0);
    }
    m_shade->setVisible(on);
    m_areaFrame->setVisible(on);
    setWindowKeptAbove(this, on);
    info->setStayOnTop(on);
}

void MainWindow::OnShowAraeRecordDlg() {
    if (!m_videoMode) {
        return;
    }
    m_areaMode = !m_areaMode;
    setAreaMode(m_areaMode);
}

void MainWindow::ShowPointAreaDlg() {
    const bool areaModeWas = m_areaMode;
    setAreaMode(false);
    m_areaMode = areaModeWas;
    if (m_shade != nullptr) {
        const QSize screen = QGuiApplication::primaryScreen()->size();
        m_shade->setClearRect(0, 0, screen.width() - 1, screen.height() - 1);
    }
    hide();
    m_areaFrame->show();
    m_areaFrame->setPickMode(true);
}

void MainWindow::SelectAreaRect(QRect rect) {
    m_areaFrame->hide();
    m_areaFrame->setFrameRect(rect.left(), rect.top(), rect.right() - rect.left() + 1, rect.bottom() - rect.top() + 1);
    m_areaFrame->setKeepRatio(QRecordAreaInfo::instance()->isKeepRatio());
    // What the frame shows: a pick of nothing (the bare desktop) or of less than the
    // frame's least side has become the frame's own rectangle, and that is recorded.
    recordDlgToArea(m_areaFrame->frameRect());
    m_areaMode = true;
    setAreaMode(true);
    show();
}

void MainWindow::recordDlgToArea(QRect rect) {
    const int w = rect.right() - rect.left() + 1;
    const int h = rect.bottom() - rect.top() + 1;
    if (m_areaMode) {
        m_areaPanel->setSizeFields(w, h);
    }
    if (m_shade != nullptr) {
        m_shade->setClearRect(rect.left(), rect.top(), rect.right(), rect.bottom());
    }
    QRecordAreaInfo::instance()->setAreaOrigin(rect.left(), rect.top());
    QRecordAreaInfo::instance()->setAreaSize(w, h);
}

void MainWindow::AreaRectChange() {
    if (m_videoMode && !m_areaMode) {
        m_areaMode = true;
        setAreaMode(true);
    }
    QRecordAreaInfo* info = QRecordAreaInfo::instance();
    const QPoint origin = info->areaOrigin();
    const QSize size = info->areaSize();
    if (m_areaFrame != nullptr) {
        m_areaFrame->setFrameRect(origin.x(), origin.y(), size.width(), size.height());
    }
    if (m_shade != nullptr) {
        m_shade->clearRectChange(QRect(origin, size));
    }
}

void MainWindow::KeepScaleChange(bool keep) {
    if (m_areaFrame != nullptr) {
        m_areaFrame->setKeepRatio(keep);
    }
}

// ---- options panel

void MainWindow::OnBtnSetting() {
    showOptionsPanel(!m_optionsOpen, true);
}

void MainWindow::showOptionsPanel(bool show, bool animate) {
    m_optionsOpen = show;
    const int W = width();
    const QRect openPanel(QPoint(9, kNormalHeight), QPoint(W - 10, kOptionsPanelBottom));
    const QRect closedPanel(QPoint(9, kNormalHeight), QPoint(W - 10, kNormalHeight));
    if (!animate) {
        m_options->setHidden(!show);
        m_options->setGeometry(openPanel);
        resize(W, show ? kOptionsOpenHeight : kNormalHeight);
        update();
        return;
    }
    const QRect shortWindow(geometry().topLeft(), QSize(W, kNormalHeight));
    // Grown downward from where it stands, or from as high as the screen needs.
    const QSize tallSize(W, kOptionsOpenHeight);
    const QRect tallWindow(geometry().topLeft() + (onScreenPosition(tallSize) - pos()), tallSize);
    auto* windowAnimation = new QPropertyAnimation(this, "geometry");
    windowAnimation->setDuration(150);
    windowAnimation->setStartValue(show ? shortWindow : tallWindow);
    windowAnimation->setEndValue(show ? tallWindow : shortWindow);
    connect(windowAnimation, &QPropertyAnimation::finished, this, &MainWindow::DestroyAnimtion);
    auto* panelAnimation = new QPropertyAnimation(m_options, "geometry");
    panelAnimation->setDuration(150);
    panelAnimation->setStartValue(show ? closedPanel : openPanel);
    panelAnimation->setEndValue(show ? openPanel : closedPanel);
    connect(panelAnimation, &QPropertyAnimation::finished, this, &MainWindow::DestroyAnimtion);
    if (show) {
        m_options->show();
    } else {
        connect(panelAnimation, &QPropertyAnimation::finished, m_options, &QWidget::hide);
    }
    panelAnimation->start();
    windowAnimation->start();
    update();
}

// ---- history and format chooser

void MainWindow::OnHistoryDlg() {
    ShowHistoryDlg(2);
}

void MainWindow::ShowHistoryDlg() {
    ShowHistoryDlg(2);
}

void MainWindow::ShowHistoryDlg(int tab) {
    QHistoryDlg dialog(nullptr);
    centerWidget(&dialog);
    dialog.selectTab(tab);
    copyStayOnTop(&dialog);
    stopLevelPreviews();
    dialog.exec();
    restartLevelPreviews();
}

void MainWindow::OnFormatDlg() {
    QFormatDlg::releaseInstance();
    QFormatDlg* chooser = QFormatDlg::getInstance(nullptr);
    copyStayOnTop(chooser);
    centerWidget(chooser);
    chooser->loadDefaultFormat(m_videoMode);
    chooser->exec();
    makeModeCurrent();
}

void MainWindow::OnResetFormat() {
    QFormatDlg::releaseInstance();
    centerWidget(QFormatDlg::getInstance(nullptr));
    const bool saved = saveDefaultFormat();
    makeModeCurrent();
    if (!saved) {
        tellNotSaved(this, tr("The default format could not be saved."));
    }
}

// ---- close path

void MainWindow::OnClose() {
    if (readSettingValue(QStringLiteral("REMIND_ITEM"), QStringLiteral("isShowRemind"), QStringLiteral("Y")) ==
        QLatin1String("Y")) {
        QShowCloseDlg dialog(this);
        copyStayOnTop(&dialog);
        centerWidget(&dialog);
        if (dialog.exec() != QDialog::Accepted) {
            return;
        }
        bool saved = true;
        if (dialog.isNoteChecked()) {
            saved =
                writeSettingValue(QStringLiteral("REMIND_ITEM"), QStringLiteral("isShowRemind"), QStringLiteral("N"));
        }
        const bool exit = dialog.isExitChecked();
        saved = writeSettingValue(QStringLiteral("CLOSE_ITEM"), QStringLiteral("bIsCloseDlg"),
                                  exit ? QStringLiteral("Y") : QStringLiteral("N")) &&
                saved;
        if (!saved) {
            tellNotSaved(this, tr("Your choice for closing could not be saved."));
        }
        if (exit) {
            quitApplication();
        } else {
            hideToTray();
        }
        return;
    }
    if (readSettingValue(QStringLiteral("CLOSE_ITEM"), QStringLiteral("bIsCloseDlg"), QStringLiteral("Y")) ==
        QLatin1String("Y")) {
        quitApplication();
    } else {
        hideToTray();
    }
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (!event->spontaneous()) {
        QRZMainWindow::closeEvent(event);
        return;
    }
    event->ignore();
    // Answered after the window manager's event is done.
    QTimer::singleShot(0, this, &MainWindow::closeRequested);
}

void MainWindow::closeRequested() {
    if (QApplication::activeModalWidget() == nullptr) {
        OnClose();
    }
}

void MainWindow::hideToTray() {
    // Without a notification area the hidden window could not be reached again.
    if (QSystemTrayIcon::isSystemTrayAvailable()) {
        hide();
    } else {
        showMinimized();
    }
}

void MainWindow::saveBeforeExit(bool tellInBoxes) {
    // The boxes below run event loops: no countdown, schedule or hotkey may start a
    // recording from them any more.
    m_exiting = true;
    abandonStart();
    QStringList failures;
    if (m_recording) {
        m_recording = false;
        if (!stopRecorder()) {
            failures << tr("Recording failed!") + outputFolderNote() + keptRecordingNote();
        }
        if (!m_unlistedRecordings.isEmpty()) {
            failures << unlistedRecordingsText();
        }
    }
    if (m_inputPanel != nullptr && !m_inputPanel->storeSourceChoiceAtExit()) {
        failures << tr("Your choice of sound sources could not be saved.");
    }
    for (const QString& failure : failures) {
        qWarning().noquote() << "exit--------------------------" + failure;
        if (tellInBoxes) {
            tellNotSaved(this, failure);
        }
    }
}

void MainWindow::quitApplication() {
    if (!saveAreaSettings()) {
        tellNotSaved(this, tr("The capture area could not be saved."));
    }
    fadeOutAndClose(this);
    QShortCutManager::instance()->clear();
}
