#include "media/RZInfoManager.h"

#include "app/Utilities.h"
#include "platform/codec/calvorine_codec.h"
#include "tags/audiotagfile.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <cctype>
#include <cstring>
#include <vector>

namespace {

cvcodec_info asInfo(uintptr_t handle) {
    return reinterpret_cast<cvcodec_info>(handle);
}

// Tag text as the tag library takes it: UTF-16 from UTF-8 when the bytes are UTF-8, else
// from the local 8-bit code page.
QString tagText(const std::string& bytes) {
    if (bytes.empty()) {
        return {};
    }
    return isValidUtf8(bytes.c_str()) ? QString::fromUtf8(bytes.c_str()) : QString::fromLocal8Bit(bytes.c_str());
}

// The text the year field is written with. The tags tab shows only the year of a full
// date ("2016" of "2016-05-01"): while the year still reads as the date's own year the
// user did not change it, and the full date is written back instead of being cut short.
const std::string& yearToWrite(const VEAudioTagInfo& tags) {
    const std::string& year = tags.year;
    const std::string& date = tags.date;
    const bool dateOfThatYear = !year.empty() && date.size() > year.size() && date.compare(0, year.size(), year) == 0 &&
                                !std::isdigit(static_cast<unsigned char>(date[year.size()]));
    return dateOfThatYear ? date : year;
}

} // namespace

// ---- RZInfoClass ----

RZInfoClass::RZInfoClass(QObject* parent) : QObject(parent) {}

RZInfoClass::~RZInfoClass() {
    if (m_handle != 0) {
        cvcodec_info_close(asInfo(m_handle));
        cvcodec_info_release(asInfo(m_handle));
        m_handle = 0;
    }
}

void RZInfoClass::createHandle(int reserved) {
    if (m_handle == 0) {
        m_handle = reinterpret_cast<uintptr_t>(cvcodec_info_create(reserved));
    }
}

bool RZInfoClass::open(const char* pathUtf8) {
    return m_handle != 0 && cvcodec_info_open(asInfo(m_handle), pathUtf8) != 0;
}

bool RZInfoClass::openSource(int sourceIndex) {
    return m_handle != 0 && cvcodec_info_open_source(asInfo(m_handle), sourceIndex) != 0;
}

bool RZInfoClass::hasPicture() const {
    return m_handle != 0 && cvcodec_info_has_picture(asInfo(m_handle)) != 0;
}

int RZInfoClass::openHintA() const {
    return m_handle != 0 ? cvcodec_info_picture_width(asInfo(m_handle)) : 0;
}

int RZInfoClass::openHintB() const {
    return m_handle != 0 ? cvcodec_info_picture_height(asInfo(m_handle)) : 0;
}

const void* RZInfoClass::tag(const char* key) const {
    return m_handle != 0 ? cvcodec_info_tag(asInfo(m_handle), key) : nullptr;
}

unsigned char* RZInfoClass::picture(int a, int b, int c, int d, int e, int f) const {
    return m_handle != 0 ? cvcodec_info_picture(asInfo(m_handle), a, b, c, d, e, f) : nullptr;
}

bool RZInfoClass::releasePicture(unsigned char* block) const {
    return m_handle != 0 && cvcodec_info_release_picture(asInfo(m_handle), block) != 0;
}

unsigned int RZInfoClass::subtitleCount() const {
    return m_handle != 0 ? cvcodec_info_subtitle_count(asInfo(m_handle)) : 0;
}

bool RZInfoClass::selectAudio(int index) const {
    return m_handle != 0 && cvcodec_info_select_audio(asInfo(m_handle), index) != 0;
}

bool RZInfoClass::selectSubtitle(int index) const {
    return m_handle != 0 && cvcodec_info_select_subtitle(asInfo(m_handle), index) != 0;
}

bool RZInfoClass::enableSubtitle(int on) const {
    return m_handle != 0 && cvcodec_info_enable_subtitle(asInfo(m_handle), on) != 0;
}

int RZInfoClass::chapterCount() const {
    return m_handle != 0 ? cvcodec_info_chapter_count(asInfo(m_handle)) : 0;
}

uint64_t RZInfoClass::chapterStart(int index) const {
    return m_handle != 0 ? cvcodec_info_chapter_start(asInfo(m_handle), index) : 0;
}

uint64_t RZInfoClass::chapterLength(int index) const {
    return m_handle != 0 ? cvcodec_info_chapter_length(asInfo(m_handle), index) : 0;
}

const char* RZInfoClass::chapterTitle(int index) const {
    return m_handle != 0 ? cvcodec_info_chapter_title(asInfo(m_handle), index) : "";
}

uint64_t RZInfoClass::duration() const {
    return m_handle != 0 ? cvcodec_info_duration(asInfo(m_handle)) : 0;
}

bool RZInfoClass::hasMedia() const {
    return m_handle != 0 && cvcodec_info_has_media(asInfo(m_handle)) != 0;
}

bool RZInfoClass::hasPictures() const {
    return m_handle != 0 && cvcodec_info_has_pictures(asInfo(m_handle)) != 0;
}

// ---- RZInfoManager ----

RZInfoManager::RZInfoManager(QObject* parent) : QObject(parent) {}

RZInfoManager::~RZInfoManager() {
    delete m_info;
    m_info = nullptr;
}

void RZInfoManager::ensureInfo() {
    if (!m_info || !m_info->isValid()) {
        delete m_info;
        m_info = new RZInfoClass(this);
        m_info->createHandle(-1);
    }
}

bool RZInfoManager::open(const QString& path) {
    m_path = path;
    if (!QFileInfo::exists(path) || !m_info || !m_info->isValid()) {
        return false;
    }
    return m_info->open(path.toUtf8().constData());
}

VEAudioTagInfo RZInfoManager::readTags() const {
    VEAudioTagInfo tags;
    if (!m_info) {
        return tags;
    }
    struct Field {
        const char* key;
        std::string VEAudioTagInfo::*member;
    };
    static const Field fields[] = {
        {"title", &VEAudioTagInfo::title},
        {"artist", &VEAudioTagInfo::artist},
        {"album_artist", &VEAudioTagInfo::album_artist},
        {"composer", &VEAudioTagInfo::composer},
        {"album", &VEAudioTagInfo::album},
        {"genre", &VEAudioTagInfo::genre},
        {"disc", &VEAudioTagInfo::disc},
        {"track", &VEAudioTagInfo::track},
        {"year", &VEAudioTagInfo::year},
        {"date", &VEAudioTagInfo::date},
        {"grouping", &VEAudioTagInfo::grouping},
        {"comment", &VEAudioTagInfo::comment},
        {"copyright", &VEAudioTagInfo::copyright},
    };
    const char* values[sizeof fields / sizeof fields[0]] = {};
    for (size_t i = 0; i < sizeof fields / sizeof fields[0]; ++i) {
        values[i] = static_cast<const char*>(m_info->tag(fields[i].key));
    }
    if (const void* cover = m_info->tag("cover_image")) {
        const int32_t size = cvcodec_tag_value_size(cover);
        const auto* bytes = static_cast<const char*>(cvcodec_tag_value_data(cover));
        if (size > 0 && bytes) {
            tags.cover_image.assign(bytes, static_cast<size_t>(size));
            tags.coverSize = size;
        }
    }
    for (size_t i = 0; i < sizeof fields / sizeof fields[0]; ++i) {
        if (values[i]) {
            tags.*(fields[i].member) = values[i];
        }
    }
    if (tags.year.empty()) {
        tags.year = tags.date;
    }
    if (tags.date.empty()) {
        tags.date = tags.year;
    }
    return tags;
}

QImage RZInfoManager::scaleImage(const QImage& image, int maxSide) {
    if (image.isNull() || maxSide <= 0) {
        return image;
    }
    const int shorter = qMin(image.width(), image.height());
    if (shorter <= maxSide) {
        return image;
    }
    QSize target;
    if (image.width() <= image.height()) {
        target = QSize(maxSide, int(qint64(image.height()) * maxSide / image.width()));
    } else {
        target = QSize(int(qint64(image.width()) * maxSide / image.height()), maxSide);
    }
    if (shorter > 4 * maxSide) {
        const QImage quick = image.scaled(target * 4, Qt::IgnoreAspectRatio, Qt::FastTransformation);
        return quick.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    return image.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

QImage RZInfoManager::coverImage(int maxSide) const {
    if (!m_info || !m_info->isValid()) {
        return {};
    }
    QImage result;
    if (const void* cover = m_info->tag("cover_image")) {
        const int32_t size = cvcodec_tag_value_size(cover);
        const auto* bytes = static_cast<const uchar*>(cvcodec_tag_value_data(cover));
        if (size > 0 && bytes) {
            result = scaleImage(QImage::fromData(bytes, size), maxSide);
        }
    }
    if (result.isNull() && m_info->hasPicture()) {
        if (unsigned char* block = m_info->picture(0, 0, 0, 0, 0, 0)) {
            uint32_t size = 0;
            std::memcpy(&size, block + 2, 4);
            result = scaleImage(QImage::fromData(block, int(size), "BMP"), maxSide);
            m_info->releasePicture(block);
        }
    }
    return result;
}

QList<VEChapterInfo> RZInfoManager::chapterList() const {
    QList<VEChapterInfo> chapters;
    if (!m_info || !m_info->isValid()) {
        return chapters;
    }
    const int count = m_info->chapterCount();
    if (count <= 0) {
        return chapters;
    }
    VEChapterInfo whole;
    whole.index = 0;
    whole.start = 0;
    whole.length = m_info->duration();
    whole.end = whole.start + whole.length;
    whole.title = QCoreApplication::translate("RZInfoManager", "Current").toUtf8().toStdString();
    whole.caption =
        QStringLiteral("%1, %2-%3")
            .arg(QString::fromStdString(whole.title), formatTimeSpan(whole.start), formatTimeSpan(whole.end))
            .toUtf8()
            .toStdString();
    chapters.append(whole);
    for (int i = 0; i < count; ++i) {
        VEChapterInfo chapter;
        chapter.index = i + 1;
        chapter.start = m_info->chapterStart(i);
        chapter.length = m_info->chapterLength(i);
        chapter.end = chapter.start + chapter.length;
        chapter.title = m_info->chapterTitle(i);
        QString number = QString::number(chapter.index);
        if (chapter.index < 10) {
            number = QStringLiteral("  %1").arg(number);
        }
        chapter.caption = QStringLiteral("%1, %2-%3 (%4)")
                              .arg(number, formatTimeSpan(chapter.start), formatTimeSpan(chapter.end),
                                   QString::fromStdString(chapter.title))
                              .toUtf8()
                              .toStdString();
        chapters.append(chapter);
    }
    return chapters;
}

bool RZInfoManager::saveTags(VEAudioTagInfo tags) {
    return writeTags(m_path, tags);
}

bool RZInfoManager::canWriteTags(const QString& path) {
    return calvorine::tags::audioFileTypeFromPath(reinterpret_cast<const char16_t*>(path.utf16())) >= 0;
}

bool RZInfoManager::canHoldCover(const QString& path) {
    return calvorine::tags::audioFileTypeFromPath(reinterpret_cast<const char16_t*>(path.utf16())) !=
           calvorine::tags::FileWav;
}

bool RZInfoManager::hasCover(const VEAudioTagInfo& tags) {
    return qMin<int>(tags.coverSize, int(tags.cover_image.size())) > 0;
}

bool RZInfoManager::writeTags(const QString& path, VEAudioTagInfo tags) {
    using namespace calvorine::tags;
    if (path.isEmpty()) {
        return false;
    }
    if (!canWriteTags(path)) {
        return false;
    }
    IAudioTagFile* file = createAudioTagFile();
    if (!file) {
        return false;
    }
    if (file->open(reinterpret_cast<const char16_t*>(path.utf16())) != 0) {
        releaseAudioTagFile(file);
        return false;
    }
    // A WAV file's INFO chunk holds no picture: a cover given for one would be dropped
    // while the save reports success, so the save is refused and the file kept as it is.
    if (hasCover(tags) && file->fileType() == FileWav) {
        file->close();
        releaseAudioTagFile(file);
        return false;
    }
    // Only the fields the record carries are replaced; others (the lyrics) stay.
    for (int field = FieldTitle; field <= FieldDisc; ++field) {
        if (field != FieldLyrics) {
            file->removeByField(field);
        }
    }
    const std::string* texts[14] = {
        &tags.title,        &tags.artist,   &tags.album,     &tags.genre, &yearToWrite(tags),
        &tags.track,        &tags.comment,  &tags.copyright, nullptr,     nullptr,
        &tags.album_artist, &tags.composer, &tags.grouping,  &tags.disc};
    for (int field = 0; field < 14; ++field) {
        if (field == FieldPicture) {
            const int size = qMin<int>(tags.coverSize, int(tags.cover_image.size()));
            if (size > 0) {
                file->addItem(-1, FieldPicture, TagValueBinary, size, tags.cover_image.data());
            }
            continue;
        }
        if (!texts[field]) {
            continue;
        }
        const QString text = tagText(*texts[field]);
        if (!text.isEmpty()) {
            file->addItem(-1, field, TagValueText, text.size() * 2, text.utf16());
        }
    }
    const bool saved = file->save() == 0;
    file->close();
    releaseAudioTagFile(file);
    return saved;
}

QString formatTimeSpan(uint64_t microseconds) {
    const uint64_t ms = microseconds / 1000;
    return QStringLiteral("%1:%2:%3")
        .arg(ms / 3600000, 2, 10, QLatin1Char('0'))
        .arg((ms / 60000) % 60, 2, 10, QLatin1Char('0'))
        .arg((ms / 1000) % 60, 2, 10, QLatin1Char('0'));
}
