// The current output format of each mode over the shipped catalogue: presets, custom
// records, the value parsers, the reset to the default formats, and a catalogue that
// cannot be read.
#include "recorder/CurrentFormat.h"

#include "app/AppGlobals.h"
#include "app/FormatSettingFile.h"
#include "app/SettingsFile.h"
#include "media/CProfileManager.h"
#include "media/OutputFormatSetting.h"
#include "tests/support/FileSizeLimit.h"

#include <QCoreApplication>
#include <QDomDocument>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

FormatSetting customRecord(const QString& bitRate, const QString& quality) {
    FormatSetting custom;
    custom.videoEncoder = QStringLiteral("H264");
    custom.videoResolution = QStringLiteral("1280*720");
    custom.videoFrameRate = QStringLiteral("25 fps");
    custom.videoBitRate = bitRate;
    custom.videoQuality = quality;
    custom.audioEncoder = QStringLiteral("AAC");
    custom.audioChannels = QStringLiteral("1");
    custom.audioSampleRate = QStringLiteral("48000 HZ");
    custom.audioBitRate = QStringLiteral("128 kbps");
    return custom;
}

QByteArray fileContent(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

// The attribute of a format's element, read with the DOM rather than the program's own
// reader.
QString formatElementAttribute(const QString& id, const QString& attribute) {
    QDomDocument document;
    QFile file(formatSettingFilePath());
    if (!file.open(QIODevice::ReadOnly) || !document.setContent(&file))
        return QStringLiteral("(no file)");
    for (QDomElement e = document.documentElement().firstChildElement(QStringLiteral("FORMAT_")); !e.isNull();
         e = e.nextSiblingElement(QStringLiteral("FORMAT_"))) {
        if (e.attribute(QStringLiteral("Format_ID")) == id)
            return e.attribute(attribute, QStringLiteral("(no attribute)"));
    }
    return QStringLiteral("(no element)");
}

} // namespace

class TestCurrentFormat : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_data;
    QStringList m_problems;

private slots:
    void initTestCase() {
        setFormatCatalogueProblemHandler([this](const QString& message) { m_problems << message; });
    }

    // Each case starts with empty settings and format-setting files of its own.
    void init() {
        m_data = std::make_unique<QTemporaryDir>();
        QVERIFY(m_data->isValid());
        qputenv("XDG_DATA_HOME", m_data->path().toLocal8Bit());
        initFormatNameGlobals();
    }

    void cleanup() { freeFormatNameGlobals(); }

    void parsers() {
        int width = -1, height = -1;
        parseResolution(QStringLiteral("1920*1080"), &width, &height);
        QCOMPARE(QSize(width, height), QSize(1920, 1080));
        parseResolution(QStringLiteral(" 1280 * 720 "), &width, &height);
        QCOMPARE(QSize(width, height), QSize(1280, 720));
        parseResolution(QStringLiteral("Auto"), &width, &height);
        QCOMPARE(QSize(width, height), QSize(0, 0));
        parseResolution(QStringLiteral("-5*x"), &width, &height);
        QCOMPARE(QSize(width, height), QSize(0, 0));
        parseResolution(QStringLiteral("99999999999*2"), &width, &height);
        QCOMPARE(QSize(width, height), QSize(0, 2));
        QCOMPARE(parseFrameRate(QStringLiteral("30 fps")), 30.0);
        QCOMPARE(parseFrameRate(QStringLiteral("29.97 fps")), 29.97);
        QCOMPARE(parseFrameRate(QStringLiteral("30")), 0.0);
        QCOMPARE(parseFrameRate(QStringLiteral("Auto")), 0.0);
        QCOMPARE(parseFrameRate(QStringLiteral("inf fps")), 0.0);
        QCOMPARE(parsePercent(QStringLiteral("70 %")), 70);
        QCOMPARE(parsePercent(QStringLiteral("70")), 0);
        QCOMPARE(parseKilo(QStringLiteral("128 kbps")), 128);
        QCOMPARE(parseKilo(QStringLiteral(" kbps")), 0);
        QCOMPARE(parseKilo(QStringLiteral("Auto")), 0);
        QCOMPARE(parseHertz(QStringLiteral("44100 HZ")), 44100);
        QCOMPARE(parseHertz(QStringLiteral("44100")), 0);
    }

    void storedPresets() {
        QCOMPARE(readQualityMode(QStringLiteral("4000")), int(QualityHigh));
        const QPair<QString, int> values[] = {
            {"0", QualityHigh}, {"1", QualitySmallSize}, {"2", QualityCustomized}, {"x", QualityCustomized}};
        for (const auto& value : values) {
            writeFormatAttribute(QStringLiteral("4000"), QStringLiteral("QUALITY_VALUE"), value.first);
            QCOMPARE(readQualityMode(QStringLiteral("4000")), value.second);
        }
    }

    void defaultVideoFormatAtHighQuality() {
        loadCurrentFormat(true);
        const OutputFormatSetting& video = *g_storedVideoFormat;
        QVERIFY(!video.audioOnly);
        QCOMPARE(video.container, QStringLiteral("mp4"));
        QCOMPARE(video.extension, QStringLiteral("mp4"));
        QCOMPARE(video.videoCodec, QStringLiteral("H264"));
        QCOMPARE(video.videoCodecId, 28);
        // The profile offers "Auto": the capture size is recorded, at the preset's quality.
        QCOMPARE(QSize(video.width, video.height), QSize(0, 0));
        QCOMPARE(video.quality, 80);
        QCOMPARE(video.frameRateNum, 30);
        QCOMPARE(video.frameRateDen, 1);
        QCOMPARE(video.videoBitRate, 8000);
        QCOMPARE(video.audioCodec, QStringLiteral("AAC"));
        QCOMPARE(video.audioCodecId, 0x15002);
        QCOMPARE(video.channels, 2);
        QCOMPARE(video.sampleRate, 44100);
        QCOMPARE(video.audioBitRate, 192);
        QCOMPARE(videoFormatName()->category, QStringLiteral("General Video"));
        QCOMPARE(videoFormatName()->id, QStringLiteral("4000"));
        QCOMPARE(videoFormatName()->title, QStringLiteral("MP4 (H.264)"));
    }

    void smallSizeTakesTheSmallRates() {
        writeFormatAttribute(QStringLiteral("4000"), QStringLiteral("QUALITY_VALUE"), QStringLiteral("1"));
        loadCurrentFormat(true);
        QCOMPARE(g_storedVideoFormat->quality, 50);
        QCOMPARE(g_storedVideoFormat->videoBitRate, 3000);
        QCOMPARE(g_storedVideoFormat->audioBitRate, 96);
    }

    void customizedFormats() {
        writeSettingValue(QStringLiteral("FormatSet"), QStringLiteral("Video_Id"), QStringLiteral("4002"));
        writeFormatAttribute(QStringLiteral("4002"), QStringLiteral("QUALITY_VALUE"), QStringLiteral("2"));
        // Without a custom record the preset counts as high quality.
        loadCurrentFormat(true);
        QCOMPARE(g_storedVideoFormat->container, QStringLiteral("matroska"));
        QCOMPARE(g_storedVideoFormat->quality, 80);
        QCOMPARE(g_storedVideoFormat->videoBitRate, 8000);

        // A chosen bit rate rules over the quality.
        writeFormatSetting(QStringLiteral("4002"), customRecord(QStringLiteral("2000 kbps"), QStringLiteral("Auto")));
        loadCurrentFormat(true);
        const OutputFormatSetting& video = *g_storedVideoFormat;
        QCOMPARE(QSize(video.width, video.height), QSize(1280, 720));
        QCOMPARE(video.frameRateNum, 25);
        QCOMPARE(video.frameRateDen, 1);
        QCOMPARE(video.videoBitRate, 2000);
        QCOMPARE(video.quality, -1);
        QCOMPARE(video.channels, 1);
        QCOMPARE(video.sampleRate, 48000);
        QCOMPARE(video.audioBitRate, 128);

        // "Auto" bit rate: the entry's default, and the quality (70 when it is "Auto" too).
        writeFormatSetting(QStringLiteral("4002"), customRecord(QStringLiteral("Auto"), QStringLiteral("Auto")));
        loadCurrentFormat(true);
        QCOMPARE(g_storedVideoFormat->videoBitRate, 4000);
        QCOMPARE(g_storedVideoFormat->quality, 70);
        writeFormatSetting(QStringLiteral("4002"), customRecord(QStringLiteral("Auto"), QStringLiteral("55 %")));
        loadCurrentFormat(true);
        QCOMPARE(g_storedVideoFormat->quality, 55);

        // Other encoder and neutral audio choices fall back to the profile's.
        FormatSetting hevc = customRecord(QStringLiteral("Auto"), QStringLiteral("Auto"));
        hevc.videoEncoder = QStringLiteral("H265");
        hevc.videoResolution = QStringLiteral("Auto");
        hevc.audioEncoder = QStringLiteral("Auto");
        hevc.audioChannels = QStringLiteral("Auto");
        hevc.audioSampleRate = QStringLiteral("Auto");
        writeFormatSetting(QStringLiteral("4002"), hevc);
        loadCurrentFormat(true);
        QCOMPARE(g_storedVideoFormat->videoCodecId, 0x48323635);
        QCOMPARE(QSize(g_storedVideoFormat->width, g_storedVideoFormat->height), QSize(0, 0));
        QCOMPARE(g_storedVideoFormat->audioCodec, QStringLiteral("AAC"));
        QCOMPARE(g_storedVideoFormat->channels, 2);
        QCOMPARE(g_storedVideoFormat->sampleRate, 44100);
    }

    void audioOnlyFormats() {
        loadCurrentFormat(false);
        const OutputFormatSetting& audio = *g_storedAudioFormat;
        QVERIFY(audio.audioOnly);
        QCOMPARE(audio.container, QStringLiteral("mp3"));
        QCOMPARE(audio.videoCodecId, -1);
        QVERIFY(audio.videoCodec.isEmpty());
        QCOMPARE(QSize(audio.width, audio.height), QSize(0, 0));
        QCOMPARE(audio.frameRateNum, 0);
        QCOMPARE(audio.frameRateDen, 1);
        QCOMPARE(audio.quality, -1);
        QCOMPARE(audio.audioCodecId, 0x15001);
        QCOMPARE(audioFormatName()->id, QStringLiteral("5000"));

        writeSettingValue(QStringLiteral("FormatSet"), QStringLiteral("Audio_Id"), QStringLiteral("5001"));
        loadCurrentFormat(false);
        QCOMPARE(g_storedAudioFormat->container, QStringLiteral("adts"));
        QCOMPARE(g_storedAudioFormat->extension, QStringLiteral("aac"));
        QCOMPARE(audioFormatName()->title, QStringLiteral("AAC"));
    }

    void profileWithoutAutoKeepsItsSize() {
        ProfileDetail detail;
        detail.ext = "mp4";
        detail.videoEncoder = "H264";
        detail.resolution = "1280*720";
        detail.frameRateDefault = "29.97 fps";
        detail.videoBitrateHigh = "5000 kbps";
        detail.audioEncoder = "AAC";
        detail.channels = "2";
        detail.sampleRateDefault = "48000 HZ";
        detail.audioBitrateHigh = "160 kbps";
        OutputFormatSetting format;
        fillFormatSetting(&detail, QualityHigh, nullptr, &format);
        QCOMPARE(QSize(format.width, format.height), QSize(1280, 720));
        QCOMPARE(format.quality, -1);
        QCOMPARE(format.frameRateNum, 30000);
        QCOMPARE(format.frameRateDen, 1001);
        QCOMPARE(format.videoBitRate, 5000);
        QCOMPARE(format.audioBitRate, 160);
        // Missing units give zeros, an empty encoder code -1.
        detail.videoEncoder.clear();
        detail.sampleRateDefault = "48000";
        fillFormatSetting(&detail, QualityHigh, nullptr, &format);
        QCOMPARE(format.videoCodecId, -1);
        QCOMPARE(format.sampleRate, 0);
        fillFormatSetting(nullptr, QualityHigh, nullptr, &format);
        fillFormatSetting(&detail, QualityHigh, nullptr, nullptr);
        buildFormatSetting(QStringLiteral("General Video"), QStringLiteral("4000"), QualityHigh, nullptr);
    }

    void resetOnDefaultProfilesWritesNothing() {
        resetFormat();
        const QByteArray settings = fileContent(settingsFilePath());
        const QByteArray formats = fileContent(formatSettingFilePath());
        QVERIFY(saveDefaultFormat());
        QCOMPARE(fileContent(settingsFilePath()), settings);
        QCOMPARE(fileContent(formatSettingFilePath()), formats);
    }

    void resetStoresSmallSizeOnACleanFormatFile() {
        writeSettingValue(QStringLiteral("FormatSet"), QStringLiteral("Video_Id"), QStringLiteral("4002"));
        resetFormat();
        QCOMPARE(videoFormatName()->id, QStringLiteral("4002"));
        QVERIFY(!QFile::exists(formatSettingFilePath()));
        saveDefaultFormat();
        QCOMPARE(readSettingValue(QStringLiteral("FormatSet"), QStringLiteral("Video_Id"), QString()),
                 QStringLiteral("4000"));
        QCOMPARE(readSettingValue(QStringLiteral("FormatSet"), QStringLiteral("Video_Categories"), QString()),
                 QStringLiteral("General Video"));
        // The preset is kept although the file had no element for the profile yet.
        QCOMPARE(formatElementAttribute(QStringLiteral("4000"), QStringLiteral("QUALITY_VALUE")), QStringLiteral("1"));
        QCOMPARE(formatElementAttribute(QStringLiteral("4000"), QStringLiteral("Video_Quality")), QStringLiteral("0"));
        QCOMPARE(videoFormatName()->id, QStringLiteral("4000"));
        QCOMPARE(g_storedVideoFormat->quality, 50);
        // The audio mode stood on its default and was left alone.
        QCOMPARE(formatElementAttribute(QStringLiteral("5000"), QStringLiteral("QUALITY_VALUE")),
                 QStringLiteral("(no element)"));
    }

    // A reset that cannot be saved (a full disk) says so; the stored choice stays what it
    // was, and a later reset that can be saved is.
    void resetThatCannotBeSavedSaysSo() {
        QVERIFY(writeSettingValue(QStringLiteral("FormatSet"), QStringLiteral("Video_Id"), QStringLiteral("4002")));
        resetFormat();
        QCOMPARE(videoFormatName()->id, QStringLiteral("4002"));
        {
            FileSizeLimit full(0);
            QVERIFY(!saveDefaultFormat());
        }
        QCOMPARE(readSettingValue(QStringLiteral("FormatSet"), QStringLiteral("Video_Id"), QString()),
                 QStringLiteral("4002"));
        QCOMPARE(videoFormatName()->id, QStringLiteral("4002"));
        QVERIFY(saveDefaultFormat());
        QCOMPARE(readSettingValue(QStringLiteral("FormatSet"), QStringLiteral("Video_Id"), QString()),
                 QStringLiteral("4000"));
    }

    // A stored profile the catalogue no longer has falls back to the mode's default
    // profile (a recording with it would have no encoder); the log says so once.
    void unknownStoredProfileFallsBackToDefault() {
        writeSettingValue("FormatSet", "Video_Categories", "General Video");
        writeSettingValue("FormatSet", "Video_Id", "4999");
        writeSettingValue("FormatSet", "Audio_Categories", "Gone");
        writeSettingValue("FormatSet", "Audio_Id", "5000");
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("4999.*not in the catalogue"));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("Gone/5000.*not in the catalogue"));
        resetFormat();
        QCOMPARE(videoFormatName()->id, QStringLiteral("4000"));
        QCOMPARE(videoFormatName()->title, QStringLiteral("MP4 (H.264)"));
        QVERIFY(g_storedVideoFormat->videoCodecId > 0);
        QCOMPARE(audioFormatName()->category, QStringLiteral("General Audio"));
        QVERIFY(g_storedAudioFormat->audioCodecId > 0);
        resetFormat(); // told once: no second warning
    }

    void recordsLiveFromInitToFree() {
        g_currentFormat = g_storedAudioFormat;
        freeFormatNameGlobals();
        QVERIFY(!g_storedVideoFormat && !g_storedAudioFormat && !g_currentFormat);
        QVERIFY(!videoFormatName() && !audioFormatName());
        resetFormat(); // without records nothing is filled, and nothing breaks
        initFormatNameGlobals();
        QVERIFY(g_storedVideoFormat && g_storedAudioFormat && videoFormatName() && audioFormatName());
        QVERIFY(videoFormatName()->id.isEmpty());
    }

    void unreadableCatalogueIsReportedOnce() {
        // The catalogue is read once per process from the program's folder: run a copy of
        // this test from a folder without "profile/".
        if (qEnvironmentVariableIsSet("CALVORINE_FORMATS_CHILD")) {
            resetFormat();
            loadCurrentFormat(true);
            saveDefaultFormat();
            QCOMPARE(m_problems.size(), 1);
            QVERIFY(!formatCatalogue()->loadError().empty() || formatCatalogue()->categories().empty());
            QCOMPARE(g_storedVideoFormat->videoCodecId, -1);
            QCOMPARE(g_storedAudioFormat->audioCodecId, -1);
            QVERIFY(videoFormatName()->title.isEmpty());
            return;
        }
        QTemporaryDir folder;
        const QString copy = folder.filePath(QStringLiteral("tst_current_format"));
        QVERIFY(QFile::copy(QCoreApplication::applicationFilePath(), copy));
        QProcess child;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("CALVORINE_FORMATS_CHILD"), QStringLiteral("1"));
        child.setProcessEnvironment(environment);
        child.setProcessChannelMode(QProcess::MergedChannels);
        child.start(copy, {QStringLiteral("unreadableCatalogueIsReportedOnce")});
        QVERIFY(child.waitForFinished(120000));
        const QByteArray output = child.readAll();
        QVERIFY2(child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0, output.constData());
        QVERIFY2(output.contains("PASS   : TestCurrentFormat::unreadableCatalogueIsReportedOnce()"),
                 output.constData());
    }
};

QTEST_GUILESS_MAIN(TestCurrentFormat)
#include "tst_current_format.moc"
