#include "app/KeyApplication.h"

#include "app/QShortCutManager.h"
#include "platform/system/display_scale.h"
#include "platform/system/hotkey_grab.h"
#include "platform/system/ipc_owner.h"
#include "platform/system/window_list.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QSharedMemory>
#include <QSystemSemaphore>
#include <QThread>

#include <unistd.h>

namespace {
float s_scaleFactor = 1.0f;
bool s_scaleFactorComputed = false;
} // namespace

void initScaleFactor() {
    if (s_scaleFactorComputed) {
        return;
    }
    // The user's own QT_SCALE_FACTOR wins; the display is not even asked then.
    const bool userSet = !qgetenv("QT_SCALE_FACTOR").isEmpty();
    initScaleFactorWith(userSet ? 0.0 : calvorine::platform::readDisplayScaleFactor());
}

void initScaleFactorWith(double displayFactor) {
    if (s_scaleFactorComputed) {
        return;
    }
    s_scaleFactorComputed = true;
    const QByteArray userValue = qgetenv("QT_SCALE_FACTOR");
    if (!userValue.isEmpty()) {
        bool ok = false;
        const double userFactor = userValue.toDouble(&ok);
        if (ok && userFactor > 0.0) {
            s_scaleFactor = static_cast<float>(userFactor);
        }
        return;
    }
    if (!(displayFactor > 0.0)) {
        return;
    }
    s_scaleFactor = static_cast<float>(displayFactor);
    qputenv("QT_SCALE_FACTOR", QString::number(s_scaleFactor, 'g', 6).toUtf8());
}

float scaleFactor() {
    return s_scaleFactor;
}

// ---- application object and native filter ----

KeyNativeEventFilter::~KeyNativeEventFilter() = default;

bool KeyNativeEventFilter::nativeEventFilter(const QByteArray& eventType, void* message, long*) {
    if (eventType != "xcb_generic_event_t" || !calvorine::platform::isKeyPressEvent(message)) {
        return false;
    }
    QShortCutManager* manager = QShortCutManager::instance();
    for (int i = 0; i < manager->count(); ++i) {
        QGlobalShortCut* shortcut = manager->shortcutAt(i);
        if (shortcut != nullptr && shortcut->matchesNativeKeyPress(message)) {
            emit shortcut->activated();
            return true;
        }
    }
    return false;
}

KeyApplication::KeyApplication(int& argc, char** argv) : QApplication(argc, argv), m_filter(new KeyNativeEventFilter) {
    installNativeEventFilter(m_filter);
}

KeyApplication::~KeyApplication() {
    removeNativeEventFilter(m_filter);
    delete m_filter;
}

// ---- single instance ----

QString singleInstanceKey(const QString& productTitle) {
    // One instance per user: the user's id keeps the users of one machine apart.
    return QStringLiteral("SystemObject_%1_%2").arg(productTitle).arg(::getuid());
}

SingleInstanceKeyFiles singleInstanceKeyFiles(const QString& productTitle) {
    SingleInstanceKeyFiles files;
    files.segment = QSharedMemory(singleInstanceKey(productTitle)).nativeKey();
    // The semaphore's file lies beside the segment's, under the same name with the
    // semaphore's prefix.
    const QLatin1String segmentPrefix("qipc_sharedmemory_");
    const QFileInfo segment(files.segment);
    if (segment.fileName().startsWith(segmentPrefix)) {
        files.semaphore =
            segment.path() + QStringLiteral("/qipc_systemsem_") + segment.fileName().mid(segmentPrefix.size());
    }
    return files;
}

SingleInstanceGuard::SingleInstanceGuard(const QString& productTitle) {
    using calvorine::platform::IpcObjectKind;
    using calvorine::platform::isOwnIpcKey;
    const QString key = singleInstanceKey(productTitle);
    const SingleInstanceKeyFiles files = singleInstanceKeyFiles(productTitle);
    m_memory = std::make_unique<QSharedMemory>(key);
    // Opening the semaphore makes its file and object where there are none, and waits
    // for nothing. Another user's semaphore left at 0 would hold every start in the
    // acquire, and their segment under the key would refuse it: the program then runs
    // without the guard.
    m_semaphore = std::make_unique<QSystemSemaphore>(key, 1, QSystemSemaphore::Open);
    if (files.semaphore.isEmpty() ||
        !isOwnIpcKey(QFile::encodeName(files.semaphore).toStdString(), IpcObjectKind::Semaphore) ||
        !isOwnIpcKey(QFile::encodeName(files.segment).toStdString(), IpcObjectKind::SharedMemory)) {
        qWarning("SingleInstanceGuard: the key files %s and %s, or the objects under them, are not all this user's: "
                 "the program runs without the single-instance guard",
                 qPrintable(files.segment), qPrintable(files.semaphore));
        m_first = true;
        return;
    }
    const bool acquired = m_semaphore->acquire();
    m_first = m_memory->create(1, QSharedMemory::ReadWrite);
    if (!m_first && m_memory->error() == QSharedMemory::AlreadyExists) {
        // The segment may be one that a killed instance left behind, with no process
        // attached: either found through its own key file, or met by chance, since the key
        // is made of the key file's inode and a new key file can take a freed inode.
        // Attaching and detaching it makes Qt see the last detach and remove it; a live
        // instance stays attached, so its segment survives this and the start is refused.
        QSharedMemory leftover(key);
        if (leftover.attach(QSharedMemory::ReadOnly)) {
            leftover.detach();
        }
        m_first = m_memory->create(1, QSharedMemory::ReadWrite);
    }
    if (!m_first && m_memory->error() != QSharedMemory::AlreadyExists) {
        // Not another instance but a failure of the mechanism: run rather than refuse.
        qWarning("SingleInstanceGuard: %s", qPrintable(m_memory->errorString()));
        m_first = true;
    }
    if (acquired) {
        m_semaphore->release(1);
    }
}

SingleInstanceGuard::~SingleInstanceGuard() = default;

QString SingleInstanceGuard::keyFile() const {
    return m_memory->nativeKey();
}

namespace {

const QByteArray kShowRequest("show\n");
const QByteArray kShownAnswer("shown\n");

} // namespace

// Beside the guard's key files: the processes that share a guard share this socket too.
QString RunningInstanceListener::socketPath(const QString& productTitle) {
    return QDir::tempPath() + QStringLiteral("/") +
           singleInstanceKey(productTitle).replace(QLatin1Char(' '), QLatin1Char('_')) + QStringLiteral(".show");
}

RunningInstanceListener::RunningInstanceListener(const QString& productTitle, QObject* parent)
    : QObject(parent), m_server(new QLocalServer(this)) {
    const QString path = socketPath(productTitle);
    // The guard says this is the only instance: a socket there is one a killed instance left.
    QLocalServer::removeServer(path);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(path)) {
        qWarning("RunningInstanceListener: a later start cannot reach this one through %s: %s", qPrintable(path),
                 qPrintable(m_server->errorString()));
        return;
    }
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = m_server->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] { answer(socket); });
        }
    });
}

RunningInstanceListener::~RunningInstanceListener() = default;

bool RunningInstanceListener::isListening() const {
    return m_server->isListening();
}

void RunningInstanceListener::answer(QLocalSocket* socket) {
    if (!socket->canReadLine()) {
        return;
    }
    if (socket->readLine() == kShowRequest) {
        emit showRequested();
        socket->write(kShownAnswer);
        socket->flush();
    }
    socket->disconnectFromServer();
}

bool askRunningInstanceToShow(const QString& productTitle, int timeoutMilliseconds) {
    QLocalSocket socket;
    socket.connectToServer(RunningInstanceListener::socketPath(productTitle));
    if (!socket.waitForConnected(timeoutMilliseconds)) {
        return false;
    }
    socket.write(kShowRequest);
    if (!socket.waitForBytesWritten(timeoutMilliseconds)) {
        return false;
    }
    QElapsedTimer waited;
    waited.start();
    while (!socket.canReadLine() && waited.elapsed() < timeoutMilliseconds &&
           socket.waitForReadyRead(int(timeoutMilliseconds - waited.elapsed()))) {
    }
    return socket.canReadLine() && socket.readLine() == kShownAnswer;
}

bool raiseRunningInstance(const QString& windowTitle, int searchMilliseconds) {
    QElapsedTimer timer;
    timer.start();
    const std::string title = windowTitle.toStdString();
    for (;;) {
        const uint64_t window = calvorine::platform::findTopLevelWindowByTitle(title);
        if (window != 0) {
            return calvorine::platform::raiseAndActivateWindow(window);
        }
        if (timer.elapsed() >= searchMilliseconds) {
            return false;
        }
        QThread::msleep(100);
    }
}
