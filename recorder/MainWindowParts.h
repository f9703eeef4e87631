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
#include "toolkit/QRZMessageBox.h"

#include <QWidget>
#include <QX11Info>

// Keeps the window above the others (or stops doing so) through the window manager, and
// remembers the wish in the recording settings: a window manager forgets the state of a
// hidden window, so showing the window asks for it again.
inline void setWindowKeptAbove(QWidget* window, bool on) {
    if (QX11Info::isPlatformX11() && window->isVisible()) {
        calvorine::platform::setWindowKeepAbove(QX11Info::connection(), static_cast<uint32_t>(window->winId()), on);
    }
    QRecordAreaInfo::instance()->setStayOnTop(on);
}
// Whether the window is above the others: on the desktop, what the window manager keeps
// now. A hidden window has no such state; it is what showing it will ask for.
inline bool isWindowKeptAbove(const QWidget* window) {
    if (QX11Info::isPlatformX11() && window->isVisible()) {
        return isKeptAboveOthers(window);
    }
    return QRecordAreaInfo::instance()->isStayOnTop();
}
