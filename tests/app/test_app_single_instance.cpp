// The single-instance guard with the real program on the virtual desktop: a second start
// exits with 0 and brings the first one's window back; after kill -9 of the first a new
// start works, also when a new key file meets its dead segment through a freed inode (the
// segment is then taken over); another user of the machine has an instance of their own,
// and the semaphore or key file they made first holds no start of this user's.
#include "tests/support/PrivateUserFolders.h"

#include "app/KeyApplication.h"
#include "app/SettingsFile.h"
#include "platform/system/window_list.h"
#include "tests/support/DesktopHelpers.h"
#include "tests/support/TestOutput.h"

#include <QSystemSemaphore>
#include <QtTest>

#include <QSharedMemory>
#include <QTemporaryDir>
#include <QThread>

#include <csignal>
#include <fcntl.h>
#include <functional>
#include <sys/ipc.h>
#include <sys/sem.h>
#include <sys/shm.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

namespace platform = calvorine::platform;

namespace {

const char* const kTitle = "Calvorine Screen Recorder";

QString programPath() {
    const QByteArray appDir = qgetenv("CALVORINE_APP_DIR");
    return (appDir.isEmpty() ? QCoreApplication::applicationDirPath() : QString::fromLocal8Bit(appDir)) +
           QStringLiteral("/calvorine");
}

uint64_t waitForWindow(int milliseconds = 15000) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < milliseconds) {
        if (const uint64_t window = platform::findTopLevelWindowByTitle(kTitle)) {
            return window;
        }
        QTest::qWait(50);
    }
    return 0;
}

bool waitForNoWindow(int milliseconds = 10000) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < milliseconds) {
        if (platform::findTopLevelWindowByTitle(kTitle) == 0) {
            return true;
        }
        QTest::qWait(50);
    }
    return false;
}

void startProgram(QProcess* process) {
    process->setProcessChannelMode(QProcess::ForwardedChannels);
    process->start(programPath(), QStringList());
}

// Starts the program and waits until its main window is up and has the keyboard (the
// title can be found before the window is mapped, and input sent then is lost); the
// window, 0 when it never came.
uint64_t startUntilActive(QProcess* process) {
    startProgram(process);
    if (!process->waitForStarted()) {
        return 0;
    }
    const uint64_t window = waitForWindow();
    return window != 0 && QTest::qWaitFor([window] { return platform::activeWindow() == window; }, 15000) ? window : 0;
}

// Whether X draws the window now (xwininfo's map state), not whether it exists.
bool isViewable(uint64_t window) {
    return desktoptest::run(QStringLiteral("xwininfo"), {QStringLiteral("-id"), QString::number(window)})
        .contains(QStringLiteral("Map State: IsViewable"));
}

// The windows of a process with the program's title that X draws now (the main window
// and its boxes; xdotool finds them by the process id).
int viewableTitledWindowsOf(const QProcess& process) {
    const QString found = desktoptest::run(QStringLiteral("xdotool"),
                                           {"search", "--onlyvisible", "--pid", QString::number(process.processId()),
                                            "--name", QStringLiteral("^%1$").arg(kTitle)});
    return found.split(QLatin1Char('\n'), Qt::SkipEmptyParts).size();
}

void keepScreen(const QString& name) {
    desktoptest::screenshot(testoutput::pngPath(name));
}

// An environment variable set (or unset, with a null value) until the object goes.
class ScopedVariable {
public:
    ScopedVariable(const char* name, const QByteArray& value)
        : m_name(name), m_was(qEnvironmentVariableIsSet(name)), m_old(qgetenv(name)) {
        if (value.isNull()) {
            qunsetenv(name);
        } else {
            qputenv(name, value);
        }
    }
    ~ScopedVariable() {
        if (m_was) {
            qputenv(m_name, m_old);
        } else {
            qunsetenv(m_name);
        }
    }

private:
    const char* m_name;
    bool m_was;
    QByteArray m_old;
};

// The id of another user of the machine (nobody).
const uid_t kOtherUser = 65534;

// Runs `body` in a child process, as `user` when that is not this process's, and
// `meanwhile` here once it runs; the child's exit code, -1 when it had not ended after
// `milliseconds` (it is then killed), -2 when it could not be started as that user.
int runInChild(uid_t user, const std::function<int()>& body, const std::function<void()>& meanwhile = {},
               int milliseconds = 10000) {
    const pid_t child = ::fork();
    if (child == -1) {
        return -2;
    }
    if (child == 0) {
        if (user != ::getuid() && (::setgid(user) != 0 || ::setuid(user) != 0)) {
            ::_exit(254);
        }
        ::_exit(body());
    }
    if (meanwhile) {
        meanwhile();
    }
    QElapsedTimer timer;
    timer.start();
    int status = 0;
    while (::waitpid(child, &status, WNOHANG) == 0) {
        if (timer.elapsed() > milliseconds) {
            ::kill(child, SIGKILL);
            ::waitpid(child, &status, 0);
            return -1;
        }
        QThread::msleep(20);
    }
    const int code = WIFEXITED(status) ? WEXITSTATUS(status) : -3;
    return code == 254 ? -2 : code;
}

// A temporary folder shared by the users of the machine as /tmp is (anyone may create,
// each keeps their own), made the temporary folder of this process for the scope.
struct SharedTemporaryFolder {
    QTemporaryDir folder{QStringLiteral("/tmp/calvorine-users-XXXXXX")};
    bool valid = folder.isValid() && ::chmod(QFile::encodeName(folder.path()).constData(), 01777) == 0;
    ScopedVariable variable{"TMPDIR", QFile::encodeName(folder.path())};
};

// Set by the message handler of a child when the guard said it runs without itself.
bool s_ranWithoutGuard = false;

} // namespace

class TestAppSingleInstance : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<PrivateUserFolders> m_folders;

private slots:
    void initTestCase() {
        QVERIFY2(QFile::exists(programPath()), qPrintable(programPath()));
        QVERIFY2(waitForNoWindow(), "another program window is on the desktop");
    }
    void init() { m_folders = std::make_unique<PrivateUserFolders>(); }
    void cleanup() { m_folders.reset(); }

    void secondStartRaisesTheFirstAndExitsWithZero() {
        QProcess first;
        const uint64_t window = startUntilActive(&first);
        QVERIFY(window != 0);

        QProcess minimise;
        minimise.start("xdotool", {"windowminimize", QString::number(window)});
        QVERIFY(minimise.waitForFinished(10000));
        QTRY_VERIFY_WITH_TIMEOUT(platform::isWindowMinimised(window), 5000);
        // The window manager hands the focus on after the minimise, not with it.
        QTRY_VERIFY_WITH_TIMEOUT(platform::activeWindow() != window, 5000);

        QProcess second;
        startProgram(&second);
        QVERIFY(second.waitForStarted());
        QVERIFY(second.waitForFinished(20000));
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 0);

        QTRY_VERIFY_WITH_TIMEOUT(!platform::isWindowMinimised(window), 5000);
        QTRY_COMPARE_WITH_TIMEOUT(platform::activeWindow(), window, 5000);
        QCOMPARE(first.state(), QProcess::Running);
        QCOMPARE(platform::findTopLevelWindowByTitle(kTitle), window); // the second showed nothing

        // SIGTERM ends it as a normal quit (and gives the segment up).
        first.terminate();
        QVERIFY(first.waitForFinished(10000));
        QCOMPARE(first.exitStatus(), QProcess::NormalExit);
        QCOMPARE(first.exitCode(), 0);
        QVERIFY(waitForNoWindow());
    }

    // Alt+F4 (the window manager's close) is the title bar's close button: with nothing
    // stored it asks the close question; with "Minimize to Tray" stored the window hides
    // and the program stays, and a second start brings the hidden window back.
    void closeRequestIsTheCloseButtonAndASecondStartUnhides() {
        {
            QProcess first;
            const uint64_t window = startUntilActive(&first);
            QVERIFY(window != 0);
            QVERIFY(desktoptest::xdotool({"key", "alt+F4"}));
            // The question over the main window, which stays.
            QTRY_VERIFY2_WITH_TIMEOUT(viewableTitledWindowsOf(first) >= 2, "no close question came", 10000);
            keepScreen("close_request_question");
            QVERIFY2(isViewable(window) && first.state() == QProcess::Running,
                     "Alt+F4 ended the program without a question");
            first.terminate();
            QVERIFY(first.waitForFinished(10000));
        }

        QVERIFY(writeSettingValue("REMIND_ITEM", "isShowRemind", "N"));
        QVERIFY(writeSettingValue("CLOSE_ITEM", "bIsCloseDlg", "N"));
        QProcess first;
        const uint64_t window = startUntilActive(&first);
        QVERIFY(window != 0);
        QVERIFY(desktoptest::xdotool({"key", "alt+F4"}));
        QTRY_VERIFY_WITH_TIMEOUT(!isViewable(window) || first.state() != QProcess::Running, 10000);
        keepScreen("close_request_tray");
        QVERIFY2(first.state() == QProcess::Running, "Alt+F4 ended the program, not hid it in the tray");

        QProcess second;
        startProgram(&second);
        QVERIFY(second.waitForStarted());
        // A second start that stays is the only one: Alt+F4 had ended the first.
        QVERIFY2(second.waitForFinished(20000), "the second start runs on: the first copy had ended");
        QCOMPARE(second.exitCode(), 0);
        QTRY_VERIFY2_WITH_TIMEOUT(isViewable(window), "the second start left the window hidden", 5000);
        QTRY_COMPARE_WITH_TIMEOUT(platform::activeWindow(), window, 5000);
        keepScreen("close_request_second_start");
        first.terminate();
        QVERIFY(first.waitForFinished(10000));
    }

    void startAfterKillOfTheFirstWorks() {
        QProcess first;
        startProgram(&first);
        QVERIFY(first.waitForStarted());
        QVERIFY(waitForWindow() != 0);
        ::kill(static_cast<pid_t>(first.processId()), SIGKILL);
        QVERIFY(first.waitForFinished(10000));
        QVERIFY(waitForNoWindow());

        // The killed instance left its segment; the next start is the first instance again.
        QProcess next;
        startProgram(&next);
        QVERIFY(next.waitForStarted());
        QVERIFY(waitForWindow() != 0);
        QVERIFY(!next.waitForFinished(500));
        QCOMPARE(next.state(), QProcess::Running);

        // And a start after it still finds it running.
        QProcess another;
        startProgram(&another);
        QVERIFY(another.waitForFinished(20000));
        QCOMPARE(another.exitCode(), 0);
        QCOMPARE(next.state(), QProcess::Running);

        next.terminate();
        QVERIFY(next.waitForFinished(10000));
        QCOMPARE(next.exitCode(), 0);
        QVERIFY(waitForNoWindow());

        // The killed instance had created the system semaphore, so nobody removes it: take
        // it over (Create) so that it goes with this object and the test leaves nothing.
        QSystemSemaphore leftover(singleInstanceKey(QString::fromLatin1(kTitle)), 1, QSystemSemaphore::Create);
    }

    void guardInOneProcess() {
        const QString title = QStringLiteral("Calvorine guard test %1").arg(QCoreApplication::applicationPid());
        {
            SingleInstanceGuard first(title);
            QVERIFY(first.isFirstInstance());
            SingleInstanceGuard second(title);
            QVERIFY(!second.isFirstInstance());
        }
        SingleInstanceGuard again(title);
        QVERIFY(again.isFirstInstance());
    }

    // A killed instance leaves its segment, keyed by its key file's inode. When that file is
    // gone (its temporary folder cleaned) and a new key file takes the freed inode, the
    // new start meets the dead segment: it must take it over, not refuse to run.
    void deadSegmentMetThroughAFreedInodeIsTakenOver() {
        QTemporaryDir temporary;
        QVERIFY(temporary.isValid());
        const QString folder = temporary.path() + QStringLiteral("/tmp");
        const ScopedVariable temporaryFolder("TMPDIR", QFile::encodeName(folder));
        const QString title = QStringLiteral("Calvorine dead segment %1").arg(QCoreApplication::applicationPid());

        // A first start notes which inode its key file gets; then its folder is cleaned
        // and made again, so that the same files take the same freed inodes.
        struct stat used {};
        QByteArray keyFile;
        QVERIFY(QDir().mkpath(folder));
        {
            SingleInstanceGuard guard(title);
            QVERIFY(guard.isFirstInstance());
            keyFile = QFile::encodeName(guard.keyFile());
            QVERIFY2(keyFile.startsWith(QFile::encodeName(folder)), keyFile.constData());
            QCOMPARE(::stat(keyFile.constData(), &used), 0);
        }
        QVERIFY(QDir(folder).removeRecursively());
        QVERIFY(QDir().mkpath(folder));
        // The segment a killed instance would have left under that inode (as ftok makes it).
        const key_t key =
            key_t((uint32_t('Q') << 24) | ((uint32_t(used.st_dev) & 0xff) << 16) | (uint32_t(used.st_ino) & 0xffff));
        const int dead = ::shmget(key, 1, 0600 | IPC_CREAT | IPC_EXCL);
        QVERIFY(dead != -1);

        bool first = false;
        bool sameInode = false;
        bool deadGone = false;
        int ours = -1;
        shmid_ds state{};
        {
            SingleInstanceGuard guard(title);
            first = guard.isFirstInstance();
            struct stat now {};
            sameInode = ::stat(keyFile.constData(), &now) == 0 && now.st_ino == used.st_ino;
            // Taken over: the dead segment is gone, and the one under the key is the
            // guard's, attached by it alone.
            deadGone = ::shmctl(dead, IPC_STAT, &state) == -1;
            ours = ::shmget(::ftok(keyFile.constData(), 'Q'), 0, 0);
            if (ours == -1 || ::shmctl(ours, IPC_STAT, &state) != 0) {
                state.shm_nattch = 0;
            }
        }
        ::shmctl(dead, IPC_RMID, nullptr); // gone already when the guard took it over
        if (!sameInode && first) {
            QSKIP("the file system gave the new key file another inode");
        }
        QVERIFY2(first, "a dead segment refused the start");
        QVERIFY2(deadGone, "the dead segment is still there");
        QVERIFY(ours != -1 && ours != dead);
        QCOMPARE(int(state.shm_nattch), 1);
    }

    // One instance per user: while this user's instance runs, another user of the machine
    // sharing the temporary folder starts theirs, and their own second start is refused.
    void anotherUserHasAnInstanceOfTheirOwn() {
        if (::getuid() != 0) {
            QSKIP("starting a guard as another user needs root");
        }
        SharedTemporaryFolder shared;
        QVERIFY(shared.valid);
        const QString title = QStringLiteral("Calvorine users %1").arg(QCoreApplication::applicationPid());

        SingleInstanceGuard mine(title);
        QVERIFY(mine.isFirstInstance());
        const int code = runInChild(kOtherUser, [&] {
            SingleInstanceGuard theirs(title);
            SingleInstanceGuard theirSecond(title);
            return !theirs.isFirstInstance() ? 1 : theirSecond.isFirstInstance() ? 2 : 0;
        });
        const char* const outcomes[] = {"", "the other user's start was refused",
                                        "the other user's second start was not refused"};
        QVERIFY2(code == 0,
                 code < 0 ? "the other user's start hung or could not be made" : outcomes[qBound(0, code, 2)]);
        SingleInstanceGuard mySecond(title);
        QVERIFY(!mySecond.isFirstInstance());
    }

    // Another user of the machine makes the semaphore's key file first in the shared
    // temporary folder, or a semaphore under the key of this user's own key file, and
    // leaves it at 0: a start neither waits on it nor is refused; it runs without the
    // guard and says so. With their semaphore gone the guard is the user's again, on the
    // files it is checked by.
    void anotherUsersSemaphoreHoldsNoStart_data() {
        QTest::addColumn<bool>("theirKeyFile");
        QTest::newRow("their key file and semaphore") << true;
        QTest::newRow("their semaphore under our key file") << false;
    }
    void anotherUsersSemaphoreHoldsNoStart() {
        QFETCH(bool, theirKeyFile);
        if (::getuid() != 0) {
            QSKIP("making another user's semaphore needs root");
        }
        SharedTemporaryFolder shared;
        QVERIFY(shared.valid);
        const QString title = QStringLiteral("Calvorine held %1").arg(QCoreApplication::applicationPid());
        const SingleInstanceKeyFiles files = singleInstanceKeyFiles(title);
        QVERIFY(!files.semaphore.isEmpty());
        const QByteArray semaphoreFile = QFile::encodeName(files.semaphore);
        if (!theirKeyFile) {
            QFile own(files.semaphore);
            QVERIFY(own.open(QIODevice::WriteOnly));
        }
        const int made = runInChild(kOtherUser, [&] {
            if (theirKeyFile) {
                const int file = ::open(semaphoreFile.constData(), O_CREAT | O_EXCL | O_WRONLY, 0644);
                if (file == -1) {
                    return 1;
                }
                ::close(file);
            }
            const int id = ::semget(::ftok(semaphoreFile.constData(), 'Q'), 1, IPC_CREAT | IPC_EXCL | 0666);
            return id != -1 && ::semctl(id, 0, SETVAL, 0) == 0 ? 0 : 2;
        });
        QCOMPARE(made, 0);
        const int theirs = ::semget(::ftok(semaphoreFile.constData(), 'Q'), 0, 0);
        QVERIFY(theirs != -1);

        const int start = runInChild(::getuid(), [&] {
            qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString& message) {
                s_ranWithoutGuard = s_ranWithoutGuard || message.contains("without the single-instance guard");
            });
            SingleInstanceGuard guard(title);
            return !guard.isFirstInstance() ? 1 : !s_ranWithoutGuard ? 2 : 0;
        });
        ::semctl(theirs, 0, IPC_RMID);
        QFile::remove(files.semaphore);
        const char* const outcomes[] = {"", "the start was refused", "the start did not say it runs without the guard"};
        QVERIFY2(start == 0,
                 start == -1 ? "the start waited on the other user's semaphore" : outcomes[qBound(0, start, 2)]);

        SingleInstanceGuard mine(title);
        QVERIFY(mine.isFirstInstance());
        QVERIFY(QFile::exists(files.semaphore));
        QCOMPARE(mine.keyFile(), files.segment);
        SingleInstanceGuard second(title);
        QVERIFY(!second.isFirstInstance());
    }

    // A segment of another user's under the key of the user's own key file (its inode
    // can be seen and the key made from it) is not taken for a running instance: the
    // start runs without the guard. The user here is the other one of the machine, since
    // root may remove any segment and would take it over.
    void anotherUsersSegmentRefusesNoStart() {
        if (::getuid() != 0) {
            QSKIP("starting a guard as another user needs root");
        }
        SharedTemporaryFolder shared;
        QVERIFY(shared.valid);
        const QString title = QStringLiteral("Calvorine refused %1").arg(QCoreApplication::applicationPid());
        int toParent[2];
        int toChild[2];
        QVERIFY(::pipe(toParent) == 0 && ::pipe(toChild) == 0);
        int theirs = -1;
        const int start = runInChild(
            kOtherUser,
            [&] {
                // The user's own key file, and then the start, once the other segment is there.
                const QByteArray segmentFile = QFile::encodeName(singleInstanceKeyFiles(title).segment) + '\0';
                const int file = ::open(segmentFile.constData(), O_CREAT | O_EXCL | O_WRONLY, 0644);
                char go = 0;
                if (file == -1 || ::write(toParent[1], segmentFile.constData(), segmentFile.size()) < 0 ||
                    ::read(toChild[0], &go, 1) != 1) {
                    return 3;
                }
                ::close(file);
                qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString& message) {
                    s_ranWithoutGuard = s_ranWithoutGuard || message.contains("without the single-instance guard");
                });
                SingleInstanceGuard guard(title);
                return !guard.isFirstInstance() ? 1 : !s_ranWithoutGuard ? 2 : 0;
            },
            [&] {
                char path[4096] = {};
                if (::read(toParent[0], path, sizeof path - 1) > 0) {
                    theirs = ::shmget(::ftok(path, 'Q'), 1, IPC_CREAT | IPC_EXCL | 0666);
                }
                ::write(toChild[1], "g", 1);
            });
        for (const int end : {toParent[0], toParent[1], toChild[0], toChild[1]}) {
            ::close(end);
        }
        if (theirs != -1) {
            ::shmctl(theirs, IPC_RMID, nullptr);
        }
        QVERIFY(theirs != -1);
        const char* const outcomes[] = {"", "the start was refused", "the start did not say it runs without the guard",
                                        "the key file could not be made"};
        QVERIFY2(start == 0, start < 0 ? "the start hung or could not be made" : outcomes[qBound(0, start, 3)]);
    }

    void raiseOfAMissingWindowReportsFalse() {
        QVERIFY(!raiseRunningInstance(QStringLiteral("No such window %1").arg(QCoreApplication::applicationPid()), 0));
        QCOMPARE(platform::findTopLevelWindowByTitle("No such window at all"), uint64_t(0));
        QVERIFY(!platform::raiseAndActivateWindow(0));
    }
};

QTEST_MAIN(TestAppSingleInstance)
#include "test_app_single_instance.moc"
