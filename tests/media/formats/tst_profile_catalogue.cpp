// The output-format catalogue: its rules over a small catalogue written here, its
// behaviour with missing and damaged files, and the shipped catalogue itself.
#include "media/CProfileManager.h"
#include "media/FormatTables.h"

#include <QFile>
#include <QImage>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QtTest>

using Plist::Dictionary;
using Strings = std::vector<std::string>;

namespace {

QByteArray key(const QByteArray& name) {
    return "<key>" + name + "</key>";
}
QByteArray text(const QByteArray& name, const QByteArray& value) {
    return key(name) + "<string>" + value + "</string>";
}
QByteArray dict(const QByteArray& body) {
    return "<dict>" + body + "</dict>";
}
QByteArray values(const QByteArray& supports, const QByteArray& def, const QByteArray& low = QByteArray(),
                  const QByteArray& high = QByteArray()) {
    QByteArray body = text("supports", supports) + text("default", def);
    if (!low.isNull())
        body += text("low", low);
    if (!high.isNull())
        body += text("high", high);
    return dict(body);
}
QByteArray videoEntry(const QByteArray& fourcc, const QByteArray& size, const QByteArray& bitrates) {
    return dict(text("fourcc", fourcc) + text("resolution", size) + key("videobitrate") + bitrates + key("framerate") +
                values("25,30", "30"));
}
QByteArray audioEntry(const QByteArray& fourcc, const QByteArray& channel, const QByteArray& bitrates) {
    return dict(text("fourcc", " " + fourcc + " ") + text("channel", channel) + key("audiobitrate") + bitrates +
                key("samplerate") + values("44100,48000", "44100"));
}
QByteArray baseInfo(const QByteArray& id, const QByteArray& autoFlag) {
    return key("baseinfo") + dict(text("title", "Profile " + id) + text("id", id) + text("ext", "mp4") +
                                  text("icon", "icon" + id) + text("auto", autoFlag));
}
QByteArray standardAudio(const QByteArray& defaultEncoder) {
    return key("audioencoders") + values("AAC,MP3", defaultEncoder) + key("channels") + dict(text("default", "2")) +
           key("audioparams") + "<array>" + audioEntry("AAC", "2", values("96,128", "128", "", "")) +
           audioEntry("AAC", "1", values("64", "64", "48", "64")) +
           audioEntry("MP3", "2", values("64,0,192", "128", "64", "192")) + "</array>";
}
QByteArray videoPart(const QByteArray& supports, const QByteArray& filter = QByteArray()) {
    QByteArray encoders = text("supports", supports) + text("default", " H264 ");
    if (!filter.isNull())
        encoders += text("filter", filter);
    return key("videoencoders") + dict(encoders) + key("resolution") + dict(text("default", "1280*720")) +
           key("videoparams") + "<array>" + videoEntry("H264", "1920*1080", values("0,4000", "4000")) +
           videoEntry("H264", "1280*720", values("1000,2000,3000", "2000", "1000", "3000")) +
           videoEntry("MP4V", "1280*720", values("3000", "3000", "2000", "4000")) + "</array>";
}

// Profiles: 1 video with "Auto" choices; 2 audio only; 3 and 5 with a filter; 4 with an
// empty "videoencoders".
QByteArray testCatalogue() {
    const QByteArray profiles =
        dict(baseInfo("1", "1") + videoPart(" H264 , 0,MP4V") + standardAudio("AAC")) +
        dict(baseInfo("2", "0") + standardAudio("MP3")) +
        dict(baseInfo("3", "1") + videoPart("H264,MP4V", "H264:AAC,MP3|MP4V:MP3") + standardAudio("MP3")) +
        dict(baseInfo("4", "0") + key("videoencoders") + "<dict/>" + standardAudio("AAC")) +
        dict(baseInfo("5", "0") + videoPart("H264", "H264:AAC") + standardAudio("MP3"));
    return "<plist version=\"1.0\">" +
           dict(key("Categories") + "<array><string>Test</string><string>Other</string></array>" + key("Codecs") +
                dict(text("AAC ", "Advanced Audio") + text("H264", "AVC")) + key("Test") + "<array>" + profiles +
                "</array>") +
           "</plist>";
}

// Every field, to compare two records.
QStringList describe(const ProfileDetail& d) {
    QStringList out;
    auto add = [&](const std::string& value) { out << QString::fromStdString(value); };
    auto addList = [&](const Strings& list) {
        QStringList parts;
        for (const std::string& item : list)
            parts << QString::fromStdString(item);
        out << parts.join('|');
    };
    out << QString::number(d.audioOnly) << QString::number(d.hasAuto);
    for (const Strings* list : {&d.videoEncoders, &d.resolutions, &d.frameRates, &d.videoBitrates, &d.audioEncoders,
                                &d.channelList, &d.sampleRates, &d.audioBitrates})
        addList(*list);
    for (const std::string* value :
         {&d.ext, &d.category, &d.id, &d.videoEncoder, &d.resolution, &d.videoBitrateLow, &d.videoBitrateHigh,
          &d.videoBitrateDefault, &d.frameRateDefault, &d.audioEncoder, &d.channels, &d.audioBitrateLow,
          &d.audioBitrateHigh, &d.audioBitrateDefault, &d.sampleRateDefault})
        add(*value);
    return out;
}

// The form an id is looked up in "Codecs" by, which is what comes back when it has no
// display name.
std::string padded(const std::string& id) {
    return id.size() == 3 ? id + " " : id;
}

// Audio codec codes run from 0x10000; video codes lie below, apart from the few that are
// four characters themselves ("H265").
bool isAudioCode(int32_t code) {
    return code >= 0x10000 && code < 0x20000;
}

int leadingNumber(const std::string& text) {
    return std::atoi(text.c_str());
}

} // namespace

class TestProfileCatalogue : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    std::string writeFile(const QString& name, const QByteArray& content) {
        QFile file(m_dir.filePath(name));
        if (!file.open(QIODevice::WriteOnly))
            return std::string();
        file.write(content);
        return file.fileName().toStdString();
    }

    static std::string shippedPath() {
        return (qEnvironmentVariable("CALVORINE_APP_DIR") + "/profile/profiles_win.plist").toStdString();
    }

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void listSplitting() {
        Strings list;
        splitList(" a ,0,c", list);
        QCOMPARE(list, (Strings{"a", "Auto", "c"}));
        list.clear();
        splitListWithUnit("0, 128 ,,", " kbps", list);
        QCOMPARE(list, (Strings{"Auto", "128 kbps"}));
        list.clear();
        splitList("", list);
        splitListWithUnit("", " fps", list);
        QVERIFY(list.empty());
        splitSection("H264:AAC,MP3|MP4V:MP3", "MP4V", list);
        QCOMPARE(list, (Strings{"MP3"}));
        list.clear();
        splitSection("H264:AAC,MP3|MP4V:MP3", "VP9", list);
        splitSection("H264", "H264", list);
        QVERIFY(list.empty());
        QCOMPARE(trimBlanks("  a b  "), std::string("a b"));
        QCOMPARE(trimBlanks("\ta "), std::string("\ta"));
    }

    void videoProfileDetail() {
        CProfileManager catalogue(writeFile("test.plist", testCatalogue()));
        QVERIFY(catalogue.loadError().empty());
        const ProfileDetail defaults = *catalogue.readProfileDetail("Test", "1", "", "", "", "");
        QVERIFY(!defaults.audioOnly);
        QVERIFY(defaults.hasAuto);
        QCOMPARE(defaults.videoEncoders, (Strings{"Auto", "H264", "Auto", "MP4V"}));
        QCOMPARE(defaults.videoEncoder, std::string("H264"));
        QCOMPARE(defaults.resolutions, (Strings{"Auto", "1920*1080", "1280*720"}));
        QCOMPARE(defaults.resolution, std::string("1280*720"));
        QCOMPARE(defaults.videoBitrates, (Strings{"Auto", "1000 kbps", "2000 kbps", "3000 kbps"}));
        QCOMPARE(defaults.videoBitrateLow, std::string("1000 kbps"));
        QCOMPARE(defaults.videoBitrateHigh, std::string("3000 kbps"));
        QCOMPARE(defaults.videoBitrateDefault, std::string("2000 kbps"));
        QCOMPARE(defaults.frameRates, (Strings{"Auto", "25 fps", "30 fps"}));
        QCOMPARE(defaults.frameRateDefault, std::string("30 fps"));
        QCOMPARE(defaults.audioEncoders, (Strings{"Auto", "AAC", "MP3"}));
        QCOMPARE(defaults.audioEncoder, std::string("AAC"));
        QCOMPARE(defaults.channelList, (Strings{"Auto", "2", "1"}));
        QCOMPARE(defaults.channels, std::string("2"));
        // Empty audio low/high fall back to the default.
        QCOMPARE(defaults.audioBitrateLow, std::string("128 kbps"));
        QCOMPARE(defaults.audioBitrateHigh, std::string("128 kbps"));
        QCOMPARE(defaults.sampleRates, (Strings{"Auto", "44100 HZ", "48000 HZ"}));
        QCOMPARE(defaults.sampleRateDefault, std::string("44100 HZ"));
        QCOMPARE(defaults.ext, std::string("mp4"));
        QCOMPARE(defaults.category, std::string("Test"));
        QCOMPARE(defaults.id, std::string("1"));

        // "Auto" choices are the defaults.
        QCOMPARE(describe(*catalogue.readProfileDetail("Test", "1", "Auto", "Auto", "Auto", "Auto")),
                 describe(defaults));

        // A size the encoder does not have falls back to its first entry, whose empty
        // low/high read as the bare unit.
        const ProfileDetail* unknownSize = catalogue.readProfileDetail("Test", "1", "", "800*600", "", "");
        QCOMPARE(unknownSize->resolution, std::string("1920*1080"));
        QCOMPARE(unknownSize->videoBitrateLow, std::string(" kbps"));
        QCOMPARE(unknownSize->videoBitrateHigh, std::string(" kbps"));
        QCOMPARE(unknownSize->videoBitrates, (Strings{"Auto", "Auto", "4000 kbps"}));

        // Choices select the encoder's own entries.
        const ProfileDetail* chosen = catalogue.readProfileDetail("Test", "1", "MP4V", "", "MP3", "");
        QCOMPARE(chosen->resolutions, (Strings{"Auto", "1280*720"}));
        QCOMPARE(chosen->videoBitrateHigh, std::string("4000 kbps"));
        QCOMPARE(chosen->audioEncoder, std::string("MP3"));
        QCOMPARE(chosen->channelList, (Strings{"Auto", "2"}));
        QCOMPARE(chosen->audioBitrates, (Strings{"Auto", "64 kbps", "Auto", "192 kbps"}));
        QCOMPARE(chosen->audioBitrateLow, std::string("64 kbps"));
        const ProfileDetail* mono = catalogue.readProfileDetail("Test", "1", "", "", "", "1");
        QCOMPARE(mono->channels, std::string("1"));
        QCOMPARE(mono->audioBitrateHigh, std::string("64 kbps"));
    }

    void audioOnlyAndMissingProfiles() {
        CProfileManager catalogue(writeFile("test.plist", testCatalogue()));
        for (const char* id : {"2", "4"}) {
            const ProfileDetail* audio = catalogue.readProfileDetail("Test", id, "", "", "", "");
            QVERIFY(audio->audioOnly);
            QVERIFY(audio->videoEncoders.empty() && audio->resolutions.empty() && audio->frameRates.empty());
            QVERIFY(audio->videoEncoder.empty() && audio->resolution.empty() && audio->videoBitrateDefault.empty());
            QVERIFY(!audio->audioEncoder.empty());
            QVERIFY(!audio->hasAuto);
            QCOMPARE(audio->audioEncoders, (Strings{"AAC", "MP3"}));
        }
        QVERIFY(!catalogue.readProfileDetail("Test", "", "", "", "", ""));
        QVERIFY(!catalogue.readProfileDetail("", "1", "", "", "", ""));
        const ProfileDetail* none = catalogue.readProfileDetail("Test", "99", "", "", "", "");
        QVERIFY(none);
        QCOMPARE(none->id, std::string("99"));
        QVERIFY(none->audioEncoders.empty() && none->ext.empty());
    }

    void filteredAudioEncoders() {
        CProfileManager catalogue(writeFile("test.plist", testCatalogue()));
        // The filter lists the audio encoders per video encoder, without "Auto"; the
        // default audio encoder comes from "audioencoders" so that the recording has sound.
        const ProfileDetail* h264 = catalogue.readProfileDetail("Test", "3", "", "", "", "");
        QCOMPARE(h264->audioEncoders, (Strings{"AAC", "MP3"}));
        QCOMPARE(h264->audioEncoder, std::string("MP3"));
        QCOMPARE(h264->audioBitrateHigh, std::string("192 kbps"));
        const ProfileDetail* mp4v = catalogue.readProfileDetail("Test", "3", "MP4V", "", "", "");
        QCOMPARE(mp4v->audioEncoders, (Strings{"MP3"}));
        QCOMPARE(mp4v->audioEncoder, std::string("MP3"));
        const ProfileDetail* outside = catalogue.readProfileDetail("Test", "3", "VP9", "", "AAC", "");
        QVERIFY(outside->audioEncoders.empty());
        // A default that the filter does not allow gives way to the filter's first.
        const ProfileDetail* restricted = catalogue.readProfileDetail("Test", "5", "", "", "", "");
        QCOMPARE(restricted->audioEncoders, (Strings{"AAC"}));
        QCOMPARE(restricted->audioEncoder, std::string("AAC"));
        QCOMPARE(restricted->sampleRateDefault, std::string("44100 HZ"));
    }

    void namesAndLists() {
        CProfileManager catalogue(writeFile("test.plist", testCatalogue()));
        QCOMPARE(catalogue.categories(), (Strings{"Test", "Other"}));
        QCOMPARE(catalogue.codecDisplayName("AAC"), std::string("Advanced Audio"));
        QCOMPARE(catalogue.codecDisplayName("MP3"), std::string("MP3 "));
        QCOMPARE(catalogue.codecDisplayName("H264"), std::string("AVC"));
        QCOMPARE(catalogue.codecDisplayName("Auto"), std::string("Auto"));
        QCOMPARE(catalogue.codecDisplayName(""), std::string());
        QCOMPARE(catalogue.getBaseInfoValue("Test", "2", "title"), std::string("Profile 2"));
        QCOMPARE(catalogue.getBaseInfoValue("Test", "2", "icon"), std::string("icon2"));
        QVERIFY(catalogue.getBaseInfoValue("Test", "7", "title").empty());
        QVERIFY(catalogue.getBaseInfoValue("", "2", "title").empty());

        std::vector<ProfileItem*>* profiles = catalogue.profilesOf("Test");
        QVERIFY(profiles);
        QCOMPARE(profiles->size(), size_t(5));
        QCOMPARE((*profiles)[2]->id, std::string("3"));
        QCOMPARE((*profiles)[2]->category, std::string("Test"));
        QCOMPARE((*profiles)[2]->ext, std::string("mp4"));
        QVERIFY(!catalogue.profilesOf(""));
        QCOMPARE(profiles->size(), size_t(5)); // the previous list stays
        QVERIFY(catalogue.profilesOf("Other")->empty());
    }

    void missingAndDamagedFiles_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("error");
        QTest::newRow("missing") << QByteArray() << QStringLiteral("Can't open file: ");
        QTest::newRow("empty") << QByteArray("") << QStringLiteral("Can't read zero length data");
        QTest::newRow("cut short") << testCatalogue().left(500) << QStringLiteral("Plist: XML parsed with error ");
        QTest::newRow("binary garbage") << QByteArray("bplist00\x01\x02", 10) << QStringLiteral("Plist: binary data");
        QTest::newRow("array root") << QByteArray("<plist><array/></plist>") << QStringLiteral("boost::bad_any_cast");
        QTest::newRow("no categories") << QByteArray("<plist><dict/></plist>") << QStringLiteral("the file has no");
    }

    void missingAndDamagedFiles() {
        QFETCH(QByteArray, content);
        QFETCH(QString, error);
        const std::string path =
            content.isNull() ? m_dir.filePath("absent.plist").toStdString() : writeFile("damaged.plist", content);
        // Nothing of it throws: the windows call it from slots of the event loop.
        CProfileManager catalogue(path);
        QVERIFY2(QString::fromStdString(catalogue.loadError()).startsWith(error), catalogue.loadError().c_str());
        QVERIFY(catalogue.categories().empty());
        QVERIFY(catalogue.profilesOf("General Video")->empty());
        QVERIFY(catalogue.getBaseInfoValue("General Video", "4000", "title").empty());
        const ProfileDetail* detail = catalogue.readProfileDetail("General Video", "4000", "", "", "", "");
        QVERIFY(detail && detail->videoEncoder.empty() && detail->audioEncoder.empty());
        // Told once.
        QVERIFY(!catalogue.takeLoadError().empty());
        QVERIFY(catalogue.takeLoadError().empty());
    }

    void wrongTypesInTheSchemaReadAsAbsent() {
        const QByteArray content =
            "<plist>" +
            dict(key("Categories") + "<array><integer>3</integer><string>Test</string></array>" + key("Codecs") +
                 "<array/>" + key("Test") + "<array><string>x</string>" +
                 dict(key("baseinfo") + "<string>oops</string>") +
                 dict(baseInfo("9", "1") + key("videoencoders") + values("H264", "H264") + key("videoparams") +
                      "<dict/>" + key("audioparams") + "<array><integer>1</integer></array>") +
                 "</array>") +
            "</plist>";
        CProfileManager catalogue(writeFile("types.plist", content));
        QVERIFY(catalogue.loadError().empty());
        QCOMPARE(catalogue.categories(), (Strings{"Test"}));
        QCOMPARE(catalogue.profilesOf("Test")->size(), size_t(2));
        QCOMPARE(catalogue.codecDisplayName("H264"), std::string("H264"));
        const ProfileDetail* detail = catalogue.readProfileDetail("Test", "9", "", "", "", "");
        QCOMPARE(detail->videoEncoder, std::string("H264"));
        QCOMPARE(detail->resolutions, (Strings{"Auto"}));
        QVERIFY(detail->frameRates.empty());
        QVERIFY(detail->audioEncoder.empty());
        // The public string reader keeps its contract: another type is a bad cast.
        Dictionary values;
        values["supports"] = int64_t(1);
        QVERIFY_EXCEPTION_THROWN(dictString(values, ""), boost::bad_any_cast);
        QVERIFY(dictString(values, "default").empty());
    }

    void processWideCatalogueNeverThrows() {
        CProfileManager* first = CProfileManager::instance(m_dir.filePath("nowhere.plist").toStdString());
        QVERIFY(first);
        QVERIFY(!first->loadError().empty());
        QCOMPARE(CProfileManager::instance(shippedPath()), first);
        QVERIFY(first->categories().empty());
    }

    void shippedCatalogue() {
        CProfileManager catalogue(shippedPath());
        QVERIFY2(catalogue.loadError().empty(), catalogue.loadError().c_str());
        QCOMPARE(catalogue.categories(), (Strings{"General Video", "General Audio"}));
        QVERIFY(!catalogue.getBaseInfoValue("General Video", "4000", "title").empty());
        QVERIFY(!catalogue.getBaseInfoValue("General Audio", "5000", "title").empty());

        // Codecs the codec library encodes; WMV3, VC-1 and WMA Pro it cannot.
        const QSet<QString> videoCodecs{"H264", "H265", "MP4V", "VP9", "WMV2"};
        const QSet<QString> audioCodecs{"AAC", "MP3", "OGG", "wma2", "flac", "alac", "PCM"};
        QSet<QString> ids;
        for (const std::string& category : catalogue.categories()) {
            const bool audioCategory = category == "General Audio";
            std::vector<ProfileItem> profiles;
            for (const ProfileItem* item : *catalogue.profilesOf(category))
                profiles.push_back(*item);
            QVERIFY(!profiles.empty());
            for (const ProfileItem& item : profiles) {
                const QString where = QString::fromStdString(category + "/" + item.id);
                QVERIFY2(!ids.contains(QString::fromStdString(item.id)), qPrintable(where));
                ids.insert(QString::fromStdString(item.id));
                QVERIFY2(!item.title.empty() && !item.ext.empty(), qPrintable(where));
                const QString icon = qEnvironmentVariable("CALVORINE_APP_DIR") + "/image/Format/icon_" +
                                     QString::fromStdString(item.icon) + ".png";
                QVERIFY2(!QImage(icon).isNull(), qPrintable(icon));

                const ProfileDetail detail = *catalogue.readProfileDetail(category, item.id, "", "", "", "");
                QCOMPARE(detail.audioOnly, audioCategory);
                QCOMPARE(detail.ext, item.ext);
                if (!audioCategory) {
                    QVERIFY2(detail.hasAuto, qPrintable(where));
                    for (const std::string& encoder : detail.videoEncoders) {
                        if (encoder == "Auto")
                            continue;
                        QVERIFY2(videoCodecs.contains(QString::fromStdString(encoder)), qPrintable(where));
                        QVERIFY(codecFourccFromName(encoder) > 0 && !isAudioCode(codecFourccFromName(encoder)));
                        QVERIFY(catalogue.codecDisplayName(encoder) != padded(encoder));
                        // Every encoder and size has its rates and presets: small below high.
                        const ProfileDetail video =
                            *catalogue.readProfileDetail(category, item.id, encoder, "", "", "");
                        QVERIFY2(video.resolutions.size() > 1, qPrintable(where));
                        for (const std::string& size : video.resolutions) {
                            if (size == "Auto")
                                continue;
                            const ProfileDetail* sized =
                                catalogue.readProfileDetail(category, item.id, encoder, size, "", "");
                            QCOMPARE(sized->resolution, size);
                            QVERIFY2(leadingNumber(sized->videoBitrateLow) < leadingNumber(sized->videoBitrateHigh),
                                     qPrintable(where));
                            QVERIFY(leadingNumber(sized->frameRateDefault) > 0);
                            QVERIFY(sized->frameRates.size() > 1);
                        }
                    }
                }
                QVERIFY2(!detail.audioEncoder.empty(), qPrintable(where));
                for (const std::string& encoder : detail.audioEncoders) {
                    if (encoder == "Auto")
                        continue;
                    QVERIFY2(audioCodecs.contains(QString::fromStdString(encoder)), qPrintable(where));
                    QVERIFY(isAudioCode(codecFourccFromName(encoder)));
                    QVERIFY(catalogue.codecDisplayName(encoder) != padded(encoder));
                    const ProfileDetail* audio = catalogue.readProfileDetail(category, item.id, "", "", encoder, "");
                    QVERIFY2(!audio->channelList.empty(), qPrintable(where));
                    QVERIFY(leadingNumber(audio->sampleRateDefault) >= 22050);
                    QVERIFY(leadingNumber(audio->audioBitrateLow) <= leadingNumber(audio->audioBitrateHigh));
                }
            }
        }

        // No profile carries a filter, and every extension names a muxer FFmpeg has.
        Dictionary root;
        Plist::readPlist(shippedPath(), root);
        for (const char* category : {"General Video", "General Audio"}) {
            for (const boost::any& profile : boost::any_cast<const Plist::Array&>(root.at(category))) {
                const Dictionary& entry = boost::any_cast<const Dictionary&>(profile);
                QVERIFY(!entry.count("filter"));
                if (entry.count("videoencoders"))
                    QVERIFY(!boost::any_cast<const Dictionary&>(entry.at("videoencoders")).count("filter"));
                const std::string ext =
                    boost::any_cast<std::string>(boost::any_cast<const Dictionary&>(entry.at("baseinfo")).at("ext"));
                QProcess ffmpeg;
                ffmpeg.setProcessChannelMode(QProcess::MergedChannels);
                ffmpeg.start("ffmpeg",
                             {"-hide_banner", "-h", "muxer=" + QString::fromStdString(containerNameFromFormat(ext))});
                QVERIFY(ffmpeg.waitForFinished(30000));
                QVERIFY2(ffmpeg.readAllStandardOutput().startsWith("Muxer "), ext.c_str());
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestProfileCatalogue)
#include "tst_profile_catalogue.moc"
