#pragma once

#include <QProcess>

#include <csignal>
#include <sys/prctl.h>

// A process that ends with the test that started it. A test that Qt Test or ctest ends
// early (a function that timed out, a crash) would otherwise leave the program it drives
// running on the shared desktop, holding its windows, its hotkeys and the sound server,
// and every later test would meet it there.
class ChildProcess : public QProcess {
protected:
    void setupChildProcess() override { prctl(PR_SET_PDEATHSIG, SIGKILL); }
};
