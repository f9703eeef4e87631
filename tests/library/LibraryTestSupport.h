// Shared pieces of the history library's tests: History.xml written as the recorder
// leaves it (raw XML, independent of the code under test), media made with ffmpeg,
// answers to the modal questions and screenshots under the build's test-output folder.
#pragma once

#include "media/OutputFormatSetting.h"
#include "platform/codec/calvorine_codec.h"
#include "tests/platform/codec/playback_fixtures.h"
#include "tests/support/DesktopHelpers.h"
#include "tests/support/NextMessageBox.h"
#include "tests/support/PrivateUserFolders.h"
#include "tests/support/RecordingFormats.h"
#include "tests/support/TestOutput.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <QtTest>

namespace librarytest {

struct Entry {
    Entry(QString path_, QString format_ = {}, bool video_ = true, bool isNew_ = false, QString title_ = {},
          QString cover_ = {}, QString preferencePath_ = {})
        : path(std::move(path_)), format(std::move(format_)), video(video_), isNew(isNew_), title(std::move(title_)),
          cover(std::move(cover_)), preferencePath(std::move(preferencePath_)) {}
    QString path;
    QString format;
    bool video = true;
    bool isNew = false;
    QString title;
    QString cover;
    QString preferencePath;
};

// The tests that record with our own engine record H.264 + AAC at 2000 kbit/s.
using testformats::h264AacFormat;

inline QString escaped(QString text) {
    return text.replace('&', "&amp;").replace('"', "&quot;").replace('<', "&lt;").replace('>', "&gt;");
}

inline bool writeHistory(const PrivateUserFolders& folders, const QList<Entry>& entries) {
    QDir().mkpath(folders.dataFolder());
    QString xml = QStringLiteral("<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<ROOTITEM>\n");
    for (const Entry& e : entries) {
        xml += QStringLiteral("    <Path_item Converted_path_=\"%1\">\n").arg(escaped(e.path));
        xml += QStringLiteral("        <CONVERTED_INFO_ Img_path_=\"%1\" Title_=\"%2\" Resolutin_=\"320*240\" "
                              "Time_=\"00:00:03\" Size_=\"12.00 KB\" Create_time_=\"01-02-2026 10:00\" "
                              "Format_=\"%3\" Extend_=\"\" Artist_=\"\" Album_=\"\" Genre_=\"\" "
                              "preferencePath_=\"%4\" Video_file=\"%5\" New_file=\"%6\"/>\n")
                   .arg(escaped(e.cover), escaped(e.title), escaped(e.format), escaped(e.preferencePath),
                        e.video ? "Y" : "N", e.isNew ? "Y" : "N");
        xml += QStringLiteral("    </Path_item>\n");
    }
    xml += QStringLiteral("</ROOTITEM>\n");
    return fixtures::writeFile(folders.dataFolder() + "/History.xml", xml.toUtf8());
}

inline QString historyText(const PrivateUserFolders& folders) {
    QFile file(folders.dataFolder() + "/History.xml");
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// Clicks the named button of the next modal dialog as soon as it is shown.
inline void answerNextModal(const QString& buttonName) {
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, [poll, buttonName] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr || !modal->isVisible()) {
            return;
        }
        if (auto* button = modal->findChild<QAbstractButton*>(buttonName)) {
            poll->stop();
            poll->deleteLater();
            button->click();
        }
    });
    poll->start(20);
}

// The screen's picture of the window (frame included), saved as test-output/<name>.png.
inline QImage saveScreenshot(QWidget* window, const QString& name) {
    QApplication::processEvents();
    QScreen* screen = QGuiApplication::primaryScreen();
    const QRect area = window ? window->frameGeometry() : screen->geometry();
    const QImage shot = screen->grabWindow(0, area.x(), area.y(), area.width(), area.height()).toImage();
    shot.save(testoutput::pngPath(name));
    return shot;
}

using desktoptest::xdotool;

inline bool clickAt(QWidget* widget, const QPoint& local, int button = 1, int repeat = 1) {
    const QPoint global = widget->mapToGlobal(local);
    return xdotool({"mousemove", "--sync", QString::number(global.x()), QString::number(global.y())}) &&
           xdotool({"click", "--repeat", QString::number(repeat), "--delay", "80", QString::number(button)});
}

// Shows the window where the window manager keeps it and waits until the screen and Qt
// agree on its place, so that pointer input lands where the test aims.
inline bool showForInput(QWidget* window) {
    window->move(40, 40);
    window->show();
    if (!QTest::qWaitForWindowExposed(window) || !QTest::qWaitForWindowActive(window)) {
        return false;
    }
    return desktoptest::waitFor([window] {
        QWidget* under = QApplication::widgetAt(window->mapToGlobal(window->rect().center()));
        return under != nullptr && under->window() == window;
    });
}

inline bool typeText(const QString& text) {
    return xdotool({"type", "--delay", "30", text});
}

inline bool key(const QString& name) {
    return xdotool({"key", name});
}

} // namespace librarytest
