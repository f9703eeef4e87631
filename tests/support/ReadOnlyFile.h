// Makes a file unwritable for as long as the object lives, also for root (tests run as
// root in the containers): the immutable attribute when running as root, else the mode.
#pragma once

#include <QFile>
#include <QProcess>
#include <QString>

#include <unistd.h>

class ReadOnlyFile {
public:
    explicit ReadOnlyFile(const QString& path) : m_path(path), m_root(::geteuid() == 0) {
        if (m_root) {
            m_ok = QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("+i"), m_path}) == 0;
        } else {
            m_ok = QFile::setPermissions(m_path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
        }
    }
    ~ReadOnlyFile() {
        if (m_root) {
            QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("-i"), m_path});
        } else {
            QFile::setPermissions(m_path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
        }
    }
    ReadOnlyFile(const ReadOnlyFile&) = delete;
    ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;

    bool isReadOnly() const { return m_ok; }

private:
    QString m_path;
    bool m_root;
    bool m_ok = false;
};
