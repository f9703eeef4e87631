// A sound server of the test's own, on a socket in a temporary folder and off the session
// bus (where the desktop's sound server may hold the names a second one would need), with
// a sine source "own_mic" as its default input and a null sink as its output. It can be stopped (SIGSTOP) and resumed,
// or killed and started again on the same socket, as a server that crashed and came back.
// ServerAddress points this process's sound clients at it for a scope.
#pragma once

#include <QByteArray>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>

#include <signal.h>

class OwnSoundServer {
public:
    OwnSoundServer() {
        m_socket = m_dir.filePath("pulse.sock");
        QDir(m_dir.path()).mkpath("home");
        QDir(m_dir.path()).mkpath("runtime");
        QFile::setPermissions(m_dir.filePath("runtime"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        m_started = start();
    }
    ~OwnSoundServer() {
        if (m_process.state() != QProcess::NotRunning) {
            ::kill(pid_t(m_process.processId()), SIGCONT);
            m_process.terminate();
            if (!m_process.waitForFinished(3000)) {
                m_process.kill();
                m_process.waitForFinished(3000);
            }
        }
    }
    bool started() const { return m_started; }
    QString address() const { return "unix:" + m_socket; }
    void stop() { ::kill(pid_t(m_process.processId()), SIGSTOP); }
    void resume() { ::kill(pid_t(m_process.processId()), SIGCONT); }
    // Ends the server at once, as a crash does; true once it has gone.
    bool kill() {
        m_process.kill();
        return m_process.waitForFinished(5000);
    }
    // (Re)starts the server on the same socket; true once it answers.
    bool start() {
        QStringList environment = QProcess::systemEnvironment();
        environment.erase(std::remove_if(environment.begin(), environment.end(),
                                         [](const QString& v) {
                                             return v.startsWith("DISPLAY=") || v.startsWith("HOME=") ||
                                                    v.startsWith("XDG_RUNTIME_DIR=") || v.startsWith("PULSE_") ||
                                                    v.startsWith("DBUS_SESSION_BUS_ADDRESS=");
                                         }),
                          environment.end());
        environment << "HOME=" + m_dir.filePath("home") << "XDG_RUNTIME_DIR=" + m_dir.filePath("runtime");
        QFile::remove(m_socket); // left behind by a killed server
        m_process.setEnvironment(environment);
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start("pulseaudio",
                        {"-n", "--daemonize=no", "--exit-idle-time=-1", "--use-pid-file=no", "--log-target=stderr",
                         "--log-level=0", "-L", "module-native-protocol-unix socket=" + m_socket + " auth-anonymous=1",
                         "-L", "module-null-sink sink_name=own_null", "-L",
                         "module-sine-source source_name=own_mic frequency=440"});
        if (!m_process.waitForStarted(5000)) {
            return false;
        }
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < 10000) {
            QProcess probe;
            QStringList env = QProcess::systemEnvironment();
            env << "PULSE_SERVER=" + address();
            probe.setEnvironment(env);
            probe.start("pactl", {"info"});
            if (probe.waitForFinished(2000) && probe.exitCode() == 0) {
                return true;
            }
            QThread::msleep(20);
        }
        return false;
    }

private:
    QTemporaryDir m_dir;
    QString m_socket;
    QProcess m_process;
    bool m_started = false;
};

// Sets PULSE_SERVER for the scope.
struct ServerAddress {
    QByteArray previous = qgetenv("PULSE_SERVER");
    explicit ServerAddress(const QString& address) { qputenv("PULSE_SERVER", address.toUtf8()); }
    ~ServerAddress() { qputenv("PULSE_SERVER", previous); }
};
