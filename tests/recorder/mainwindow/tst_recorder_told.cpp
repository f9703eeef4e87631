// What the user is told at the edges of a session with the recorder: a box at start-up,
// the area shade under the program's windows, a quit during a recording whose history
// and sound sources cannot be saved, and a recording that holds nothing. The built
// program on the virtual desktop, driven with xdotool in private folders; screenshots
// in test-output/recorder-journey/, files read back with ffprobe and the file system.
#include "JourneyDriver.h"
#include "tests/support/DesktopHelpers.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/OwnSoundServer.h"
#include "tests/support/ReadOnlyFile.h"

#include <QDirIterator>
#include <QDomDocument>
#include <QElapsedTimer>
#include <QFile>
#include <QTime>
#include <QtTest>

using journey::Program;
using journey::screenshot;

using namespace journey::layout;
using journey::fileBytes;

namespace {

// The colour the screen shows at a point of the root now.
QColor screenColour(const QPoint& point) {
    const QImage image = journey::grabScreen(QRect(point, QSize(1, 1)));
    return image.isNull() ? QColor() : image.pixelColor(0, 0);
}

bool sameColour(const QColor& a, const QColor& b) {
    return a.isValid() && b.isValid() && qAbs(a.red() - b.red()) <= 12 && qAbs(a.green() - b.green()) <= 12 &&
           qAbs(a.blue() - b.blue()) <= 12;
}

// The colour at a point once it holds still (a window just mapped may still be painted or
// faded in by the compositor); invalid when it never did within five seconds.
QColor settledColour(const QPoint& point) {
    QElapsedTimer timer;
    timer.start();
    QColor last = screenColour(point);
    while (timer.elapsed() < 5000) {
        QTest::qWait(200);
        const QColor now = screenColour(point);
        if (now.isValid() && now == last) {
            return now;
        }
        last = now;
    }
    return QColor();
}

// A history file as the program writes it (four spaces per level), one entry per file,
// each with a format so that none is probed.
QByteArray historyFileOf(const QStringList& files) {
    QDomDocument document;
    QDomElement root = document.createElement(QStringLiteral("ROOTITEM"));
    document.appendChild(root);
    for (int i = 0; i < files.size(); ++i) {
        QDomElement entry = document.createElement(QStringLiteral("Path_item"));
        entry.setAttribute(QStringLiteral("Converted_path_"), files[i]);
        QDomElement info = document.createElement(QStringLiteral("CONVERTED_INFO_"));
        info.setAttribute(QStringLiteral("Title_"), QFileInfo(files[i]).fileName());
        info.setAttribute(QStringLiteral("Time_"), QStringLiteral("00:00:01"));
        info.setAttribute(QStringLiteral("Size_"), QStringLiteral("9.00 KB"));
        info.setAttribute(QStringLiteral("Create_time_"),
                          QStringLiteral("01-02-2026 10:%1").arg(i, 2, 10, QLatin1Char('0')));
        info.setAttribute(QStringLiteral("Format_"), QStringLiteral("MP3"));
        info.setAttribute(QStringLiteral("Extend_"), QStringLiteral("mp3"));
        info.setAttribute(QStringLiteral("Video_file"), QStringLiteral("N"));
        info.setAttribute(QStringLiteral("New_file"), QStringLiteral("N"));
        entry.appendChild(info);
        root.appendChild(entry);
    }
    return document.toByteArray(4);
}

// The rows the history dialog at `dialog` shows: the stretches of its cover column, 41
// pixels to a row, that differ from the empty list below them.
int historyRowsShown(const QRect& dialog) {
    const QImage column = journey::grabScreen(QRect(dialog.x() + 8, dialog.y() + 60, 1, dialog.height() - 110));
    if (column.isNull()) {
        return -1;
    }
    const QColor empty = column.pixelColor(0, column.height() - 1);
    int rows = 0;
    int run = 0;
    for (int y = 0; y <= column.height(); ++y) {
        const QColor colour = y < column.height() ? column.pixelColor(0, y) : empty;
        if (qAbs(colour.red() - empty.red()) > 12 || qAbs(colour.green() - empty.green()) > 12 ||
            qAbs(colour.blue() - empty.blue()) > 12) {
            ++run;
            continue;
        }
        rows += run >= 30 ? qRound(run / 41.0) : 0;
        run = 0;
    }
    return rows;
}

QString colourText(const QColor& colour) {
    return colour.isValid() ? colour.name() : QStringLiteral("(none)");
}

// The folders stored already, so that start-up has nothing to write.
QList<QStringList> storedFolders(Program& program) {
    return {{"Screenshot_path", "Screenshot_path_value", program.folders().root() + "/shots/"},
            {"OutPut_path", "path_value", program.outputFolder() + "/"},
            {"XML_RECORD_AREA", "Area_value", "0*0-640*480"}};
}

// The stored folders with row `row`'s folder put under a file, where no folder can be
// made, not even by root; true when the settings are written.
bool storeFolderUnderAFile(Program& program, int row, const QString& name) {
    QFile file(program.folders().root() + QStringLiteral("/blocker"));
    if (!file.open(QIODevice::WriteOnly) || file.write("not a folder") <= 0) {
        return false;
    }
    file.close();
    QList<QStringList> settings = storedFolders(program);
    settings[row][2] = file.fileName() + QLatin1Char('/') + name + QLatin1Char('/');
    return journey::writeSettingsFile(program.settingsFile(), settings);
}

} // namespace

class TestRecorderTold : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<Program> m_program;

    void startProgram() {
        m_program->start();
        QVERIFY(m_program->process().waitForStarted());
        QVERIFY2(m_program->waitForMainWindow() != 0, "the main window never mapped");
    }

    // Each box not among `known` that comes is kept in a screenshot and answered with
    // Return, until the program has ended; the number of boxes.
    int answerBoxesUntilTheEnd(QList<quint64> known, const QString& shotPrefix) {
        int boxes = 0;
        QElapsedTimer timer;
        timer.start();
        while (m_program->process().state() != QProcess::NotRunning && timer.elapsed() < 30000) {
            const quint64 box = journey::waitForNewWindowOf(*m_program, known, 500);
            if (box == 0) {
                continue;
            }
            known.append(box);
            ++boxes;
            screenshot(shotPrefix + QString::number(boxes));
            journey::xdotool({"windowactivate", "--sync", QString::number(box)});
            m_program->keys(QStringLiteral("Return"));
            QElapsedTimer gone;
            gone.start();
            while (!journey::windowRect(box).isEmpty() && gone.elapsed() < 5000) {
                QTest::qWait(50);
            }
        }
        return boxes;
    }

private slots:
    void initTestCase() { QVERIFY2(QFile::exists(Program::path()), qPrintable(Program::path())); }
    void init() { m_program = std::make_unique<Program>(); }
    void cleanup() { m_program.reset(); }

    // A box shown at start-up, before the window manager has placed the main window,
    // sits in the middle of the screen (it sat at the top left before), over the window.
    void startUpBoxIsCentred() {
        QList<QStringList> settings = storedFolders(*m_program);
        settings.append({"SHORTCUT_SET", "Stop_shortcut", "no key"});
        QVERIFY(journey::writeSettingsFile(m_program->settingsFile(), settings));
        ReadOnlyFile readOnly(m_program->settingsFile());
        QVERIFY(readOnly.isReadOnly());
        startProgram();
        const quint64 box = journey::waitForNewWindowOf(*m_program, {}, 10000);
        QVERIFY(box != 0);
        QRect rect;
        QTRY_VERIFY2_WITH_TIMEOUT(
            qAbs((rect = journey::windowRect(box)).center().x() - 960) <= 2 && qAbs(rect.center().y() - 540) <= 40,
            qPrintable(
                QStringLiteral("box at %1,%2 %3x%4").arg(rect.x()).arg(rect.y()).arg(rect.width()).arg(rect.height())),
            5000);
        QTRY_VERIFY_WITH_TIMEOUT(m_program->rect().contains(rect.center()), 5000);
        screenshot(QStringLiteral("16-start-up-box-centred"));
        QVERIFY(m_program->keys(QStringLiteral("Return")));
        QTRY_VERIFY_WITH_TIMEOUT(journey::windowRect(box).isEmpty(), 5000);
    }

    // In area mode the shade dims the screen around the area, but not the area, and the
    // main window and a dialog it opens stay bright above it; the dialog takes clicks.
    void areaShadeLeavesTheWindowsBright() {
        QVERIFY(journey::writeSettingsFile(m_program->settingsFile(), storedFolders(*m_program)));
        startProgram();
        QVERIFY(m_program->waitForSize(kNormalSize));
        const QRect window = m_program->rect();
        const QPoint button = window.topLeft() + kRecordButton;
        // Away from the window and from the default area at the top left.
        const QPoint desktop(1800, 100);
        const QColor buttonBright = settledColour(button);
        QVERIFY(buttonBright.isValid());
        const QColor desktopBright = settledColour(desktop);
        // Inside the stored area, away from the frame's handles.
        const QPoint inArea(100, 100);
        const QColor areaBright = settledColour(inArea);
        // The close dialog's middle, undimmed, for later.
        QVERIFY(m_program->clickInWindow(kCloseButton));
        quint64 dialog = journey::waitForNewWindowOf(*m_program, {}, 5000);
        QVERIFY(dialog != 0);
        QTRY_COMPARE_WITH_TIMEOUT(journey::windowRect(dialog).size(), kCloseDialogSize, 5000);
        const QPoint dialogPoint = journey::windowRect(dialog).topLeft() + QPoint(160, 30);
        const QColor dialogBright = settledColour(dialogPoint);
        QVERIFY(dialogBright.isValid());
        journey::xdotool({"windowactivate", "--sync", QString::number(dialog)});
        QVERIFY(m_program->keys(QStringLiteral("Escape")));
        QTRY_VERIFY_WITH_TIMEOUT(journey::windowRect(dialog).isEmpty(), 5000);

        QVERIFY(m_program->clickInWindow(kAreaButton));
        // The shade is up: the desktop around the area is darker.
        QTRY_VERIFY2_WITH_TIMEOUT(screenColour(desktop).lightness() < desktopBright.lightness() - 30,
                                  qPrintable(colourText(screenColour(desktop))), 5000);
        QTRY_VERIFY2_WITH_TIMEOUT(sameColour(screenColour(button), buttonBright),
                                  qPrintable(colourText(screenColour(button)) + " for " + colourText(buttonBright)),
                                  5000);
        QTRY_VERIFY2_WITH_TIMEOUT(
            sameColour(screenColour(inArea), areaBright),
            qPrintable("the area shows " + colourText(screenColour(inArea)) + " for " + colourText(areaBright)), 5000);
        screenshot(QStringLiteral("16-area-shade-window-bright"));

        QVERIFY(m_program->clickInWindow(kCloseButton));
        dialog = 0;
        QElapsedTimer timer;
        timer.start();
        while (dialog == 0 && timer.elapsed() < 5000) {
            for (quint64 id : journey::otherWindowsOf(*m_program)) {
                if (journey::windowRect(id).size() == kCloseDialogSize) {
                    dialog = id;
                }
            }
            QTest::qWait(50);
        }
        QVERIFY(dialog != 0);
        const QPoint shadedDialogPoint = journey::windowRect(dialog).topLeft() + QPoint(160, 30);
        QTRY_VERIFY2_WITH_TIMEOUT(
            sameColour(screenColour(shadedDialogPoint), dialogBright),
            qPrintable(colourText(screenColour(shadedDialogPoint)) + " for " + colourText(dialogBright)), 5000);
        screenshot(QStringLiteral("16-area-shade-dialog-bright"));
        // A click on the dialog reaches it: "Minimize to Tray" and OK hide the window.
        QVERIFY(m_program->clickAt(journey::windowRect(dialog).topLeft() + kCloseMinimizeChoice));
        QVERIFY(m_program->clickAt(journey::windowRect(dialog).topLeft() + kCloseOk));
        QTRY_VERIFY_WITH_TIMEOUT(m_program->rect().isEmpty(), 5000);
        QCOMPARE(m_program->process().state(), QProcess::Running);
    }

    // Quit from the tray while a recording runs (the tray menu opened while a scheduled
    // recording was waiting to start), with a history and a settings file that cannot be
    // saved: the recording is finished and kept, and the user is told of the history
    // and of the sound-source choice still unsaved before the program ends.
    void trayQuitDuringRecordingTellsWhatWasNotSaved() {
        const qint64 startUs = journey::scheduleStartAhead();
        const qint64 endUs = startUs + 120'000'000LL;
        if (endUs >= 86'400'000'000LL) {
            QSKIP("too close to midnight for a schedule within the day");
        }
        QList<QStringList> settings = storedFolders(*m_program);
        settings.append({"RECORD_SCHEDULE_INFO", "Bool_Schedule", "Y"});
        settings.append({"RECORD_SCHEDULE_INFO", "Schedule_Start_Time", QString::number(startUs)});
        settings.append({"RECORD_SCHEDULE_INFO", "Schedule_End_Time", QString::number(endUs)});
        QVERIFY(journey::writeSettingsFile(m_program->settingsFile(), settings));
        // A folder where the history file should be, and one where it would be put aside.
        const QString data = m_program->folders().dataFolder();
        QVERIFY(QDir().mkpath(data + QStringLiteral("/History.xml")));
        QVERIFY(QDir().mkpath(data + QStringLiteral("/History.xml.bad/kept")));
        const QByteArray stored = fileBytes(m_program->settingsFile());
        ReadOnlyFile readOnly(m_program->settingsFile());
        QVERIFY(readOnly.isReadOnly());
        startProgram();
        QVERIFY(m_program->waitForSize(kNormalSize));
        // The user turns the system sound off: that choice cannot be saved, and is told.
        QList<quint64> known = journey::otherWindowsOf(*m_program);
        QVERIFY(m_program->clickInWindow(kSystemAudioButton));
        const quint64 box = journey::waitForNewWindowOf(*m_program, known, 10000);
        QVERIFY(box != 0);
        QVERIFY(m_program->keys(QStringLiteral("Return")));
        QTRY_VERIFY_WITH_TIMEOUT(journey::windowRect(box).isEmpty(), 5000);
        QVERIFY(m_program->clickInWindow(kAudioModeButton));
        QVERIFY(m_program->clickInWindow(kRecordButton));
        QVERIFY(m_program->waitForSize(kScheduleSize));
        const qint64 leftMs = journey::msUntilTimeOfDay(startUs);
        qInfo("the schedule view came %lld ms before the start", leftMs);
        QVERIFY2(leftMs > 0, "the schedule's start passed before the program took Record");

        const quint64 tray = journey::trayIconWindowOf(*m_program);
        QVERIFY(tray != 0);
        const int before = journey::otherWindowsOf(*m_program).size();
        QVERIFY(m_program->clickAt(journey::windowRect(tray).center(), 3));
        QTRY_VERIFY_WITH_TIMEOUT(journey::otherWindowsOf(*m_program).size() > before, 5000);
        QVERIFY2(journey::msUntilTimeOfDay(startUs) > 0, "the menu opened after the schedule's start");
        // The schedule starts the recording under the open menu.
        QVERIFY(m_program->waitForSize(kAudioPanelSize, int(journey::msUntilTimeOfDay(startUs)) + 20000));
        QTRY_COMPARE_WITH_TIMEOUT(m_program->recordings(QStringLiteral("REC_*.mp3")).size(), 1, 10000);
        QTest::qWait(1500);
        screenshot(QStringLiteral("16-tray-menu-while-recording"));
        // From the top of the menu, up goes round to its last entry, Quit.
        known = journey::otherWindowsOf(*m_program);
        QVERIFY(m_program->keys(QStringLiteral("Up")));
        QVERIFY(m_program->keys(QStringLiteral("Return")));
        // One box for the history, one for the sound sources; then the program ends.
        QCOMPARE(answerBoxesUntilTheEnd(known, QStringLiteral("16-quit-not-saved-")), 2);
        QCOMPARE(m_program->process().state(), QProcess::NotRunning);
        QCOMPARE(m_program->process().exitStatus(), QProcess::NormalExit);
        QCOMPARE(m_program->process().exitCode(), 0);
        const QString file = m_program->recordings(QStringLiteral("REC_*.mp3")).first();
        QVERIFY2(journey::probedDuration(journey::probe(file)) > 1.0, qPrintable(file));
        QVERIFY(QFileInfo(data + QStringLiteral("/History.xml")).isDir());
        QCOMPARE(fileBytes(m_program->settingsFile()), stored);
    }

    // A main window dragged low on the screen, grown by its options panel: it moves up so
    // that the whole panel, its Reset button among it, stays on the screen.
    void optionsPanelStaysOnTheScreen() {
        QVERIFY(journey::writeSettingsFile(m_program->settingsFile(), storedFolders(*m_program)));
        startProgram();
        QVERIFY(m_program->waitForSize(kNormalSize));
        const QString root = journey::run(QStringLiteral("xwininfo"), {QStringLiteral("-root")});
        const QRect screen(0, 0, 1920, 1080);
        QVERIFY2(root.contains(QStringLiteral("-geometry 1920x1080")), qPrintable(root));
        // Dragged low by its title band, as a user would.
        const QRect start = m_program->rect();
        const QPoint grip = start.topLeft() + QPoint(200, 15);
        QVERIFY(desktoptest::drag(grip, grip + QPoint(300 - start.x(), 660 - start.y()), 12));
        QTRY_COMPARE_WITH_TIMEOUT(m_program->rect().topLeft(), QPoint(300, 660), 5000);
        screenshot(QStringLiteral("16-main-window-low"));
        QVERIFY(m_program->clickInWindow(kOptionsButton));
        QVERIFY(m_program->waitForSize(kOptionsOpenSize));
        QTRY_VERIFY2_WITH_TIMEOUT(screen.contains(m_program->rect()),
                                  qPrintable(QStringLiteral("window at %1,%2 %3x%4")
                                                 .arg(m_program->rect().x())
                                                 .arg(m_program->rect().y())
                                                 .arg(m_program->rect().width())
                                                 .arg(m_program->rect().height())),
                                  3000);
        QCOMPARE(m_program->rect().x(), 300);
        QCOMPARE(m_program->rect().bottom(), screen.bottom());
        screenshot(QStringLiteral("16-options-panel-on-screen"));
    }

    // An output folder that cannot be written (a file stands where it should be made): the
    // recording's failure box says so and names the folder, not only "Recording failed!".
    void outputFolderThatCannotBeWrittenIsNamed() {
        const QString blocker = m_program->folders().root() + QStringLiteral("/blocker");
        const QString output = blocker + QStringLiteral("/recordings/");
        QVERIFY(storeFolderUnderAFile(*m_program, 1, QStringLiteral("recordings")));
        startProgram();
        QVERIFY(m_program->waitForSize(kNormalSize));
        QVERIFY(m_program->clickInWindow(kAudioModeButton));
        QList<quint64> known = journey::otherWindowsOf(*m_program);
        QVERIFY(m_program->clickInWindow(kRecordButton));
        const quint64 countdown = journey::waitForNewWindowOf(*m_program, known, 10000);
        QVERIFY(countdown != 0);
        known.append(countdown);
        const quint64 box = journey::waitForNewWindowOf(*m_program, known, 20000);
        QVERIFY(box != 0);
        QTRY_VERIFY_WITH_TIMEOUT(journey::windowRect(countdown).isEmpty(), 5000);
        screenshot(QStringLiteral("16-output-folder-cannot-be-written"));
        // The bare box is about 216 pixels wide; the folder's long path makes it wider.
        const QRect boxRect = journey::windowRect(box);
        QVERIFY2(boxRect.width() > 300, qPrintable(QString::number(boxRect.width())));
        const QByteArray told = m_program->log();
        QVERIFY2(told.contains("Recording failed!\nThe output folder cannot be written:\n" + output.toUtf8()),
                 told.right(600).constData());
        QVERIFY(m_program->keys(QStringLiteral("Return")));
        QTRY_VERIFY_WITH_TIMEOUT(journey::windowRect(box).isEmpty(), 5000);
        QVERIFY(QFileInfo(blocker).isFile());
    }

    // A signal ends the program (a session that ends): no one is there to answer a box,
    // so what cannot be saved is logged and the program ends at once.
    void signalEndsWithoutBoxes() {
        QVERIFY(journey::writeSettingsFile(m_program->settingsFile(), storedFolders(*m_program)));
        ReadOnlyFile readOnly(m_program->settingsFile());
        QVERIFY(readOnly.isReadOnly());
        startProgram();
        QVERIFY(m_program->waitForSize(kNormalSize));
        // A choice that could not be saved (told at the click) is still unsaved at the end.
        const QList<quint64> known = journey::otherWindowsOf(*m_program);
        QVERIFY(m_program->clickInWindow(kSystemAudioButton));
        const quint64 box = journey::waitForNewWindowOf(*m_program, known, 10000);
        QVERIFY(box != 0);
        QVERIFY(m_program->keys(QStringLiteral("Return")));
        QTRY_VERIFY_WITH_TIMEOUT(journey::windowRect(box).isEmpty(), 5000);
        m_program->process().terminate();
        QVERIFY(m_program->process().waitForFinished(5000));
        QCOMPARE(m_program->process().exitCode(), 0);
    }

    // A disk that runs full right after the recording has begun its file (the size
    // limit stands for it): what reached the file does not play. That is no success: the
    // user is told where the file is kept, the history does not open, and the file is
    // kept on disk but not listed.
    void recordingThatDoesNotPlayIsTold() {
        QVERIFY(journey::writeSettingsFile(m_program->settingsFile(), storedFolders(*m_program)));
        {
            // An ignored file-size signal is inherited: the limit set below fails writes.
            FileSizeLimit ignoreSignal(RLIM_INFINITY);
            startProgram();
        }
        QVERIFY(m_program->waitForSize(kNormalSize));
        QVERIFY(m_program->clickInWindow(kAudioModeButton));
        // Less than the file's first write: nothing that plays reaches it.
        int code = -1;
        journey::run(QStringLiteral("prlimit"),
                     {"--pid", QString::number(m_program->process().processId()), QStringLiteral("--fsize=1024:")},
                     &code);
        QCOMPARE(code, 0);
        QList<quint64> known = journey::otherWindowsOf(*m_program);
        QVERIFY(m_program->clickInWindow(kRecordButton));
        // The countdown comes and goes; then the box.
        const quint64 countdown = journey::waitForNewWindowOf(*m_program, known, 10000);
        QVERIFY(countdown != 0);
        known.append(countdown);
        const quint64 box = journey::waitForNewWindowOf(*m_program, known, 20000);
        QVERIFY(box != 0);
        QTRY_VERIFY_WITH_TIMEOUT(journey::windowRect(countdown).isEmpty(), 5000);
        screenshot(QStringLiteral("16-recording-does-not-play"));
        // A message, not the history library; the window is back at its normal look. The
        // bare "Recording failed!" box is about 216 pixels wide; one that also names the
        // kept file's long path is wider.
        const QRect boxRect = journey::windowRect(box);
        QVERIFY2(boxRect.width() > 300 && boxRect.width() < 853, qPrintable(QString::number(boxRect.width())));
        QVERIFY(m_program->waitForSize(kNormalSize));
        QVERIFY(m_program->keys(QStringLiteral("Return")));
        QTRY_VERIFY_WITH_TIMEOUT(journey::windowRect(box).isEmpty(), 5000);
        const QStringList files = m_program->recordings(QStringLiteral("REC_*.mp3"));
        QCOMPARE(files.size(), 1);
        QVERIFY(QFileInfo(files.first()).size() <= 1024);
        QVERIFY(journey::probedStream(journey::probe(files.first()), QStringLiteral("audio")).isEmpty());
        const QByteArray history = fileBytes(m_program->folders().dataFolder() + QStringLiteral("/History.xml"));
        QVERIFY2(!history.contains(QFileInfo(files.first()).fileName().toUtf8()), history.constData());
    }

    // A screenshot folder that cannot be made (a file stands where it should be): the
    // screenshot hotkey during a recording tells the user once, in a balloon that leaves
    // the recording running, however often it is pressed; the log names each file.
    void screenshotThatCannotBeSavedIsToldOnce() {
        const QString blocker = m_program->folders().root() + QStringLiteral("/blocker");
        const QString shots = blocker + QStringLiteral("/shots/");
        QVERIFY(storeFolderUnderAFile(*m_program, 0, QStringLiteral("shots")));
        startProgram();
        QVERIFY(m_program->waitForSize(kNormalSize));
        QVERIFY(journey::trayIconWindowOf(*m_program) != 0);
        // The area drop-down's first size (176*144) at the screen's top left.
        QVERIFY(m_program->clickInWindow(QPoint(120, 92)));
        QTest::qWait(300);
        QVERIFY(m_program->keys(QStringLiteral("Home")));
        QVERIFY(m_program->keys(QStringLiteral("Return")));
        QTest::qWait(500);
        QVERIFY(m_program->clickInWindow(kRecordButton));
        const QSize videoPanel(241, 63);
        const bool panelShown = m_program->waitForSize(videoPanel, 15000);
        screenshot(QStringLiteral("16-screenshot-recording"));
        QVERIFY2(panelShown,
                 qPrintable(QStringLiteral("%1x%2").arg(m_program->rect().width()).arg(m_program->rect().height())));
        QTRY_VERIFY_WITH_TIMEOUT(!m_program->recordings(QStringLiteral("REC_*.mp4")).isEmpty(), 10000);
        QTest::qWait(500);
        QList<quint64> known = journey::otherWindowsOf(*m_program);
        QVERIFY(m_program->hotkey(QStringLiteral("ctrl+alt+F9"), "recordScreenshot--------------------------"));
        const quint64 balloon = journey::waitForNewWindowOf(*m_program, known, 10000);
        QVERIFY2(balloon != 0, "no balloon for the screenshot that could not be saved");
        screenshot(QStringLiteral("16-screenshot-not-saved"));
        known.append(balloon);
        // Pressed again: the log grows, no second balloon comes.
        QVERIFY(m_program->hotkey(QStringLiteral("ctrl+alt+F9"), "recordScreenshot--------------------------"));
        QTest::qWait(500);
        QVERIFY(m_program->hotkey(QStringLiteral("ctrl+alt+F9"), "recordScreenshot--------------------------"));
        QCOMPARE(journey::waitForNewWindowOf(*m_program, known, 3000), quint64(0));
        const QString log = m_program->folders().dataFolder() + QStringLiteral("/log.txt");
        QTRY_COMPARE_WITH_TIMEOUT(
            QString::fromUtf8(fileBytes(log)).count(QStringLiteral("The screenshot could not be saved: ") + shots), 3,
            5000);
        // The recording ran on all along, and ends as any other.
        QCOMPARE(m_program->rect().size(), videoPanel);
        QVERIFY(m_program->hotkey(QStringLiteral("ctrl+alt+F11"), "recordStop--------------------------"));
        const quint64 history = journey::waitForNewWindowOf(*m_program, known, 20000);
        QVERIFY(history != 0);
        journey::xdotool({"windowactivate", "--sync", QString::number(history)});
        QVERIFY(m_program->keys(QStringLiteral("Escape")));
        QVERIFY(m_program->waitForSize(kNormalSize, 15000));
        const QStringList files = m_program->recordings(QStringLiteral("REC_*.mp4"));
        QCOMPARE(files.size(), 1);
        QVERIFY(journey::probedDuration(journey::probe(files.first())) > 1.0);
        QVERIFY(QFileInfo(blocker).isFile());
    }

    // A history file cut to half its bytes (a crash or a full disk): opening the history
    // tells the user once, in a box over it, and lists every entry the cut file holds
    // whole; the new file holds them too (read with Python's own XML reader), and the
    // damaged file is kept as History.xml.bad beside it.
    void damagedHistoryKeepsItsWholeEntries() {
        QVERIFY(journey::writeSettingsFile(m_program->settingsFile(), storedFolders(*m_program)));
        QVERIFY(QDir().mkpath(m_program->outputFolder()));
        const QString first = m_program->outputFolder() + QStringLiteral("/REC_00.mp3");
        int code = -1;
        journey::run(QStringLiteral("ffmpeg"),
                     {"-v", "error", "-f", "lavfi", "-i", "sine=frequency=440:duration=0.5", first}, &code);
        QCOMPARE(code, 0);
        QStringList files{first};
        for (int i = 1; i < 18; ++i) {
            files.append(m_program->outputFolder() + QStringLiteral("/REC_%1.mp3").arg(i, 2, 10, QLatin1Char('0')));
            QVERIFY(QFile::copy(first, files.last()));
        }
        const QByteArray whole = historyFileOf(files);
        const QByteArray cut = whole.left(whole.size() / 2);
        const QStringList kept = files.mid(0, cut.count("</Path_item>"));
        QCOMPARE(kept.size(), 9);
        const QString history = m_program->folders().dataFolder() + QStringLiteral("/History.xml");
        QFile file(history);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(cut) == cut.size());
        file.close();

        startProgram();
        QVERIFY(m_program->waitForSize(kNormalSize));
        QList<quint64> known = journey::otherWindowsOf(*m_program);
        QVERIFY(m_program->clickInWindow(kHistoryButton));
        quint64 dialog = 0;
        quint64 box = 0;
        QElapsedTimer timer;
        timer.start();
        while ((dialog == 0 || box == 0) && timer.elapsed() < 15000) {
            for (quint64 id : journey::otherWindowsOf(*m_program)) {
                const QSize size = journey::windowRect(id).size();
                if (!known.contains(id) && size == kHistorySize) {
                    dialog = id;
                } else if (!known.contains(id) && size.width() > 64 && journey::isDialog(id)) {
                    // A box, not one of the history's own windows (its player).
                    box = id;
                }
            }
            QTest::qWait(50);
        }
        QVERIFY2(dialog != 0, "the history did not open");
        QVERIFY2(box != 0, "no box told of the damaged history");
        // Where the box settles (the window manager may place it first).
        QRect boxRect;
        QElapsedTimer settling;
        settling.start();
        for (QRect last; (boxRect = journey::windowRect(box)) != last && settling.elapsed() < 5000;) {
            last = boxRect;
            QTest::qWait(300);
        }
        screenshot(QStringLiteral("16-damaged-history-told"));
        QVERIFY(journey::windowRect(dialog).contains(boxRect.center()));
        // Its OK button, at the bottom right.
        QVERIFY(m_program->clickAt(boxRect.bottomRight() - QPoint(68, 32)));
        QTRY_VERIFY_WITH_TIMEOUT(journey::windowRect(box).isEmpty(), 5000);
        known = journey::otherWindowsOf(*m_program);
        QCOMPARE(journey::waitForNewWindowOf(*m_program, known, 2000), quint64(0));

        // Taller, so that all the rows show; they are counted down the cover column.
        QVERIFY(journey::xdotool({"windowsize", "--sync", QString::number(dialog), "853", "900"}));
        int rows = -1;
        QTRY_COMPARE_WITH_TIMEOUT((rows = historyRowsShown(journey::windowRect(dialog))), int(kept.size()), 5000);
        screenshot(QStringLiteral("16-damaged-history-rows"));
        journey::xdotool({"windowactivate", "--sync", QString::number(dialog)});
        QVERIFY(m_program->keys(QStringLiteral("Escape")));
        QVERIFY(m_program->waitForSize(kNormalSize, 15000));

        QCOMPARE(fileBytes(history + QStringLiteral(".bad")), cut);
        const QString listed =
            journey::run(QStringLiteral("python3"),
                         {"-c",
                          "import sys, xml.etree.ElementTree as ET\n"
                          "for e in ET.parse(sys.argv[1]).getroot().iter('Path_item'): print(e.get('Converted_path_'))",
                          history},
                         &code);
        QCOMPARE(code, 0);
        QCOMPARE(listed.split(QLatin1Char('\n'), Qt::SkipEmptyParts), kept);
        // The recordings themselves are all still there.
        QCOMPARE(m_program->recordings(QStringLiteral("REC_*.mp3")), files);
    }

    // A settings file cut short inside its last section: at start-up the user is told
    // once, and every value that can still be read is kept (the new file, read with
    // Python's own XML reader, holds them); the damaged file is kept as .bad.
    void damagedSettingsKeepTheirReadableValues() {
        QList<QStringList> settings = storedFolders(*m_program);
        settings.append({"CLOSE_ITEM", "bIsCloseDlg", "N"});
        settings.append({"CURSOR_OPTION", "Cursor_Show_Value", "N"});
        settings.append({"CURSOR_OPTION", "Cursor_Hight_Value", "N"});
        settings.append({"CURSOR_OPTION", "Cursor_Hight_Index", "2"});
        QVERIFY(journey::writeSettingsFile(m_program->settingsFile(), settings));
        const QByteArray whole = fileBytes(m_program->settingsFile());
        const QByteArray cut = whole.left(whole.indexOf("Cursor_Hight_Index") + 12);
        settings.removeLast();
        QFile file(m_program->settingsFile());
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(cut) == cut.size());
        file.close();

        startProgram();
        const quint64 box = journey::waitForNewWindowOf(*m_program, {}, 10000);
        QVERIFY2(box != 0, "no box told of the damaged settings");
        QTRY_VERIFY_WITH_TIMEOUT(journey::windowRect(box).width() > 300, 5000);
        QRect boxRect;
        QElapsedTimer settling;
        settling.start();
        for (QRect last; (boxRect = journey::windowRect(box)) != last && settling.elapsed() < 5000;) {
            last = boxRect;
            QTest::qWait(300);
        }
        screenshot(QStringLiteral("16-damaged-settings-told"));
        QVERIFY(m_program->clickAt(boxRect.bottomRight() - QPoint(68, 32)));
        QTRY_VERIFY_WITH_TIMEOUT(journey::windowRect(box).isEmpty(), 5000);
        QVERIFY(m_program->waitForSize(kNormalSize));
        QCOMPARE(journey::waitForNewWindowOf(*m_program, journey::otherWindowsOf(*m_program), 2000), quint64(0));

        QCOMPARE(fileBytes(m_program->settingsFile() + QStringLiteral(".bad")), cut);
        int code = -1;
        const QString stored = journey::run(QStringLiteral("python3"),
                                            {"-c",
                                             "import sys, xml.etree.ElementTree as ET\n"
                                             "for e in ET.parse(sys.argv[1]).getroot():\n"
                                             "    for k, v in e.attrib.items(): print(e.tag, k, v, sep='|')",
                                             m_program->settingsFile()},
                                            &code);
        QCOMPARE(code, 0);
        const QStringList lines = stored.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        for (const QStringList& value : settings) {
            QVERIFY2(lines.contains(value.join(QLatin1Char('|'))), qPrintable(value.join(' ') + "\n" + stored));
        }
    }

    // An audio recording whose sound server is killed and started again, whose
    // microphone is then pulled out and plugged in again, and whose output is then
    // removed and added again: the user is told at once in a balloon naming what went,
    // and again when the sound comes back; the recording runs on, and its file
    // has the sine of the microphone before and after the gap and silence in between,
    // at their times.
    void soundServerKilledDuringARecordingIsToldAndTakenUpAgain() {
        OwnSoundServer server;
        QVERIFY(server.started());
        ServerAddress address(server.address());
        QVERIFY(journey::writeSettingsFile(m_program->settingsFile(), storedFolders(*m_program)));
        startProgram();
        QVERIFY(m_program->waitForSize(kNormalSize));
        QVERIFY(journey::trayIconWindowOf(*m_program) != 0);
        QVERIFY(m_program->clickInWindow(kAudioModeButton));
        QVERIFY(m_program->clickInWindow(kRecordButton));
        QVERIFY(m_program->waitForSize(kAudioPanelSize, 15000));
        QTRY_VERIFY_WITH_TIMEOUT(!m_program->recordings(QStringLiteral("REC_*")).isEmpty(), 10000);
        QElapsedTimer clock;
        clock.start();
        QTest::qWait(2500);
        QList<quint64> known = journey::otherWindowsOf(*m_program);
        const int lostLines = m_program->logCount("recordSound--------------------------");
        QVERIFY(server.kill());
        const double lostAt = clock.elapsed() / 1000.0;
        const quint64 lost = journey::waitForNewWindowOf(*m_program, known, 5000);
        QVERIFY2(lost != 0, "no balloon for the sound that stopped");
        screenshot(QStringLiteral("17-sound-lost"));
        QVERIFY(m_program->waitForLog("recordSound--------------------------", lostLines));
        known.append(lost);
        QTest::qWait(2500);
        const double returnedAt = clock.elapsed() / 1000.0;
        QVERIFY(server.start());
        const quint64 back = journey::waitForNewWindowOf(*m_program, known, 5000);
        QVERIFY2(back != 0, "no balloon for the sound that came back");
        screenshot(QStringLiteral("17-sound-back"));
        QVERIFY(m_program->waitForLog("The sound is recorded again.", 0));
        known.append(back);
        QTest::qWait(2500);
        // The system sound and the microphone went and came together: one balloon each way,
        // naming both.
        QCOMPARE(m_program->logCount("recordSound--------------------------"), lostLines + 2);
        QCOMPARE(m_program->logCount("The system sound and the microphone went away."), 1);
        // The microphone pulled out: the server's default input is now the monitor of the
        // output, the system sound, which is not taken for the microphone. The user is
        // told, and told again once it is plugged in.
        QCOMPARE(QProcess::execute("pactl", {"unload-module", "module-sine-source"}), 0);
        const quint64 away = journey::waitForNewWindowOf(*m_program, known, 5000);
        QVERIFY2(away != 0, "no balloon for the microphone pulled out");
        screenshot(QStringLiteral("17-microphone-away"));
        QVERIFY(m_program->waitForLog("The microphone went away. The recording goes on in silence", 0));
        known.append(away);
        QTest::qWait(1000);
        QCOMPARE(
            QProcess::execute("pactl", {"load-module", "module-sine-source", "source_name=own_mic", "frequency=440"}),
            0);
        const quint64 plugged = journey::waitForNewWindowOf(*m_program, known, 5000);
        QVERIFY2(plugged != 0, "no balloon for the microphone plugged in again");
        QVERIFY(m_program->waitForLog("The sound is recorded again.", 1));
        known.append(plugged);
        QTest::qWait(1500);
        // The output removed: the system sound is lost (the server would move its capture
        // to the microphone), and taken up again once the output is back.
        QCOMPARE(QProcess::execute("pactl", {"unload-module", "module-null-sink"}), 0);
        const quint64 outputGone = journey::waitForNewWindowOf(*m_program, known, 5000);
        QVERIFY2(outputGone != 0, "no balloon for the output removed");
        screenshot(QStringLiteral("17-system-sound-away"));
        QVERIFY(m_program->waitForLog("The system sound went away. The recording goes on in silence", 0));
        known.append(outputGone);
        QTest::qWait(1000);
        QCOMPARE(QProcess::execute("pactl", {"load-module", "module-null-sink", "sink_name=own_null"}), 0);
        const quint64 outputBack = journey::waitForNewWindowOf(*m_program, known, 5000);
        QVERIFY2(outputBack != 0, "no balloon for the output back");
        QVERIFY(m_program->waitForLog("The sound is recorded again.", 2));
        known.append(outputBack);
        QTest::qWait(2500);
        QCOMPARE(m_program->rect().size(), kAudioPanelSize);
        QVERIFY(m_program->hotkey(QStringLiteral("ctrl+alt+F11"), "recordStop--------------------------"));
        const double stoppedAt = clock.elapsed() / 1000.0;
        const quint64 history = journey::waitForNewWindowOf(*m_program, known, 20000);
        QVERIFY(history != 0);
        journey::xdotool({"windowactivate", "--sync", QString::number(history)});
        QVERIFY(m_program->keys(QStringLiteral("Escape")));
        QVERIFY(m_program->waitForSize(kNormalSize, 15000));
        const QStringList files = m_program->recordings(QStringLiteral("REC_*"));
        QCOMPARE(files.size(), 1);
        // The clock above started after the recording did: the file is at least as long,
        // and its end is the stop, from which the moments of the clock are placed.
        const double duration = journey::probedDuration(journey::probe(files.first()));
        QVERIFY2(duration >= stoppedAt - 0.3 && duration <= stoppedAt + 1.5,
                 qPrintable(QString("%1 s in the file, %2 s from the clock").arg(duration).arg(stoppedAt)));
        const double offset = duration - stoppedAt; // the clock started this much later
        QProcess decoder;
        decoder.start("ffmpeg", {"-nostdin", "-v", "error", "-i", files.first(), "-map", "0:a:0", "-ac", "1", "-ar",
                                 "48000", "-f", "s16le", "-"});
        QVERIFY(decoder.waitForFinished(30000) && decoder.exitCode() == 0);
        const QByteArray pcm = decoder.readAllStandardOutput();
        const auto* samples = reinterpret_cast<const int16_t*>(pcm.constData());
        const int count = pcm.size() / 2;
        // The average magnitude of 0.8 s from a moment of the clock (0 silence, 32768 full).
        const auto level = [&](double from) {
            const int first = qBound(0, int((offset + from) * 48000), count);
            const int last = qBound(0, first + 38400, count);
            int64_t sum = 0;
            for (int i = first; i < last; ++i) {
                sum += qAbs(int(samples[i]));
            }
            return last > first ? int(sum / (last - first)) : -1;
        };
        const int before = level(lostAt - 1.2);
        const int gap = level(returnedAt - 1.0);
        const int after = level(stoppedAt - 1.5);
        const QString found = QString("killed at %1 s, back at %2 s, stopped at %3 s of %4 s: levels before %5, in "
                                      "the gap %6, after %7")
                                  .arg(lostAt)
                                  .arg(returnedAt)
                                  .arg(stoppedAt)
                                  .arg(duration)
                                  .arg(before)
                                  .arg(gap)
                                  .arg(after);
        QVERIFY2(before > 1000 && after > 1000 && gap >= 0 && gap < 50, qPrintable(found));
    }

    // What a running recording finds wrong (here: a cut finds the history file
    // unreadable) waits for its end: no box comes over the recording (it would be in its
    // picture and hold up its controls), the stop hotkey and the tray's Stop end it within
    // a second, and then come exactly three windows: the box naming both recordings that
    // could not be added to the history, the history library and the box over it about the
    // unreadable history file. Once they are closed the window is back at its idle look
    // with the tray icon.
    void noBoxComesOverARunningRecording_data() {
        QTest::addColumn<bool>("fromTray");
        QTest::newRow("hotkey") << false;
        QTest::newRow("tray") << true;
    }
    void noBoxComesOverARunningRecording() {
        QFETCH(bool, fromTray);
        const QString shot = QStringLiteral("16-box-over-recording-") + QLatin1String(QTest::currentDataTag());
        QVERIFY(journey::writeSettingsFile(m_program->settingsFile(), storedFolders(*m_program)));
        startProgram();
        QVERIFY(m_program->waitForSize(kNormalSize));
        // The history file turns into something that cannot be read while the program runs.
        QVERIFY(QDir().mkpath(m_program->folders().dataFolder() + QStringLiteral("/History.xml")));
        const quint64 tray = journey::trayIconWindowOf(*m_program);
        QVERIFY(tray != 0);
        QVERIFY(m_program->clickInWindow(kAudioModeButton));
        QVERIFY(m_program->clickInWindow(kRecordButton));
        QVERIFY(m_program->waitForSize(kAudioPanelSize, 20000));
        QTRY_COMPARE_WITH_TIMEOUT(m_program->recordings(QStringLiteral("REC_*.mp3")).size(), 1, 10000);
        QList<quint64> known = journey::otherWindowsOf(*m_program);
        QVERIFY(m_program->hotkey(QStringLiteral("ctrl+alt+F10"), "recordCut--------------------------"));
        QTRY_COMPARE_WITH_TIMEOUT(m_program->recordings(QStringLiteral("REC_*.mp3")).size(), 2, 10000);
        QElapsedTimer secondFile;
        secondFile.start();
        const quint64 early = journey::waitForNewWindowOf(*m_program, known, 3000);
        QVERIFY2(early == 0, "a box came over the running recording");
        QVERIFY(journey::xdotool({"mousemove", "--sync", "1700", "200"}));
        screenshot(shot + QStringLiteral("-running"));
        QCOMPARE(m_program->rect().size(), kAudioPanelSize);

        if (fromTray) {
            const int before = journey::otherWindowsOf(*m_program).size();
            QVERIFY(m_program->clickAt(journey::windowRect(tray).center(), 3));
            QTRY_VERIFY_WITH_TIMEOUT(journey::otherWindowsOf(*m_program).size() > before, 5000);
            screenshot(shot + QStringLiteral("-tray-menu"));
            // From the top of the menu, up goes round to its last entry, Cancel; one more
            // up is Stop.
            QVERIFY(m_program->keys(QStringLiteral("Up")));
            QVERIFY(m_program->keys(QStringLiteral("Up")));
            QVERIFY(m_program->keys(QStringLiteral("Return")));
        } else {
            QVERIFY(m_program->hotkey(QStringLiteral("ctrl+alt+F11"), "recordStop--------------------------"));
        }
        const double stoppedAt = secondFile.elapsed() / 1000.0;
        // The recording has ended: its file no longer grows, and holds no more than ran.
        const QString file = m_program->recordings(QStringLiteral("REC_*.mp3")).last();
        QTest::qWait(1000);
        const qint64 size = QFileInfo(file).size();
        QTest::qWait(2000);
        QCOMPARE(QFileInfo(file).size(), size);
        const double seconds = journey::probedDuration(journey::probe(file));
        QVERIFY2(
            seconds > 0.5 && seconds <= stoppedAt + 1.0,
            qPrintable(QStringLiteral("%1 s in the file, stopped %2 s after it began").arg(seconds).arg(stoppedAt)));

        // The windows the end of the recording brings, each answered.
        // Each round answers the newest of them, the one on top (a box over the history).
        int answered = 0;
        for (int round = 0; round < 6; ++round) {
            if (journey::waitForNewWindowOf(*m_program, known, round == 0 ? 10000 : 3000) == 0) {
                break;
            }
            QTest::qWait(1000);
            QList<quint64> fresh;
            for (const quint64 window : journey::otherWindowsOf(*m_program)) {
                if (!known.contains(window) && !journey::windowRect(window).isEmpty()) {
                    fresh.append(window);
                }
            }
            if (fresh.isEmpty()) {
                continue;
            }
            const quint64 top = fresh.last();
            known.append(top);
            screenshot(shot + QStringLiteral("-then-") + QString::number(++answered));
            journey::xdotool({"windowactivate", "--sync", QString::number(top)});
            QVERIFY(m_program->keys(QStringLiteral("Escape")));
            QTRY_VERIFY_WITH_TIMEOUT(journey::windowRect(top).isEmpty(), 5000);
        }
        QVERIFY2(answered == 3, qPrintable(QStringLiteral("%1 windows after the stop, not 3").arg(answered)));
        QVERIFY(m_program->waitForSize(kNormalSize, 10000));
        QVERIFY(journey::trayIconWindowOf(*m_program) != 0);
        QTest::qWait(500);
        screenshot(shot + QStringLiteral("-idle"));
    }

    // A signal during the countdown (a session that ends right after Record): the
    // program ends with 0 and nothing has started: no file, no failure (it started the
    // recorder after all before, leaving an empty file and "Recording failed!").
    void signalDuringTheCountdownStartsNothing() {
        QVERIFY(journey::writeSettingsFile(m_program->settingsFile(), storedFolders(*m_program)));
        startProgram();
        QVERIFY(m_program->waitForSize(kNormalSize));
        QVERIFY(m_program->clickInWindow(kAudioModeButton));
        const QList<quint64> known = journey::otherWindowsOf(*m_program);
        QVERIFY(m_program->clickInWindow(kRecordButton));
        const quint64 countdown = journey::waitForNewWindowOf(*m_program, known, 10000);
        QVERIFY(countdown != 0);
        QCOMPARE(journey::windowRect(countdown).size(), QSize(300, 190));
        screenshot(QStringLiteral("16-countdown-then-signal"));
        m_program->process().terminate();
        QVERIFY(m_program->process().waitForFinished(10000));
        QCOMPARE(m_program->process().exitStatus(), QProcess::NormalExit);
        QCOMPARE(m_program->process().exitCode(), 0);
        QDirIterator anyRecording(m_program->folders().root(), {"REC_*"}, QDir::Files, QDirIterator::Subdirectories);
        QVERIFY2(!anyRecording.hasNext(), qPrintable(anyRecording.hasNext() ? anyRecording.next() : QString()));
        QVERIFY2(!m_program->log().contains("Recording failed"), m_program->log().right(400).constData());
    }
};

QTEST_MAIN(TestRecorderTold)
#include "tst_recorder_told.moc"
