#include "recorder/MainWindowRules.h"

#include <QCoreApplication>
#include <QStringList>

#include <algorithm>

const char* const kDefaultAreaValue = "0*0-640*480";

namespace {

// "a*b" into two decimal numbers (0 for a part that is no number); false without "*".
bool splitPair(const QString& text, int* first, int* second) {
    const int star = text.indexOf(QLatin1Char('*'));
    if (star < 0) {
        return false;
    }
    *first = text.left(star).toInt();
    *second = text.mid(star + 1).toInt();
    return true;
}

constexpr uint64_t kDayUs = 86'400'000'000ULL;

} // namespace

StoredArea parseAreaValue(const QString& text) {
    StoredArea area;
    const int dash = text.indexOf(QLatin1Char('-'));
    if (dash < 0) {
        return area;
    }
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    const bool originRead = splitPair(text.left(dash), &x, &y);
    const bool sizeRead = splitPair(text.mid(dash + 1), &width, &height);
    if (originRead) {
        area.origin = QPoint(x, y);
    }
    if (sizeRead) {
        area.size = QSize(width, height);
    }
    area.wellFormed = originRead && sizeRead;
    return area;
}

QString areaValueText(const QPoint& origin, const QSize& size) {
    return QStringLiteral("%1*%2-%3*%4").arg(origin.x()).arg(origin.y()).arg(size.width()).arg(size.height());
}

QString recordFileNameIn(const QString& folder, const QDateTime& now, const QString& extension,
                         const std::function<bool(const QString&)>& exists) {
    QString base = folder;
    if (!base.endsWith(QLatin1Char('/'))) {
        base += QLatin1Char('/');
    }
    const QString name = QStringLiteral("REC_") + now.toString(QStringLiteral("yyyyMMddhhmmsszzz"));
    auto tidy = [](QString path) { return path.replace(QStringLiteral("//"), QStringLiteral("/")); };
    QString path = tidy(base + name + QLatin1Char('.') + extension);
    for (int counter = 1; exists(path); ++counter) {
        path = tidy(base + QStringLiteral("%1(%2).%3").arg(name).arg(counter).arg(extension));
    }
    return path;
}

PanelPlacement placeBesideArea(const QSize& panelSize, const QRect& area, const QSize& screenSize) {
    const int w = panelSize.width();
    const int h = panelSize.height();
    const int x = area.x();
    const int y = area.y();
    const int right = x + area.width() + 2;
    const int below = y + area.height() + 2;
    PanelPlacement placement;
    placement.fits = true;
    if (below + h < screenSize.height()) {
        placement.position = QPoint(right - w, below);
    } else if (right + w < screenSize.width()) {
        placement.position = QPoint(right, y - 3);
    } else if (h < y - 3) {
        placement.position = QPoint(x - 3, y - 3 - h);
    } else if (w < x - 3) {
        placement.position = QPoint(x - 3 - w, below - h);
    } else {
        placement.fits = false;
        return placement;
    }
    // An area near a screen edge would push the panel partly off the screen.
    placement.position.setX(std::clamp(placement.position.x(), 0, std::max(0, screenSize.width() - w)));
    placement.position.setY(std::clamp(placement.position.y(), 0, std::max(0, screenSize.height() - h)));
    return placement;
}

uint64_t recordingTimeLimit(bool stopAfterOn, int64_t stopAfterUs, bool scheduleOn, int64_t scheduleStartUs,
                            int64_t scheduleEndUs) {
    if (stopAfterOn) {
        return stopAfterUs > 0 ? static_cast<uint64_t>(stopAfterUs) : 0;
    }
    if (scheduleOn) {
        return (static_cast<uint64_t>(scheduleEndUs - scheduleStartUs) + kDayUs) % kDayUs;
    }
    return 0;
}

bool isPastTimeLimit(uint64_t elapsedUs, uint64_t limitUs) {
    return limitUs != 0 && elapsedUs > limitUs;
}

QString pauseMenuLabel(bool paused, const QString& keyText) {
    return paused ? QCoreApplication::translate("MainWindow", "Resume      %1").arg(keyText)
                  : QCoreApplication::translate("MainWindow", "Pause       %1").arg(keyText);
}

QString stopMenuLabel(const QString& keyText) {
    return QCoreApplication::translate("MainWindow", "Stop        %1").arg(keyText);
}

namespace {
const char* const kServer = "https://www.calvorine.com";
const char* const kProductId = "2025";
const char* const kProductVersion = "2.0.2.25";
} // namespace

QString appcastAddress() {
    return QString::fromLatin1(kServer) + QStringLiteral("/api/product/version?pid=%1&ver=%2")
                                              .arg(QLatin1String(kProductId), QLatin1String(kProductVersion));
}

QString helpAddress() {
    return QString::fromLatin1(kServer) + QStringLiteral("/api/product/redirect?pid=%1&page_type=%2")
                                              .arg(QLatin1String(kProductId), QStringLiteral("help"));
}

QString homeAddress() {
    return QString::fromLatin1(kServer) + QLatin1Char('/');
}
