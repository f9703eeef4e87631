// The windows the main window builds on that are still being built: each is used once
// its header is in the tree. Private to the main window's sources.
#pragma once

#if __has_include("recorder/SelectRecordAreaWgt.h")
#include "recorder/SelectRecordAreaWgt.h"
#define MAINWINDOW_HAS_AREA_PANEL 1
#endif
#if __has_include("recorder/QRecordCropDlg.h")
#include "recorder/CaptureArea.h"
#include "recorder/QRecordCropDlg.h"
#include "recorder/QTransparentWidget.h"
#define MAINWINDOW_HAS_AREA_FRAME 1
inline QTransparentWidget* asShade(QWidget* widget) {
    return static_cast<QTransparentWidget*>(widget);
}
#endif
#if __has_include("recorder/SelectRecordInputWgt.h")
#include "recorder/SelectRecordInputWgt.h"
#define MAINWINDOW_HAS_INPUT_PANEL 1
#endif
#if __has_include("recorder/QRecordingToolbarWgt.h")
#include "recorder/QRecordingToolbarWgt.h"
#include "toolkit/QAudioDataWidget.h"
#define MAINWINDOW_HAS_TOOLBAR 1
inline QRecordingToolbarWgt* asToolbar(QWidget* widget) {
    return static_cast<QRecordingToolbarWgt*>(widget);
}
#endif
#if __has_include("recorder/QReciprocalDlg.h")
#include "recorder/QReciprocalDlg.h"
#define MAINWINDOW_HAS_COUNTDOWN 1
#endif
#if __has_include("recorder/QOptionsMainDlg.h")
#include "recorder/QBasicOptions.h"
#include "recorder/QOptionsMainDlg.h"
#define MAINWINDOW_HAS_OPTIONS 1
#endif
#if __has_include("recorder/QFormatDlg.h")
#include "recorder/QFormatDlg.h"
#define MAINWINDOW_HAS_FORMAT_DIALOG 1
#endif
#if __has_include("recorder/RecordingNotices.h")
#include "recorder/RecordingNotices.h"
#define MAINWINDOW_HAS_NOTICE 1
#define MAINWINDOW_HAS_SCHEDULE 1
inline QScheduleWgt* asSchedule(QWidget* widget) {
    return static_cast<QScheduleWgt*>(widget);
}
#endif
#if __has_include("recorder/SmallDialogs.h")
#include "recorder/SmallDialogs.h"
#define MAINWINDOW_HAS_APP_DIALOGS 1
#endif
#if __has_include("recorder/QPreferencesDlg.h")
#include "recorder/QPreferencesDlg.h"
#define MAINWINDOW_HAS_PREFERENCES 1
#endif
#if __has_include("library/QHistoryDlg.h")
#include "library/QHistoryDlg.h"
#include "library/SnapshotFileName.h"
#define MAINWINDOW_HAS_HISTORY 1
#define MAINWINDOW_HAS_SNAPSHOT_NAME 1
#endif

#include "app/QRecordAreaInfo.h"

#include <QWidget>

#if __has_include("platform/system/window_overlay.h")
#include "platform/system/window_overlay.h"

#include <QX11Info>
#define MAINWINDOW_HAS_KEEP_ABOVE 1
#endif

// Keeps the window above the others (or stops doing so) through the window manager, and
// remembers it in the recording settings, from which the dialogs the window opens take it.
inline void setWindowKeptAbove(QWidget* window, bool on) {
#ifdef MAINWINDOW_HAS_KEEP_ABOVE
    if (QX11Info::isPlatformX11() && window->isVisible()) {
        calvorine::platform::setWindowKeepAbove(QX11Info::connection(), static_cast<uint32_t>(window->winId()), on);
    }
#else
    Q_UNUSED(window);
#endif
    QRecordAreaInfo::instance()->setStayOnTop(on);
}
inline bool isWindowKeptAbove(const QWidget* window) {
    Q_UNUSED(window);
    return QRecordAreaInfo::instance()->isStayOnTop();
}
