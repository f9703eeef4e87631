#include "media_info.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace calvorine::codec {

namespace {

std::string lowerCase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

// Keys under which containers store what we call by one name.
std::vector<std::string> keyAliases(const std::string& key) {
    if (key == "year") {
        return {"year", "date", "TYER"};
    }
    if (key == "date") {
        return {"date", "TDRC", "year"};
    }
    if (key == "track") {
        return {"track", "tracknumber"};
    }
    if (key == "disc") {
        return {"disc", "discnumber"};
    }
    if (key == "album_artist") {
        return {"album_artist", "albumartist", "album artist"};
    }
    if (key == "grouping") {
        return {"grouping", "TIT1"};
    }
    return {key};
}

const char* findValue(AVDictionary* dictionary, const std::string& key) {
    const AVDictionaryEntry* entry = av_dict_get(dictionary, key.c_str(), nullptr, 0);
    return entry ? entry->value : nullptr;
}

} // namespace

bool MediaInfo::open(const char* pathUtf8) {
    close();
    m_input = av::openInput(pathUtf8, &m_openInterrupted);
    if (!m_input) {
        return false;
    }
    m_path = pathUtf8;
    return true;
}

void MediaInfo::close() {
    m_input.reset();
    m_path.clear();
    m_values.clear();
    m_coverBytes.clear();
    m_cover = CoverValue{};
}

std::string MediaInfo::matroskaDocType() const {
    // The demuxer does not tell Matroska from WebM; the EBML header's DocType does.
    FILE* file = std::fopen(m_path.c_str(), "rb");
    if (!file) {
        return {};
    }
    uint8_t head[128] = {};
    const size_t count = std::fread(head, 1, sizeof head, file);
    std::fclose(file);
    for (size_t i = 0; i + 3 < count; ++i) {
        if (head[i] == 0x42 && head[i + 1] == 0x82 && (head[i + 2] & 0x80)) {
            const size_t length = head[i + 2] & 0x7f;
            if (i + 3 + length <= count) {
                std::string type(reinterpret_cast<const char*>(head + i + 3), length);
                type.erase(std::find(type.begin(), type.end(), '\0'), type.end());
                return type;
            }
        }
    }
    return {};
}

const void* MediaInfo::tag(const char* key) {
    if (!m_input || !key) {
        return nullptr;
    }
    const std::string wanted = lowerCase(key);
    if (wanted == "cover_image") {
        if (m_cover.data) {
            return &m_cover;
        }
        const int index = av::findCoverStream(m_input.get());
        if (index < 0) {
            return nullptr;
        }
        const AVPacket& packet = m_input->streams[index]->attached_pic;
        if (packet.size <= 0) {
            return nullptr;
        }
        m_coverBytes.assign(packet.data, packet.data + packet.size);
        m_cover = CoverValue{m_coverBytes.data(), static_cast<int32_t>(m_coverBytes.size())};
        return &m_cover;
    }
    auto cached = m_values.find(wanted);
    if (cached != m_values.end()) {
        return cached->second.c_str();
    }
    const char* value = nullptr;
    std::string computed;
    if (wanted == "ffmpeg_format") {
        computed = m_input->iformat->name;
        value = computed.c_str();
    } else if (wanted == "major_brand") {
        value = findValue(m_input->metadata, "major_brand");
        if (!value && std::strstr(m_input->iformat->name, "matroska")) {
            // A Matroska file is WebM or plain Matroska; any other document type (or
            // none) is still Matroska, never some other container.
            computed = matroskaDocType() == "webm" ? "webm" : "matroska";
            value = computed.c_str();
        }
    } else {
        // Ogg keeps the tags on the sound stream, not the container. Other streams'
        // metadata is no tag of the file: ffmpeg gives an attached cover the comment
        // "Cover (front)", a Matroska track its own title.
        const bool tagsOnSound = std::strcmp(m_input->iformat->name, "ogg") == 0;
        for (const std::string& alias : keyAliases(wanted)) {
            value = findValue(m_input->metadata, alias);
            for (unsigned i = 0; tagsOnSound && !value && i < m_input->nb_streams; ++i) {
                const AVStream* stream = m_input->streams[i];
                if (stream->codecpar->codec_type == AVMEDIA_TYPE_AUDIO &&
                    !(stream->disposition & AV_DISPOSITION_ATTACHED_PIC)) {
                    value = findValue(stream->metadata, alias);
                }
            }
            if (value) {
                break;
            }
        }
        if (value && wanted == "year") {
            // A full date stands for the year only by its first four digits.
            computed = std::string(value).substr(0, 4);
            value = computed.c_str();
        }
    }
    if (!value) {
        return nullptr;
    }
    auto inserted = m_values.emplace(wanted, value);
    return inserted.first->second.c_str();
}

bool MediaInfo::hasPicture() const {
    return m_input &&
           (av::findStream(m_input.get(), AVMEDIA_TYPE_VIDEO) >= 0 || av::findCoverStream(m_input.get()) >= 0);
}

int MediaInfo::pictureWidth() const {
    if (!m_input) {
        return 0;
    }
    const int index = av::findStream(m_input.get(), AVMEDIA_TYPE_VIDEO);
    return index < 0 ? 0 : m_input->streams[index]->codecpar->width;
}

int MediaInfo::pictureHeight() const {
    if (!m_input) {
        return 0;
    }
    const int index = av::findStream(m_input.get(), AVMEDIA_TYPE_VIDEO);
    return index < 0 ? 0 : m_input->streams[index]->codecpar->height;
}

uint8_t* MediaInfo::picture() {
    if (!m_input) {
        return nullptr;
    }
    // A reader of its own, so that the information reader's position is not disturbed.
    av::InputPtr input = av::openInput(m_path.c_str());
    if (!input) {
        return nullptr;
    }
    int index = av::findStream(input.get(), AVMEDIA_TYPE_VIDEO);
    const bool cover = index < 0;
    if (cover) {
        index = av::findCoverStream(input.get());
    }
    if (index < 0) {
        return nullptr;
    }
    av::CodecContextPtr decoder = av::openDecoder(input->streams[index], 1);
    if (!decoder) {
        return nullptr;
    }
    av::PacketPtr packet = av::makePacket();
    av::FramePtr frame = av::makeFrame();
    av::SwsPtr scaler;
    av::BgraImage image;
    bool decoded = false;
    bool draining = false;
    for (int packets = 0; !decoded && packets < 2000; ++packets) {
        if (!draining) {
            if (cover) {
                av_packet_ref(packet.get(), &input->streams[index]->attached_pic);
                draining = true;
            } else if (av_read_frame(input.get(), packet.get()) < 0) {
                draining = true;
                av_packet_unref(packet.get());
            } else if (packet->stream_index != index) {
                av_packet_unref(packet.get());
                continue;
            }
            avcodec_send_packet(decoder.get(), packet->data ? packet.get() : nullptr);
            av_packet_unref(packet.get());
            if (draining) {
                avcodec_send_packet(decoder.get(), nullptr);
            }
        }
        const int result = avcodec_receive_frame(decoder.get(), frame.get());
        if (result == 0) {
            decoded = av::frameToBgra(frame.get(), scaler, image);
        } else if (result == AVERROR_EOF || (draining && result != AVERROR(EAGAIN))) {
            break;
        }
    }
    return decoded ? av::encodeBmp(image, nullptr) : nullptr;
}

void MediaInfo::releasePicture(uint8_t* block) {
    std::free(block);
}

unsigned MediaInfo::subtitleCount() const {
    if (!m_input) {
        return 0;
    }
    unsigned count = 0;
    for (unsigned i = 0; i < m_input->nb_streams; ++i) {
        count += m_input->streams[i]->codecpar->codec_type == AVMEDIA_TYPE_SUBTITLE ? 1 : 0;
    }
    return count;
}

bool MediaInfo::selectAudio(int index) const {
    if (!m_input || index < 0) {
        return false;
    }
    int seen = 0;
    for (unsigned i = 0; i < m_input->nb_streams; ++i) {
        if (m_input->streams[i]->codecpar->codec_type == AVMEDIA_TYPE_AUDIO && seen++ == index) {
            return true;
        }
    }
    // A file without sound keeps its (empty) audio choice.
    return seen == 0 && index == 0;
}

bool MediaInfo::selectSubtitle(int index) const {
    return m_input && index >= -1 && (index == -1 || static_cast<unsigned>(index) < subtitleCount());
}

int MediaInfo::chapterCount() const {
    return m_input ? static_cast<int>(m_input->nb_chapters) : 0;
}

uint64_t MediaInfo::chapterStart(int index) const {
    if (index < 0 || index >= chapterCount()) {
        return 0;
    }
    const AVChapter* chapter = m_input->chapters[index];
    return static_cast<uint64_t>(std::max<int64_t>(0, av::toMicroseconds(chapter->start, chapter->time_base)));
}

uint64_t MediaInfo::chapterLength(int index) const {
    if (index < 0 || index >= chapterCount()) {
        return 0;
    }
    const AVChapter* chapter = m_input->chapters[index];
    const int64_t length = av::toMicroseconds(chapter->end - chapter->start, chapter->time_base);
    return static_cast<uint64_t>(std::max<int64_t>(0, length));
}

const char* MediaInfo::chapterTitle(int index) const {
    if (index < 0 || index >= chapterCount()) {
        return "";
    }
    const char* title = findValue(m_input->chapters[index]->metadata, "title");
    return title ? title : "";
}

uint64_t MediaInfo::durationUs() const {
    return static_cast<uint64_t>(av::durationUs(m_input.get()));
}

bool MediaInfo::hasMediaPackets() {
    if (!m_input) {
        return false;
    }
    av::PacketPtr packet(av_packet_alloc());
    // Headers, covers and data streams may come first; a few hundred packets are plenty.
    for (int i = 0; packet && i < 256 && av_read_frame(m_input.get(), packet.get()) >= 0; ++i) {
        const AVStream* stream = m_input->streams[packet->stream_index];
        const AVMediaType type = stream->codecpar->codec_type;
        const bool media = (type == AVMEDIA_TYPE_VIDEO || type == AVMEDIA_TYPE_AUDIO) &&
                           !(stream->disposition & AV_DISPOSITION_ATTACHED_PIC) && packet->size > 0;
        av_packet_unref(packet.get());
        if (media) {
            return true;
        }
    }
    return false;
}

bool MediaInfo::hasPicturePackets() {
    if (!m_input) {
        return false;
    }
    av::PacketPtr packet(av_packet_alloc());
    // A recording's sound may run ahead of its first picture by many packets: read on to
    // the first picture or the end.
    while (packet && av_read_frame(m_input.get(), packet.get()) >= 0) {
        const AVStream* stream = m_input->streams[packet->stream_index];
        const bool picture = stream->codecpar->codec_type == AVMEDIA_TYPE_VIDEO &&
                             !(stream->disposition & AV_DISPOSITION_ATTACHED_PIC) && packet->size > 0;
        av_packet_unref(packet.get());
        if (picture) {
            return true;
        }
    }
    return false;
}

} // namespace calvorine::codec
