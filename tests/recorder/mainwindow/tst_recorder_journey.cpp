// A user records from the main window: the built program on the virtual desktop, driven
// with xdotool in private folders, a root screenshot per step in
// test-output/recorder-journey/, files read back with ffprobe.
#include "JourneyDriver.h"
#include "tests/support/DesktopHelpers.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/OwnSoundServer.h"
#include "tests/support/ReadOnlyFile.h"
#include "tests/support/ToneStrength.h"

#include <QDateTime>
#include <QDirIterator>
#include <QDomDocument>
#include <QFile>
#include <QPainter>
#include <QTimer>
#include <QWidget>
#include <QtTest>

using journey::fileBytes;
using journey::Program;
using journey::screenshot;
using namespace journey::layout;

namespace {

// A window of the test process that keeps changing: what the user records.
class AnimatedWindow : public QWidget {
public:
    AnimatedWindow() {
        setWindowFlags(Qt::FramelessWindowHint);
        setWindowTitle(QStringLiteral("journey animation"));
        setGeometry(200, 150, 640, 360);
        connect(&m_timer, &QTimer::timeout, this, [this] {
            ++m_step;
            update();
        });
        m_timer.start(33);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), QColor::fromHsv((m_step * 5) % 360, 180, 160));
        painter.fillRect((m_step * 8) % width(), 0, 60, height(), Qt::white);
    }

private:
    QTimer m_timer;
    int m_step = 0;
};

// A window of the test process whose pixels alternate black and white (a checkerboard of
// 1-pixel squares, in screen coordinates: the pixel at x, y is white when x + y is odd).
class CheckerboardWindow : public QWidget {
public:
    explicit CheckerboardWindow(const QRect& geometry) {
        setWindowFlags(Qt::FramelessWindowHint);
        setWindowTitle(QStringLiteral("journey checkerboard"));
        setGeometry(geometry);
    }
    static bool whiteAt(int x, int y) { return (x + y) % 2 != 0; }

protected:
    void paintEvent(QPaintEvent*) override {
        QImage board(size(), QImage::Format_RGB32);
        for (int y = 0; y < board.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(board.scanLine(y));
            for (int x = 0; x < board.width(); ++x) {
                line[x] = whiteAt(geometry().x() + x, geometry().y() + y) ? qRgb(255, 255, 255) : qRgb(0, 0, 0);
            }
        }
        QPainter(this).drawImage(0, 0, board);
    }
};

// The area frame's colour (and the lit level cells').
const QColor kBrandRed(253, 94, 105);

const QSize kToolbarNoticeSize(345, 150);
const QSize kCountdownSize(300, 190);
// The hotkeys' log lines: a hotkey has been taken once its line is logged.
const QByteArray kStopLine("recordStop------");
const QByteArray kPauseLine("recordPlayAndPause------");

// The normal frame of a toolbar button image, drawn over the toolbar's background.
QImage toolbarButtonFace(const char* image) {
    const QImage strip(QFileInfo(Program::path()).path() + QStringLiteral("/image/record_tool_dlg/") +
                       QLatin1String(image));
    QImage face(strip.width() / 4, strip.height(), QImage::Format_RGB32);
    face.fill(QColor(62, 60, 60));
    QPainter painter(&face);
    painter.drawImage(0, 0, strip, 0, 0, face.width(), face.height());
    return face;
}

// How far two images of one size are apart: the mean difference of their channels.
double imageDistance(const QImage& a, const QImage& b) {
    if (a.size() != b.size() || a.isNull()) {
        return 1e9;
    }
    double sum = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QColor p = a.pixelColor(x, y);
            const QColor q = b.pixelColor(x, y);
            sum += qAbs(p.red() - q.red()) + qAbs(p.green() - q.green()) + qAbs(p.blue() - q.blue());
        }
    }
    return sum / (3.0 * a.width() * a.height());
}
// On the time page of the open options panel.
const QPoint kStopAfterBox(300, 239);
const QPoint kStopAfterSeconds(457, 271);

// The audio-input panel's system sound button.

// The window manager's state atoms of a window, as xprop reads them; empty until the
// window manager has given the window its state.
QString windowState(quint64 window) {
    const QString out = journey::run(QStringLiteral("xprop"), {"-id", QString::number(window), "_NET_WM_STATE"});
    return out.contains(QStringLiteral("_NET_WM_STATE(ATOM)")) ? out.trimmed() : QString();
}

// Where the window manager stacks the client window, from the bottom; -1 when unlisted.
int stackingPlace(quint64 window) {
    const QString list = journey::run(QStringLiteral("xprop"), {"-root", "_NET_CLIENT_LIST_STACKING"});
    const QStringList ids = list.section(QLatin1Char('#'), 1).split(QLatin1Char(','), Qt::SkipEmptyParts);
    for (int i = 0; i < ids.size(); ++i) {
        if (ids[i].trimmed().toULongLong(nullptr, 16) == window) {
            return i;
        }
    }
    return -1;
}

// The close dialog (315 x 170) and what the user clicks in it, in its own coordinates.
const QPoint kCloseExitChoice(60, 90);
const QPoint kCloseDontAskAgain(43, 124);

// The level bars of the audio panel: the toolbar at 10,23, its display 7 pixels in, the
// toolbar's width less 14 wide and 45 high.
const QRect kLevelBars(10 + 7, 23, 221 - 14, 45);

// Pixels of the bars' colour (the brand red the lit cells are drawn in).
int litPixels(const QImage& image) {
    return desktoptest::countColour(image, image.rect(), kBrandRed, 39);
}

// The value of a key of the settings file, empty when missing.
QString storedSetting(const QString& file, const QString& section, const QString& key) {
    QFile xml(file);
    QDomDocument document;
    if (!xml.open(QIODevice::ReadOnly) || !document.setContent(&xml)) {
        return QString();
    }
    return document.documentElement().firstChildElement(section).attribute(key);
}

void writeSettings(const QString& file, const QList<QStringList>& values) {
    QDomDocument document;
    QDomElement root = document.createElement(QStringLiteral("ROOTITEM"));
    document.appendChild(root);
    for (const QStringList& value : values) {
        QDomElement section = root.firstChildElement(value[0]);
        if (section.isNull()) {
            section = document.createElement(value[0]);
            root.appendChild(section);
        }
        section.setAttribute(value[1], value[2]);
    }
    QDir().mkpath(QFileInfo(file).path());
    QFile xml(file);
    QVERIFY(xml.open(QIODevice::WriteOnly | QIODevice::Truncate));
    xml.write(document.toByteArray(4));
}

} // namespace

class TestRecorderJourney : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<Program> m_program;

    // The history library that opens after a recording: kept in a screenshot, then closed.
    bool closeHistory(const QString& name) {
        const quint64 history = waitForWindowSized(kHistorySize, 20000);
        if (history == 0) {
            return false;
        }
        screenshot(QStringLiteral("history-") + name);
        return escape(history);
    }

    // A window of the program of that size once one is on screen; 0 when none came.
    quint64 waitForWindowSized(const QSize& size, int timeoutMs) {
        QElapsedTimer timer;
        timer.start();
        do {
            for (quint64 id : journey::otherWindowsOf(*m_program)) {
                if (journey::windowRect(id).size() == size) {
                    return id;
                }
            }
            QTest::qWait(50);
        } while (timer.elapsed() < timeoutMs);
        return 0;
    }

    // Return in a message box of the program, once the box has the focus (a box raised at
    // start-up can map before the main window, which then takes the focus); true once the
    // box is gone.
    bool answerBox(quint64 box) {
        const QString id = QString::number(box);
        QElapsedTimer timer;
        timer.start();
        while (journey::run(QStringLiteral("xdotool"), {"getactivewindow"}).trimmed() != id) {
            if (timer.elapsed() > 5000) {
                return false;
            }
            journey::xdotool({"windowactivate", id});
            QTest::qWait(100);
        }
        if (!m_program->keys(QStringLiteral("Return"))) {
            return false;
        }
        while (timer.elapsed() < 10000) {
            if (journey::windowRect(box).isEmpty()) {
                return true;
            }
            QTest::qWait(50);
        }
        return false;
    }

    // Escape in a dialog of the program; true once it is gone.
    bool escape(quint64 dialog) {
        journey::xdotool({"windowactivate", "--sync", QString::number(dialog)});
        m_program->keys(QStringLiteral("Escape"));
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < 20000) {
            if (journey::windowRect(dialog).isEmpty()) {
                return true;
            }
            QTest::qWait(50);
        }
        return false;
    }

    // A right click on the tray icon; true once its menu is on screen.
    bool openTrayMenu(quint64 tray) {
        const int before = journey::otherWindowsOf(*m_program).size();
        if (!m_program->clickAt(journey::windowRect(tray).center(), 3)) {
            return false;
        }
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < 5000) {
            if (journey::otherWindowsOf(*m_program).size() > before) {
                return true;
            }
            QTest::qWait(50);
        }
        return false;
    }

    // The area picked by a click on the animated window: the drop-down's last entry, a
    // hover, a click; the window comes back at its normal size in area mode.
    void pickAnimatedArea(const QString& shotPrefix) {
        QVERIFY(m_program->clickInWindow(kAreaDropDown));
        QTest::qWait(300);
        QVERIFY(m_program->keys(QStringLiteral("End")));
        QVERIFY(m_program->keys(QStringLiteral("Return")));
        // Pick mode: the main window hides, the frame dims the screen; hover, then click.
        QTRY_VERIFY_WITH_TIMEOUT(m_program->rect().isEmpty(), 5000);
        QVERIFY(journey::xdotool({"mousemove", "--sync", "500", "300"}));
        QVERIFY(journey::xdotool({"mousemove", "--sync", "520", "330"}));
        QTest::qWait(200);
        screenshot(shotPrefix + QStringLiteral("-picking"));
        QVERIFY(journey::xdotool({"click", "1"}));
        QVERIFY(m_program->waitForSize(kNormalSize));
        screenshot(shotPrefix + QStringLiteral("-area-picked"));
    }

    // An entry of the capture-area panel's drop-down, counted from its last one
    // ("Select area to record"; one up is "Full Screen").
    void chooseAreaEntry(int upFromLast) {
        QVERIFY(m_program->clickInWindow(kAreaDropDown));
        QTest::qWait(300);
        QVERIFY(m_program->keys(QStringLiteral("End")));
        for (int i = 0; i < upFromLast; ++i) {
            QVERIFY(m_program->keys(QStringLiteral("Up")));
        }
        QVERIFY(m_program->keys(QStringLiteral("Return")));
    }

    // Whether the compact panel's toolbar shows Resume (paused) rather than Pause: its
    // first button compared with the faces of both images.
    bool toolbarShowsResume() {
        const QImage pause = toolbarButtonFace("btn_record_pause.png");
        const QImage resume = toolbarButtonFace("btn_record_start.png");
        const QPoint at = m_program->rect().topLeft() + QPoint(kToolbarX, 23 + (32 - pause.height()) / 2);
        const QImage shown = journey::grabScreen(QRect(at, pause.size())).convertToFormat(QImage::Format_RGB32);
        return imageDistance(shown, resume) < imageDistance(shown, pause);
    }

    void startProgram() {
        m_program->start();
        QVERIFY(m_program->process().waitForStarted());
        QVERIFY2(m_program->waitForMainWindow() != 0, "the main window never mapped");
    }
    // The program started, shown at its normal size and switched to audio mode (X11
    // delivers the clicks in order, so the next click finds the mode switched).
    void startInAudioMode() {
        startProgram();
        QVERIFY(m_program->waitForSize(kNormalSize));
        QVERIFY(m_program->clickInWindow(kAudioModeButton));
    }

private slots:
    void initTestCase() { QVERIFY2(QFile::exists(Program::path()), qPrintable(Program::path())); }
    void init() { m_program = std::make_unique<Program>(); }
    void cleanup() { m_program.reset(); }

    // Start: the main window in video mode at its normal size; the tray holds the icon.
    void startShowsTheMainWindow() {
        startProgram();
        QVERIFY(m_program->waitForSize(kNormalSize));
        screenshot(QStringLiteral("01-start"));
        // The tray icon is a window of the program embedded in the tray.
        QTRY_VERIFY_WITH_TIMEOUT(!journey::otherWindowsOf(*m_program).isEmpty(), 5000);
        QVERIFY(QFile::exists(m_program->folders().dataFolder() + QStringLiteral("/log.txt")));
        QFile log(m_program->folders().dataFolder() + QStringLiteral("/log.txt"));
        QVERIFY(log.open(QIODevice::ReadOnly));
        QVERIFY(log.readAll().startsWith("Calvorine Screen Recorder"));
    }

    // Record in video mode without an area: the user is told, nothing starts.
    void recordWithoutAreaTellsTheUser() {
        startProgram();
        QVERIFY(m_program->waitForSize(kNormalSize));
        const QList<quint64> before = journey::otherWindowsOf(*m_program);
        QVERIFY(m_program->clickInWindow(kRecordButton));
        QList<quint64> after;
        QTRY_VERIFY_WITH_TIMEOUT((after = journey::otherWindowsOf(*m_program)).size() > before.size(), 5000);
        screenshot(QStringLiteral("02-no-area-message"));
        QVERIFY(m_program->keys(QStringLiteral("Return")));
        QTRY_COMPARE_WITH_TIMEOUT(journey::otherWindowsOf(*m_program).size(), before.size(), 5000);
        QCOMPARE(m_program->rect().size(), kNormalSize);
        QVERIFY(m_program->recordings().isEmpty());
    }

    // Video: an area picked by a click on a window, a countdown that the pause hotkey does
    // not disturb, the compact panel beside the area, pause, resume, cut and stop (on the
    // toolbar, or with Ctrl+Alt+F11/F12/F10); two H.264/AAC files of the area's size, the
    // first as long as recorded, each with the system sound from its first moment to its
    // last. Ctrl+Alt+F9 saves a PNG of the area.
    void recordsAPickedArea_data() {
        QTest::addColumn<bool>("hotkeys");
        QTest::newRow("toolbar") << false;
        QTest::newRow("hotkeys") << true;
    }
    void recordsAPickedArea() {
        QFETCH(bool, hotkeys);
        const QString step = hotkeys ? QStringLiteral("06") : QStringLiteral("04");
        // The program hears a sound server of the test's own, a 1 kHz tone playing into
        // its output all along.
        OwnSoundServer server;
        QVERIFY(server.started());
        ServerAddress address(server.address());
        int loaded = -1;
        journey::run(QStringLiteral("pactl"), {"load-module", "module-sine", "sink=own_null", "frequency=1000"},
                     &loaded);
        QCOMPARE(loaded, 0);
        AnimatedWindow animation;
        animation.show();
        QVERIFY(QTest::qWaitForWindowExposed(&animation));
        startProgram();
        QVERIFY(m_program->waitForSize(kNormalSize));
        const QPoint normalPosition = m_program->rect().topLeft();
        pickAnimatedArea(hotkeys ? QStringLiteral("06") : QStringLiteral("03"));
        QVERIFY(!QTest::currentTestFailed());

        const int pauseWidth = journey::toolbarButtonWidth("btn_record_pause.png");
        const int stopWidth = journey::toolbarButtonWidth("btn_record_stop.png");
        const int cutWidth = journey::toolbarButtonWidth("btn_cut.png");
        QVERIFY(pauseWidth > 0 && stopWidth > 0 && cutWidth > 0);
        const QPoint pauseButton(kToolbarX + pauseWidth / 2, kToolbarCentreY);
        const QPoint stopButton(kToolbarX + pauseWidth + 18 + stopWidth / 2, kToolbarCentreY);
        const QPoint cutButton(kToolbarX + pauseWidth + 18 + stopWidth + 18 + cutWidth / 2, kToolbarCentreY);
        auto act = [&](const QPoint& button, const char* key) {
            return hotkeys ? m_program->keys(QStringLiteral("ctrl+alt+") + QLatin1String(key))
                           : m_program->clickInWindow(button);
        };

        QVERIFY(act(kRecordButton, "F11"));
        // The countdown runs with the window hidden; a pause meanwhile does nothing.
        QTRY_VERIFY_WITH_TIMEOUT(m_program->rect().isEmpty(), 5000);
        QTest::qWait(1000);
        screenshot(step + QStringLiteral("-countdown"));
        QVERIFY(m_program->keys(QStringLiteral("ctrl+alt+F12")));
        QVERIFY(m_program->waitForSize(kVideoPanelSize, 10000));
        // The recording's clock starts when the recorder has opened its file.
        QTRY_VERIFY_WITH_TIMEOUT(!m_program->recordings(QStringLiteral("REC_*.mp4")).isEmpty(), 10000);
        QElapsedTimer recorded;
        recorded.start();
        const QRect panel = m_program->rect();
        const QRect area(200, 150, 640, 360);
        QVERIFY2(!panel.intersects(area), "the compact panel lies on the recorded area");
        screenshot(step + QStringLiteral("-recording"));
        if (hotkeys) {
            // The screenshot hotkey: the next frame of the area, as a PNG.
            const QString shots = m_program->documents() + QStringLiteral("/Screenshots");
            QVERIFY(m_program->keys(QStringLiteral("ctrl+alt+F9")));
            QString png;
            auto pngSize = [&png, &shots] {
                const QStringList found = QDir(shots).entryList({"ScreenCapture_*.png"}, QDir::Files);
                png = found.size() == 1 ? shots + QLatin1Char('/') + found.first() : QString();
                return png.isEmpty() ? QString()
                                     : journey::run(QStringLiteral("identify"), {"-format", "%wx%h", png}).trimmed();
            };
            QTRY_COMPARE_WITH_TIMEOUT(pngSize(), QStringLiteral("640x360"), 5000);
            const QJsonObject picture = journey::probedStream(journey::probe(png), QStringLiteral("video"));
            QCOMPARE(picture.value("codec_name").toString(), QStringLiteral("png"));
            QCOMPARE(picture.value("width").toInt(), 640);
            QCOMPARE(picture.value("height").toInt(), 360);
        } else {
            const quint64 tray = journey::trayIconWindowOf(*m_program);
            QVERIFY(openTrayMenu(tray));
            screenshot(QStringLiteral("04-recording-tray-menu"));
            QVERIFY(m_program->keys(QStringLiteral("Escape")));
        }

        QTest::qWait(2000 - int(recorded.elapsed()));
        QVERIFY(act(pauseButton, "F12"));
        const qint64 beforePause = recorded.elapsed();
        QTest::qWait(2000);
        screenshot(step + QStringLiteral("-paused"));
        QVERIFY(act(pauseButton, "F12")); // now Resume
        const qint64 pausedFor = recorded.elapsed() - beforePause;
        QTest::qWait(1500);
        QVERIFY(act(cutButton, "F10"));
        const double firstSeconds = (recorded.elapsed() - pausedFor) / 1000.0;
        QTRY_COMPARE_WITH_TIMEOUT(m_program->recordings(QStringLiteral("REC_*.mp4")).size(), 2, 10000);
        QTest::qWait(1500);
        QVERIFY(act(stopButton, "F11"));
        QVERIFY(closeHistory(QStringLiteral("video-") + QLatin1String(QTest::currentDataTag())));
        QVERIFY(m_program->waitForSize(kNormalSize, 15000));
        QCOMPARE(m_program->rect().topLeft(), normalPosition);

        const QStringList files = m_program->recordings(QStringLiteral("REC_*.mp4"));
        QCOMPARE(files.size(), 2);
        for (const QString& file : files) {
            const QJsonObject info = journey::probe(file);
            const QJsonObject video = journey::probedStream(info, QStringLiteral("video"));
            QCOMPARE(video.value("codec_name").toString(), QStringLiteral("h264"));
            QCOMPARE(video.value("width").toInt(), 640);
            QCOMPARE(video.value("height").toInt(), 360);
            QCOMPARE(journey::probedStream(info, QStringLiteral("audio")).value("codec_name").toString(),
                     QStringLiteral("aac"));
            // The cut hands the sound on: each piece holds the tone from its first quarter
            // second to its last.
            constexpr int kRate = 44100;
            const std::vector<int16_t> sound = soundtest::decodedMono(file, kRate);
            QVERIFY2(sound.size() > size_t(kRate), qPrintable(QStringLiteral("%1 samples").arg(sound.size())));
            const QStringList missing = soundtest::quartersWithoutTone(sound, kRate, 1000);
            QVERIFY2(missing.isEmpty(),
                     qPrintable(QFileInfo(file).fileName() + QStringLiteral(": ") + missing.join(", ")));
        }
        const double first = journey::probedDuration(journey::probe(files.first()));
        QVERIFY2(qAbs(first - firstSeconds) <= 0.3,
                 qPrintable(QStringLiteral("%1 s recorded, %2 s in the file").arg(firstSeconds).arg(first)));
        QFile history(m_program->folders().dataFolder() + QStringLiteral("/History.xml"));
        QVERIFY(history.open(QIODevice::ReadOnly));
        const QByteArray listed = history.readAll();
        for (const QString& file : files) {
            QVERIFY(listed.contains(QFileInfo(file).fileName().toUtf8()));
        }
    }

    // Audio mode: the compact panel whose level bars light with the sine of the virtual
    // microphone, an MP3 without video, back to the normal look.
    void recordsAudioOnly() {
        startInAudioMode();
        QVERIFY(!QTest::currentTestFailed());
        QVERIFY(m_program->clickInWindow(kRecordButton));
        QVERIFY(m_program->waitForSize(kAudioPanelSize, 15000));
        QTRY_COMPARE_WITH_TIMEOUT(m_program->recordings(QStringLiteral("REC_*.mp3")).size(), 1, 10000);
        // The bars are drawn for each block of sound as it comes: look until one is seen.
        int mostLit = 0;
        QImage bars;
        QElapsedTimer looking;
        looking.start();
        while (mostLit < 30 && looking.elapsed() < 8000) {
            bars = journey::grabScreen(kLevelBars.translated(m_program->rect().topLeft()));
            mostLit = qMax(mostLit, litPixels(bars));
        }
        QVERIFY2(mostLit >= 30, qPrintable(QStringLiteral("%1 lit pixels at most").arg(mostLit)));
        screenshot(QStringLiteral("07-audio-recording"));
        const QString folder = QStringLiteral(CALVORINE_TEST_OUTPUT_DIR) + QStringLiteral("/recorder-journey");
        bars.scaled(bars.size() * 3).save(folder + QStringLiteral("/07-level-bars-lit.png"));
        QTest::qWait(1000);
        QVERIFY(m_program->keys(QStringLiteral("ctrl+alt+F11")));
        QVERIFY(closeHistory(QStringLiteral("audio")));
        QVERIFY(m_program->waitForSize(kNormalSize, 15000));
        screenshot(QStringLiteral("07-audio-done"));
        const QStringList files = m_program->recordings(QStringLiteral("REC_*.mp3"));
        QCOMPARE(files.size(), 1);
        const QJsonObject info = journey::probe(files.first());
        QVERIFY(!journey::probedStream(info, QStringLiteral("audio")).isEmpty());
        QVERIFY(journey::probedStream(info, QStringLiteral("video")).isEmpty());
        QVERIFY(journey::probedDuration(info) > 1.0);
    }

    // A combination another client holds: the tray's balloon tells the user at start.
    void occupiedHotkeyIsReported() {
        QProcess holder;
        holder.start(QCoreApplication::applicationDirPath() + QStringLiteral("/hotkey_holder"), {"F10", "ctrl,alt"});
        QVERIFY(holder.waitForStarted());
        QVERIFY(holder.waitForReadyRead(10000));
        QCOMPARE(holder.readLine().trimmed(), QByteArray("grabbed"));
        startProgram();
        const quint64 tray = journey::trayIconWindowOf(*m_program);
        QVERIFY(tray != 0);
        // The balloon is a window of its own, wider than the tray icon.
        auto balloonShown = [this, tray] {
            for (quint64 id : journey::otherWindowsOf(*m_program)) {
                if (id != tray && journey::windowRect(id).width() > 100) {
                    return true;
                }
            }
            return false;
        };
        QTRY_VERIFY_WITH_TIMEOUT(balloonShown(), 5000);
        screenshot(QStringLiteral("11-hotkey-occupied"));
        holder.closeWriteChannel();
        QVERIFY(holder.waitForFinished(10000));
    }

    // The tray's Hidden hides the window, a click on the icon brings it back; closed to
    // the tray, the start hotkey still records.
    void trayHidesAndRestores() {
        writeSettings(m_program->settingsFile(),
                      {{"REMIND_ITEM", "isShowRemind", "N"}, {"CLOSE_ITEM", "bIsCloseDlg", "N"}});
        startProgram();
        QVERIFY(m_program->waitForSize(kNormalSize));
        const quint64 tray = journey::trayIconWindowOf(*m_program);
        QVERIFY(tray != 0);
        const QRect icon = journey::windowRect(tray);
        QVERIFY(openTrayMenu(tray));
        screenshot(QStringLiteral("09-tray-menu"));
        QVERIFY(m_program->keys(QStringLiteral("Down")));
        QVERIFY(m_program->keys(QStringLiteral("Return")));
        QTRY_VERIFY_WITH_TIMEOUT(m_program->rect().isEmpty(), 5000);
        screenshot(QStringLiteral("09-tray-hidden"));
        QVERIFY(m_program->clickAt(icon.center(), 1));
        QTRY_VERIFY_WITH_TIMEOUT(m_program->rect().size() == kNormalSize, 5000);
        screenshot(QStringLiteral("09-tray-restored"));
        // Minimised, the window comes back by the tray's Show Window.
        QVERIFY(journey::xdotool({"windowminimize", "--sync", QString::number(m_program->window())}));
        QTRY_VERIFY_WITH_TIMEOUT(m_program->rect().isEmpty(), 5000);
        QVERIFY(openTrayMenu(tray));
        QVERIFY(m_program->keys(QStringLiteral("Down")));
        QVERIFY(m_program->keys(QStringLiteral("Down")));
        QVERIFY(m_program->keys(QStringLiteral("Return")));
        QTRY_VERIFY_WITH_TIMEOUT(m_program->rect().size() == kNormalSize, 5000);
        screenshot(QStringLiteral("09-tray-show-window"));

        // Audio mode, closed to the tray: the start hotkey records and stops.
        QVERIFY(m_program->clickInWindow(kAudioModeButton));
        QVERIFY(m_program->clickInWindow(kCloseButton));
        QTRY_VERIFY_WITH_TIMEOUT(m_program->rect().isEmpty(), 5000);
        // The recording runs with the window still in the tray.
        QVERIFY(m_program->keys(QStringLiteral("ctrl+alt+F11")));
        QTRY_COMPARE_WITH_TIMEOUT(m_program->recordings(QStringLiteral("REC_*.mp3")).size(), 1, 15000);
        QTest::qWait(1500);
        screenshot(QStringLiteral("09-hotkey-from-tray"));
        QVERIFY(m_program->keys(QStringLiteral("ctrl+alt+F11")));
        const QString file = m_program->recordings(QStringLiteral("REC_*.mp3")).first();
        QVERIFY(closeHistory(QStringLiteral("from-tray")));
        QTRY_VERIFY_WITH_TIMEOUT(journey::probedDuration(journey::probe(file)) > 1.0, 15000);
    }

    // Stop-after of 5 s set on the time page: the recording stops by itself.
    void stopAfterFromTheTimePage() {
        startInAudioMode();
        QVERIFY(!QTest::currentTestFailed());
        QVERIFY(m_program->clickInWindow(kOptionsButton));
        QVERIFY(m_program->waitForSize(kOptionsOpenSize));
        QVERIFY(m_program->clickInWindow(kStopAfterBox));
        QVERIFY(journey::xdotool({"mousemove", "--sync", QString::number(m_program->rect().x() + kStopAfterSeconds.x()),
                                  QString::number(m_program->rect().y() + kStopAfterSeconds.y())}));
        QVERIFY(journey::xdotool({"click", "--repeat", "3", "1"}));
        QVERIFY(m_program->keys(QStringLiteral("BackSpace")));
        QVERIFY(journey::xdotool({"type", "5"}));
        screenshot(QStringLiteral("08-stop-after-set"));
        QCOMPARE(storedSetting(m_program->settingsFile(), "RECORD_TIME_INFO", "Stop_time_lenght"),
                 QStringLiteral("5000000"));
        QVERIFY(m_program->clickInWindow(kRecordButton));
        QVERIFY(m_program->waitForSize(kAudioPanelSize, 15000));
        // No stop from here: the time limit ends it.
        QVERIFY(closeHistory(QStringLiteral("audio")));
        QVERIFY(m_program->waitForSize(kNormalSize, 20000));
        const QStringList files = m_program->recordings(QStringLiteral("REC_*.mp3"));
        QCOMPARE(files.size(), 1);
        double seconds = 0;
        QTRY_VERIFY_WITH_TIMEOUT((seconds = journey::probedDuration(journey::probe(files.first()))) > 0, 10000);
        QVERIFY2(seconds >= 5.0 && seconds <= 5.3, qPrintable(QString::number(seconds)));
    }

    // A schedule well ahead, 4 s long: the schedule view counts down, the recording starts
    // without a countdown and lasts 4 s.
    void scheduledRecording() {
        const qint64 startUs = journey::scheduleStartAhead();
        const qint64 endUs = startUs + 4'000'000;
        if (endUs >= 86'400'000'000LL) {
            QSKIP("too close to midnight for a schedule within the day");
        }
        writeSettings(m_program->settingsFile(),
                      {{"RECORD_SCHEDULE_INFO", "Bool_Schedule", "Y"},
                       {"RECORD_SCHEDULE_INFO", "Schedule_Start_Time", QString::number(startUs)},
                       {"RECORD_SCHEDULE_INFO", "Schedule_End_Time", QString::number(endUs)}});
        startInAudioMode();
        QVERIFY(!QTest::currentTestFailed());
        QVERIFY(m_program->clickInWindow(kRecordButton));
        QVERIFY(m_program->waitForSize(kScheduleSize));
        screenshot(QStringLiteral("08-schedule-waiting"));
        const qint64 leftMs = journey::msUntilTimeOfDay(startUs);
        qInfo("the schedule view came %lld ms before the start", leftMs);
        QVERIFY2(leftMs > 0, "the schedule's start passed before the program took Record");
        QVERIFY(m_program->waitForSize(kAudioPanelSize, int(leftMs) + 20000));
        screenshot(QStringLiteral("08-schedule-recording"));
        QVERIFY(closeHistory(QStringLiteral("audio")));
        QVERIFY(m_program->waitForSize(kNormalSize, 20000));
        const QStringList files = m_program->recordings(QStringLiteral("REC_*.mp3"));
        QCOMPARE(files.size(), 1);
        double seconds = 0;
        QTRY_VERIFY_WITH_TIMEOUT((seconds = journey::probedDuration(journey::probe(files.first()))) > 0, 10000);
        QVERIFY2(seconds >= 4.0 && seconds <= 4.3, qPrintable(QString::number(seconds)));
    }

    // A full-screen schedule with the toolbar notice not yet ticked off and nobody at the
    // machine: the notice comes with the schedule view, goes unanswered, and the recording
    // still runs from the start to the end as scheduled, without the notice in it.
    void scheduledFullScreenWaitsForNoBox() {
        const qint64 startUs = journey::scheduleStartAhead();
        const qint64 endUs = startUs + 5'000'000;
        if (endUs >= 86'400'000'000LL) {
            QSKIP("too close to midnight for a schedule within the day");
        }
        const qint64 startAt = QDateTime::currentMSecsSinceEpoch() + journey::msUntilTimeOfDay(startUs);
        const qint64 endAt = startAt + (endUs - startUs) / 1000;
        writeSettings(m_program->settingsFile(),
                      {{"RECORD_SCHEDULE_INFO", "Bool_Schedule", "Y"},
                       {"RECORD_SCHEDULE_INFO", "Schedule_Start_Time", QString::number(startUs)},
                       {"RECORD_SCHEDULE_INFO", "Schedule_End_Time", QString::number(endUs)}});
        startProgram();
        QVERIFY(m_program->waitForSize(kNormalSize));
        chooseAreaEntry(1);
        QVERIFY(!QTest::currentTestFailed());
        QVERIFY(m_program->clickInWindow(kRecordButton));
        QVERIFY(m_program->waitForSize(kScheduleSize));
        const qint64 leftMs = journey::msUntilTimeOfDay(startUs);
        qInfo("the schedule view came %lld ms before the start", leftMs);
        QVERIFY2(leftMs > 5000, "the schedule's start is too near to see what stands before it");
        const quint64 notice = waitForWindowSized(kToolbarNoticeSize, 3000);
        QTest::qWait(500);
        screenshot(QStringLiteral("21-schedule-notice"));
        const QRect noticeRect = journey::windowRect(notice);
        const QImage noticeShown = journey::grabScreen(noticeRect);

        QTest::qWait(int(qMax<qint64>(0, journey::msUntilTimeOfDay(startUs))) + 500);
        screenshot(QStringLiteral("21-schedule-start"));
        QVERIFY2(waitForWindowSized(kToolbarNoticeSize, 0) == 0, "a notice stands at the start");
        QVERIFY2(notice != 0, "no toolbar notice while the user was there");
        const QImage noticeGone = journey::grabScreen(noticeRect);
        QTRY_COMPARE_WITH_TIMEOUT(m_program->recordings(QStringLiteral("REC_*.mp4")).size(), 1, 5000);
        QVERIFY(closeHistory(QStringLiteral("scheduled-full-screen")));
        QVERIFY(m_program->waitForSize(kNormalSize, 20000));
        const QString file = m_program->recordings(QStringLiteral("REC_*.mp4")).first();
        double seconds = 0;
        QTRY_VERIFY_WITH_TIMEOUT((seconds = journey::probedDuration(journey::probe(file))) > 0, 10000);
        // The file was last written as it ended; it began its length before that.
        const qint64 endedAt = QFileInfo(file).lastModified().toMSecsSinceEpoch();
        const qint64 startedAt = endedAt - qint64(seconds * 1000);
        const QString when = QStringLiteral("%1 s long, began %2 ms and ended %3 ms from the schedule")
                                 .arg(seconds)
                                 .arg(startedAt - startAt)
                                 .arg(endedAt - endAt);
        qInfo().noquote() << when;
        QVERIFY2(qAbs(startedAt - startAt) <= 1000 && qAbs(endedAt - endAt) <= 1000, qPrintable(when));
        // Its first pictures show the screen without the notice.
        const double gone = imageDistance(noticeShown, noticeGone);
        QVERIFY(gone > 0);
        for (double at : {0.0, 0.5}) {
            const QImage frame = journey::videoFrame(file, at).copy(noticeRect);
            QVERIFY2(imageDistance(frame, noticeGone) < gone / 4,
                     qPrintable(QStringLiteral("the notice at %1 s").arg(at)));
        }
    }

    // A cut while paused starts the next file running: the tray offers Pause and the next
    // pause hotkey pauses it (the second file holds only the time until that pause).
    void cutWhilePausedRuns() {
        startInAudioMode();
        QVERIFY(!QTest::currentTestFailed());
        QVERIFY(m_program->clickInWindow(kRecordButton));
        QVERIFY(m_program->waitForSize(kAudioPanelSize, 15000));
        QTRY_COMPARE_WITH_TIMEOUT(m_program->recordings().size(), 1, 10000);
        QTest::qWait(1000);
        QVERIFY(m_program->keys(QStringLiteral("ctrl+alt+F12")));
        QTest::qWait(1000);
        // The second file cannot start before the cut key is sent.
        QElapsedTimer sinceCut;
        sinceCut.start();
        QVERIFY(m_program->keys(QStringLiteral("ctrl+alt+F10")));
        QTRY_COMPARE_WITH_TIMEOUT(m_program->recordings().size(), 2, 10000);
        const quint64 tray = journey::trayIconWindowOf(*m_program);
        QVERIFY(tray != 0);
        QVERIFY(openTrayMenu(tray));
        screenshot(QStringLiteral("12-cut-while-paused-tray-menu"));
        QVERIFY(m_program->keys(QStringLiteral("Escape")));
        QTest::qWait(1500);
        // Running at most from the cut until the program has taken the pause hotkey, then
        // paused until the stop key: both as they really passed, whatever the load.
        QVERIFY(m_program->hotkey(QStringLiteral("ctrl+alt+F12"), "recordPlayAndPause"));
        const double running = sinceCut.elapsed() / 1000.0;
        QElapsedTimer sincePause;
        sincePause.start();
        QTest::qWait(3000);
        const double paused = sincePause.elapsed() / 1000.0;
        QVERIFY(m_program->keys(QStringLiteral("ctrl+alt+F11")));
        QVERIFY(closeHistory(QStringLiteral("audio")));
        QVERIFY(m_program->waitForSize(kNormalSize, 15000));
        const QString second = m_program->recordings().last();
        double seconds = 0;
        QTRY_VERIFY_WITH_TIMEOUT((seconds = journey::probedDuration(journey::probe(second))) > 0.5, 10000);
        // Running from the cut until the pause, not on through the paused time up to the
        // stop: the file ends nearer the pause than the stop.
        QVERIFY2(
            seconds < running + paused / 2,
            qPrintable(
                QStringLiteral("%1 s in the file, %2 s running, %3 s paused").arg(seconds).arg(running).arg(paused)));
    }

    // An output folder that cannot be written: the user is told, no history, no file,
    // the normal look back.
    void unwritableFolderFailsTheStart() {
        // A plain file where the folder should be: no one can write into it, not even root.
        QVERIFY(QDir().mkpath(m_program->documents()));
        QFile blocker(m_program->outputFolder());
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        startInAudioMode();
        QVERIFY(!QTest::currentTestFailed());
        const int before = journey::otherWindowsOf(*m_program).size();
        QVERIFY(m_program->clickInWindow(kRecordButton));
        QTRY_VERIFY_WITH_TIMEOUT(journey::otherWindowsOf(*m_program).size() == before + 1, 10000);
        QVERIFY(m_program->waitForSize(kNormalSize));
        screenshot(QStringLiteral("12-unwritable-folder"));
        QVERIFY(m_program->keys(QStringLiteral("Return")));
        QTRY_COMPARE_WITH_TIMEOUT(journey::otherWindowsOf(*m_program).size(), before, 5000);
        QVERIFY(QFileInfo(m_program->outputFolder()).isFile());
        QDirIterator anyRecording(m_program->folders().root(), {"REC_*"}, QDir::Files, QDirIterator::Subdirectories);
        QVERIFY(!anyRecording.hasNext());
    }

    // A file that can no longer be written (the size limit stands for a full disk): the
    // window leaves the recording look and says so; what was written still plays.
    void fullDiskEndsTheRecording() {
        {
            FileSizeLimit limit(64 * 1024);
            startProgram();
        }
        QVERIFY(m_program->waitForSize(kNormalSize));
        QVERIFY(m_program->clickInWindow(kAudioModeButton));
        const int before = journey::otherWindowsOf(*m_program).size();
        QVERIFY(m_program->clickInWindow(kRecordButton));
        QVERIFY(m_program->waitForSize(kAudioPanelSize, 15000));
        QTRY_VERIFY_WITH_TIMEOUT(journey::otherWindowsOf(*m_program).size() == before + 1, 30000);
        QVERIFY(m_program->waitForSize(kNormalSize));
        screenshot(QStringLiteral("12-full-disk"));
        QVERIFY(m_program->keys(QStringLiteral("Return")));
        QTRY_COMPARE_WITH_TIMEOUT(journey::otherWindowsOf(*m_program).size(), before, 5000);
        const QStringList files = m_program->recordings(QStringLiteral("REC_*.mp3"));
        QCOMPARE(files.size(), 1);
        const QJsonObject info = journey::probe(files.first());
        QVERIFY(!journey::probedStream(info, QStringLiteral("audio")).isEmpty());
        QVERIFY2(journey::probedDuration(info) > 1.0, qPrintable(QString::number(journey::probedDuration(info))));
        QVERIFY(QFileInfo(files.first()).size() <= 64 * 1024);
    }

    // With the first instance minimised, a second start exits with 0 and raises it.
    void secondStartRaisesTheFirst() {
        startProgram();
        const quint64 window = m_program->window();
        QVERIFY(journey::xdotool({"windowminimize", "--sync", QString::number(window)}));
        QTRY_VERIFY_WITH_TIMEOUT(journey::windowRect(window).isEmpty(), 5000);
        QProcess second;
        QElapsedTimer timer;
        timer.start();
        m_program->start(&second);
        QVERIFY(second.waitForFinished(10000));
        QVERIFY2(timer.elapsed() < 3000, qPrintable(QString::number(timer.elapsed())));
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 0);
        QTRY_VERIFY_WITH_TIMEOUT(!journey::windowRect(window).isEmpty(), 5000);
        QTRY_COMPARE_WITH_TIMEOUT(journey::run("xdotool", {"getactivewindow"}).trimmed().toULongLong(), window, 5000);
        screenshot(QStringLiteral("10-second-start"));
    }

    // Without the reminder: "N" only hides the window; "Y" stores the area and quits.
    void closeFollowsTheStoredChoice() {
        writeSettings(m_program->settingsFile(), {{"REMIND_ITEM", "isShowRemind", "N"},
                                                  {"CLOSE_ITEM", "bIsCloseDlg", "N"},
                                                  {"XML_RECORD_AREA", "Area_value", "10*20-300*200"}});
        startProgram();
        QVERIFY(m_program->waitForSize(kNormalSize));
        QVERIFY(m_program->clickInWindow(kCloseButton));
        QTRY_VERIFY_WITH_TIMEOUT(m_program->rect().isEmpty(), 5000);
        QCOMPARE(m_program->process().state(), QProcess::Running);
        screenshot(QStringLiteral("13-closed-to-tray"));
        m_program->stop();

        writeSettings(m_program->settingsFile(), {{"REMIND_ITEM", "isShowRemind", "N"},
                                                  {"CLOSE_ITEM", "bIsCloseDlg", "Y"},
                                                  {"XML_RECORD_AREA", "Area_value", "10*20"}});
        startProgram();
        QVERIFY(m_program->waitForSize(kNormalSize));
        // The malformed area was replaced by the default at start; quitting stores it again.
        QCOMPARE(storedSetting(m_program->settingsFile(), "XML_RECORD_AREA", "Area_value"),
                 QStringLiteral("0*0-640*480"));
        writeSettings(m_program->settingsFile(), {{"REMIND_ITEM", "isShowRemind", "N"},
                                                  {"CLOSE_ITEM", "bIsCloseDlg", "Y"},
                                                  {"XML_RECORD_AREA", "Area_value", "gone"}});
        QVERIFY(m_program->clickInWindow(kCloseButton));
        QVERIFY(m_program->process().waitForFinished(10000));
        QCOMPARE(m_program->process().exitCode(), 0);
        QCOMPARE(storedSetting(m_program->settingsFile(), "XML_RECORD_AREA", "Area_value"),
                 QStringLiteral("0*0-640*480"));
    }

    // Closing with no stored choice asks: Escape keeps everything as it was; "Minimize to
    // Tray" with "Don't show this message again" hides the window and stores both, so the
    // next close hides without asking; "Exit" stores the choice and the area and quits.
    void closeDialogAsks() {
        writeSettings(m_program->settingsFile(), {{"XML_RECORD_AREA", "Area_value", "10*20-300*200"}});
        startProgram();
        QVERIFY(m_program->waitForSize(kNormalSize));
        const quint64 tray = journey::trayIconWindowOf(*m_program);
        QVERIFY(tray != 0);
        auto clickInDialog = [this](quint64 dialog, const QPoint& local) {
            return m_program->clickAt(journey::windowRect(dialog).topLeft() + local);
        };

        QVERIFY(m_program->clickInWindow(kCloseButton));
        quint64 dialog = waitForWindowSized(kCloseDialogSize, 5000);
        QVERIFY(dialog != 0);
        screenshot(QStringLiteral("13-close-dialog"));
        QVERIFY(escape(dialog));
        QCOMPARE(m_program->rect().size(), kNormalSize);
        QCOMPARE(storedSetting(m_program->settingsFile(), "CLOSE_ITEM", "bIsCloseDlg"), QString());

        QVERIFY(m_program->clickInWindow(kCloseButton));
        QVERIFY((dialog = waitForWindowSized(kCloseDialogSize, 5000)) != 0);
        QVERIFY(clickInDialog(dialog, kCloseMinimizeChoice));
        QVERIFY(clickInDialog(dialog, kCloseDontAskAgain));
        screenshot(QStringLiteral("13-close-dialog-minimize"));
        QVERIFY(clickInDialog(dialog, kCloseOk));
        QTRY_VERIFY_WITH_TIMEOUT(m_program->rect().isEmpty(), 5000);
        QCOMPARE(m_program->process().state(), QProcess::Running);
        QCOMPARE(storedSetting(m_program->settingsFile(), "CLOSE_ITEM", "bIsCloseDlg"), QStringLiteral("N"));
        QCOMPARE(storedSetting(m_program->settingsFile(), "REMIND_ITEM", "isShowRemind"), QStringLiteral("N"));
        // Back from the tray, the next close hides at once.
        QVERIFY(m_program->clickAt(journey::windowRect(tray).center(), 1));
        QVERIFY(m_program->waitForSize(kNormalSize));
        QVERIFY(m_program->clickInWindow(kCloseButton));
        QTRY_VERIFY_WITH_TIMEOUT(m_program->rect().isEmpty(), 5000);
        QCOMPARE(waitForWindowSized(kCloseDialogSize, 0), quint64(0));
        m_program->stop();

        // Asked again, the stored "Minimize" is offered; the user picks Exit.
        writeSettings(m_program->settingsFile(), {{"CLOSE_ITEM", "bIsCloseDlg", "N"}});
        startProgram();
        QVERIFY(m_program->waitForSize(kNormalSize));
        writeSettings(m_program->settingsFile(),
                      {{"CLOSE_ITEM", "bIsCloseDlg", "N"}, {"XML_RECORD_AREA", "Area_value", "gone"}});
        QVERIFY(m_program->clickInWindow(kCloseButton));
        QVERIFY((dialog = waitForWindowSized(kCloseDialogSize, 5000)) != 0);
        screenshot(QStringLiteral("13-close-dialog-stored-minimize"));
        QVERIFY(clickInDialog(dialog, kCloseExitChoice));
        screenshot(QStringLiteral("13-close-dialog-exit"));
        QVERIFY(clickInDialog(dialog, kCloseOk));
        QVERIFY(m_program->process().waitForFinished(10000));
        QCOMPARE(m_program->process().exitStatus(), QProcess::NormalExit);
        QCOMPARE(m_program->process().exitCode(), 0);
        QCOMPARE(storedSetting(m_program->settingsFile(), "CLOSE_ITEM", "bIsCloseDlg"), QStringLiteral("Y"));
        QCOMPARE(storedSetting(m_program->settingsFile(), "REMIND_ITEM", "isShowRemind"), QString());
        QCOMPARE(storedSetting(m_program->settingsFile(), "XML_RECORD_AREA", "Area_value"),
                 QStringLiteral("0*0-640*480"));
    }

    // In area mode the main window is kept above the others, and so is a dialog it opens;
    // leaving area mode gives up both.
    void areaModeKeepsWindowsAbove() {
        startProgram();
        QVERIFY(m_program->waitForSize(kNormalSize));
        const quint64 window = m_program->window();
        QVERIFY(m_program->clickInWindow(kAreaButton));
        QTRY_VERIFY_WITH_TIMEOUT(windowState(window).contains(QStringLiteral("_NET_WM_STATE_ABOVE")), 5000);
        QVERIFY(m_program->clickInWindow(kHistoryButton));
        quint64 history = waitForWindowSized(kHistorySize, 15000);
        QVERIFY(history != 0);
        QTRY_VERIFY_WITH_TIMEOUT(windowState(history).contains(QStringLiteral("_NET_WM_STATE_ABOVE")), 5000);
        screenshot(QStringLiteral("area-mode-history-above"));
        QVERIFY(escape(history));

        QVERIFY(m_program->clickInWindow(kAreaButton));
        QTRY_VERIFY_WITH_TIMEOUT(!windowState(window).contains(QStringLiteral("_NET_WM_STATE_ABOVE")), 5000);
        QVERIFY(m_program->clickInWindow(kHistoryButton));
        QVERIFY((history = waitForWindowSized(kHistorySize, 15000)) != 0);
        QString state;
        QTRY_VERIFY_WITH_TIMEOUT(!(state = windowState(history)).isEmpty(), 5000);
        QVERIFY2(!state.contains(QStringLiteral("_NET_WM_STATE_ABOVE")), qPrintable(state));
        QVERIFY(escape(history));
    }

    // A recording whose history entry cannot be saved: the user is told before the
    // history opens without it; the file is kept and plays.
    void unsavedHistoryIsTold() {
        // A folder where the history file should be, and one where it would be put aside.
        const QString data = m_program->folders().dataFolder();
        QVERIFY(QDir().mkpath(data + QStringLiteral("/History.xml")));
        QVERIFY(QDir().mkpath(data + QStringLiteral("/History.xml.bad/kept")));
        startInAudioMode();
        QVERIFY(!QTest::currentTestFailed());
        QVERIFY(m_program->clickInWindow(kRecordButton));
        QVERIFY(m_program->waitForSize(kAudioPanelSize, 15000));
        QTRY_COMPARE_WITH_TIMEOUT(m_program->recordings(QStringLiteral("REC_*.mp3")).size(), 1, 10000);
        QTest::qWait(1500);
        const QList<quint64> before = journey::otherWindowsOf(*m_program);
        QVERIFY(m_program->keys(QStringLiteral("ctrl+alt+F11")));
        auto message = [this, &before] {
            for (quint64 id : journey::otherWindowsOf(*m_program)) {
                const QSize size = journey::windowRect(id).size();
                if (!before.contains(id) && size.width() > 64 && size != kHistorySize) {
                    return id;
                }
            }
            return quint64(0);
        };
        quint64 box = 0;
        QTRY_VERIFY_WITH_TIMEOUT((box = message()) != 0, 15000);
        screenshot(QStringLiteral("12-history-not-saved"));
        QVERIFY(answerBox(box));
        // The history opens without it; that its file cannot be read is told over it.
        auto notice = [this, &before, box] {
            for (quint64 id : journey::otherWindowsOf(*m_program)) {
                const QSize size = journey::windowRect(id).size();
                if (!before.contains(id) && id != box && size.width() > 64 && size != kHistorySize &&
                    journey::isDialog(id)) {
                    return id;
                }
            }
            return quint64(0);
        };
        QTRY_VERIFY_WITH_TIMEOUT((box = notice()) != 0, 15000);
        QVERIFY(answerBox(box));
        QVERIFY(closeHistory(QStringLiteral("unsaved")));
        QVERIFY(m_program->waitForSize(kNormalSize, 15000));
        const QString file = m_program->recordings(QStringLiteral("REC_*.mp3")).first();
        QVERIFY2(journey::probedDuration(journey::probe(file)) > 1.0, qPrintable(file));
    }

    // A close choice and an area that cannot be saved (no file may grow, as on a full
    // disk), in area mode: the user is told of each in a box kept above the main window
    // (which the window manager keeps above), and the program still quits.
    void unsavedCloseChoiceIsTold() {
        // A settings file larger than any file may become: every save of it fails.
        QList<QStringList> padding;
        for (int i = 0; i < 40; ++i) {
            padding.append({"PADDING", QStringLiteral("key%1").arg(i), QString(20, QLatin1Char('x'))});
        }
        // The folders are stored already: start-up has nothing to save.
        padding.append({"Screenshot_path", "Screenshot_path_value", m_program->folders().root() + "/shots/"});
        padding.append({"OutPut_path", "path_value", m_program->outputFolder() + "/"});
        writeSettings(m_program->settingsFile(), padding);
        {
            FileSizeLimit limit(512);
            startProgram();
        }
        QVERIFY(m_program->waitForSize(kNormalSize));
        const quint64 window = m_program->window();
        QVERIFY(m_program->clickInWindow(kAreaButton));
        QTRY_VERIFY_WITH_TIMEOUT(windowState(window).contains(QStringLiteral("_NET_WM_STATE_ABOVE")), 5000);
        QList<quint64> known = journey::otherWindowsOf(*m_program);
        QVERIFY(m_program->clickInWindow(kCloseButton));
        quint64 dialog = waitForWindowSized(kCloseDialogSize, 5000);
        QVERIFY(dialog != 0);
        known.append(dialog);
        QVERIFY(m_program->clickAt(journey::windowRect(dialog).topLeft() + kCloseExitChoice));
        QVERIFY(m_program->clickAt(journey::windowRect(dialog).topLeft() + kCloseOk));
        // One message for the choice, one for the area, then the program ends.
        for (const char* shot : {"13-close-choice-not-saved", "13-area-not-saved"}) {
            const quint64 box = journey::waitForNewWindowOf(*m_program, known, 10000);
            QVERIFY2(box != 0, shot);
            known.append(box);
            QTRY_VERIFY_WITH_TIMEOUT(windowState(box).contains(QStringLiteral("_NET_WM_STATE_ABOVE")), 5000);
            QTRY_VERIFY_WITH_TIMEOUT(stackingPlace(box) > stackingPlace(window), 5000);
            screenshot(QLatin1String(shot));
            QVERIFY(answerBox(box));
        }
        QVERIFY(m_program->process().waitForFinished(10000));
        QCOMPARE(m_program->process().exitCode(), 0);
        QCOMPARE(storedSetting(m_program->settingsFile(), "CLOSE_ITEM", "bIsCloseDlg"), QString());
    }

    // Start-up puts unreadable hotkeys back on their defaults; when the settings file
    // cannot be written, the user is told once the window is up, and the program runs on
    // with the default hotkeys.
    void unsavedHotkeyDefaultsAreTold() {
        writeSettings(m_program->settingsFile(),
                      {{"SHORTCUT_SET", "Stop_shortcut", "no key"},
                       {"Screenshot_path", "Screenshot_path_value", m_program->folders().root() + "/shots/"},
                       {"OutPut_path", "path_value", m_program->outputFolder() + "/"}});
        ReadOnlyFile readOnly(m_program->settingsFile());
        QVERIFY(readOnly.isReadOnly());
        startProgram();
        const quint64 box = journey::waitForNewWindowOf(*m_program, {}, 10000);
        QVERIFY(box != 0);
        screenshot(QStringLiteral("14-hotkeys-not-saved"));
        QVERIFY(answerBox(box));
        QVERIFY(m_program->waitForSize(kNormalSize));
        QCOMPARE(storedSetting(m_program->settingsFile(), "SHORTCUT_SET", "Stop_shortcut"), QStringLiteral("no key"));
        // The default hotkey works all the same: it starts a recording.
        QVERIFY(m_program->clickInWindow(kAudioModeButton));
        QVERIFY(m_program->keys(QStringLiteral("ctrl+alt+F11")));
        QVERIFY(m_program->waitForSize(kAudioPanelSize, 15000));
    }

    // Changes on the time page and of the sound sources, with a settings file that cannot
    // be written: each change tells the user once; the file keeps what it held.
    void unsavedOptionsAreTold() {
        writeSettings(m_program->settingsFile(),
                      {{"Screenshot_path", "Screenshot_path_value", m_program->folders().root() + "/shots/"},
                       {"OutPut_path", "path_value", m_program->outputFolder() + "/"}});
        const QByteArray stored = fileBytes(m_program->settingsFile());
        ReadOnlyFile readOnly(m_program->settingsFile());
        QVERIFY(readOnly.isReadOnly());
        startProgram();
        QVERIFY(m_program->waitForSize(kNormalSize));
        QVERIFY(m_program->clickInWindow(kOptionsButton));
        QVERIFY(m_program->waitForSize(kOptionsOpenSize));
        QList<quint64> known = journey::otherWindowsOf(*m_program);
        const struct {
            QPoint click;
            const char* shot;
        } changes[] = {{kStopAfterBox, "15-time-option-not-saved"}, {kSystemAudioButton, "15-sources-not-saved"}};
        for (const auto& change : changes) {
            QVERIFY(m_program->clickInWindow(change.click));
            const quint64 box = journey::waitForNewWindowOf(*m_program, known, 10000);
            QVERIFY2(box != 0, change.shot);
            screenshot(QLatin1String(change.shot));
            QVERIFY(answerBox(box));
            known.append(box);
        }
        QCOMPARE(fileBytes(m_program->settingsFile()), stored);
    }

    // The tray's Quit ends the program at once, without storing the area; also while
    // the history dialog is open (the tray icon took no clicks then).
    void trayQuitStoresNothing_data() {
        QTest::addColumn<bool>("historyOpen");
        QTest::newRow("idle") << false;
        QTest::newRow("history open") << true;
    }
    void trayQuitStoresNothing() {
        QFETCH(bool, historyOpen);
        writeSettings(m_program->settingsFile(), {{"XML_RECORD_AREA", "Area_value", "1*2-300*200"}});
        startProgram();
        QVERIFY(m_program->waitForSize(kNormalSize));
        writeSettings(m_program->settingsFile(), {{"XML_RECORD_AREA", "Area_value", "untouched"}});
        const quint64 tray = journey::trayIconWindowOf(*m_program);
        QVERIFY(tray != 0);
        if (historyOpen) {
            QVERIFY(m_program->clickInWindow(kHistoryButton));
            QVERIFY(waitForWindowSized(kHistorySize, 20000) != 0);
        }
        QVERIFY(openTrayMenu(tray));
        if (historyOpen) {
            screenshot(QStringLiteral("18-tray-menu-over-history"));
        }
        // From the top of the menu, up goes round to its last entry, Quit.
        QVERIFY(m_program->keys(QStringLiteral("Up")));
        QVERIFY(m_program->keys(QStringLiteral("Return")));
        QVERIFY(m_program->process().waitForFinished(10000));
        QCOMPARE(m_program->process().exitCode(), 0);
        QCOMPARE(storedSetting(m_program->settingsFile(), "XML_RECORD_AREA", "Area_value"),
                 QStringLiteral("untouched"));
    }

    // Full screen: the compact panel fits nowhere, so the toolbar notice comes, before the
    // countdown and the start: nothing is recorded while it is up, so it is never in a
    // picture (it came over the running recording before, and once a click had taken the
    // focus from it only its OK button stopped the recording). The stop or pause hotkey
    // while it is up is ignored; after OK the countdown runs, then the recording runs
    // unpaused and the hotkeys control it.
    void toolbarNoticeComesBeforeTheStart_data() {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QByteArray>("line");
        QTest::newRow("stop") << QStringLiteral("ctrl+alt+F11") << kStopLine;
        QTest::newRow("pause") << QStringLiteral("ctrl+alt+F12") << kPauseLine;
    }
    void toolbarNoticeComesBeforeTheStart() {
        QFETCH(QString, key);
        QFETCH(QByteArray, line);
        const QString shot = QStringLiteral("17-") + QLatin1String(QTest::currentDataTag());
        startProgram();
        QVERIFY(m_program->waitForSize(kNormalSize));
        chooseAreaEntry(1);
        QVERIFY(!QTest::currentTestFailed());
        QVERIFY(m_program->hotkey(QStringLiteral("ctrl+alt+F11"), kStopLine));
        const quint64 notice = waitForWindowSized(kToolbarNoticeSize, 20000);
        QVERIFY(notice != 0);
        QTest::qWait(500);
        screenshot(shot + QStringLiteral("-toolbar-notice"));
        const QRect noticeRect = journey::windowRect(notice);
        const QImage noticeShown = journey::grabScreen(noticeRect);
        // A click away (on the full-screen frame) takes the focus from it; the hotkey is
        // still ignored, and nothing records meanwhile.
        QVERIFY(m_program->clickAt(QPoint(1000, 300)));
        QVERIFY(m_program->hotkey(key, line));
        QTest::qWait(1500);
        screenshot(shot + QStringLiteral("-toolbar-notice-after-hotkey"));
        QCOMPARE(waitForWindowSized(kHistorySize, 0), quint64(0));
        QCOMPARE(waitForWindowSized(kCountdownSize, 0), quint64(0));
        QVERIFY(m_program->recordings().isEmpty());
        QVERIFY(!journey::windowRect(notice).isEmpty());
        // Centred on the window, which the start moved to the middle of the screen.
        QVERIFY2(qAbs(noticeRect.center().x() - 960) <= 2 && qAbs(noticeRect.center().y() - 540) <= 2,
                 qPrintable(QStringLiteral("the notice at %1,%2").arg(noticeRect.x()).arg(noticeRect.y())));
        QVERIFY(answerBox(notice));
        QElapsedTimer running;
        running.start();
        const quint64 countdown = waitForWindowSized(kCountdownSize, 5000);
        QVERIFY(countdown != 0);
        screenshot(shot + QStringLiteral("-countdown-after-notice"));
        QTRY_COMPARE_WITH_TIMEOUT(m_program->recordings(QStringLiteral("REC_*.mp4")).size(), 1, 10000);
        QVERIFY(m_program->rect().isEmpty());
        // What the screen shows where the notice was, now that the recording runs.
        const QImage noticeGone = journey::grabScreen(noticeRect);

        // The toolbar, brought up from the tray, shows the recording running; the pause
        // hotkey pauses it.
        const quint64 tray = journey::trayIconWindowOf(*m_program);
        // The recording began when the countdown's three seconds ended; its first 0.7 s
        // go by before the toolbar is brought up, so the pictures looked at below cannot
        // show it.
        while (running.elapsed() < 3700) {
            QTest::qWait(20);
        }
        QVERIFY(openTrayMenu(tray));
        screenshot(shot + QStringLiteral("-recording-tray-menu"));
        QVERIFY(m_program->keys(QStringLiteral("Down")));
        QVERIFY(m_program->keys(QStringLiteral("Return")));
        QVERIFY(m_program->waitForSize(kVideoPanelSize, 10000));
        QVERIFY(journey::xdotool({"mousemove", "--sync", "1700", "200"}));
        QTest::qWait(300);
        screenshot(shot + QStringLiteral("-toolbar-running"));
        QVERIFY(!toolbarShowsResume());
        QTest::qWait(1500);
        QVERIFY(m_program->hotkey(QStringLiteral("ctrl+alt+F12"), kPauseLine));
        const qint64 pausedAt = running.elapsed();
        QTRY_VERIFY_WITH_TIMEOUT(toolbarShowsResume(), 5000);
        screenshot(shot + QStringLiteral("-toolbar-paused"));
        QTest::qWait(4000);
        QVERIFY(m_program->hotkey(QStringLiteral("ctrl+alt+F11"), kStopLine));
        // The file leaves out the countdown and the four seconds of the pause.
        const double runSeconds = (pausedAt - 3000) / 1000.0;
        QVERIFY(closeHistory(shot));
        QVERIFY(m_program->waitForSize(kNormalSize, 15000));
        const QStringList files = m_program->recordings(QStringLiteral("REC_*.mp4"));
        QCOMPARE(files.size(), 1);
        const QJsonObject info = journey::probe(files.first());
        QCOMPARE(journey::probedStream(info, QStringLiteral("video")).value("width").toInt(), 1920);
        const double seconds = journey::probedDuration(info);
        QVERIFY2(seconds > 0.5 && seconds <= runSeconds + 1.0,
                 qPrintable(QStringLiteral("%1 s in the file, %2 s up to the pause").arg(seconds).arg(runSeconds)));
        // Its first pictures show the screen without the notice (the toolbar the tray brings up
        // later lies where it was: only pictures from before it are looked at).
        const double gone = imageDistance(noticeShown, noticeGone);
        for (double at : {0.0, 0.5}) {
            const QImage frame = journey::videoFrame(files.first(), at).copy(noticeRect);
            const QString where = QStringLiteral("at %1 s: %2 from the notice, %3 from the screen without it")
                                      .arg(at)
                                      .arg(imageDistance(frame, noticeShown))
                                      .arg(imageDistance(frame, noticeGone));
            qInfo().noquote() << where;
            QVERIFY2(imageDistance(frame, noticeGone) < gone / 4, qPrintable(where));
        }
    }

    // The start hotkey while the area picker waits for a pick is ignored (a recording
    // started under the picker's overlay before): the pick brings the idle window back.
    void pickModeIgnoresTheStartHotkey() {
        AnimatedWindow animation;
        animation.show();
        QVERIFY(QTest::qWaitForWindowExposed(&animation));
        startProgram();
        QVERIFY(m_program->waitForSize(kNormalSize));
        pickAnimatedArea(QStringLiteral("19"));
        QVERIFY(!QTest::currentTestFailed());
        chooseAreaEntry(0);
        QVERIFY(!QTest::currentTestFailed());
        QTRY_VERIFY_WITH_TIMEOUT(m_program->rect().isEmpty(), 5000);
        QVERIFY(m_program->hotkey(QStringLiteral("ctrl+alt+F11"), kStopLine));
        QVERIFY(journey::xdotool({"mousemove", "--sync", "500", "300"}));
        QVERIFY(journey::xdotool({"mousemove", "--sync", "520", "330"}));
        QTest::qWait(200);
        screenshot(QStringLiteral("19-picking-after-start-hotkey"));
        QVERIFY(journey::xdotool({"click", "1"}));
        QVERIFY(m_program->waitForSize(kNormalSize));
        screenshot(QStringLiteral("19-picked"));
        QVERIFY(m_program->recordings().isEmpty());
    }

    // An area of odd size dragged over a checkerboard: the recording and the hotkey
    // screenshot show the area's pixels one for one (the file made even by one line, not
    // scaled), none of the frame's dashes, and the history lists the file's own size.
    void oddAreaRecordsItsOwnPixels() {
        const QRect area(200, 150, 641, 361);
        CheckerboardWindow board(area.adjusted(-60, -60, 60, 60));
        board.show();
        QVERIFY(QTest::qWaitForWindowExposed(&board));
        startProgram();
        QVERIFY(m_program->waitForSize(kNormalSize));
        chooseAreaEntry(0);
        QVERIFY(!QTest::currentTestFailed());
        QTRY_VERIFY_WITH_TIMEOUT(m_program->rect().isEmpty(), 5000);
        // A drag of 641 x 361 pixels spans a 641 x 361 area.
        QVERIFY(desktoptest::drag(area.topLeft(), area.topLeft() + QPoint(641, 361)));
        QVERIFY(m_program->waitForSize(kNormalSize));
        QVERIFY(journey::xdotool({"mousemove", "--sync", "1700", "1000"}));
        QVERIFY(m_program->hotkey(QStringLiteral("ctrl+alt+F11"), kStopLine));
        QVERIFY(m_program->waitForSize(kVideoPanelSize, 15000));
        QVERIFY2(!m_program->rect().intersects(area), "the compact panel lies on the recorded area");
        QTRY_COMPARE_WITH_TIMEOUT(m_program->recordings(QStringLiteral("REC_*.mp4")).size(), 1, 10000);
        screenshot(QStringLiteral("30-odd-area-recording"));

        // How many pixels of a picture of the area (its top left at `at`) are not the
        // board's, and how many of its last row and its last column show the frame's red.
        struct Mismatch {
            int pixels = 0;
            int lastRow = 0;
            int lastColumn = 0;
            int redInLastRow = 0;
            int redInLastColumn = 0;
        };
        auto compare = [&area](const QImage& picture, const QPoint& at, int tolerance) {
            Mismatch m;
            for (int y = 0; y < area.height(); ++y) {
                for (int x = 0; x < area.width(); ++x) {
                    const int level = qGray(picture.pixel(at.x() + x, at.y() + y));
                    const bool white = CheckerboardWindow::whiteAt(area.x() + x, area.y() + y);
                    const bool wrong = white ? level < 255 - tolerance : level > tolerance;
                    m.pixels += wrong;
                    m.lastRow += wrong && y == area.height() - 1;
                    m.lastColumn += wrong && x == area.width() - 1;
                }
            }
            const QRect lastRow(at.x(), at.y() + area.height() - 1, area.width(), 1);
            const QRect lastColumn(at.x() + area.width() - 1, at.y(), 1, area.height());
            m.redInLastRow = desktoptest::countColour(picture, lastRow, kBrandRed);
            m.redInLastColumn = desktoptest::countColour(picture, lastColumn, kBrandRed);
            return m;
        };

        // The screenshot hotkey: the area as a PNG, pixel for pixel.
        const QString shots = m_program->documents() + QStringLiteral("/Screenshots");
        QVERIFY(m_program->keys(QStringLiteral("ctrl+alt+F9")));
        QImage png;
        QTRY_VERIFY_WITH_TIMEOUT(
            [&] {
                const QStringList found = QDir(shots).entryList({"ScreenCapture_*.png"}, QDir::Files);
                png = found.size() == 1 ? QImage(shots + QLatin1Char('/') + found.first()) : QImage();
                return !png.isNull();
            }(),
            5000);
        QCOMPARE(png.size(), area.size());
        const Mismatch shot = compare(png, QPoint(0, 0), 0);
        QVERIFY2(shot.pixels == 0, qPrintable(QStringLiteral("%1 pixels of the screenshot are not the board's; the "
                                                             "frame's red in %2 of its last row, %3 of its last column")
                                                  .arg(shot.pixels)
                                                  .arg(shot.redInLastRow)
                                                  .arg(shot.redInLastColumn)));

        QTest::qWait(1500);
        QVERIFY(m_program->hotkey(QStringLiteral("ctrl+alt+F11"), kStopLine));
        QVERIFY(closeHistory(QStringLiteral("odd-area")));
        QVERIFY(m_program->waitForSize(kNormalSize, 15000));

        // The file: one line more each way, every picture the board one for one (an
        // encoded picture keeps each pixel's side of grey).
        const QString file = m_program->recordings(QStringLiteral("REC_*.mp4")).first();
        const QJsonObject video = journey::probedStream(journey::probe(file), QStringLiteral("video"));
        const QSize fileSize(video.value("width").toInt(), video.value("height").toInt());
        QCOMPARE(fileSize, QSize(642, 362));
        QProcess decode;
        decode.start(QStringLiteral("ffmpeg"), {"-nostdin", "-v", "error", "-i", file, "-map", "0:v:0", "-f",
                                                "rawvideo", "-pix_fmt", "gray", "-"});
        QVERIFY(decode.waitForFinished(120000));
        QCOMPARE(decode.exitCode(), 0);
        const QByteArray pictures = decode.readAllStandardOutput();
        const int pictureBytes = fileSize.width() * fileSize.height();
        QVERIFY(pictures.size() >= pictureBytes * 30);
        for (int i = 0; i < pictures.size() / pictureBytes; ++i) {
            const QImage picture(reinterpret_cast<const uchar*>(pictures.constData()) + qsizetype(i) * pictureBytes,
                                 fileSize.width(), fileSize.height(), fileSize.width(), QImage::Format_Grayscale8);
            const Mismatch m = compare(picture, QPoint(0, 0), 100);
            QVERIFY2(m.pixels == 0, qPrintable(QStringLiteral("picture %1: %2 pixels not the board's, %3 in the last "
                                                              "row, %4 in the last column")
                                                   .arg(i)
                                                   .arg(m.pixels)
                                                   .arg(m.lastRow)
                                                   .arg(m.lastColumn)));
        }

        // The history lists the size the file has.
        QFile history(m_program->folders().dataFolder() + QStringLiteral("/History.xml"));
        QVERIFY(history.open(QIODevice::ReadOnly));
        QDomDocument document;
        QVERIFY(document.setContent(&history));
        const QDomElement entry = document.documentElement().firstChildElement(QStringLiteral("Path_item"));
        QCOMPARE(entry.firstChildElement().attribute(QStringLiteral("Resolutin_")), QStringLiteral("642*362"));
    }

    // A pick of nothing (a click on the bare desktop) and drags smaller than the frame's
    // least side: the frame shows 60 x 60 where the pick was made (moved only as far as
    // the screen needs), and that is what is recorded (the bare desktop gave an empty area
    // and "Recording failed!", the drag its own smaller size).
    void pickSmallerThanTheFrameRecordsTheFrame_data() {
        QTest::addColumn<QPoint>("from");
        QTest::addColumn<QPoint>("to");
        QTest::addColumn<QPoint>("frameAt");
        QTest::addColumn<bool>("record");
        QTest::newRow("bare desktop") << QPoint(1500, 300) << QPoint(1500, 300) << QPoint(1500, 300) << true;
        QTest::newRow("small drag") << QPoint(700, 500) << QPoint(730, 520) << QPoint(700, 500) << true;
        QTest::newRow("1-pixel drag") << QPoint(1000, 700) << QPoint(1001, 700) << QPoint(1000, 700) << false;
        // Moved back only as far as the screen needs.
        QTest::newRow("by the right edge") << QPoint(1905, 500) << QPoint(1906, 501) << QPoint(1860, 500) << false;
    }
    void pickSmallerThanTheFrameRecordsTheFrame() {
        QFETCH(QPoint, from);
        QFETCH(QPoint, to);
        QFETCH(QPoint, frameAt);
        QFETCH(bool, record);
        startProgram();
        QVERIFY(m_program->waitForSize(kNormalSize));
        chooseAreaEntry(0);
        QVERIFY(!QTest::currentTestFailed());
        QTRY_VERIFY_WITH_TIMEOUT(m_program->rect().isEmpty(), 5000);
        const QString shot = QStringLiteral("20-") + QString::fromLatin1(QTest::currentDataTag()).replace(' ', '-');
        if (from == to) {
            QVERIFY(journey::xdotool({"mousemove", "--sync", QString::number(from.x()), QString::number(from.y())}));
            QTest::qWait(200);
            QVERIFY(journey::xdotool({"click", "1"}));
        } else {
            QVERIFY(desktoptest::drag(from, to));
        }
        QVERIFY(m_program->waitForSize(kNormalSize));
        // The frame stands where the pick was made: its 3-pixel border just around the
        // 60 x 60 area (the main window may cover a part of it).
        const QRect frame(frameAt, QSize(60, 60));
        const QRect border = frame.adjusted(-3, -3, 3, 3) & QRect(0, 0, 1920, 1080);
        const int borderPixels = border.width() * border.height() - frame.width() * frame.height();
        QImage picked;
        const QRect inside = frame.translated(-border.topLeft());
        QTRY_VERIFY_WITH_TIMEOUT(
            (picked = journey::grabScreen(border), desktoptest::countColour(picked, picked.rect(), kBrandRed) -
                                                           desktoptest::countColour(picked, inside, kBrandRed) >
                                                       borderPixels / 2),
            5000);
        screenshot(shot + QStringLiteral("-picked"));
        if (!record) {
            return;
        }
        QVERIFY(m_program->hotkey(QStringLiteral("ctrl+alt+F11"), kStopLine));
        QVERIFY(m_program->waitForSize(kVideoPanelSize, 15000));
        QTRY_COMPARE_WITH_TIMEOUT(m_program->recordings(QStringLiteral("REC_*.mp4")).size(), 1, 10000);
        QTest::qWait(1500);
        screenshot(shot + QStringLiteral("-recording"));
        QVERIFY(m_program->hotkey(QStringLiteral("ctrl+alt+F11"), kStopLine));
        QVERIFY(closeHistory(shot));
        QVERIFY(m_program->waitForSize(kNormalSize, 15000));
        const QJsonObject video = journey::probedStream(
            journey::probe(m_program->recordings(QStringLiteral("REC_*.mp4")).first()), QStringLiteral("video"));
        QCOMPARE(video.value("width").toInt(), 60);
        QCOMPARE(video.value("height").toInt(), 60);
    }
};

QTEST_MAIN(TestRecorderJourney)
#include "tst_recorder_journey.moc"
