// The updater: our stand-in for WinSparkle, with the five calls the program makes, plus the
// check itself for callers that want its result. An appcast (Sparkle RSS: items whose
// <enclosure> carries sparkle:version, or a <sparkle:version> element) is fetched with
// QtNetwork and its highest version compared with the application's.
// GUI thread only; needs a QCoreApplication (a QApplication for the check with UI).
#pragma once

#include <QObject>
#include <QString>
#include <QUrl>

#include <functional>

// The five calls the program makes.
// Prepares the updater. Once the event loop runs, when automatic checks are on, an appcast
// URL is set and the last automatic check is a day old or more, a quiet check runs; it
// speaks only when an update is found.
void win_sparkle_init();
// The appcast's address, UTF-8.
void win_sparkle_set_appcast_url(const char* utf8Url);
// Company, application name and version (the version is what the appcast is compared with).
void win_sparkle_set_app_details(const wchar_t* companyName, const wchar_t* appName, const wchar_t* appVersion);
// Keeps the automatic-check flag (1 on, 0 off), also for later runs (an INI file named
// after the company and application under the user's configuration folder).
void win_sparkle_set_automatic_check_for_updates(int state);
// Checks now and tells the user the outcome in a message box: the newer version and its
// download link, "up to date", or plainly that there is no network connection.
void win_sparkle_check_update_with_ui();

// Beyond the five calls.
int win_sparkle_get_automatic_check_for_updates();
// Stops a running check and forgets the settings (tests).
void win_sparkle_cleanup();

namespace calvorine::updater {

enum class CheckStatus {
    UpdateAvailable,
    UpToDate,
    NoNetwork,      // the host could not be reached (no route, refused, unknown host, time-out)
    ServerError,    // HTTP error status
    InvalidAppcast, // fetched, but no version could be read from it
    NotConfigured,  // no appcast URL
};

struct CheckResult {
    CheckStatus status = CheckStatus::NotConfigured;
    QString latestVersion; // from the appcast, when read
    QString downloadUrl;   // the newest item's enclosure url, when given
    QString message;       // one plain sentence for the user
};

// Compares dotted versions numerically part by part ("2.0.10" > "2.0.9"; missing parts are
// 0; a non-numeric tail compares as text). <0, 0, >0.
int compareVersions(const QString& a, const QString& b);

// Reads the appcast text: the highest version and its download URL. False when none.
bool parseAppcast(const QByteArray& appcast, QString* version, QString* downloadUrl);

// The plain sentence shown for a result.
QString describe(const CheckResult& result, const QString& appName);

// Fetches `appcastUrl` and compares with `currentVersion`; `done` is called once on the
// GUI thread. Gives up after `timeoutMilliseconds` (NoNetwork).
void checkForUpdate(const QUrl& appcastUrl, const QString& currentVersion, std::function<void(const CheckResult&)> done,
                    int timeoutMilliseconds = 15000);

// The same, waiting in a local event loop; for tests and tools.
CheckResult checkForUpdateBlocking(const QUrl& appcastUrl, const QString& currentVersion,
                                   int timeoutMilliseconds = 15000);

} // namespace calvorine::updater
