#include "library/QHistoryListWgt.h"

#include "app/AppGlobals.h"
#include "app/HistoryFile.h"
#include "library/QConvertProgressDlg.h"
#include "library/QHistoryChunk.h"
#include "library/QHistoryViewParts.h"
#include "library/RZQPlayObject.h"
#include "media/FormatTables.h"
#include "toolkit/QRZButton.h"
#include "toolkit/QRZItemButtonList.h"
#include "toolkit/QRZMenu.h"
#include "toolkit/QRZMessageBox.h"
#include "toolkit/QRZScrollBar.h"
#include "toolkit/StyleHelpers.h"

#include <QAction>
#include <QCursor>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QPainter>
#include <QPointer>

#include <algorithm>

namespace {

const QColor kListBackground(74, 72, 72);
const QColor kLightText(250, 237, 237);

QString historyImage(const QString& name) {
    return toolkitImagePath(QStringLiteral("/image/history_dlg/") + name);
}

QString fromUtf8(const std::string& text) {
    return QString::fromStdString(text);
}

// "/" for every backslash, no "//", and a trailing "/".
QString folderForm(QString path) {
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    while (path.contains(QLatin1String("//"))) {
        path.replace(QLatin1String("//"), QLatin1String("/"));
    }
    if (!path.isEmpty() && !path.endsWith(QLatin1Char('/'))) {
        path += QLatin1Char('/');
    }
    return path;
}

} // namespace

QHistoryListWgt::QHistoryListWgt(QWidget* parent) : QRZWidget(parent), m_entries(new QList<HistoryXmlItem>) {
    setupForm();
    setupTable();
    setupMenu();
    setMouseTracking(true);
    loadHistory();
}

QHistoryListWgt::~QHistoryListWgt() {
    m_historyView->setModel(nullptr);
    for (IBaseChunk* chunk : m_rows) {
        delete chunk;
    }
    m_rows.clear();
    delete m_entries;
    delete m_sortModel;
    delete m_model;
    delete m_delegate;
    qDeleteAll(m_buttonLists);
    qDeleteAll(m_cellButtons);
    delete m_convertDlg;
}

void QHistoryListWgt::setupForm() {
    setObjectName(QStringLiteral("QHistoryListWgt"));
    styleHistoryList(this);
    m_historyView = new QTableViewEx(this);
    m_historyView->setObjectName(QStringLiteral("m_historyView"));
    m_labNothing = new QLabel(tr("Nothing here yet!"), this);
    m_labNothing->setObjectName(QStringLiteral("m_labNothing"));
    m_labNothing->setAlignment(Qt::AlignCenter);
    setWidgetFont(m_labNothing, 18);
    setWidgetTextColor(m_labNothing, QPalette::WindowText, QColor(60, 59, 59));
    m_labNothing->adjustSize();
    m_historyView->raise(); // the label shows only while the table is hidden
}

void QHistoryListWgt::setupTable() {
    m_model = new QHistorModel;
    m_sortModel = new QHistorySortModel;
    m_delegate = new QHistoryDelegate;
    m_model->setChunks(&m_rows);
    m_model->setHeaderLabels(QVector<QString>(6).toList());
    m_sortModel->setSourceModel(m_model);
    m_sortModel->setDynamicSortFilter(true);
    m_sortModel->setFilterKeyColumn(-1);
    m_sortModel->setBackgroundColors(kListBackground, kListBackground);
    m_sortModel->setCurrentColors(QColor(81, 79, 79), kLightText);
    m_sortModel->setTextColors(kLightText, kLightText);

    QTableViewEx* view = m_historyView;
    view->setModel(m_sortModel);
    view->setSortModel(m_sortModel);
    view->setSourceModelRef(m_model);
    view->setItemDelegate(m_delegate);
    view->setDelegateRef(m_delegate);
    // Each cell tells what it is: the buttons their action, the name cell the record's
    // details, whose title is the whole name the narrow column may cut.
    view->setToolTipFlag(true);
    const int widths[] = {45, 185, 35, 25, 25, 16};
    for (int column = 0; column < 6; ++column) {
        view->setColumnWidth(column, widths[column]);
    }
    view->horizontalHeader()->hide();
    view->verticalHeader()->hide();
    view->horizontalHeader()->setStretchLastSection(true);
    view->horizontalHeader()->setMinimumSectionSize(20);
    view->verticalHeader()->setDefaultSectionSize(41);
    view->setShowGrid(false);
    view->setSortingEnabled(false);
    view->horizontalHeader()->setSortIndicator(0, Qt::AscendingOrder);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setIconSize(QSize(40, 40));
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setContextMenuPolicy(Qt::CustomContextMenu);
    view->setStyleSheet(QStringLiteral("QTableView{border:none;background:%1;}").arg(kListBackground.name()));
    auto* vertical = new QRZScrollBar(Qt::Vertical, view);
    styleScrollBar(vertical);
    vertical->setFixedWidth(11);
    view->setVerticalScrollBar(vertical);
    auto* horizontal = new QRZScrollBar(Qt::Horizontal, view);
    styleScrollBar(horizontal);
    view->setHorizontalScrollBar(horizontal);

    m_delegate->setColor(QColor(217, 106, 114));
    m_delegate->setColor1(kLightText);
    m_delegate->setColor2(QColor(68, 68, 68));
    m_delegate->setDefaultCoverImage(historyImage(QStringLiteral("item_icon.png")));
    m_delegate->setNewBadgeImage(historyImage(QStringLiteral("new_add.png")));
    addCellButton(0, tr("Play"), QStringLiteral("btn_play.png"), &QHistoryListWgt::playItem);
    addCellButton(2, tr("Edit Name"), QStringLiteral("btn_t.png"), &QHistoryListWgt::OnChangeName);
    addCellButton(3, tr("Open file location"), QStringLiteral("btn_sreach.png"), &QHistoryListWgt::sraechItem);
    addCellButton(4, tr("Edit"), QStringLiteral("btn_edit.png"), &QHistoryListWgt::editItem);
    addCellButton(5, tr("Delete"), QStringLiteral("btn_delete.png"), &QHistoryListWgt::deleteItem);

    connect(view, &QAbstractItemView::entered, this, &QHistoryListWgt::showToolTip);
    connect(view, &QAbstractItemView::clicked, this, &QHistoryListWgt::ClickItemView);
    connect(view, &QAbstractItemView::doubleClicked, this, &QHistoryListWgt::doubleClickItemView);
    connect(view, &QWidget::customContextMenuRequested, this, &QHistoryListWgt::showTableMenu);
    connect(m_model, &QHistorModel::emitChangeName, this, &QHistoryListWgt::ItemNameChange);
    connect(this, &QHistoryListWgt::emitChangeNameFailureToolTip, this, &QHistoryListWgt::changeNameFailureToolTip,
            Qt::QueuedConnection);
}

void QHistoryListWgt::addCellButton(int column, const QString& text, const QString& image,
                                    void (QHistoryListWgt::*slot)(QModelIndex)) {
    auto* button = new QRZStyleButton;
    button->setText(text);
    button->setToolTip(text);
    button->setImages(historyImage(image), historyImage(image));
    auto* list = new QRZItemButtonList(column);
    list->addButton(button);
    m_delegate->addItemButtons(list);
    connect(button, &QRZStyleButton::emitClickIndex, this, slot);
    m_cellButtons.append(button);
    m_buttonLists.append(list);
}

void QHistoryListWgt::setupMenu() {
    m_menu = new QRZMenu(this);
    styleMenu(m_menu);
    m_actPlay = m_menu->addAction(tr("Play"));
    m_actDelete = m_menu->addAction(tr("&Delete"));
    m_actDeleteAll = m_menu->addAction(tr("Delete All"));
    connect(m_actPlay, &QAction::triggered, this, &QHistoryListWgt::ActPlayFile);
    connect(m_actDelete, &QAction::triggered, this, &QHistoryListWgt::ActDeleteFile);
    connect(m_actDeleteAll, &QAction::triggered, this, &QHistoryListWgt::ActDeleteAll);
}

void QHistoryListWgt::loadHistory() {
    // Housekeeping of the file: nothing the user did is lost when it cannot be saved (the
    // next load does it again), so it is logged, not shown.
    bool saved = readAllHistoryItems(m_entries);
    for (int i = m_entries->size() - 1; i >= 0; --i) {
        HistoryXmlItem& entry = (*m_entries)[i];
        if (!QFileInfo::exists(entry.mediaPath)) {
            saved = removeHistoryItem(entry.mediaPath) && saved;
            continue;
        }
        if (entry.format.isEmpty()) {
            // Probed once: the name is stored with the entry, which no longer counts as new.
            entry.format = readContainerFormat(entry.mediaPath);
            HistoryXmlItem stored = entry;
            stored.isNew = false;
            saved = addHistoryItem(stored) && saved;
        }
        addChunk(QHistoryChunk::fromHistoryItem(entry), false);
    }
    if (!saved) {
        qWarning().noquote() << "history--------------------------History.xml could not be tidied (new marks, "
                                "gone files, formats); it is tried again at the next load:"
                             << historyFilePath();
    }
    resetModel(m_model);
    showCurrentRow();
    updateTableVisibility();
}

// The first row is the current one after loading and after a tab change (which resets the
// proxy and with it the view's current index), and it is drawn so: made current without
// being selected, since a selected row has a colour of its own.
void QHistoryListWgt::showCurrentRow() {
    if (m_sortModel->rowCount() == 0) {
        m_sortModel->setCurrentRow(-1);
        return;
    }
    if (!m_historyView->currentIndex().isValid()) {
        m_historyView->selectionModel()->setCurrentIndex(m_sortModel->index(0, 0), QItemSelectionModel::NoUpdate);
    }
    m_sortModel->setCurrentRow(m_historyView->currentIndex().row());
    m_historyView->viewport()->update();
}

void QHistoryListWgt::addChunk(QHistoryChunk* chunk, bool atHead) {
    QList<QHistoryChunk*>& typed = chunk->isVideoFile() ? m_videos : m_audios;
    if (atHead) {
        m_rows.insert(m_rows.begin(), chunk);
        m_all.prepend(chunk);
        typed.prepend(chunk);
    } else {
        m_rows.push_back(chunk);
        m_all.append(chunk);
        typed.append(chunk);
    }
}

void QHistoryListWgt::insertChunkAtHead(QHistoryChunk* chunk) {
    if (chunk == nullptr) {
        return;
    }
    addChunk(chunk, true);
    resetModel(m_model);
    updateTableVisibility();
}

void QHistoryListWgt::updateTableVisibility() {
    m_historyView->setVisible(m_sortModel->rowCount() > 0);
}

QList<QHistoryChunk*>& QHistoryListWgt::listOfType(int type) {
    if (type == Video) {
        return m_videos;
    }
    if (type == Audio) {
        return m_audios;
    }
    return m_all;
}

void QHistoryListWgt::setPlayObject(RZQPlayObject* playObject) {
    m_playObject = playObject;
    if (playObject != nullptr) {
        connect(playObject, &RZQPlayObject::emitCoverImage, this, &QHistoryListWgt::mediaCoverImage);
    }
}

void QHistoryListWgt::relayout() {
    m_historyView->setGeometry(rect());
    m_labNothing->adjustSize();
    m_labNothing->move((width() - m_labNothing->width()) / 2, height() / 2 + 60);
}

void QHistoryListWgt::paintEvent(QPaintEvent* event) {
    QRZWidget::paintEvent(event);
    const QImage logo(historyImage(QStringLiteral("convert_logo.png")));
    if (!logo.isNull()) {
        QPainter painter(this);
        painter.drawImage((width() - logo.width()) / 2, height() / 2 - 20 - logo.height() / 2, logo);
    }
}

// ---- Search and tabs -----------------------------------------------------------------

void QHistoryListWgt::OnSearchString(QString text) {
    if (m_rows.empty()) {
        return;
    }
    // The text is matched as typed: brackets, dots and parentheses are plain characters.
    m_sortModel->setFilterRegExp(QRegExp(text, Qt::CaseInsensitive, QRegExp::FixedString));
    // Typing never hides the table, but a table that a tab change hid comes back as soon
    // as the search lets rows through (an emptied search shows the whole tab).
    if (m_sortModel->rowCount() > 0) {
        m_historyView->show();
    }
    // The matches (or, once the search is emptied, the whole list) from the newest: the
    // place scrolled to before belonged to other rows.
    m_historyView->scrollToTop();
}

void QHistoryListWgt::showFileType(int type) {
    m_sortModel->setFileType(type);
    showCurrentRow();
    updateTableVisibility();
}

// ---- Playing -------------------------------------------------------------------------

void QHistoryListWgt::makePlaying(QHistoryChunk* chunk) {
    m_fileType = m_sortModel->fileType();
    m_playing = chunk;
    chunk->setNewFile(false);
    emit emitPlayName(fromUtf8(chunk->displayName()));
}

void QHistoryListWgt::startPlaying(QHistoryChunk* chunk) {
    makePlaying(chunk);
    if (m_playObject != nullptr) {
        m_playObject->openFile(fromUtf8(chunk->path()), 0, 0);
    }
    emit emitShowPlayWgt();
    if (m_playObject != nullptr) {
        m_playObject->StartPlay();
    }
    m_historyView->viewport()->update();
}

void QHistoryListWgt::playModeView(QModelIndex index) {
    QHistoryChunk* chunk = historyChunkOf(index);
    if (chunk != nullptr) {
        startPlaying(chunk);
    }
}

void QHistoryListWgt::playItem(QModelIndex index) {
    playModeView(index);
}

void QHistoryListWgt::doubleClickItemView(QModelIndex index) {
    playModeView(index);
}

void QHistoryListWgt::ActPlayFile() {
    // The row that was right-clicked, not the one under the menu: the menu may open
    // elsewhere to fit on the screen, and rows may have scrolled since.
    QModelIndex index = m_menuRow;
    if (!index.isValid()) {
        index = m_historyView->currentIndex();
    }
    playModeView(index);
}

void QHistoryListWgt::OnBtnPlay() {
    if (m_playing == nullptr && m_sortModel->rowCount() > 0) {
        const QModelIndexList selected = m_historyView->selectionModel()->selectedRows(0);
        const QModelIndex index = selected.isEmpty() ? m_sortModel->index(0, 0) : selected.first();
        if (QHistoryChunk* chunk = historyChunkOf(index)) {
            makePlaying(chunk);
            if (m_playObject != nullptr) {
                m_playObject->openFile(fromUtf8(chunk->path()), 0, 0);
            }
        }
    }
    emit emitShowPlayWgt();
    if (m_playObject != nullptr) {
        m_playObject->StartPlay();
    }
}

void QHistoryListWgt::stepPlaying(int direction) {
    if (m_fileType == 0 || m_playing == nullptr) {
        OnBtnPlay();
        return;
    }
    const QList<QHistoryChunk*>& list = listOfType(m_fileType);
    if (list.isEmpty()) {
        OnBtnPlay();
        return;
    }
    const int count = list.size();
    const int at = list.indexOf(m_playing); // -1: stands before the first entry
    int next;
    if (direction > 0) {
        next = (at + 1) % count;
    } else {
        next = at <= 0 ? count - 1 : at - 1;
    }
    QHistoryChunk* chosen = list.at(next);
    if (chosen != m_playing) {
        m_playing = chosen;
        chosen->setNewFile(false);
        emit emitPlayName(fromUtf8(chosen->displayName()));
        if (m_playObject != nullptr) {
            m_playObject->openFile(fromUtf8(chosen->path()), 0, 0);
        }
    }
    if (m_playObject != nullptr) {
        m_playObject->StartPlay();
    }
}

void QHistoryListWgt::OnBtnNext() {
    stepPlaying(1);
}

void QHistoryListWgt::OnBtnPrevious() {
    stepPlaying(-1);
}

void QHistoryListWgt::mediaCoverImage(QImage image) {
    if (m_playing == nullptr || image.isNull()) {
        return;
    }
    const QString coverPath = fromUtf8(m_playing->imagePath());
    if (coverPath.isEmpty() || QFileInfo::exists(coverPath)) {
        return;
    }
    getTempProductDir();
    image.scaled(120, 120, Qt::KeepAspectRatio, Qt::SmoothTransformation).save(coverPath, "JPG");
}

void QHistoryListWgt::ItemImageChange() {
    resetModel(m_model);
}

// ---- Other row actions ---------------------------------------------------------------

void QHistoryListWgt::sraechItem(QModelIndex index) {
    if (QHistoryChunk* chunk = historyChunkOf(index)) {
        // With no file manager and no desktop handler, the user learns the folder did not open.
        QPointer<QHistoryListWgt> self(this);
        openFolderOfFile(chunk->path(), [self](const QString& folder) {
            if (self != nullptr) {
                QRZMessageBox::showMessage(
                    self, tr("The folder could not be opened:\n%1").arg(QDir::toNativeSeparators(folder)), QString(),
                    QRZMessageBox::Error, QRZMessageBox::OkButton);
            }
        });
    }
}

void QHistoryListWgt::showToolTip(QModelIndex) {}

void QHistoryListWgt::ClickItemView(QModelIndex index) {
    if (index.isValid()) {
        m_clickPos = QCursor::pos();
    }
}

void QHistoryListWgt::showTableMenu(QPoint) {
    const QPoint cursor = QCursor::pos();
    const bool onClickedRow = cursor == m_clickPos;
    m_actPlay->setEnabled(onClickedRow);
    m_actDelete->setEnabled(onClickedRow);
    m_menuRow = onClickedRow
                    ? QPersistentModelIndex(m_historyView->indexAt(m_historyView->viewport()->mapFromGlobal(cursor)))
                    : QPersistentModelIndex();
    if (onClickedRow) {
        m_clickPos = QPoint(-1, -1);
    }
    m_menu->popup(cursor);
}

void QHistoryListWgt::removeChunk(QHistoryChunk* chunk) {
    m_rows.erase(std::remove(m_rows.begin(), m_rows.end(), chunk), m_rows.end());
    m_all.removeAll(chunk);
    (chunk->isVideoFile() ? m_videos : m_audios).removeAll(chunk);
}

// ---- Deleting and unlisting ------------------------------------------------------------

QList<QHistoryChunk*> QHistoryListWgt::shownChunks() const {
    QList<QHistoryChunk*> chunks;
    for (int row = 0; row < m_sortModel->rowCount(); ++row) {
        if (QHistoryChunk* chunk = historyChunkOf(m_sortModel->index(row, 0))) {
            chunks.append(chunk);
        }
    }
    return chunks;
}

void QHistoryListWgt::releasePlaying(const QList<QHistoryChunk*>& chunks) {
    if (m_playing == nullptr || !chunks.contains(m_playing)) {
        return;
    }
    m_playing = nullptr;
    emit emitPlayName(QString());
    if (m_playObject != nullptr) {
        m_playObject->closePlay();
    }
}

void QHistoryListWgt::removeAndDelete(const QList<QHistoryChunk*>& chunks) {
    if (m_editing != nullptr && chunks.contains(m_editing)) {
        m_editing = nullptr;
    }
    for (QHistoryChunk* chunk : chunks) {
        removeChunk(chunk);
        delete chunk;
    }
    resetModel(m_model);
}

void QHistoryListWgt::deleteChunks(const QList<QHistoryChunk*>& chunks, const QString& question) {
    if (chunks.isEmpty()) {
        return;
    }
    const int answer = askDeleteOrMove(this, question);
    if (answer != 1 && answer != 2) {
        return;
    }
    releasePlaying(chunks);
    QStringList paths;
    for (QHistoryChunk* chunk : chunks) {
        paths.append(fromUtf8(chunk->path()));
    }
    removeAndDelete(chunks);
    disposeFile(paths, answer);
    updateTableVisibility();
}

void QHistoryListWgt::deleteItem(QModelIndex index) {
    QHistoryChunk* chunk = historyChunkOf(index);
    if (chunk != nullptr) {
        deleteChunks({chunk}, tr("Do you want to delete the seleted files or just move \nthe files from the list?"));
    }
}

void QHistoryListWgt::ActDeleteFile() {
    QList<QHistoryChunk*> chunks;
    for (const QModelIndex& index : m_historyView->selectionModel()->selectedRows(0)) {
        if (QHistoryChunk* chunk = historyChunkOf(index)) {
            chunks.append(chunk);
        }
    }
    deleteChunks(chunks, tr("Do you want to delete the seleted files or just move \nthe files from the list?"));
}

void QHistoryListWgt::ActDeleteAll() {
    deleteChunks(shownChunks(), tr("Do you want to delete all files or just move the \nfiles from the list?"));
}

void QHistoryListWgt::OnBtnAllDelete() {
    if (m_rows.empty()) {
        return;
    }
    const int answer = askDeleteOrMove(this, tr("Do you want to delete all files or just move the \nfiles?"));
    if (answer != 1 && answer != 2) {
        return;
    }
    if (m_playing != nullptr) {
        releasePlaying({m_playing});
    }
    const QStringList paths = listHistoryFiles();
    disposeFile(paths, answer);
    const QList<QHistoryChunk*> every = m_all; // removeAndDelete changes m_all
    removeAndDelete(every);
    updateTableVisibility();
}

QString QHistoryListWgt::pruneRoot(const QString& preferencePath, const QString& outputFolder) {
    return folderForm(preferencePath.trimmed().isEmpty() ? outputFolder : preferencePath);
}

void QHistoryListWgt::pruneEmptyFolders(QString folder, QString root) {
    folder = folderForm(folder);
    root = folderForm(root);
    // Without a known root nothing is pruned; the root and everything outside it stay.
    while (!root.isEmpty() && folder.length() > root.length() && folder.startsWith(root)) {
        QDir dir(folder);
        const QStringList entries =
            dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
        if (!entries.isEmpty() || !QDir().rmdir(folder)) {
            return;
        }
        const int slash = folder.lastIndexOf(QLatin1Char('/'), -2);
        if (slash < 0) {
            return;
        }
        folder = folder.left(slash + 1);
    }
}

void QHistoryListWgt::disposeFile(QStringList paths, int mode) {
    if (paths.isEmpty() || mode != 2) {
        return;
    }
    const QString outputFolder = getOutputPath();
    QStringList kept;
    for (const QString& path : paths) {
        if (QFileInfo::exists(path) && !QFile::remove(path)) {
            kept.append(QDir::toNativeSeparators(path));
        }
        const QString folder = QFileInfo(path).absolutePath();
        pruneEmptyFolders(folder, pruneRoot(readHistoryPreferencePath(path), outputFolder));
    }
    if (!kept.isEmpty()) {
        QRZMessageBox::showMessage(this, tr("These files could not be deleted:\n%1").arg(kept.join(QLatin1Char('\n'))),
                                   QString(), QRZMessageBox::Error, QRZMessageBox::OkButton);
    }
}

// ---- Renaming --------------------------------------------------------------------------

void QHistoryListWgt::OnChangeName(QModelIndex index) {
    if (!index.isValid()) {
        return;
    }
    const QModelIndex nameIndex = index.sibling(index.row(), 1);
    m_historyView->setCurrentIndex(nameIndex);
    m_historyView->edit(nameIndex);
}

void QHistoryListWgt::ItemNameChange(QModelIndex index, QString newName) {
    static const QString forbidden = QStringLiteral("/:*\"<>|?\\");
    for (const QChar c : newName) {
        if (forbidden.contains(c)) {
            return;
        }
    }
    // A blank name would leave only the extension: a hidden file such as ".mp4".
    if (newName.trimmed().isEmpty()) {
        return;
    }
    QHistoryChunk* chunk = historyChunkOf(index);
    if (chunk == nullptr) {
        return;
    }
    const QString oldName = fromUtf8(chunk->displayName());
    const int dot = oldName.lastIndexOf(QLatin1Char('.'));
    newName += dot >= 0 ? oldName.mid(dot) : QString();
    const QString oldPath = fromUtf8(chunk->path());
    const QString newPath = oldPath.left(oldPath.lastIndexOf(QLatin1Char('/')) + 1) + newName;
    if (QFile::rename(oldPath, newPath)) {
        // A file whose entry keeps the old path would drop out of the history at the next
        // load: without the entry's new name the file keeps its old one.
        if (findHistoryItem(oldPath) && !renameHistoryItem(oldPath, newPath)) {
            const bool restored = QFile::rename(newPath, oldPath);
            tellNotSaved(this, restored ? tr("The new name could not be saved in the history; the file keeps its "
                                             "name.")
                                        : tr("The new name could not be saved in the history."));
            if (restored) {
                return;
            }
        }
        chunk->setPath(newPath.toUtf8().toStdString());
        chunk->setDisplayName(newName.toUtf8().toStdString());
        m_historyView->viewport()->update();
        return;
    }
    if (oldName == newName) {
        return;
    }
    QModelIndex cell = index;
    if (cell.model() != m_sortModel) {
        cell = m_sortModel->mapFromSource(index);
    }
    const QRect rect = m_historyView->visualRect(cell.sibling(cell.row(), 1));
    const QPoint centre(rect.left() + rect.width() / 2, rect.top() + rect.height() / 2);
    emit emitChangeNameFailureToolTip(m_historyView->viewport()->mapToGlobal(centre));
}

void QHistoryListWgt::changeNameFailureToolTip(QPoint globalPoint) {
    showCustomToolTip(parentWidget(), globalPoint,
                      tr("Edit failed. The file name is duplicated or contains \nspecial characters."),
                      toolkitImagePath(QStringLiteral("/image/common/rect.png")), 280, 30);
}
