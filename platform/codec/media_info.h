// Media information: what a file holds (tags, cover, chapters, duration, picture size)
// and a decoded picture of it. One object per handle; used by one thread at a time.
// Internal to the codec library; the entries in codec_playback.h reach it.
#pragma once

#include "playback_av.h"

#include <atomic>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace calvorine::codec {

class MediaInfo {
public:
    // The value handed out for the key "cover_image": the picture bytes and their count.
    struct CoverValue {
        const uint8_t* data = nullptr;
        int32_t size = 0;
    };

    // Opens a file; any earlier file is closed first. False for a missing file, a file
    // that is not media or one that shows no stream (nothing stays open then).
    bool open(const char* pathUtf8);
    void close();
    bool isOpen() const { return static_cast<bool>(m_input); }

    // A tag by key, case-insensitive: a NUL-terminated UTF-8 text, or for "cover_image" a
    // CoverValue. "ffmpeg_format" is the demuxer's name list, "major_brand" the container
    // brand (for Matroska its document type). Null when absent. Valid until close().
    const void* tag(const char* key);

    bool hasPicture() const;
    int pictureWidth() const;
    int pictureHeight() const;
    // A picture of the file (the first frame, else the cover) as a BMP block; null when
    // none. Free it with releasePicture().
    uint8_t* picture();
    static void releasePicture(uint8_t* block);

    unsigned subtitleCount() const;
    bool selectAudio(int index) const;
    bool selectSubtitle(int index) const;

    int chapterCount() const;
    uint64_t chapterStart(int index) const;
    uint64_t chapterLength(int index) const;
    const char* chapterTitle(int index) const;

    uint64_t durationUs() const;
    // True when a picture or a sound packet can be read from the open file (a file cut
    // short may open and still hold none). Reads on from the current position.
    bool hasMediaPackets();
    // True when a picture packet (not a cover) can be read from the open file; sound
    // packets before it are passed over. Reads on from the current position.
    bool hasPicturePackets();
    // Makes an open in progress on another thread, and every later one, give up at once.
    void interruptOpen() { m_openInterrupted = true; }

private:
    std::string matroskaDocType() const;

    std::atomic<bool> m_openInterrupted{false};
    av::InputPtr m_input;
    std::string m_path;
    std::map<std::string, std::string> m_values; // node-stable: pointers stay valid
    std::vector<uint8_t> m_coverBytes;
    CoverValue m_cover;
};

} // namespace calvorine::codec
