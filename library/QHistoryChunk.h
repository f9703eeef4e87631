// The history library's records and table models: one QHistoryChunk per listed media
// file, QHistorModel showing them in six columns (cover, name, four action columns) and
// QHistorySortModel filtering them by file type and by the search text. The history list
// owns the records and the vector the model shows. GUI thread only.
#pragma once

#include "toolkit/IBaseChunk.h"
#include "toolkit/QBaseDetailsModel.h"
#include "toolkit/QRZBaseSortModel.h"

#include <string>

struct HistoryXmlItem;

// The record's title is the base's name, its cover-image path the base's image path.
class QHistoryChunk : public IBaseChunk {
public:
    QHistoryChunk() = default;
    ~QHistoryChunk() override = default;

    // A record filled from a history entry; the display name is the text after the
    // path's last "/".
    static QHistoryChunk* fromHistoryItem(const HistoryXmlItem& item);

    void setPath(std::string value) { m_path = std::move(value); }
    std::string path() const { return m_path; }
    void setDisplayName(std::string value) { m_displayName = std::move(value); }
    std::string displayName() const { return m_displayName; }
    void setArtist(std::string value) { m_artist = std::move(value); }
    std::string artist() const { return m_artist; }
    void setAlbum(std::string value) { m_album = std::move(value); }
    std::string album() const { return m_album; }
    void setGenre(std::string value) { m_genre = std::move(value); }
    std::string genre() const { return m_genre; }
    void setDuration(std::string value) { m_duration = std::move(value); }
    std::string duration() const { return m_duration; }
    void setSize(std::string value) { m_size = std::move(value); }
    std::string size() const { return m_size; }
    void setCreateTime(std::string value) { m_createTime = std::move(value); }
    std::string createTime() const { return m_createTime; }
    void setResolution(std::string value) { m_resolution = std::move(value); }
    std::string resolution() const { return m_resolution; }
    void setExtension(std::string value) { m_extension = std::move(value); }
    std::string extension() const { return m_extension; }
    void setFormat(std::string value) { m_format = std::move(value); }
    std::string format() const { return m_format; }
    void setVideoFile(bool video) { m_video = video; }
    bool isVideoFile() const { return m_video; }
    void setNewFile(bool isNew) { m_new = isNew; }
    bool isNewFile() const { return m_new; }

private:
    std::string m_path; // forward slashes
    std::string m_displayName;
    std::string m_artist;
    std::string m_album;
    std::string m_genre;
    std::string m_duration;
    std::string m_size;
    std::string m_createTime;
    std::string m_resolution;
    std::string m_extension;
    std::string m_format;
    bool m_video = true;
    bool m_new = false;
};

// The record shown at a model index (source or proxy index of the history models).
QHistoryChunk* historyChunkOf(const QModelIndex& index);

class QHistorModel : public QBaseDetailsModel {
    Q_OBJECT
public:
    explicit QHistorModel(QObject* parent = nullptr);

    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    // Column 1 never changes the record: it asks the list to rename the file.
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

signals:
    void emitChangeName(const QModelIndex& index, const QString& name);
};

class QHistorySortModel : public QRZBaseSortModel {
    Q_OBJECT
public:
    enum FileType { Video = 1, Audio = 2, All = 3 };

    explicit QHistorySortModel(QObject* parent = nullptr);

    Qt::ItemFlags flags(const QModelIndex& index) const override;
    void setFileType(int type);
    int fileType() const { return m_fileType; }

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;

private:
    int m_fileType = All;
};
