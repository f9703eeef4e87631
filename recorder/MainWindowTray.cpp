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

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QDesktopServices>
#include <QIcon>
#include <QMenu>
#include <QUrl>

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
    connect(m_actShowWindow, &QAction::triggered, this, &QWidget::show);
    // Straight out: no area saved, no fade.
    connect(m_actQuit, &QAction::triggered, qApp, &QCoreApplication::quit);
    m_trayIcon->setVisible(true);
    connect(m_trayIcon, &QSystemTrayIcon::activated, this, &MainWindow::iconActivated);
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
