// The history list's side of editing: opening the editor on a record, taking its cover
// and changed tags into the record and History.xml, and turning an edit into a new file
// through the conversion job, which is then listed first.
#include "library/QHistoryListWgt.h"

#include "app/AppGlobals.h"
#include "app/HistoryFile.h"
#include "app/Utilities.h"
#include "editor/QVideoEditingDlg.h"
#include "library/QConvertProgressDlg.h"
#include "library/QHistoryChunk.h"
#include "library/QHistoryViewParts.h"
#include "media/ConvertParam.h"
#include "media/FormatTables.h"
#include "media/RZConverterObject.h"
#include "toolkit/QRZMessageBox.h"

#include <QDateTime>
#include <QDebug>
#include <QDir>
#include <QFileInfo>

namespace {

QString fromUtf8(const std::string& text) {
    return QString::fromStdString(text);
}

std::string utf8(const QString& text) {
    return text.toUtf8().toStdString();
}

// The record's History.xml entry; where the file has lost it, the record's own fields.
HistoryXmlItem entryOf(QHistoryChunk* chunk) {
    const QString path = fromUtf8(chunk->path());
    if (std::optional<HistoryXmlItem> stored = findHistoryItem(path)) {
        return *stored;
    }
    HistoryXmlItem item;
    item.mediaPath = path;
    item.thumbnailPath = fromUtf8(chunk->imagePath());
    item.title = fromUtf8(chunk->name());
    item.artist = fromUtf8(chunk->artist());
    item.album = fromUtf8(chunk->album());
    item.genre = fromUtf8(chunk->genre());
    item.duration = fromUtf8(chunk->duration());
    item.size = fromUtf8(chunk->size());
    item.creationTime = fromUtf8(chunk->createTime());
    item.resolution = fromUtf8(chunk->resolution());
    item.extension = fromUtf8(chunk->extension());
    item.format = fromUtf8(chunk->format());
    item.isVideo = chunk->isVideoFile();
    item.isNew = chunk->isNewFile();
    return item;
}

// Thumbnails live in the temporary product folder, named by the MD5 of the media path.
QString thumbnailPathFor(const QString& mediaPath) {
    return getTempProductDir() + QStringLiteral("/") + QString::fromStdString(MD5(utf8(mediaPath)).hexdigest()) +
           QStringLiteral(".JPG");
}

QImage fitThumbnail(const QImage& image) {
    if (image.width() <= 120 && image.height() <= 120) {
        return image;
    }
    return image.scaled(120, 120, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}

} // namespace

void QHistoryListWgt::editItem(QModelIndex index) {
    if (!index.isValid()) {
        return;
    }
    QHistoryChunk* chunk = historyChunkOf(index);
    if (chunk == nullptr) {
        return;
    }
    emit emitStartPlayerTimer(false);
    m_editing = chunk;
    {
        QVideoEditingDlg editor(nullptr);
        // The editor takes the stay-on-top hint of the window the list sits in.
        Qt::WindowFlags flags = editor.windowFlags();
        if (window() != nullptr && window()->windowFlags().testFlag(Qt::WindowStaysOnTopHint)) {
            flags |= Qt::WindowStaysOnTopHint;
        }
        editor.setWindowFlags(flags);
        editor.setMediaFile(fromUtf8(chunk->path()), 0, 0);
        connect(&editor, &QVideoEditingDlg::emitConvertFile, this, &QHistoryListWgt::convertFile);
        connect(&editor, &QVideoEditingDlg::emitAudioTagChange, this, &QHistoryListWgt::audioTagChange);
        connect(&editor, &QVideoEditingDlg::emitMediaCoverImage, this, &QHistoryListWgt::dlgMediaCoverImage);
        editor.exec();
    }
    emit emitStartPlayerTimer(true);
}

void QHistoryListWgt::dlgMediaCoverImage(QImage image) {
    if (m_editing == nullptr || image.isNull()) {
        return;
    }
    const QString coverPath = fromUtf8(m_editing->imagePath());
    if (coverPath.isEmpty() || QFileInfo::exists(coverPath)) {
        return;
    }
    getTempProductDir();
    fitThumbnail(image).save(coverPath, "JPG");
}

void QHistoryListWgt::audioTagChange(VEAudioTagInfo tags, QString coverPath) {
    if (m_editing == nullptr) {
        return;
    }
    HistoryXmlItem entry = entryOf(m_editing);
    entry.album = fromUtf8(tags.album);
    entry.artist = fromUtf8(tags.artist);
    entry.genre = fromUtf8(tags.genre);
    entry.title = fromUtf8(tags.title);
    m_editing->setAlbum(tags.album);
    m_editing->setArtist(tags.artist);
    m_editing->setGenre(tags.genre);
    m_editing->setName(tags.title);

    const int coverSize = qMin<int>(tags.coverSize, int(tags.cover_image.size()));
    if (!coverPath.isEmpty() && coverSize > 0) {
        coverPath.replace(QLatin1Char('\\'), QLatin1Char('/'));
        const QImage cover = QImage::fromData(reinterpret_cast<const uchar*>(tags.cover_image.data()), coverSize);
        const QString file = thumbnailPathFor(coverPath);
        if (!cover.isNull() &&
            cover.scaled(120, 120, Qt::IgnoreAspectRatio, Qt::SmoothTransformation).save(file, "JPG") &&
            file != fromUtf8(m_editing->imagePath())) {
            entry.thumbnailPath = file;
            m_editing->setImagePath(utf8(file));
        }
    }
    if (!addHistoryItem(entry)) {
        qWarning() << "audioTagChange------------------the history could not be saved" << entry.mediaPath;
        tellNotSavedLater(this, tr("The changed tags could not be saved in the history."));
    }
    resetModel(m_model);
}

void QHistoryListWgt::getConvertParamConfig(ConvertConfig& config, QHistoryChunk* chunk) {
    ConvertParam param;
    param.alternativeOpen = true;
    param.tagsOnly = false;
    const QString format = chunk ? fromUtf8(chunk->format()) : QString();
    qDebug() << "------format:" << format;
    param.setName(format.isEmpty() ? nullptr : format.toLower().toUtf8().constData());
    delete config.param;
    config.param = new ConvertParam(param);
    if (chunk == nullptr) {
        return;
    }
    config.sourcePath = fromUtf8(chunk->path());
    config.outputFolder = getOutputPath();
    config.extensionText = fromUtf8(chunk->extension());
    config.displayName = fromUtf8(chunk->displayName());
}

void QHistoryListWgt::convertFile(VEEditConfig edit) {
    if (m_convertDlg == nullptr) {
        m_convertDlg = new QConvertProgressDlg(nullptr);
        connect(m_convertDlg, &QConvertProgressDlg::emitCancel, this, &QHistoryListWgt::cancelConvert);
    }
    if (m_converter == nullptr) {
        m_converter = new RZConverterObject(this);
        connect(m_converter, &RZConverterObject::emitConvertedStart, this, &QHistoryListWgt::convertedStart,
                Qt::QueuedConnection);
        connect(m_converter, &RZConverterObject::emitConvertedFinish, this, &QHistoryListWgt::convertedFinish,
                Qt::QueuedConnection);
        connect(m_converter, &RZConverterObject::emitConvertProgress, this, &QHistoryListWgt::convertProgress,
                Qt::QueuedConnection);
    }
    if (m_convertBusy) {
        // One job at a time: a new start would stop the running one and delete its file.
        QRZMessageBox::showMessage(this, tr("A file is still being converted. Please wait until it is done."),
                                   QString(), QRZMessageBox::Warning, QRZMessageBox::OkButton);
        return;
    }
    ConvertConfig config;
    getConvertParamConfig(config, m_editing);
    config.edit = edit;
    m_convertBusy = true;
    m_converter->setJob(config);
    m_converter->startConvert();
}

void QHistoryListWgt::convertedStart() {
    if (m_convertDlg != nullptr) {
        m_convertDlg->setProgress(0);
        m_convertDlg->exec();
    }
}

void QHistoryListWgt::convertProgress(uint percent) {
    if (m_convertDlg != nullptr) {
        m_convertDlg->setProgress(float(percent));
    }
}

void QHistoryListWgt::cancelConvert() {
    if (m_converter != nullptr) {
        m_converter->stopConvert();
    }
}

void QHistoryListWgt::convertedFinish(bool ok) {
    m_convertBusy = false;
    if (m_convertDlg != nullptr) {
        m_convertDlg->finish();
    }
    auto* job = qobject_cast<RZConverterObject*>(sender());
    if (job == nullptr) {
        job = m_converter;
    }
    if (job == nullptr) {
        return;
    }
    const ConvertConfig done = job->job();
    if (!ok) {
        // A cancelled job is no failure: the user asked for it and its file is gone.
        if (!job->cancelled()) {
            QRZMessageBox::showMessage(this, tr("Cut out failure."), QString(), 4, QRZMessageBox::OkButton);
        }
        return;
    }
    if (m_editing == nullptr) {
        return;
    }
    const HistoryXmlItem source = entryOf(m_editing);
    HistoryXmlItem entry = source;
    const QFileInfo output(done.outputPath);
    entry.mediaPath = done.outputPath;
    entry.size = formatFileSize(output.size());
    QDateTime created = output.birthTime();
    if (!created.isValid()) {
        created = output.lastModified();
    }
    entry.creationTime = created.toString(QStringLiteral("dd-MM-yyyy hh:mm"));
    entry.duration = readDurationText(done.outputPath);
    entry.isNew = false; // stored as seen: the badge lasts until the history is opened again
    // The new file carries the edit's tags; the source keeps its own.
    const VEAudioTagInfo& tags = done.edit.tags;
    const auto take = [](QString& field, const std::string& text) {
        if (!text.empty()) {
            field = QString::fromStdString(text);
        }
    };
    take(entry.title, tags.title);
    take(entry.artist, tags.artist);
    take(entry.album, tags.album);
    take(entry.genre, tags.genre);

    const QString thumbnail = thumbnailPathFor(done.outputPath);
    if (!QFileInfo::exists(thumbnail)) {
        const QImage cover = readCoverImage(done.outputPath);
        if (!cover.isNull()) {
            fitThumbnail(cover).save(thumbnail, "JPG");
        }
    }
    entry.thumbnailPath = thumbnail;
    if (!addHistoryItem(entry)) {
        qWarning() << "convertedFinish------------------the history could not be saved" << entry.mediaPath;
        tellNotSavedLater(this, tr("The new file was saved but could not be added to the history:\n%1")
                                    .arg(QDir::toNativeSeparators(entry.mediaPath)));
    }
    QHistoryChunk* chunk = QHistoryChunk::fromHistoryItem(entry);
    if (!done.displayName.isEmpty()) {
        chunk->setDisplayName(utf8(done.displayName));
    }
    chunk->setNewFile(true);
    insertChunkAtHead(chunk);
}
