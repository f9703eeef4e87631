#include "editor/QVideoEditingDlg.h"

#include "app/AppGlobals.h"
#include "editor/EditorStyle.h"
#include "editor/QAdjustOperationForm.h"
#include "editor/QAudioOperationForm.h"
#include "editor/QAudioTagForm.h"
#include "editor/QCaptureSettingDlg.h"
#include "editor/QEffectOperationForm.h"
#include "editor/QMediaForm.h"
#include "editor/QMessageOpacityForm.h"
#include "editor/QPlayerOperationForm.h"
#include "editor/QSubtitleOperationForm.h"
#include "editor/QTextStyleSettingDlg.h"
#include "editor/QTrimOperationForm.h"
#include "editor/QVideoEditTag.h"
#include "editor/QVideoEditingSettings.h"
#include "editor/QWaitForDlg.h"
#include "editor/QWatermarkOperationForm.h"
#include "editor/SnapshotSettings.h"
#include "media/RZInfoManager.h"
#include "media/RZPlayerManager.h"
#include "toolkit/QProgressIndicator.h"
#include "toolkit/QRZButton.h"
#include "toolkit/QRZMenu.h"
#include "toolkit/QRZMessageBox.h"

#include <QAction>
#include <QCursor>
#include <QDateTime>
#include <QDir>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>
#include <QThread>
#include <QTimer>

QVideoEditingDlg::QVideoEditingDlg(QWidget* parent) : QRZDialog(parent) {
    setObjectName(QStringLiteral("QVideoEditingDlg"));
    m_initConfig.reset();
    m_applyToAll.reset();
    setupButtons();
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    loadBackgroundImage(editorImagePath(QStringLiteral("/VEditSource/background.png")), false);

    m_loadingTimer = new QTimer(this);
    connect(m_loadingTimer, &QTimer::timeout, this, &QVideoEditingDlg::loadingTimer);
    connect(this, &QVideoEditingDlg::emitThreadComplete, this, &QVideoEditingDlg::threadComplete);
    connect(this, &QVideoEditingDlg::emitPlayer, this, &QVideoEditingDlg::startPlayerCon, Qt::QueuedConnection);

    m_playerManager = new RZPlayerManager(nullptr);
    m_infoManager = new RZInfoManager;
    m_infoManager->ensureInfo();
    m_settings = new QVideoEditingSettings(this);
    m_settings->setPlayerManager(m_playerManager);

    m_playerBar = new QPlayerOperationForm(this);
    m_preview = new QMediaForm(m_playerManager, this);
    setupTabs();
    connectTransport(m_playerManager, m_playerBar, m_trimTab);
    connect(m_playerManager, &RZPlayerManager::emitIsHaveVideo, this, &QVideoEditingDlg::isHaveVideo);
    connect(m_playerBar, &QPlayerOperationForm::emitSnapshot, this, &QVideoEditingDlg::onSnapshot);
    connect(m_playerBar, &QPlayerOperationForm::emitSnapshotMenu, this, &QVideoEditingDlg::onSnapshotMenu);
    connect(m_trimTab, &QTrimOperationForm::emitSnapshot, this, &QVideoEditingDlg::onSnapshot);
    connect(m_trimTab, &QTrimOperationForm::emitSnapshotMenu, this, &QVideoEditingDlg::onSnapshotMenu);
    m_spinner = new QProgressIndicator(this);
    m_spinner->resize(80, 80);
    m_spinner->setIndicatorStyle(QProgressIndicator::Dots);
    m_spinner->setColor(QColor(157, 157, 204));
    m_spinner->hide();
    m_spinner->stopAnimation();

    setupSnapshotMenu();
    loadSnapshotSettings();

    m_tabBar = new QVideoEditTag(this);
    m_tabBar->setTags(
        {tr("Trim"), tr("Adjust"), tr("Effect"), tr("Watermark"), tr("Subtitle"), tr("Audio"), tr("Tag")});
    m_tabBar->resize(686, 25);
    m_tabBar->show();
    connect(m_tabBar, &QVideoEditTag::emitSelectedTag, this, &QVideoEditingDlg::selectedTag);
    m_tabBar->selectTag(Trim);

    setResizeFlags(0);
    setFixedSize(686, 540);
    for (int tab = Adjust; tab <= Audio; ++tab) {
        m_tabBar->hideTag(tab);
    }
    m_tabBar->setTagDisabled(Tag, true);

    setTitle(QStringLiteral("Edit"));
    setTitleImage(editorImagePath(QStringLiteral("/VEditSource/dlg_logo.png")));
    setTitleImageRect(QRect(10, 5, 0, 0));
    setTitleTextRect(QRect(38, 5, 0, 0));
    setTitleAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setBackgroundMargins(100, 100, 100, 100, 100, 100, 100, 100);
    QPalette palette = this->palette();
    palette.setColor(QPalette::WindowText, QColor(250, 237, 237));
    setPalette(palette);
    setWidgetFontFamily(this, QStringLiteral("Tahoma"), 12);
    setWindowTitle(tr("Video Edit"));
    qRegisterMetaType<VECropSettings>("VECropSettings");
    qRegisterMetaType<VEWatermarkSettings>("VEWatermarkSettings");
    qRegisterMetaType<VEEditConfig>("VEEditConfig");
    qRegisterMetaType<VEAudioTagInfo>("VEAudioTagInfo");
}

QVideoEditingDlg::~QVideoEditingDlg() {
    // The worker reads the information reader and the initial record: it ends before
    // they go. Loading is never cut short, but a window destroyed while it runs (or one
    // never shown, which never loads) does not wait for a queued hand-over that would
    // only come through an event loop.
    stopAndWait();
    delete m_tabBar;
    delete m_infoManager;
    delete m_preview;
    delete m_playerBar;
    delete m_trimTab;
    delete m_adjustTab;
    delete m_effectTab;
    delete m_watermarkTab;
    delete m_subtitleTab;
    delete m_audioTab;
    delete m_tagTab;
    delete m_settings;
    delete m_playerManager;
    delete m_snapshotMenu;
    delete m_toast;
    delete m_waitDlg;
    delete m_spinner;
}

void QVideoEditingDlg::setupButtons() {
    const auto make = [this](QRZBaseButton*& button, const char* name) {
        button = new QRZBaseButton(this);
        button->setObjectName(QString::fromLatin1(name));
    };
    make(m_btnMin, "m_btnMin");
    make(m_btnClose, "m_btnClose");
    make(m_btnCancel, "m_btnCancel");
    make(m_btnOK, "m_btnOK");
    make(m_btnMax, "m_btnMax");
    make(m_btnNextFile, "m_btnNextFile");
    make(m_btnPreviousFile, "m_btnPreviousFile");
    m_btnClose->setImage(editorImagePath(QStringLiteral("/VEditSource/btn_close.png")), false);
    m_btnClose->resize(31, 31);
    m_btnClose->setToolTip(tr("Close"));
    connect(m_btnClose, &QAbstractButton::clicked, this, &QWidget::close);
    m_btnMin->setImage(editorImagePath(QStringLiteral("/VEditSource/btn_min.png")), false);
    m_btnMin->resize(31, 31);
    m_btnMin->setToolTip(tr("Minimize"));
    m_btnMin->hide();
    m_btnMax->setToolTip(tr("Maximize"));
    m_btnMax->hide();
    m_btnOK->setText(tr("OK"));
    setEditorButtonStyle(m_btnOK, 90, 26);
    connect(m_btnOK, &QAbstractButton::clicked, this, &QVideoEditingDlg::onOK);
    m_btnCancel->setText(tr("Cancel"));
    setEditorButtonStyle(m_btnCancel, 90, 26);
    connect(m_btnCancel, &QAbstractButton::clicked, this, &QWidget::close);
    m_btnPreviousFile->setImage(editorImagePath(QStringLiteral("/VEditSource/btn_previous.png")), false);
    m_btnNextFile->setImage(editorImagePath(QStringLiteral("/VEditSource/btn_next.png")), false);
    m_btnPreviousFile->hide();
    m_btnNextFile->hide();
    connect(m_btnPreviousFile, &QAbstractButton::clicked, this, &QVideoEditingDlg::emitPreviousFile);
    connect(m_btnNextFile, &QAbstractButton::clicked, this, &QVideoEditingDlg::emitNextFile);
}

void QVideoEditingDlg::setupTabs() {
    m_trimTab = new QTrimOperationForm(this);
    m_adjustTab = new QAdjustOperationForm(this);
    m_effectTab = new QEffectOperationForm(this);
    m_watermarkTab = new QWatermarkOperationForm(this);
    m_subtitleTab = new QSubtitleOperationForm(this);
    m_audioTab = new QAudioOperationForm(this);
    m_tagTab = new QAudioTagForm(this);
    m_trimTab->setSettings(m_settings);
    m_adjustTab->setVideoEditingSettings(m_settings);
    m_effectTab->setVideoEditingSettings(m_settings);
    m_watermarkTab->setVideoEditingSettings(m_settings);
    m_subtitleTab->setVideoEditingSettings(m_settings);
    m_audioTab->setVideoEditingSettings(m_settings);
    m_tagTab->setVideoEditingSettings(m_settings);
    // Trim shows first; the transport bar belongs to the other tabs.
    for (QWidget* hidden :
         {static_cast<QWidget*>(m_playerBar), static_cast<QWidget*>(m_adjustTab), static_cast<QWidget*>(m_effectTab),
          static_cast<QWidget*>(m_watermarkTab), static_cast<QWidget*>(m_subtitleTab),
          static_cast<QWidget*>(m_audioTab), static_cast<QWidget*>(m_tagTab)}) {
        hidden->hide();
    }
    connect(m_adjustTab, &QAdjustOperationForm::emitApplyToAll, this, &QVideoEditingDlg::onApplyToAll);
    connect(m_effectTab, &QEffectOperationForm::emitApplyToAll, this, &QVideoEditingDlg::onApplyToAll);
    connect(m_watermarkTab, &QWatermarkOperationForm::emitApplyToAll, this, &QVideoEditingDlg::onApplyToAll);
    connect(m_subtitleTab, &QSubtitleOperationForm::emitApplyToAll, this, &QVideoEditingDlg::onApplyToAll);
    connect(m_audioTab, &QAudioOperationForm::emitApplyToAll, this, &QVideoEditingDlg::onApplyToAll);
    connect(m_watermarkTab, &QWatermarkOperationForm::emitWatermartTextSetting, this,
            &QVideoEditingDlg::onWatermartTextSetting);
    connect(m_subtitleTab, &QSubtitleOperationForm::emitSubtitleSetting, this, &QVideoEditingDlg::onSubtitleSetting);
    connect(m_subtitleTab, &QSubtitleOperationForm::emitAddSubtitleToCmb, this,
            &QVideoEditingDlg::emitAddSubtitleToCmb);
}

void QVideoEditingDlg::connectTransport(RZPlayerManager* P, QPlayerOperationForm* B, QTrimOperationForm* T) {
    connect(P, &RZPlayerManager::emitPlayFinish, B, &QPlayerOperationForm::playFinish);
    connect(P, &RZPlayerManager::emitPlayFinish, T, &QTrimOperationForm::playFinish);
    connect(P, &RZPlayerManager::emitPlayProgress, B, &QPlayerOperationForm::setPlayProcess);
    connect(P, &RZPlayerManager::emitPlayProgress, T, &QTrimOperationForm::setPlayProcess);
    connect(P, &RZPlayerManager::emitPlayTime, B, &QPlayerOperationForm::setTime);
    connect(P, &RZPlayerManager::emitPlayTime2, T, &QTrimOperationForm::setTime);
    connect(P, QOverload<bool>::of(&RZPlayerManager::emitPlayState), B, &QPlayerOperationForm::showPlayOrPause);
    connect(P, QOverload<bool>::of(&RZPlayerManager::emitPlayState), T, &QTrimOperationForm::showPlayOrPause);
    connect(P, &RZPlayerManager::emitTrimPlayState, T, &QTrimOperationForm::showTrimPlayOrPause);
    connect(P, &RZPlayerManager::emitStartEndProgressValue, T, &QTrimOperationForm::setStartEndProgressValue);
    connect(P, &RZPlayerManager::emitTrimTimeChange, T, &QTrimOperationForm::trimTimeChange);

    connect(B, &QPlayerOperationForm::emitPlay, P, &RZPlayerManager::onPlay);
    connect(B, &QPlayerOperationForm::emitPause, P, &RZPlayerManager::onPause);
    connect(B, &QPlayerOperationForm::emitStop, P, &RZPlayerManager::onStop);
    connect(B, &QPlayerOperationForm::emitProgressValue, P, &RZPlayerManager::progressValueChange);
    connect(B, &QPlayerOperationForm::emitSliderPress, P, &RZPlayerManager::beginAsyncSeek);
    connect(B, &QPlayerOperationForm::emitSliderRelease, P, &RZPlayerManager::endAsyncSeek);

    connect(T, &QTrimOperationForm::emitTrimPlay, P, &RZPlayerManager::onTrimPlay);
    connect(T, &QTrimOperationForm::emitPause, P, &RZPlayerManager::onPause);
    connect(T, &QTrimOperationForm::emitTrimPause, P, &RZPlayerManager::onTrimPause);
    connect(T, &QTrimOperationForm::emitStop, P, &RZPlayerManager::onStop);
    connect(T, &QTrimOperationForm::emitPlay, P, &RZPlayerManager::onPlay);
    connect(T, &QTrimOperationForm::emitSliderSendPlayProToPlay, P, &RZPlayerManager::progressValueChange);
    connect(T, &QTrimOperationForm::emitSliderMousePress, P, &RZPlayerManager::beginAsyncSeek);
    connect(T, &QTrimOperationForm::emitSliderMouseRelease, P, &RZPlayerManager::endAsyncSeek);
    connect(T, &QTrimOperationForm::emitPreviousStep, P, &RZPlayerManager::onPreviousStep);
    connect(T, &QTrimOperationForm::emitNextStep, P, &RZPlayerManager::onNextStep);
    connect(T, &QTrimOperationForm::emitTrim, P, &RZPlayerManager::onTrim);
    connect(T, &QTrimOperationForm::emitTrimChapter, P, &RZPlayerManager::onTrimChapter);
    connect(T, &QTrimOperationForm::emitReset, P, &RZPlayerManager::onReset);
}

void QVideoEditingDlg::onWatermartTextSetting() {
    QWatermartTextSettingDlg dialog(this);
    dialog.setVideoEditingSettings(m_settings);
    connect(&dialog, &QWatermartTextSettingDlg::emitDlgClose, this, &QVideoEditingDlg::dlgClose);
    dialog.exec();
}

void QVideoEditingDlg::onSubtitleSetting() {
    QSubtitleSettingDlg dialog(this);
    dialog.setVideoEditingSettings(m_settings);
    dialog.exec();
}

void QVideoEditingDlg::setupSnapshotMenu() {
    m_snapshotMenu = new QRZMenu(nullptr);
    m_snapshotMenu->setStyleValue(1);
    m_snapshotMenu->setBackgroundColor(QColor(55, 53, 53));
    m_snapshotMenu->setStyleColor2(QColor(72, 72, 72));
    m_snapshotMenu->setItemBackgroundColor(QColor(72, 72, 72));
    m_snapshotMenu->setTextColor(QColor(250, 237, 237));
    m_snapshotMenu->setStyleColor5(QColor(105, 105, 105));
    m_snapshotMenu->setStyleColor8(QColor(89, 104, 130));
    m_snapshotMenu->setStyleColor7(QColor(72, 72, 72));
    m_snapshotMenu->setSeparatorColor(QColor(55, 53, 53));
    setWidgetFontFamily(m_snapshotMenu, QStringLiteral("Tahoma"), 12);
    m_actOpenFolder = new QAction(tr("Open Folder"), m_snapshotMenu);
    m_actSettings = new QAction(tr("Settings"), m_snapshotMenu);
    m_snapshotMenu->addAction(m_actOpenFolder);
    m_snapshotMenu->addAction(m_actSettings);
    connect(m_actOpenFolder, &QAction::triggered, this, &QVideoEditingDlg::openImgPath, Qt::QueuedConnection);
    connect(m_actSettings, &QAction::triggered, this, &QVideoEditingDlg::showPathSettingDlg);
}

void QVideoEditingDlg::setMediaFile(const QString& path, int hintA, int hintB) {
    m_mediaPath = path;
    m_hintA = hintA;
    m_hintB = hintB;
}

void QVideoEditingDlg::setSnapshotSettings(const QString& format, const QString& folder) {
    m_snapshotFormat = format;
    m_snapshotFolder = QDir::toNativeSeparators(folder);
}

void QVideoEditingDlg::loadSnapshotSettings() {
    setSnapshotSettings(readScreenshotFormat(), readScreenshotFolder());
}

// ---- Loading --------------------------------------------------------------------------

void QVideoEditingDlg::showEvent(QShowEvent* event) {
    QRZDialog::showEvent(event);
    if (!m_shownOnce) {
        m_shownOnce = true;
        m_loadingTimer->start(100);
    }
}

void QVideoEditingDlg::loadingTimer() {
    m_loadingTimer->stop();
    m_playerManager->createPlayer(true);
    m_waitDlg = new QWaitForDlg(this);
    m_loading = true;
    start();
    m_spinner->show();
    m_spinner->raise();
    m_spinner->startAnimation();
    m_waitDlg->exec();
    delete m_waitDlg;
    m_waitDlg = nullptr;
    m_spinner->hide();
    m_spinner->stopAnimation();
}

void QVideoEditingDlg::run() {
    if (m_playerManager == nullptr) {
        emit emitThreadComplete();
        return;
    }
    m_infoManager->open(m_mediaPath);
    m_openHintB = m_hintB != 0 ? m_hintB : m_infoManager->info()->openHintB();
    m_openHintA = m_hintA != 0 ? m_hintA : m_infoManager->info()->openHintA();
    emit emitMediaCoverImage(m_infoManager->coverImage(120));
    m_initConfig.tags = m_infoManager->readTags();
    if (m_initConfig.chapters.isEmpty()) {
        m_initConfig.chapters = m_infoManager->chapterList();
    }
    // The player is the GUI thread's: it opens the file and then takes the record.
    emit emitPlayer();
    emit emitThreadComplete();
}

void QVideoEditingDlg::startPlayerCon() {
    m_playerManager->openFileInNewPlayer(m_mediaPath, m_openHintA, m_openHintB, 3);
}

void QVideoEditingDlg::threadComplete() {
    // The worker has emitted its last signal; joining it takes no time and makes its
    // writes to the initial record visible here.
    stopAndWait();
    const QSize size = m_playerManager->videoSize();
    m_initConfig.sourceWidth = size.width();
    m_initConfig.sourceHeight = size.height();
    m_settings->setEditConfig(m_initConfig);
    m_trimTab->loadingSetting();
    if (m_waitDlg != nullptr) {
        m_waitDlg->close();
    }
    m_playerManager->onPlay();
    m_loading = false;
    m_loaded = true;
}

// ---- Tabs and layout -------------------------------------------------------------------

void QVideoEditingDlg::selectedTag(int index) {
    m_currentTab = index;
    // Called from code the bar has not moved: it shows the tab shown all the same.
    if (m_tabBar) {
        m_tabBar->showSelected(index);
    }
    m_playerBar->setVisible(index != Trim && index != Tag);
    const QList<QPair<int, QWidget*>> tabs = {
        {Trim, m_trimTab},         {Adjust, m_adjustTab}, {Effect, m_effectTab}, {Watermark, m_watermarkTab},
        {Subtitle, m_subtitleTab}, {Audio, m_audioTab},   {Tag, m_tagTab}};
    for (const auto& tab : tabs) {
        if (tab.second != nullptr) {
            tab.second->setVisible(tab.first == index);
        }
    }
    // The preview takes its new size before its mode shows the crop or watermark frame.
    relayout();
    m_preview->setVisible(index != Tag);
    m_preview->setMode(index);
}

void QVideoEditingDlg::isHaveVideo(bool hasVideo) {
    m_tabBar->setTagDisabled(Tag, hasVideo);
    m_trimTab->setSnapshotDisabled(!hasVideo);
}

void QVideoEditingDlg::relayout() {
    const int w = width();
    const int h = height();
    if (m_spinner) {
        m_spinner->setGeometry((w - 80) / 2, (h - 80) / 2, 80, 80);
    }
    if (m_btnClose == nullptr) {
        return;
    }
    m_btnClose->move(w - m_btnClose->width(), 0);
    m_btnMin->move(m_btnClose->x() - m_btnMin->width(), 0);
    m_btnOK->move(w - m_btnOK->width() - 15, h - 50 + (50 - m_btnOK->height()) / 2);
    m_btnCancel->move(m_btnOK->x() - 15 - m_btnCancel->width(), h - 50 + (50 - m_btnCancel->height()) / 2);
    m_btnPreviousFile->move(15, h - 50 + (50 - m_btnPreviousFile->height()) / 2);
    m_btnNextFile->move(m_btnPreviousFile->x() + m_btnPreviousFile->width(), m_btnPreviousFile->y());
    if (m_tabBar) {
        m_tabBar->setGeometry(0, 30, w, 25);
    }
    const int tabTop = h - 56 - 128;
    for (QWidget* tab :
         {static_cast<QWidget*>(m_adjustTab), static_cast<QWidget*>(m_effectTab), static_cast<QWidget*>(m_watermarkTab),
          static_cast<QWidget*>(m_subtitleTab), static_cast<QWidget*>(m_audioTab)}) {
        if (tab != nullptr) {
            tab->setGeometry(6, tabTop, w - 12, 128);
        }
    }
    if (m_trimTab) {
        m_trimTab->setGeometry(6, h - 56 - 86, w - 12, 86);
    }
    if (m_playerBar) {
        m_playerBar->setGeometry(6, tabTop - 6 - 26, w - 12, 26);
    }
    if (m_tagTab) {
        m_tagTab->setGeometry(0, 55, w, h - 105);
    }
    if (m_preview) {
        // The preview reaches down to the trim tab (86 high, 56 above the bottom) on
        // Trim, and to the transport bar (26 high, 6 above the 128-high tabs) elsewhere.
        const int trimTop = h - 56 - 86;
        const int transportTop = h - 56 - 128 - 6 - 26;
        const int bottom = m_currentTab == Trim ? trimTop : transportTop;
        m_preview->setGeometry(0, 55, w, bottom - 55);
    }
}

void QVideoEditingDlg::paintEvent(QPaintEvent* event) {
    QRZDialog::paintEvent(event);
    QPainter painter(this);
    painter.setPen(QColor(55, 53, 53));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

void QVideoEditingDlg::mouseMoveEvent(QMouseEvent* event) {
    QRZDialog::mouseMoveEvent(event);
    if (m_preview) {
        m_preview->placeOverlays();
    }
}

void QVideoEditingDlg::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && !m_loaded) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void QVideoEditingDlg::dlgClose() {}

// ---- OK, apply to all, snapshots --------------------------------------------------------

bool QVideoEditingDlg::tagsChanged(const VEEditConfig&) const {
    return m_tagTab->isTagsChanged();
}

void QVideoEditingDlg::onOK() {
    if (!m_loaded) {
        return;
    }
    // Handles moved but not yet applied count as the range.
    m_trimTab->onTrim();
    VEEditConfig edit;
    m_settings->getEditConfig(edit);
    const QString coverPath = m_tagTab->coverImagePath();
    const bool changed = tagsChanged(edit);
    if (edit.trimStart != 0 || edit.trimEnd != 0) {
        // The new file takes the changed tags; the source's entry keeps its own.
        emit emitConvertFile(edit);
    } else if (changed) {
        // A file that refuses the tags keeps the editor open and the history unchanged.
        if (!m_infoManager->saveTags(edit.tags)) {
            const QString path = m_infoManager->path();
            const QString why = !RZInfoManager::canWriteTags(path)
                                    ? tr("Tags cannot be written into a file of this type.")
                                : RZInfoManager::hasCover(edit.tags) && !RZInfoManager::canHoldCover(path)
                                    ? tr("A WAV file cannot hold a cover. Remove the cover to save the other tags.")
                                    : tr("The tags could not be written to the file.");
            QRZMessageBox::showMessage(this, why, QString(), QRZMessageBox::Error, QRZMessageBox::OkButton);
            return;
        }
        emit emitAudioTagChange(edit.tags, coverPath);
    }
    accept();
}

void QVideoEditingDlg::onApplyToAll() {
    // Only kept: nothing applies the selection to other files yet.
    VEEditConfig edit;
    m_settings->getEditConfig(edit);
    QObject* from = sender();
    if (from == m_adjustTab) {
        m_applyToAll.crop = edit.crop;
        m_applyFlags[0] = true;
    } else if (from == m_effectTab) {
        m_applyToAll.adjust = edit.adjust;
        m_applyToAll.watermarks[0] = edit.watermarks[0];
        m_applyToAll.watermarks[1] = edit.watermarks[1];
        m_applyFlags[1] = m_applyFlags[3] = m_applyFlags[4] = true;
    } else if (from == m_watermarkTab) {
        m_applyToAll.watermarks[2] = edit.watermarks[2];
        m_applyFlags[2] = true;
    } else if (from == m_subtitleTab) {
        m_applyToAll.stream = edit.stream;
        m_applyToAll.subtitleStyle = edit.subtitleStyle;
        m_applyFlags[5] = m_applyFlags[7] = true;
    } else if (from == m_audioTab) {
        m_applyToAll.audio = edit.audio;
        m_applyToAll.audioEffect = edit.audioEffect;
        m_applyFlags[6] = m_applyFlags[8] = m_applyFlags[9] = true;
    }
}

void QVideoEditingDlg::onSnapshot() {
    const QString folder = QDir::fromNativeSeparators(m_snapshotFolder);
    if (!folder.isEmpty() && QDir(folder).exists()) {
        const QString name = QStringLiteral("ScreenCapture_%1.%2")
                                 .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMddhhmmsszzz")),
                                      m_snapshotFormat.toLower());
        const QString path = QStringLiteral("%1/%2").arg(folder, name);
        if (m_playerManager != nullptr) {
            const bool ok = m_playerManager->saveSnapshot(path);
            showToast(ok ? tr("Snapshot successfully!") : tr("Snapshot failed!"));
        }
        return;
    }
    showToast(QStringLiteral("\"%1\"").arg(m_snapshotFolder) + tr("is not exists"));
}

void QVideoEditingDlg::showToast(const QString& text) {
    if (m_toast == nullptr) {
        m_toast = new QMessageOpacityForm(this);
        m_toast->loadBackgroundImage(editorImagePath(QStringLiteral("/VEditSource/bg_3.png")), false);
        m_toast->setFixedSize(351, 125);
    }
    m_toast->setMessage(text);
    m_toast->restartFade();
    m_toast->showLink(0, 0, false);
    m_toast->showNote(false);
    const QRect desktop = QGuiApplication::primaryScreen()->geometry();
    m_toast->move(desktop.width() - m_toast->width() - 10, desktop.height() - m_toast->height() - 60);
    m_toast->show();
}

void QVideoEditingDlg::onSnapshotMenu() {
    m_snapshotMenu->popup(QCursor::pos() - QPoint(2, 0));
}

void QVideoEditingDlg::openImgPath() {
    const QString folder = QDir::fromNativeSeparators(m_snapshotFolder);
    openFolderInFileManager(folder.toUtf8().toStdString());
}

void QVideoEditingDlg::showPathSettingDlg() {
    QCaptureSettingDlg dialog(nullptr);
    dialog.setWindowFlags(windowFlags());
    connect(&dialog, &QCaptureSettingDlg::emitDlgClose, this, &QVideoEditingDlg::dlgClose);
    if (dialog.exec() == QDialog::Accepted) {
        loadSnapshotSettings();
    }
}
