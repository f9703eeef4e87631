// A private D-Bus session bus for one test: its address goes into the environment, so the
// process's session bus is this one and a real desktop's is neither needed nor disturbed.
#pragma once

#include <QByteArray>
#include <QDBusConnection>
#include <QProcess>

class PrivateSessionBus {
public:
    PrivateSessionBus() = default;
    PrivateSessionBus(const PrivateSessionBus&) = delete;
    PrivateSessionBus& operator=(const PrivateSessionBus&) = delete;
    ~PrivateSessionBus() { stop(); }

    // Starts the bus daemon and connects to it; false if either fails.
    bool start() {
        m_daemon.start(QStringLiteral("dbus-daemon"), {"--session", "--nofork", "--print-address"});
        if (!m_daemon.waitForStarted() || !m_daemon.waitForReadyRead(10000)) {
            return false;
        }
        const QByteArray address = m_daemon.readLine().trimmed();
        if (address.isEmpty()) {
            return false;
        }
        qputenv("DBUS_SESSION_BUS_ADDRESS", address);
        return QDBusConnection::sessionBus().isConnected();
    }

    void stop() {
        if (m_daemon.state() != QProcess::NotRunning) {
            m_daemon.terminate();
            m_daemon.waitForFinished(5000);
        }
    }

private:
    QProcess m_daemon;
};
