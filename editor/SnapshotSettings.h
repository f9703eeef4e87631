// The editor's snapshot settings file "VedioEditDefaultSetting.xml" in the product's
// data folder: the picture format ("IMG_SUFFIX", "JPG" or "PNG") and the folder
// ("IMG_Folder") of the editor's snapshots, on the first "Screenshots" element under the
// root "ROOTITEM". Other content is kept as it is. A file that does not parse (zero
// bytes after a crash, say) is kept as "VedioEditDefaultSetting.xml.bad" and the
// settings start afresh. GUI thread only; synchronous.
#pragma once

#include <QString>

QString snapshotSettingsPath();

// The stored value; a missing or empty one is stored as the default and returned.
// Defaults: "JPG"; the documents product folder + "/Converted/Screenshots/" (created;
// the documents product folder itself when that fails).
QString readScreenshotFormat();
QString readScreenshotFolder();

// Stores the value on the "Screenshots" element. Nothing is stored when the file does
// not exist or a valid file has no such element. False when the file could not be
// written (the earlier content stays).
bool writeScreenshotFormat(const QString& value);
bool writeScreenshotFolder(const QString& value);
