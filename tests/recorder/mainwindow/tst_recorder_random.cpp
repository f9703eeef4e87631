// Seeded random input on the built program, as an impatient user gives it: clicks (left,
// right, double) and drags in its windows, keys, the four global hotkeys, picks in the
// tray menu, and bursts at the recording controls (the area or record button, then a
// hotkey, a key or a tray pick within a second). Every 30 to 60 s and at the end a
// checkpoint dismisses every box with Escape and compares what the windows show with
// what the process does (a recording file it holds open): no recording under the idle
// look, none that the stop hotkey cannot end. At the end SIGTERM must end the program
// within 10 s with status 0, finishing the recording it runs; then every listed file must
// play through and every recording that plays must be listed. A listed file may go from
// the disk only by the run's own answer to the history's delete box, or a rename.
//
// The seed is printed and differs per run; CALVORINE_RANDOM_SEED gives one back and
// CALVORINE_RANDOM_SECONDS sets how long the input runs (scripts/soak.sh). Each run keeps
// its actions, the program's output and screenshots in test-output/recorder-random/seed-N/.
// A replay gives the same input; the program's timing may still differ.
#include "JourneyDriver.h"
#include "tests/support/PrivateSink.h"

#include <QDateTime>
#include <QDirIterator>
#include <QDomDocument>
#include <QFile>
#include <QHash>
#include <QMap>
#include <QRandomGenerator>
#include <QSet>
#include <QtTest>

#include <algorithm>

#include <sys/stat.h>

using journey::Program;
using journey::TopWindow;
using namespace journey::layout;

namespace {

const QRect kScreen(0, 0, 1920, 1080);
const QSize kCountdownSize(300, 190);
// Random input runs this long unless told otherwise: with the start, the checkpoints and
// the checks at the end the test takes about two minutes.
const int kDefaultSeconds = 100;

// What the main window shows, from its size.
enum class Look { Hidden, Idle, VideoPanel, AudioPanel, Schedule, Other };

Look lookOf(const QRect& rect) {
    if (rect.isEmpty()) {
        return Look::Hidden;
    }
    if (rect.size() == kNormalSize || rect.size() == kOptionsOpenSize) {
        return Look::Idle;
    }
    if (rect.size() == kVideoPanelSize) {
        return Look::VideoPanel;
    }
    if (rect.size() == kAudioPanelSize) {
        return Look::AudioPanel;
    }
    return rect.size() == kScheduleSize ? Look::Schedule : Look::Other;
}

QString lookName(Look look) {
    switch (look) {
    case Look::Hidden:
        return QStringLiteral("hidden");
    case Look::Idle:
        return QStringLiteral("idle look");
    case Look::VideoPanel:
        return QStringLiteral("video recording panel");
    case Look::AudioPanel:
        return QStringLiteral("audio recording panel");
    case Look::Schedule:
        return QStringLiteral("schedule view");
    case Look::Other:
        break;
    }
    return QStringLiteral("another size");
}

QString rectText(const QRect& rect) {
    return QStringLiteral("%1x%2 at %3,%4").arg(rect.width()).arg(rect.height()).arg(rect.x()).arg(rect.y());
}

quint32 seedFromEnvironment(bool* given) {
    bool ok = false;
    const quint32 seed = qEnvironmentVariable("CALVORINE_RANDOM_SEED").toUInt(&ok);
    *given = ok;
    return ok ? seed : QRandomGenerator::system()->generate();
}

int secondsFromEnvironment() {
    bool ok = false;
    const int seconds = qEnvironmentVariable("CALVORINE_RANDOM_SECONDS").toInt(&ok);
    return ok && seconds > 0 ? seconds : kDefaultSeconds;
}

// A hotkey as stored ("modifiers*key", the toolkit's codes in decimal) in xdotool's words;
// empty when it names a key this test does not type.
QString xdotoolKeys(const QString& stored) {
    const int star = stored.indexOf(QLatin1Char('*'));
    bool modifiersOk = false;
    bool keyOk = false;
    const int modifiers = stored.left(star).toInt(&modifiersOk);
    const int key = stored.mid(star + 1).toInt(&keyOk);
    if (star < 0 || !modifiersOk || !keyOk) {
        return QString();
    }
    static const QMap<int, QString> named = {
        {Qt::Key_Escape, "Escape"}, {Qt::Key_Tab, "Tab"},        {Qt::Key_Backspace, "BackSpace"},
        {Qt::Key_Return, "Return"}, {Qt::Key_Enter, "KP_Enter"}, {Qt::Key_Insert, "Insert"},
        {Qt::Key_Delete, "Delete"}, {Qt::Key_Pause, "Pause"},    {Qt::Key_Print, "Print"},
        {Qt::Key_Home, "Home"},     {Qt::Key_End, "End"},        {Qt::Key_Left, "Left"},
        {Qt::Key_Up, "Up"},         {Qt::Key_Right, "Right"},    {Qt::Key_Down, "Down"},
        {Qt::Key_PageUp, "Prior"},  {Qt::Key_PageDown, "Next"},  {Qt::Key_Space, "space"}};
    QString name;
    if (key >= Qt::Key_F1 && key <= Qt::Key_F35) {
        name = QStringLiteral("F%1").arg(key - Qt::Key_F1 + 1);
    } else if ((key >= Qt::Key_A && key <= Qt::Key_Z) || (key >= Qt::Key_0 && key <= Qt::Key_9)) {
        name = QString(QChar(key)).toLower();
    } else {
        name = named.value(key);
    }
    if (name.isEmpty()) {
        return QString();
    }
    QStringList parts;
    const QList<QPair<int, const char*>> modifierNames = {{Qt::ControlModifier, "ctrl"},
                                                          {Qt::AltModifier, "alt"},
                                                          {Qt::ShiftModifier, "shift"},
                                                          {Qt::MetaModifier, "super"}};
    for (const auto& modifier : modifierNames) {
        if ((modifiers & modifier.first) != 0) {
            parts << QLatin1String(modifier.second);
        }
    }
    return (parts << name).join(QLatin1Char('+'));
}

// The window `id` is transient for (WM_TRANSIENT_FOR), 0 when none.
quint64 transientFor(quint64 id) {
    const QString out = journey::run(QStringLiteral("xprop"), {"-id", QString::number(id), "WM_TRANSIENT_FOR"});
    const QRegularExpressionMatch match = QRegularExpression(QStringLiteral("# (0x[0-9a-f]+)")).match(out);
    return match.hasMatch() ? match.captured(1).toULongLong(nullptr, 16) : 0;
}

// The history window's player floats its control bar (42 high, over its bottom) and the
// file name caption (20 high, over its top) as frameless windows of their own, transient
// for the history window. They show while the pointer rests near the player's bottom
// edge, so an Escape that hides one sees it come straight back; they go with the history
// window. True when `bar` lies exactly where the player of `owner` puts one, in the
// normal layout (the player right of the 350-wide list, below the 30-high title) or the
// full-screen one (the player over the whole window), and is transient for `owner`.
bool isPlayerBarOf(const TopWindow& bar, const TopWindow& owner) {
    if (bar.overrideRedirect || bar.id == owner.id) {
        return false;
    }
    const QRect& o = owner.rect;
    const QRect normal(o.x() + 350, o.y() + 30, o.width() - 350, o.height() - 30);
    const QList<QRect> places = {QRect(normal.x() + 13, normal.bottom() + 1 - 52, normal.width() - 26, 42),
                                 QRect(normal.x() + 2, normal.y(), normal.width() - 4, 20),
                                 QRect(o.x() + 2, o.bottom() + 1 - 44, o.width() - 4, 42),
                                 QRect(o.x() + 2, o.y(), o.width() - 4, 20)};
    return places.contains(bar.rect) && transientFor(bar.id) == owner.id;
}

// The windows of the program on screen at one moment, sorted by what they are.
struct Scene {
    QRect main;                // empty when the main window is not on screen
    QList<TopWindow> boxes;    // dialogs and message boxes, menus and drop-down lists
    QList<TopWindow> overlays; // the screen-wide shade and area frame
    bool has(quint64 id) const {
        for (const TopWindow& box : boxes) {
            if (box.id == id) {
                return true;
            }
        }
        return false;
    }
};

class RandomRun {
public:
    RandomRun(quint32 seed, int seconds) : m_rng(seed), m_seed(seed), m_seconds(seconds) {
        m_folder = QStringLiteral(CALVORINE_TEST_OUTPUT_DIR) + QStringLiteral("/recorder-random/seed-%1").arg(seed);
        QDir(m_folder).removeRecursively();
        QDir().mkpath(m_folder);
        m_log.setFileName(m_folder + QStringLiteral("/actions.log"));
        m_log.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text);
        m_program.setLogFile(m_folder + QStringLiteral("/program.log"));
        m_root = windowIdsOfRoot();
    }

    QString folder() const { return m_folder; }
    const QStringList& findings() const { return m_findings; }

    bool run() {
        note(QStringLiteral("seed %1, %2 s of random input").arg(m_seed).arg(m_seconds));
        if (!startProgram()) {
            return false;
        }
        m_clock.start();
        qint64 nextCheckpoint = checkpointGap();
        while (m_clock.elapsed() < m_seconds * 1000LL) {
            if (m_clock.elapsed() >= nextCheckpoint) {
                checkpoint();
                nextCheckpoint = m_clock.elapsed() + checkpointGap();
            }
            act();
            QTest::qWait(int(m_rng.bounded(30, 500)));
            if (afterAction()) {
                note(QStringLiteral("a recording file is open under the idle look: a checkpoint now"));
                checkpoint();
                nextCheckpoint = m_clock.elapsed() + checkpointGap();
            }
        }
        checkpoint();
        endWithSigterm();
        checkFiles();
        writeSummary();
        return true;
    }

    QString summary() const {
        QStringList kinds;
        for (auto it = m_counts.constBegin(); it != m_counts.constEnd(); ++it) {
            kinds << QStringLiteral("%1 %2").arg(it.value()).arg(it.key());
        }
        return QStringLiteral("seed %1: %2 actions (%3), %4 checkpoints, %5 quits by the user, %6 restarts after a "
                              "finding, %7 hotkey resets, %8 findings")
            .arg(m_seed)
            .arg(m_actions)
            .arg(kinds.join(QStringLiteral(", ")))
            .arg(m_checkpoints)
            .arg(m_quits)
            .arg(m_recoveries)
            .arg(m_hotkeyResets)
            .arg(m_findings.size());
    }

private:
    // ---- the log, findings and the program's life

    void note(const QString& text) {
        const QString line =
            QStringLiteral("%1 %2\n").arg(m_clock.isValid() ? m_clock.elapsed() / 1000.0 : 0.0, 8, 'f', 3).arg(text);
        m_log.write(line.toUtf8());
        m_log.flush();
    }

    void finding(const QString& text) {
        const QString numbered = QStringLiteral("finding %1 (seed %2, after action %3): %4")
                                     .arg(m_findings.size() + 1)
                                     .arg(m_seed)
                                     .arg(m_actions)
                                     .arg(text);
        m_findings.append(numbered);
        note(QStringLiteral("FINDING ") + numbered);
        qWarning().noquote() << numbered;
        journey::screenshotTo(m_folder + QStringLiteral("/finding-%1.png").arg(m_findings.size()));
    }

    qint64 pid() { return m_program.process().processId(); }

    bool startProgram() {
        m_program.start();
        if (!m_program.process().waitForStarted(10000) || m_program.waitForMainWindow(30000) == 0) {
            finding(QStringLiteral("the program did not show its main window after a start"));
            return false;
        }
        note(QStringLiteral("program started, pid %1, main window 0x%2").arg(pid()).arg(m_program.window(), 0, 16));
        return true;
    }

    // A program that ended: a quit by the user (status 0) starts it again and counts; any
    // other end is a finding, and the run goes on with a new start.
    bool alive() {
        if (m_program.process().state() != QProcess::NotRunning) {
            return true;
        }
        const bool quit =
            m_program.process().exitStatus() == QProcess::NormalExit && m_program.process().exitCode() == 0;
        if (quit) {
            ++m_quits;
            note(QStringLiteral("the program quit with status 0; starting it again"));
        } else {
            finding(QStringLiteral("the program ended by itself (%1 %2)")
                        .arg(m_program.process().exitStatus() == QProcess::CrashExit ? QStringLiteral("crash, signal")
                                                                                     : QStringLiteral("status"))
                        .arg(m_program.process().exitCode()));
        }
        readHistory();
        startProgram();
        return false;
    }

    // After a finding that leaves the program in a state the checks cannot leave (a
    // recording no hotkey ends, a box Escape does not close): SIGTERM, then a new start.
    void recover() {
        ++m_recoveries;
        note(QStringLiteral("ending the program with SIGTERM to go on"));
        terminate();
        startProgram();
    }

    // SIGTERM, as the desktop sends at logout: the program ends within 10 s with status 0.
    void terminate() {
        if (m_program.process().state() == QProcess::NotRunning) {
            return;
        }
        QElapsedTimer timer;
        timer.start();
        m_program.process().terminate();
        if (!m_program.process().waitForFinished(10000)) {
            finding(QStringLiteral("SIGTERM did not end the program within 10 s"));
            m_program.process().kill();
            m_program.process().waitForFinished(5000);
        } else if (m_program.process().exitStatus() != QProcess::NormalExit || m_program.process().exitCode() != 0) {
            finding(QStringLiteral("SIGTERM ended the program with %1 %2")
                        .arg(m_program.process().exitStatus() == QProcess::CrashExit ? QStringLiteral("a crash, signal")
                                                                                     : QStringLiteral("status"))
                        .arg(m_program.process().exitCode()));
        } else {
            note(QStringLiteral("SIGTERM ended the program in %1 ms with status 0").arg(timer.elapsed()));
        }
        readHistory();
    }

    // What History.xml lists, read whenever it changed; then what became of the listed files.
    void readHistory() {
        const QFileInfo info(m_program.folders().dataFolder() + QStringLiteral("/History.xml"));
        const QString stamp =
            info.exists() ? QStringLiteral("%1/%2").arg(info.lastModified().toMSecsSinceEpoch()).arg(info.size())
                          : QString();
        if (stamp != m_historyStamp) {
            m_historyStamp = stamp;
            const QStringList listed = journey::historyPaths(info.filePath());
            for (const QString& path : listed) {
                if (!m_everListed.contains(path)) {
                    note(QStringLiteral("listed: %1").arg(QFileInfo(path).fileName()));
                }
                m_everListed.insert(path);
            }
            m_listed = QSet<QString>(listed.begin(), listed.end());
        }
        lookAtListedFiles();
    }

    // A listed file seen on the disk and gone later was deleted by the run only when the
    // run answered the history's delete box then (its entry stays in History.xml until the
    // history loads again), or renamed by the run when the same file is in its folder
    // under another name. Any other file that goes is a finding: the program deleted a
    // recording by itself. The box does not name the entries it deletes (the selected
    // rows, or all): a file that goes while an answer is open is excused.
    void lookAtListedFiles() {
        const qint64 now = m_clock.isValid() ? m_clock.elapsed() : 0;
        const bool deleting = deleteAnswerOpen(now);
        for (auto it = m_onDisk.begin(); it != m_onDisk.end();) {
            if (QFileInfo::exists(it.key())) {
                ++it;
                continue;
            }
            if (deleting) {
                note(QStringLiteral("deleted by the run's answer to the delete box: %1")
                         .arg(QFileInfo(it.key()).fileName()));
            } else {
                m_vanished.append({it.key(), it.value(), now, m_actions});
            }
            m_wentMissing.insert(it.key());
            it = m_onDisk.erase(it);
        }
        for (const QString& path : std::as_const(m_listed)) {
            const FileId id = fileIdOf(path);
            if (id.inode != 0) {
                m_onDisk.insert(path, id);
                m_seenOnDisk.insert(path);
            } else if (!m_seenOnDisk.contains(path) && !m_wentMissing.contains(path)) {
                // Gone before this test first looked (a checkpoint holds the looks).
                if (deleting) {
                    note(QStringLiteral("deleted by the run's answer to the delete box before a look: %1")
                             .arg(QFileInfo(path).fileName()));
                } else {
                    m_vanished.append({path, FileId(), now, m_actions});
                }
            }
            if (id.inode == 0) {
                m_wentMissing.insert(path);
            }
        }
        judgeVanished(now, false);
    }

    // A vanished file found in its folder under another name was renamed (the file goes
    // first, then its entry is renamed); one back under its name was renamed back (the
    // new name could not be saved). One that is neither within 10 s, or by the end, was
    // deleted by the program.
    void judgeVanished(qint64 now, bool last) {
        for (auto it = m_vanished.begin(); it != m_vanished.end();) {
            const QString found = it->id.inode == 0 ? QString() : sameFileIn(QFileInfo(it->path).path(), it->id);
            if (found == it->path) {
                note(QStringLiteral("back under its name: %1").arg(QFileInfo(found).fileName()));
            } else if (!found.isEmpty()) {
                note(QStringLiteral("renamed by the run: %1 to %2")
                         .arg(QFileInfo(it->path).fileName(), QFileInfo(found).fileName()));
            } else if (last || now - it->noticedMs >= 10000) {
                finding(QStringLiteral("a listed file went from the disk without a delete the run chose: %1 (gone "
                                       "after action %2, at %3 s)")
                            .arg(it->path)
                            .arg(it->action)
                            .arg(it->noticedMs / 1000.0, 0, 'f', 1));
            } else {
                ++it;
                continue;
            }
            it = m_vanished.erase(it);
        }
    }

    // A file as the disk knows it: its inode and size, which a rename keeps.
    struct FileId {
        quint64 inode = 0;
        qint64 size = -1;
        bool operator==(const FileId& other) const { return inode == other.inode && size == other.size; }
    };

    static FileId fileIdOf(const QString& path) {
        struct stat info {};
        if (::stat(QFile::encodeName(path).constData(), &info) != 0) {
            return FileId();
        }
        return FileId{quint64(info.st_ino), qint64(info.st_size)};
    }

    // The file of the folder that is `id`; empty when none is.
    static QString sameFileIn(const QString& folder, const FileId& id) {
        const QDir dir(folder);
        for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden)) {
            if (fileIdOf(dir.filePath(name)) == id) {
                return dir.filePath(name);
            }
        }
        return QString();
    }

    // ---- the history's delete box ("Cancel", "Delete files", "Move files")

    static bool isDeleteBox(const TopWindow& window) {
        return !window.overrideRedirect && window.rect.size() == QSize(420, 170);
    }

    // Where "Delete files" lies in the box: 80 wide 215 from the left, or 110 wide 155 from
    // the left in the languages with longer words; 24 high, 130 from the top.
    static QRect deleteButtonOf(const TopWindow& box) {
        return QRect(box.rect.x() + 155, box.rect.y() + 130, 295 - 155, 24);
    }

    // An input that may have pressed "Delete files": a left click or drag that ends on it,
    // or Return or space on the box, whose focus may rest on it (Escape, the other buttons
    // and the title's close button keep the files). The answer stays open while the box
    // shows and for 2 s after it was seen gone.
    void deleteAnswer(const TopWindow& box, const QString& how) {
        if (journey::windowRect(box.id).isEmpty()) {
            return; // gone since the last look
        }
        m_deleteAnswerBox = box.id;
        m_deleteBoxGoneAt = -1;
        note(QStringLiteral("the delete box (%1) may be answered with Delete files: %2").arg(rectText(box.rect), how));
    }

    void inputOnDeleteBox(const QPoint& at, const QString& how) {
        for (const TopWindow& box : std::as_const(m_deleteBoxes)) {
            if (deleteButtonOf(box).contains(at)) {
                deleteAnswer(box, how);
            }
        }
    }

    bool deleteAnswerOpen(qint64 now) {
        if (m_deleteAnswerBox == 0) {
            return false;
        }
        if (m_deleteBoxGoneAt < 0) {
            if (journey::windowRect(m_deleteAnswerBox).isEmpty()) {
                m_deleteBoxGoneAt = now;
            }
            return true;
        }
        if (now - m_deleteBoxGoneAt < 2000) {
            return true;
        }
        m_deleteAnswerBox = 0;
        return false;
    }

    // True when the program looks idle while it holds a recording open (which a
    // checkpoint then confirms or not: it may be a moment between two steps).
    bool afterAction() {
        const bool running = alive();
        readHistory();
        if (running && hotkeysTakenOver()) {
            resetHotkeys();
            return false;
        }
        return running && lookOf(journey::windowRect(m_program.window())) == Look::Idle && !openRecordings().isEmpty();
    }

    // What the program wrote since the last look: a recording that failed (the user was
    // told in a box that a checkpoint dismisses) is a finding of its own.
    void readProgramLog() {
        QFile log(m_folder + QStringLiteral("/program.log"));
        if (!log.open(QIODevice::ReadOnly) || !log.seek(m_programLogRead)) {
            return;
        }
        while (!log.atEnd()) {
            const QByteArray line = log.readLine().trimmed();
            if (line.startsWith("recording failed:") || line.startsWith("exit---")) {
                finding(QStringLiteral("the program says: %1").arg(QString::fromUtf8(line)));
            }
        }
        m_programLogRead = log.pos();
    }

    qint64 checkpointGap() { return 30000 + m_rng.bounded(30001); }

    // ---- what is on screen

    static QSet<quint64> windowIdsOfRoot() {
        const QString out = journey::run(QStringLiteral("xwininfo"), {"-root"});
        const QRegularExpressionMatch match = QRegularExpression(QStringLiteral("Window id: (0x[0-9a-f]+)")).match(out);
        return {match.hasMatch() ? match.captured(1).toULongLong(nullptr, 16) : 0};
    }

    // The windows the window manager manages, from the bottom up.
    static QList<quint64> stackingOrder() {
        const QString out = journey::run(QStringLiteral("xprop"), {"-root", "_NET_CLIENT_LIST_STACKING"});
        QList<quint64> ids;
        for (const QString& id : out.section(QLatin1Char('#'), 1).split(QLatin1Char(','), Qt::SkipEmptyParts)) {
            ids.append(id.trimmed().toULongLong(nullptr, 16));
        }
        return ids;
    }

    Scene scene() {
        Scene now;
        if (m_program.process().state() == QProcess::NotRunning) {
            return now;
        }
        for (const TopWindow& window : journey::topLevelWindowsOf(pid())) {
            if (window.id == m_program.window()) {
                now.main = window.rect;
            } else if (window.hasType("TOOLTIP") || window.hasType("NOTIFICATION")) {
                continue; // they go by themselves
            } else if (window.rect.size() == kScreen.size() && window.hasType("UTILITY")) {
                now.overlays.append(window);
            } else {
                now.boxes.append(window);
            }
        }
        m_deleteBoxes.clear();
        for (const TopWindow& box : std::as_const(now.boxes)) {
            if (isDeleteBox(box)) {
                m_deleteBoxes.append(box);
            }
        }
        return now;
    }

    // The tray icon: the program's small window in the tray at the bottom right; 0 while
    // the program hides it.
    quint64 trayIcon() {
        for (quint64 id : journey::otherWindowsOf(m_program)) {
            const QRect rect = journey::windowRect(id);
            if (rect.width() <= 64 && rect.height() <= 64 && rect.bottom() >= kScreen.height() - 30) {
                return id;
            }
        }
        return 0;
    }

    // The recording files the program holds open: a recording runs (or is paused).
    QStringList openRecordings() {
        QStringList recordings;
        if (m_program.process().state() == QProcess::NotRunning) {
            return recordings;
        }
        for (const QString& file : journey::openFilesOf(pid())) {
            if (QFileInfo(file).fileName().startsWith(QStringLiteral("REC_"))) {
                recordings.append(file);
            }
        }
        return recordings;
    }

    // The top-level window under the pointer; the root when no window takes the pointer
    // there (the shade lets it through, and so does the area frame away from its edges).
    quint64 windowUnderPointer() {
        const QString out = journey::run(QStringLiteral("xdotool"), {"getmouselocation", "--shell"});
        const QRegularExpressionMatch match = QRegularExpression(QStringLiteral("WINDOW=(\\d+)")).match(out);
        return match.hasMatch() ? match.captured(1).toULongLong() : 0;
    }

    // Pick mode: the main window hidden and an overlay that takes the pointer anywhere.
    bool inPickMode(const Scene& now) {
        if (!now.main.isEmpty() || now.overlays.isEmpty()) {
            return false;
        }
        pointTo(QPoint(1700, 80));
        const quint64 under = windowUnderPointer();
        for (const TopWindow& overlay : now.overlays) {
            if (overlay.id == under) {
                return true;
            }
        }
        return false;
    }

    // ---- input

    bool pointTo(QPoint point) {
        point.setX(qBound(kScreen.left(), point.x(), kScreen.right()));
        point.setY(qBound(kScreen.top(), point.y(), kScreen.bottom()));
        if (point == m_pointer) {
            return true; // a synchronous move to where the pointer is would wait forever
        }
        int code = 0;
        journey::run(QStringLiteral("xdotool"),
                     {"mousemove", "--sync", QString::number(point.x()), QString::number(point.y())}, &code, 5000);
        m_pointer = point;
        return code == 0;
    }

    void press(const QString& keys) {
        static const QStringList answers = {"Return", "KP_Enter", "space"};
        if (answers.contains(keys)) {
            for (const TopWindow& box : std::as_const(m_deleteBoxes)) {
                deleteAnswer(box, keys);
            }
        }
        journey::xdotool({"key", "--clearmodifiers", keys});
    }

    // A click at a screen point: 1 left, 3 right; double is two left clicks. A right click
    // where no window of ours takes the pointer would reach the desktop, whose menu can
    // end the window manager: it becomes a left click there.
    QString clickAt(const QPoint& point, int button, bool twice = false) {
        pointTo(point);
        if (button == 3 && m_root.contains(windowUnderPointer())) {
            button = 1;
        }
        if (button == 1) {
            inputOnDeleteBox(point, QStringLiteral("a click"));
        }
        if (twice) {
            journey::xdotool({"click", "--repeat", "2", "--delay", "60", QString::number(button)});
        } else {
            journey::xdotool({"click", QString::number(button)});
        }
        return QStringLiteral("%1 at %2,%3")
            .arg(twice         ? QStringLiteral("double click")
                 : button == 3 ? QStringLiteral("right click")
                               : QStringLiteral("left click"))
            .arg(point.x())
            .arg(point.y());
    }

    void drag(const QPoint& from, const QPoint& to) {
        for (const TopWindow& box : std::as_const(m_deleteBoxes)) {
            if (deleteButtonOf(box).contains(from)) {
                inputOnDeleteBox(to, QStringLiteral("a drag"));
            }
        }
        pointTo(from);
        journey::xdotool({"mousedown", "1"});
        for (int i = 1; i <= 5; ++i) {
            pointTo(from + (to - from) * i / 5);
        }
        journey::xdotool({"mouseup", "1"});
    }

    // A point of the rectangle's part on screen.
    QPoint randomPointIn(const QRect& rect) {
        const QRect shown = rect.intersected(kScreen);
        return QPoint(shown.x() + int(m_rng.bounded(qMax(1, shown.width()))),
                      shown.y() + int(m_rng.bounded(qMax(1, shown.height()))));
    }

    template <typename T> const T& pick(const QList<T>& list) { return list.at(int(m_rng.bounded(list.size()))); }

    // The points a user aims at in the main window, by its look.
    QList<QPoint> controlsOf(Look look) {
        if (look == Look::Idle) {
            // The recording controls more often than the rest.
            return {kRecordButton,   kRecordButton,   kRecordButton,    kAudioModeButton, QPoint(560, 104),
                    kAreaButton,     kAreaButton,     kAreaDropDown,    kAreaDropDown,    kSystemAudioButton,
                    QPoint(450, 87), kHistoryButton,  kOptionsButton,   kCloseButton,     QPoint(648, 18),
                    QPoint(623, 18), QPoint(200, 75), QPoint(200, 105), QPoint(262, 90)};
        }
        if (look == Look::VideoPanel || look == Look::AudioPanel) {
            const int pause = journey::toolbarButtonWidth("btn_record_pause.png");
            const int stop = journey::toolbarButtonWidth("btn_record_stop.png");
            const int cut = journey::toolbarButtonWidth("btn_cut.png");
            return {QPoint(kToolbarX + pause / 2, kToolbarCentreY),
                    QPoint(kToolbarX + pause + 18 + stop / 2, kToolbarCentreY),
                    QPoint(kToolbarX + pause + 18 + stop + 18 + cut / 2, kToolbarCentreY), QPoint(223, 18)};
        }
        return {};
    }

    void count(const QString& kind, const QString& what) {
        ++m_actions;
        ++m_counts[kind];
        note(QStringLiteral("#%1 %2: %3").arg(m_actions).arg(kind, what));
    }

    void act() {
        const Scene now = scene();
        const int roll = int(m_rng.bounded(100));
        if (roll < 30) {
            clickControl(now);
        } else if (roll < 52) {
            clickAnywhere(now);
        } else if (roll < 59) {
            dragInWindow(now);
        } else if (roll < 74) {
            randomKey();
        } else if (roll < 83) {
            hotkey();
        } else if (roll < 91) {
            trayPick();
        } else {
            burst(now);
        }
    }

    void clickControl(const Scene& now) {
        const QList<QPoint> controls = controlsOf(lookOf(now.main));
        if (controls.isEmpty()) {
            clickAnywhere(now);
            return;
        }
        const QPoint point = now.main.topLeft() + pick(controls) + QPoint(int(m_rng.bounded(5)) - 2, 0);
        const int kind = int(m_rng.bounded(10));
        count(QStringLiteral("control"), clickAt(point, kind < 8 ? 1 : 3, kind == 9));
    }

    // A window of the program to aim at: a box or menu most of the time, the main window,
    // an overlay only when nothing else is there (pick mode, or a recording of the screen).
    QRect targetWindow(const Scene& now) {
        QList<QRect> targets;
        for (const TopWindow& box : now.boxes) {
            targets << box.rect << box.rect;
        }
        if (!now.main.isEmpty()) {
            targets << now.main;
        }
        if (targets.isEmpty()) {
            for (const TopWindow& overlay : now.overlays) {
                targets << overlay.rect;
            }
        }
        return targets.isEmpty() ? QRect() : pick(targets);
    }

    void clickAnywhere(const Scene& now) {
        const QRect target = targetWindow(now);
        if (target.isEmpty()) {
            trayPick();
            return;
        }
        const int kind = int(m_rng.bounded(10));
        count(QStringLiteral("click"), clickAt(randomPointIn(target), kind < 6 ? 1 : 3, kind >= 8));
    }

    void dragInWindow(const Scene& now) {
        const QRect target = targetWindow(now);
        if (target.isEmpty()) {
            randomKey();
            return;
        }
        const QPoint from = randomPointIn(target);
        const QPoint to = randomPointIn(target.adjusted(-100, -100, 100, 100).intersected(kScreen));
        drag(from, to);
        count(QStringLiteral("drag"),
              QStringLiteral("from %1,%2 to %3,%4").arg(from.x()).arg(from.y()).arg(to.x()).arg(to.y()));
    }

    QString randomKeyName() {
        static const QStringList named = {"Escape", "Return", "Tab", "space", "Up", "Down", "Left", "Right"};
        if (m_rng.bounded(3) == 0) {
            return QString(QChar('a' + int(m_rng.bounded(26))));
        }
        return pick(named);
    }

    void randomKey() {
        const QString key = randomKeyName();
        press(key);
        count(QStringLiteral("key"), key);
    }

    // A hotkey as the settings hold it now (the options let the user change them, and the
    // random keys may do so): start/stop (twice as often), pause, screenshot, cut.
    QString currentHotkey(const char* name) {
        static const QMap<QString, QString> defaults = {{"Stop_shortcut", "ctrl+alt+F11"},
                                                        {"Pause_shortcut", "ctrl+alt+F12"},
                                                        {"Screenshot_shortcut", "ctrl+alt+F9"},
                                                        {"Cut_shortcut", "ctrl+alt+F10"}};
        QFile file(m_program.settingsFile());
        QDomDocument document;
        if (!file.open(QIODevice::ReadOnly) || !document.setContent(&file)) {
            return defaults.value(QLatin1String(name));
        }
        const QString stored =
            document.documentElement().firstChildElement(QStringLiteral("SHORTCUT_SET")).attribute(QLatin1String(name));
        return stored.isEmpty() ? defaults.value(QLatin1String(name)) : xdotoolKeys(stored);
    }

    QString stopHotkey() { return currentHotkey("Stop_shortcut"); }

    // The random keys typed into the hotkey edit of the options may make a bare key (Escape,
    // a letter) a global hotkey, which then never reaches a box, or give two actions one
    // combination: the user's choice, but one that the checks cannot work with.
    bool hotkeysTakenOver() {
        QStringList keys;
        for (const char* name : {"Stop_shortcut", "Pause_shortcut", "Screenshot_shortcut", "Cut_shortcut"}) {
            const QString key = currentHotkey(name);
            if (key.isEmpty() || !key.contains(QStringLiteral("ctrl+")) || keys.contains(key)) {
                return true;
            }
            keys << key;
        }
        return false;
    }

    // SIGTERM, the default hotkeys back in the settings, a new start.
    void resetHotkeys() {
        ++m_hotkeyResets;
        note(QStringLiteral("the hotkeys were changed to keys the checks need; back to the defaults"));
        terminate();
        QFile file(m_program.settingsFile());
        QDomDocument document;
        if (file.open(QIODevice::ReadOnly) && document.setContent(&file)) {
            file.close();
            QDomElement root = document.documentElement();
            root.removeChild(root.firstChildElement(QStringLiteral("SHORTCUT_SET")));
            if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
                file.write(document.toByteArray(4));
            }
        }
        startProgram();
    }

    void hotkey() {
        static const QList<const char*> names = {"Stop_shortcut", "Stop_shortcut", "Pause_shortcut",
                                                 "Screenshot_shortcut", "Cut_shortcut"};
        const char* name = pick(names);
        const QString key = currentHotkey(name);
        if (key.isEmpty()) {
            count(QStringLiteral("hotkey"), QStringLiteral("%1 names a key not typed here").arg(QLatin1String(name)));
            return;
        }
        press(key);
        count(QStringLiteral("hotkey"), key);
    }

    // The tray icon: a left click (restores the window), or its menu and an entry of it,
    // by a click on it or by arrow keys and Return; sometimes the menu is left by Escape.
    void trayPick() {
        const quint64 tray = trayIcon();
        if (tray == 0) {
            randomKey();
            return;
        }
        const QPoint icon = journey::windowRect(tray).center();
        if (m_rng.bounded(5) == 0) {
            clickAt(icon, 1);
            count(QStringLiteral("tray"), QStringLiteral("left click on the icon"));
            return;
        }
        const Scene before = scene();
        clickAt(icon, 3);
        QRect menu;
        QElapsedTimer timer;
        timer.start();
        while (menu.isEmpty() && timer.elapsed() < 1500) {
            for (const TopWindow& box : scene().boxes) {
                if (box.overrideRedirect && !before.has(box.id)) {
                    menu = box.rect;
                }
            }
            QTest::qWait(20);
        }
        if (menu.isEmpty()) {
            count(QStringLiteral("tray"), QStringLiteral("right click on the icon, no menu came"));
            return;
        }
        // The last entry of either menu ends the program or does nothing; it is picked
        // less often than the others, or the run would spend itself on starts.
        const int way = int(m_rng.bounded(10));
        const int upper = menu.height() * 2 / 3;
        if (way < 5) {
            const int y = m_rng.bounded(5) == 0 ? int(m_rng.bounded(qMax(1, menu.height() - 8)))
                                                : int(m_rng.bounded(qMax(1, upper - 4)));
            const QPoint item(menu.x() + menu.width() / 3, menu.y() + 4 + y);
            clickAt(item, 1);
            count(QStringLiteral("tray"),
                  QStringLiteral("menu %1, click at %2,%3").arg(rectText(menu)).arg(item.x()).arg(item.y()));
        } else if (way < 9) {
            const int downs = m_rng.bounded(5) == 0 ? int(m_rng.bounded(5)) : int(m_rng.bounded(3));
            for (int i = 0; i < downs; ++i) {
                press(QStringLiteral("Down"));
            }
            press(QStringLiteral("Return"));
            count(QStringLiteral("tray"), QStringLiteral("menu %1, %2 x Down, Return").arg(rectText(menu)).arg(downs));
        } else {
            press(QStringLiteral("Escape"));
            count(QStringLiteral("tray"), QStringLiteral("menu %1, Escape").arg(rectText(menu)));
        }
    }

    // At the recording controls: the area button, the record button or an entry of the
    // area drop-down ("Full Screen", "Select area to record"), then within a second a
    // hotkey, a key or a tray pick.
    void burst(const Scene& now) {
        if (lookOf(now.main) != Look::Idle) {
            hotkey();
            return;
        }
        const QPoint origin = now.main.topLeft();
        QString first;
        switch (m_rng.bounded(4)) {
        case 0:
            clickAt(origin + kAreaButton, 1);
            first = QStringLiteral("area button");
            break;
        case 1:
            clickAt(origin + kRecordButton, 1);
            first = QStringLiteral("record button");
            break;
        default: {
            const bool fullScreen = m_rng.bounded(2) == 0;
            clickAt(origin + kAreaDropDown, 1);
            QTest::qWait(150);
            press(QStringLiteral("End"));
            if (fullScreen) {
                press(QStringLiteral("Up"));
            }
            press(QStringLiteral("Return"));
            first = fullScreen ? QStringLiteral("Full Screen") : QStringLiteral("Select area to record");
            break;
        }
        }
        const int gap = int(m_rng.bounded(1000));
        QTest::qWait(gap);
        count(QStringLiteral("burst"), QStringLiteral("%1, then after %2 ms:").arg(first).arg(gap));
        switch (m_rng.bounded(3)) {
        case 0:
            hotkey();
            break;
        case 1: {
            static const QStringList keys = {"Escape", "Return", "space"};
            const QString key = pick(keys);
            press(key);
            count(QStringLiteral("key"), key);
            break;
        }
        default:
            trayPick();
            break;
        }
    }

    // ---- checkpoints

    // Boxes and menus are dismissed with Escape and pick mode is left with a drag, until
    // the windows and the open files hold still for a second; false (with what stays)
    // when that does not come within a minute.
    bool settle(QString* stuck) {
        QHash<quint64, int> escapes;
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < 60000) {
            if (!alive()) {
                continue;
            }
            const Scene now = scene();
            if (!now.boxes.isEmpty()) {
                // Menus first (they hold the keyboard), then the dialog on top (a dialog under
                // a modal one takes no keys), then other windows (a dialog's floating bars
                // go with it).
                // The player's floating bars take no Escape of their own: their history
                // window does.
                QList<TopWindow> dismissable;
                for (const TopWindow& candidate : now.boxes) {
                    const bool bar =
                        std::any_of(now.boxes.begin(), now.boxes.end(),
                                    [&candidate](const TopWindow& owner) { return isPlayerBarOf(candidate, owner); });
                    if (!bar) {
                        dismissable.append(candidate);
                    } else if (!escapes.contains(candidate.id)) {
                        escapes.insert(candidate.id, 0);
                        note(QStringLiteral("checkpoint: the player's floating bar (%1) goes with its window")
                                 .arg(rectText(candidate.rect)));
                    }
                }
                if (dismissable.isEmpty()) {
                    dismissable = now.boxes;
                }
                const QList<quint64> stacking = stackingOrder();
                auto rank = [&stacking](const TopWindow& window) {
                    const int kind = window.overrideRedirect ? 2 : window.hasType("DIALOG") ? 1 : 0;
                    return kind * 100000 + stacking.indexOf(window.id);
                };
                TopWindow box = dismissable.first();
                for (const TopWindow& candidate : dismissable) {
                    if (rank(candidate) > rank(box)) {
                        box = candidate;
                    }
                }
                if (++escapes[box.id] > 3) {
                    *stuck = QStringLiteral("a box (%1) stayed after three Escapes").arg(rectText(box.rect));
                    return false;
                }
                if (!box.overrideRedirect) {
                    journey::run(QStringLiteral("xdotool"), {"windowactivate", "--sync", QString::number(box.id)},
                                 nullptr, 3000);
                }
                press(QStringLiteral("Escape"));
                note(QStringLiteral("checkpoint: Escape on a box (%1, %2)").arg(rectText(box.rect), box.type));
                QElapsedTimer gone;
                gone.start();
                while (gone.elapsed() < 5000 && !journey::windowRect(box.id).isEmpty()) {
                    QTest::qWait(50);
                }
                continue;
            }
            if (inPickMode(now)) {
                const QStringList open = openRecordings();
                if (!open.isEmpty()) {
                    finding(QStringLiteral("checkpoint %1: a recording runs (%2) while the area picker is in pick "
                                           "mode")
                                .arg(m_checkpoints)
                                .arg(QFileInfo(open.first()).fileName()));
                }
                note(QStringLiteral("checkpoint: pick mode, a drag picks an area"));
                drag(QPoint(300, 250), QPoint(900, 650));
                QTest::qWait(300);
                continue;
            }
            const Look look = lookOf(now.main);
            const QStringList open = openRecordings();
            QTest::qWait(1000);
            const Scene later = scene();
            if (later.boxes.isEmpty() && lookOf(later.main) == look && openRecordings() == open) {
                return true;
            }
        }
        *stuck = QStringLiteral("the windows did not hold still for a minute");
        return false;
    }

    void checkpoint() {
        ++m_checkpoints;
        note(QStringLiteral("checkpoint %1").arg(m_checkpoints));
        QString stuck;
        if (!settle(&stuck)) {
            finding(QStringLiteral("checkpoint %1: %2").arg(m_checkpoints).arg(stuck));
            recover();
            return;
        }
        readProgramLog();
        Scene now = scene();
        const Look look = lookOf(now.main);
        const QStringList open = openRecordings();
        journey::screenshotTo(m_folder + QStringLiteral("/checkpoint-%1.png").arg(m_checkpoints));
        note(QStringLiteral("checkpoint %1: main window %2, %3 open")
                 .arg(m_checkpoints)
                 .arg(lookName(look))
                 .arg(open.isEmpty() ? QStringLiteral("no recording") : open.join(QStringLiteral(", "))));
        if (look == Look::Idle && !open.isEmpty()) {
            finding(QStringLiteral("checkpoint %1: a recording runs (%2) while the main window shows its idle look")
                        .arg(m_checkpoints)
                        .arg(QFileInfo(open.first()).fileName()));
        }
        if ((look == Look::VideoPanel || look == Look::AudioPanel) && open.isEmpty()) {
            finding(QStringLiteral("checkpoint %1: the %2 shows, but no recording runs")
                        .arg(m_checkpoints)
                        .arg(lookName(look)));
        }
        if (!open.isEmpty()) {
            stopWithHotkey(open);
        } else if (look == Look::Hidden) {
            // In the tray: back on screen, so that the input has a window to aim at.
            if (const quint64 tray = trayIcon()) {
                clickAt(journey::windowRect(tray).center(), 1);
                note(QStringLiteral("checkpoint: the window back from the tray"));
            }
        }
    }

    // The stop hotkey ends the recording (the file is closed); the history that opens is
    // dismissed with Escape, and the main window comes back in its idle look.
    void stopWithHotkey(const QStringList& open) {
        const QString stop = stopHotkey();
        if (stop.isEmpty()) {
            note(QStringLiteral("checkpoint: the stop hotkey names a key not typed here; SIGTERM instead"));
            recover();
            return;
        }
        press(stop);
        note(QStringLiteral("checkpoint: %1 to stop").arg(stop));
        QElapsedTimer timer;
        timer.start();
        bool closed = false;
        while (!(closed = openRecordings().isEmpty()) && timer.elapsed() < 20000) {
            QTest::qWait(100);
        }
        if (!closed) {
            finding(QStringLiteral("checkpoint %1: the stop hotkey did not end the recording of %2 within 20 s")
                        .arg(m_checkpoints)
                        .arg(QFileInfo(open.first()).fileName()));
            recover();
            return;
        }
        QString stuck;
        if (!settle(&stuck)) {
            finding(QStringLiteral("checkpoint %1, after the stop: %2").arg(m_checkpoints).arg(stuck));
            recover();
            return;
        }
        const Look after = lookOf(scene().main);
        const QStringList reopened = openRecordings();
        if (!reopened.isEmpty()) {
            finding(QStringLiteral("checkpoint %1: after the stop and Escape in its history, a recording runs "
                                   "again (%2) under the %3")
                        .arg(m_checkpoints)
                        .arg(QFileInfo(reopened.first()).fileName())
                        .arg(lookName(after)));
            recover();
        } else if (after == Look::VideoPanel || after == Look::AudioPanel) {
            // (A window the user minimised may stay so.)
            finding(QStringLiteral("checkpoint %1: after the stop the main window still shows the %2")
                        .arg(m_checkpoints)
                        .arg(lookName(after)));
        }
    }

    // ---- the end

    // A recording runs when SIGTERM comes: the start hotkey in video mode, or in audio mode
    // when no area is chosen (the box that says so is dismissed).
    void endWithSigterm() {
        const QString start = stopHotkey();
        if (lookOf(scene().main) == Look::Idle && openRecordings().isEmpty() && !start.isEmpty()) {
            press(start);
            note(QStringLiteral("end: %1 to record").arg(start));
            QElapsedTimer timer;
            timer.start();
            bool audioTried = false;
            while (openRecordings().isEmpty() && timer.elapsed() < 20000) {
                const Scene now = scene();
                bool countdown = false;
                for (const TopWindow& box : now.boxes) {
                    countdown = countdown || box.rect.size() == kCountdownSize;
                }
                if (!now.boxes.isEmpty() && !countdown && !audioTried) {
                    audioTried = true;
                    QString stuck;
                    settle(&stuck);
                    if (lookOf(scene().main) == Look::Idle) {
                        clickAt(scene().main.topLeft() + kAudioModeButton, 1);
                        press(start);
                        note(QStringLiteral("end: audio mode, %1 to record").arg(start));
                    }
                }
                QTest::qWait(100);
            }
        }
        const QStringList open = openRecordings();
        note(QStringLiteral("end: SIGTERM with %1 open")
                 .arg(open.isEmpty() ? QStringLiteral("no recording") : open.join(QStringLiteral(", "))));
        if (!open.isEmpty()) {
            QTest::qWait(1000); // a second in the file
        }
        terminate();
        readProgramLog();
        for (const QString& file : open) {
            if (!m_listed.contains(file)) {
                finding(QStringLiteral("the recording SIGTERM finished is not listed: %1").arg(file));
            }
        }
    }

    // Every listed file plays through; every recording that plays is listed, unless the run
    // took it off the list; nothing is left half-written.
    void checkFiles() {
        readHistory();
        QSet<QString> checked;
        judgeVanished(m_clock.elapsed(), true);
        for (const QString& path : m_listed) {
            QString why;
            if (!QFile::exists(path)) {
                note(QStringLiteral("gone (judged when it went), listed until the history loads again: %1")
                         .arg(QFileInfo(path).fileName()));
            } else if (!journey::playsThrough(path, &why)) {
                finding(QStringLiteral("listed, but does not play: %1 (%2)").arg(path, why));
            }
            checked.insert(path);
        }
        QStringList files;
        QDirIterator recordings(m_program.folders().root(), {"REC_*"}, QDir::Files, QDirIterator::Subdirectories);
        while (recordings.hasNext()) {
            files << recordings.next();
        }
        QDirIterator output(m_program.outputFolder(), QDir::Files, QDirIterator::Subdirectories);
        while (output.hasNext()) {
            files << output.next();
        }
        int played = 0;
        for (const QString& path : files) {
            if (checked.contains(path)) {
                continue;
            }
            checked.insert(path);
            static const QStringList pictures = {"png", "jpg", "jpeg", "bmp"};
            if (pictures.contains(QFileInfo(path).suffix().toLower())) {
                continue; // snapshots of the editor
            }
            QString why;
            if (!journey::playsThrough(path, &why)) {
                finding(QStringLiteral("left half-written (does not play): %1, %2 bytes (%3)")
                            .arg(path)
                            .arg(QFileInfo(path).size())
                            .arg(why));
                continue;
            }
            ++played;
            // A video recording stopped before its first picture holds a moment of sound at
            // most: the program tells it as failed and does not list it.
            const bool recording =
                QFileInfo(path).fileName().startsWith(QStringLiteral("REC_")) && journey::picturePackets(path) != 0;
            if (recording && !m_everListed.contains(path)) {
                finding(QStringLiteral("a recording that plays was never listed: %1").arg(path));
            }
        }
        note(QStringLiteral("files: %1 listed at the end, %2 ever listed, %3 more found that play")
                 .arg(m_listed.size())
                 .arg(m_everListed.size())
                 .arg(played));
    }

    void writeSummary() {
        note(summary());
        for (const QString& text : m_findings) {
            note(text);
        }
    }

    QRandomGenerator m_rng;
    quint32 m_seed;
    int m_seconds;
    QString m_folder;
    QFile m_log;
    Program m_program;
    QSet<quint64> m_root;
    QElapsedTimer m_clock;
    QPoint m_pointer{-1, -1};
    QStringList m_findings;
    QMap<QString, int> m_counts;
    int m_actions = 0;
    int m_checkpoints = 0;
    int m_quits = 0;
    int m_recoveries = 0;
    int m_hotkeyResets = 0;
    QString m_historyStamp;
    qint64 m_programLogRead = 0;
    QSet<QString> m_listed;
    QSet<QString> m_everListed;
    // The listed files seen on the disk, with their inodes; those gone that no answer to
    // the delete box explains yet.
    struct Vanished {
        QString path;
        FileId id;
        qint64 noticedMs;
        int action;
    };
    QHash<QString, FileId> m_onDisk;
    QSet<QString> m_seenOnDisk;
    QSet<QString> m_wentMissing;
    QList<Vanished> m_vanished;
    QList<TopWindow> m_deleteBoxes; // at the last look at the windows
    quint64 m_deleteAnswerBox = 0;  // the box the run may have answered "Delete files"
    qint64 m_deleteBoxGoneAt = -1;
};

} // namespace

class TestRecorderRandom : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QVERIFY2(QFile::exists(Program::path()), qPrintable(Program::path())); }

    void randomInput() {
        bool given = false;
        const quint32 seed = seedFromEnvironment(&given);
        const int seconds = secondsFromEnvironment();
        qInfo().noquote() << QStringLiteral("seed %1%2; replay with CALVORINE_RANDOM_SEED=%1 "
                                            "CALVORINE_RANDOM_SECONDS=%3")
                                 .arg(seed)
                                 .arg(given ? QStringLiteral(" (given)") : QString())
                                 .arg(seconds);
        // A click on the system volume slider sets the shared sink's level: set back after.
        DefaultSinkLevelKept level;
        QVERIFY(level.isValid());
        RandomRun run(seed, seconds);
        const bool ran = run.run();
        qInfo().noquote() << run.summary();
        qInfo().noquote() << QStringLiteral("actions, program output and screenshots: %1").arg(run.folder());
        QVERIFY2(ran, qPrintable(run.findings().join(QLatin1Char('\n'))));
        QVERIFY2(run.findings().isEmpty(),
                 qPrintable(QStringLiteral("%1\n%2\nreplay with CALVORINE_RANDOM_SEED=%3 CALVORINE_RANDOM_SECONDS=%4")
                                .arg(run.summary(), run.findings().join(QLatin1Char('\n')))
                                .arg(seed)
                                .arg(seconds)));
    }
};

QTEST_GUILESS_MAIN(TestRecorderRandom)
#include "tst_recorder_random.moc"
