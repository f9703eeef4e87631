#include "muxer_table.h"

#include <strings.h>

namespace calvorine::codec {

namespace {

const MuxerEntry kMuxers[] = {
    {"mp4", "mp4", true},
    {"mov", "mov", true},
    {"m4a", "ipod", true},
    {"ipod", "ipod", true},
    {"3gp", "3gp", true},
    {"3g2", "3g2", true},
    {"f4v", "f4v", false},
    {"matroska", "matroska", false},
    {"mkv", "matroska", false},
    {"mka", "matroska", false},
    {"webm", "webm", false},
    {"avi", "avi", false},
    {"asf", "asf", false},
    {"wmv", "asf", false},
    {"wma", "asf", false},
    {"flv", "flv", false},
    {"mpegts", "mpegts", false},
    {"mpeg", "mpeg", false},
    {"vob", "vob", false},
    {"mpeg1video", "mpeg1video", false},
    {"mpeg2video", "mpeg2video", false},
    {"ogg", "ogg", false},
    {"ogv", "ogg", false},
    {"mp3", "mp3", false},
    {"mp2", "mp2", false},
    {"wav", "wav", false},
    {"flac", "flac", false},
    {"adts", "adts", false},
    {"aac", "adts", false},
    {"ac3", "ac3", false},
    {"aiff", "aiff", false},
    {"caf", "caf", false},
    {"amr", "amr", false},
    {"dv", "dv", false},
    {"h264", "h264", false},
    {"mjpeg", "mjpeg", false},
};

} // namespace

const MuxerEntry* findMuxer(const std::string& name) {
    for (const MuxerEntry& entry : kMuxers) {
        if (strcasecmp(entry.name, name.c_str()) == 0)
            return &entry;
    }
    return nullptr;
}

} // namespace calvorine::codec
