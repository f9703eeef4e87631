// Gives a test process (and the programs it starts) its own HOME, XDG folders and TMPDIR,
// so that no test touches the real user's files or another test's. The previous values
// come back when the object goes.
#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QList>
#include <QPair>
#include <QString>
#include <QTemporaryDir>

class PrivateUserFolders {
public:
    PrivateUserFolders() : m_root(QDir::tempPath() + QStringLiteral("/calvorine-test-XXXXXX")) {
        const QString root = m_root.path();
        for (const char* sub : {"home", "data", "config", "cache", "tmp"}) {
            QDir(root).mkpath(QString::fromLatin1(sub));
        }
        set("HOME", root + QStringLiteral("/home"));
        set("XDG_DATA_HOME", root + QStringLiteral("/data"));
        set("XDG_CONFIG_HOME", root + QStringLiteral("/config"));
        set("XDG_CACHE_HOME", root + QStringLiteral("/cache"));
        set("TMPDIR", root + QStringLiteral("/tmp"));
    }

    ~PrivateUserFolders() {
        for (const auto& saved : m_saved) {
            if (saved.second.isNull()) {
                qunsetenv(saved.first.constData());
            } else {
                qputenv(saved.first.constData(), saved.second);
            }
        }
    }

    PrivateUserFolders(const PrivateUserFolders&) = delete;
    PrivateUserFolders& operator=(const PrivateUserFolders&) = delete;

    bool isValid() const { return m_root.isValid(); }
    QString root() const { return m_root.path(); }
    QString dataFolder() const { return m_root.path() + QStringLiteral("/data/Calvorine Screen Recorder"); }
    QString tempFolder() const { return m_root.path() + QStringLiteral("/tmp"); }

private:
    void set(const char* name, const QString& value) {
        m_saved.append({QByteArray(name), qEnvironmentVariableIsSet(name) ? qgetenv(name) : QByteArray()});
        qputenv(name, QFile::encodeName(value));
    }

    QTemporaryDir m_root;
    QList<QPair<QByteArray, QByteArray>> m_saved;
};
