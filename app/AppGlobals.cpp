#include "app/AppGlobals.h"

#include "platform/updater/updater.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QUuid>

const char* const kProductTitle = "Calvorine Screen Recorder";

OutputFormatSetting* g_storedVideoFormat = nullptr;
OutputFormatSetting* g_storedAudioFormat = nullptr;
OutputFormatSetting* g_currentFormat = nullptr;

namespace {

QString s_appDirPath;
bool s_appDirCached = false;
int s_languageIndex = 0;
QString s_logFilePath;
QString s_screenshotPath;
QString s_outputPath;
QString s_convertedPath;
int s_finishedAllJobFlag = 2;
bool s_historyWindowActive = false;
bool s_controlBarActive = false;

// "<location>/<product title>", created when missing; `fallback` when it cannot be.
QString productFolderUnder(const QString& location, const QString& fallback) {
    const QString folder = QStringLiteral("%1/%2").arg(location, productTitle());
    if (QDir(folder).exists() || QDir().mkpath(folder)) {
        return folder;
    }
    return fallback;
}

} // namespace

QString productTitle() {
    return QString::fromUtf8(kProductTitle);
}

QString getAppDirPath() {
    if (!s_appDirCached) {
        // Installed, the program is in <prefix>/bin and its folder where the install put
        // it; in the build folder, the folder is the program's own.
        const QString programFolder = QCoreApplication::applicationDirPath();
        const QString installed =
            QDir::cleanPath(programFolder + QLatin1Char('/') + QStringLiteral(CALVORINE_INSTALLED_APP_DIR));
        s_appDirPath = QFileInfo(installed).isDir() ? installed : programFolder;
        s_appDirCached = true;
    }
    return s_appDirPath;
}

QString getAppDataProductDir() {
    // The parent of the application's own data location: on XDG the generic data
    // location ($XDG_DATA_HOME or ~/.local/share).
    QString location = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    location.replace(QLatin1Char('\\'), QLatin1Char('/'));
    while (location.size() > 1 && location.endsWith(QLatin1Char('/'))) {
        location.chop(1);
    }
    return productFolderUnder(location, location);
}

QString getDocumentsProductDir() {
    QString location = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    location.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return productFolderUnder(location, location);
}

QString getTempProductDir() {
    const QString location = QStandardPaths::writableLocation(QStandardPaths::TempLocation);
    return productFolderUnder(location, location);
}

bool isFolderWritable(const QString& folder) {
    qDebug() << "isFolderWritable" << folder;
    if (folder.isEmpty() || !QDir(folder).exists()) {
        return false;
    }
    QString prefix = folder;
    if (!prefix.endsWith(QLatin1Char('/')) && !prefix.endsWith(QLatin1Char('\\'))) {
        prefix += QLatin1Char('/');
    }
    // A fresh name that no file has: opened with NewOnly, so an existing file of the same
    // name (however unlikely) is never opened, truncated or removed.
    for (int attempt = 0; attempt < 8; ++attempt) {
        const QString probe =
            prefix +
            QStringLiteral(".%1-probe-%2.txt").arg(productTitle(), QUuid::createUuid().toString(QUuid::WithoutBraces));
        QFile file(probe);
        if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
            file.close();
            file.remove();
            return true;
        }
        if (file.exists()) {
            continue; // someone else's file: try another name
        }
        return false;
    }
    return false;
}

void setAutoUpdateCheck(bool on) {
    win_sparkle_set_automatic_check_for_updates(on ? 1 : 0);
}

void setLanguageByName(const QString& englishName) {
    static const char* const names[] = {"English", "Chinese", "German", "French", "Japanese"};
    s_languageIndex = 0;
    for (int i = 0; i < 5; ++i) {
        if (englishName == QLatin1String(names[i])) {
            s_languageIndex = i;
        }
    }
}

int getLanguageIndex() {
    return s_languageIndex;
}

void setOutputPath(const QString& folder) {
    s_outputPath = folder;
}
QString getOutputPath() {
    return s_outputPath;
}
void setScreenshotPath(const QString& folder) {
    s_screenshotPath = folder;
}
QString getScreenshotPath() {
    return s_screenshotPath;
}
void setConvertedPath(const QString& folder) {
    s_convertedPath = folder;
}
QString getConvertedPath() {
    return s_convertedPath;
}
void setLogFilePath(const QString& path) {
    s_logFilePath = path;
}
QString getLogFilePath() {
    return s_logFilePath;
}
void setFinishedAllJobFlag(int value) {
    s_finishedAllJobFlag = value;
}
int getFinishedAllJobFlag() {
    return s_finishedAllJobFlag;
}
QString getGlobalString() {
    return QString();
}

void setHistoryWindowActive(bool active) {
    s_historyWindowActive = active;
}
bool isHistoryWindowActive() {
    return s_historyWindowActive;
}
void setControlBarActive(bool active) {
    s_controlBarActive = active;
}
bool isControlBarActive() {
    return s_controlBarActive;
}
