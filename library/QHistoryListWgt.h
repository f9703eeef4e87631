// The body of the history dialog: loads the entries of History.xml into records, keeps
// them in one row list and three type lists (all, video, audio), shows them in a table
// and carries out the actions on a record: play, previous and next, open the folder,
// delete or unlist, rename. Playing is the dialog player's play object's job; the list
// tells it which file to open and when to start. GUI thread only.
#pragma once

#include "media/VEEditConfig.h"
#include "toolkit/QRZWidget.h"

#include <QImage>
#include <QList>
#include <QModelIndex>
#include <QPoint>
#include <QStringList>

#include <vector>

class IBaseChunk;
class QAction;
class QConvertProgressDlg;
class RZConverterObject;
struct ConvertConfig;
class QHistoryChunk;
class QHistoryDelegate;
class QHistorModel;
class QHistorySortModel;
class QLabel;
class QRZItemButtonList;
class QRZMenu;
class QRZStyleButton;
class QTableViewEx;
class RZQPlayObject;
struct HistoryXmlItem;

class QHistoryListWgt : public QRZWidget {
    Q_OBJECT
public:
    enum FileType { Video = 1, Audio = 2, All = 3 };

    explicit QHistoryListWgt(QWidget* parent = nullptr);
    ~QHistoryListWgt() override;

    void setPlayObject(RZQPlayObject* playObject);

    // Puts a record (owned from now on) first in the row list, the all list and its
    // type's list, and shows it.
    void insertChunkAtHead(QHistoryChunk* chunk);

    QTableViewEx* view() const { return m_historyView; }
    QHistorModel* model() const { return m_model; }
    QHistorySortModel* sortModel() const { return m_sortModel; }
    QLabel* nothingLabel() const { return m_labNothing; }
    QRZMenu* tableMenu() const { return m_menu; }
    const std::vector<IBaseChunk*>& rows() const { return m_rows; }
    const QList<QHistoryChunk*>& allChunks() const { return m_all; }
    const QList<QHistoryChunk*>& videoChunks() const { return m_videos; }
    const QList<QHistoryChunk*>& audioChunks() const { return m_audios; }
    QHistoryChunk* playingChunk() const { return m_playing; }
    QHistoryChunk* editingChunk() const { return m_editing; }
    // Makes the record the one the editor's reports apply to (editItem does it).
    void setEditingChunk(QHistoryChunk* chunk) { m_editing = chunk; }
    RZConverterObject* converter() const { return m_converter; }
    QConvertProgressDlg* convertProgressDlg() const { return m_convertDlg; }
    // The conversion request for a record: default parameters with the record's format
    // in lower case, its path, the recording output folder, its extension and name.
    static void getConvertParamConfig(ConvertConfig& config, QHistoryChunk* chunk);
    int currentFileType() const { return m_fileType; }

    // The folder pruning of a deleted file stops at: the entry's output root, else the
    // recording output folder; "/"-separated with a trailing "/", empty when neither
    // is known.
    static QString pruneRoot(const QString& preferencePath, const QString& outputFolder);
    // Removes `folder` and each emptied parent while it lies strictly inside `root`.
    static void pruneEmptyFolders(QString folder, QString root);

signals:
    void emitPlayFile(QString path);
    void emitPlayName(QString name);
    void emitShowPlayWgt();
    void emitStartPlayerTimer(bool start);
    void emitChangeNameFailureToolTip(QPoint globalPoint);

public slots:
    void OnSearchString(QString text);
    void playItem(QModelIndex index);
    void doubleClickItemView(QModelIndex index);
    void playModeView(QModelIndex index);
    void OnChangeName(QModelIndex index);
    void sraechItem(QModelIndex index);
    void showToolTip(QModelIndex index);
    void showFileType(int type);
    void ItemImageChange();
    void removeChunk(QHistoryChunk* chunk);
    void ActPlayFile();
    void showTableMenu(QPoint point);
    void ClickItemView(QModelIndex index);
    void OnBtnPlay();
    void OnBtnPrevious();
    void OnBtnNext();
    void mediaCoverImage(QImage image);
    // Opens the editor on the row's file and runs it modally.
    void editItem(QModelIndex index);
    // The editor's reports: the file's cover, changed tags (with the chosen cover file),
    // an edit to convert into a new file.
    void dlgMediaCoverImage(QImage image);
    void audioTagChange(VEAudioTagInfo tags, QString coverPath);
    void convertFile(VEEditConfig edit);
    void convertedStart();
    void convertProgress(uint percent);
    void cancelConvert();
    void convertedFinish(bool ok);

    void deleteItem(QModelIndex index);
    void ActDeleteFile();
    void ActDeleteAll();
    void OnBtnAllDelete();
    void disposeFile(QStringList paths, int mode);
    void ItemNameChange(QModelIndex index, QString newName);
    void changeNameFailureToolTip(QPoint globalPoint);

protected:
    void relayout() override;
    void paintEvent(QPaintEvent* event) override;

private:
    void setupForm();
    void setupTable();
    void addCellButton(int column, const QString& text, const QString& image,
                       void (QHistoryListWgt::*slot)(QModelIndex));
    void setupMenu();
    void loadHistory();
    void addChunk(QHistoryChunk* chunk, bool atHead);
    void updateTableVisibility();
    void showCurrentRow();
    QList<QHistoryChunk*>& listOfType(int type);
    void startPlaying(QHistoryChunk* chunk);
    void makePlaying(QHistoryChunk* chunk);
    void stepPlaying(int direction);
    // Forgets and closes the playing record when it is among `chunks`.
    void releasePlaying(const QList<QHistoryChunk*>& chunks);
    void removeAndDelete(const QList<QHistoryChunk*>& chunks);
    void deleteChunks(const QList<QHistoryChunk*>& chunks, const QString& question);
    QList<QHistoryChunk*> shownChunks() const;

    QTableViewEx* m_historyView = nullptr;
    QLabel* m_labNothing = nullptr;
    QHistorModel* m_model = nullptr;
    QHistorySortModel* m_sortModel = nullptr;
    QHistoryDelegate* m_delegate = nullptr;
    QList<QRZItemButtonList*> m_buttonLists;
    QList<QRZStyleButton*> m_cellButtons;

    std::vector<IBaseChunk*> m_rows;
    QList<QHistoryChunk*> m_all;
    QList<QHistoryChunk*> m_videos;
    QList<QHistoryChunk*> m_audios;
    QList<HistoryXmlItem>* m_entries;
    int m_fileType = 0; // 0 until the first record is played
    QHistoryChunk* m_playing = nullptr;
    QHistoryChunk* m_editing = nullptr;
    RZQPlayObject* m_playObject = nullptr;
    QPoint m_clickPos{-1, -1};
    QPersistentModelIndex m_menuRow; // the row the context menu was opened on
    RZConverterObject* m_converter = nullptr;
    QConvertProgressDlg* m_convertDlg = nullptr; // no parent; deleted with the list
    bool m_convertBusy = false;                  // a job was started and has not reported its end
    QRZMenu* m_menu = nullptr;
    QAction* m_actPlay = nullptr;
    QAction* m_actDelete = nullptr;
    QAction* m_actDeleteAll = nullptr;
};
