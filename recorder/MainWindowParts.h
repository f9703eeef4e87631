// The windows the main window builds on that are still being built: each is used once
// its header is in the tree. Private to the main window's sources.
#pragma once

#if __has_include("recorder/SelectRecordAreaWgt.h")
#include "recorder/SelectRecordAreaWgt.h"
#define MAINWINDOW_HAS_AREA_PANEL 1
#endif
#if __has_include("recorder/QRecordCropDlg.h")
#include "recorder/QRecordCropDlg.h"
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
#if __has_include("recorder/QScheduleWgt.h")
#include "recorder/QScheduleWgt.h"
#define MAINWINDOW_HAS_SCHEDULE 1
inline QScheduleWgt* asSchedule(QWidget* widget) {
    return static_cast<QScheduleWgt*>(widget);
}
#endif
#if __has_include("recorder/QRecorderMessage.h")
#include "recorder/QRecorderMessage.h"
#define MAINWINDOW_HAS_NOTICE 1
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
#define MAINWINDOW_HAS_HISTORY 1
#endif

#include "app/QRecordAreaInfo.h"

#include <QWidget>

// Keeping the main window above others: remembered in the recording settings until the
// desktop's keep-above state can be set and read.
inline void setWindowKeptAbove(QWidget* window, bool on) {
    Q_UNUSED(window);
    QRecordAreaInfo::instance()->setStayOnTop(on);
}
inline bool isWindowKeptAbove(const QWidget* window) {
    Q_UNUSED(window);
    return QRecordAreaInfo::instance()->isStayOnTop();
}
