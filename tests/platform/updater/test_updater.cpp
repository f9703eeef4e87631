// The updater against a small HTTP server on the loopback address: a newer version, the
// same version, a server error, an unreadable answer, no network (a refused connection and
// a server that never answers), and the five calls the program makes.
#include "platform/updater/updater.h"
#include "tests/support/PrivateUserFolders.h"

#include <QMessageBox>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>

using namespace calvorine::updater;

namespace {

// Answers every request with the status and body it was given; or not at all.
class TinyHttpServer : public QObject {
public:
    int status = 200;
    QByteArray body;
    bool silent = false;
    int requests = 0;

    bool listen() {
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = m_server.nextPendingConnection()) {
                connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                    m_buffers[socket] += socket->readAll();
                    if (!m_buffers[socket].contains("\r\n\r\n")) {
                        return;
                    }
                    ++requests;
                    if (silent) {
                        return;
                    }
                    const QByteArray reason = status == 200 ? "OK" : "Error";
                    socket->write("HTTP/1.1 " + QByteArray::number(status) + " " + reason +
                                  "\r\nContent-Type: application/rss+xml\r\nContent-Length: " +
                                  QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body);
                    socket->disconnectFromHost();
                });
            }
        });
        return m_server.listen(QHostAddress::LocalHost, 0);
    }
    QUrl url() const {
        return QUrl(
            QStringLiteral("http://127.0.0.1:%1/api/product/version?pid=7&ver=2.0.2.25").arg(m_server.serverPort()));
    }

private:
    QTcpServer m_server;
    QHash<QTcpSocket*, QByteArray> m_buffers;
};

QByteArray appcast(const QStringList& versions) {
    QByteArray xml = "<?xml version=\"1.0\"?><rss version=\"2.0\" "
                     "xmlns:sparkle=\"http://www.andymatuschak.org/xml-namespaces/sparkle\"><channel>"
                     "<title>Calvorine</title><link>https://example.invalid/</link>";
    for (const QString& version : versions) {
        xml += "<item><title>Version " + version.toUtf8() + "</title><enclosure url=\"https://example.invalid/setup-" +
               version.toUtf8() + ".exe\" sparkle:version=\"" + version.toUtf8() + "\" length=\"1\"/></item>";
    }
    return xml + "</channel></rss>";
}

QMessageBox* updaterMessage() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* box = qobject_cast<QMessageBox*>(widget)) {
            if (box->objectName() == "calvorineUpdaterMessage" && box->isVisible()) {
                return box;
            }
        }
    }
    return nullptr;
}

void closeUpdaterMessages() {
    while (QMessageBox* box = updaterMessage()) {
        box->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

} // namespace

class TestUpdater : public QObject {
    Q_OBJECT
private:
    // The stored choice and the last check time live under the configuration folder.
    std::unique_ptr<PrivateUserFolders> m_folders;

private slots:
    void init() { m_folders = std::make_unique<PrivateUserFolders>(); }
    void cleanup() {
        closeUpdaterMessages();
        win_sparkle_cleanup();
        m_folders.reset();
    }

    void versions() {
        QVERIFY(compareVersions("2.0.10", "2.0.9") > 0);
        QVERIFY(compareVersions("2.0.2", "2.0.2.0") == 0);
        QVERIFY(compareVersions("2.0.2.25", "2.0.2") > 0);
        QVERIFY(compareVersions("1.9", "2") < 0);
        QVERIFY(compareVersions("2.1rc1", "2.1rc2") < 0);
        QVERIFY(compareVersions(" 3.0 ", "3") == 0);
    }

    void appcastParsing() {
        QString version;
        QString url;
        QVERIFY(parseAppcast(appcast({"2.0.3", "2.1.0", "2.0.9"}), &version, &url));
        QCOMPARE(version, QString("2.1.0"));
        QCOMPARE(url, QString("https://example.invalid/setup-2.1.0.exe"));
        QVERIFY(parseAppcast("<rss xmlns:sparkle=\"s\"><channel><item><sparkle:version>3.1</sparkle:version>"
                             "<link>https://example.invalid/d</link></item></channel></rss>",
                             &version, &url));
        QCOMPARE(version, QString("3.1"));
        QCOMPARE(url, QString("https://example.invalid/d"));
        QVERIFY(!parseAppcast(appcast({}), &version, &url));
        QVERIFY(!parseAppcast("not xml at all", &version, &url));
        QVERIFY(!parseAppcast("", &version, &url));
    }

    void checks() {
        TinyHttpServer server;
        QVERIFY(server.listen());

        server.body = appcast({"2.0.2.25", "2.1.0"});
        CheckResult result = checkForUpdateBlocking(server.url(), "2.0.2.25", 10000);
        QCOMPARE(result.status, CheckStatus::UpdateAvailable);
        QCOMPARE(result.latestVersion, QString("2.1.0"));
        QVERIFY(result.message.contains("2.1.0"));

        result = checkForUpdateBlocking(server.url(), "2.1.0", 10000);
        QCOMPARE(result.status, CheckStatus::UpToDate);

        server.body = "<html>oops</html>";
        result = checkForUpdateBlocking(server.url(), "2.0", 10000);
        QCOMPARE(result.status, CheckStatus::InvalidAppcast);

        server.status = 500;
        result = checkForUpdateBlocking(server.url(), "2.0", 10000);
        QCOMPARE(result.status, CheckStatus::ServerError);
        server.status = 404;
        result = checkForUpdateBlocking(server.url(), "2.0", 10000);
        QCOMPARE(result.status, CheckStatus::ServerError);

        server.silent = true;
        result = checkForUpdateBlocking(server.url(), "2.0", 300);
        QCOMPARE(result.status, CheckStatus::NoNetwork);
        QVERIFY(result.message.contains("no network connection"));
        QVERIFY(server.requests >= 6);

        result = checkForUpdateBlocking(QUrl(), "2.0", 300);
        QCOMPARE(result.status, CheckStatus::NotConfigured);
    }

    void refusedConnectionIsNoNetwork() {
        quint16 port = 0;
        {
            QTcpServer probe;
            QVERIFY(probe.listen(QHostAddress::LocalHost, 0));
            port = probe.serverPort();
        } // closed again: nothing listens there now
        const CheckResult result =
            checkForUpdateBlocking(QUrl(QStringLiteral("http://127.0.0.1:%1/appcast.xml").arg(port)), "2.0", 10000);
        QCOMPARE(result.status, CheckStatus::NoNetwork);
    }

    void theFiveCalls() {
        TinyHttpServer server;
        QVERIFY(server.listen());
        server.body = appcast({"9.0"});
        QCOMPARE(win_sparkle_get_automatic_check_for_updates(), 0);
        win_sparkle_set_automatic_check_for_updates(1);
        QCOMPARE(win_sparkle_get_automatic_check_for_updates(), 1);
        win_sparkle_set_automatic_check_for_updates(0);
        QCOMPARE(win_sparkle_get_automatic_check_for_updates(), 0);

        win_sparkle_init();
        win_sparkle_set_appcast_url(server.url().toString().toUtf8().constData());
        win_sparkle_set_app_details(L"Calvorine", L"Calvorine Screen Recorder", L"2.0.2.25");
        QTest::qWait(100);
        QCOMPARE(server.requests, 0); // no automatic check when it is off

        win_sparkle_check_update_with_ui();
        QTRY_VERIFY(updaterMessage() != nullptr);
        QVERIFY(updaterMessage()->text().contains("Calvorine Screen Recorder 9.0 is available"));
        closeUpdaterMessages();

        server.body = appcast({"2.0.2.25"});
        win_sparkle_check_update_with_ui();
        QTRY_VERIFY(updaterMessage() != nullptr);
        QVERIFY(updaterMessage()->text().contains("up to date"));
        closeUpdaterMessages();

        server.silent = true;
        win_sparkle_set_appcast_url("http://127.0.0.1:1/appcast.xml");
        win_sparkle_check_update_with_ui();
        QTRY_VERIFY_WITH_TIMEOUT(updaterMessage() != nullptr, 15000);
        QVERIFY(updaterMessage()->text().contains("no network connection"));
    }

    void automaticChecks() {
        TinyHttpServer server;
        QVERIFY(server.listen());
        server.body = appcast({"2.0.2.25"});
        auto setUp = [&] {
            win_sparkle_init();
            win_sparkle_set_appcast_url(server.url().toString().toUtf8().constData());
            win_sparkle_set_app_details(L"Calvorine", L"Calvorine Screen Recorder", L"2.0.2.25");
        };
        // The choice is kept for later runs.
        win_sparkle_set_app_details(L"Calvorine", L"Calvorine Screen Recorder", L"2.0.2.25");
        win_sparkle_set_automatic_check_for_updates(1);
        win_sparkle_cleanup();
        setUp();
        QCOMPARE(win_sparkle_get_automatic_check_for_updates(), 1);
        QTRY_COMPARE(server.requests, 1);
        QTest::qWait(100);
        QVERIFY(updaterMessage() == nullptr); // up to date: quiet

        // Started again the same day: no second automatic check.
        win_sparkle_cleanup();
        server.body = appcast({"3.0"});
        setUp();
        QTest::qWait(200);
        QCOMPARE(server.requests, 1);

        // A fresh configuration (no check yet) with an update waiting: the user is told.
        win_sparkle_cleanup();
        m_folders.reset(); // first, so the next one saves the original environment
        m_folders = std::make_unique<PrivateUserFolders>();
        setUp();
        QTest::qWait(100);
        QCOMPARE(server.requests, 1); // off by default
        win_sparkle_set_automatic_check_for_updates(1);
        win_sparkle_cleanup();
        setUp();
        QTRY_COMPARE(server.requests, 2);
        QTRY_VERIFY(updaterMessage() != nullptr);
        QVERIFY(updaterMessage()->text().contains("3.0"));
    }
};

QTEST_MAIN(TestUpdater)
#include "test_updater.moc"
