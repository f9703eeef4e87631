#include "library/SnapshotFileName.h"

#include "app/AppGlobals.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>

namespace {

QString joined(const QString& folder, const QString& name) {
    QString path = folder + QLatin1Char('/') + name;
    while (path.contains(QLatin1String("//"))) {
        path.replace(QLatin1String("//"), QLatin1String("/"));
    }
    return path;
}

} // namespace

QString makeSnapshotFileName() {
    QString folder = getScreenshotPath();
    if (folder.trimmed().isEmpty()) {
        folder = getDocumentsProductDir() + QStringLiteral("/Converted/Screenshots/");
    }
    QDir().mkpath(folder);
    const QString base =
        QStringLiteral("ScreenCapture_") + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMddhhmmsszzz"));
    const QString extension = QStringLiteral("png");
    QString candidate = joined(folder, base + QLatin1Char('.') + extension);
    for (int counter = 1; QFileInfo::exists(candidate); ++counter) {
        candidate = joined(folder, QStringLiteral("%1(%2).%3").arg(base).arg(counter).arg(extension));
    }
    return candidate;
}
