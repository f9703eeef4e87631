// The windows the main window builds on, and keeping it above other windows. Private to
// the main window's sources.
#pragma once

#include "app/QRecordAreaInfo.h"
#include "library/QHistoryDlg.h"
#include "library/SnapshotFileName.h"
#include "platform/system/window_overlay.h"
#include "recorder/CaptureArea.h"
#include "recorder/QBasicOptions.h"
#include "recorder/QFormatDlg.h"
#include "recorder/QOptionsMainDlg.h"
#include "recorder/QPreferencesDlg.h"
#include "recorder/QReciprocalDlg.h"
#include "recorder/QRecordCropDlg.h"
#include "recorder/QRecordingToolbarWgt.h"
#include "recorder/QTransparentWidget.h"
#include "recorder/RecordingNotices.h"
#include "recorder/SelectRecordAreaWgt.h"
#include "recorder/SelectRecordInputWgt.h"
#include "recorder/SmallDialogs.h"
#include "toolkit/QAudioDataWidget.h"

#include <QWidget>
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
