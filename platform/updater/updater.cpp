#include "platform/updater/updater.h"

#include <QApplication>
#include <QDateTime>
#include <QMessageBox>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QSettings>
#include <QStandardPaths>
#include <QTimer>
#include <QXmlStreamReader>

#include <memory>

namespace calvorine::updater {
namespace {

struct UpdaterState {
    QString appcastUrl;
    QString companyName;
    QString appName = QStringLiteral("this program");
    QString appVersion;
    bool automatic = false;
    bool automaticKnown = false; // set in this run; else the stored choice counts
    bool initialised = false;
    QPointer<QNetworkAccessManager> network;
};

UpdaterState& state() {
    static UpdaterState s;
    return s;
}

QNetworkAccessManager* network() {
    if (!state().network) {
        state().network = new QNetworkAccessManager(QCoreApplication::instance());
    }
    return state().network;
}

bool isUnreachable(QNetworkReply::NetworkError error) {
    switch (error) {
    case QNetworkReply::ConnectionRefusedError:
    case QNetworkReply::RemoteHostClosedError:
    case QNetworkReply::HostNotFoundError:
    case QNetworkReply::TimeoutError:
    case QNetworkReply::OperationCanceledError:
    case QNetworkReply::TemporaryNetworkFailureError:
    case QNetworkReply::NetworkSessionFailedError:
    case QNetworkReply::UnknownNetworkError:
    case QNetworkReply::ProxyConnectionRefusedError:
    case QNetworkReply::ProxyNotFoundError:
    case QNetworkReply::ProxyTimeoutError:
        return true;
    default:
        return false;
    }
}

void showResult(const CheckResult& result, bool quiet) {
    if (quiet && result.status != CheckStatus::UpdateAvailable) {
        return;
    }
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) {
        qInfo("updater: %s", qPrintable(describe(result, state().appName)));
        return;
    }
    auto* box = new QMessageBox(result.status == CheckStatus::UpdateAvailable || result.status == CheckStatus::UpToDate
                                    ? QMessageBox::Information
                                    : QMessageBox::Warning,
                                QObject::tr("Software Update"), describe(result, state().appName), QMessageBox::Ok);
    box->setObjectName(QStringLiteral("calvorineUpdaterMessage"));
    box->setTextInteractionFlags(Qt::TextBrowserInteraction);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->show();
}

// Where the automatic-check choice and the time of the last automatic check are kept
// between runs (an INI file under the user's configuration folder).
std::unique_ptr<QSettings> storedSettings() {
    const QString company = state().companyName.isEmpty() ? QStringLiteral("Calvorine") : state().companyName;
    // The path is worked out on each call (QSettings' own scope paths are fixed at first use).
    const QString path =
        QStringLiteral("%1/%2/%3 updater.ini")
            .arg(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation), company, state().appName);
    return std::make_unique<QSettings>(path, QSettings::IniFormat);
}

const char* const kCheckKey = "CheckForUpdates";
const char* const kLastCheckKey = "LastCheckTime";
// Automatic checks run at most once a day, however often the program starts.
constexpr qint64 kAutomaticIntervalSeconds = 24 * 60 * 60;

bool automaticChecksOn() {
    if (state().automaticKnown) {
        return state().automatic;
    }
    return storedSettings()->value(kCheckKey, false).toBool();
}

void runCheck(bool quiet);

// Runs once the event loop runs, so the address and details given right after
// win_sparkle_init are known by then.
void automaticCheckIfDue() {
    if (!automaticChecksOn() || state().appcastUrl.isEmpty()) {
        return;
    }
    std::unique_ptr<QSettings> settings = storedSettings();
    const QDateTime last = settings->value(kLastCheckKey).toDateTime();
    const QDateTime now = QDateTime::currentDateTimeUtc();
    if (last.isValid() && last <= now && last.secsTo(now) < kAutomaticIntervalSeconds) {
        return;
    }
    settings->setValue(kLastCheckKey, now);
    runCheck(true);
}

void runCheck(bool quiet) {
    checkForUpdate(QUrl(state().appcastUrl), state().appVersion,
                   [quiet](const CheckResult& result) { showResult(result, quiet); });
}

} // namespace

int compareVersions(const QString& a, const QString& b) {
    const QStringList left = a.trimmed().split(QLatin1Char('.'));
    const QStringList right = b.trimmed().split(QLatin1Char('.'));
    const int parts = qMax(left.size(), right.size());
    for (int i = 0; i < parts; ++i) {
        const QString l = i < left.size() ? left.at(i) : QStringLiteral("0");
        const QString r = i < right.size() ? right.at(i) : QStringLiteral("0");
        // The leading digits compare as numbers, whatever follows as text ("2rc1").
        int ld = 0;
        while (ld < l.size() && l.at(ld).isDigit()) {
            ++ld;
        }
        int rd = 0;
        while (rd < r.size() && r.at(rd).isDigit()) {
            ++rd;
        }
        const qulonglong ln = l.left(ld).toULongLong();
        const qulonglong rn = r.left(rd).toULongLong();
        if (ln != rn) {
            return ln < rn ? -1 : 1;
        }
        const int text = QString::compare(l.mid(ld), r.mid(rd));
        if (text != 0) {
            return text < 0 ? -1 : 1;
        }
    }
    return 0;
}

bool parseAppcast(const QByteArray& appcast, QString* version, QString* downloadUrl) {
    QXmlStreamReader reader(appcast);
    QString bestVersion;
    QString bestUrl;
    QString itemVersion;
    QString itemUrl;
    bool inItem = false;
    auto finishItem = [&]() {
        if (!itemVersion.isEmpty() && (bestVersion.isEmpty() || compareVersions(itemVersion, bestVersion) > 0)) {
            bestVersion = itemVersion;
            bestUrl = itemUrl;
        }
        itemVersion.clear();
        itemUrl.clear();
    };
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isStartElement()) {
            const QStringRef name = reader.name();
            if (name == QLatin1String("item")) {
                finishItem();
                inItem = true;
            } else if (!inItem) {
                continue;
            } else if (name == QLatin1String("enclosure")) {
                for (const QXmlStreamAttribute& attribute : reader.attributes()) {
                    if (attribute.name() == QLatin1String("version") && itemVersion.isEmpty()) {
                        itemVersion = attribute.value().toString().trimmed();
                    } else if (attribute.name() == QLatin1String("url")) {
                        itemUrl = attribute.value().toString().trimmed();
                    }
                }
            } else if (name == QLatin1String("version") && reader.prefix() == QLatin1String("sparkle")) {
                itemVersion = reader.readElementText().trimmed();
            } else if (name == QLatin1String("link") && itemUrl.isEmpty()) {
                itemUrl = reader.readElementText().trimmed();
            }
        } else if (reader.isEndElement() && reader.name() == QLatin1String("item")) {
            finishItem();
            inItem = false;
        }
    }
    finishItem();
    if (bestVersion.isEmpty()) {
        return false;
    }
    if (version != nullptr) {
        *version = bestVersion;
    }
    if (downloadUrl != nullptr) {
        *downloadUrl = bestUrl;
    }
    return true;
}

QString describe(const CheckResult& result, const QString& appName) {
    switch (result.status) {
    case CheckStatus::UpdateAvailable:
        return result.downloadUrl.isEmpty() ? QObject::tr("%1 %2 is available.").arg(appName, result.latestVersion)
                                            : QObject::tr("%1 %2 is available. Download it from %3")
                                                  .arg(appName, result.latestVersion, result.downloadUrl);
    case CheckStatus::UpToDate:
        return QObject::tr("You're up to date: %1 is the newest version.").arg(appName);
    case CheckStatus::NoNetwork:
        return QObject::tr("Could not check for updates: there is no network connection (the update server "
                           "could not be reached).");
    case CheckStatus::ServerError:
        return QObject::tr("Could not check for updates: the update server answered with an error.");
    case CheckStatus::InvalidAppcast:
        return QObject::tr("Could not check for updates: the update server's answer could not be read.");
    case CheckStatus::NotConfigured:
        break;
    }
    return QObject::tr("Could not check for updates: no update address is set.");
}

void checkForUpdate(const QUrl& appcastUrl, const QString& currentVersion, std::function<void(const CheckResult&)> done,
                    int timeoutMilliseconds) {
    if (!appcastUrl.isValid() || appcastUrl.isEmpty()) {
        CheckResult result;
        result.status = CheckStatus::NotConfigured;
        result.message = describe(result, state().appName);
        QTimer::singleShot(0, QCoreApplication::instance(), [done, result] { done(result); });
        return;
    }
    QNetworkRequest request(appcastUrl);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setHeader(QNetworkRequest::UserAgentHeader, QStringLiteral("%1/%2").arg(state().appName, currentVersion));
    QNetworkReply* reply = network()->get(request);
    auto* timeout = new QTimer(reply);
    timeout->setSingleShot(true);
    QObject::connect(timeout, &QTimer::timeout, reply, &QNetworkReply::abort);
    timeout->start(timeoutMilliseconds);
    QObject::connect(reply, &QNetworkReply::finished, [reply, currentVersion, done]() {
        CheckResult result;
        const int httpStatus = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        if (reply->error() != QNetworkReply::NoError && httpStatus == 0 && isUnreachable(reply->error())) {
            result.status = CheckStatus::NoNetwork;
        } else if (httpStatus >= 400 || (reply->error() != QNetworkReply::NoError)) {
            result.status = CheckStatus::ServerError;
        } else if (!parseAppcast(reply->readAll(), &result.latestVersion, &result.downloadUrl)) {
            result.status = CheckStatus::InvalidAppcast;
        } else {
            result.status = compareVersions(result.latestVersion, currentVersion) > 0 ? CheckStatus::UpdateAvailable
                                                                                      : CheckStatus::UpToDate;
        }
        result.message = describe(result, state().appName);
        reply->deleteLater();
        done(result);
    });
}

CheckResult checkForUpdateBlocking(const QUrl& appcastUrl, const QString& currentVersion, int timeoutMilliseconds) {
    CheckResult outcome;
    QEventLoop loop;
    bool finished = false;
    checkForUpdate(
        appcastUrl, currentVersion,
        [&](const CheckResult& result) {
            outcome = result;
            finished = true;
            loop.quit();
        },
        timeoutMilliseconds);
    if (!finished) {
        loop.exec();
    }
    return outcome;
}

} // namespace calvorine::updater

using calvorine::updater::state;

void win_sparkle_init() {
    state().initialised = true;
    if (QCoreApplication::instance() != nullptr) {
        QTimer::singleShot(0, QCoreApplication::instance(), [] { calvorine::updater::automaticCheckIfDue(); });
    }
}

void win_sparkle_set_appcast_url(const char* utf8Url) {
    state().appcastUrl = utf8Url != nullptr ? QString::fromUtf8(utf8Url) : QString();
}

void win_sparkle_set_app_details(const wchar_t* companyName, const wchar_t* appName, const wchar_t* appVersion) {
    state().companyName = companyName != nullptr ? QString::fromWCharArray(companyName) : QString();
    if (appName != nullptr) {
        state().appName = QString::fromWCharArray(appName);
    }
    state().appVersion = appVersion != nullptr ? QString::fromWCharArray(appVersion) : QString();
}

void win_sparkle_set_automatic_check_for_updates(int state_) {
    state().automatic = state_ != 0;
    state().automaticKnown = true;
    calvorine::updater::storedSettings()->setValue(calvorine::updater::kCheckKey, state().automatic);
}

int win_sparkle_get_automatic_check_for_updates() {
    return calvorine::updater::automaticChecksOn() ? 1 : 0;
}

void win_sparkle_check_update_with_ui() {
    if (QCoreApplication::instance() == nullptr) {
        return;
    }
    calvorine::updater::runCheck(false);
}

void win_sparkle_cleanup() {
    delete state().network.data();
    state() = calvorine::updater::UpdaterState();
}
