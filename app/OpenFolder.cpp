// openFolderOfFile on a freedesktop desktop.
#include "app/AppGlobals.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

namespace {

// The desktop's handler for the folder; false (logged, and told through `onFailure`)
// when none could open it.
void openInDesktop(const QString& folder, const FolderOpenFailure& onFailure) {
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(folder))) {
        qWarning("openFolderOfFile: could not open %s", qPrintable(folder));
        if (onFailure) {
            onFailure(folder);
        }
    }
}

// Asks the file manager on the session bus (FileManager1 `method` with one URI); when
// none answers, the desktop's handler opens `folder` instead. The call is asynchronous,
// so a slow or absent file manager never blocks the window.
void callFileManager(const QString& method, const QString& path, const QString& folder,
                     const FolderOpenFailure& onFailure) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        openInDesktop(folder, onFailure);
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.FileManager1"),
                                                       QStringLiteral("/org/freedesktop/FileManager1"),
                                                       QStringLiteral("org.freedesktop.FileManager1"), method);
    call << QStringList{QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded)} << QString();
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, 5000));
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished,
                     [folder, onFailure](QDBusPendingCallWatcher* finished) {
                         if (finished->isError()) {
                             openInDesktop(folder, onFailure);
                         }
                         finished->deleteLater();
                     });
}

} // namespace

void openFolderInFileManager(const std::string& utf8Folder) {
    QString folder = QString::fromUtf8(utf8Folder.data(), static_cast<int>(utf8Folder.size()));
    if (folder.isEmpty()) {
        return;
    }
    folder = QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
    callFileManager(QStringLiteral("ShowFolders"), folder, folder, FolderOpenFailure());
}

void openFolderOfFile(const std::string& utf8Path, const FolderOpenFailure& onFailure) {
    QString path = QString::fromUtf8(utf8Path.data(), static_cast<int>(utf8Path.size()));
    if (path.isEmpty()) {
        return;
    }
    path = QDir::cleanPath(QFileInfo(path).absoluteFilePath()); // also folds "//" into "/"

    // FileManager1.ShowItems selects the file in the user's file manager.
    callFileManager(QStringLiteral("ShowItems"), path, QFileInfo(path).absolutePath(), onFailure);
}
