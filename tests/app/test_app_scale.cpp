// The display scale factor at start-up. Each case needs a fresh process (the factor is
// computed once), so the test runs itself once per case.
#include "app/KeyApplication.h"
#include "platform/system/display_scale.h"

#include <QCoreApplication>
#include <QProcess>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

int failures = 0;

void check(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "FAIL: %s\n", what);
        ++failures;
    }
}

std::string environmentText() {
    const char* value = std::getenv("QT_SCALE_FACTOR");
    return value != nullptr ? value : "<unset>";
}

// One case, in this process; returns the number of failures.
int runCase(const std::string& name) {
    if (name == "display-1.25") { // 1920 device pixels shown as 1536 logical ones
        initScaleFactorWith(1920.0 / 1536.0);
        check(scaleFactor() == 1.25f, "factor 1.25");
        check(environmentText() == "1.25", "environment text 1.25");
    } else if (name == "display-equal") {
        initScaleFactorWith(1.0);
        check(scaleFactor() == 1.0f, "factor 1");
        check(environmentText() == "1", "environment text 1");
    } else if (name == "display-nothing") {
        initScaleFactorWith(0.0);
        check(scaleFactor() == 1.0f, "factor stays 1");
        check(environmentText() == "<unset>", "environment untouched");
        initScaleFactorWith(1.5); // once only, even after a zero
        check(scaleFactor() == 1.0f, "second call changes nothing");
        check(environmentText() == "<unset>", "second call leaves the environment");
    } else if (name == "user-set") {
        initScaleFactorWith(2.0);
        check(scaleFactor() == 1.75f, "the user's factor is the factor");
        check(environmentText() == "1.75", "the user's setting is kept");
    } else if (name == "real-display") {
        initScaleFactor(); // Xvfb sets no Xft.dpi: nothing changes
        const double display = calvorine::platform::readDisplayScaleFactor();
        check(display == 0.0 ? scaleFactor() == 1.0f : std::fabs(scaleFactor() - display) < 1e-4, "real display");
    } else {
        check(false, "unknown case");
    }
    return failures;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--case") == 0) {
        return runCase(argv[2]);
    }
    using calvorine::platform::scaleFactorFromResources;
    check(scaleFactorFromResources("Xft.dpi:\t144\n") == 1.5, "Xft.dpi 144");
    check(scaleFactorFromResources("Xcursor.size:\t24\nXft.dpi:\t120\nXft.antialias:\t1\n") == 1.25, "Xft.dpi 120");
    check(scaleFactorFromResources("Xft.antialias:\t1\n") == 0.0, "no Xft.dpi");
    check(scaleFactorFromResources("Xft.dpi:\tlots\n") == 0.0, "Xft.dpi not a number");
    check(scaleFactorFromResources("Xft.dpi:\t0\n") == 0.0, "Xft.dpi 0");
    check(scaleFactorFromResources("") == 0.0, "empty resources");

    QCoreApplication application(argc, argv);
    const struct {
        const char* name;
        const char* userValue;
    } cases[] = {{"display-1.25", nullptr},
                 {"display-equal", nullptr},
                 {"display-nothing", nullptr},
                 {"user-set", "1.75"},
                 {"real-display", nullptr}};
    for (const auto& c : cases) {
        QProcess child;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove("QT_SCALE_FACTOR");
        if (c.userValue != nullptr) {
            environment.insert("QT_SCALE_FACTOR", c.userValue);
        }
        child.setProcessEnvironment(environment);
        child.setProcessChannelMode(QProcess::ForwardedChannels);
        child.start(QCoreApplication::applicationFilePath(), {"--case", c.name});
        const bool finished = child.waitForFinished(30000);
        std::printf("%s: %s\n", c.name, finished && child.exitCode() == 0 ? "passed" : "FAILED");
        if (!finished || child.exitStatus() != QProcess::NormalExit || child.exitCode() != 0) {
            ++failures;
        }
    }
    std::printf("%d passed, %d failed\n", failures == 0 ? 1 : 0, failures == 0 ? 0 : 1);
    return failures == 0 ? 0 : 1;
}
