// The process-wide settings record (AppGlobals) and the program's folders. Free functions over separate statics, no
// lock: GUI thread only, unless a function says otherwise. Texts go in and out by value.
#pragma once

#include <QString>

#include <functional>
#include <string>

// The record the format chooser fills for each mode; it is defined by the media engine
// (media/), which reads it. Only pointers are kept here.
struct OutputFormatSetting;

// The product title: window title, single-instance key and name of the product folders.
extern const char* const kProductTitle;
QString productTitle();

// Application folder, found on the first call and cached: where `cmake --install` puts it
// relative to the program (<prefix>/lib/calvorine beside <prefix>/bin) when that folder
// exists, else the program's own folder (QCoreApplication::applicationDirPath(), as in
// the build folder). No trailing "/"; every image, profile and language file is this
// folder plus a path that begins with "/" (for example "/image/btn_recorder.png").
QString getAppDirPath();

// Product folders, created when missing; no trailing "/".
// Data folder: $XDG_DATA_HOME (or ~/.local/share) + "/" + product title. Home of the XML
// files and log.txt. When it cannot be created, the location itself is returned.
QString getAppDataProductDir();
// Documents folder: the XDG documents location + "/" + product title (else the location).
QString getDocumentsProductDir();
// Temporary folder: the temporary location ($TMPDIR or /tmp) + "/" + product title (else
// the location). Thumbnails live there.
QString getTempProductDir();

// True when a new file can be created in the folder. Probes inside the folder (a
// separator is added when missing) with a fresh, unique name that no existing file has;
// never opens, changes or removes an existing file.
bool isFolderWritable(const QString& folder);

// Shows the file selected in the file manager (freedesktop FileManager1.ShowItems over
// the session bus), else opens its folder through QDesktopServices. The path is UTF-8.
// `onFailure`, when given, gets the folder that nothing could open.
using FolderOpenFailure = std::function<void(const QString& folder)>;
void openFolderOfFile(const std::string& utf8Path, const FolderOpenFailure& onFailure = FolderOpenFailure());
// Opens the folder itself in the file manager (FileManager1.ShowFolders), else through
// QDesktopServices. The path is UTF-8.
void openFolderInFileManager(const std::string& utf8Folder);

// Switches the updater's automatic checks on or off (platform/updater).
void setAutoUpdateCheck(bool on);

// UI language: "English" 0, "Chinese" 1, "German" 2, "French" 3, "Japanese" 4 (exact,
// case-sensitive); any other name gives 0.
void setLanguageByName(const QString& englishName);
int getLanguageIndex();

// Plain stores and copies (memory only).
void setOutputPath(const QString& folder);
QString getOutputPath();
void setScreenshotPath(const QString& folder);
QString getScreenshotPath();
void setConvertedPath(const QString& folder);
QString getConvertedPath();
void setLogFilePath(const QString& path);
QString getLogFilePath();
void setFinishedAllJobFlag(int value); // start value 2
int getFinishedAllJobFlag();
QString getGlobalString(); // the player option text; stays empty

// Two flags of the history library's mouse-move timer, false at start.
void setHistoryWindowActive(bool active);
bool isHistoryWindowActive();
void setControlBarActive(bool active);
bool isControlBarActive();

// The stored video and audio output formats and the current one (one of the two), read
// and written directly by the main window and the format chooser. All start
// null; the format chooser owns what they point to.
extern OutputFormatSetting* g_storedVideoFormat;
extern OutputFormatSetting* g_storedAudioFormat;
extern OutputFormatSetting* g_currentFormat;
