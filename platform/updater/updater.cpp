#include "platform/updater/updater.h"

void win_sparkle_init() {}
void win_sparkle_set_appcast_url(const char*) {}
void win_sparkle_set_app_details(const wchar_t*, const wchar_t*, const wchar_t*) {}
static int s_automatic = 0;
void win_sparkle_set_automatic_check_for_updates(int state) { s_automatic = state != 0 ? 1 : 0; }
void win_sparkle_check_update_with_ui() {}
int win_sparkle_get_automatic_check_for_updates() { return s_automatic; }
void win_sparkle_cleanup() {}

namespace calvorine::updater {
int compareVersions(const QString&, const QString&) { return 0; }
bool parseAppcast(const QByteArray&, QString*, QString*) { return false; }
QString describe(const CheckResult& result, const QString&) { return result.message; }
void checkForUpdate(const QUrl&, const QString&, std::function<void(const CheckResult&)> done, int) {
    done(CheckResult());
}
CheckResult checkForUpdateBlocking(const QUrl&, const QString&, int) { return CheckResult(); }
} // namespace calvorine::updater
