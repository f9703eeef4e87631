// Edit records: defaults, reset, deep copies of the equaliser arrays; and the even
// scaling of crop dimensions.
#include "media/ScaleEvenDimension.h"
#include "media/VEEditConfig.h"

#include <QtTest>

class EditRecordsTest : public QObject {
    Q_OBJECT

private slots:
    void freshAndResetRecordsAgree();
    void resetKeepsTheLists();
    void threeDefaultWatermarksDiffer();
    void equaliserArraysAreDeepCopies();
    void tagClearEmptiesCoverToo();
    void scaleEvenDimension_data();
    void scaleEvenDimension();
};

namespace {

bool sameButLists(const VEEditConfig& a, const VEEditConfig& b) {
    return a.trimStart == b.trimStart && a.trimEnd == b.trimEnd && a.crop == b.crop && a.adjust == b.adjust &&
           a.watermarks[0] == b.watermarks[0] && a.watermarks[1] == b.watermarks[1] &&
           a.watermarks[2] == b.watermarks[2] && a.stream == b.stream && a.subtitleStyle == b.subtitleStyle &&
           a.audio == b.audio && a.audioEffect == b.audioEffect && a.tags == b.tags && a.sourceWidth == b.sourceWidth &&
           a.sourceHeight == b.sourceHeight && a.flag == b.flag;
}

void changeEverything(VEEditConfig& config) {
    config.trimStart = 5;
    config.trimEnd = 9;
    config.crop.rotation = 90;
    config.crop.cropRect[2] = 0.5;
    config.adjust.hue = 30;
    config.watermarks[1].text.text = "hello";
    config.watermarks[2].image.imagePath = "/x.png";
    config.watermarks[0].carried[1] = 4;
    config.stream.data = "sub.srt";
    config.subtitleStyle.fontSize = 40;
    config.audio.volume = 150;
    const double frequencies[] = {60.0, 1000.0};
    const double gains[] = {3.0, -2.0};
    config.audioEffect.curves.assign(frequencies, gains, 2);
    config.audioEffect.rate = 80;
    config.tags.title = "t";
    config.sourceWidth = 640;
    config.flag = true;
}

} // namespace

void EditRecordsTest::freshAndResetRecordsAgree() {
    VEEditConfig fresh;
    VEEditConfig changed;
    changeEverything(changed);
    QVERIFY(!sameButLists(fresh, changed));
    changed.reset();
    QVERIFY(sameButLists(fresh, changed));
    QCOMPARE(fresh.crop.padColour, int32_t(0xff000000));
    QCOMPARE(fresh.crop.carried[1], 1);
    QCOMPARE(fresh.subtitleStyle.fontSize, 18);
    QCOMPARE(fresh.watermarks[0].text.fontSize, 28);
    QCOMPARE(fresh.watermarks[0].text.fontColour, -1);
    QCOMPARE(fresh.audio.weight, 50);
    QVERIFY(!fresh.audioEffect.curves.frequencies);
}

void EditRecordsTest::resetKeepsTheLists() {
    VEEditConfig config;
    config.chapters.append(VEChapterInfo());
    config.subtitles.append(VEStringPair{"English", "0"});
    config.audioTrackNames << "Track 1";
    config.reset();
    QCOMPARE(config.chapters.size(), 1);
    QCOMPARE(config.subtitles.size(), 1);
    QCOMPARE(config.audioTrackNames.size(), 1);
}

void EditRecordsTest::threeDefaultWatermarksDiffer() {
    VEEditConfig config;
    QCOMPARE(config.watermarks[0].image.instanceFlag, 1);
    QCOMPARE(config.watermarks[1].image.instanceFlag, 0);
    QCOMPARE(config.watermarks[2].image.instanceFlag, 0);
    QCOMPARE(config.watermarks[0].image.pair[0], 1.0);
    QCOMPARE(config.watermarks[1].image.pair[1], 1.0);
    QCOMPARE(config.watermarks[2].image.pair[0], 0.0);
    // A stand-alone watermark has neither.
    VEWatermarkSettings alone;
    QCOMPARE(alone.image.instanceFlag, 0);
    QCOMPARE(alone.image.pair[0], 0.0);
    QCOMPARE(alone.image.kind, 1);
}

void EditRecordsTest::equaliserArraysAreDeepCopies() {
    auto* original = new VEEditConfig;
    changeEverything(*original);
    VEEditConfig copy = *original;
    QVERIFY(copy.audioEffect.curves.frequencies != original->audioEffect.curves.frequencies);
    QVERIFY(copy.audioEffect.curves == original->audioEffect.curves);
    delete original; // the copy keeps its own arrays
    QCOMPARE(copy.audioEffect.curves.count, 2);
    QCOMPARE(copy.audioEffect.curves.gains[1], -2.0);

    VEEditConfig assigned;
    assigned = copy;
    assigned.audioEffect.curves.gains[0] = 9.0;
    QCOMPARE(copy.audioEffect.curves.gains[0], 3.0);

    // Assigning a record with no points leaves two zero-length arrays.
    VEAudioEffect empty;
    VEAudioEffect target = copy.audioEffect;
    target = empty;
    QCOMPARE(target.curves.count, 0);
    target.releaseCurves();
    QVERIFY(!target.curves.frequencies && !target.curves.gains);
    QCOMPARE(target.rate, 100);

    // Assigning to itself keeps the points.
    copy.audioEffect.curves = copy.audioEffect.curves;
    QCOMPARE(copy.audioEffect.curves.frequencies[1], 1000.0);
}

void EditRecordsTest::tagClearEmptiesCoverToo() {
    VEAudioTagInfo tags;
    tags.title = "a";
    tags.copyright = "c";
    tags.cover_image = std::string("\x89PNG\0\x01", 6);
    tags.coverSize = 6;
    tags.flag = true;
    tags.clear();
    QVERIFY(tags == VEAudioTagInfo());
    QVERIFY(tags.cover_image.empty());
    QCOMPARE(tags.coverSize, 0);
    QVERIFY(!tags.flag);
}

void EditRecordsTest::scaleEvenDimension_data() {
    QTest::addColumn<double>("factor");
    QTest::addColumn<uint>("size");
    QTest::addColumn<uint>("expected");
    QTest::newRow("whole") << 1.0 << 101u << 101u;
    QTest::newRow("above one clamps") << 2.0 << 640u << 640u;
    QTest::newRow("half of odd") << 0.5 << 101u << 50u;
    QTest::newRow("half of even") << 0.5 << 640u << 320u;
    QTest::newRow("rounds up to even") << 0.25 << 10u << 2u;
    QTest::newRow("zero") << 0.0 << 640u << 0u;
    QTest::newRow("negative clamps") << -1.0 << 640u << 0u;
    QTest::newRow("nearly whole stays below") << 0.99999 << 641u << 640u;
    QTest::newRow("not below size") << 0.9 << 2u << 2u;
    QTest::newRow("overflow") << 0.5 << 0xffffffffu << 0xffffffffu;
}

void EditRecordsTest::scaleEvenDimension() {
    QFETCH(double, factor);
    QFETCH(uint, size);
    QFETCH(uint, expected);
    QCOMPARE(::scaleEvenDimension(factor, size), expected);
}

QTEST_GUILESS_MAIN(EditRecordsTest)
#include "tst_edit_records.moc"
