#include "app/QRecordAreaInfo.h"

#include "app/AppGlobals.h"
#include "app/SettingsFile.h"
#include "app/Utilities.h"

#include <QCoreApplication>
#include <cstdint>
#include <utility>

bool WatermarkImageSettings::operator==(const WatermarkImageSettings& other) const {
    return imagePath == other.imagePath && pathPassThrough == other.pathPassThrough && alpha == other.alpha &&
           widthScalePercent == other.widthScalePercent && heightScalePercent == other.heightScalePercent &&
           scalePassThrough == other.scalePassThrough && verticalMarginPercent == other.verticalMarginPercent &&
           horizontalMarginPercent == other.horizontalMarginPercent && position == other.position;
}

QRecordAreaInfo* QRecordAreaInfo::instance() {
    static QRecordAreaInfo* s_instance = nullptr;
    if (s_instance == nullptr) {
        s_instance = new QRecordAreaInfo();
    }
    return s_instance;
}

QRecordAreaInfo::QRecordAreaInfo() : QObject(nullptr) {
    static const char* const sizes[] = {"176*144", "240*160", "320*240", "320*288",  "352*288",  "480*320",
                                        "640*480", "704*576", "720*480", "720*576",  "768*576",  "800*480",
                                        "854*480", "960*540", "960*640", "1280*720", "1280*960", "1920*1080"};
    for (const char* size : sizes) {
        m_presetSizes.append(QString::fromLatin1(size));
    }
    m_presetSizes.append(QCoreApplication::translate("QObject", "Full Screen"));
    m_presetSizes.append(QCoreApplication::translate("QObject", "Select area to record"));
    loadFromSettingsFile();
}

void QRecordAreaInfo::loadFromSettingsFile() {
    const QString cursor = QStringLiteral("CURSOR_OPTION");
    const QString yes = QStringLiteral("Y");
    m_showCursor = readSettingValue(cursor, QStringLiteral("Cursor_Show_Value"), yes) == yes;
    m_highlightCursor = readSettingValue(cursor, QStringLiteral("Cursor_Hight_Value"), yes) == yes;
    m_highlightClicks = readSettingValue(cursor, QStringLiteral("Cursor_Hight_Click_Value"), yes) == yes;
    const QString time = QStringLiteral("RECORD_TIME_INFO");
    m_stopAfterTime = readSettingValue(time, QStringLiteral("Bool_Stop_After_Time"), QStringLiteral("N")) == yes;
    // A negative length would never stop a recording: out-of-range values read as 0.
    m_stopAfterLengthUs =
        storedMicroseconds(readSettingValue(time, QStringLiteral("Stop_time_lenght"), QStringLiteral("0")), INT64_MAX);
}

int QRecordAreaInfo::cursorImageIndexFromText(const QString& text) {
    bool ok = false;
    const int index = text.trimmed().toInt(&ok, 10);
    return ok && index >= 0 && index < kCursorImageCount ? index : 0;
}

QString QRecordAreaInfo::cursorImageFolder(int type) {
    if (type == HighlightCursor)
        return getAppDirPath() + QStringLiteral("/Cursor/Hightlight/");
    if (type == HighlightClicks)
        return getAppDirPath() + QStringLiteral("/Cursor/Click/");
    return QString();
}

QString QRecordAreaInfo::cursorImagePath(int type, int index) {
    const QString sub = type == HighlightCursor   ? QStringLiteral("/Cursor/Hightlight/")
                        : type == HighlightClicks ? QStringLiteral("/Cursor/Click/")
                                                  : QString();
    if (sub.isEmpty())
        return QString();
    const QString name = QStringLiteral("%1.png").arg(index + 1);
    if (index == kOwnCursorImageIndex)
        return getAppDataProductDir() + sub + name;
    return getAppDirPath() + sub + name;
}

QPoint QRecordAreaInfo::areaOrigin() const {
    return m_origin;
}
void QRecordAreaInfo::setAreaOrigin(int x, int y) {
    m_origin = QPoint(x, y);
}
QSize QRecordAreaInfo::areaSize() const {
    return m_size;
}
void QRecordAreaInfo::setAreaSize(int width, int height) {
    m_size = QSize(width, height);
}
QPoint QRecordAreaInfo::previousOrigin() const {
    return m_previousOrigin;
}
QSize QRecordAreaInfo::previousSize() const {
    return m_previousSize;
}
void QRecordAreaInfo::setPreviousOrigin(int x, int y) {
    m_previousOrigin = QPoint(x, y);
}
void QRecordAreaInfo::setPreviousSize(int width, int height) {
    m_previousSize = QSize(width, height);
}

void QRecordAreaInfo::swapWithPreviousArea() {
    std::swap(m_origin, m_previousOrigin);
    std::swap(m_size, m_previousSize);
}

bool QRecordAreaInfo::isKeepRatio() const {
    return m_keepRatio;
}
void QRecordAreaInfo::setKeepRatio(bool keep) {
    m_keepRatio = keep;
}

void QRecordAreaInfo::setAudioSource(int bit, bool on) {
    m_audioSources = on ? (m_audioSources | bit) : (m_audioSources & ~bit);
}
bool QRecordAreaInfo::hasAudioSource(int bits) const {
    return (m_audioSources & bits) != 0;
}
void QRecordAreaInfo::setDevicePresent(int bit, bool on) {
    m_devicesPresent = on ? (m_devicesPresent | bit) : (m_devicesPresent & ~bit);
}
bool QRecordAreaInfo::isDevicePresent(int bits) const {
    return (m_devicesPresent & bits) != 0;
}

void QRecordAreaInfo::setCursorOption(int type, bool on) {
    switch (type) {
    case ShowCursor:
        m_showCursor = on;
        break;
    case HighlightCursor:
        m_highlightCursor = on;
        break;
    case HighlightClicks:
        m_highlightClicks = on;
        break;
    default:
        break;
    }
}

bool QRecordAreaInfo::cursorOption(int type) const {
    switch (type) {
    case ShowCursor:
        return m_showCursor;
    case HighlightCursor:
        return m_highlightCursor;
    case HighlightClicks:
        return m_highlightClicks;
    default:
        return true;
    }
}

void QRecordAreaInfo::setCursorImageIndex(int type, int index) {
    if (type == HighlightCursor) {
        m_highlightImageIndex = index;
    } else if (type == HighlightClicks) {
        m_clickImageIndex = index;
    }
}

int QRecordAreaInfo::cursorImageIndex(int type) const {
    if (type == HighlightCursor) {
        return m_highlightImageIndex;
    }
    if (type == HighlightClicks) {
        return m_clickImageIndex;
    }
    return -1;
}

void QRecordAreaInfo::setStopAfterTime(bool on) {
    m_stopAfterTime = on;
}
bool QRecordAreaInfo::isStopAfterTime() const {
    return m_stopAfterTime;
}
void QRecordAreaInfo::setStopAfterLength(int64_t microseconds) {
    m_stopAfterLengthUs = microseconds;
}
int64_t QRecordAreaInfo::stopAfterLength() const {
    return m_stopAfterLengthUs;
}

void QRecordAreaInfo::setScheduleOn(bool on) {
    m_scheduleOn = on;
}
bool QRecordAreaInfo::isScheduleOn() const {
    return m_scheduleOn;
}
void QRecordAreaInfo::setScheduleStart(int64_t microsecondsSinceMidnight) {
    m_scheduleStartUs = microsecondsSinceMidnight;
}
int64_t QRecordAreaInfo::scheduleStart() const {
    return m_scheduleStartUs;
}
void QRecordAreaInfo::setScheduleEnd(int64_t microsecondsSinceMidnight) {
    m_scheduleEndUs = microsecondsSinceMidnight;
}
int64_t QRecordAreaInfo::scheduleEnd() const {
    return m_scheduleEndUs;
}

void QRecordAreaInfo::setStayOnTop(bool on) {
    m_stayOnTop = on;
}
bool QRecordAreaInfo::isStayOnTop() const {
    return m_stayOnTop;
}

void QRecordAreaInfo::setWatermarkSettings(WatermarkImageSettings settings) {
    m_watermark = std::move(settings);
}
WatermarkImageSettings QRecordAreaInfo::watermarkSettings() const {
    return m_watermark;
}

QStringList QRecordAreaInfo::presetSizes() const {
    return m_presetSizes;
}
