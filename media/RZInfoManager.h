// Media information: RZInfoClass owns one information handle of the codec library, one
// member per entry; RZInfoManager reads a file's tags, cover and chapters into the edit
// records and writes changed tags back with the audio-tag library. Used by one thread
// at a time (the editor's loading thread or the GUI thread); nothing here locks.
#pragma once

#include "media/VEEditConfig.h"

#include <QImage>
#include <QList>
#include <QObject>
#include <QString>

#include <cstdint>
#include <utility>

class RZInfoClass : public QObject {
    Q_OBJECT

public:
    explicit RZInfoClass(QObject* parent = nullptr);
    ~RZInfoClass() override;

    // Creates the handle when there is none.
    void createHandle(int reserved = -1);
    bool isValid() const { return m_handle != 0; }
    uintptr_t handle() const { return m_handle; }

    bool open(const char* pathUtf8);
    bool openSource(int sourceIndex);
    bool hasPicture() const;
    int openHintA() const;
    int openHintB() const;
    // A text (UTF-8, NUL-terminated) or, for "cover_image", a {bytes, int32 size} pair;
    // null when absent.
    const void* tag(const char* key) const;
    // BMP block (total size at byte 2); give it back with releasePicture.
    unsigned char* picture(int a = 0, int b = 0, int c = 0, int d = 0, int e = 0, int f = 0) const;
    bool releasePicture(unsigned char* block) const;
    unsigned int subtitleCount() const;
    bool selectAudio(int index) const;
    bool selectSubtitle(int index) const;
    bool enableSubtitle(int on) const;
    int chapterCount() const;
    uint64_t chapterStart(int index) const;
    uint64_t chapterLength(int index) const;
    const char* chapterTitle(int index) const;
    uint64_t duration() const;
    // True when a picture or sound packet can be read from the open file.
    bool hasMedia() const;
    // True when a picture (not a cover) can be read from the open file.
    bool hasPictures() const;

private:
    uintptr_t m_handle = 0;
};

class RZInfoManager : public QObject {
    Q_OBJECT

public:
    explicit RZInfoManager(QObject* parent = nullptr);
    ~RZInfoManager() override;

    void ensureInfo();
    bool open(const QString& path);
    RZInfoClass* info() const { return m_info; }
    QString path() const { return m_path; }

    VEAudioTagInfo readTags() const;
    QImage coverImage(int maxSide) const;
    QList<VEChapterInfo> chapterList() const;
    bool saveTags(VEAudioTagInfo tags);
    // Replaces the file's tags with these through the audio-tag library. False when the
    // file could not be opened, the tags not saved, the file is of a type the library
    // cannot write (canWriteTags), or the tags hold a cover and the file (WAV) cannot.
    static bool writeTags(const QString& path, VEAudioTagInfo tags);
    // Whether the audio-tag library writes tags into a file of this path's type.
    static bool canWriteTags(const QString& path);
    // Whether a file of this path's type keeps a cover with its tags (a WAV does not).
    static bool canHoldCover(const QString& path);
    static bool hasCover(const VEAudioTagInfo& tags);
    static bool writeTags(VEAudioTagInfo tags, const QString& path) { return writeTags(path, std::move(tags)); }
    static QImage scaleImage(const QImage& image, int maxSide);

private:
    RZInfoClass* m_info = nullptr;
    QString m_path;
};

// "hh:mm:ss" of a time in microseconds (hours may have more digits).
QString formatTimeSpan(uint64_t microseconds);
