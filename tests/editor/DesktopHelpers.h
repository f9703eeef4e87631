// Helpers of the editor tests on the virtual desktop: the pointer driven with xdotool,
// screenshots of the root window read back pixel by pixel, and screenshots kept under
// the build folder's test-output/.
#pragma once

#include "editor/QVideoEditingDlg.h"

#include <QApplication>
#include <QCursor>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QGuiApplication>
#include <QImage>
#include <QLineEdit>
#include <QPoint>
#include <QProcess>
#include <QScreen>
#include <QString>
#include <QStringList>
#include <QTest>
#include <QWidget>

namespace desktop {

inline bool xdotool(const QStringList& arguments) {
    QProcess process;
    process.start(QStringLiteral("xdotool"), arguments);
    return process.waitForFinished(10000) && process.exitCode() == 0;
}

inline bool moveTo(const QPoint& global) {
    if (QCursor::pos() == global) {
        return true; // a synchronous move to where the pointer is would wait forever
    }
    const bool ok = xdotool({"mousemove", "--sync", QString::number(global.x()), QString::number(global.y())});
    QTest::qWait(50);
    return ok;
}

// A left-button drag from one screen point to another, in steps so that each move arrives.
inline bool drag(const QPoint& from, const QPoint& to, int steps = 8) {
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
    const bool ok = xdotool({"mouseup", "1"});
    QTest::qWait(100);
    return ok;
}

inline bool click(const QPoint& global) {
    const bool ok = moveTo(global) && xdotool({"click", "1"});
    QTest::qWait(80);
    return ok;
}

// What the screen shows (compositor included) inside the widget, in its coordinates.
inline QImage shot(QWidget* widget) {
    QScreen* screen = QGuiApplication::primaryScreen();
    const QPoint origin = widget->mapToGlobal(QPoint(0, 0));
    return screen->grabWindow(0, origin.x(), origin.y(), widget->width(), widget->height()).toImage();
}

inline QImage screen() {
    return QGuiApplication::primaryScreen()->grabWindow(0).toImage();
}

// Keeps the image as test-output/<name>.png (for a person to look at).
inline void keep(const QImage& image, const QString& name) {
#ifdef CALVORINE_TEST_OUTPUT_DIR
    const QString folder = QStringLiteral(CALVORINE_TEST_OUTPUT_DIR);
    QDir().mkpath(folder);
    image.save(folder + QLatin1Char('/') + name + QStringLiteral(".png"));
#else
    Q_UNUSED(image);
    Q_UNUSED(name);
#endif
}

// Polls until the condition holds or the time is up; true if it held.
template <typename Condition> bool waitUntil(Condition done, int timeoutMs) {
    QElapsedTimer waited;
    waited.start();
    while (!done() && waited.elapsed() < timeoutMs) {
        QTest::qWait(20);
    }
    return done();
}

// Answers a folder chooser as a user does: the path typed into its name box, then Enter.
// Under load the window manager may hand the chooser the keyboard late, and the name box's
// completer may take the first Enter (it opens the folder instead of choosing it), so the
// keys wait for focus, the typing is checked, and Enter is pressed until the chooser closes.
inline bool typeIntoFolderChooser(QFileDialog* chooser, const QString& path) {
    auto* name = chooser->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    if (name == nullptr || !waitUntil([name] { return QApplication::focusWidget() == name; }, 10000)) {
        return false;
    }
    for (int attempt = 0; attempt < 2 && name->text() != path; ++attempt) {
        xdotool({"key", "ctrl+a"});
        xdotool({"type", "--delay", "20", path});
        waitUntil([name, &path] { return name->text() == path; }, 3000);
    }
    if (name->text() != path) {
        return false;
    }
    for (int press = 0; press < 3 && chooser->isVisible(); ++press) {
        xdotool({"key", "Return"});
        waitUntil([chooser] { return !chooser->isVisible(); }, 1500);
    }
    return !chooser->isVisible();
}

// Opens the editor on the file at the place given and waits until it has loaded and lies
// where pointer input reaches it.
inline bool openEditor(QVideoEditingDlg* editor, const QString& path, const QPoint& place = QPoint(60, 40)) {
    editor->setMediaFile(path, 0, 0);
    editor->move(place);
    editor->show();
    const auto placed = [editor] {
        QWidget* under = QApplication::widgetAt(editor->mapToGlobal(QPoint(300, 20)));
        return editor->isLoaded() && under != nullptr && under->window() == editor;
    };
    QElapsedTimer waited;
    waited.start();
    while (!placed() && waited.elapsed() < 20000) {
        QTest::qWait(20);
    }
    return placed();
}

} // namespace desktop
