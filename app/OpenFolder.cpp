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

void openFolderInDesktop(const QString& filePath) {
    const QString folder = QFileInfo(filePath).absolutePath();
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(folder))) {
        qWarning("openFolderOfFile: could not open %s", qPrintable(folder));
    }
}

} // namespace

void openFolderOfFile(const std::string& utf8Path) {
    QString path = QString::fromUtf8(utf8Path.data(), static_cast<int>(utf8Path.size()));
    if (path.isEmpty()) {
        return;
    }
    path = QDir::cleanPath(QFileInfo(path).absoluteFilePath()); // also folds "//" into "/"

    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        openFolderInDesktop(path);
        return;
    }
    // FileManager1.ShowItems(uris, startup id) selects the file in the user's file manager.
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("/org/freedesktop/FileManager1"),
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItems"));
    call << QStringList{QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded)} << QString();
    // Asynchronous, so a slow or absent file manager never blocks the window; when no
    // file manager answers, the folder goes to the desktop's handler for folders instead.
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, 5000));
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, [path](QDBusPendingCallWatcher* finished) {
        if (finished->isError()) {
            openFolderInDesktop(path);
        }
        finished->deleteLater();
    });
}
