// The general settings file "VideoDefaultSetting.xml" in the data folder:
// one element per section under the root "ROOTITEM", one attribute per key.
// GUI thread only; each call loads, changes and saves the whole file.
#pragma once

#include <QString>

// Full path of "VideoDefaultSetting.xml" in the data folder.
QString settingsFilePath();

// The attribute `key` of the first element named `section`; `defaultValue` when the file,
// the section or the attribute is missing or the attribute is empty. A missing file or
// section is created (and the file saved); a file that holds the section is left as it
// is; a damaged file is kept as "VideoDefaultSetting.xml.bad" (or ".N.bad" beside
// older copies) and every value that can still be read from it is kept; a file that
// cannot be read is left alone.
QString readSettingValue(const QString& section, const QString& key, const QString& defaultValue);

// Sets the attribute `key` of the first element named `section` and saves the file.
// A missing file or section is created (rather than dropping the value). False when the
// value could not be saved (a file that cannot be read is left alone).
bool writeSettingValue(const QString& section, const QString& key, const QString& value);
