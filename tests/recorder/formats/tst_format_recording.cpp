// Every profile of the shipped catalogue, and every encoder it offers, records one second
// through the codec library; ffprobe, the independent reader, finds the codecs, the size
// and the rates the format asked for.
#include "recorder/CurrentFormat.h"

#include "app/AppGlobals.h"
#include "app/FormatSettingFile.h"
#include "media/CProfileManager.h"
#include "media/OutputFormatSetting.h"
#include "platform/codec/calvorine_codec.h"
#include "platform/system/clock.h"
#include "tests/support/Ffprobe.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>
#include <vector>

namespace {

constexpr int kCaptureWidth = 320;
constexpr int kCaptureHeight = 240;

// What ffprobe calls the streams our codec names produce.
QString probedCodecName(const QString& encoder) {
    static const QMap<QString, QString> names{
        {"H264", "h264"},  {"H265", "hevc"}, {"MP4V", "mpeg4"}, {"VP9", "vp9"},
        {"WMV2", "wmv2"},  {"AAC", "aac"},   {"MP3", "mp3"},    {"OGG", "vorbis"},
        {"wma2", "wmav2"}, {"flac", "flac"}, {"alac", "alac"},  {"PCM", "pcm_s16le"},
    };
    return names.value(encoder, "(unknown " + encoder + ")");
}

// The stream settings a recording gives the codec library for a format: the capture size
// where the format has none, quality unless a bit rate rules.
cvcodec_params streamParameters(const OutputFormatSetting& format) {
    cvcodec_params params = cvcodec_params_create();
    cvcodec_params_set_video_codec(params, format.audioOnly ? -1 : format.videoCodecId);
    cvcodec_params_set_audio_codec(params, format.audioCodecId);
    if (format.videoCodecId == CVCODEC_H264 || format.videoCodecId == CVCODEC_H265) {
        cvcodec_params_set_speed_preset(params, 2);
        cvcodec_params_set_profile(params, format.videoCodecId == CVCODEC_H264 ? 66 : 1);
    }
    if (!format.audioOnly) {
        cvcodec_params_set_video_size(params, format.width ? format.width : kCaptureWidth,
                                      format.height ? format.height : kCaptureHeight);
        if (format.frameRateNum != 0)
            cvcodec_params_set_frame_rate(params, format.frameRateNum, format.frameRateDen);
        if (format.quality == -1) {
            if (format.videoBitRate != 0)
                cvcodec_params_set_video_bit_rate(params, format.videoBitRate * 1000);
        } else {
            cvcodec_params_set_video_quality(params, format.quality);
        }
    }
    cvcodec_params_set_channels(params, format.channels ? format.channels : 2);
    cvcodec_params_set_sample_rate(params, format.sampleRate ? format.sampleRate : 44100);
    if (format.audioBitRate != 0)
        cvcodec_params_set_audio_bit_rate(params, format.audioBitRate * 1000);
    return params;
}

// One second of a moving picture at 30 fps and a 440 Hz tone in 10 ms pieces, pushed in
// real time as the capture timers and threads do: sound is stamped on the recording's
// clock, which starts when the file is opened (originUs).
void pushOneSecond(cvcodec_recorder recorder, bool video, int64_t originUs) {
    using calvorine::platform::monotonicMicroseconds;
    std::vector<uint8_t> pixels(size_t(kCaptureWidth) * kCaptureHeight * 4);
    std::vector<int16_t> samples(441 * 2);
    cvcodec_frame picture = cvcodec_frame_create();
    cvcodec_frame sound = cvcodec_frame_create();
    const int64_t begin = monotonicMicroseconds();
    int64_t nextPictureUs = 0, nextSoundUs = 0, sampleIndex = 0;
    int pictureIndex = 0;
    for (int64_t elapsed = 0; elapsed < 1000000; elapsed = monotonicMicroseconds() - begin) {
        if (video && elapsed >= nextPictureUs) {
            for (size_t i = 0; i < pixels.size(); ++i)
                pixels[i] = uint8_t(i / 4 % kCaptureWidth + pictureIndex * 4 + i % 4 * 60);
            cvcodec_frame_set_pixel_format(picture, CVCODEC_PIXEL_BGRA);
            cvcodec_frame_set_size(picture, kCaptureWidth, kCaptureHeight);
            cvcodec_frame_set_plane(picture, 0, pixels.data(), kCaptureWidth * 4);
            cvcodec_recorder_push_video(recorder, picture);
            ++pictureIndex;
            nextPictureUs += 1000000 / 30;
        }
        if (elapsed >= nextSoundUs) {
            for (int i = 0; i < 441; ++i, ++sampleIndex)
                samples[2 * i] = samples[2 * i + 1] = int16_t(8000 * std::sin(2 * M_PI * 440 * sampleIndex / 44100.0));
            cvcodec_frame_set_sample_format(sound, CVCODEC_SAMPLE_S16);
            cvcodec_frame_set_sample_rate(sound, 44100);
            cvcodec_frame_set_channels(sound, 2);
            cvcodec_frame_set_samples(sound, samples.data(), 441);
            cvcodec_frame_set_timestamp(sound, monotonicMicroseconds() - originUs);
            cvcodec_recorder_push_audio(recorder, sound);
            nextSoundUs += 10000;
        }
        calvorine::platform::sleepForMicroseconds(2000);
    }
    cvcodec_frame_release(picture);
    cvcodec_frame_release(sound);
}

} // namespace

class TestFormatRecording : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_data;
    QTemporaryDir m_output;

    // Records with the current video or audio record and checks the file.
    void recordAndProbe(const OutputFormatSetting& format, const QString& label) {
        const QString path = m_output.filePath(QString(label).replace('/', '_') + "." + format.extension);
        cvcodec_params params = streamParameters(format);
        cvcodec_recorder recorder = cvcodec_recorder_create(-1);
        const bool opened = cvcodec_recorder_open(recorder, path.toUtf8().constData(),
                                                  format.container.toLower().toUtf8().constData(), params) != 0;
        // The recorder's clock starts with the open, as the program takes it: an origin
        // from before would place the sound as late as the encoder took to open.
        const int64_t originUs = calvorine::platform::monotonicMicroseconds();
        if (opened)
            pushOneSecond(recorder, !format.audioOnly, originUs);
        cvcodec_recorder_stop(recorder);
        cvcodec_recorder_close(recorder);
        cvcodec_recorder_release(recorder);
        cvcodec_params_release(params);
        QVERIFY2(opened, qPrintable(label + ": the codec library refused the format"));

        const QJsonObject probed = ffprobe::probe(path);
        QVERIFY2(!probed.isEmpty(), qPrintable(label + ": ffprobe could not read " + path));
        const double seconds = probed.value("format").toObject().value("duration").toString().toDouble();
        QVERIFY2(seconds > 0.7 && seconds < 1.6, qPrintable(label + ": duration " + QString::number(seconds)));

        const QJsonObject audio = ffprobe::stream(probed, "audio");
        QCOMPARE(audio.value("codec_name").toString(), probedCodecName(format.audioCodec));
        QCOMPARE(audio.value("sample_rate").toString().toInt(), format.sampleRate);
        QCOMPARE(audio.value("channels").toInt(), format.channels);

        const QJsonObject video = ffprobe::stream(probed, "video");
        if (format.audioOnly) {
            QVERIFY2(video.isEmpty(), qPrintable(label + ": a sound format with a picture"));
            return;
        }
        QCOMPARE(video.value("codec_name").toString(), probedCodecName(format.videoCodec));
        QCOMPARE(video.value("width").toInt(), format.width ? format.width : kCaptureWidth);
        QCOMPARE(video.value("height").toInt(), format.height ? format.height : kCaptureHeight);
        const QString offGrid = ffprobe::picturesOffTheGrid(path, double(format.frameRateNum) / format.frameRateDen);
        QVERIFY2(offGrid.isEmpty(), qPrintable(label + ": " + offGrid));
    }

private slots:
    void initTestCase() {
        QVERIFY(m_data.isValid() && m_output.isValid());
        qputenv("XDG_DATA_HOME", m_data.path().toLocal8Bit());
        setFormatCatalogueProblemHandler([](const QString& message) { QFAIL(qPrintable(message)); });
        cvcodec_set_log_level(qEnvironmentVariableIsSet("CALVORINE_CODEC_LOG") ? 3 : 1);
    }

    void everyProfile_data() {
        QTest::addColumn<QString>("category");
        QTest::addColumn<QString>("id");
        QTest::addColumn<QString>("videoEncoder");
        QTest::addColumn<QString>("audioEncoder");
        CProfileManager* catalogue = formatCatalogue();
        for (const std::string& category : catalogue->categories()) {
            std::vector<ProfileItem> profiles;
            for (const ProfileItem* item : *catalogue->profilesOf(category))
                profiles.push_back(*item);
            for (const ProfileItem& item : profiles) {
                const QString cat = QString::fromStdString(category);
                const QString id = QString::fromStdString(item.id);
                QTest::addRow("%s %s", item.id.c_str(), item.title.c_str()) << cat << id << QString() << QString();
                const ProfileDetail detail = *catalogue->readProfileDetail(category, item.id, "", "", "", "");
                for (const std::string& encoder : detail.videoEncoders) {
                    if (encoder != "Auto" && encoder != detail.videoEncoder)
                        QTest::addRow("%s video %s", item.id.c_str(), encoder.c_str())
                            << cat << id << QString::fromStdString(encoder) << QString();
                }
                for (const std::string& encoder : detail.audioEncoders) {
                    if (encoder != "Auto" && encoder != detail.audioEncoder)
                        QTest::addRow("%s audio %s", item.id.c_str(), encoder.c_str())
                            << cat << id << QString() << QString::fromStdString(encoder);
                }
            }
        }
    }

    void everyProfile() {
        QFETCH(QString, category);
        QFETCH(QString, id);
        QFETCH(QString, videoEncoder);
        QFETCH(QString, audioEncoder);
        int mode = QualityHigh;
        if (!videoEncoder.isEmpty() || !audioEncoder.isEmpty()) {
            // Another encoder is a customized format; everything else is left to the profile.
            FormatSetting custom;
            custom.videoEncoder = videoEncoder.isEmpty() ? QStringLiteral("Auto") : videoEncoder;
            custom.audioEncoder = audioEncoder.isEmpty() ? QStringLiteral("Auto") : audioEncoder;
            custom.videoResolution = custom.videoFrameRate = custom.videoBitRate = custom.videoQuality =
                custom.audioChannels = custom.audioSampleRate = custom.audioBitRate = QStringLiteral("Auto");
            writeFormatSetting(id, custom);
            mode = QualityCustomized;
        }
        OutputFormatSetting format;
        buildFormatSetting(category, id, mode, &format);
        if (!videoEncoder.isEmpty())
            QCOMPARE(format.videoCodec, videoEncoder);
        if (!audioEncoder.isEmpty())
            QCOMPARE(format.audioCodec, audioEncoder);
        recordAndProbe(format, QTest::currentDataTag());
    }
};

QTEST_GUILESS_MAIN(TestFormatRecording)
#include "tst_format_recording.moc"
