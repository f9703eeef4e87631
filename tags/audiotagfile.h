// The audio-tag library's public surface: one tag-file object that reads and rewrites
// the tags of an audio file (RIFF INFO, ID3v1, ID3v2, APE, ASF, MP4, Ogg Vorbis comment,
// FLAC) in the file's own formats.
//
// Everything is synchronous on the caller's thread; nothing throws; failures are
// negative results. The caller owns the object from createAudioTagFile and frees it
// only through releaseAudioTagFile (or its virtual destructor). One object serves one
// thread at a time.
#pragma once

#include <cstdint>

namespace calvorine::tags {

class IByteStream;

// Field ids shared by all formats.
enum TagField : int {
    FieldTitle = 0,
    FieldArtist = 1,
    FieldAlbum = 2,
    FieldGenre = 3,
    FieldYear = 4,
    FieldTrack = 5,
    FieldComment = 6,
    FieldCopyright = 7,
    FieldLyrics = 8,
    FieldPicture = 9,
    FieldAlbumArtist = 10,
    FieldComposer = 11,
    FieldGrouping = 12,
    FieldDisc = 13,
};

// Value types of an item.
enum TagValueType : int {
    TagValueText = 0,   // UTF-16LE, length in bytes without the terminator
    TagValueBinary = 1, // image file bytes for the picture
};

// Tag slots: one handler per tag format.
enum TagSlot : int {
    SlotId3v1 = 0,
    SlotId3v2 = 1,
    SlotRiffInfo = 2,
    SlotAsf = 3,
    SlotMp4 = 4,
    SlotOggVorbis = 5,
    SlotApe = 6,
    SlotFlac = 7,
    SlotCount = 8,
};

// One item of a tag. The data belongs to the list that holds the item; a copy handed
// out by getItem stays valid until that list changes.
struct TagItem {
    int slot = -1;
    int field = -1;
    int type = -1;
    int length = 0;
    const uint8_t* data = nullptr;
};

// File types by extension; -1 when unknown.
enum AudioFileType : int {
    FileWav = 0,
    FileWma = 1,
    FileMp3 = 2,
    FileAac = 3,
    FileM4a = 4,
    FileOgg = 5,
    FileApe = 6,
    FileFlac = 7,
};

class IAudioTagFile {
public:
    // Closes any open file, then opens an existing file for reading and writing
    // (NUL-terminated UTF-16 path). 0, or negative with nothing open.
    virtual int open(const char16_t* path) = 0;
    // Works on a stream the caller keeps owning (and keeps alive until close).
    virtual int attach(IByteStream* stream) = 0;
    virtual int close() = 0;
    virtual int fileType() const = 0;
    // Writes the changed tags: 0, or negative when a tag could not be written (the file
    // then holds its old bytes for that tag). A tag is replaced in place when it fits
    // its old space, otherwise the file is rewritten beside itself and swapped in.
    virtual int save() = 0;
    virtual int itemCount() const = 0;
    virtual TagItem getItem(int index) const = 0;
    virtual int setItem(int index, const TagItem& item) = 0;
    virtual int setItemsByField(int matchField, int slot, int newField, int type, int length, const void* data) = 0;
    // slot -1: the file's first tag. Returns -1 for length 0 or a missing tag.
    virtual int addItem(int slot, int field, int type, int length, const void* data) = 0;
    virtual int removeItem(int index) = 0;
    virtual int clearSlot(int slot) = 0;
    virtual int removeByField(int field) = 0;
    virtual int clearAll() = 0;
    virtual ~IAudioTagFile() = default;
};

IAudioTagFile* createAudioTagFile();
void releaseAudioTagFile(IAudioTagFile* file);

// The file type a path's last extension names (case-insensitive), or -1.
int audioFileTypeFromPath(const char16_t* path);

} // namespace calvorine::tags
