#include "media/FormatTables.h"

#include "media/RZInfoManager.h"
#include "platform/codec/codec_playback.h"

#include <cmath>
#include <cstring>
#include <limits>

namespace {

struct CodecCode {
    const char* name;
    int32_t code;
};

// Video codes below 0x10000, audio codes from 0x10000: the same numbering as the codec
// ids of the conversion parameters.
const CodecCode kCodecCodes[] = {
    {"AC3", 0x15003},  {"in24", 0x1000D}, {"mp43", 0x11},       {"wma3", 0x15026},    {"wma2", 0x15008},
    {"wma1", 0x15007}, {"MP3", 0x15001},  {"VP8", 0x8D},        {"VP9", 0xA9},        {"AAC", 0x15002},
    {"MJPG", 8},       {"MP4V", 0xD},     {"OGG", 0x15005},     {"VBIS", 0x15005},    {"WMV1", 0x12},
    {"WMV2", 0x13},    {"mpg1", 1},       {"mp1v", 1},          {"HMP2", 2},          {"mp2v", 2},
    {"H263", 5},       {"H264", 28},      {"H265", 0x48323635}, {"Xvid", 0x44495658}, {"DIVX", 0x30355844},
    {"MP2A", 0x15000}, {"PCM", 0x10000},  {"APE", 0x10000},     {"caf", 0x11000},     {"DV60", 0x19},
    {"DV50", 0x19},    {"flac", 0x1500C}, {"AMRN", 0x12000},    {"flv1", 0x16},       {"fmp3", 0x1100D},
    {"WMV3", 0x48},    {"vc-1", 0x47},    {"pcmb", 0x10001},    {"alac", 0x15010},    {"OGV", 0x1F},
};

struct ContainerName {
    const char* format;
    const char* container;
};

// Compared in this order.
const ContainerName kContainerNames[] = {
    {"m4v", "mp4"},  {"wmv", "asf"}, {"mkv", "matroska"}, {"mpg", "mpeg"},   {"ts", "mpegts"}, {"m4a", "mp4"},
    {"DivX", "avi"}, {"ogv", "ogg"}, {"WebM", "webm"},    {"trp", "mpegts"}, {"wma", "asf"},   {"mka", "matroska"},
    {"aac", "adts"}, {"m4b", "mp4"}, {"m4r", "mp4"},      {"alac", "mov"},
};

bool startsWith(const std::string& text, const char* prefix) {
    return text.compare(0, std::strlen(prefix), prefix) == 0;
}

// A media-information handle on one file, closed and freed on every way out.
class InfoHandle {
public:
    explicit InfoHandle(const QString& path) : m_info(cvcodec_info_create(-1)) {
        m_open = cvcodec_info_open(m_info, path.toUtf8().constData()) != 0;
    }
    ~InfoHandle() {
        cvcodec_info_close(m_info);
        cvcodec_info_release(m_info);
    }
    InfoHandle(const InfoHandle&) = delete;
    InfoHandle& operator=(const InfoHandle&) = delete;

    bool isOpen() const { return m_open; }
    cvcodec_info get() const { return m_info; }

private:
    cvcodec_info m_info;
    bool m_open = false;
};

QString twoDigits(qint64 value) {
    return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0'));
}

} // namespace

int32_t codecFourccFromName(const std::string& name) {
    for (const CodecCode& entry : kCodecCodes) {
        if (name == entry.name)
            return entry.code;
    }
    return 0;
}

std::string containerNameFromFormat(const std::string& name) {
    for (const ContainerName& entry : kContainerNames) {
        if (name == entry.format)
            return entry.container;
    }
    return name;
}

void frameRateToRational(double fps, int* num, int* den) {
    int numerator;
    int denominator = 1;
    if (fps > 23.5 && fps < 23.99) {
        numerator = 24000;
        denominator = 1001;
    } else if (fps > 29.5 && fps < 29.99) {
        numerator = 30000;
        denominator = 1001;
    } else if (fps > 59.5 && fps < 59.99) {
        numerator = 60000;
        denominator = 1001;
    } else if (!(fps + 0.01 > 0.0)) {
        numerator = 0; // negative or not a number: no rate
    } else if (fps + 0.01 >= double(std::numeric_limits<int>::max())) {
        numerator = std::numeric_limits<int>::max();
    } else {
        numerator = int(std::trunc(fps + 0.01));
    }
    if (num)
        *num = numerator;
    if (den)
        *den = denominator;
}

std::string containerFromExtensionList(const std::string& formatList, const std::string& brand) {
    if (formatList == "mov,mp4,m4a,3gp,3g2,mj2") {
        if (brand == "qt  ")
            return "mov";
        if (brand == "f4v ")
            return "f4v";
        if (startsWith(brand, "3gp"))
            return "3gp";
        if (startsWith(brand, "3g2"))
            return "3g2";
        return "mp4";
    }
    if (formatList == "matroska,webm") {
        // The Matroska demuxer reads WebM too; only the brand tells them apart. Any
        // other brand (none, or one copied over from an MP4 source) is still Matroska.
        return brand == "webm" ? "webm" : "matroska";
    }
    return formatList;
}

QImage readCoverImage(const QString& path) {
    InfoHandle info(path);
    if (!info.isOpen())
        return QImage();
    if (const void* cover = cvcodec_info_tag(info.get(), "cover_image")) {
        const auto* bytes = static_cast<const uchar*>(cvcodec_tag_value_data(cover));
        const int32_t size = cvcodec_tag_value_size(cover);
        return bytes && size > 0 ? QImage::fromData(bytes, size) : QImage();
    }
    uint8_t* picture = cvcodec_info_picture(info.get(), 0, 0, 1, 0, 0, 0);
    if (!picture)
        return QImage();
    const QImage image = QImage::fromData(picture, cvcodec_picture_size(picture));
    cvcodec_info_release_picture(info.get(), picture);
    return image;
}

QString readDurationText(const QString& path) {
    InfoHandle info(path);
    if (!info.isOpen())
        return QString();
    const qint64 milliseconds = qint64(cvcodec_info_duration(info.get()) / 1000);
    return QStringLiteral("%1:%2:%3")
        .arg(twoDigits(milliseconds / 3600000), twoDigits(milliseconds / 60000 % 60),
             twoDigits(milliseconds / 1000 % 60));
}

QString readContainerFormat(const QString& path) {
    RZInfoClass info;
    info.createHandle();
    if (!info.open(path.toUtf8().constData())) {
        return QString();
    }
    const auto text = [&info](const char* key) {
        const char* value = static_cast<const char*>(info.tag(key));
        return std::string(value != nullptr ? value : "");
    };
    return QString::fromStdString(containerFromExtensionList(text("ffmpeg_format"), text("major_brand")));
}
