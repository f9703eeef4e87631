// The windows the main window builds on. Private to the main window's sources.
#pragma once

// Parts that are in the tree.
#include "library/QHistoryDlg.h"
#include "library/SnapshotFileName.h"
#include "recorder/QBasicOptions.h"
#include "recorder/QFormatDlg.h"
#include "recorder/QOptionsMainDlg.h"
#include "recorder/QPreferencesDlg.h"
#include "recorder/RecordingNotices.h"
#include "recorder/SmallDialogs.h"
#include "toolkit/QAudioDataWidget.h"

// Parts still being built: the build defines MAINWINDOW_HAS_* once their headers exist
// (recorder/mainwindow.cmake).
#ifdef MAINWINDOW_HAS_AREA_PANEL
#include "recorder/SelectRecordAreaWgt.h"
#endif
#ifdef MAINWINDOW_HAS_AREA_FRAME
#include "recorder/CaptureArea.h"
#include "recorder/QRecordCropDlg.h"
#include "recorder/QTransparentWidget.h"
inline QTransparentWidget* asShade(QWidget* widget) {
    return static_cast<QTransparentWidget*>(widget);
}
#endif
#ifdef MAINWINDOW_HAS_INPUT_PANEL
#include "recorder/SelectRecordInputWgt.h"
#endif
#ifdef MAINWINDOW_HAS_TOOLBAR
#include "recorder/QRecordingToolbarWgt.h"
inline QRecordingToolbarWgt* asToolbar(QWidget* widget) {
    return static_cast<QRecordingToolbarWgt*>(widget);
}
#endif
#ifdef MAINWINDOW_HAS_COUNTDOWN
#include "recorder/QReciprocalDlg.h"
#endif
inline QScheduleWgt* asSchedule(QWidget* widget) {
    return static_cast<QScheduleWgt*>(widget);
}

#include "app/QRecordAreaInfo.h"

#include <QWidget>

#include "platform/system/window_overlay.h"

#include <QX11Info>

// Keeps the window above the others (or stops doing so) through the window manager, and
// remembers it in the recording settings, from which the dialogs the window opens take it.
inline void setWindowKeptAbove(QWidget* window, bool on) {
    if (QX11Info::isPlatformX11() && window->isVisible()) {
        calvorine::platform::setWindowKeepAbove(QX11Info::connection(), static_cast<uint32_t>(window->winId()), on);
    }
    QRecordAreaInfo::instance()->setStayOnTop(on);
}
inline bool isWindowKeptAbove(const QWidget* window) {
    Q_UNUSED(window);
    return QRecordAreaInfo::instance()->isStayOnTop();
}
