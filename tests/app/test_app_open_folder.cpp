// openFolderOfFile: the file manager's ShowItems call on a private session bus, and the
// folder through the desktop's URL handler when no file manager answers.
#include "app/AppGlobals.h"
#include "tests/support/PrivateSessionBus.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDesktopServices>
#include <QTemporaryDir>
#include <QtTest>

// A stand-in file manager on the bus.
class FakeFileManager : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.FileManager1")
public:
    QStringList shownUris;
public slots:
    void ShowItems(const QStringList& uris, const QString& startupId) {
        Q_UNUSED(startupId);
        shownUris += uris;
    }
};

// Catches what the desktop would open.
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl& url) { opened.append(url); }
};

class TestAppOpenFolder : public QObject {
    Q_OBJECT
private:
    PrivateSessionBus m_bus;
    UrlCatcher m_catcher;

private slots:
    void initTestCase() {
        QVERIFY(m_bus.start());
        QDesktopServices::setUrlHandler("file", &m_catcher, "open");
    }
    void cleanupTestCase() {
        QDesktopServices::unsetUrlHandler("file");
        m_bus.stop();
    }

    void withoutFileManagerTheFolderOpens() {
        m_catcher.opened.clear();
        openFolderOfFile("/tmp/some folder//clip \xC3\xA9.mp4");
        QTRY_COMPARE(m_catcher.opened.size(), 1);
        QCOMPARE(m_catcher.opened.first(), QUrl::fromLocalFile("/tmp/some folder"));
    }

    void fileManagerShowsTheFile() {
        FakeFileManager manager;
        QDBusConnection service = QDBusConnection::connectToBus(QDBusConnection::SessionBus, "fake-file-manager");
        QVERIFY(service.isConnected());
        QVERIFY(service.registerObject("/org/freedesktop/FileManager1", &manager, QDBusConnection::ExportAllSlots));
        QVERIFY(service.registerService("org.freedesktop.FileManager1"));
        m_catcher.opened.clear();

        openFolderOfFile("/tmp/some folder//clip \xC3\xA9.mp4");
        QTRY_COMPARE(manager.shownUris.size(), 1);
        QCOMPARE(QUrl(manager.shownUris.first()), QUrl::fromLocalFile("/tmp/some folder/clip \xC3\xA9.mp4"));
        QTest::qWait(100);
        QVERIFY(m_catcher.opened.isEmpty());

        service.unregisterService("org.freedesktop.FileManager1");
        QDBusConnection::disconnectFromBus("fake-file-manager");
    }

    // No file manager and nothing on the path that opens a folder: the caller is told
    // which folder did not open.
    void folderThatNothingOpensIsReported() {
        QTemporaryDir emptyBin;
        QVERIFY(emptyBin.isValid());
        QDesktopServices::unsetUrlHandler("file");
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", QFile::encodeName(emptyBin.path()));
        QStringList failed;
        openFolderOfFile("/tmp/some folder//clip.mp4", [&failed](const QString& folder) { failed << folder; });
        const bool told = QTest::qWaitFor([&failed] { return !failed.isEmpty(); }, 10000);
        qputenv("PATH", path);
        QDesktopServices::setUrlHandler("file", &m_catcher, "open");
        QVERIFY(told);
        QCOMPARE(failed, QStringList({"/tmp/some folder"}));
    }

    void emptyPathDoesNothing() {
        m_catcher.opened.clear();
        openFolderOfFile(std::string());
        QTest::qWait(50);
        QVERIFY(m_catcher.opened.isEmpty());
    }
};

QTEST_MAIN(TestAppOpenFolder)
#include "test_app_open_folder.moc"
