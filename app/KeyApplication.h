// Start-up: the display scale factor, the application object with its
// native event filter for global hotkeys, and the single-instance guard.
#pragma once

#include <QAbstractNativeEventFilter>
#include <QApplication>
#include <QString>

#include <memory>

class QLocalServer;
class QLocalSocket;
class QSharedMemory;
class QSystemSemaphore;

// Computes the display scale factor once per process, before the application object
// exists. A QT_SCALE_FACTOR the user set is never overridden (it becomes the factor).
// Otherwise the factor is the X resource Xft.dpi / 96 (what desktops set for scaling);
// when the display gives nothing the factor stays 1.0 and the environment is untouched;
// else QT_SCALE_FACTOR is set to QString::number(factor, 'g', 6).
void initScaleFactor();
// The stored factor (1.0 when never computed or when the display gave nothing).
// Any thread after start-up.
float scaleFactor();
// Seam for tests: the same as initScaleFactor with the display's factor given (0 or less:
// the display gave nothing). Also guarded by the once-flag.
void initScaleFactorWith(double displayFactor);

// Turns xcb key presses of grabbed combinations into the activated() signal of the first
// shortcut (manager order) that holds the combination; such events count as handled.
class KeyNativeEventFilter : public QAbstractNativeEventFilter {
public:
    ~KeyNativeEventFilter() override;
    bool nativeEventFilter(const QByteArray& eventType, void* message, long* result) override;
};

class KeyApplication : public QApplication {
    Q_OBJECT
public:
    KeyApplication(int& argc, char** argv);
    ~KeyApplication() override;

private:
    KeyNativeEventFilter* m_filter;
};

// The single-instance guard: a QSystemSemaphore serialises the check; a 1-byte
// QSharedMemory marks the running instance, both keyed by singleInstanceKey. A
// segment left behind by a crashed (killed) instance is detected and removed, so it never
// blocks the next start. Both keys are the user's own (see singleInstanceKey) and live on
// files in the temporary folder: processes that share a guard need the same TMPDIR.
// Another user may make those files, or objects under their keys, first in a shared
// folder; none of that is trusted: before the semaphore is waited for, both key files and
// both objects are checked to be the user's own (or absent), and else the program runs
// without the guard and says so in the log, rather than wait on or be refused by them.
// The guard's key for this user: the users of one machine each have an instance.
QString singleInstanceKey(const QString& productTitle);

// The files in the temporary folder that the guard's segment and semaphore are keyed on
// (the framework names both after the key). `semaphore` is empty where its name cannot
// be told.
struct SingleInstanceKeyFiles {
    QString segment;
    QString semaphore;
};
SingleInstanceKeyFiles singleInstanceKeyFiles(const QString& productTitle);

class SingleInstanceGuard {
public:
    explicit SingleInstanceGuard(const QString& productTitle);
    ~SingleInstanceGuard();
    // True when this process is the first instance (it then holds the segment until the
    // guard is destroyed).
    bool isFirstInstance() const { return m_first; }
    // The file the segment's key is made from.
    QString keyFile() const;

private:
    std::unique_ptr<QSystemSemaphore> m_semaphore;
    std::unique_ptr<QSharedMemory> m_memory;
    bool m_first = false;
};

// The first instance's end of the line later starts ring: a local socket named after the
// guard's key beside the guard's key files (only the user can connect to it; one that
// another user made there first is never listened on, and later starts then fall back to
// raising the window they find by its title). Each start that
// asks is answered once the first instance has shown its window: showRequested is emitted
// (its receiver shows the window however it was put away, hidden in the tray included) and
// the answer sent after it. Made by the first instance only, after the guard; GUI thread.
class RunningInstanceListener : public QObject {
    Q_OBJECT
public:
    explicit RunningInstanceListener(const QString& productTitle, QObject* parent = nullptr);
    ~RunningInstanceListener() override;
    bool isListening() const;
    // Where later starts reach the first instance.
    static QString socketPath(const QString& productTitle);

signals:
    void showRequested();

private:
    void answer(QLocalSocket* socket);

    QLocalServer* m_server;
};

// The second instance's part: asks the first instance to show its window and waits for
// its answer (up to `timeoutMilliseconds`). False when no first instance answered.
bool askRunningInstanceToShow(const QString& productTitle, int timeoutMilliseconds = 3000);

// The second instance's part: finds the first instance's top-level window by its title,
// restores it when minimised and brings it to the front. False when no window has the
// title. `searchMilliseconds`: how long to keep looking (the first instance may be still
// showing its window).
bool raiseRunningInstance(const QString& windowTitle, int searchMilliseconds = 2000);
