#include "app/KeyApplication.h"

#include <QSharedMemory>
#include <QSystemSemaphore>

namespace {
float s_scaleFactor = 1.0f;
bool s_scaleFactorDone = false;
} // namespace

void initScaleFactor() { initScaleFactorWith(0.0); }
float scaleFactor() { return s_scaleFactor; }
void initScaleFactorWith(double) { s_scaleFactorDone = true; }

KeyNativeEventFilter::~KeyNativeEventFilter() = default;
bool KeyNativeEventFilter::nativeEventFilter(const QByteArray&, void*, long*) { return false; }

KeyApplication::KeyApplication(int& argc, char** argv) : QApplication(argc, argv), m_filter(new KeyNativeEventFilter) {
    installNativeEventFilter(m_filter);
}
KeyApplication::~KeyApplication() {
    removeNativeEventFilter(m_filter);
    delete m_filter;
}

SingleInstanceGuard::SingleInstanceGuard(const QString&) { m_first = true; }
SingleInstanceGuard::~SingleInstanceGuard() = default;

bool raiseRunningInstance(const QString&, int) { return false; }
