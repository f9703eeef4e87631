// The editor window: edits one media file of the history library. It owns the file's
// playback controller, an information reader and the settings holder with the file's
// edit record; shows the preview, the tab bar and the operation tabs; loads the file on
// a worker thread while an invisible modal wait dialog blocks the user and a spinner
// turns. OK hands the edit to the history list (a conversion, or tags written in place);
// snapshots save the player's frame into the snapshot folder.
//
// Threads: the worker (run) only reads the file's information, cover, tags and chapters
// into the initial record; everything else, the player included, is the GUI thread's.
// The destructor joins the worker before anything it uses goes.
#pragma once

#include "app/QUtilThread.h"
#include "media/VEEditConfig.h"
#include "toolkit/QRZDialog.h"

#include <QImage>
#include <QString>

#include <atomic>

class QAction;
class QAdjustOperationForm;
class QAudioOperationForm;
class QAudioTagForm;
class QEffectOperationForm;
class QSubtitleOperationForm;
class QWatermarkOperationForm;
class QMediaForm;
class QMessageOpacityForm;
class QPlayerOperationForm;
class QProgressIndicator;
class QRZBaseButton;
class QRZMenu;
class QTimer;
class QTrimOperationForm;
class QVideoEditTag;
class QVideoEditingSettings;
class QWaitForDlg;
class RZInfoManager;
class RZPlayerManager;

class QVideoEditingDlg : public QRZDialog, public QUtilThread {
    Q_OBJECT
public:
    enum Tab { Trim = 0, Adjust, Effect, Watermark, Subtitle, Audio, Tag };

    explicit QVideoEditingDlg(QWidget* parent = nullptr);
    ~QVideoEditingDlg() override;

    // The file to edit and the two open hints (0 takes the reader's own); before the
    // first show.
    void setMediaFile(const QString& path, int hintA, int hintB);

    bool isLoaded() const { return m_loaded; }
    int currentTab() const { return m_currentTab; }
    RZPlayerManager* playerManager() const { return m_playerManager; }
    QVideoEditingSettings* settings() const { return m_settings; }
    QVideoEditTag* tabBar() const { return m_tabBar; }
    QMediaForm* preview() const { return m_preview; }
    QPlayerOperationForm* transportBar() const { return m_playerBar; }
    QTrimOperationForm* trimTab() const { return m_trimTab; }
    QAdjustOperationForm* adjustTab() const { return m_adjustTab; }
    QAudioTagForm* tagTab() const { return m_tagTab; }
    QWatermarkOperationForm* watermarkTab() const { return m_watermarkTab; }
    QWaitForDlg* waitDialog() const { return m_waitDlg; }
    QProgressIndicator* spinner() const { return m_spinner; }
    QMessageOpacityForm* toast() const { return m_toast; }
    QRZMenu* snapshotMenu() const { return m_snapshotMenu; }
    QString snapshotFolder() const { return m_snapshotFolder; }
    QString snapshotFormat() const { return m_snapshotFormat; }
    // The snapshot format (an image suffix such as "JPG") and folder.
    void setSnapshotSettings(const QString& format, const QString& folder);
    // Both again from the editor's settings file.
    void loadSnapshotSettings();

    // The transport bar and the trim tab drive the playback controller and show what it
    // reports (snapshots are the window's own connections).
    static void connectTransport(RZPlayerManager* manager, QPlayerOperationForm* bar, QTrimOperationForm* trim);

signals:
    void emitConvertFile(VEEditConfig edit);
    void emitAudioTagChange(VEAudioTagInfo tags, QString coverPath);
    void emitMediaCoverImage(QImage image);
    void emitThreadComplete();
    void emitPlayer();
    void emitPreviousFile();
    void emitNextFile();
    void emitAddSubtitleToCmb(QString name, QString path);

public slots:
    void selectedTag(int index);
    void isHaveVideo(bool hasVideo);
    void loadingTimer();
    void threadComplete();
    void startPlayerCon();
    void onWatermartTextSetting();
    void onSubtitleSetting();
    void dlgClose();
    void onOK();
    void onApplyToAll();
    void onSnapshot();
    void onSnapshotMenu();
    void openImgPath();
    void showPathSettingDlg();

protected:
    void run() override;
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void relayout() override;

private:
    void setupButtons();
    void setupTabs();
    void setupSnapshotMenu();
    void showToast(const QString& text);
    // Whether the edit's tags differ from the file's.
    bool tagsChanged(const VEEditConfig& edit) const;

    QRZBaseButton* m_btnMin = nullptr;
    QRZBaseButton* m_btnClose = nullptr;
    QRZBaseButton* m_btnCancel = nullptr;
    QRZBaseButton* m_btnOK = nullptr;
    QRZBaseButton* m_btnMax = nullptr;
    QRZBaseButton* m_btnNextFile = nullptr;
    QRZBaseButton* m_btnPreviousFile = nullptr;
    RZPlayerManager* m_playerManager = nullptr;
    RZInfoManager* m_infoManager = nullptr;
    QVideoEditingSettings* m_settings = nullptr;
    QVideoEditTag* m_tabBar = nullptr;
    int m_currentTab = 0;
    QMediaForm* m_preview = nullptr;
    QPlayerOperationForm* m_playerBar = nullptr;
    QTrimOperationForm* m_trimTab = nullptr;
    QAdjustOperationForm* m_adjustTab = nullptr;
    QEffectOperationForm* m_effectTab = nullptr;
    QWatermarkOperationForm* m_watermarkTab = nullptr;
    QSubtitleOperationForm* m_subtitleTab = nullptr;
    QAudioOperationForm* m_audioTab = nullptr;
    QAudioTagForm* m_tagTab = nullptr;
    QRZMenu* m_snapshotMenu = nullptr;
    QAction* m_actOpenFolder = nullptr;
    QAction* m_actSettings = nullptr;
    QString m_snapshotFormat;
    QString m_snapshotFolder;
    QMessageOpacityForm* m_toast = nullptr;
    VEEditConfig m_applyToAll;
    bool m_applyFlags[10] = {};
    VEEditConfig m_initConfig; // written by the worker while loading, read after
    int m_hintA = 0;
    int m_hintB = 0;
    int m_openHintA = 0;
    int m_openHintB = 0;
    QString m_mediaPath;
    QTimer* m_loadingTimer = nullptr;
    QWaitForDlg* m_waitDlg = nullptr;
    QProgressIndicator* m_spinner = nullptr;
    std::atomic<bool> m_loaded{false};
    bool m_loading = false;
    bool m_shownOnce = false;
};
