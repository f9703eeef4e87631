// The recorder's one top-level window: title-bar buttons, video/audio mode, record, the
// capture-area, audio-input and options panels, the area shade and frame, the idle level
// previews, recording control (countdown, compact recording panel with its toolbar,
// schedule view, time limits, hotkeys, screenshots, cut), the tray icon with its menus,
// the main menu, the updater and the close path.
//
// Created by start-up and alive until the process ends; owns everything it creates. The
// recorder's signals, the previews' level reports and the hotkeys all arrive on the GUI
// thread; nothing here is called from another thread.
#pragma once

#include "toolkit/QRZMainWindow.h"

#include <QPoint>
#include <QPointer>
#include <QStringList>
#include <QSystemTrayIcon>

#include <cstdint>

class QAbstractNativeEventFilter;
class QAcceptDialog;
class QAction;
class QMenu;
class QOptionsMainDlg;
class QRecordAudioObject;
class QRecordCropDlg;
class QRecordObject;
class QRecordingToolbarWgt;
class QRZBaseButton;
class QRZMenu;
class QReciprocalDlg;
class QRecorderMessage;
class QScheduleWgt;
class QTransparentWidget;
class SelectRecordAreaWgt;
class SelectRecordInputWgt;

class MainWindow : public QRZMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    // Shows the window however it was put away (minimised, covered, hidden in the tray),
    // as a later start of the program asks.
    void bringBack();

    // What tests and the journey look at.
    bool isRecording() const { return m_recording; }
    bool isPaused() const { return m_paused; }
    bool isVideoMode() const { return m_videoMode; }
    QSystemTrayIcon* trayIcon() const { return m_trayIcon; }

    // Called once the event loop has ended, before the window goes: stops a running
    // recording (its file is finished and added to the history) and stores the sound
    // source choice. What fails is told in message boxes when `tellInBoxes`, else logged.
    void saveBeforeExit(bool tellInBoxes);

signals:
    void emitFormatChange(bool videoMode);

public slots:
    void OnBtnMin();
    void OnShowDlg();
    void OnClose();
    void iconActivated(QSystemTrayIcon::ActivationReason reason);
    void OnMenu();
    void ActOnHome();
    void ActOnHelp();
    void ActOnAbout();
    void ActOnPreferDlg();
    void ActOnUpdates();
    void ActShowLog();
    void OnHistoryDlg();
    void ShowHistoryDlg(int tab);
    void ShowHistoryDlg();
    void OnBtnVideoMode();
    void OnBtnAudioMode();
    void OnBtnSetting();
    void OnBtnRecord();
    void StartRecord(bool countdown);
    void StartRecord();
    void ContinueRecord();
    void PauseRecord();
    void StopRecord();
    void cutRecord();
    void FinishRecordPreview();
    void KeepScaleChange(bool keep);
    void ShowPointAreaDlg();
    void SelectAreaRect(QRect rect);
    void AreaRectChange();
    void recordDlgToArea(QRect rect);
    void OnShowAraeRecordDlg();
    void DestroyAnimtion();
    void ShowRecorerStatusToolbar(int, int);
    void HideRecorerDlg();
    void OnFormatDlg();
    void OnResetFormat();
    void setAutoUpdate(bool on);
    void LangugeChangeSet(bool);
    void recordPlayAndPauseST();
    void recordStopST();
    void recordScreenshotST();
    void recordCutST();
    void SetOutPath(QString folder);
    void SetScreenshotPath(QString folder);
    void shortcutEnable(bool enabled);
    void HideToolbar();
    void ArcTaryPause();
    void RecordTimeOperate(uint64_t elapsedUs);
    void setAudioData(unsigned char* block, int samples);
    void StopSchedule();
    void endSchedule();
    void OnUpdate();
    void checkInstallDevice();

private slots:
    // The recorder gave up on a running recording (its file could not be written).
    void recordingFailed();
    void recorderFailed(const QString& reason);
    void screenshotFailed(const QString& path);
    // The recording's sound stopped or came again (a QRecordAudioObject::CaptureChange).
    void soundChanged(int change, int sources);
    // The countdown has run out: the start goes on.
    void countdownEnded();

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    // A close request of the window manager (Alt+F4, a task bar's close) goes the way of
    // the title bar's close button; only the quit path closes the window itself.
    void closeEvent(QCloseEvent* event) override;
    void relayout() override;

private:
    // The window manager's close, as the close button; a request while the close question
    // (or another box) is open is that same request.
    void closeRequested();
    // Construction steps.
    void setupUi();
    void setupWindowLook();
    void writeLogHeader();
    void setupTitleButtons();
    void createMainMenu();
    void createTrayIcon();
    void removeTrayClickFilter();
    void setToolTips();
    void setupUpdater();
    void initCodecLibrary();
    void tellWhenNothingElseSpeaks(const QString& text, int type);
    void setupHotkeys();
    void showHotkeyBalloon(int tries);
    void loadAreaSettings();
    bool saveAreaSettings();
    bool saveScreenshotFolder(const QString& folder);
    void createPanels();
    void createLevelPreviews();
    void restartLevelPreviews();
    void stopLevelPreviews();
    void setAreaMode(bool on);
    void showOptionsPanel(bool show, bool animate);
    void copyStayOnTop(QWidget* dialog) const;
    void layoutTitleBar();
    void makeModeCurrent();
    void applyMode(bool video);

    // Recording control.
    void setPaused(bool paused);
    void showPausedState(bool paused);
    void setRecordingLook(bool on);
    void setScheduleLook(bool on);
    void leaveScheduleLook();
    void setNormalLookImages();
    void setCompactLookImages();
    void runCountdown();
    void continueStart();
    void finishStart();
    void abandonStart();
    void showToolbarNotice();
    void toolbarNoticeAnswered(QRecorderMessage* notice);
    bool isRecordingControlBusy() const;
    bool isPickingArea() const;
    void stopSoon();
    bool placeBesideArea();
    bool toolbarFitsBesideArea() const;
    QString makeRecordFileName() const;
    QString recordFolder() const;
    bool startRecorder();
    bool stopRecorder(bool forCut = false);
    // The recording engine, made (and connected) on first use.
    QRecordObject* recordEngine();
    void finishRecording(bool showHistory);
    void showRecordingFailed();
    void tellUnlistedRecordings();
    QString unlistedRecordingsText();
    QString keptRecordingNote() const;
    QString outputFolderNote() const;
    void refreshTrayMenu();
    void updateRecordingMenu();
    void requestStop();
    void quitApplication();
    void hideToTray();

    QRZBaseButton* m_btnClose = nullptr;
    QRZBaseButton* m_btnMenu = nullptr;
    QRZBaseButton* m_btnMin = nullptr;
    QRZBaseButton* m_btnReocrder = nullptr;
    QRZBaseButton* m_btnVideoMode = nullptr;
    QRZBaseButton* m_btnAudioMode = nullptr;
    QRZBaseButton* m_btnHistory = nullptr;
    QRZBaseButton* m_btnSetting = nullptr;
    QRZBaseButton* m_btnMax = nullptr;
    QRZBaseButton* m_btnRestore = nullptr;

    QRZMenu* m_mainMenu = nullptr;
    QAction* m_actHome = nullptr;
    QAction* m_actHelp = nullptr;
    QAction* m_actAbout = nullptr;
    QAction* m_actPreferences = nullptr;
    QAction* m_actUpdates = nullptr;

    bool m_startUnderWay = false; // the toolbar notice or the countdown is up
    bool m_countdownWanted = false;
    bool m_countdownRunning = false;
    QPointer<QReciprocalDlg> m_countdown; // while it runs
    bool m_hiddenBeforeCountdown = false;
    bool m_toolbarNoticeWanted = false; // before the countdown
    QPointer<QRecorderMessage> m_toolbarNotice;
    bool m_exiting = false; // the event loop has ended
    QRecordCropDlg* m_areaFrame = nullptr;
    QTransparentWidget* m_shade = nullptr;
    SelectRecordAreaWgt* m_areaPanel = nullptr;
    SelectRecordInputWgt* m_inputPanel = nullptr;
    QPointer<QRecordingToolbarWgt> m_toolbar; // of the running recording
    bool m_scheduleView = false;
    QPointer<QScheduleWgt> m_schedule;
    QRecordObject* m_recorder = nullptr;
    QRecordAudioObject* m_systemPreview = nullptr;
    QRecordAudioObject* m_microphonePreview = nullptr;
    bool m_recording = false;
    bool m_stopPending = false;
    bool m_inRecorderCall = false;     // a start or stop of the recorder is running
    bool m_recorderCallFailed = false; // and the recorder said it failed
    bool m_failedStop = false;
    QStringList m_unlistedRecordings;     // kept, but missing from the history
    bool m_screenshotFailureTold = false; // during this recording
    QPoint m_savedPosition;
    bool m_areaMode = false;
    bool m_videoMode = true;
    QOptionsMainDlg* m_options = nullptr;
    bool m_optionsOpen = false;
    bool m_hotkeysEnabled = true;
    QAcceptDialog* m_acceptDialog = nullptr;
    bool m_showToolbarNotice = true;
    bool m_paused = false;

    QMenu* m_recordingMenu = nullptr;
    QAction* m_actShowToolbar = nullptr;
    QAction* m_actPauseResume = nullptr;
    QAction* m_actStop = nullptr;
    QAction* m_actCancel = nullptr;

    bool m_restoreOnTrayClick = true;
    QAction* m_actHidden = nullptr;
    QAction* m_actShowWindow = nullptr;
    QAction* m_actQuit = nullptr;
    QSystemTrayIcon* m_trayIcon = nullptr;
    QAbstractNativeEventFilter* m_trayUnderBoxes = nullptr; // clicks the toolkit holds back
    QMenu* m_trayMenu = nullptr;
};
