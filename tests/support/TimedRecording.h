// A recording through the recording engine, of the area and sources set in
// QRecordAreaInfo, in the given format, stopped after the given seconds; for the
// benchmarks, which each run it in a process of their own.
#pragma once

#include "app/AppGlobals.h"
#include "media/OutputFormatSetting.h"
#include "media/QRecordObject.h"

#include <QApplication>
#include <QTimer>

#include <cstdio>

namespace recording_test {

// Runs the application's event loop until the recording has stopped; 1 when it did not
// start.
inline int recordFor(QApplication& app, OutputFormatSetting format, const QString& output, int seconds) {
    g_currentFormat = &format;
    QRecordObject recorder;
    if (!recorder.startRecord(output, 100.0f, true)) {
        std::fprintf(stderr, "the recording did not start\n");
        return 1;
    }
    QTimer::singleShot(seconds * 1000, Qt::PreciseTimer, &app, [&] {
        recorder.stopRecord();
        app.quit();
    });
    return app.exec();
}

} // namespace recording_test
