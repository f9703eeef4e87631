// The converter over the codec library: progress reports, stop, stops that race the
// end, failures reported as failures, release through the interface, tags written into
// the finished file and chapters copied into the trim window.
#include "media/CAVConverter.h"
#include "media/RZInfoManager.h"
#include "tests/platform/codec/playback_fixtures.h"
#include "tests/support/DescriptorPath.h"
#include "tests/support/FileSizeLimit.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstring>
#include <mutex>
#include <sys/syscall.h>
#include <unistd.h>
#include <vector>

namespace {

// A disk that fails under one file: once armed, reads of the file whose path ends with
// the name fail with EIO after the given number of bytes.
std::atomic<bool> g_readFailureArmed{false};
char g_failingName[64];
std::atomic<long long> g_bytesBeforeFailure{0};

bool isFailingFile(int fd) {
    return descriptors::pathEndsWith(fd, g_failingName);
}

} // namespace

// Every read of the process passes here (the codec library's file reads among them).
extern "C" ssize_t read(int fd, void* buffer, size_t count) {
    if (g_readFailureArmed && isFailingFile(fd)) {
        if (g_bytesBeforeFailure <= 0) {
            errno = EIO;
            return -1;
        }
        const ssize_t got = syscall(SYS_read, fd, buffer, count);
        if (got > 0) {
            g_bytesBeforeFailure -= got;
        }
        return got;
    }
    return syscall(SYS_read, fd, buffer, count);
}

// The tag library reads at offsets: the same failure, from the first byte.
extern "C" ssize_t pread64(int fd, void* buffer, size_t count, off_t offset) {
    if (g_readFailureArmed && isFailingFile(fd)) {
        errno = EIO;
        return -1;
    }
    return syscall(SYS_pread64, fd, buffer, count, offset);
}

extern "C" ssize_t pread(int fd, void* buffer, size_t count, off_t offset) {
    return pread64(fd, buffer, count, offset);
}

namespace {

// Once armed, closing the file whose path ends with the name fails with EIO (a disk or a
// network share that reports a lost write-back at close); the file is closed all the same.
std::atomic<bool> g_closeFailureArmed{false};
char g_failingCloseName[64];

bool isFailingClose(int fd) {
    return descriptors::pathEndsWith(fd, g_failingCloseName);
}

} // namespace

extern "C" int close(int fd) {
    const bool fail = g_closeFailureArmed && isFailingClose(fd);
    const int result = int(syscall(SYS_close, fd));
    if (fail && result == 0) {
        errno = EIO;
        return -1;
    }
    return result;
}

namespace {

// Reports arrive on the converter's worker; plain standard types keep the test's own
// locking visible to the thread sanitizer.
struct Reports {
    std::mutex lock;
    std::vector<QPair<int, int>> items; // (value, state)

    static void callback(int value, void* context, int state) {
        auto* self = static_cast<Reports*>(context);
        std::lock_guard<std::mutex> locker(self->lock);
        self->items.push_back({value, state});
    }
    int lastState() {
        std::lock_guard<std::mutex> locker(lock);
        return items.empty() ? 0 : items.back().second;
    }
    std::vector<QPair<int, int>> all() {
        std::lock_guard<std::mutex> locker(lock);
        return items;
    }
    int count() {
        std::lock_guard<std::mutex> locker(lock);
        return int(items.size());
    }
};

ConvertParam mp4Param() {
    ConvertParam param;
    param.setName("mp4");
    param.videoCodecId = 28;
    param.audioCodecId = 0x15002;
    return param;
}

bool ended(int state) {
    return state == 1 || state == 2 || state == 5;
}

} // namespace

class TestMediaConverter : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void synchronousTrimReportsProgressThenFinished();
    void stopGivesStoppedAndRemovesTheFile();
    void stopRacingTheEndNeverHangs();
    void aFailedEncodingIsReportedAsFailed();
    void releaseThroughTheInterfaceEndsTheWork();
    void tagsAndCoverAreWrittenIntoTheResult_data();
    void tagsAndCoverAreWrittenIntoTheResult();
    void asynchronousStartOpensThenCopiesChaptersOfTheWindow();
    void stopRightAfterAnAsynchronousStart();
    void refusesMissingArguments();
    void aSourceThatFailsToReadIsReportedAsFailed();
    void stopDuringOpeningEndsThatOpenOnly();
    void tagsThatCannotBeWrittenFailTheJob();
    void anOutputThatFailsToCloseFailsTheJob();
    void quickStartsStopsAndReleases();

private:
    QTemporaryDir m_dir;
    QString m_clip;
    QString m_long;
};

void TestMediaConverter::initTestCase() {
    cvcodec_set_log_level(qEnvironmentVariableIntValue("CV_LOG"));
    QVERIFY(m_dir.isValid());
    m_clip = m_dir.filePath("clip.mp4");
    QVERIFY(fixtures::makeClip(m_clip, 10.0, "320x240", 30, {"-c:v", "libx264", "-preset", "ultrafast"}));
    m_long = m_dir.filePath("long.mkv");
    QVERIFY(fixtures::makeClip(m_long, 60.0, "640x360", 30, {"-c:v", "libx264", "-preset", "ultrafast"}));
}

void TestMediaConverter::synchronousTrimReportsProgressThenFinished() {
    Reports reports;
    ConvertParam param = mp4Param();
    param.trimStartUs = 2000000;
    param.trimLengthUs = 3000000;
    const QString out = m_dir.filePath("trim.mp4");
    CAVConverter converter;
    QVERIFY(converter.startConvert(m_clip.toUtf8().constData(), out.toUtf8().constData(), &param, &reports,
                                   &Reports::callback, false));
    QTRY_VERIFY_WITH_TIMEOUT(ended(reports.lastState()), 60000);
    const auto items = reports.all();
    QCOMPARE(items.back(), qMakePair(100, 2));
    int previous = -1;
    for (const auto& item : items) {
        QVERIFY(item.second == 6 || item.second == 2);
        QVERIFY(item.first <= 100);
        if (item.second == 6) {
            QVERIFY(item.first > previous);
            previous = item.first;
        }
    }
    QVERIFY(qAbs(fixtures::formatDuration(fixtures::probe(out)) - 3.0) <= 1.0 / 30);
}

void TestMediaConverter::stopGivesStoppedAndRemovesTheFile() {
    Reports reports;
    ConvertParam param = mp4Param();
    const QString out = m_dir.filePath("stopped.mp4");
    CAVConverter converter;
    QVERIFY(converter.startConvert(m_long.toUtf8().constData(), out.toUtf8().constData(), &param, &reports,
                                   &Reports::callback, false));
    QTRY_VERIFY_WITH_TIMEOUT(reports.count() > 0 && reports.all().back().first >= 5, 60000);
    converter.stopConvert();
    // stopConvert returns after the worker confirmed: the report is already there.
    QCOMPARE(reports.all().back(), qMakePair(0, 1));
    QVERIFY(!QFile::exists(out));
    const int count = reports.count();
    QTest::qWait(300);
    QCOMPARE(reports.count(), count);
}

void TestMediaConverter::stopRacingTheEndNeverHangs() {
    const QString shortClip = m_dir.filePath("short.mp4");
    QVERIFY(fixtures::makeClip(shortClip, 0.5, "160x120", 30, {"-c:v", "libx264", "-preset", "ultrafast"}));
    for (int delay : {0, 50, 100, 150, 200, 300, 400}) {
        Reports reports;
        ConvertParam param = mp4Param();
        const QString out = m_dir.filePath(QStringLiteral("race%1.mp4").arg(delay));
        CAVConverter converter;
        QVERIFY(converter.startConvert(shortClip.toUtf8().constData(), out.toUtf8().constData(), &param, &reports,
                                       &Reports::callback, false));
        QThread::msleep(delay);
        converter.stopConvert();
        // Either outcome is fine, but there is exactly one, and a second stop is harmless.
        const int state = reports.lastState();
        QVERIFY2(state == 1 || state == 2, qPrintable(QString::number(state)));
        QCOMPARE(QFile::exists(out), state == 2);
        converter.stopConvert();
    }
}

void TestMediaConverter::aFailedEncodingIsReportedAsFailed() {
    Reports reports;
    ConvertParam param = mp4Param();
    param.trimStartUs = 40000000; // past the end: nothing to encode
    param.trimLengthUs = 1000000;
    const QString out = m_dir.filePath("failed.mp4");
    CAVConverter converter;
    QVERIFY(converter.startConvert(m_clip.toUtf8().constData(), out.toUtf8().constData(), &param, &reports,
                                   &Reports::callback, false));
    QTRY_VERIFY_WITH_TIMEOUT(ended(reports.lastState()), 30000);
    QCOMPARE(reports.lastState(), 5);
    QVERIFY(!QFile::exists(out));
}

void TestMediaConverter::releaseThroughTheInterfaceEndsTheWork() {
    Reports reports;
    ConvertParam param = mp4Param();
    const QString out = m_dir.filePath("released.mp4");
    IAVConverter* converter = createAVConverter();
    QVERIFY(converter->startConvert(m_long.toUtf8().constData(), out.toUtf8().constData(), &param, &reports,
                                    &Reports::callback, false));
    QTRY_VERIFY_WITH_TIMEOUT(reports.count() > 1, 30000);
    releaseAVConverter(converter);
    // The converter's own destructor ran: the work was stopped and its partial file removed,
    // and nothing reports afterwards.
    QVERIFY(!QFile::exists(out));
    const int count = reports.count();
    QTest::qWait(300);
    QCOMPARE(reports.count(), count);
    releaseAVConverter(nullptr);
}

// A disk that fails in the middle of the source: the job fails instead of finishing a
// shorter file.
void TestMediaConverter::aSourceThatFailsToReadIsReportedAsFailed() {
    const QString source = m_dir.filePath("failing-source.mkv");
    QVERIFY(QFile::copy(m_long, source));
    std::snprintf(g_failingName, sizeof g_failingName, "/failing-source.mkv");
    g_bytesBeforeFailure = QFileInfo(source).size() / 3;
    g_readFailureArmed = true;
    Reports reports;
    ConvertParam param = mp4Param();
    const QString out = m_dir.filePath("from-failing.mp4");
    CAVConverter converter;
    const bool started = converter.startConvert(source.toUtf8().constData(), out.toUtf8().constData(), &param, &reports,
                                                &Reports::callback, false);
    if (started) {
        QTRY_VERIFY_WITH_TIMEOUT(ended(reports.lastState()), 120000);
    }
    g_readFailureArmed = false;
    QVERIFY(started);
    QCOMPARE(reports.lastState(), 5);
    QVERIFY(!QFile::exists(out));
}

// A source that takes long to open (a server that never answers): a stop returns at once
// and ends that open only; another converter's open goes on and finishes its job.
void TestMediaConverter::stopDuringOpeningEndsThatOpenOnly() {
    const QString served = m_dir.filePath("served.mkv");
    QVERIFY(fixtures::makeClip(served, 2.0, "160x120", 30, {"-c:v", "libx264", "-preset", "ultrafast"}));
    QFile servedFile(served);
    QVERIFY(servedFile.open(QIODevice::ReadOnly));
    const QByteArray body = servedFile.readAll();
    QTcpServer server;
    QVERIFY(server.listen(QHostAddress::LocalHost));
    QList<QTcpSocket*> held;
    bool serving = false;
    // The request is read before the answer: a socket closed with unread bytes resets
    // the connection, which the reader rightly takes for a read error.
    auto serve = [&body](QTcpSocket* socket) {
        socket->readAll();
        socket->write("HTTP/1.1 200 OK\r\nContent-Type: video/x-matroska\r\nConnection: close\r\nContent-Length: " +
                      QByteArray::number(body.size()) + "\r\n\r\n" + body);
        socket->disconnectFromHost();
    };
    connect(&server, &QTcpServer::newConnection, [&] {
        while (QTcpSocket* socket = server.nextPendingConnection()) {
            held.append(socket);
            connect(socket, &QTcpSocket::readyRead, [&, socket] {
                if (serving && socket->state() == QAbstractSocket::ConnectedState) {
                    serve(socket);
                }
            });
        }
    });
    const QByteArray url = QStringLiteral("http://127.0.0.1:%1/served.mkv").arg(server.serverPort()).toUtf8();
    Reports stoppedReports;
    Reports goingReports;
    ConvertParam param = mp4Param();
    CAVConverter stopped;
    CAVConverter going;
    const QString goingOut = m_dir.filePath("from-server.mp4");
    QVERIFY(stopped.startConvert(url.constData(), m_dir.filePath("never.mp4").toUtf8().constData(), &param,
                                 &stoppedReports, &Reports::callback, true));
    QVERIFY(going.startConvert(url.constData(), goingOut.toUtf8().constData(), &param, &goingReports,
                               &Reports::callback, true));
    QTRY_VERIFY_WITH_TIMEOUT(held.size() == 2 && held[0]->bytesAvailable() && held[1]->bytesAvailable(), 10000);
    QElapsedTimer timer;
    timer.start();
    stopped.stopConvert();
    const qint64 stopMs = timer.elapsed();
    QVERIFY2(stopMs <= 500, qPrintable(QString("the stop took %1 ms").arg(stopMs)));
    QCOMPARE(stoppedReports.lastState(), 1);
    QVERIFY(!QFile::exists(m_dir.filePath("never.mp4")));
    // The other job's open was not touched: answered now, it converts to the end.
    serving = true;
    for (QTcpSocket* socket : held) {
        if (socket->state() == QAbstractSocket::ConnectedState && socket->bytesAvailable()) {
            serve(socket);
        }
    }
    QTRY_VERIFY_WITH_TIMEOUT(ended(goingReports.lastState()), 60000);
    QCOMPARE(goingReports.lastState(), 2);
    const double seconds = fixtures::formatDuration(fixtures::probe(goingOut));
    QVERIFY2(qAbs(seconds - 2.0) < 0.2, qPrintable(QString::number(seconds)));
}

// Tags that cannot be written fail: directly when the file may not grow (as on a full
// disk), and the whole job when the tag library cannot read the finished file back.
void TestMediaConverter::tagsThatCannotBeWrittenFailTheJob() {
    ConvertParam param;
    param.setName("mp3");
    param.videoCodecId = -1;
    param.audioCodecId = 0x15001;
    param.trimLengthUs = 2000000;
    const QString plain = m_dir.filePath("untagged.mp3");
    {
        Reports reports;
        CAVConverter converter;
        QVERIFY(converter.startConvert(m_clip.toUtf8().constData(), plain.toUtf8().constData(), &param, &reports,
                                       &Reports::callback, false));
        QTRY_VERIFY_WITH_TIMEOUT(ended(reports.lastState()), 30000);
        QCOMPARE(reports.lastState(), 2);
    }
    VEAudioTagInfo tags;
    tags.title = "A title";
    tags.comment = std::string(4000, 'c');
    {
        FileSizeLimit full(rlim_t(QFileInfo(plain).size()));
        QVERIFY(!RZInfoManager::writeTags(plain, tags));
    }
    QVERIFY(RZInfoManager::writeTags(plain, tags));

    // The finished file cannot be read back by the tag library (a failing disk).
    param.tags = tags;
    std::snprintf(g_failingName, sizeof g_failingName, "/unreadable-result.mp3");
    g_bytesBeforeFailure = 0;
    g_readFailureArmed = true;
    Reports reports;
    CAVConverter converter;
    const QString out = m_dir.filePath("unreadable-result.mp3");
    const bool started = converter.startConvert(m_clip.toUtf8().constData(), out.toUtf8().constData(), &param, &reports,
                                                &Reports::callback, false);
    if (started) {
        QTRY_VERIFY_WITH_TIMEOUT(ended(reports.lastState()), 30000);
    }
    g_readFailureArmed = false;
    QVERIFY(started);
    QCOMPARE(reports.lastState(), 5);
}

// The last bytes of a file can be lost at its close (the disk reports it there): the job
// fails and no file that may be incomplete is left as its result.
void TestMediaConverter::anOutputThatFailsToCloseFailsTheJob() {
    Reports reports;
    ConvertParam param = mp4Param();
    param.trimLengthUs = 2000000;
    const QString out = m_dir.filePath("failing-close.mp4");
    std::snprintf(g_failingCloseName, sizeof g_failingCloseName, "/failing-close.mp4");
    g_closeFailureArmed = true;
    CAVConverter converter;
    const bool started = converter.startConvert(m_clip.toUtf8().constData(), out.toUtf8().constData(), &param, &reports,
                                                &Reports::callback, false);
    if (started) {
        QTRY_VERIFY_WITH_TIMEOUT(ended(reports.lastState()), 30000);
    }
    g_closeFailureArmed = false;
    QVERIFY(started);
    QCOMPARE(reports.lastState(), 5);
    QVERIFY(!QFile::exists(out));
}

void TestMediaConverter::tagsAndCoverAreWrittenIntoTheResult_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("muxer");
    QTest::addColumn<int>("audioCodec");
    QTest::newRow("m4a") << "tags.m4a"
                         << "m4a" << 0x15002;
    QTest::newRow("mp3") << "tags.mp3"
                         << "mp3" << 0x15001;
}

void TestMediaConverter::tagsAndCoverAreWrittenIntoTheResult() {
    QFETCH(QString, name);
    QFETCH(QString, muxer);
    QFETCH(int, audioCodec);
    const QString picture = m_dir.filePath("cover.png");
    QVERIFY(QFile::exists(picture) || fixtures::makePicture(picture, "80x60"));
    QFile pictureFile(picture);
    QVERIFY(pictureFile.open(QIODevice::ReadOnly));
    const QByteArray cover = pictureFile.readAll();

    Reports reports;
    ConvertParam param;
    param.setName(muxer.toUtf8().constData());
    param.videoCodecId = -1;
    param.audioCodecId = audioCodec;
    param.trimLengthUs = 2000000;
    param.tags.title = "Überschrift";
    param.tags.artist = "Calvorine";
    param.tags.album = "Aufnahmen";
    param.tags.cover_image.assign(cover.constData(), size_t(cover.size()));
    param.tags.coverSize = cover.size();
    const QString out = m_dir.filePath(name);
    CAVConverter converter;
    QVERIFY(converter.startConvert(m_clip.toUtf8().constData(), out.toUtf8().constData(), &param, &reports,
                                   &Reports::callback, false));
    QTRY_VERIFY_WITH_TIMEOUT(ended(reports.lastState()), 30000);
    QCOMPARE(reports.lastState(), 2);
    const QJsonObject info = fixtures::probe(out);
    QCOMPARE(fixtures::formatTag(info, "title"), QStringLiteral("Überschrift"));
    QCOMPARE(fixtures::formatTag(info, "artist"), QStringLiteral("Calvorine"));
    QCOMPARE(fixtures::formatTag(info, "album"), QStringLiteral("Aufnahmen"));
    const QJsonObject coverStream = fixtures::stream(info, "video", true);
    QCOMPARE(coverStream.value("width").toInt(), 80);
    QVERIFY(qAbs(fixtures::formatDuration(info) - 2.0) < 0.1);
}

void TestMediaConverter::asynchronousStartOpensThenCopiesChaptersOfTheWindow() {
    const QString metadata = m_dir.filePath("chapters.txt");
    QVERIFY(fixtures::writeFile(metadata, ";FFMETADATA1\n[CHAPTER]\nTIMEBASE=1/1000\nSTART=0\nEND=3000\ntitle=Intro\n"
                                          "[CHAPTER]\nTIMEBASE=1/1000\nSTART=3000\nEND=6000\ntitle=\n"
                                          "[CHAPTER]\nTIMEBASE=1/1000\nSTART=6000\nEND=10000\ntitle=Outro\n"));
    const QString source = m_dir.filePath("chaptered.mkv");
    QVERIFY(fixtures::ffmpeg({"-i", m_clip, "-i", metadata, "-map", "0", "-map_chapters", "1", "-c", "copy", source}));
    Reports reports;
    ConvertParam param = mp4Param();
    param.setName("matroska");
    param.trimStartUs = 2000000;
    param.trimLengthUs = 2000000; // 2 s to 4 s: the end of the first chapter, the start of the second
    const QString out = m_dir.filePath("chaptered_out.mkv");
    CAVConverter converter;
    QVERIFY(converter.startConvert(source.toUtf8().constData(), out.toUtf8().constData(), &param, &reports,
                                   &Reports::callback, true));
    QTRY_VERIFY_WITH_TIMEOUT(ended(reports.lastState()), 30000);
    const auto items = reports.all();
    QCOMPARE(items.front(), qMakePair(1, 3));
    QCOMPARE(items.back(), qMakePair(100, 2));
    const QJsonArray chapters = fixtures::probe(out).value("chapters").toArray();
    QCOMPARE(chapters.size(), 2);
    QCOMPARE(chapters[0].toObject().value("end_time").toString().toDouble(), 1.0);
    QCOMPARE(chapters[1].toObject().value("start_time").toString().toDouble(), 1.0);
    QCOMPARE(chapters[1].toObject().value("tags").toObject().value("title").toString(), QStringLiteral("Chapter 2"));
}

void TestMediaConverter::stopRightAfterAnAsynchronousStart() {
    for (int round = 0; round < 3; ++round) {
        Reports reports;
        ConvertParam param = mp4Param();
        const QString out = m_dir.filePath(QStringLiteral("early%1.mp4").arg(round));
        CAVConverter converter;
        QVERIFY(converter.startConvert(m_long.toUtf8().constData(), out.toUtf8().constData(), &param, &reports,
                                       &Reports::callback, true));
        QThread::msleep(round * 20);
        converter.stopConvert();
        // Stopped while opening or while running: a stop either way, and nothing left.
        QCOMPARE(reports.lastState(), 1);
        QVERIFY(!QFile::exists(out));
    }
}

void TestMediaConverter::refusesMissingArguments() {
    ConvertParam param = mp4Param();
    CAVConverter converter;
    QVERIFY(!converter.startConvert(nullptr, "out.mp4", &param, nullptr, nullptr, false));
    QVERIFY(!converter.startConvert(m_clip.toUtf8().constData(), nullptr, &param, nullptr, nullptr, false));
    Reports reports;
    QVERIFY(!converter.startConvert(m_dir.filePath("missing.mp4").toUtf8().constData(),
                                    m_dir.filePath("x.mp4").toUtf8().constData(), &param, &reports, &Reports::callback,
                                    false));
    QCOMPARE(reports.count(), 0);
    QVERIFY(!converter.startMerge({}, &param));
    converter.stopConvert(); // nothing runs: returns at once
}

void TestMediaConverter::quickStartsStopsAndReleases() {
    // One converter taken through many short jobs of both kinds, each stopped within
    // moments of its start, then converters destroyed in the middle of their work.
    CAVConverter converter;
    for (int round = 0; round < 16; ++round) {
        Reports reports;
        ConvertParam param = mp4Param();
        param.trimStartUs = int64_t(round % 4) * 10000000;
        const QString out = m_dir.filePath(QStringLiteral("quick%1.mp4").arg(round));
        QVERIFY(converter.startConvert(m_long.toUtf8().constData(), out.toUtf8().constData(), &param, &reports,
                                       &Reports::callback, round % 2 == 1));
        QThread::msleep(round % 3 * 15);
        converter.stopConvert();
        QCOMPARE(reports.lastState(), 1);
        QVERIFY(!QFile::exists(out));
    }
    for (int round = 0; round < 4; ++round) {
        const bool async = round % 2 == 1;
        Reports reports;
        ConvertParam param = mp4Param();
        const QString out = m_dir.filePath(QStringLiteral("dropped%1.mp4").arg(round));
        {
            CAVConverter dropped;
            QVERIFY(dropped.startConvert(m_long.toUtf8().constData(), out.toUtf8().constData(), &param, &reports,
                                         &Reports::callback, async));
            QThread::msleep(round / 2 * 30);
        }
        QVERIFY(!QFile::exists(out));
        const int count = reports.count();
        QTest::qWait(100);
        QCOMPARE(reports.count(), count);
    }
    // The reused converter still finishes a job of its own.
    Reports reports;
    ConvertParam param = mp4Param();
    param.trimStartUs = 1000000;
    param.trimLengthUs = 1000000;
    const QString out = m_dir.filePath("afterwards.mp4");
    QVERIFY(converter.startConvert(m_clip.toUtf8().constData(), out.toUtf8().constData(), &param, &reports,
                                   &Reports::callback, false));
    QTRY_VERIFY_WITH_TIMEOUT(ended(reports.lastState()), 60000);
    QCOMPARE(reports.lastState(), 2);
    QVERIFY(qAbs(fixtures::formatDuration(fixtures::probe(out)) - 1.0) <= 1.0 / 30);
}

QTEST_GUILESS_MAIN(TestMediaConverter)
#include "test_media_converter.moc"
