// The process entry for Linux/X11.
#include "app/AppGlobals.h"
#include "app/KeyApplication.h"
#include "recorder/MainWindow.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFont>
#include <QMessageBox>
#include <QSocketNotifier>

#include <csignal>
#include <memory>
#include <unistd.h>

namespace {

int s_quitPipe[2] = {-1, -1};
bool s_endedBySignal = false;

void onQuitSignal(int) {
    const char byte = 1;
    // Only async-signal-safe work here: the event loop reads the pipe.
    [[maybe_unused]] const ssize_t written = write(s_quitPipe[1], &byte, 1);
}

// SIGTERM and SIGINT (a session ending, Ctrl+C in a terminal) end the event loop, so the
// program shuts down as after a normal quit and gives up its single-instance segment.
void quitOnTerminationSignals() {
    if (pipe(s_quitPipe) != 0) {
        return;
    }
    auto* notifier = new QSocketNotifier(s_quitPipe[0], QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, [] {
        char byte = 0;
        [[maybe_unused]] const ssize_t count = read(s_quitPipe[0], &byte, 1);
        s_endedBySignal = true;
        QCoreApplication::quit();
    });
    struct sigaction action {};
    action.sa_handler = onQuitSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
}

} // namespace

int main(int argc, char** argv) {
    initScaleFactor();
    KeyApplication application(argc, argv);

    SingleInstanceGuard guard(productTitle());
    if (!guard.isFirstInstance()) {
        // The first instance shows its window (even one hidden in the tray); the raise
        // then gives it the keyboard, which only the window manager can hand over. A
        // first instance that cannot be asked is looked for by its window's title.
        const bool shown = askRunningInstanceToShow(productTitle());
        if (!raiseRunningInstance(productTitle()) && !shown) {
            QMessageBox::information(nullptr, QString(),
                                     QCoreApplication::translate("QObject", "An instance has already been running."),
                                     QMessageBox::Ok, QMessageBox::NoButton);
        }
        return 0;
    }
    quitOnTerminationSignals();

    QFont font = QApplication::font();
    font.setFamily(QStringLiteral("Tahoma"));
    font.setPixelSize(12);
    QApplication::setFont(font);

    auto mainWindow = std::make_unique<MainWindow>(nullptr);
    RunningInstanceListener laterStarts(productTitle());
    QObject::connect(&laterStarts, &RunningInstanceListener::showRequested, mainWindow.get(),
                     [window = mainWindow.get()] { window->bringBack(); });
    mainWindow->show();
    const int exitCode = QApplication::exec();
    // However the program was quit (the tray, the close path, a signal), a running
    // recording is finished and the sound sources stored now; a failure is told before
    // the program ends, in a box unless no one is there to answer it (a signal).
    mainWindow->saveBeforeExit(!s_endedBySignal);
    mainWindow.reset();
    return exitCode;
}
