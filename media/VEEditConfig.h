// The edit records: everything the video editor can change about one media file, as
// plain values. The editor keeps one VEEditConfig per file and copies parts out and back;
// the playback controller receives parts by value; the history list turns the whole
// record into a conversion request. Strings hold UTF-8 bytes; times are microseconds
// from the start of the file; colours are ARGB with alpha in the top byte; rectangles
// are x, y, width, height as fractions of the picture.
#pragma once

#include <QList>
#include <QMetaType>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <string>

struct VECropSettings {
    int32_t aspectMode = 0; // 0 own shape, 1/2 from the source, 3 16:9, 4 4:3
    int32_t cropMode = 0;   // 1 when the crop rectangle applies
    int32_t ratioWidth = 0; // terms of the chosen aspect ratio (0:0 free)
    int32_t ratioHeight = 0;
    int32_t carried[2] = {0, 1};
    int32_t rotation = 0;   // 0, 90, 180 or 270 degrees
    int32_t mirrored = 0;   // flipped horizontally
    int32_t padEnabled = 1; // fill outside the picture when the shape changes
    int32_t padColour = int32_t(0xff000000);
    double pictureRect[4] = {0.0, 0.0, 1.0, 1.0};
    double cropRect[4] = {0.0, 0.0, 1.0, 1.0};

    bool operator==(const VECropSettings& other) const;
    bool operator!=(const VECropSettings& other) const { return !(*this == other); }
};

struct VEAdjustSettings {
    int32_t brightness = 0; // -255..255
    int32_t second = 0;     // never sent to the player
    int32_t saturation = 100;
    int32_t contrast = 100;
    int32_t hue = 0; // -180..180

    bool operator==(const VEAdjustSettings& other) const;
};

struct VEWatermarkText {
    VEWatermarkText() { reset(); }
    void reset();
    bool operator==(const VEWatermarkText& other) const;

    std::string text;
    int32_t alpha;
    int32_t value;
    int32_t scaleHorizontal; // percent
    int32_t scaleVertical;
    double x; // where the player placed the text
    double y;
    int32_t shown;        // can be hit and dragged in the preview
    int32_t textSelected; // the text part is the selected kind
    std::string fontName;
    int32_t fontSize; // points
    int32_t bold;
    int32_t italic;
    int32_t underline;
    int32_t strikeout;
    int32_t fontColour;
    int32_t shadowColour;
    int32_t outlineColour;
    double shadowOffset;
    double outlineSize;
    uint64_t rangeStart; // display range
    uint64_t rangeEnd;
    double leading[2];
    double fittedWidth; // as read back from the player
    double fittedHeight;
    double spacingHorizontal;
    double spacingVertical;
    double trailing[2];
};

struct VEWatermarkImage {
    VEWatermarkImage() { reset(); }
    void reset();
    bool operator==(const VEWatermarkImage& other) const;

    std::string imagePath;
    int32_t kind; // the picture's type (a pack picture's Type), sent to the player; 1 by default
    int32_t second;
    int32_t alpha;
    int32_t scaleHorizontal; // percent
    int32_t scaleVertical;
    double x; // where the player placed the image
    double y;
    int32_t shown;
    std::string secondImagePath;
    int32_t values[3];
    int32_t percents[2];  // 100, 100
    int32_t listIndex;    // the editor's pack list item the picture came from; not sent
    int32_t instanceFlag; // 1 in the first watermark of an edit
    uint64_t rangeStart;  // display range
    uint64_t rangeEnd;
    int32_t moreValues[4];
    double rect[4];
    double pair[2];     // 1.0, 1.0 in the first two watermarks of an edit
    double fittedWidth; // as read back from the player
    double fittedHeight;
};

struct VEWatermarkSettings {
    VEWatermarkText text;
    VEWatermarkImage image;
    int32_t carried[2] = {0, 0};

    bool operator==(const VEWatermarkSettings& other) const;
};

struct VESubtitleTrack {
    int32_t first = 0;
    int32_t audioTrack = 0;
    // Without data: 0 none, 1..n the file's subtitle stream n - 1, n + 1 subtitles on.
    // The editor keeps its track list's index here.
    int32_t subtitleChoice = 0;
    int32_t fourth = 0;
    std::string data; // the chosen item's data: an external subtitle file, shown whatever the choice

    bool operator==(const VESubtitleTrack& other) const;
};

struct VEStringPair {
    std::string caption;
    std::string data;
};

struct VETextStyle {
    VETextStyle() { reset(); }
    void reset();
    bool operator==(const VETextStyle& other) const;

    int32_t alpha;
    int32_t scaleHorizontal; // percent
    int32_t scaleVertical;
    int32_t values[2];
    std::string fontName;
    int32_t fontSize; // points
    int32_t bold;
    int32_t italic;
    int32_t underline;
    int32_t strikeout;
    int32_t fontColour;
    int32_t shadowColour;
    int32_t outlineColour;
    double shadowOffset;
    double outlineSize;
    int32_t positionCode; // 0 bottom, 16 top, 32 middle
    double spacingHorizontal;
    double spacingVertical;
    double first;  // 0.05
    double margin; // 0..1
    double carried[2];
};

struct VEAudioSettings {
    std::string backgroundPath;
    int32_t value = 0;
    int32_t repeat = 1;
    int32_t volume = 100;         // percent, 0..200
    int32_t weight = 50;          // share of the background audio, 0..100
    uint64_t firstRangeStart = 0; // follows the trim start when ranges follow the trim
    uint64_t firstRangeEnd = 0;
    uint64_t secondRangeStart = 0;
    uint64_t secondRangeEnd = 0;

    bool operator==(const VEAudioSettings& other) const;
};

// Two owned arrays of equal length: equaliser frequencies (Hz) and gains (dB).
struct VEDoubleArrays {
    VEDoubleArrays() = default;
    VEDoubleArrays(const VEDoubleArrays& other);
    VEDoubleArrays& operator=(const VEDoubleArrays& other);
    ~VEDoubleArrays();
    void clear();
    // Replaces both arrays by copies of the given ones.
    void assign(const double* frequencies, const double* gains, int count);
    bool operator==(const VEDoubleArrays& other) const;

    double* frequencies = nullptr;
    double* gains = nullptr;
    int32_t count = 0;
};

struct VEAudioEffect {
    void releaseCurves() { curves.clear(); }
    bool operator==(const VEAudioEffect& other) const;

    int32_t volume = 100; // percent
    int32_t value = 100;
    int32_t rate = 100; // percent
    VEDoubleArrays curves;
    int32_t effectIndex = 0;
};

struct VEChapterInfo {
    int32_t index = -1; // 0 the whole file, 1..n its chapters
    uint64_t start = 0;
    uint64_t length = 0;
    uint64_t end = 0; // start + length
    std::string title;
    std::string caption; // shown in the chapter list
};

// The tags of a media file, under the codec library's keys. cover_image holds the
// picture's bytes, coverSize their count.
struct VEAudioTagInfo {
    void clear();
    bool operator==(const VEAudioTagInfo& other) const;

    std::string title;
    std::string artist;
    std::string album_artist;
    std::string composer;
    std::string album;
    std::string genre;
    std::string track;
    std::string year;
    std::string date;
    std::string grouping;
    std::string comment;
    std::string disc;
    std::string copyright;
    std::string cover_image;
    int32_t coverSize = 0;
    bool flag = false;
};

// The whole edit of one file.
struct VEEditConfig {
    VEEditConfig();
    // Back to the defaults; the subtitle list, the chapters and the audio track names stay.
    void reset();

    uint64_t trimStart = 0; // 0 and 0: no trim
    uint64_t trimEnd = 0;
    VECropSettings crop;
    VEAdjustSettings adjust;
    VEWatermarkSettings watermarks[3];
    VESubtitleTrack stream;
    QList<VEStringPair> subtitles;
    QList<VEChapterInfo> chapters;
    VETextStyle subtitleStyle;
    VEAudioSettings audio;
    VEAudioEffect audioEffect;
    QStringList audioTrackNames;
    VEAudioTagInfo tags;
    int32_t sourceWidth = 0;
    int32_t sourceHeight = 0;
    bool flag = false;
};

Q_DECLARE_METATYPE(VECropSettings)
Q_DECLARE_METATYPE(VEWatermarkSettings)
Q_DECLARE_METATYPE(VEEditConfig)
Q_DECLARE_METATYPE(VEAudioTagInfo)
