// The main window's recording control: record button, countdown, compact recording
// panel, schedule view, pause/resume/stop/cut, time limits, screenshots and hotkeys.
//
// Stop requests from the toolbar, the tray menu, the hotkeys and the time limit reach
// StopRecord through the event queue: it opens the modal history dialog and deletes the
// toolbar, which must not happen inside the toolbar's own click or the recorder's timer.
//
// No step (start, stop, cut) runs an event loop of its own before it is done: the
// toolbar notice and the countdown are shown without blocking, the start goes on when
// each has ended, and the boxes that follow a step open once the window, the tray menu,
// the toolbar and the recorder agree. While the start is under way (the notice, the
// countdown) the hotkeys and the tray's entries that would change the recording are
// ignored. A running recording obeys them whatever box is up: the user must always be
// able to end what is being recorded.
#include "recorder/MainWindow.h"

#include "app/AppGlobals.h"
#include "app/QRecordAreaInfo.h"
#include "app/SettingsFile.h"
#include "media/OutputFormatSetting.h"
#include "media/QRecordAudioObject.h"
#include "media/QRecordObject.h"
#include "recorder/MainWindowParts.h"
#include "recorder/MainWindowRules.h"
#include "toolkit/QRZButton.h"
#include "toolkit/QRZMessageBox.h"
#include "toolkit/QRZMessageDlg.h"

#include <QApplication>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMenu>
#include <QScreen>
#include <QSystemTrayIcon>

namespace {

const int kCompactWidth = 241;
const int kCompactMargin = 15;
const int kNormalMargin = 38;
// The recording toolbar of a video recording.
const QSize kVideoToolbarSize(kCompactWidth, 63);

QString appImage(const QString& relativePath) {
    return getAppDirPath() + relativePath;
}

void setMargins(QBaseDrawWidget* window, int margin) {
    window->setBackgroundMargins(margin, margin, margin, margin, margin, margin, margin, margin);
}

QPoint centredOnPrimaryScreen(const QSize& size) {
    const QSize screen = QGuiApplication::primaryScreen()->size();
    return QPoint((screen.width() - size.width()) / 2, (screen.height() - size.height()) / 2);
}

} // namespace

void MainWindow::OnBtnRecord() {
    // The picker's overlay covers the screen: a recording started now would record it,
    // and the pick that ends it would move the area under the running recording.
    if (m_recording || m_scheduleView || m_exiting || isPickingArea()) {
        return;
    }
    if (m_videoMode && !m_areaMode) {
        m_areaPanel->setAttention(true);
        QRZMessageDlg message(nullptr);
        message.setWindowFlags(Qt::FramelessWindowHint | Qt::Dialog);
        message.setText(tr("Please select the area you want to record first."));
        message.setUseGeometry(false);
        copyStayOnTop(&message);
        centerWidget(&message);
        message.move(message.pos() - QPoint(50, 0));
        message.exec();
        m_areaPanel->setAttention(false);
        return;
    }
    showOptionsPanel(false, false);
    QRecordAreaInfo* info = QRecordAreaInfo::instance();
    if (info->isScheduleOn() && info->scheduleStart() != info->scheduleEnd()) {
        setScheduleLook(true);
        return;
    }
    StartRecord(true);
}

void MainWindow::StartRecord() {
    StartRecord(true);
}

void MainWindow::StartRecord(bool countdown) {
    if (m_recording || m_exiting) {
        return;
    }
    stopLevelPreviews();
    m_recording = true;
    m_paused = false;
    m_stopPending = false;
    m_screenshotFailureTold = false;
    if (m_videoMode) {
        hide();
        if (m_shade != nullptr) {
            m_shade->hide();
            show();
        }
        if (m_areaFrame != nullptr) {
            m_areaFrame->setRecording(true);
        }
    }
    m_startUnderWay = true;
    m_countdownWanted = countdown;
    setRecordingLook(true);
    // The sound is opened now, so that it flows by the first picture.
    recordEngine()->prepareSound();
    // A start without the countdown is the schedule's, with nobody at the machine: its
    // notice came with the schedule view, and a box now would hold the start.
    if (m_toolbarNoticeWanted && countdown) {
        // Nothing is recorded while it is up: the start goes on once it is answered.
        showToolbarNotice();
        return;
    }
    continueStart();
}

// The start once the toolbar notice, if any, has been answered.
void MainWindow::continueStart() {
    if (m_countdownWanted) {
        // Goes on in countdownEnded.
        runCountdown();
        return;
    }
    finishStart();
}

// The start after the countdown (or without one): the tray menu, the toolbar and the
// recorder.
void MainWindow::finishStart() {
    m_startUnderWay = false;
    refreshTrayMenu();
    if (m_toolbar) {
        m_toolbar->setRunning(true);
    }
    if (!startRecorder()) {
        finishRecording(false);
        showRecordingFailed();
    }
}

QRecordObject* MainWindow::recordEngine() {
    if (m_recorder == nullptr) {
        m_recorder = new QRecordObject(this);
        connect(m_recorder, &QRecordObject::emitRecordTime, this, &MainWindow::RecordTimeOperate);
        // The recorder releases the level block right after the signal: no queue.
        connect(m_recorder, &QRecordObject::emitAudioData, this, &MainWindow::setAudioData, Qt::DirectConnection);
        connect(m_recorder, &QRecordObject::emitRecordFailed, this, &MainWindow::recorderFailed, Qt::DirectConnection);
        // Told when the recording ends (a cut keeps recording meanwhile).
        connect(m_recorder, &QRecordObject::emitHistoryNotSaved, this,
                [this](const QString& file) { m_unlistedRecordings.append(file); });
        connect(m_recorder, &QRecordObject::emitScreenshotFailed, this, &MainWindow::screenshotFailed);
        connect(m_recorder, &QRecordObject::emitSoundChanged, this, &MainWindow::soundChanged);
    }
    return m_recorder;
}

bool MainWindow::startRecorder() {
    recordEngine();
    const float volume = m_inputPanel->recordVolume();
    m_inRecorderCall = true;
    m_recorderCallFailed = false;
    const bool started = m_recorder->startRecord(makeRecordFileName(), volume, m_videoMode);
    m_inRecorderCall = false;
    return started && !m_recorderCallFailed;
}

// Stops the recorder (for a cut, its sound goes on into the next file); false when it
// could not finish the file.
bool MainWindow::stopRecorder(bool forCut) {
    if (m_recorder == nullptr) {
        return true;
    }
    m_inRecorderCall = true;
    m_recorderCallFailed = false;
    if (forCut) {
        m_recorder->stopForCut();
    } else {
        m_recorder->stopRecord();
    }
    m_inRecorderCall = false;
    return !m_recorderCallFailed;
}

void MainWindow::recorderFailed(const QString& reason) {
    qWarning() << "recording failed:" << reason;
    if (m_inRecorderCall) {
        // The start or stop that failed tells the user itself.
        m_recorderCallFailed = true;
        return;
    }
    // The engine gave up by itself, inside its own timer: act once that has returned.
    QMetaObject::invokeMethod(this, "recordingFailed", Qt::QueuedConnection);
}

// A screenshot the recording could not save. The recording goes on, so the user is told
// without a box (a modal loop here would run inside the recorder's frame tick), and only
// once per recording however often the hotkey is pressed; the log names every file.
void MainWindow::screenshotFailed(const QString& path) {
    const QString folder = QFileInfo(path).absolutePath();
    qWarning().noquote() << "recordScreenshot--------------------------the screenshot could not be saved:" << path;
    QFile log(getLogFilePath());
    if (!getLogFilePath().isEmpty() && log.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text)) {
        log.write(QStringLiteral("The screenshot could not be saved: %1\n").arg(path).toUtf8());
    }
    if (m_screenshotFailureTold || m_trayIcon == nullptr) {
        return;
    }
    m_screenshotFailureTold = true;
    m_trayIcon->showMessage(tr("Screen Recorder"),
                            tr("The screenshot could not be saved in %1. Check the screenshot folder in Preferences.")
                                .arg(QDir::toNativeSeparators(folder)),
                            QSystemTrayIcon::Warning, 10000);
}

// The recording goes on without its sound, or has it again: told in a balloon, as a
// screenshot that could not be saved is, at once and each time.
void MainWindow::soundChanged(int change, int sources) {
    const bool system = (sources & QRecordAudioObject::SystemSound) != 0;
    const bool microphone = (sources & QRecordAudioObject::Microphone) != 0;
    QString text;
    QSystemTrayIcon::MessageIcon icon = QSystemTrayIcon::Warning;
    switch (change) {
    case QRecordAudioObject::CaptureLost:
        text = system && microphone ? tr("The system sound and the microphone went away.")
               : system             ? tr("The system sound went away.")
                                    : tr("The microphone went away.");
        text += QLatin1Char(' ') + tr("The recording goes on in silence and takes the sound up again when it returns.");
        break;
    case QRecordAudioObject::CaptureFromDefault:
        text = system && microphone ? tr("The system sound's output and the microphone went away. The sound is "
                                         "recorded from the default output and the default input instead.")
               : system ? tr("The system sound's output went away. The system sound is recorded from the default "
                             "output instead.")
                        : tr("The microphone went away. The sound is recorded from the default input instead.");
        break;
    case QRecordAudioObject::CaptureBack:
        text = tr("The sound is recorded again.");
        icon = QSystemTrayIcon::Information;
        break;
    default:
        return;
    }
    qWarning().noquote() << "recordSound--------------------------" << text;
    if (m_trayIcon != nullptr && m_recording) {
        m_trayIcon->showMessage(tr("Screen Recorder"), text, icon, 10000);
    }
}

void MainWindow::showRecordingFailed() {
    const QString text = tr("Recording failed!") + outputFolderNote() + keptRecordingNote();
    qWarning().noquote() << "recordFailed--------------------------" << text;
    QRZMessageBox::showMessage(this, text, QString(), 0, QRZMessageBox::OkButton);
}

// What failed, when it is the output folder: the user learns which folder to change.
QString MainWindow::outputFolderNote() const {
    const QString folder = recordFolder();
    if (isFolderWritable(folder)) {
        return QString();
    }
    return QLatin1Char('\n') + tr("The output folder cannot be written:\n%1").arg(QDir::toNativeSeparators(folder));
}

// Where the file of a recording that failed is kept (a failed start leaves none): the
// user may still want what it holds.
QString MainWindow::keptRecordingNote() const {
    if (m_recorder == nullptr || m_recorder->outputPath().isEmpty() || !QFile::exists(m_recorder->outputPath())) {
        return QString();
    }
    return QLatin1Char('\n') + tr("What was recorded is kept in:\n%1").arg(m_recorder->outputPath());
}

void MainWindow::recordingFailed() {
    if (!m_recording) {
        return;
    }
    finishRecording(false);
    showRecordingFailed();
}

void MainWindow::setCompactLookImages() {
    loadBackgroundImage(appImage(QStringLiteral("/image/record_tool_dlg/backgroud_recording.png")), false);
    m_btnMin->setImage(appImage(QStringLiteral("/image/record_tool_dlg/btn_min_recording.png")), true);
    setTitle(QString());
    setTitleImage(QString());
}

void MainWindow::setNormalLookImages() {
    loadBackgroundImage(appImage(QStringLiteral("/image/backgroud.png")), false);
    m_btnMin->setImage(appImage(QStringLiteral("/image/btn_min.png")), true);
    setTitle(productTitle());
    setTitleImage(appImage(QStringLiteral("/image/common/dlg_logo.png")));
}

void MainWindow::setRecordingLook(bool on) {
    m_toolbarNoticeWanted = false;
    m_areaPanel->setHidden(on);
    m_inputPanel->setHidden(on);
    if (m_toolbar) {
        // Stop may come from the toolbar's own button.
        m_toolbar->hide();
        m_toolbar->deleteLater();
        m_toolbar = nullptr;
    }
    if (!on) {
        setNormalLookImages();
        resize(696, 176);
        move(m_savedPosition);
        setMargins(this, kNormalMargin);
        relayout();
        update();
        return;
    }
    setCompactLookImages();
    m_savedPosition = pos();
    auto* toolbar = new QRecordingToolbarWgt(this);
    m_toolbar = toolbar;
    toolbar->setVideoMode(m_videoMode);
    connect(toolbar, &QRecordingToolbarWgt::emitContinueRecord, this, &MainWindow::ContinueRecord);
    connect(toolbar, &QRecordingToolbarWgt::emitPauseRecord, this, &MainWindow::PauseRecord);
    connect(toolbar, &QRecordingToolbarWgt::emitStopRecord, this, &MainWindow::requestStop);
    connect(toolbar, &QRecordingToolbarWgt::emitCutRecord, this, &MainWindow::cutRecord, Qt::QueuedConnection);
    if (m_videoMode) {
        resize(kVideoToolbarSize);
        m_toolbar->setGeometry(10, 23, 221, 32);
        if (!placeBesideArea()) {
            move(centredOnPrimaryScreen(size()));
            m_toolbarNoticeWanted = m_showToolbarNotice;
        }
    } else {
        resize(kCompactWidth, 108);
        m_toolbar->setGeometry(10, 23, 221, 77);
        move(centredOnPrimaryScreen(size()));
    }
    if (m_toolbar) {
        m_toolbar->show();
    }
    setMargins(this, kCompactMargin);
    relayout();
    update();
}

// Where a window of this size stands beside the capture area, if it finds room there.
static PanelPlacement placementBesideArea(const QSize& size) {
    QRecordAreaInfo* info = QRecordAreaInfo::instance();
    return ::placeBesideArea(size, QRect(info->areaOrigin(), info->areaSize()),
                             QGuiApplication::primaryScreen()->size());
}

bool MainWindow::placeBesideArea() {
    const PanelPlacement placement = placementBesideArea(size());
    if (!placement.fits) {
        hide();
        return false;
    }
    move(placement.position);
    return true;
}

// Modal, but without an event loop of its own: a quit meanwhile (a signal, the tray's
// Quit) ends the program before anything has started.
void MainWindow::runCountdown() {
    m_hiddenBeforeCountdown = isHidden();
    hide();
    if (m_videoMode && m_areaFrame != nullptr) {
        m_areaFrame->hide();
    }
    auto* countdown = new QReciprocalDlg(nullptr);
    copyStayOnTop(countdown);
    countdown->move(centredOnPrimaryScreen(countdown->size()));
    countdown->setWindowModality(Qt::ApplicationModal);
    connect(countdown, &QDialog::finished, this, &MainWindow::countdownEnded);
    m_countdown = countdown;
    m_countdownRunning = true;
    countdown->show();
}

void MainWindow::countdownEnded() {
    if (!m_countdownRunning) {
        return;
    }
    m_countdownRunning = false;
    if (m_countdown) {
        // Its own tick is still on the stack.
        m_countdown->deleteLater();
        m_countdown = nullptr;
    }
    setVisible(!m_hiddenBeforeCountdown);
    // A panel that fits nowhere stays hidden; the frame must come back all the same.
    if (m_videoMode && m_areaMode && m_areaFrame != nullptr) {
        m_areaFrame->show();
    }
    finishStart();
}

// A start that will not end in a recording (the program quits during the notice or the
// countdown): nothing has started. The notice goes unanswered: taking its answer could
// raise a box that no one is there to answer.
void MainWindow::abandonStart() {
    // Also one shown with the schedule view.
    delete m_toolbarNotice.data();
    if (!m_startUnderWay) {
        return;
    }
    m_startUnderWay = false;
    m_countdownRunning = false;
    delete m_countdown.data();
    if (m_recorder != nullptr) {
        m_recorder->releasePreparedSound();
    }
    m_recording = false;
    m_paused = false;
}

// Modal like the countdown, and like it without an event loop of its own.
void MainWindow::showToolbarNotice() {
    auto* notice = new QRecorderMessage(nullptr);
    copyStayOnTop(notice);
    // Where the hidden window has been moved to: the toolkit still has it where it was
    // last shown.
    notice->move(centredPosition(geometry(), notice->size()));
    notice->setWindowModality(Qt::ApplicationModal);
    connect(notice, &QDialog::finished, this, [this, notice] { toolbarNoticeAnswered(notice); });
    m_toolbarNotice = notice;
    notice->show();
}

void MainWindow::toolbarNoticeAnswered(QRecorderMessage* notice) {
    if (m_toolbarNotice != notice || !(m_startUnderWay || m_scheduleView)) {
        // Abandoned with the start or the schedule.
        return;
    }
    // From here on the notice belongs to this answer alone (a quit meanwhile leaves it).
    m_toolbarNotice = nullptr;
    if (!notice->isShowAgain() && m_showToolbarNotice) {
        m_showToolbarNotice = false;
        if (!writeSettingValue(QStringLiteral("OTOOL_MSG"), QStringLiteral("Hide_otool_msg"), QStringLiteral("N"))) {
            // Where the notice was: the panel itself fits nowhere.
            tellNotSaved(notice, tr("Your choice for this notice could not be saved."));
        }
    }
    notice->deleteLater();
    if (m_startUnderWay && !m_exiting) {
        continueStart();
    }
}

// Whether a hotkey or a tray entry must leave the recording alone now: the start is
// under way (the notice, the countdown), or, with no recording running, a modal box is
// up (its event loop may run inside a step: the history that a stop opens, a box that
// tells of a failure).
bool MainWindow::isRecordingControlBusy() const {
    if (m_startUnderWay) {
        return true;
    }
    return !m_recording && QApplication::activeModalWidget() != nullptr;
}

bool MainWindow::isPickingArea() const {
    return m_areaFrame != nullptr && m_areaFrame->isPickMode();
}

// The folder new recordings go to: never the file system's root, the default output
// folder when none is set.
QString MainWindow::recordFolder() const {
    const QString folder = getOutputPath();
    return folder.isEmpty() ? getConvertedPath() : folder;
}

QString MainWindow::makeRecordFileName() const {
    const QString folder = recordFolder();
    if (!QDir(folder).exists()) {
        QDir().mkpath(folder);
    }
    return recordFileNameIn(folder, QDateTime::currentDateTime(), currentFormatExtension(),
                            [](const QString& path) { return QFile::exists(path); });
}

void MainWindow::PauseRecord() {
    setPaused(true);
}

void MainWindow::ContinueRecord() {
    setPaused(false);
}

void MainWindow::setPaused(bool paused) {
    if (!m_recording || isRecordingControlBusy()) {
        return;
    }
    if (m_recorder != nullptr) {
        if (paused) {
            m_recorder->pauseRecord();
        } else {
            m_recorder->resumeRecord();
        }
    }
    showPausedState(paused);
}

// The paused flag and what shows it: the frame's dashes, the toolbar's button, the tray.
void MainWindow::showPausedState(bool paused) {
    m_paused = paused;
    if (m_videoMode && m_areaFrame != nullptr) {
        m_areaFrame->setPaused(paused);
    }
    if (m_toolbar) {
        m_toolbar->setRunning(!paused);
    }
    refreshTrayMenu();
}

void MainWindow::ArcTaryPause() {
    if (m_paused) {
        ContinueRecord();
    } else {
        PauseRecord();
    }
}

// A stop asked by the user (toolbar, tray, hotkey).
void MainWindow::requestStop() {
    if (isRecordingControlBusy()) {
        return;
    }
    stopSoon();
}

void MainWindow::stopSoon() {
    if (!m_recording || m_stopPending || m_startUnderWay) {
        return;
    }
    m_stopPending = true;
    QMetaObject::invokeMethod(this, "StopRecord", Qt::QueuedConnection);
}

void MainWindow::StopRecord() {
    if (m_startUnderWay) {
        // Nothing runs yet; the end of the notice or the countdown starts it.
        m_stopPending = false;
        return;
    }
    finishRecording(true);
}

void MainWindow::finishRecording(bool showHistory) {
    m_stopPending = false;
    if (!m_recording) {
        return;
    }
    if (!stopRecorder()) {
        showHistory = false;
        m_failedStop = true;
    }
    m_recording = false;
    m_paused = false;
    setRecordingLook(false);
    if (m_videoMode) {
        hide();
        if (m_shade != nullptr) {
            m_shade->show();
            show();
        }
        if (m_areaFrame != nullptr) {
            m_areaFrame->setRecording(false);
            m_areaFrame->setPaused(false);
        }
    }
    if (m_trayIcon != nullptr) {
        m_trayIcon->setContextMenu(m_trayMenu);
    }
    tellUnlistedRecordings();
    if (!showHistory) {
        show();
        restartLevelPreviews();
        if (m_failedStop) {
            m_failedStop = false;
            showRecordingFailed();
        }
        return;
    }
    FinishRecordPreview();
}

// Recordings whose files are kept but whose history entries could not be saved: the
// history library will not show them, so the user learns where they are.
void MainWindow::tellUnlistedRecordings() {
    if (m_unlistedRecordings.isEmpty()) {
        return;
    }
    QRZMessageBox::showMessage(this, unlistedRecordingsText(), QString(), QRZMessageBox::Error,
                               QRZMessageBox::OkButton);
}

// The message for the recordings kept but missing from the history; they are told then.
QString MainWindow::unlistedRecordingsText() {
    const QString files = m_unlistedRecordings.join(QLatin1Char('\n'));
    m_unlistedRecordings.clear();
    return tr("The recording was saved but could not be added to the history:\n%1").arg(files);
}

void MainWindow::FinishRecordPreview() {
    hide();
    if (m_trayIcon != nullptr) {
        m_trayIcon->setVisible(false);
    }
    ShowHistoryDlg(m_videoMode ? 0 : 1);
    show();
    if (m_trayIcon != nullptr) {
        m_trayIcon->setVisible(true);
    }
}

void MainWindow::cutRecord() {
    if (m_recorder == nullptr || !m_recording || isRecordingControlBusy()) {
        return;
    }
    if (!stopRecorder(true)) {
        finishRecording(false);
        showRecordingFailed();
        return;
    }
    // The next file starts running even when the last one was paused.
    showPausedState(false);
    if (!startRecorder()) {
        finishRecording(false);
        showRecordingFailed();
    }
}

void MainWindow::RecordTimeOperate(uint64_t elapsedUs) {
    QRecordAreaInfo* info = QRecordAreaInfo::instance();
    const uint64_t limit = recordingTimeLimit(info->isStopAfterTime(), info->stopAfterLength(), info->isScheduleOn(),
                                              info->scheduleStart(), info->scheduleEnd());
    if (isPastTimeLimit(elapsedUs, limit)) {
        // Not the user's: it holds even while a box is up.
        stopSoon();
        return;
    }
    if (m_toolbar) {
        m_toolbar->RecordTime(elapsedUs);
    }
}

void MainWindow::setAudioData(unsigned char* block, int samples) {
    if (m_videoMode || !m_toolbar) {
        return;
    }
    if (QAudioDataWidget* levels = m_toolbar->levelDisplay()) {
        levels->setAudioData(block, samples);
    }
}

// ---- schedule

void MainWindow::setScheduleLook(bool on) {
    if (!on) {
        leaveScheduleLook();
        setNormalLookImages();
        resize(696, 176);
        move(m_savedPosition);
        relayout();
        update();
        return;
    }
    m_areaPanel->hide();
    m_inputPanel->hide();
    m_scheduleView = true;
    if (m_schedule) {
        m_schedule->deleteLater();
    }
    setCompactLookImages();
    m_savedPosition = pos();
    resize(kCompactWidth, 81);
    auto* schedule = new QScheduleWgt(this);
    m_schedule = schedule;
    schedule->setGeometry(10, 23, 221, 50);
    // The view's own click or timer asks; it is deleted once that has returned.
    connect(schedule, &QScheduleWgt::emitStopSchedule, this, &MainWindow::StopSchedule, Qt::QueuedConnection);
    connect(schedule, &QScheduleWgt::emitStartRecord, this, &MainWindow::endSchedule, Qt::QueuedConnection);
    m_schedule->show();
    if (m_videoMode && m_areaMode) {
        if (m_areaFrame != nullptr) {
            m_areaFrame->hide();
        }
        if (m_shade != nullptr) {
            m_shade->hide();
        }
    }
    setMargins(this, kCompactMargin);
    relayout();
    update();
    // The toolbar notice of the recording to come is shown now, while the user is there:
    // the scheduled start itself must not wait for anyone.
    if (m_videoMode && m_showToolbarNotice && !toolbarFitsBesideArea()) {
        showToolbarNotice();
    }
}

// Whether the recording toolbar will find room beside the capture area, as the recording
// look places it.
bool MainWindow::toolbarFitsBesideArea() const {
    return placementBesideArea(kVideoToolbarSize).fits;
}

// What leaving the schedule view by either road shares.
void MainWindow::leaveScheduleLook() {
    m_areaPanel->show();
    m_inputPanel->show();
    m_scheduleView = false;
    if (m_toolbarNotice) {
        // Unanswered: it goes before anything is recorded, and nobody may be there to
        // answer it. Hidden first, so that the window system has it gone at once.
        m_toolbarNotice->hide();
        delete m_toolbarNotice.data();
    }
    if (m_schedule) {
        m_schedule->hide();
        m_schedule->deleteLater();
        m_schedule = nullptr;
    }
    move(m_savedPosition);
    if (m_videoMode && m_areaMode) {
        if (m_areaFrame != nullptr) {
            m_areaFrame->show();
        }
        if (m_shade != nullptr) {
            m_shade->show();
        }
    }
    setMargins(this, kNormalMargin);
}

void MainWindow::StopSchedule() {
    if (!m_scheduleView) {
        return;
    }
    setScheduleLook(false);
}

void MainWindow::endSchedule() {
    if (!m_scheduleView || m_exiting) {
        return;
    }
    leaveScheduleLook();
    StartRecord(false);
}

// ---- hotkeys

void MainWindow::recordStopST() {
    if (!m_hotkeysEnabled) {
        return;
    }
    qDebug() << "recordStop--------------------------";
    if (isRecordingControlBusy() || m_scheduleView || isPickingArea()) {
        return;
    }
    if (m_recording) {
        requestStop();
        return;
    }
    const bool blocked = m_areaPanel->isBlocked();
    // The button is hidden only by the recording look; a window in the tray still records.
    if (!blocked && !m_btnReocrder->isHidden()) {
        OnBtnRecord();
        if (isMinimized()) {
            hide();
        }
    }
}

void MainWindow::recordPlayAndPauseST() {
    if (!m_hotkeysEnabled) {
        return;
    }
    qDebug() << "recordPlayAndPause--------------------------";
    if (m_recording && !isRecordingControlBusy()) {
        ArcTaryPause();
    }
}

void MainWindow::recordScreenshotST() {
    if (!m_hotkeysEnabled || m_startUnderWay) {
        return;
    }
    qDebug() << "recordScreenshot--------------------------";
    if (m_recording && m_videoMode && m_recorder != nullptr) {
        m_recorder->takeScreenshot(makeSnapshotFileName());
    }
}

void MainWindow::recordCutST() {
    if (!m_hotkeysEnabled) {
        return;
    }
    qDebug() << "recordCut--------------------------";
    if (m_recording && !isRecordingControlBusy()) {
        cutRecord();
    }
}
