// Utilities, the settings record and folders, the recording settings and the
// worker-thread base.
#include "tests/support/PrivateUserFolders.h"

#include "app/AppGlobals.h"
#include "app/QRecordAreaInfo.h"
#include "app/QUtilThread.h"
#include "app/SettingsFile.h"
#include "app/Utilities.h"

#include <QWidget>
#include <QtTest>

#include <atomic>
#include <unistd.h>

class CountingThread : public QUtilThread {
public:
    ~CountingThread() override { stopAndWait(); }
    std::atomic<int> runs{0};
    std::atomic<int> concurrent{0};
    std::atomic<int> maxConcurrent{0};
    std::atomic<bool> waitForStop{false};

protected:
    void run() override {
        const int now = ++concurrent;
        if (now > maxConcurrent) {
            maxConcurrent = now;
        }
        if (waitForStop) {
            stopEvent().wait();
        } else {
            QThread::msleep(20);
        }
        ++runs;
        --concurrent;
    }
};

class TestAppCore : public QObject {
    Q_OBJECT
private slots:
    // ---- MD5 ----
    void md5_data() {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QString>("digest");
        // RFC 1321, appendix A.5.
        QTest::newRow("empty") << QByteArray("") << "d41d8cd98f00b204e9800998ecf8427e";
        QTest::newRow("a") << QByteArray("a") << "0cc175b9c0f1b6a831c399e269772661";
        QTest::newRow("abc") << QByteArray("abc") << "900150983cd24fb0d6963f7d28e17f72";
        QTest::newRow("message digest") << QByteArray("message digest") << "f96b697d7cb7938d525a2f31aaf161d0";
        QTest::newRow("alphabet") << QByteArray("abcdefghijklmnopqrstuvwxyz") << "c3fcd3d76192e4007dfb496cca67e13b";
        QTest::newRow("alphanumeric") << QByteArray("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789")
                                      << "d174ab98d277d9f5a5611c2c9f419d9f";
        QTest::newRow("digits")
            << QByteArray("12345678901234567890123456789012345678901234567890123456789012345678901234567890")
            << "57edf4a22be3c955ac49da2e2107b67a";
    }
    void md5() {
        QFETCH(QByteArray, input);
        QFETCH(QString, digest);
        QCOMPARE(QString::fromStdString(MD5(input.toStdString()).hexdigest()), digest);
        // Streaming in uneven pieces gives the same digest.
        MD5 streamed;
        for (int i = 0; i < input.size(); i += 7) {
            streamed.update(input.constData() + i, static_cast<std::size_t>(qMin(7, input.size() - i)));
        }
        QVERIFY(streamed.hexdigest().empty()); // not finalised yet
        streamed.finalize();
        streamed.finalize(); // a second finalize changes nothing
        QCOMPARE(QString::fromStdString(streamed.hexdigest()), digest);
    }
    void md5MatchesQtOnLargeInput() {
        QByteArray big(3 * 1000 * 1000 + 17, '\0');
        for (int i = 0; i < big.size(); ++i) {
            big[i] = static_cast<char>((i * 131) ^ (i >> 7));
        }
        QCOMPARE(QString::fromStdString(MD5(big.toStdString()).hexdigest()),
                 QString::fromLatin1(QCryptographicHash::hash(big, QCryptographicHash::Md5).toHex()));
    }

    // ---- file-size texts ----
    void fileSize_data() {
        QTest::addColumn<qint64>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("0") << qint64(0) << "0 B";
        QTest::newRow("1023") << qint64(1023) << "1023 B";
        QTest::newRow("1024") << qint64(1024) << "1024 B";
        QTest::newRow("1025") << qint64(1025) << "1.00 KB";
        QTest::newRow("1536") << qint64(1536) << "1.50 KB";
        QTest::newRow("2^20") << qint64(1048576) << "1024.00 KB";
        QTest::newRow("2^20+1") << qint64(1048577) << "1.00 MB";
        QTest::newRow("1.5 MB") << qint64(1572864) << "1.50 MB";
        QTest::newRow("2^30") << qint64(1073741824) << "1024.00 MB";
        QTest::newRow("2^30+1") << qint64(1073741825) << "1.00 GB";
        QTest::newRow("3 GB") << qint64(3221225472LL) << "3.00 GB";
        QTest::newRow("5 TB") << qint64(5497558138880LL) << "5120.00 GB";
        QTest::newRow("negative") << qint64(-5) << "0 B";
    }
    void fileSize() {
        QFETCH(qint64, bytes);
        QFETCH(QString, text);
        QCOMPARE(formatFileSize(bytes), text);
    }

    // ---- UTF-8, clock, versions, font ----
    void utf8() {
        QVERIFY(isValidUtf8(""));
        QVERIFY(isValidUtf8("\xC3\xA9"));
        QVERIFY(!isValidUtf8("\xC3"));
        QVERIFY(!isValidUtf8("\xC3\x41"));
        QVERIFY(isValidUtf8("\xF0\x9F\x98\x80")); // emoji: the mended check accepts it
        QVERIFY(!isValidUtf8("\xC0\xAF"));        // overlong
        QVERIFY(!isValidUtf8("\xED\xA0\x80"));    // surrogate
        QVERIFY(!isValidUtf8(nullptr));
    }
    void clock() {
        const int64_t start = getMicroseconds();
        QVERIFY(start > 0);
        sleepMicroseconds(20999); // 20 whole milliseconds
        const int64_t elapsed = getMicroseconds() - start;
        QVERIFY2(elapsed >= 20000 && elapsed < 2000000, qPrintable(QString::number(elapsed)));
        int64_t previous = getMicroseconds();
        for (int i = 0; i < 100000; ++i) {
            const int64_t now = getMicroseconds();
            QVERIFY(now >= previous);
            previous = now;
        }
        const int64_t before = getMicroseconds();
        sleepMicroseconds(999); // less than a millisecond: no sleep at all
        QVERIFY(getMicroseconds() - before < 1000 + 50000);
    }
    void versions() {
        const QString version = getFileProductVersion();
        QVERIFY(!version.isEmpty());
        QCOMPARE(getFileProductVersion(), version);
        QVERIFY(QRegularExpression("^\\d+(\\.\\d+)*$").match(version).hasMatch());
        const QString os = getWindowsVersionText();
        QVERIFY2(os.contains("Linux"), qPrintable(os));
    }
    void widgetFont() {
        setWidgetFont(nullptr, 12);
        QWidget widget;
        setWidgetFont(&widget, 13);
        QCOMPARE(widget.font().family(), QString("Tahoma"));
        QCOMPARE(widget.font().pixelSize(), 13);
    }

    // ---- settings record and folders ----
    void productFolders() {
        PrivateUserFolders folders;
        QCOMPARE(getAppDataProductDir(), folders.dataFolder());
        QVERIFY(QDir(folders.dataFolder()).exists());
        QCOMPARE(getTempProductDir(), folders.tempFolder() + "/Calvorine Screen Recorder");
        QVERIFY(QDir(getTempProductDir()).exists());
        const QString documents = getDocumentsProductDir();
        QVERIFY(documents.endsWith("/Documents/Calvorine Screen Recorder"));
        QVERIFY(documents.startsWith(folders.root()));
        QVERIFY(QDir(documents).exists());
        QVERIFY(!getAppDirPath().isEmpty());
        QVERIFY(!getAppDirPath().endsWith('/'));
        QCOMPARE(getAppDirPath(), QCoreApplication::applicationDirPath());
    }
    void productFolderThatCannotBeCreated() {
        PrivateUserFolders folders;
        // The data location is a file: the product folder cannot be made under it.
        QFile blocker(folders.root() + "/blocker");
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        qputenv("XDG_DATA_HOME", QFile::encodeName(folders.root() + "/blocker"));
        QCOMPARE(getAppDataProductDir(), folders.root() + "/blocker");
    }
    void folderWritable() {
        PrivateUserFolders folders;
        const QString folder = folders.root() + "/out";
        QDir().mkpath(folder);
        // Files named like probe names are never touched.
        const QStringList userFiles = {folder + "/Calvorine Screen Recorder.txt",
                                       folder + "/Calvorine Screen Recorder1.txt",
                                       folder + "Calvorine Screen Recorder.txt"};
        for (const QString& path : userFiles) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("user data");
        }
        QVERIFY(isFolderWritable(folder));
        QVERIFY(isFolderWritable(folder + "/"));
        for (const QString& path : userFiles) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadOnly));
            QCOMPARE(file.readAll(), QByteArray("user data"));
        }
        // The probe is gone again: only the user's files are there.
        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden).size(), 2);
        QVERIFY(!isFolderWritable(folders.root() + "/missing"));
        QVERIFY(!isFolderWritable(QString()));
        if (geteuid() != 0) {
            QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
            QVERIFY(!isFolderWritable(folder));
            QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        }
    }
    void globals() {
        setLanguageByName("German");
        QCOMPARE(getLanguageIndex(), 2);
        setLanguageByName("Japanese");
        QCOMPARE(getLanguageIndex(), 4);
        setLanguageByName("english");
        QCOMPARE(getLanguageIndex(), 0);
        setLanguageByName("Chinese");
        setLanguageByName("Klingon");
        QCOMPARE(getLanguageIndex(), 0);
        QCOMPARE(getFinishedAllJobFlag(), 2);
        setFinishedAllJobFlag(1);
        QCOMPARE(getFinishedAllJobFlag(), 1);
        setOutputPath("/o/");
        setScreenshotPath("/s/");
        setConvertedPath("/c/");
        setLogFilePath("/l/log.txt");
        QCOMPARE(getOutputPath(), QString("/o/"));
        QCOMPARE(getScreenshotPath(), QString("/s/"));
        QCOMPARE(getConvertedPath(), QString("/c/"));
        QCOMPARE(getLogFilePath(), QString("/l/log.txt"));
        QVERIFY(getGlobalString().isEmpty());
        QVERIFY(!isHistoryWindowActive());
        QVERIFY(!isControlBarActive());
        setHistoryWindowActive(true);
        setControlBarActive(true);
        QVERIFY(isHistoryWindowActive() && isControlBarActive());
        QVERIFY(g_storedVideoFormat == nullptr && g_storedAudioFormat == nullptr && g_currentFormat == nullptr);
        QCOMPARE(productTitle(), QString("Calvorine Screen Recorder"));
    }

    // ---- recording settings ----
    void recordAreaInfo() {
        PrivateUserFolders folders;
        writeSettingValue("RECORD_TIME_INFO", "Stop_time_lenght", "not a number");
        writeSettingValue("CURSOR_OPTION", "Cursor_Hight_Value", "N");
        QRecordAreaInfo* info = QRecordAreaInfo::instance();
        QCOMPARE(QRecordAreaInfo::instance(), info);
        QVERIFY(info->cursorOption(QRecordAreaInfo::ShowCursor));
        QVERIFY(!info->cursorOption(QRecordAreaInfo::HighlightCursor));
        QVERIFY(info->cursorOption(QRecordAreaInfo::HighlightClicks));
        QVERIFY(info->cursorOption(7));
        QVERIFY(!info->isStopAfterTime());
        QCOMPARE(info->stopAfterLength(), int64_t(0));
        QCOMPARE(info->cursorImageIndex(1), -1);
        info->setCursorImageIndex(1, 5);
        QCOMPARE(info->cursorImageIndex(1), -1);
        info->setCursorImageIndex(2, 3);
        info->setCursorImageIndex(3, 4);
        QCOMPARE(info->cursorImageIndex(2), 3);
        QCOMPARE(info->cursorImageIndex(3), 4);
        info->setAudioSource(2, true);
        QVERIFY(info->hasAudioSource(3));
        QVERIFY(!info->hasAudioSource(1));
        info->setAudioSource(2, false);
        QVERIFY(!info->hasAudioSource(3));
        info->setDevicePresent(1, true);
        QVERIFY(info->isDevicePresent(1) && !info->isDevicePresent(2));
        info->setAreaOrigin(10, 20);
        info->setAreaSize(640, 480);
        info->setPreviousOrigin(1, 2);
        info->setPreviousSize(3, 4);
        info->swapWithPreviousArea();
        QCOMPARE(info->areaOrigin(), QPoint(1, 2));
        QCOMPARE(info->areaSize(), QSize(3, 4));
        info->swapWithPreviousArea();
        QCOMPARE(info->areaOrigin(), QPoint(10, 20));
        QCOMPARE(info->areaSize(), QSize(640, 480));
        const QStringList presets = info->presetSizes();
        QCOMPARE(presets.size(), 20);
        QCOMPARE(presets.first(), QString("176*144"));
        QCOMPARE(presets.at(17), QString("1920*1080"));
        QCOMPARE(presets.at(18), QString("Full Screen"));
        QCOMPARE(presets.at(19), QString("Select area to record"));
        info->setScheduleStart(3600LL * 1000000);
        QCOMPARE(info->scheduleStart(), 3600LL * 1000000);
        WatermarkImageSettings watermark;
        QCOMPARE(watermark.alpha, 255);
        QCOMPARE(watermark.widthScalePercent, 100.0);
        QVERIFY(watermark.imagePath.empty());
        watermark.imagePath = "/w/\xC3\xA9.png";
        watermark.position = 8;
        info->setWatermarkSettings(watermark);
        WatermarkImageSettings copy = info->watermarkSettings();
        QCOMPARE(copy, watermark);
        copy.imagePath[1] = 'x';
        QCOMPARE(info->watermarkSettings().imagePath, std::string("/w/\xC3\xA9.png"));
    }

    // ---- worker threads ----
    void threadNeverStarted() {
        QElapsedTimer timer;
        timer.start();
        { CountingThread thread; }
        QVERIFY(timer.elapsed() < 100);
    }
    void threadStartTwiceRunsOneAfterTheOther() {
        CountingThread thread;
        QVERIFY(thread.start());
        QVERIFY(thread.start());
        thread.stopAndWait();
        QCOMPARE(thread.runs.load(), 2);
        QCOMPARE(thread.maxConcurrent.load(), 1);
    }
    void threadStopEventEndsARun() {
        CountingThread thread;
        thread.waitForStop = true;
        QVERIFY(thread.start());
        QTRY_VERIFY(thread.isRunning());
        QTest::qWait(20);
        QCOMPARE(thread.runs.load(), 0);
        QElapsedTimer timer;
        timer.start();
        thread.stopAndWait();
        QCOMPARE(thread.runs.load(), 1);
        QVERIFY(!thread.isRunning());
        QVERIFY(timer.elapsed() < 1000);
    }
    void threadFinishedRunCostsNoWait() {
        CountingThread thread;
        QVERIFY(thread.start());
        QTRY_COMPARE(thread.runs.load(), 1);
        QElapsedTimer timer;
        timer.start();
        QVERIFY(thread.start());
        QVERIFY(timer.elapsed() < 15);
        thread.stopAndWait();
        QCOMPARE(thread.runs.load(), 2);
    }
    void manualResetEvent() {
        ManualResetEvent event;
        QVERIFY(!event.isSet());
        QVERIFY(!event.waitFor(std::chrono::microseconds(0)));
        QVERIFY(!event.waitFor(std::chrono::milliseconds(5)));
        std::thread setter([&] {
            QThread::msleep(10);
            event.set();
        });
        QVERIFY(event.waitFor(std::chrono::seconds(5)));
        setter.join();
        QVERIFY(event.isSet());
        event.wait(); // stays signalled
        event.reset();
        QVERIFY(!event.isSet());
    }
};

QTEST_MAIN(TestAppCore)
#include "test_app_core.moc"
