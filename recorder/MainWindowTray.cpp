// The main window's tray icon with its normal and recording menus, the title bar's main
// menu and the menu actions (home, help, updates, log, about, preferences).
#include "recorder/MainWindow.h"

#include "app/AppGlobals.h"
#include "app/QShortCutManager.h"
#include "platform/updater/updater.h"
#include "recorder/MainWindowParts.h"
#include "recorder/MainWindowRules.h"
#include "toolkit/QRZMenu.h"
#include "toolkit/StyleHelpers.h"

#include <QAbstractNativeEventFilter>
#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QDesktopServices>
#include <QIcon>
#include <QMenu>
#include <QUrl>
#include <QWindow>

#include <functional>

namespace {

// Whether a box or dialog is up that keeps the clicks from every other window of the
// program.
bool applicationModalWindowShown() {
    for (const QWindow* window : QGuiApplication::topLevelWindows()) {
        if (window->isVisible() && window->modality() == Qt::ApplicationModal) {
            return true;
        }
    }
    return false;
}

// The tray icon stands for the program in the notification area, not as one of its
// windows: a box or dialog of the program does not make it deaf. On X11 the toolkit
// draws the icon in a window of its own, and while an application-modal window is up
// it drops the clicks on it; they are taken here before that and answered as the icon
// answers them.
class TrayClicksUnderBoxes : public QAbstractNativeEventFilter {
public:
    TrayClicksUnderBoxes(QSystemTrayIcon* icon, std::function<void(QSystemTrayIcon::ActivationReason)> activated)
        : m_icon(icon), m_activated(std::move(activated)) {}

    bool nativeEventFilter(const QByteArray& eventType, void* message, long*) override {
        uint32_t window = 0;
        int button = 0;
        if (eventType != "xcb_generic_event_t" ||
            !calvorine::platform::readButtonPress(QX11Info::connection(), message, &window, &button) ||
            !isIconWindow(window) || !applicationModalWindowShown()) {
            return false;
        }
        if (button == 3) {
            if (QMenu* menu = m_icon->contextMenu()) {
                menu->popup(QCursor::pos());
            }
            m_activated(QSystemTrayIcon::Context);
        } else if (button == 1) {
            m_activated(QSystemTrayIcon::Trigger);
        }
        return true;
    }

private:
    // The toolkit's own window for the icon, found by its object name.
    bool isIconWindow(uint32_t window) const {
        if (!m_icon->isVisible()) {
            return false;
        }
        for (const QWidget* widget : QApplication::topLevelWidgets()) {
            if (widget->objectName() == QLatin1String("QSystemTrayIconSys") && widget->internalWinId() == window) {
                return true;
            }
        }
        return false;
    }

    QSystemTrayIcon* m_icon;
    std::function<void(QSystemTrayIcon::ActivationReason)> m_activated;
};

} // namespace

void MainWindow::createTrayIcon() {
    m_trayIcon = new QSystemTrayIcon(QIcon(getAppDirPath() + QStringLiteral("/image/common/no_title_logo.png")), this);
    m_trayIcon->setToolTip(productTitle());
    m_actHidden = new QAction(tr("Hidden (&H)"), this);
    m_actShowWindow = new QAction(tr("Show Window (&S)"), this);
    m_actQuit = new QAction(tr("Quit (&Q)"), this);
    m_trayMenu = new QMenu(this);
    m_trayMenu->addAction(m_actHidden);
    m_trayMenu->addAction(m_actShowWindow);
    m_trayMenu->addSeparator();
    m_trayMenu->addAction(m_actQuit);
    m_trayIcon->setContextMenu(m_trayMenu);
    connect(m_actHidden, &QAction::triggered, this, &QWidget::hide);
    // A minimised window comes back too, as a click on the icon brings it.
    connect(m_actShowWindow, &QAction::triggered, this, &QWidget::showNormal);
    // Straight out: no area saved, no fade.
    connect(m_actQuit, &QAction::triggered, qApp, &QCoreApplication::quit);
    m_trayIcon->setVisible(true);
    connect(m_trayIcon, &QSystemTrayIcon::activated, this, &MainWindow::iconActivated);
    m_trayUnderBoxes = new TrayClicksUnderBoxes(
        m_trayIcon, [this](QSystemTrayIcon::ActivationReason reason) { iconActivated(reason); });
    qApp->installNativeEventFilter(m_trayUnderBoxes);
}

void MainWindow::removeTrayClickFilter() {
    if (m_trayUnderBoxes != nullptr) {
        qApp->removeNativeEventFilter(m_trayUnderBoxes);
        delete m_trayUnderBoxes;
        m_trayUnderBoxes = nullptr;
    }
}

void MainWindow::iconActivated(QSystemTrayIcon::ActivationReason reason) {
    if (m_restoreOnTrayClick && (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)) {
        showNormal();
    }
}

void MainWindow::createMainMenu() {
    m_actHome = new QAction(tr("Home"), this);
    m_actHelp = new QAction(tr("Help"), this);
    m_actAbout = new QAction(tr("About"), this);
    m_actPreferences = new QAction(tr("Preferences"), this);
    m_actUpdates = new QAction(tr("Check for Updates"), this);
    m_mainMenu = new QRZMenu(this);
    styleMenu(m_mainMenu);
    m_mainMenu->addAction(m_actPreferences);
    m_mainMenu->addSeparator();
    m_mainMenu->addAction(m_actHome);
    m_mainMenu->addAction(m_actHelp);
    m_mainMenu->addAction(m_actUpdates);
    m_mainMenu->addSeparator();
    m_mainMenu->addAction(m_actAbout);
    m_mainMenu->setAutoFillBackground(true);
    connect(m_actHome, &QAction::triggered, this, &MainWindow::ActOnHome);
    connect(m_actHelp, &QAction::triggered, this, &MainWindow::ActOnHelp);
    connect(m_actAbout, &QAction::triggered, this, &MainWindow::ActOnAbout);
    connect(m_actPreferences, &QAction::triggered, this, &MainWindow::ActOnPreferDlg);
    connect(m_actUpdates, &QAction::triggered, this, &MainWindow::ActOnUpdates);
}

void MainWindow::OnMenu() {
    m_mainMenu->popup(QCursor::pos() - QPoint(50, 0));
}

void MainWindow::refreshTrayMenu() {
    if (m_trayIcon == nullptr) {
        return;
    }
    if (m_recording) {
        updateRecordingMenu();
        m_trayIcon->setContextMenu(m_recordingMenu);
    } else {
        m_trayIcon->setContextMenu(m_trayMenu);
    }
}

void MainWindow::updateRecordingMenu() {
    if (m_recordingMenu == nullptr) {
        m_recordingMenu = new QMenu(this);
        m_actShowToolbar = new QAction(tr("Show Recording Toolbar"), this);
        m_actPauseResume = new QAction(pauseMenuLabel(false, QString()), this);
        m_actStop = new QAction(stopMenuLabel(QString()), this);
        m_actCancel = new QAction(tr("Cancel"), this);
        m_recordingMenu->addAction(m_actShowToolbar);
        m_recordingMenu->addAction(m_actPauseResume);
        m_recordingMenu->addAction(m_actStop);
        m_recordingMenu->addAction(m_actCancel);
        connect(m_actShowToolbar, &QAction::triggered, this, &MainWindow::OnShowDlg);
        connect(m_actPauseResume, &QAction::triggered, this, &MainWindow::ArcTaryPause);
        connect(m_actStop, &QAction::triggered, this, &MainWindow::requestStop);
    }
    const QGlobalShortCut* pause = QShortCutManager::instance()->findShortcut(PauseResumeAction);
    const QGlobalShortCut* stop = QShortCutManager::instance()->findShortcut(StartStopAction);
    m_actPauseResume->setText(pauseMenuLabel(m_paused, pause != nullptr ? pause->keyText() : QString()));
    m_actStop->setText(stopMenuLabel(stop != nullptr ? stop->keyText() : QString()));
}

void MainWindow::HideRecorerDlg() {
    if (m_recordingMenu != nullptr) {
        m_recordingMenu->hide();
    }
}

void MainWindow::ActOnHome() {
    QDesktopServices::openUrl(QUrl(homeAddress()));
}

void MainWindow::ActOnHelp() {
    QDesktopServices::openUrl(QUrl(helpAddress()));
}

void MainWindow::ActOnUpdates() {
    win_sparkle_check_update_with_ui();
}

void MainWindow::ActShowLog() {
    openFolderOfFile(getLogFilePath().toUtf8().toStdString());
}

void MainWindow::ActOnAbout() {
    QAboutDlg about(this);
    copyStayOnTop(&about);
    centerWidget(&about);
    about.exec();
}

void MainWindow::ActOnPreferDlg() {
    QPreferencesDlg preferences(this);
    copyStayOnTop(&preferences);
    connect(&preferences, &QPreferencesDlg::emitAutoUpdate, this, &MainWindow::setAutoUpdate);
    connect(&preferences, &QPreferencesDlg::emitLangugeChangeSet, this, &MainWindow::LangugeChangeSet);
    centerWidget(&preferences);
    preferences.exec();
    SetOutPath(getOutputPath());
    SetScreenshotPath(getScreenshotPath());
}
