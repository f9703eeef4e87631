// Helpers of the tests that run on the virtual desktop: windows of another process (the
// window helper program, which reports the presses it receives), the pointer driven by
// xdotool, window geometry read by xwininfo and properties by xprop, screenshots by
// ImageMagick's import. Results come from those tools, never from our own code.
#pragma once

#include "tests/support/ChildProcess.h"
#include "tests/support/RunTool.h"

#include <QAbstractItemView>
#include <QColor>
#include <QComboBox>
#include <QCursor>
#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QPoint>
#include <QProcess>
#include <QRect>
#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <QTest>
#include <QVector>
#include <QWidget>

#include <cstdlib>
#include <functional>

namespace desktoptest {

// Runs a tool to its end and gives its standard output ("" when it fails).
inline QString run(const QString& program, const QStringList& args, int timeoutMs = 10000) {
    const runtool::Result result = runtool::run(program, args, timeoutMs);
    return result.exitCode == 0 ? QString::fromLocal8Bit(result.out) : QString();
}

// xdotool on the test's display; true when it ran to a clean end.
inline bool xdotool(const QStringList& args) {
    return runtool::run(QStringLiteral("xdotool"), args, 10000).exitCode == 0;
}

// A pointer move that returns once the X server has it; then a moment for the toolkit to
// take the move in.
inline bool moveTo(const QPoint& global) {
    if (QCursor::pos() == global) {
        return true; // a synchronous move to where the pointer is would wait forever
    }
    const bool ok = xdotool({"mousemove", "--sync", QString::number(global.x()), QString::number(global.y())});
    QTest::qWait(50);
    return ok;
}

inline bool click(const QPoint& global) {
    const bool ok = moveTo(global) && xdotool({"click", "1"});
    QTest::qWait(80);
    return ok;
}

// A left-button drag from one screen point to another, in steps so that each move arrives;
// `whileHeld` (when given) runs at the end point before the button is let go.
inline bool drag(const QPoint& from, const QPoint& to, int steps = 8,
                 const std::function<void()>& whileHeld = std::function<void()>()) {
    if (!moveTo(from) || !xdotool({"mousedown", "1"})) {
        return false;
    }
    QTest::qWait(60);
    for (int i = 1; i <= steps; ++i) {
        const QPoint at = from + (to - from) * i / steps;
        if (!moveTo(at)) {
            return false;
        }
    }
    if (whileHeld) {
        whileHeld();
    }
    const bool ok = xdotool({"mouseup", "1"});
    QTest::qWait(100);
    return ok;
}

// The rectangle xwininfo reports for a window: "Absolute upper-left" and its size.
inline QRect xwininfoRect(quint64 window) {
    const QString text = run(QStringLiteral("xwininfo"), {QStringLiteral("-id"), QString::number(window)});
    auto number = [&](const char* label) {
        const QRegularExpression re(QString::fromLatin1(label) + QStringLiteral(":\\s*(-?\\d+)"));
        const QRegularExpressionMatch match = re.match(text);
        return match.hasMatch() ? match.captured(1).toInt() : -1;
    };
    return QRect(number("Absolute upper-left X"), number("Absolute upper-left Y"), number("Width"), number("Height"));
}

// The window's parent as xwininfo -tree reports it (a managed window's frame), 0 if none.
inline quint64 xwininfoParent(quint64 window) {
    const QString text =
        run(QStringLiteral("xwininfo"), {QStringLiteral("-tree"), QStringLiteral("-id"), QString::number(window)});
    const QRegularExpressionMatch match =
        QRegularExpression(QStringLiteral("Parent window id: (0x[0-9a-f]+)")).match(text);
    return match.hasMatch() ? match.captured(1).toULongLong(nullptr, 16) : 0;
}

// A managed window as the user sees it: the window manager's frame around it.
inline QRect xwininfoFrameRect(quint64 window) {
    return xwininfoRect(xwininfoParent(window));
}

// The value text of one property of a window (xprop), "" when it has none.
inline QString xprop(quint64 window, const QString& property) {
    return run(QStringLiteral("xprop"), {QStringLiteral("-id"), QString::number(window), property});
}

// Shows the window, asks the window manager to give it the keyboard and waits until
// the toolkit sees it active.
inline bool activate(QWidget* window) {
    window->show();
    window->raise();
    window->activateWindow();
    xdotool({"windowactivate", "--sync", QString::number(window->winId())});
    return QTest::qWaitForWindowActive(window, 5000);
}

// Waits (polling) until `done` holds or `timeoutMs` passes; gives the final verdict.
template <typename Predicate> bool waitFor(Predicate done, int timeoutMs = 5000) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > timeoutMs) {
            return done();
        }
        QTest::qWait(10);
    }
    return true;
}

// Pixels of `image` inside `rect` whose every channel lies within `tolerance` of
// `colour`'s (a frame's colour found in a screenshot or a decoded picture).
inline int countColour(const QImage& image, const QRect& rect, const QColor& colour, int tolerance = 8) {
    int count = 0;
    const QRect inside = rect & image.rect();
    for (int y = inside.top(); y <= inside.bottom(); ++y) {
        for (int x = inside.left(); x <= inside.right(); ++x) {
            const QColor seen = image.pixelColor(x, y);
            count += std::abs(seen.red() - colour.red()) <= tolerance &&
                     std::abs(seen.green() - colour.green()) <= tolerance &&
                     std::abs(seen.blue() - colour.blue()) <= tolerance;
        }
    }
    return count;
}

// The whole screen as ImageMagick reads it from the X server.
inline QImage screenshot(const QString& path) {
    if (runtool::run(QStringLiteral("import"), {QStringLiteral("-window"), QStringLiteral("root"), path}, 20000)
            .exitCode != 0) {
        return QImage();
    }
    return QImage(path).convertToFormat(QImage::Format_RGB32);
}

// Where X has the widget now: its window's place (xwininfo) and the widget's place in it.
inline QRect xwininfoRectOf(const QWidget* widget) {
    const QRect window = xwininfoRect(widget->window()->winId());
    return QRect(window.topLeft() + widget->mapTo(widget->window(), QPoint(0, 0)), widget->size());
}

// Opens the drop-down with a click on `face` (its arrow, or the box itself) and waits
// until the list X shows lies against the box as X has it: overlapping it across and
// within two pixels of it (touching or covering it) up and down. Empty when it does;
// otherwise where the list and the box were. The list stays open.
inline QString openDropDownAtItsBox(QComboBox* combo, QWidget* face) {
    if (!click(xwininfoRectOf(face).center())) {
        return QStringLiteral("xdotool could not click");
    }
    QWidget* popup = combo->view()->window();
    if (!waitFor([popup] { return popup->isVisible(); }) || !QTest::qWaitForWindowExposed(popup)) {
        return QStringLiteral("the list never showed");
    }
    const QRect box = xwininfoRectOf(combo);
    QRect list;
    const bool placed = waitFor([&] {
        list = xwininfoRect(popup->winId());
        return list.width() > 0 && box.adjusted(0, -2, 0, 2).intersects(list);
    });
    auto text = [](const QRect& r) {
        return QStringLiteral("%1,%2 %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
    };
    return placed ? QString() : QStringLiteral("list at %1, box at %2").arg(text(list), text(box));
}

// Windows of another process. Each is described as "x,y,w,h[,flags]" (see window_helper.cpp).
class HelperWindows {
public:
    explicit HelperWindows(const QStringList& windows) {
        const QString program =
            QString::fromLocal8Bit(qgetenv("CALVORINE_APP_DIR")) + QStringLiteral("/calvorine_window_helper");
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start(program, windows);
        m_ready = waitFor([this]() { return readLines(), m_lines.contains(QStringLiteral("ready")); }, 15000);
        for (const QString& line : m_lines) {
            const QStringList parts = line.split(QLatin1Char(' '));
            if (parts.size() == 4 && parts[0] == QLatin1String("window")) {
                m_windows << parts[2].toULongLong();
                m_children << parts[3].toULongLong();
            }
        }
    }
    ~HelperWindows() {
        m_process.closeWriteChannel();
        if (!m_process.waitForFinished(3000)) {
            m_process.kill();
            m_process.waitForFinished(3000);
        }
    }

    bool ready() const { return m_ready; }
    quint64 window(int index) const { return m_windows.value(index); }
    quint64 child(int index) const { return m_children.value(index); }

    // Presses window `index` received so far.
    int presses(int index) {
        readLines();
        int n = 0;
        for (const QString& line : m_lines) {
            if (line.startsWith(QStringLiteral("press %1 ").arg(index))) {
                ++n;
            }
        }
        return n;
    }

    bool waitForPresses(int index, int count, int timeoutMs = 3000) {
        return waitFor([&]() { return presses(index) >= count; }, timeoutMs);
    }

private:
    void readLines() {
        m_process.waitForReadyRead(0);
        while (m_process.canReadLine()) {
            const QByteArray line = m_process.readLine().trimmed();
            if (!line.isEmpty()) {
                m_lines << QString::fromLocal8Bit(line);
            }
        }
    }

    ChildProcess m_process;
    QStringList m_lines;
    QVector<quint64> m_windows;
    QVector<quint64> m_children;
    bool m_ready = false;
};

} // namespace desktoptest
