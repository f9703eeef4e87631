// The settings holder against a real playback controller: parts stored before a link
// and pushed after it, the controller's trim, crop and watermark reports flowing back,
// the full push of a whole record, and the setters that push nothing.
#include "editor/QVideoEditingSettings.h"
#include "media/RZPlayerManager.h"
#include "platform/codec/calvorine_codec.h"
#include "tests/editor/EditorFixtures.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

class TestEditingSettings : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void partsBeforeALinkAreOnlyStored();
    void settersPushAndReportsFlowBack();
    void wholeRecordIsPushedInOrder();
    void aNullLinkKeepsTheFirst();

private:
    QTemporaryDir m_dir;
    QString m_clip;
};

void TestEditingSettings::initTestCase() {
    cvcodec_set_log_level(0);
    QVERIFY(m_dir.isValid());
    m_clip = m_dir.filePath("quadrants.mp4");
    QVERIFY(editorfixtures::makeQuadrantClip(m_clip, 640, 360, 4.0));
}

void TestEditingSettings::partsBeforeALinkAreOnlyStored() {
    QVideoEditingSettings settings;
    VECropSettings crop;
    crop.rotation = 90;
    settings.setCrop(crop);
    VECropSettings read;
    settings.getCrop(read);
    QCOMPARE(read.rotation, 90);
    QCOMPARE(settings.videoSize(), QSize(0, 0));
    QCOMPARE(settings.duration(), uint64_t(0));
    QCOMPARE(settings.playRangeLength(), uint64_t(0));
    QVERIFY(!settings.playerManager());
}

void TestEditingSettings::settersPushAndReportsFlowBack() {
    RZPlayerManager manager;
    manager.createPlayer(true);
    QVERIFY(manager.openFileInNewPlayer(m_clip, 640, 360, 3));
    QVideoEditingSettings settings;
    settings.setPlayerManager(&manager);
    QCOMPARE(settings.videoSize(), QSize(640, 360));
    QVERIFY(settings.duration() > 3900000 && settings.duration() < 4100000);

    QSignalSpy cropReports(&manager, &RZPlayerManager::emitCropAreaChange);
    VECropSettings crop;
    crop.mirrored = 1;
    crop.pictureRect[2] = 0.5;
    settings.setCrop(crop);
    QCOMPARE(cropReports.count(), 1);
    QCOMPARE(manager.cropSettings().mirrored, 1);
    QCOMPARE(manager.cropSettings().pictureRect[2], 0.5);

    // The controller's reports land in the record without a push back.
    VECropSettings dragged = crop;
    dragged.pictureRect[2] = 0.25;
    emit manager.emitCropAreaChange(dragged);
    VECropSettings read;
    settings.getCrop(read);
    QCOMPARE(read.pictureRect[2], 0.25);
    QCOMPARE(manager.cropSettings().pictureRect[2], 0.5);

    emit manager.emitTrimTimeChange(1000000, 2000000);
    QCOMPARE(settings.getTrimStart(), uint64_t(1000000));
    VEEditConfig config;
    settings.getEditConfig(config);
    QCOMPARE(config.trimEnd, uint64_t(2000000));

    // Whatever slot the controller names, its rectangle is the third record's.
    VEWatermarkSettings moved;
    moved.text.x = 0.3;
    emit manager.emitWatermarkRectChange(moved, 2);
    VEWatermarkSettings third;
    settings.getWatermark(third);
    QCOMPARE(third.text.x, 0.3);
    VEWatermarkSettings first;
    settings.getWatermark1(first);
    QCOMPARE(first.text.x, VEWatermarkSettings().text.x);

    // The third watermark goes to slot 0 and comes back placed.
    QSignalSpy placed(&manager, &RZPlayerManager::emitWatermarkRectChange);
    VEWatermarkSettings text;
    text.text.text = "Calvorine";
    text.text.shown = 1;
    settings.setWatermark(text, 1, true);
    QCOMPARE(placed.count(), 1);
    QCOMPARE(placed.first().at(1).toInt(), 0);
    settings.getWatermark(third);
    QCOMPARE(third.text.text, std::string("Calvorine"));
    QVERIFY(third.text.fittedWidth > 0.0);

    // Chapters, tags and string pairs are stored without a push.
    QSignalSpy anyCrop(&manager, &RZPlayerManager::emitCropAreaChange);
    QSignalSpy anyMark(&manager, &RZPlayerManager::emitWatermarkRectChange);
    VEChapterInfo whole;
    whole.caption = "Current, 00:00:01-00:00:02";
    settings.setChapters({whole});
    QList<VEChapterInfo> chapters;
    settings.getChapters(chapters);
    QCOMPARE(chapters.size(), 1);
    QCOMPARE(chapters.first().caption, whole.caption);
    VEAudioTagInfo tags;
    tags.title = "T";
    settings.setTags(tags);
    settings.setStringPairs({VEStringPair{"a", "b"}});
    QCOMPARE(anyCrop.count(), 0);
    QCOMPARE(anyMark.count(), 0);
}

void TestEditingSettings::wholeRecordIsPushedInOrder() {
    RZPlayerManager manager;
    manager.createPlayer(true);
    QVERIFY(manager.openFileInNewPlayer(m_clip, 640, 360, 3));
    QVideoEditingSettings settings;
    settings.setPlayerManager(&manager);
    VEEditConfig config;
    config.trimStart = 1000000;
    config.trimEnd = 3000000;
    config.crop.rotation = 180;
    config.watermarks[2].text.text = "Mark";
    config.watermarks[2].text.shown = 1;
    QSignalSpy placed(&manager, &RZPlayerManager::emitWatermarkRectChange);
    settings.setEditConfig(config);
    QCOMPARE(manager.playRangeLength(), uint64_t(2000000));
    QCOMPARE(manager.cropSettings().rotation, 180);
    // The third record was handed over last, read back and stored.
    QCOMPARE(placed.count(), 1);
    VEEditConfig stored;
    settings.getEditConfig(stored);
    QCOMPARE(stored.audio.firstRangeStart, uint64_t(1000000));
    for (const VEWatermarkSettings& w : stored.watermarks) {
        QCOMPARE(w.image.rangeStart, uint64_t(1000000));
    }
    QCOMPARE(stored.watermarks[2].text.text, std::string("Mark"));
    QVERIFY(stored.watermarks[2].text.fittedWidth > 0.0);
}

void TestEditingSettings::aNullLinkKeepsTheFirst() {
    RZPlayerManager manager;
    manager.createPlayer(true);
    QVERIFY(manager.openFileInNewPlayer(m_clip, 640, 360, 3));
    QVideoEditingSettings settings;
    settings.setPlayerManager(&manager);
    settings.setPlayerManager(nullptr);
    QCOMPARE(settings.playerManager(), &manager);
    emit manager.emitTrimTimeChange(5, 6);
    QCOMPARE(settings.getTrimStart(), uint64_t(5));

    // A copy handed back is pushed again, trim range included.
    QSignalSpy cropReports(&manager, &RZPlayerManager::emitCropAreaChange);
    VEEditConfig copy;
    settings.getEditConfig(copy);
    settings.setEditConfig(copy);
    QCOMPARE(cropReports.count(), 1);
    QCOMPARE(manager.playRangeLength(), uint64_t(1));
}

QTEST_MAIN(TestEditingSettings)
#include "tst_editing_settings.moc"
