// Drives the built program as a user would: starts it in private folders, finds its
// windows by title, clicks and types with xdotool, measures windows with xwininfo, keeps a
// root screenshot per step and reads files back with ffprobe. Nothing here links the
// program's own code.
#pragma once

#include "tests/support/ChildProcess.h"
#include "tests/support/Ffprobe.h"
#include "tests/support/PrivateUserFolders.h"
#include "tests/support/RunTool.h"

#include <QDir>
#include <QDomDocument>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QPoint>
#include <QProcess>
#include <QRect>
#include <QRegularExpression>
#include <QSet>
#include <QSize>
#include <QStringList>
#include <QTime>
#include <QtTest>

#include <cstdio>
#include <memory>

namespace journey {

inline QString run(const QString& program, const QStringList& arguments, int* exitCode = nullptr,
                   int timeoutMs = 20000) {
    const runtool::Result result = runtool::run(program, arguments, timeoutMs);
    if (exitCode != nullptr) {
        *exitCode = result.exitCode;
    }
    return QString::fromUtf8(result.out);
}

inline bool xdotool(const QStringList& arguments) {
    int code = 0;
    run(QStringLiteral("xdotool"), arguments, &code);
    return code == 0;
}

// Visible windows whose title is exactly `title`, in stacking order (xdotool's).
inline QList<quint64> windowsTitled(const QString& title) {
    const QString out = run(QStringLiteral("xdotool"), {"search", "--onlyvisible", "--name",
                                                        QStringLiteral("^%1$").arg(QRegularExpression::escape(title))});
    QList<quint64> ids;
    for (const QString& line : out.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        ids.append(line.trimmed().toULongLong());
    }
    return ids;
}

// Whether a window is a dialog (a message box, say): it has a window it belongs to, or
// says it is one.
inline bool isDialog(quint64 window) {
    const QString out =
        run(QStringLiteral("xprop"), {"-id", QString::number(window), "WM_TRANSIENT_FOR", "_NET_WM_WINDOW_TYPE"});
    return out.contains(QStringLiteral("WM_TRANSIENT_FOR(WINDOW)")) ||
           out.contains(QStringLiteral("_NET_WM_WINDOW_TYPE_DIALOG"));
}

// The outer rectangle of a window on the root from what xwininfo says of it, empty when
// it is not viewable.
inline QRect windowRectIn(const QString& out) {
    auto value = [&out](const char* key) {
        const QRegularExpression pattern(QStringLiteral("%1:\\s+(-?\\d+)").arg(QLatin1String(key)));
        const QRegularExpressionMatch match = pattern.match(out);
        return match.hasMatch() ? match.captured(1).toInt() : -1;
    };
    if (!out.contains(QStringLiteral("IsViewable"))) {
        return QRect();
    }
    return QRect(value("Absolute upper-left X"), value("Absolute upper-left Y"), value("Width"), value("Height"));
}

// The outer rectangle of a window on the root (xwininfo), empty when it is gone.
inline QRect windowRect(quint64 window) {
    return windowRectIn(run(QStringLiteral("xwininfo"), {"-id", QString::number(window)}));
}

using ffprobe::probe;

inline double probedDuration(const QJsonObject& info) {
    return ffprobe::formatDuration(info);
}

inline QJsonObject probedStream(const QJsonObject& info, const QString& type) {
    return ffprobe::stream(info, type);
}

// A scheduled start is a time of day that the program, started after the schedule was
// written, reads when its Record button is pressed; a start that passed by then is
// tomorrow's. The schedule is set this far ahead of the moment it is written, far more
// than the program needs to come up and take the clicks before Record even on a loaded
// machine; the test then waits for the start itself (msUntilTimeOfDay), not a fixed time.
constexpr qint64 kScheduleLeadMs = 30000;

// A schedule start kScheduleLeadMs from now, in microseconds since midnight.
inline qint64 scheduleStartAhead() {
    return (QTime::currentTime().msecsSinceStartOfDay() + kScheduleLeadMs) * qint64(1000);
}

// Milliseconds from now until a time of day given in microseconds since midnight
// (negative once it has passed).
inline qint64 msUntilTimeOfDay(qint64 timeOfDayUs) {
    return timeOfDayUs / 1000 - QTime::currentTime().msecsSinceStartOfDay();
}

// The main window's sizes and where its controls are, in its own coordinates, and the
// close dialog's (in the dialog's).
namespace layout {
const QSize kNormalSize(696, 176);
const QSize kScheduleSize(241, 81);
const QSize kAudioPanelSize(241, 108);
const QSize kCloseDialogSize(315, 170);
// The record box's button and the mode button at its right edge.
const QPoint kRecordButton(604, 104);
const QPoint kAudioModeButton(648, 104);
// The capture-area panel's area button; the audio-input panel's system sound button.
const QPoint kAreaButton(73, 92);
const QPoint kSystemAudioButton(345, 87);
const QPoint kCloseButton(696 - 33 + 10, 18);
const QPoint kCloseMinimizeChoice(60, 65);
const QPoint kCloseOk(245, 124);
// The options and history buttons at the right edge; the window with the options open.
const QPoint kOptionsButton(674, 151);
const QPoint kHistoryButton(674, 52);
const QSize kOptionsOpenSize(696, 454);
// The history dialog; the compact panel of a video recording.
const QSize kHistorySize(853, 438);
const QSize kVideoPanelSize(241, 63);
// The capture-area panel's drop-down of sizes.
const QPoint kAreaDropDown(120, 92);
// The compact recording panel's toolbar: at 10,23, its buttons from x 16, 18 apart.
const int kToolbarX = 10 + 16;
const int kToolbarCentreY = 23 + 16;
} // namespace layout

// A file's bytes; "(missing)" when it cannot be read.
inline QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

class Program {
public:
    Program() : m_folders(std::make_unique<PrivateUserFolders>()) {
        // The program's log lines are kept (and still shown): a hotkey it has handled
        // writes one, which tells a test that the key has been taken.
        QObject::connect(&m_process, &QProcess::readyReadStandardError, [this] {
            const QByteArray lines = m_process.readAllStandardError();
            m_log += lines;
            fputs(lines.constData(), stderr);
        });
    }
    ~Program() { stop(); }

    PrivateUserFolders& folders() { return *m_folders; }
    QString documents() const {
        return m_folders->root() + QStringLiteral("/home/Documents/Calvorine Screen Recorder");
    }
    QString outputFolder() const { return documents() + QStringLiteral("/Converted"); }
    QString settingsFile() const { return m_folders->dataFolder() + QStringLiteral("/VideoDefaultSetting.xml"); }

    static QString path() {
        const QByteArray appDir = qgetenv("CALVORINE_APP_DIR");
        return (appDir.isEmpty() ? QCoreApplication::applicationDirPath() : QString::fromLocal8Bit(appDir)) +
               QStringLiteral("/calvorine");
    }

    void start(QProcess* process = nullptr) {
        QProcess* target = process != nullptr ? process : &m_process;
        if (m_logFile.isEmpty()) {
            target->setProcessChannelMode(target == &m_process ? QProcess::ForwardedOutputChannel
                                                               : QProcess::ForwardedChannels);
        } else {
            target->setProcessChannelMode(QProcess::MergedChannels);
            target->setStandardOutputFile(m_logFile, QIODevice::Append);
        }
        target->start(path(), QStringList());
    }
    // The program's output goes to the end of this file from the next start on, not to
    // the test's (a long run says too much).
    void setLogFile(const QString& file) { m_logFile = file; }
    // What the program has logged so far, and how often a text occurs in it.
    QByteArray log() {
        if (!m_logFile.isEmpty()) {
            return fileBytes(m_logFile);
        }
        m_log += m_process.readAllStandardError();
        return m_log;
    }
    int logCount(const QByteArray& text) { return log().count(text); }
    // Until the text occurs more than `count` times in the log.
    bool waitForLog(const QByteArray& text, int count, int timeoutMs = 10000) {
        QElapsedTimer timer;
        timer.start();
        while (logCount(text) <= count) {
            if (timer.elapsed() > timeoutMs) {
                return false;
            }
            QTest::qWait(20);
        }
        return true;
    }
    // A hotkey, once the program has taken it (its handler logs `line`).
    bool hotkey(const QString& combination, const QByteArray& line) {
        const int before = logCount(line);
        return keys(combination) && waitForLog(line, before);
    }
    QProcess& process() { return m_process; }

    // The main window, once mapped. Message boxes carry the program's title too, and one
    // raised at start-up can map first: dialogs are passed over.
    quint64 waitForMainWindow(int timeoutMs = 15000) {
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < timeoutMs) {
            const QList<quint64> ids = windowsTitled(QStringLiteral("Calvorine Screen Recorder"));
            for (quint64 id : ids) {
                if (!windowRect(id).isEmpty() && !isDialog(id)) {
                    m_window = id;
                    return id;
                }
            }
            QTest::qWait(50);
        }
        return 0;
    }
    quint64 window() const { return m_window; }
    QRect rect() const { return windowRect(m_window); }

    bool clickAt(const QPoint& global, int button = 1) {
        return xdotool({"mousemove", "--sync", QString::number(global.x()), QString::number(global.y())}) &&
               xdotool({"click", QString::number(button)});
    }
    // A click at a point of the main window.
    bool clickInWindow(const QPoint& local, int button = 1) { return clickAt(rect().topLeft() + local, button); }
    bool keys(const QString& combination) { return xdotool({"key", "--clearmodifiers", combination}); }

    bool waitForSize(const QSize& size, int timeoutMs = 10000) {
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < timeoutMs) {
            if (rect().size() == size) {
                return true;
            }
            QTest::qWait(50);
        }
        return false;
    }

    // The recordings of the output folder, oldest first.
    QStringList recordings(const QString& pattern = QStringLiteral("REC_*")) const {
        QStringList files = QDir(outputFolder()).entryList({pattern}, QDir::Files, QDir::Name);
        for (QString& file : files) {
            file = outputFolder() + QLatin1Char('/') + file;
        }
        return files;
    }

    void stop() {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.terminate();
            if (!m_process.waitForFinished(10000)) {
                m_process.kill();
                m_process.waitForFinished(5000);
            }
        }
    }

private:
    std::unique_ptr<PrivateUserFolders> m_folders;
    ChildProcess m_process;
    QString m_logFile;
    QByteArray m_log;
    quint64 m_window = 0;
};

// The width of one state frame of a toolbar button image.
inline int toolbarButtonWidth(const char* image) {
    const QImage strip(QFileInfo(Program::path()).path() + QStringLiteral("/image/record_tool_dlg/") +
                       QLatin1String(image));
    return strip.width() / 4;
}

// Windows of the program other than its main window that are mapped now.
inline QList<quint64> otherWindowsOf(Program& program) {
    QList<quint64> others;
    const QString out = run(QStringLiteral("xdotool"),
                            {"search", "--onlyvisible", "--pid", QString::number(program.process().processId())});
    for (const QString& line : out.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const quint64 id = line.trimmed().toULongLong();
        if (id != program.window() && !windowRect(id).isEmpty()) {
            others.append(id);
        }
    }
    return others;
}

// A window of the program wider than the tray icon and narrower than the screen that
// is not among `known`, once one is on screen; 0 when none came.
inline quint64 waitForNewWindowOf(Program& program, const QList<quint64>& known, int timeoutMs) {
    QElapsedTimer timer;
    timer.start();
    do {
        for (quint64 id : otherWindowsOf(program)) {
            const QRect rect = windowRect(id);
            if (!known.contains(id) && rect.width() > 100 && rect.width() < 1920) {
                return id;
            }
        }
        QTest::qWait(50);
    } while (timer.elapsed() < timeoutMs);
    return 0;
}

// The tray icon: the program's small window inside the tray at the bottom right, once
// the tray has placed it; 0 when it did not within five seconds.
inline quint64 trayIconWindowOf(Program& program) {
    QElapsedTimer timer;
    timer.start();
    do {
        for (quint64 id : otherWindowsOf(program)) {
            const QRect rect = windowRect(id);
            if (rect.width() <= 64 && rect.height() <= 64 && rect.bottom() >= 1080 - 30) {
                return id;
            }
        }
        QTest::qWait(50);
    } while (timer.elapsed() < 5000);
    return 0;
}

// A window of a program as the window manager sees it at the top level: a client it
// manages or a window that bypasses it (menus, tool tips, overlays), never a child.
struct TopWindow {
    quint64 id = 0;
    QRect rect;
    bool overrideRedirect = false;
    QString type; // the window-type atoms, as xprop prints them
    bool hasType(const char* name) const { return type.contains(QLatin1String(name)); }
};

inline QSet<quint64> windowIdsIn(const QString& text, const QRegularExpression& pattern) {
    QSet<quint64> ids;
    QRegularExpressionMatchIterator it = pattern.globalMatch(text);
    while (it.hasNext()) {
        ids.insert(it.next().captured(1).toULongLong(nullptr, 16));
    }
    return ids;
}

// The mapped top-level windows of a process, in no particular order.
inline QList<TopWindow> topLevelWindowsOf(qint64 pid) {
    QList<TopWindow> windows;
    const QString out = run(QStringLiteral("xdotool"), {"search", "--onlyvisible", "--pid", QString::number(pid)});
    if (out.trimmed().isEmpty()) {
        return windows;
    }
    QSet<quint64> topLevel =
        windowIdsIn(run(QStringLiteral("xwininfo"), {"-root", "-children"}),
                    QRegularExpression(QStringLiteral("^\\s+(0x[0-9a-f]+) "), QRegularExpression::MultilineOption));
    topLevel += windowIdsIn(run(QStringLiteral("xprop"), {"-root", "_NET_CLIENT_LIST"}),
                            QRegularExpression(QStringLiteral("(0x[0-9a-f]+)")));
    for (const QString& line : out.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const quint64 id = line.trimmed().toULongLong();
        if (!topLevel.contains(id)) {
            continue;
        }
        TopWindow window;
        window.id = id;
        const QString info = run(QStringLiteral("xwininfo"), {"-id", QString::number(id)});
        window.rect = windowRectIn(info);
        if (window.rect.isEmpty()) {
            continue;
        }
        window.overrideRedirect = info.contains(QStringLiteral("Override Redirect State: yes"));
        window.type = run(QStringLiteral("xprop"), {"-id", QString::number(id), "_NET_WM_WINDOW_TYPE"}).trimmed();
        windows.append(window);
    }
    return windows;
}

// The files a process holds open, as /proc names them.
inline QStringList openFilesOf(qint64 pid) {
    QStringList files;
    const QString folder = QStringLiteral("/proc/%1/fd").arg(pid);
    for (const QFileInfo& fd : QDir(folder).entryInfoList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)) {
        const QString target = fd.symLinkTarget();
        if (target.startsWith(QLatin1Char('/'))) {
            files.append(target);
        }
    }
    return files;
}

// Whether a media file plays from its start to its end: ffprobe finds a stream and a
// length, ffmpeg decodes all of it without a complaint. `why` says what failed.
inline bool playsThrough(const QString& path, QString* why) {
    const QJsonObject info = probe(path);
    if (info.value("streams").toArray().isEmpty() || probedDuration(info) <= 0) {
        *why = QStringLiteral("ffprobe finds no stream or no length");
        return false;
    }
    QProcess decode;
    decode.setProcessChannelMode(QProcess::MergedChannels);
    decode.start(QStringLiteral("ffmpeg"), {"-nostdin", "-v", "error", "-i", path, "-f", "null", "-"});
    if (!decode.waitForFinished(120000)) {
        decode.kill();
        decode.waitForFinished(2000);
        *why = QStringLiteral("ffmpeg did not finish decoding");
        return false;
    }
    const QString complaints = QString::fromUtf8(decode.readAll()).trimmed();
    if (decode.exitStatus() != QProcess::NormalExit || decode.exitCode() != 0 || !complaints.isEmpty()) {
        *why = QStringLiteral("ffmpeg: %1").arg(complaints.left(300));
        return false;
    }
    return true;
}

// The pictures (packets) of a file's first picture stream; -1 when it has none.
inline int picturePackets(const QString& path) {
    int exitCode = 0;
    const QString out = run(QStringLiteral("ffprobe"),
                            {"-v", "error", "-select_streams", "v:0", "-count_packets", "-show_entries",
                             "stream=nb_read_packets", "-of", "csv=p=0", path},
                            &exitCode)
                            .trimmed();
    return exitCode == 0 && !out.isEmpty() ? out.toInt() : -1;
}

// The picture of a video file at a time (seconds), as ffmpeg decodes it; null when none.
inline QImage videoFrame(const QString& path, double seconds) {
    QProcess decode;
    decode.start(QStringLiteral("ffmpeg"), {"-nostdin", "-v", "error", "-ss", QString::number(seconds), "-i", path,
                                            "-frames:v", "1", "-f", "image2pipe", "-vcodec", "png", "-"});
    if (!decode.waitForFinished(60000)) {
        decode.kill();
        decode.waitForFinished(2000);
        return QImage();
    }
    return QImage::fromData(decode.readAllStandardOutput(), "PNG").convertToFormat(QImage::Format_RGB32);
}

// The files a history file lists, as written there; empty when it is missing or unreadable.
inline QStringList historyPaths(const QString& historyFile) {
    QStringList paths;
    QFile file(historyFile);
    QDomDocument document;
    if (!file.open(QIODevice::ReadOnly) || !document.setContent(&file)) {
        return paths;
    }
    for (QDomElement entry = document.documentElement().firstChildElement(QStringLiteral("Path_item")); !entry.isNull();
         entry = entry.nextSiblingElement(QStringLiteral("Path_item"))) {
        paths.append(entry.attribute(QStringLiteral("Converted_path_")));
    }
    return paths;
}

// A settings file of the given (section, key, value) triples, written as XML.
inline bool writeSettingsFile(const QString& file, const QList<QStringList>& values) {
    QStringList sections;
    QMap<QString, QString> attributes;
    for (const QStringList& value : values) {
        QString text = value[2];
        text.replace('&', "&amp;").replace('"', "&quot;").replace('<', "&lt;").replace('>', "&gt;");
        if (!sections.contains(value[0])) {
            sections.append(value[0]);
        }
        attributes[value[0]] += QStringLiteral(" %1=\"%2\"").arg(value[1], text);
    }
    QString xml = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<ROOTITEM>\n");
    for (const QString& section : sections) {
        xml += QStringLiteral("    <%1%2/>\n").arg(section, attributes[section]);
    }
    xml += QStringLiteral("</ROOTITEM>\n");
    QDir().mkpath(QFileInfo(file).path());
    QFile out(file);
    return out.open(QIODevice::WriteOnly | QIODevice::Truncate) && out.write(xml.toUtf8()) == xml.toUtf8().size();
}

// What the screen shows in a rectangle of the root now, read with ImageMagick's import.
inline QImage grabScreen(const QRect& rect) {
    QProcess process;
    process.start(QStringLiteral("import"),
                  {"-window", "root", "-crop",
                   QStringLiteral("%1x%2+%3+%4").arg(rect.width()).arg(rect.height()).arg(rect.x()).arg(rect.y()),
                   "png:-"});
    if (!process.waitForFinished(20000)) {
        process.kill();
        process.waitForFinished(2000);
        return QImage();
    }
    return QImage::fromData(process.readAllStandardOutput(), "PNG");
}

// A root screenshot in a PNG file.
inline void screenshotTo(const QString& file) {
    QDir().mkpath(QFileInfo(file).path());
    run(QStringLiteral("import"), {"-window", "root", file});
}

// A root screenshot kept under the test-output folder.
inline void screenshot(const QString& name) {
    screenshotTo(QStringLiteral(CALVORINE_TEST_OUTPUT_DIR) + QStringLiteral("/recorder-journey/") + name +
                 QStringLiteral(".png"));
}

} // namespace journey
