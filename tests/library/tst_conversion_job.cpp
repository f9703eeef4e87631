// The conversion job as the history library runs it: trimmed copies named
// "<name>_Trim_NNN", checked with ffprobe; progress and finish signals; cancelling; the
// failures that must be reported as failures; the progress dialog.
#include "LibraryTestSupport.h"

#include "library/QConvertProgressDlg.h"
#include "media/ConvertParam.h"
#include "media/RZConverterObject.h"
#include "toolkit/QRZBaseProgress.h"
#include "toolkit/QRZButton.h"

#include <QSignalSpy>

#include <cmath>

using namespace librarytest;

namespace {

ConvertConfig request(const QString& source, const QString& folder, uint64_t startUs, uint64_t endUs,
                      const char* format, bool defaultCodecs) {
    ConvertConfig config;
    config.param = new ConvertParam;
    config.param->setName(format);
    if (!defaultCodecs) {
        config.param->videoCodecId = 28;
        config.param->audioCodecId = 0x15002;
    }
    config.sourcePath = source;
    config.outputFolder = folder;
    config.displayName = QFileInfo(source).fileName();
    config.edit.trimStart = startUs;
    config.edit.trimEnd = endUs;
    return config;
}

struct Run {
    bool finished = false;
    bool ok = false;
    QList<uint> progress;
    int starts = 0;
};

// Starts the job and waits for its finish signal, delivered queued as the list gets it.
Run runJob(RZConverterObject& job, const ConvertConfig& config, int timeoutMs = 120000) {
    Run run;
    QMetaObject::Connection a = QObject::connect(&job, &RZConverterObject::emitConvertProgress, &job,
                                                 [&run](uint value) { run.progress << value; });
    QMetaObject::Connection b =
        QObject::connect(&job, &RZConverterObject::emitConvertedStart, &job, [&run] { ++run.starts; });
    QMetaObject::Connection c = QObject::connect(
        &job, &RZConverterObject::emitConvertedFinish, &job,
        [&run](bool ok) {
            run.finished = true;
            run.ok = ok;
        },
        Qt::QueuedConnection);
    job.setJob(config);
    job.startConvert();
    QElapsedTimer waited;
    waited.start();
    while (!run.finished && waited.elapsed() < timeoutMs) {
        QTest::qWait(20);
    }
    QObject::disconnect(a);
    QObject::disconnect(b);
    QObject::disconnect(c);
    return run;
}

double duration(const QString& path) {
    return fixtures::formatDuration(fixtures::probe(path));
}

QString codecOf(const QString& path, const QString& type) {
    return fixtures::stream(fixtures::probe(path), type).value("codec_name").toString();
}

} // namespace

class TestConversionJob : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void trimsIntoNumberedFilesOfTheRange();
    void defaultCodecIdsKeepTheSourceStreams();
    void cancelHalfwayLeavesNoFile();
    void failuresAreReportedAsFailures();
    void outputNamesJoinOneSeparatorAndCutOnlyTheJobsSuffix();
    void progressDialogShowsAndCancels();
    void aJobStartedAgainHearsNothingOfTheOneItStopped();
    void aTrimOfAFileThatStartsLateCountsFromItsStart();

private:
    PrivateUserFolders m_folders;
    QString m_dir;
    QString m_clip;
    QString m_long;
};

void TestConversionJob::initTestCase() {
    QVERIFY(m_folders.isValid());
    m_dir = m_folders.root() + "/jobs";
    QVERIFY(QDir().mkpath(m_dir + "/out"));
    m_clip = m_dir + "/clip.mp4";
    QVERIFY(fixtures::makeClip(m_clip, 10.0, "320x240", 30, {"-c:v", "libx264", "-preset", "ultrafast"}));
    m_long = m_dir + "/long.mkv";
    QVERIFY(fixtures::makeClip(m_long, 60.0, "640x360", 30, {"-c:v", "libx264", "-preset", "ultrafast"}));
}

void TestConversionJob::trimsIntoNumberedFilesOfTheRange() {
    RZConverterObject job;
    const QString folder = m_dir + "/out"; // no trailing separator
    const Run first = runJob(job, request(m_clip, folder, 2000000, 5000000, "mp4", false));
    QVERIFY(first.finished && first.ok);
    QCOMPARE(first.starts, 1);
    QVERIFY(!first.progress.isEmpty());
    QCOMPARE(first.progress.last(), 100u);
    const QString expected = folder + "/clip_Trim_001.mp4";
    QVERIFY(QFile::exists(expected));
    QVERIFY(qAbs(duration(expected) - 3.0) <= 1.0 / 30 + 0.03);
    const ConvertConfig done = job.job();
    QCOMPARE(done.outputPath, expected);
    QCOMPARE(done.displayName, QString("clip_Trim_001.mp4"));
    QCOMPARE(done.sourcePath, m_clip);
    QVERIFY(!job.cancelled());

    const Run second = runJob(job, request(m_clip, folder + "/", 0, 1000000, "mp4", false));
    QVERIFY(second.ok);
    QCOMPARE(job.job().displayName, QString("clip_Trim_002.mp4"));

    // A trimmed file trimmed again takes the next free number, never a doubled suffix.
    const Run again = runJob(job, request(expected, folder, 0, 0, "mp4", false));
    QVERIFY(again.ok);
    QCOMPARE(job.job().outputPath, folder + "/clip_Trim_003.mp4");
    QVERIFY(qAbs(duration(folder + "/clip_Trim_003.mp4") - 3.0) <= 1.0 / 30 + 0.03); // end 0: to the end
}

void TestConversionJob::defaultCodecIdsKeepTheSourceStreams() {
    RZConverterObject job;
    const QString folder = m_dir + "/defaults";
    QVERIFY(QDir().mkpath(folder));
    // As the editor hands it over: a parameter record with its defaults and the format.
    const Run mp4 = runJob(job, request(m_clip, folder, 1000000, 3000000, "mp4", true));
    QVERIFY(mp4.ok);
    const QString out = job.job().outputPath;
    QCOMPARE(codecOf(out, "video"), QString("h264"));
    QCOMPARE(codecOf(out, "audio"), QString("aac"));
    QVERIFY(qAbs(duration(out) - 2.0) <= 1.0 / 30 + 0.03);

    // A format that cannot hold the source's codecs takes its own default ones.
    QVERIFY(QFile::copy(m_clip, folder + "/clip.mp4"));
    ConvertConfig webm = request(folder + "/clip.mp4", folder, 0, 1000000, "webm", true);
    webm.displayName = "clip.webm";
    const Run webmRun = runJob(job, webm);
    QVERIFY(webmRun.ok);
    const QString webmOut = job.job().outputPath;
    QCOMPARE(webmOut, folder + "/clip_Trim_001.webm");
    QVERIFY(!codecOf(webmOut, "video").isEmpty());
    QVERIFY(codecOf(webmOut, "video") != "h264");
    QVERIFY(!codecOf(webmOut, "audio").isEmpty());
}

void TestConversionJob::cancelHalfwayLeavesNoFile() {
    RZConverterObject job;
    const QString folder = m_dir + "/cancel";
    QVERIFY(QDir().mkpath(folder));
    bool finished = false;
    bool ok = true;
    uint lastProgress = 0;
    connect(&job, &RZConverterObject::emitConvertProgress, &job, [&](uint value) { lastProgress = value; });
    connect(
        &job, &RZConverterObject::emitConvertedFinish, &job,
        [&](bool result) {
            finished = true;
            ok = result;
        },
        Qt::QueuedConnection);
    job.setJob(request(m_long, folder, 0, 0, "matroska", false));
    job.startConvert();
    QVERIFY(job.isRunning());
    QTRY_VERIFY_WITH_TIMEOUT(lastProgress >= 5 || finished, 60000);
    QVERIFY(!finished);
    job.stopConvert();
    QTRY_VERIFY_WITH_TIMEOUT(finished, 30000);
    QVERIFY(!ok);
    QVERIFY(job.cancelled());
    QVERIFY(!job.isRunning());
    QVERIFY(!QFile::exists(folder + "/long_Trim_001.mkv"));
}

void TestConversionJob::failuresAreReportedAsFailures() {
    RZConverterObject job;
    const QString folder = m_dir + "/failures";
    QVERIFY(QDir().mkpath(folder));
    const QString text = folder + "/notes.mp4";
    QVERIFY(fixtures::writeFile(text, "this is not a media file"));
    const Run nonMedia = runJob(job, request(text, folder, 0, 0, "mp4", true));
    QVERIFY(nonMedia.finished && !nonMedia.ok);
    QVERIFY(!job.cancelled());

    // An end before the start, and a job without an output folder, make nothing.
    const Run backwards = runJob(job, request(m_clip, folder, 5000000, 2000000, "mp4", true));
    QVERIFY(backwards.finished && !backwards.ok);
    QCOMPARE(backwards.starts, 0);
    QVERIFY(!QFile::exists(folder + "/clip_Trim_001.mp4"));
    const Run noFolder = runJob(job, request(m_clip, "", 0, 1000000, "mp4", true));
    QVERIFY(noFolder.finished && !noFolder.ok);
    QVERIFY(!QFile::exists("clip_Trim_001.mp4"));
    QVERIFY(!QFile::exists("/clip_Trim_001.mp4"));
}

void TestConversionJob::outputNamesJoinOneSeparatorAndCutOnlyTheJobsSuffix() {
    const QString folder = m_dir + "/names";
    QVERIFY(QDir().mkpath(folder));
    QString name;
    QCOMPARE(RZConverterObject::makeTrimOutputName(folder, "clip.mp4", &name), folder + "/clip_Trim_001.mp4");
    QCOMPARE(name, QString("clip_Trim_001.mp4"));
    QCOMPARE(RZConverterObject::makeTrimOutputName(folder + "/", "clip.mp4", nullptr), folder + "/clip_Trim_001.mp4");
    QCOMPARE(RZConverterObject::makeTrimOutputName(folder, "my_Trimmed.mp4", &name),
             folder + "/my_Trimmed_Trim_001.mp4");
    QCOMPARE(RZConverterObject::makeTrimOutputName(folder, "clip", &name), folder + "/clip_Trim_001");
    QCOMPARE(name, QString("clip_Trim_001"));
    QVERIFY(fixtures::writeFile(folder + "/a.b_Trim_001.mp4", "x"));
    QCOMPARE(RZConverterObject::makeTrimOutputName(folder, "a.b_Trim_001.mp4", &name), folder + "/a.b_Trim_002.mp4");
    QVERIFY(RZConverterObject::makeTrimOutputName("", "clip.mp4", &name).isEmpty());
    QVERIFY(name.isEmpty());

    // Copies of a request are deep.
    ConvertConfig original = request(m_clip, folder, 1, 2, "mp4", true);
    ConvertConfig copy(original);
    QVERIFY(copy.param != original.param);
    QCOMPARE(QString(copy.param->name), QString("mp4"));
    original.clear();
    QVERIFY(original.param == nullptr);
    QCOMPARE(copy.edit.trimEnd, uint64_t(2));
}

void TestConversionJob::progressDialogShowsAndCancels() {
    QConvertProgressDlg dialog;
    QSignalSpy cancel(&dialog, &QConvertProgressDlg::emitCancel);
    QCOMPARE(dialog.size(), QSize(440, 180));
    QVERIFY(showForInput(&dialog));
    dialog.setProgress(42.0f);
    QCOMPARE(dialog.progressBar()->value(), 42.0);
    QCOMPARE(dialog.cancelButton()->geometry().bottomRight(), QPoint(440 - 28 - 1, 180 - 28 - 1));
    QTest::qWait(200);
    saveScreenshot(&dialog, "conversion_progress");
    QVERIFY(clickAt(dialog.cancelButton(), dialog.cancelButton()->rect().center()));
    QTRY_COMPARE(cancel.count(), 1);
    QVERIFY(!dialog.isVisible());

    // Escape is Cancel too: a dialog the user dismissed leaves no job running unseen.
    QVERIFY(showForInput(&dialog));
    QVERIFY(key("Escape"));
    QTRY_COMPARE(cancel.count(), 2);
    QVERIFY(!dialog.isVisible());
    // The end of a job closes it without cancelling anything.
    QVERIFY(showForInput(&dialog));
    dialog.finish();
    QVERIFY(!dialog.isVisible());
    QTest::qWait(100);
    QCOMPARE(cancel.count(), 2);
}

// A job started again while it runs stops the first run; what that run reports of its
// stop is not taken for the new run's end.
void TestConversionJob::aJobStartedAgainHearsNothingOfTheOneItStopped() {
    RZConverterObject job;
    const QString folder = m_dir + "/again";
    QVERIFY(QDir().mkpath(folder));
    uint lastProgress = 0;
    QList<bool> finishes;
    connect(&job, &RZConverterObject::emitConvertProgress, &job, [&](uint value) { lastProgress = value; });
    connect(
        &job, &RZConverterObject::emitConvertedFinish, &job, [&](bool ok) { finishes << ok; }, Qt::QueuedConnection);
    job.setJob(request(m_long, folder, 0, 0, "matroska", false));
    job.startConvert();
    QTRY_VERIFY_WITH_TIMEOUT(lastProgress >= 5 || !finishes.isEmpty(), 60000);
    QVERIFY(finishes.isEmpty());
    job.setJob(request(m_clip, folder, 0, 1000000, "mp4", true));
    job.startConvert();
    QTRY_VERIFY_WITH_TIMEOUT(!finishes.isEmpty(), 60000);
    QTest::qWait(300); // anything else queued arrives meanwhile
    QCOMPARE(finishes, QList<bool>{true});
    QVERIFY(!job.cancelled());
    const QString out = job.job().outputPath;
    QCOMPARE(QFileInfo(out).fileName(), QStringLiteral("clip_Trim_001.mp4"));
    QVERIFY(qAbs(duration(out) - 1.0) <= 0.1);
    QDir(folder).removeRecursively();
}

// An MPEG-TS file made by ffmpeg starts at 1.4 s: the range the editor hands over counts
// from the file's first picture or sound, and the trimmed copy starts at 0 with the
// range's first picture (frame n of the source is shown at firstPicture + n/25).
void TestConversionJob::aTrimOfAFileThatStartsLateCountsFromItsStart() {
    const QString folder = m_dir + "/late";
    QVERIFY(QDir().mkpath(folder));
    const QString source = folder + "/late.ts";
    QVERIFY(fixtures::makeNumberedClip(source, 4.0));
    const QJsonObject sourceInfo = fixtures::probe(source);
    const double firstPicture = fixtures::timelineOf(sourceInfo).streamStart(sourceInfo, "video");
    QVERIFY(fixtures::timelineOf(sourceInfo).start > 1.0);

    RZConverterObject job;
    const Run run = runJob(job, request(source, folder, 1000000, 2000000, "mp4", true));
    QVERIFY(run.finished && run.ok);
    const QString out = job.job().outputPath;
    const QJsonObject info = fixtures::probe(out);
    QVERIFY2(qAbs(fixtures::formatDuration(info) - 1.0) <= 0.05, qPrintable(QString::number(duration(out))));
    QVERIFY(qAbs(info.value("format").toObject().value("start_time").toString().toDouble()) <= 0.05);
    QCOMPARE(fixtures::frameNumberOf(fixtures::firstPicture(out)), int(std::ceil((1.0 - firstPicture) * 25.0)));
}

QTEST_MAIN(TestConversionJob)
#include "tst_conversion_job.moc"
