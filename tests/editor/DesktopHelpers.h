// Helpers of the editor tests on the virtual desktop (the pointer is driven by the shared
// ones in tests/support): screenshots of the root window read back pixel by pixel,
// screenshots kept under the build folder's test-output/, the editor opened where the
// pointer reaches it, and a folder chooser answered from the keyboard.
#pragma once

#include "editor/QVideoEditingDlg.h"
#include "tests/support/DesktopHelpers.h"
#include "tests/support/TestOutput.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QGuiApplication>
#include <QImage>
#include <QLineEdit>
#include <QPoint>
#include <QScreen>
#include <QString>
#include <QStringList>
#include <QTest>
#include <QWidget>

namespace desktop {

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
    image.save(testoutput::pngPath(name));
}

// Answers a folder chooser as a user does: the path typed into its name box, then Enter.
// Under load the window manager may hand the chooser the keyboard late, and the name box's
// completer may take the first Enter (it opens the folder instead of choosing it), so the
// keys wait for focus, the typing is checked, and Enter is pressed until the chooser closes.
inline bool typeIntoFolderChooser(QFileDialog* chooser, const QString& path) {
    auto* name = chooser->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    if (name == nullptr || !desktoptest::waitFor([name] { return QApplication::focusWidget() == name; }, 10000)) {
        return false;
    }
    for (int attempt = 0; attempt < 2 && name->text() != path; ++attempt) {
        desktoptest::xdotool({"key", "ctrl+a"});
        desktoptest::xdotool({"type", "--delay", "20", path});
        desktoptest::waitFor([name, &path] { return name->text() == path; }, 3000);
    }
    if (name->text() != path) {
        return false;
    }
    for (int press = 0; press < 3 && chooser->isVisible(); ++press) {
        desktoptest::xdotool({"key", "Return"});
        desktoptest::waitFor([chooser] { return !chooser->isVisible(); }, 1500);
    }
    return !chooser->isVisible();
}

// Opens the editor on the file at the place given and waits until it has loaded and lies
// where pointer input reaches it.
inline bool openEditor(QVideoEditingDlg* editor, const QString& path, const QPoint& place = QPoint(60, 40)) {
    editor->setMediaFile(path, 0, 0);
    editor->move(place);
    editor->show();
    return desktoptest::waitFor(
        [editor] {
            QWidget* under = QApplication::widgetAt(editor->mapToGlobal(QPoint(300, 20)));
            return editor->isLoaded() && under != nullptr && under->window() == editor;
        },
        20000);
}

} // namespace desktop
