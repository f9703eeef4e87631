// The main window's decisions without a desktop: the stored area text, names of new
// recordings, where the compact panel goes beside the capture area, time limits and the
// recording menu's labels.
#include "recorder/MainWindowRules.h"

#include <QSet>
#include <QtTest>

namespace {

const QSize kScreen(1920, 1080);
const QSize kVideoPanel(241, 63);
const int64_t kHourUs = 3'600'000'000LL;

} // namespace

class TestMainWindowRules : public QObject {
    Q_OBJECT
private slots:
    void storedAreaText_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QPoint>("origin");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<bool>("wellFormed");
        QTest::newRow("whole") << "10*20-300*200" << QPoint(10, 20) << QSize(300, 200) << true;
        QTest::newRow("no dash") << "10*20" << QPoint(0, 0) << QSize(640, 480) << false;
        QTest::newRow("size without star") << "10*20-300" << QPoint(10, 20) << QSize(640, 480) << false;
        QTest::newRow("origin without star") << "10-300*200" << QPoint(0, 0) << QSize(300, 200) << false;
        QTest::newRow("empty") << "" << QPoint(0, 0) << QSize(640, 480) << false;
        QTest::newRow("not numbers") << "a*b-c*d" << QPoint(0, 0) << QSize(0, 0) << true;
    }
    void storedAreaText() {
        QFETCH(QString, text);
        const StoredArea area = parseAreaValue(text);
        QTEST(area.origin, "origin");
        QTEST(area.size, "size");
        QTEST(area.wellFormed, "wellFormed");
    }

    void storedAreaTextRoundTrips() {
        QCOMPARE(areaValueText(QPoint(12, 34), QSize(640, 360)), QStringLiteral("12*34-640*360"));
        const StoredArea back = parseAreaValue(areaValueText(QPoint(12, 34), QSize(640, 360)));
        QCOMPARE(back.origin, QPoint(12, 34));
        QCOMPARE(back.size, QSize(640, 360));
        const StoredArea fallback = parseAreaValue(QString::fromLatin1(kDefaultAreaValue));
        QVERIFY(fallback.wellFormed);
        QCOMPARE(fallback.size, QSize(640, 480));
    }

    // Same millisecond: the counter goes before the dot and counts on.
    void recordNameClashes() {
        const QDateTime now(QDate(2026, 3, 4), QTime(5, 6, 7, 89));
        QSet<QString> existing;
        auto exists = [&existing](const QString& path) { return existing.contains(path); };
        const QString first = recordFileNameIn(QStringLiteral("/out/"), now, QStringLiteral("mp4"), exists);
        QCOMPARE(first, QStringLiteral("/out/REC_20260304050607089.mp4"));
        existing.insert(first);
        const QString second = recordFileNameIn(QStringLiteral("/out/"), now, QStringLiteral("mp4"), exists);
        QCOMPARE(second, QStringLiteral("/out/REC_20260304050607089(1).mp4"));
        existing.insert(second);
        QCOMPARE(recordFileNameIn(QStringLiteral("/out/"), now, QStringLiteral("mp4"), exists),
                 QStringLiteral("/out/REC_20260304050607089(2).mp4"));
    }

    // A stored folder without its final separator still names a file inside it.
    void recordNameInFolderWithoutSeparator() {
        const QDateTime now(QDate(2026, 1, 2), QTime(3, 4, 5, 6));
        auto none = [](const QString&) { return false; };
        QCOMPARE(recordFileNameIn(QStringLiteral("/home/u/Videos"), now, QStringLiteral("mp3"), none),
                 QStringLiteral("/home/u/Videos/REC_20260102030405006.mp3"));
        QCOMPARE(recordFileNameIn(QStringLiteral("/home/u//Videos//"), now, QStringLiteral("mp3"), none),
                 QStringLiteral("/home/u/Videos/REC_20260102030405006.mp3"));
    }

    void panelPlacement_data() {
        QTest::addColumn<QRect>("area");
        QTest::addColumn<bool>("fits");
        QTest::addColumn<QPoint>("position");
        // Under the area, right-aligned: right = 100 + 640 + 2, below = 100 + 360 + 2.
        QTest::newRow("below") << QRect(100, 100, 640, 360) << true << QPoint(742 - 241, 462);
        // No room below: right of it, 3 above its top.
        QTest::newRow("right") << QRect(100, 100, 640, 960) << true << QPoint(742, 97);
        // No room below or right: above it.
        QTest::newRow("above") << QRect(100, 200, 1800, 860) << true << QPoint(97, 200 - 3 - 63);
        // Only left is free: left of it, bottom-aligned.
        QTest::newRow("left") << QRect(300, 50, 1600, 1020) << true << QPoint(300 - 3 - 241, 50 + 1020 + 2 - 63);
        QTest::newRow("nowhere") << QRect(0, 0, 1920, 1080) << false << QPoint();
        // Under an area at the left edge, the panel would start at x -139.
        QTest::newRow("below, kept on screen") << QRect(0, 100, 100, 100) << true << QPoint(0, 202);
        // Above an area at the right edge, the panel would end beyond the screen.
        QTest::newRow("above, kept on screen") << QRect(1850, 900, 70, 170) << true << QPoint(1920 - 241, 834);
        // Left of an area whose bottom is the screen's: bottom-aligned would end past it.
        QTest::newRow("left, kept on screen") << QRect(600, 0, 1320, 1080) << true << QPoint(600 - 3 - 241, 1080 - 63);
    }
    void panelPlacement() {
        QFETCH(QRect, area);
        const PanelPlacement placement = placeBesideArea(kVideoPanel, area, kScreen);
        QTEST(placement.fits, "fits");
        if (placement.fits) {
            QTEST(placement.position, "position");
            QVERIFY(placement.position.x() >= 0 && placement.position.x() + kVideoPanel.width() <= kScreen.width());
            QVERIFY(placement.position.y() >= 0 && placement.position.y() + kVideoPanel.height() <= kScreen.height());
        }
    }

    void timeLimits() {
        // Stop-after: 0 never stops; L stops at the first report above L.
        QCOMPARE(recordingTimeLimit(true, 0, false, 0, 0), uint64_t(0));
        QVERIFY(!isPastTimeLimit(10 * uint64_t(kHourUs), recordingTimeLimit(true, 0, false, 0, 0)));
        const uint64_t fiveSeconds = recordingTimeLimit(true, 5'000'000, false, 0, 0);
        QVERIFY(!isPastTimeLimit(5'000'000, fiveSeconds));
        QVERIFY(isPastTimeLimit(5'000'001, fiveSeconds));
        // Stop-after wins over a schedule.
        QCOMPARE(recordingTimeLimit(true, 7, true, 0, kHourUs), uint64_t(7));
        // Schedule 23:00 to 01:00 runs over midnight: 2 hours.
        QCOMPARE(recordingTimeLimit(false, 0, true, 23 * kHourUs, 1 * kHourUs), uint64_t(2 * kHourUs));
        QCOMPARE(recordingTimeLimit(false, 0, true, 1 * kHourUs, 3 * kHourUs), uint64_t(2 * kHourUs));
        // Equal start and end: no limit; nothing on: no limit.
        QCOMPARE(recordingTimeLimit(false, 0, true, kHourUs, kHourUs), uint64_t(0));
        QCOMPARE(recordingTimeLimit(false, 5'000'000, false, 0, kHourUs), uint64_t(0));
    }

    void recordingMenuLabels() {
        const QString key = QStringLiteral("Ctrl + Alt + F12");
        QCOMPARE(pauseMenuLabel(false, key), QStringLiteral("Pause       ") + key);
        QCOMPARE(pauseMenuLabel(true, key), QStringLiteral("Resume      ") + key);
        QCOMPARE(stopMenuLabel(QString()), QStringLiteral("Stop        "));
        // The key text starts at the thirteenth character in all three.
        for (const QString& label : {pauseMenuLabel(false, key), pauseMenuLabel(true, key), stopMenuLabel(key)}) {
            QCOMPARE(label.indexOf(QStringLiteral("Ctrl")), 12);
        }
    }

    void addresses() {
        QVERIFY(appcastAddress().startsWith(QStringLiteral("https://")));
        QVERIFY(appcastAddress().contains(QStringLiteral("/api/product/version?pid=")));
        QVERIFY(appcastAddress().endsWith(QStringLiteral("&ver=2.0.2.25")));
        QVERIFY(helpAddress().endsWith(QStringLiteral("&page_type=help")));
        QVERIFY(QUrl(homeAddress()).isValid());
    }
};

QTEST_GUILESS_MAIN(TestMainWindowRules)
#include "tst_mainwindow_rules.moc"
