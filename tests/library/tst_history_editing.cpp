// Editing from the history list on the virtual desktop: the row's Edit button opens the
// editor on a file our recorder made, which loads behind its wait dialog; the trim
// handles dragged with the pointer, a watermark typed in (seen in the preview), OK
// converts the range into a new listed file (checked with ffprobe), OK with changed tags writes
// them into the source (checked with mutagen) and updates History.xml; a refused write,
// a cancelled conversion and bad files report what happened and change nothing else.
#include "LibraryTestSupport.h"

#include "app/AppGlobals.h"
#include "app/HistoryFile.h"
#include "app/QRecordAreaInfo.h"
#include "editor/QMediaForm.h"
#include "editor/QTrimOperationForm.h"
#include "editor/QVEDualSlider.h"
#include "editor/QVideoEditTag.h"
#include "editor/QVideoEditingDlg.h"
#include "editor/QVideoEditingSettings.h"
#include "editor/QWaitForDlg.h"
#include "editor/QWatermarkOperationForm.h"
#include "library/QConvertProgressDlg.h"
#include "library/QHistoryChunk.h"
#include "library/QHistoryListWgt.h"
#include "library/QHistoryViewParts.h"
#include "media/OutputFormatSetting.h"
#include "media/QMediaElementWindow.h"
#include "media/QRecordObject.h"
#include "media/RZConverterObject.h"
#include "media/RZPlayerManager.h"
#include "platform/codec/calvorine_codec.h"
#include "tests/support/ModalSteps.h"
#include "tests/support/ReadOnlyFile.h"
#include "toolkit/QRZButton.h"
#include "toolkit/QRZMessageBox.h"
#include "toolkit/QRZTextEdit.h"

#include <QImageReader>
#include <QJsonArray>
#include <QPainter>
#include <QPointer>
#include <QSignalSpy>
#include <QTableView>
#include <QTextEdit>

#include <functional>
#include <thread>

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

using namespace librarytest;

namespace {

QModelIndex rowOf(QHistoryListWgt* list, const QString& name, int column) {
    QAbstractItemModel* proxy = list->view()->model();
    for (int row = 0; row < proxy->rowCount(); ++row) {
        QHistoryChunk* chunk = historyChunkOf(proxy->index(row, 0));
        if (chunk && QString::fromStdString(chunk->displayName()) == name) {
            return proxy->index(row, column);
        }
    }
    return {};
}

// Clicks a point of a widget relative to its window as the X server places it (a
// freshly shown dialog may still be moving when Qt's idea of its place is read).
bool clickInWindow(QWidget* widget, const QPoint& local) {
    QWidget* top = widget->window();
    const QPoint at = widget->mapTo(top, local);
    return xdotool({"mousemove", "--sync", "--window", QString::number(top->winId()), QString::number(at.x()),
                    QString::number(at.y())}) &&
           xdotool({"click", "1"});
}

bool waitFor(const std::function<bool()>& condition, int ms = 20000) {
    QElapsedTimer timer;
    timer.start();
    while (!condition() && timer.elapsed() < ms) {
        QTest::qWait(20);
    }
    return condition();
}

QString mutagen(const QString& script, const QStringList& arguments) {
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"), QStringList{"-c", script} + arguments);
    if (!python.waitForFinished(30000) || python.exitCode() != 0) {
        return QStringLiteral("<mutagen: %1>").arg(QString::fromUtf8(python.readAllStandardError()));
    }
    return QString::fromUtf8(python.readAllStandardOutput()).trimmed();
}

// A dark, animated window: light pixels in the preview can only come from a watermark.
class SceneWindow : public QWidget {
public:
    SceneWindow() {
        setWindowFlags(Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::X11BypassWindowManagerHint);
        setAttribute(Qt::WA_OpaquePaintEvent);
        QObject::connect(&m_timer, &QTimer::timeout, this, [this] {
            ++m_step;
            update();
        });
        m_timer.start(20);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(rect(), QColor::fromHsv((m_step * 7) % 360, 255, 90));
        p.fillRect((m_step * 4) % width(), 0, 20, height(), QColor(20, 20, 120));
    }

private:
    QTimer m_timer;
    int m_step = 0;
};

// `seconds` of the animated window with a 1 kHz tone played into the sound server,
// recorded by our own engine as H.264 and AAC.
// The loudest sample of a file's sound in dB, as ffmpeg's volume detector hears it; -1000
// when it finds no sound.
double loudestDb(const QString& path) {
    QProcess volume;
    volume.start("ffmpeg", {"-hide_banner", "-i", path, "-af", "volumedetect", "-f", "null", "-"});
    if (!volume.waitForFinished(30000)) {
        return -1000;
    }
    const QString report = QString::fromUtf8(volume.readAllStandardError());
    const int at = report.indexOf("max_volume: ");
    bool ok = false;
    const double db = at > 0 ? report.mid(at + 12, 10).section(' ', 0, 0).toDouble(&ok) : 0.0;
    return ok ? db : -1000;
}

bool recordClip(const QString& path, int seconds) {
    OutputFormatSetting format = h264AacFormat(25);
    g_currentFormat = &format;
    QRecordAreaInfo* area = QRecordAreaInfo::instance();
    area->setAreaOrigin(0, 0);
    area->setAreaSize(320, 240);
    area->setAudioSource(QRecordAreaInfo::SystemSound, true);
    area->setDevicePresent(QRecordAreaInfo::SystemSound, true);
    area->setAudioSource(QRecordAreaInfo::Microphone, false);
    area->setCursorOption(QRecordAreaInfo::ShowCursor, false);
    SceneWindow scene;
    scene.setGeometry(0, 0, 320, 240);
    scene.show();
    QTemporaryDir sounds;
    const QString tone = sounds.filePath("tone.wav");
    const QString length = QString::number(seconds + 3);
    QProcess player;
    bool ok =
        QTest::qWaitForWindowExposed(&scene) && QProcess::execute("sox", {"-n", "-r", "44100", "-c", "2", tone, "synth",
                                                                          length, "sine", "1000", "vol", "0.5"}) == 0;
    if (ok) {
        player.start("paplay", {tone});
        ok = player.waitForStarted();
        QTest::qWait(300);
    }
    if (ok) {
        QRecordObject recorder;
        ok = recorder.startRecord(path, 100.0f, true);
        QTest::qWait(seconds * 1000);
        recorder.stopRecord();
        QElapsedTimer waited;
        waited.start();
        while (recorder.isRecording() && waited.elapsed() < 10000) {
            QTest::qWait(20);
        }
    }
    player.kill();
    player.waitForFinished();
    g_currentFormat = nullptr;
    return ok && QFile::exists(path);
}

int countLight(const QImage& image, const QRect& area) {
    int light = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            light += c.red() > 180 && c.green() > 180 && c.blue() > 180 ? 1 : 0;
        }
    }
    return light;
}

// A widget as the screen shows it, read where the X server has its window: the toolkit's
// idea of a dialog's place can stay stale after the window manager has centred it, and a
// grab there reads whatever lies behind.
QImage shotOf(QWidget* widget) {
    QWidget* top = widget->window();
    const QPoint offset = widget->mapTo(top, QPoint(0, 0));
    return QGuiApplication::primaryScreen()
        ->grabWindow(top->winId(), offset.x(), offset.y(), widget->width(), widget->height())
        .toImage();
}

// Keeps a screenshot of the widget among the test outputs.
void keepShot(QWidget* widget, const QString& name) {
    shotOf(widget).save(testoutput::pngPath(name));
}

// The same for a window just shown: a grab before the X server has exposed and the
// window painted it reads whatever the server has there. False when it never showed.
bool keepShotOnceShown(QWidget* window, const QString& name) {
    if (!QTest::qWaitForWindowExposed(window)) {
        return false;
    }
    QTest::qWait(200);
    keepShot(window, name);
    return true;
}

// Pixels of the picture (not the surface's black) in a grab.
int countLit(const QImage& image) {
    int lit = 0;
    for (int y = 0; y < image.height(); y += 4) {
        for (int x = 0; x < image.width(); x += 4) {
            const QColor c = image.pixelColor(x, y);
            lit += qMax(c.red(), qMax(c.green(), c.blue())) > 40 ? 1 : 0;
        }
    }
    return lit;
}

// A left-button drag between two points of a widget, in steps, each move relative to
// its window as the X server places it (Qt may not know yet where the window manager
// put a dialog).
bool dragInWindow(QWidget* widget, const QPoint& from, const QPoint& to) {
    QWidget* top = widget->window();
    const QString window = QString::number(top->winId());
    // In the window's coordinates, taken before the widget moves with the drag.
    const QPoint start = widget->mapTo(top, from);
    const QPoint end = widget->mapTo(top, to);
    const auto moveTo = [&](const QPoint& at) {
        const bool ok = xdotool({"mousemove", "--window", window, QString::number(at.x()), QString::number(at.y())});
        QTest::qWait(40);
        return ok;
    };
    if (!moveTo(start) || !xdotool({"mousedown", "1"})) {
        return false;
    }
    QTest::qWait(60);
    for (int i = 1; i <= 8; ++i) {
        moveTo(start + (end - start) * i / 8);
    }
    const bool ok = xdotool({"mouseup", "1"});
    QTest::qWait(100);
    return ok;
}

// Answers each message box that comes while it lives (its text kept), and leaves no
// poll behind once the test is over.
class BoxAnswers {
public:
    explicit BoxAnswers(std::function<void(QRZMessageBox*)> answer) : m_answer(std::move(answer)) {
        QObject::connect(&m_poll, &QTimer::timeout, [this] {
            auto* box = qobject_cast<QRZMessageBox*>(QApplication::activeModalWidget());
            if (box == nullptr || !box->isVisible() || box == m_handled) {
                return;
            }
            m_handled = box;
            texts << box->wrappedText();
            m_answer(box);
        });
        m_poll.start(20);
    }

    QStringList texts;

private:
    std::function<void(QRZMessageBox*)> m_answer;
    QPointer<QRZMessageBox> m_handled;
    QTimer m_poll;
};

const char* kAddLyrics = "import sys\nfrom mutagen.id3 import ID3,USLT\nt=ID3(sys.argv[1])\n"
                         "t.add(USLT(encoding=3,lang='eng',desc='',text=sys.argv[2]))\nt.save(sys.argv[1])\n";
const char* kReadTags = "import sys\nfrom mutagen.id3 import ID3\nt=ID3(sys.argv[1])\n"
                        "print(str(t.get('TIT2','')) + '|' + '/'.join(f.text for f in t.getall('USLT')))\n";

} // namespace

class TestHistoryEditing : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    // Ahead of the others: no step another test left waiting for a box takes theirs.
    void failedTrimIsToldInABoxWithItsOkButton();
    void escapeCancelsTheConversionAndASecondTrimWaitsForIt();
    void editButtonTrimsIntoANewListedFile();
    void changedTagsAreWrittenInPlaceKeepingTheLyrics();
    void refusedTagWriteKeepsTheEditorOpenAndTheHistory();
    void cancelledConversionLeavesNothing();
    void loadingHoldsEscapeAndTeardownWaitsForTheWorker();
    void badFilesStillLoadAndEmitNothing();
    void editButtonIsDrawnPlainOnceTheEditorCloses();

private:
    QString media(const QString& name) const { return m_media + "/" + name; }
    // A minute of 720p: long enough that a conversion of it is still running when cancelled.
    static bool makeLongClip(const QString& path) {
        return QFile::exists(path) ||
               fixtures::makeClip(path, 60.0, "1280x720", 30, {"-c:v", "libx264", "-c:a", "aac"});
    }

    PrivateUserFolders m_folders;
    QString m_media;
    QString m_output;
    double m_recordedDb = -1000;
};

void TestHistoryEditing::initTestCase() {
    ::signal(SIGPIPE, SIG_IGN); // a reader that gives up on the FIFO early
    QVERIFY(m_folders.isValid());
    m_media = m_folders.root() + "/media";
    m_output = m_folders.root() + "/output";
    QVERIFY(QDir().mkpath(m_media));
    QVERIFY(QDir().mkpath(m_output));
    QVERIFY(fixtures::makeClip(media("clip.mp4"), 7.0, "320x240", 25,
                               {"-c:v", "libx264", "-c:a", "aac", "-metadata", "title=Source title"}));
    QVERIFY(recordClip(media("REC_clip.mp4"), 7));
    // The tone played into the shared sink is in the recording (what the trims keep).
    m_recordedDb = loudestDb(media("REC_clip.mp4"));
    QVERIFY2(m_recordedDb > -30.0, qPrintable(QString::number(m_recordedDb)));
}

void TestHistoryEditing::init() {
    QFile::remove(m_folders.dataFolder() + "/History.xml");
    for (const QString& name : QDir(m_output).entryList(QDir::Files)) {
        QFile::remove(m_output + "/" + name);
    }
    // No trailing separator: the job adds the one between folder and name.
    setOutputPath(m_output);
}

void TestHistoryEditing::editButtonTrimsIntoANewListedFile() {
    const QString cover = m_folders.root() + "/source_cover.jpg";
    QVERIFY(fixtures::makePicture(cover, "120x90"));
    const QString source = media("REC_clip.mp4");
    QVERIFY(writeHistory(m_folders, {{source, "mp4", true, false, "Source title", cover}}));
    QHistoryListWgt list;
    list.resize(860, 400);
    QVERIFY(showForInput(&list));
    QCOMPARE(list.rows().size(), size_t(1));

    QStringList failures;
    int conversions = 0;
    uint64_t trimmed[3] = {}; // the length each round's range had
    for (int round = 1; round <= 2; ++round) {
        bool inside = false;
        whenModal<QVideoEditingDlg>([&](QVideoEditingDlg* editor) {
            inside = true;
            // The wait dialog holds the editor while the worker reads the file.
            if (!waitFor([editor] { return editor->isLoaded(); })) {
                failures << "the editor never finished loading";
                editor->close();
                return;
            }
            keepShot(editor, QStringLiteral("history_edit_%1_loaded").arg(round));
            QVideoEditTag* tabs = editor->tabBar();
            if (editor->currentTab() != QVideoEditingDlg::Trim || tabs->button(QVideoEditingDlg::Tag)->isEnabled()) {
                failures << "Trim is not current or Tag is enabled for a video";
            }
            for (int tab = QVideoEditingDlg::Adjust; tab <= QVideoEditingDlg::Audio; ++tab) {
                if (tabs->button(tab)->isVisible()) {
                    failures << QStringLiteral("tab %1 shows").arg(tab);
                }
            }
            // The handles dragged to about 2 s and 5 s of the 7 s, then Trim.
            QTrimOperationForm* trim = editor->trimTab();
            QVEDualSlider* slider = trim->slider();
            QAbstractButton* trimButton = trim->button("m_btnTrim");
            waitFor([editor] { return editor->isActiveWindow(); }, 5000);
            const int track = slider->usableWidth();
            const double length = double(editor->settings()->playRangeLength());
            const int offset = int(track * 2000000.0 / length);
            QWidget* startHandle = slider->startButton();
            QWidget* endHandle = slider->endButton();
            const QPoint startAt = startHandle->rect().center();
            const QPoint endAt = endHandle->rect().center();
            if (!dragInWindow(startHandle, startAt, startAt + QPoint(offset, 0)) ||
                !dragInWindow(endHandle, endAt, endAt - QPoint(offset, 0))) {
                failures << "xdotool could not drag the handles";
            }
            if (slider->startValue() < 0.1f || slider->endValue() > 0.9f) {
                failures << QStringLiteral("the handles moved to %1 and %2 only")
                                .arg(slider->startValue())
                                .arg(slider->endValue());
            }
            clickInWindow(trimButton, trimButton->rect().center());
            VEEditConfig applied;
            waitFor([&] {
                editor->settings()->getEditConfig(applied);
                return applied.trimEnd != 0;
            });
            const auto near = [](uint64_t t, uint64_t wanted) {
                return (t > wanted ? t - wanted : wanted - t) < 250000;
            };
            if (!near(applied.trimStart, 2000000) || !near(applied.trimEnd, 5000000)) {
                failures << QStringLiteral("the handles gave %1-%2 us").arg(applied.trimStart).arg(applied.trimEnd);
            }
            trimmed[round] = applied.trimEnd - applied.trimStart;
            QTest::qWait(200); // the new range painted
            keepShot(editor, QStringLiteral("history_edit_%1_trimmed").arg(round));
            if (round == 1) {
                // A text watermark typed in its tab shows, light, in the preview's top left.
                editor->selectedTag(QVideoEditingDlg::Watermark);
                QMediaElementWindow* surface = editor->preview()->previewSurface();
                const auto markPixels = [surface] {
                    const QRect r = surface->videoElementRect();
                    return countLight(shotOf(surface), QRect(r.left(), r.top(), r.width() / 3, r.height() / 3));
                };
                // The picture on screen first, then the baseline.
                if (!waitFor(
                        [surface] {
                            const QImage shot = shotOf(surface);
                            return surface->isVisible() && countLit(shot) > shot.width() * shot.height() / 16 / 3;
                        },
                        5000)) {
                    failures << "the preview shows no picture on the watermark tab";
                }
                const int before = markPixels();
                QTextEdit* text = editor->watermarkTab()->findChild<QRZTextEdit*>("m_leAddWKText")->textEdit();
                clickInWindow(text, text->rect().center());
                if (!waitFor([text] { return text->hasFocus(); }, 5000)) {
                    failures << "the watermark text box took no focus";
                }
                typeText("MARK");
                if (!waitFor([&] { return markPixels() > before + 20; }, 8000)) {
                    const QString snapshot = m_folders.root() + "/preview_snapshot.png";
                    editor->playerManager()->saveSnapshot(snapshot);
                    const QImage picture(snapshot);
                    VEWatermarkSettings mark;
                    editor->settings()->getWatermark(mark);
                    keepShot(editor, QStringLiteral("history_edit_watermark_missing"));
                    picture.save(QStringLiteral(CALVORINE_TEST_OUTPUT_DIR "/history_edit_watermark_player.png"));
                    failures << QStringLiteral("no watermark in the preview (%1 light pixels, %2 before; box '%3', "
                                               "settings '%4' shown %5, player picture %6x%7 with %8 light)")
                                    .arg(markPixels())
                                    .arg(before)
                                    .arg(text->toPlainText())
                                    .arg(QString::fromStdString(mark.text.text))
                                    .arg(mark.text.shown)
                                    .arg(picture.width())
                                    .arg(picture.height())
                                    .arg(countLight(picture, QRect(0, 0, picture.width() / 3, picture.height() / 3)));
                }
                keepShot(editor, QStringLiteral("history_edit_watermark"));
            }
            VEAudioTagInfo tags;
            editor->selectedTag(QVideoEditingDlg::Tag); // the tags tab shows what the file holds
            editor->settings()->getTags(tags);
            tags.title = "Trimmed title";
            editor->settings()->setTags(tags);
            auto* ok = editor->findChild<QAbstractButton*>("m_btnOK");
            // Pointer input only once the window manager has placed the editor.
            waitFor([ok] { return QApplication::widgetAt(ok->mapToGlobal(ok->rect().center())) == ok; }, 5000);
            if (!clickInWindow(ok, ok->rect().center()) || !waitFor([editor] { return !editor->isVisible(); }, 10000)) {
                failures << "OK did not close the editor";
                editor->close();
            }
        });
        whenModal<QConvertProgressDlg>([&](QConvertProgressDlg* dialog) {
            ++conversions;
            saveScreenshot(dialog, QStringLiteral("history_edit_%1_converting").arg(round));
        });
        // The row's Edit button, as the user hovers over the row and clicks it.
        const QRect cell = list.view()->visualRect(rowOf(&list, "REC_clip.mp4", 4));
        const QPoint onButton = list.view()->viewport()->mapToGlobal(cell.center());
        QVERIFY(xdotool({"mousemove", "--sync", QString::number(onButton.x() - 20), QString::number(onButton.y())}));
        QTest::qWait(100);
        QVERIFY(clickAt(list.view()->viewport(), cell.center()));
        QTRY_VERIFY_WITH_TIMEOUT(inside, 20000);
        QTRY_VERIFY_WITH_TIMEOUT(list.rows().size() == size_t(round + 1) || !failures.isEmpty(), 60000);
        QVERIFY2(failures.isEmpty(), qPrintable(failures.join("; ")));
    }
    QCOMPARE(conversions, 2); // the same job and dialog, shown once per conversion
    saveScreenshot(&list, QStringLiteral("history_edit_listed"));

    const QString first = m_output + "/REC_clip_Trim_001.mp4";
    const QString second = m_output + "/REC_clip_Trim_002.mp4";
    QVERIFY(QFile::exists(first));
    QVERIFY(QFile::exists(second));
    QVERIFY(!QFile::exists(m_output + "REC_clip_Trim_001.mp4"));
    auto* newest = static_cast<QHistoryChunk*>(list.rows().front());
    QCOMPARE(QString::fromStdString(newest->displayName()), QStringLiteral("REC_clip_Trim_002.mp4"));
    QVERIFY(newest->isNewFile());
    QCOMPARE(list.videoChunks().first(), newest);
    const double newestSeconds = fixtures::formatDuration(fixtures::probe(second));
    const QString durationText = QString::fromStdString(newest->duration());
    QVERIFY2(durationText == QStringLiteral("00:00:%1").arg(int(newestSeconds), 2, 10, QLatin1Char('0')) ||
                 durationText == QStringLiteral("00:00:%1").arg(qRound(newestSeconds), 2, 10, QLatin1Char('0')),
             qPrintable(durationText));
    QVERIFY(!newest->size().empty());
    QVERIFY(!newest->createTime().empty());

    // Each file is as long as its range (a frame, plus the audio's padding).
    for (int round = 1; round <= 2; ++round) {
        const double seconds = fixtures::formatDuration(fixtures::probe(round == 1 ? first : second));
        QVERIFY2(qAbs(seconds - double(trimmed[round]) / 1e6) <= 0.04 + 0.03,
                 qPrintable(QStringLiteral("%1 s for a range of %2 us").arg(seconds).arg(trimmed[round])));
    }
    const QJsonObject info = fixtures::probe(first);
    QCOMPARE(fixtures::stream(info, "video")["codec_name"].toString(), QStringLiteral("h264"));
    QCOMPARE(fixtures::stream(info, "audio")["codec_name"].toString(), QStringLiteral("aac"));
    QCOMPARE(fixtures::formatTag(info, "title"), QStringLiteral("Trimmed title"));
    // Not silent: ffmpeg's volume detector hears the tone.
    const double loudest = loudestDb(first);
    QVERIFY2(loudest > -30.0, qPrintable(QStringLiteral("%1 dB, the recording %2 dB").arg(loudest).arg(m_recordedDb)));

    // History.xml: the new entries with their thumbnails (fitting 120 x 120); the source
    // keeps its own title and cover.
    const QString history = historyText(m_folders);
    QVERIFY(history.contains("REC_clip_Trim_001.mp4"));
    QVERIFY(history.contains("REC_clip_Trim_002.mp4"));
    const auto sourceEntry = findHistoryItem(source);
    QVERIFY(sourceEntry.has_value());
    QCOMPARE(sourceEntry->title, QStringLiteral("Source title"));
    QCOMPARE(sourceEntry->thumbnailPath, cover);
    const auto newEntry = findHistoryItem(first);
    QVERIFY(newEntry.has_value());
    QCOMPARE(newEntry->title, QStringLiteral("Trimmed title"));
    QCOMPARE(newEntry->isNew, false); // the badge goes when the history is opened again
    const QSize thumbnail = QImageReader(newEntry->thumbnailPath).size();
    QVERIFY2(thumbnail.isValid() && thumbnail.width() <= 120 && thumbnail.height() <= 120,
             qPrintable(QStringLiteral("%1x%2").arg(thumbnail.width()).arg(thumbnail.height())));
}

void TestHistoryEditing::changedTagsAreWrittenInPlaceKeepingTheLyrics() {
    const QString song = media("song.mp3");
    QFile::remove(song);
    QVERIFY(fixtures::makeTone(song, 3.0, {"-metadata", "title=Old"}));
    QCOMPARE(mutagen(kAddLyrics, {song, "la la la"}), QString());
    QVERIFY(writeHistory(m_folders, {{song, "mp3", false, false, "Old"}}));
    const QString coverFile = m_folders.root() + "/front.png";
    QVERIFY(fixtures::makePicture(coverFile, "300x200"));
    QHistoryListWgt list;
    QVERIFY(showForInput(&list));

    for (bool change : {false, true}) {
        QSignalSpy tagChanges(&list, &QHistoryListWgt::emitStartPlayerTimer);
        bool tagReachable = false;
        whenModal<QVideoEditingDlg>([&](QVideoEditingDlg* editor) {
            if (!waitFor([editor] { return editor->isLoaded(); })) {
                editor->close();
                return;
            }
            tagReachable = waitFor([editor] { return editor->tabBar()->button(QVideoEditingDlg::Tag)->isEnabled(); });
            editor->selectedTag(QVideoEditingDlg::Tag);
            if (change) {
                VEAudioTagInfo tags;
                editor->settings()->getTags(tags);
                tags.title = "New song";
                editor->settings()->setTags(tags);
            }
            keepShot(editor, QStringLiteral("history_edit_audio_%1").arg(change ? "changed" : "unchanged"));
            editor->onOK();
        });
        const QByteArray before = historyText(m_folders).toUtf8();
        list.editItem(rowOf(&list, "song.mp3", 4));
        QVERIFY(tagReachable);
        if (!change) {
            // Unchanged tags: nothing written, nothing converted.
            QCOMPARE(historyText(m_folders).toUtf8(), before);
            QCOMPARE(mutagen(kReadTags, {song}), QStringLiteral("Old|la la la"));
        }
    }
    QCOMPARE(mutagen(kReadTags, {song}), QStringLiteral("New song|la la la"));
    const auto entry = findHistoryItem(song);
    QVERIFY(entry.has_value());
    QCOMPARE(entry->title, QStringLiteral("New song"));
    QCOMPARE(list.rows().size(), size_t(1));
    QCOMPARE(QDir(m_output).entryList(QDir::Files), QStringList());

    // A cover chosen with the tags becomes the entry's thumbnail, 120 x 120.
    VEAudioTagInfo tags;
    tags.title = "With cover";
    QFile coverBytes(coverFile);
    QVERIFY(coverBytes.open(QIODevice::ReadOnly));
    tags.cover_image = coverBytes.readAll().toStdString();
    tags.coverSize = int(tags.cover_image.size());
    list.setEditingChunk(static_cast<QHistoryChunk*>(list.rows().front()));
    list.audioTagChange(tags, coverFile);
    const auto covered = findHistoryItem(song);
    QVERIFY(covered.has_value());
    QCOMPARE(covered->title, QStringLiteral("With cover"));
    QCOMPARE(QImageReader(covered->thumbnailPath).size(), QSize(120, 120));
}

void TestHistoryEditing::refusedTagWriteKeepsTheEditorOpenAndTheHistory() {
    const QString song = media("locked.mp3");
    QFile::remove(song);
    QVERIFY(fixtures::makeTone(song, 2.0, {"-metadata", "title=Locked"}));
    QVERIFY(writeHistory(m_folders, {{song, "mp3", false, false, "Locked"}}));
    QHistoryListWgt list;
    QVERIFY(showForInput(&list));
    const QString before = historyText(m_folders);
    ReadOnlyFile readOnly(song);
    QVERIFY(readOnly.isReadOnly());
    bool messageShown = false;
    bool stayedOpen = false;
    QSignalSpy* tagSpy = nullptr;
    whenModal<QVideoEditingDlg>([&](QVideoEditingDlg* editor) {
        tagSpy = new QSignalSpy(editor, &QVideoEditingDlg::emitAudioTagChange);
        if (!waitFor([editor] { return editor->isLoaded(); })) {
            editor->close();
            return;
        }
        VEAudioTagInfo tags;
        editor->selectedTag(QVideoEditingDlg::Tag);
        editor->settings()->getTags(tags);
        tags.title = "Refused";
        editor->settings()->setTags(tags);
        whenModal<QRZMessageBox>([&](QRZMessageBox* box) {
            messageShown = true;
            saveScreenshot(box, QStringLiteral("history_edit_tags_refused"));
            box->done(QRZMessageBox::ResultOk);
        });
        editor->onOK();
        stayedOpen = editor->isVisible() && editor->result() != QDialog::Accepted;
        if (tagSpy->count() != 0) {
            stayedOpen = false;
        }
        editor->close();
    });
    list.editItem(rowOf(&list, "locked.mp3", 4));
    delete tagSpy;
    QVERIFY(messageShown);
    QVERIFY(stayedOpen);
    QCOMPARE(historyText(m_folders), before);
}

void TestHistoryEditing::cancelledConversionLeavesNothing() {
    const QString longClip = media("long.mp4");
    QVERIFY(makeLongClip(longClip));
    QVERIFY(writeHistory(m_folders, {{longClip, "mp4", true, false}}));
    QHistoryListWgt list;
    QVERIFY(showForInput(&list));
    bool messageShown = false;
    whenModal<QRZMessageBox>([&](QRZMessageBox* box) {
        messageShown = true;
        box->done(QRZMessageBox::ResultOk);
    });
    whenModal<QConvertProgressDlg>([&](QConvertProgressDlg* dialog) {
        saveScreenshot(dialog, QStringLiteral("history_edit_cancel_converting"));
        clickInWindow(dialog->cancelButton(), dialog->cancelButton()->rect().center());
    });
    list.setEditingChunk(static_cast<QHistoryChunk*>(list.rows().front()));
    VEEditConfig edit;
    edit.trimStart = 1000000;
    edit.trimEnd = 59000000;
    list.convertFile(edit);
    QTRY_VERIFY_WITH_TIMEOUT(list.converter() && !list.converter()->isRunning(), 60000);
    QTest::qWait(200); // the finish report is queued behind the stop
    QVERIFY(list.converter()->cancelled());
    QVERIFY(!messageShown);
    QCOMPARE(QDir(m_output).entryList(QDir::Files), QStringList());
    QCOMPARE(list.rows().size(), size_t(1));
    QVERIFY(!historyText(m_folders).contains("_Trim_"));
}

void TestHistoryEditing::loadingHoldsEscapeAndTeardownWaitsForTheWorker() {
    // A window never shown never loads and goes at once.
    {
        QVideoEditingDlg unused;
        unused.setMediaFile(media("clip.mp4"), 0, 0);
    }
    // A FIFO holds the worker's read until a helper thread feeds it the clip 2 s later;
    // the player opens the file once more, so the helper feeds every reader that comes
    // within a few seconds (a clip whose index comes first, as a pipe cannot seek).
    const QString fast = media("fast.mp4");
    QVERIFY(fixtures::ffmpeg({"-i", media("clip.mp4"), "-c", "copy", "-movflags", "+faststart", fast}));
    const QString fifo = m_folders.root() + "/slow.mp4";
    QFile::remove(fifo);
    QCOMPARE(QProcess::execute("mkfifo", {fifo}), 0);
    std::thread feeder([fast, fifo] {
        QThread::msleep(2000);
        QFile in(fast);
        if (!in.open(QIODevice::ReadOnly)) {
            return;
        }
        const QByteArray bytes = in.readAll();
        QElapsedTimer idle;
        idle.start();
        while (idle.elapsed() < 4000) {
            const int fd = ::open(fifo.toLocal8Bit().constData(), O_WRONLY | O_NONBLOCK);
            if (fd < 0) { // no reader yet
                QThread::msleep(20);
                continue;
            }
            ::fcntl(fd, F_SETFL, 0);
            qint64 written = 0;
            while (written < bytes.size()) {
                const ssize_t n = ::write(fd, bytes.constData() + written, size_t(bytes.size() - written));
                if (n <= 0) {
                    break;
                }
                written += n;
            }
            ::close(fd);
            idle.restart();
        }
    });
    {
        QVideoEditingDlg editor;
        editor.setMediaFile(fifo, 0, 0);
        QSignalSpy converts(&editor, &QVideoEditingDlg::emitConvertFile);
        QSignalSpy tags(&editor, &QVideoEditingDlg::emitAudioTagChange);
        bool escapedWhileLoading = false;
        whenModal<QWaitForDlg>([&](QWaitForDlg* wait) {
            saveScreenshot(&editor, QStringLiteral("history_edit_waiting"));
            // Escape on the editor is swallowed while it loads.
            QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
            QApplication::sendEvent(&editor, &escape);
            escapedWhileLoading = editor.isVisible() && !editor.isLoaded();
            // Escape in the wait dialog dismisses it early; Cancel then closes the editor
            // while the worker still waits for its feed.
            key("Escape");
            waitFor([wait] { return !wait->isVisible(); }, 5000);
            auto* cancel = editor.findChild<QAbstractButton*>("m_btnCancel");
            cancel->click();
        });
        editor.exec();
        QVERIFY(escapedWhileLoading);
        QCOMPARE(converts.count(), 0);
        QCOMPARE(tags.count(), 0);
    } // destroyed: the worker is joined once the feed arrives
    feeder.join();
    QFile::remove(fifo);

    // After loading, Escape closes the window without emitting anything; a second show
    // loads nothing again.
    QVideoEditingDlg editor;
    editor.setMediaFile(media("clip.mp4"), 0, 0);
    QSignalSpy covers(&editor, &QVideoEditingDlg::emitMediaCoverImage);
    QSignalSpy converts(&editor, &QVideoEditingDlg::emitConvertFile);
    editor.show();
    QTRY_VERIFY_WITH_TIMEOUT(editor.isLoaded(), 20000);
    QCOMPARE(covers.count(), 1);
    editor.selectedTag(QVideoEditingDlg::Tag);
    QVERIFY(!editor.preview()->isVisible());
    editor.selectedTag(QVideoEditingDlg::Trim);
    QVERIFY(editor.preview()->isVisible());
    QCOMPARE(editor.preview()->geometry(), QRect(0, 55, 686, 540 - 56 - 86 - 55));
    editor.showMinimized();
    QTRY_VERIFY(editor.isMinimized());
    editor.showNormal();
    editor.activateWindow();
    // Restored and focused again (slow on a loaded machine), past the 100 ms after which
    // a first show would start loading.
    QTRY_VERIFY_WITH_TIMEOUT(editor.isActiveWindow(), 15000);
    QTest::qWait(300);
    QCOMPARE(covers.count(), 1);
    QTest::keyClick(&editor, Qt::Key_Escape);
    QTRY_VERIFY(!editor.isVisible());
    QCOMPARE(converts.count(), 0);
}

void TestHistoryEditing::badFilesStillLoadAndEmitNothing() {
    const QString truncated = media("truncated.mp4");
    QVERIFY(fixtures::writeTruncated(media("clip.mp4"), truncated, QFileInfo(media("clip.mp4")).size() / 3));
    const QString gone = media("gone.mp4");
    QVERIFY(QFile::copy(media("clip.mp4"), gone));
    QVERIFY(writeHistory(m_folders, {{truncated, "mp4", true, false}, {gone, "mp4", true, false}}));
    QHistoryListWgt list;
    QVERIFY(showForInput(&list));
    QVERIFY(QFile::remove(gone)); // deleted after listing
    for (const QString& name : {QStringLiteral("truncated.mp4"), QStringLiteral("gone.mp4")}) {
        bool loaded = false;
        whenModal<QVideoEditingDlg>([&](QVideoEditingDlg* editor) {
            loaded = waitFor([editor] { return editor->isLoaded(); });
            editor->onOK();
        });
        list.editItem(rowOf(&list, name, 4));
        QVERIFY2(loaded, qPrintable(name));
        QCOMPARE(list.rows().size(), size_t(2));
        QCOMPARE(QDir(m_output).entryList(QDir::Files), QStringList());
    }
}

// A trim that fails tells the user so in a box the user can answer: its OK button is
// there and closes it.
void TestHistoryEditing::failedTrimIsToldInABoxWithItsOkButton() {
    const QString notMedia = media("notes.mp4");
    QVERIFY(fixtures::writeFile(notMedia, "this is not a media file"));
    QVERIFY(writeHistory(m_folders, {{notMedia, "mp4", true, false}}));
    QHistoryListWgt list;
    QVERIFY(showForInput(&list));
    const QString before = historyText(m_folders);
    QStringList buttons;
    bool answered = false;
    BoxAnswers boxes([&](QRZMessageBox* box) {
        for (QRZBaseButton* button : box->actionButtons()) {
            buttons << button->text();
        }
        if (keepShotOnceShown(box, QStringLiteral("history_edit_cut_out_failure"))) {
            if (!buttons.isEmpty()) {
                QRZBaseButton* ok = box->actionButtons().first();
                clickInWindow(ok, ok->rect().center());
                answered = waitFor([box] { return !box->isVisible(); }, 5000);
            }
        }
        if (box->isVisible()) {
            box->done(0);
        }
    });
    list.setEditingChunk(static_cast<QHistoryChunk*>(list.rows().front()));
    VEEditConfig edit;
    edit.trimStart = 0;
    edit.trimEnd = 1000000;
    list.convertFile(edit);
    QTRY_VERIFY_WITH_TIMEOUT(!boxes.texts.isEmpty() && (answered || buttons.isEmpty()), 30000);
    QCOMPARE(boxes.texts, QStringList{QStringLiteral("Cut out failure.")});
    QCOMPARE(buttons, QStringList{QStringLiteral("OK")});
    QVERIFY(answered);
    QCOMPARE(list.rows().size(), size_t(1));
    QCOMPARE(historyText(m_folders), before);
    QCOMPARE(QDir(m_output).entryList(QDir::Files), QStringList());
    QFile::remove(notMedia);
}

// Escape on "Converting" cancels, as its Cancel button does: no job runs on unseen. A trim
// asked for while a job runs is refused with a message and leaves the running job alone;
// once the first has ended, the next trim runs and nothing of the first reaches it.
void TestHistoryEditing::escapeCancelsTheConversionAndASecondTrimWaitsForIt() {
    const QString longClip = media("long.mp4");
    QVERIFY(makeLongClip(longClip));
    QVERIFY(writeHistory(m_folders, {{longClip, "mp4", true, false}}));
    QHistoryListWgt list;
    QVERIFY(showForInput(&list));
    list.setEditingChunk(static_cast<QHistoryChunk*>(list.rows().front()));
    BoxAnswers boxes([](QRZMessageBox* box) {
        keepShotOnceShown(box, QStringLiteral("history_edit_second_trim_refused"));
        box->done(QRZMessageBox::ResultOk);
    });
    const QStringList& told = boxes.texts;
    QStringList failures;
    bool stillRunningAfterRefusal = false;
    bool escaped = false;
    VEEditConfig whole;
    whole.trimStart = 1000000;
    whole.trimEnd = 59000000;
    whenModal<QConvertProgressDlg>([&](QConvertProgressDlg* dialog) {
        if (!QTest::qWaitForWindowActive(dialog)) {
            failures << "the progress dialog never became active";
        }
        QTest::qWait(200);
        keepShot(dialog, QStringLiteral("history_edit_converting_before_escape"));
        // A second trim while this one runs (the editor's OK) is refused.
        list.convertFile(whole);
        stillRunningAfterRefusal = list.converter()->isRunning() && dialog->isVisible();
        if (!QTest::qWaitForWindowActive(dialog)) {
            failures << "the progress dialog did not get the focus back";
        }
        escaped = key("Escape");
    });
    list.convertFile(whole);
    QTRY_VERIFY_WITH_TIMEOUT(escaped, 60000);
    QVERIFY2(failures.isEmpty(), qPrintable(failures.join("; ")));
    QVERIFY(stillRunningAfterRefusal);
    QCOMPARE(told, QStringList{QStringLiteral("A file is still being converted. Please wait until it is done.")});
    // Escape stopped the job: its file is gone, nothing was listed, no failure was told.
    QTRY_VERIFY_WITH_TIMEOUT(!list.convertProgressDlg()->isVisible() && !list.converter()->isRunning(), 30000);
    QVERIFY(list.converter()->cancelled());
    QTRY_COMPARE_WITH_TIMEOUT(QDir(m_output).entryList(QDir::Files), QStringList(), 10000);
    QTest::qWait(300);
    QCOMPARE(told.size(), 1);
    QCOMPARE(list.rows().size(), size_t(1));

    // The next trim runs to its end and is listed once.
    VEEditConfig part;
    part.trimStart = 0;
    part.trimEnd = 1000000;
    list.convertFile(part);
    QTRY_VERIFY_WITH_TIMEOUT(list.rows().size() == 2, 60000);
    QTest::qWait(300);
    QCOMPARE(told.size(), 1);
    const QStringList made = QDir(m_output).entryList(QDir::Files);
    QCOMPARE(made, QStringList{QStringLiteral("long_Trim_001.mp4")});
    QVERIFY(historyText(m_folders).contains("long_Trim_001.mp4"));
}

// The row's Edit button clicked, the editor closed with its own close button, which lies
// off the list, and the pointer brought back onto the row's name: the row is drawn as it
// was with the pointer on its name before, its Edit button not hovered.
void TestHistoryEditing::editButtonIsDrawnPlainOnceTheEditorCloses() {
    QVERIFY(writeHistory(m_folders, {{media("clip.mp4"), "mp4", true, false}}));
    QHistoryListWgt list;
    list.resize(600, 200);
    QVERIFY(showForInput(&list));
    QTableView* view = list.view();
    QWidget* port = view->viewport();
    const QRect nameCell = view->visualRect(rowOf(&list, "clip.mp4", 1));
    const QRect editCell = view->visualRect(rowOf(&list, "clip.mp4", 4));
    const QRect row(port->mapToGlobal(QPoint(0, nameCell.top())), QSize(port->width(), nameCell.height()));
    const QPoint onName = port->mapToGlobal(nameCell.center());
    const auto rowOnScreen = [&](const QString& name) {
        QTest::qWait(300);
        return desktoptest::screenshot(testoutput::pngPath(name)).copy(row);
    };
    // Pixels of two pictures of the row that differ by more than a trace.
    const auto differing = [](const QImage& a, const QImage& b) {
        int count = 0;
        for (int y = 0; y < qMin(a.height(), b.height()); ++y) {
            for (int x = 0; x < qMin(a.width(), b.width()); ++x) {
                const QColor p = a.pixelColor(x, y);
                const QColor q = b.pixelColor(x, y);
                count += qAbs(p.red() - q.red()) + qAbs(p.green() - q.green()) + qAbs(p.blue() - q.blue()) > 24;
            }
        }
        return count;
    };
    // The row selected by a click on its name, the pointer resting there: its buttons are
    // drawn, none hovered.
    QVERIFY(desktoptest::click(onName));
    QVERIFY(desktoptest::moveTo(onName + QPoint(0, 1)));
    const QImage plain = rowOnScreen("history_edit_button_plain");
    QVERIFY(!plain.isNull());
    // On the Edit button the row differs: the comparison sees a hovered button.
    const QPoint onEdit = port->mapToGlobal(editCell.center());
    QVERIFY(desktoptest::moveTo(onEdit + QPoint(1, 0)));
    QVERIFY(desktoptest::moveTo(onEdit));
    const QImage hovered = rowOnScreen("history_edit_button_hovered");
    QVERIFY2(differing(plain, hovered) > 20, qPrintable(QString::number(differing(plain, hovered))));

    bool opened = false;
    bool closeClicked = false;
    whenModal<QVideoEditingDlg>([&](QVideoEditingDlg* editor) {
        opened = true;
        waitFor([editor] { return editor->isLoaded() && editor->isActiveWindow(); });
        keepShot(editor, QStringLiteral("history_edit_button_editor"));
        if (auto* close = editor->findChild<QAbstractButton*>(QStringLiteral("m_btnClose"))) {
            closeClicked = clickInWindow(close, close->rect().center());
        }
    });
    QVERIFY(xdotool({"click", "1"}));
    QTRY_VERIFY_WITH_TIMEOUT(opened, 20000);
    QTRY_VERIFY_WITH_TIMEOUT(QApplication::activeModalWidget() == nullptr, 20000);
    QVERIFY(closeClicked);
    QVERIFY2(!desktoptest::xwininfoRect(list.winId()).contains(QCursor::pos()), "the editor closed over the list");
    QVERIFY(desktoptest::moveTo(onName));
    const QImage after = rowOnScreen("history_edit_button_after_editor");
    QVERIFY2(differing(plain, after) == 0, qPrintable(QStringLiteral("%1 pixels of the row differ from the row drawn "
                                                                     "with no button hovered")
                                                          .arg(differing(plain, after))));
}

QTEST_MAIN(TestHistoryEditing)
#include "tst_history_editing.moc"
