// The history file "History.xml" in the data folder: one "Path_item" per
// media file (attribute "Converted_path_", the key) holding one "CONVERTED_INFO_" element
// with the entry's values. GUI thread only; every operation loads, changes and saves the
// whole file atomically (ParserXML). A damaged file is kept as "History.xml.bad"; every
// entry that can still be read whole from it is kept in the new file.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// One history entry in memory: a plain value; copies are independent.
struct HistoryXmlItem {
    QString thumbnailPath;  // "Img_path_"
    QString mediaPath;      // "Converted_path_" (the key)
    QString preferencePath; // "preferencePath_"
    QString resolution;     // "Resolutin_": "%1*%2"
    QString duration;       // "Time_"
    QString size;           // "Size_": formatFileSize text
    QString creationTime;   // "Create_time_": "dd-MM-yyyy hh:mm"
    QString format;         // "Format_"
    QString extension;      // "Extend_"
    QString title;          // "Title_"
    QString artist;         // "Artist_"
    QString album;          // "Album_"
    QString genre;          // "Genre_"
    QString extraText;      // not stored in the file
    bool isVideo = false;   // "Video_file"
    bool isNew = false;     // "New_file"
};

// Full path of "History.xml" in the data folder.
QString historyFilePath();

// Adds the entry, or overwrites the one with the same media path ("\" and "/" compared
// alike; the stored key is kept). Creates the file when missing; a damaged file is kept
// as "History.xml.bad" (or "History.xml.N.bad") and the entry joins what could be read
// of it. Always saves; false when the file could not be saved or exists but cannot be
// read (it is then left as it is, and the entry is not listed).
bool addHistoryItem(const HistoryXmlItem& item);

// The entry of the media path ("\" and "/" compared alike), its media path given with
// "/"; nothing when there is none. Returned by value: the caller owns its copy.
std::optional<HistoryXmlItem> findHistoryItem(const QString& mediaPath);

// The entry's "preferencePath_"; empty when there is no such entry.
QString readHistoryPreferencePath(const QString& mediaPath);

// Removes the entry (the first match); the media file is not touched. False when the
// file could not be saved (the entry stays); true when there was no such entry.
bool removeHistoryItem(const QString& mediaPath);

// Changes the entry's key to newMediaPath (stored as given); other values stay. No match:
// the file is not rewritten. True when the entry was renamed and saved.
bool renameHistoryItem(const QString& oldMediaPath, const QString& newMediaPath);

// The keys (with "/") of all entries whose media file exists, in file order; drops the
// others from the file (saving only when it dropped one). `saved`, when given, is set to
// false when that save failed (the file then keeps the dropped entries), else true.
QStringList listHistoryFiles(bool* saved = nullptr);

// Appends one record per entry, in file order (media paths with "/"), and clears the
// entries' "New_file" marks in the file (the records keep isNew = true). Saves only when
// it cleared a mark; false when that save failed (the records are appended all the same,
// and the file keeps its marks).
bool readAllHistoryItems(QList<HistoryXmlItem>* items);
