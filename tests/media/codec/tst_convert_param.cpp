// Conversion parameters: filling from an output format, copying, and a recording made
// with the stream settings they give (read back with ffprobe).
#include "media/ConvertParam.h"
#include "media/OutputFormatSetting.h"
#include "platform/codec/calvorine_codec.h"
#include "platform/system/clock.h"
#include "tests/support/Ffprobe.h"
#include "tests/support/RecordingFormats.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <cstring>
#include <vector>

namespace {

// H.264 at 1500 kbit/s with mono AAC at 48 kHz, named in the catalogue's capitals (the
// filled record's name is lowered).
OutputFormatSetting mp4Format() {
    OutputFormatSetting format = testformats::h264AacFormat(25, 1500, testformats::AacSound{1, 48000, 96});
    format.container = "MP4";
    return format;
}

} // namespace

class ConvertParamTest : public QObject {
    Q_OBJECT

private slots:
    void fillsFromAVideoFormat();
    void audioOnlyFormatHasNoPicture();
    void oggBelow32kHzCapsTheBitRate();
    void containerFlag_data();
    void containerFlag();
    void fillingKeepsNeutralSpeedAndVolume();
    void copyOwnsNameAndEveryCoverByte();
    void streamSettingsRecordAsDescribed();
};

void ConvertParamTest::fillsFromAVideoFormat() {
    ConvertParam param;
    param.tags.title = "left over";
    param.trimStartUs = 99;
    fillFormatParams(param, mp4Format(), QSize(1280, 720));
    QCOMPARE(QString(param.name), QString("mp4"));
    QCOMPARE(param.videoCodecId, int32_t(CVCODEC_H264));
    QCOMPARE(param.audioCodecId, int32_t(CVCODEC_AAC));
    QCOMPARE(param.videoWidth, 1280); // 0 in the format: the capture size
    QCOMPARE(param.videoHeight, 720);
    QCOMPARE(param.frameRateNumerator, 25);
    QCOMPARE(param.frameRateDenominator, 1);
    QCOMPARE(param.frameRateHundredths, 0);
    QCOMPARE(param.videoBitRate, 1500);
    QCOMPARE(param.videoQuality, -1);
    QCOMPARE(param.audioQuality, -1);
    QCOMPARE(param.channels, 1);
    QCOMPARE(param.sampleRate, 48000);
    QCOMPARE(param.audioBitRate, 96);
    QCOMPARE(param.containerFlag, 0);
    QVERIFY(param.tags.title.empty());
    QCOMPARE(param.trimStartUs, int64_t(0));

    OutputFormatSetting sized = mp4Format();
    sized.width = 640;
    sized.height = 360;
    fillFormatParams(param, sized, QSize(1280, 720));
    QCOMPARE(param.videoWidth, 640);
    QCOMPARE(param.videoHeight, 360);
}

void ConvertParamTest::audioOnlyFormatHasNoPicture() {
    OutputFormatSetting format = mp4Format();
    format.audioOnly = true;
    format.container = "mp3";
    format.videoCodecId = CVCODEC_H264; // ignored for an audio-only format
    format.width = 640;
    format.height = 480;
    ConvertParam param;
    fillFormatParams(param, format, QSize(1280, 720));
    QCOMPARE(param.videoCodecId, -1);
    QCOMPARE(param.videoWidth, 0);
    QCOMPARE(param.videoHeight, 0);
}

void ConvertParamTest::oggBelow32kHzCapsTheBitRate() {
    OutputFormatSetting format = mp4Format();
    format.audioCodec = "OGG";
    format.sampleRate = 22050;
    format.audioBitRate = 192;
    ConvertParam param;
    fillFormatParams(param, format, QSize(10, 10));
    QCOMPARE(param.audioBitRate, 160);
    format.sampleRate = 32000; // not below 32 kHz
    fillFormatParams(param, format, QSize(10, 10));
    QCOMPARE(param.audioBitRate, 192);
    format.audioCodec = "AAC";
    format.sampleRate = 22050;
    fillFormatParams(param, format, QSize(10, 10));
    QCOMPARE(param.audioBitRate, 192);
}

void ConvertParamTest::containerFlag_data() {
    QTest::addColumn<QString>("container");
    QTest::addColumn<int>("flag");
    QTest::newRow("avi") << "avi" << 1;
    QTest::newRow("AVI") << "AVI" << 1;
    QTest::newRow("mpegts") << "MpegTS" << 1;
    QTest::newRow("mpeg1video") << "mpeg1video" << 1;
    QTest::newRow("matroska") << "matroska" << 0;
}

void ConvertParamTest::containerFlag() {
    QFETCH(QString, container);
    QFETCH(int, flag);
    OutputFormatSetting format = mp4Format();
    format.container = container;
    ConvertParam param;
    fillFormatParams(param, format, QSize(10, 10));
    QCOMPARE(param.containerFlag, flag);
    QCOMPARE(QString(param.name), container.toLower());
}

void ConvertParamTest::fillingKeepsNeutralSpeedAndVolume() {
    // A record filled for a recording may be copied into a conversion: its speed must
    // stay 100 %, not 0 (which would divide chapter times by zero).
    ConvertParam param;
    param.rates[1] = 250;
    param.encoderValues[2] = 40;
    fillFormatParams(param, mp4Format(), QSize(10, 10));
    QCOMPARE(param.rates[0], 100);
    QCOMPARE(param.rates[1], 100);
    QCOMPARE(param.rates[2], 100);
    QCOMPARE(param.encoderValues[2], 100);
    QCOMPARE(param.encoderValues[3], 100);
    QCOMPARE(speedPercent(param), 100);
    param.rates[1] = 0;
    QCOMPARE(speedPercent(param), 100);
    param.rates[1] = 50;
    QCOMPARE(speedPercent(param), 50);
}

void ConvertParamTest::copyOwnsNameAndEveryCoverByte() {
    auto* source = new ConvertParam;
    source->setName("matroska");
    std::vector<uint8_t> cover(5000);
    for (size_t i = 0; i < cover.size(); ++i)
        cover[i] = uint8_t(i * 7);
    cover[10] = 0; // bytes, not text
    source->setCover(cover.data(), int32_t(cover.size()));
    source->tags.cover_image.assign(reinterpret_cast<const char*>(cover.data()), cover.size());
    source->tags.coverSize = int32_t(cover.size());
    source->tagsOnly = true;
    source->lastValue = 7;

    ConvertParam copy(*source);
    ConvertParam assigned;
    assigned.setName("old");
    assigned.setCover("xy", 2);
    assigned = *source;
    delete source; // the copies own their buffers
    for (const ConvertParam* param : {&copy, &assigned}) {
        QCOMPARE(QString(param->name), QString("matroska"));
        QCOMPARE(param->coverSize, int32_t(cover.size()));
        QVERIFY(std::memcmp(param->coverBuffer, cover.data(), cover.size()) == 0);
        QCOMPARE(param->tags.cover_image.size(), cover.size());
        QCOMPARE(param->tags.coverSize, int32_t(cover.size()));
        QVERIFY(param->tagsOnly);
        QCOMPARE(param->lastValue, 7);
    }
    QVERIFY(copy.coverBuffer != assigned.coverBuffer);
    assigned = assigned; // self-assignment keeps everything
    QCOMPARE(QString(assigned.name), QString("matroska"));
    QCOMPARE(assigned.coverSize, int32_t(cover.size()));

    ConvertParam empty;
    assigned = empty;
    QVERIFY(!assigned.name);
    QVERIFY(!assigned.coverBuffer);
    QCOMPARE(assigned.coverSize, 0);
}

void ConvertParamTest::streamSettingsRecordAsDescribed() {
    QTemporaryDir dir;
    const QString path = dir.filePath("stream.mp4");
    ConvertParam param;
    OutputFormatSetting format = mp4Format();
    format.width = 321; // odd: padded to even by the library
    format.height = 180;
    fillFormatParams(param, format, QSize(1280, 720));
    cvcodec_params params = cvcodec_params_create();
    configureStream(params, param);
    cvcodec_recorder recorder = cvcodec_recorder_create(-1);
    QVERIFY(cvcodec_recorder_open(recorder, path.toUtf8().constData(), param.name, params));
    cvcodec_params_release(params);

    std::vector<uint8_t> pixels(size_t(640) * 360 * 4, 128);
    cvcodec_frame frame = cvcodec_frame_create();
    const int64_t begin = calvorine::platform::monotonicMicroseconds();
    while (calvorine::platform::monotonicMicroseconds() - begin < 500000) {
        cvcodec_frame_set_pixel_format(frame, CVCODEC_PIXEL_BGRA);
        cvcodec_frame_set_size(frame, 640, 360); // captured larger: scaled to the format
        cvcodec_frame_set_plane(frame, 0, pixels.data(), 640 * 4);
        cvcodec_recorder_push_video(recorder, frame);
        calvorine::platform::sleepForMicroseconds(20000);
    }
    cvcodec_frame_release(frame);
    QVERIFY(cvcodec_recorder_stop(recorder));
    cvcodec_recorder_release(recorder);

    const QJsonObject probed = ffprobe::probe(path);
    const QJsonObject video = ffprobe::stream(probed, "video");
    QCOMPARE(video.value("codec_name").toString(), QString("h264"));
    QCOMPARE(video.value("profile").toString(), QString("Constrained Baseline"));
    QCOMPARE(video.value("width").toInt(), 322);
    QCOMPARE(video.value("height").toInt(), 180);
    const QString offGrid = ffprobe::picturesOffTheGrid(path, 25);
    QVERIFY2(offGrid.isEmpty(), qPrintable(offGrid));
    const QJsonObject audio = ffprobe::stream(probed, "audio");
    QCOMPARE(audio.value("codec_name").toString(), QString("aac"));
    QCOMPARE(audio.value("sample_rate").toString(), QString("48000"));
    QCOMPARE(audio.value("channels").toInt(), 1);
}

QTEST_GUILESS_MAIN(ConvertParamTest)
#include "tst_convert_param.moc"
