// The process-wide recording settings and the image-watermark record.
// GUI thread only (no lock): the recorder copies what it needs when a recording starts.
#pragma once

#include <QObject>
#include <QPoint>
#include <QSize>
#include <QStringList>

#include <array>
#include <cstdint>
#include <string>

// The image watermark of recordings: a plain value, copied by value.
struct WatermarkImageSettings {
    std::string imagePath;                    // UTF-8; empty or missing file = no watermark
    std::array<int32_t, 2> pathPassThrough{}; // not set here; the converter passes the second on
    int alpha = 255;                          // 0-255 opacity
    double widthScalePercent = 100.0;         // size of the image, percent
    double heightScalePercent = 100.0;
    std::array<int32_t, 3> scalePassThrough{}; // not set here; the converter passes the first two on
    int verticalMarginPercent = 0;             // percent of the capture height, 0-100
    int horizontalMarginPercent = 0;           // percent of the capture width, 0-100
    int position = 0;                          // 0 left top ... 8 right bottom (row by row)

    bool operator==(const WatermarkImageSettings& other) const;
    bool operator!=(const WatermarkImageSettings& other) const { return !(*this == other); }
};

class QRecordAreaInfo : public QObject {
    Q_OBJECT
public:
    // Audio-source and device-present bits.
    enum AudioSourceBit { SystemSound = 1, Microphone = 2 };
    // Cursor option types.
    enum CursorOptionType { ShowCursor = 1, HighlightCursor = 2, HighlightClicks = 3 };

    // The single instance, created on the first call (with no parent) and kept for the
    // whole run. Construction reads the cursor and stop-after values from the settings
    // file, so the data folder must be reachable by then.
    static QRecordAreaInfo* instance();

    // Capture rectangle in logical pixels, and the previous one.
    QPoint areaOrigin() const;
    void setAreaOrigin(int x, int y);
    QSize areaSize() const;
    void setAreaSize(int width, int height);
    QPoint previousOrigin() const;
    QSize previousSize() const;
    void setPreviousOrigin(int x, int y);
    void setPreviousSize(int width, int height);
    void swapWithPreviousArea();

    bool isKeepRatio() const;
    void setKeepRatio(bool keep);

    // Bit masks of AudioSourceBit: has* / is* are true when any of the given bits is set.
    void setAudioSource(int bit, bool on);
    bool hasAudioSource(int bits) const;
    void setDevicePresent(int bit, bool on);
    bool isDevicePresent(int bits) const;

    // Types 1-3 (CursorOptionType); other types: setter ignored, getter true.
    void setCursorOption(int type, bool on);
    bool cursorOption(int type) const;
    // Types 2 (highlight) and 3 (click); other types: setter ignored, getter -1.
    void setCursorImageIndex(int type, int index);
    int cursorImageIndex(int type) const;

    // Picture indexes run 0-7; 7 is the user's own picture.
    static constexpr int kCursorImageCount = 8;
    static constexpr int kOwnCursorImageIndex = 7;
    // The stored text of a picture index: 0-7, anything else (or no number) gives 0.
    static int cursorImageIndexFromText(const QString& text);
    // The picture file of a type (2 highlight, 3 click) and index: the shipped pictures
    // "<application folder>/Cursor/Hightlight/<index+1>.png" (or "/Cursor/Click/"), the
    // user's own one (index 7) in the data folder under the same relative name, since the
    // application folder may be read-only. Empty for other types.
    static QString cursorImagePath(int type, int index);
    // The folder of a type's shipped pictures, ending in "/".
    static QString cursorImageFolder(int type);

    void setStopAfterTime(bool on);
    bool isStopAfterTime() const;
    void setStopAfterLength(int64_t microseconds);
    int64_t stopAfterLength() const;

    void setScheduleOn(bool on);
    bool isScheduleOn() const;
    void setScheduleStart(int64_t microsecondsSinceMidnight);
    int64_t scheduleStart() const;
    void setScheduleEnd(int64_t microsecondsSinceMidnight);
    int64_t scheduleEnd() const;

    void setStayOnTop(bool on);
    bool isStayOnTop() const;

    void setWatermarkSettings(WatermarkImageSettings settings);
    WatermarkImageSettings watermarkSettings() const;

    // 20 entries: 18 sizes "W*H", then tr("Full Screen") and tr("Select area to record").
    QStringList presetSizes() const;

private:
    QRecordAreaInfo();
    void loadFromSettingsFile();

    QStringList m_presetSizes;
    QPoint m_origin;
    QSize m_size{0, 0};
    QPoint m_previousOrigin;
    QSize m_previousSize{0, 0};
    bool m_keepRatio = false;
    int m_audioSources = 0;
    int m_devicesPresent = 0;
    bool m_showCursor = true;
    bool m_highlightCursor = true;
    bool m_highlightClicks = true;
    int m_highlightImageIndex = 0;
    int m_clickImageIndex = 0;
    bool m_stopAfterTime = false;
    int64_t m_stopAfterLengthUs = 0;
    bool m_scheduleOn = false;
    int64_t m_scheduleStartUs = 0;
    int64_t m_scheduleEndUs = 0;
    bool m_stayOnTop = false;
    WatermarkImageSettings m_watermark;
};
