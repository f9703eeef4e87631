// The format-setting file "VideoDefaultFormatSetting.xml" in the data folder:
// one "FORMAT_" element per format id ("Format_ID"), with per-format attributes such as
// "QUALITY_VALUE", holding one "Format_Custom" element with the custom codec settings.
// GUI thread only; saved atomically; a damaged file is kept as
// "VideoDefaultFormatSetting.xml.bad" (or ".N.bad" beside older copies).
#pragma once

#include <QString>

#include <optional>

// One format's custom codec settings; texts as the settings dialog shows them.
struct FormatSetting {
    bool onlyAudio = false;  // "OnlyAudio"
    QString videoEncoder;    // "V_Encoder"
    QString videoResolution; // "V_Resolution"
    QString videoFrameRate;  // "V_FrameRate"
    QString videoBitRate;    // "V_BitRate"
    QString videoQuality;    // "V_Quality"
    QString audioEncoder;    // "A_Encoder"
    QString audioChannels;   // "A_Channel"
    QString audioSampleRate; // "A_SampleRate"
    QString audioBitRate;    // "A_BitRate"
};

// Full path of "VideoDefaultFormatSetting.xml" in the data folder.
QString formatSettingFilePath();

// The format's custom settings, or nothing when the file, the format or its
// "Format_Custom" element is missing. With onlyAudio the five video texts are empty.
// Returned by value (no module-owned record).
std::optional<FormatSetting> readFormatSetting(const QString& formatId);

// Stores the record as the format's custom settings, creating the file, the "FORMAT_"
// element and its "Format_Custom" child when missing. False when it could not be saved.
bool writeFormatSetting(const QString& formatId, const FormatSetting& setting);

// The attribute `key` of the format's "FORMAT_" element; empty when the file, the format
// or the attribute is missing.
QString readFormatAttribute(const QString& formatId, const QString& key);

// Sets that attribute and saves, creating the file and the format's "FORMAT_" element
// when missing (so a reset's QUALITY_VALUE is never lost on a clean file). False when it
// could not be saved.
bool writeFormatAttribute(const QString& formatId, const QString& key, const QString& value);
