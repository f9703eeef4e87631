// The main window's decisions that need no window: the stored capture-area text, the
// names of new recordings, where the compact recording panel goes beside the capture
// area, when a recording has reached its time limit and the recording menu's labels.
// Plain functions; any thread.
#pragma once

#include <QDateTime>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

#include <cstdint>
#include <functional>

// The stored capture area "x*y-width*height" (decimal). A half without "*" keeps its
// default (origin 0,0, size 640 x 480); `wellFormed` is false when the text has no "-"
// or either half lacks "*" (the caller then stores the default text again).
struct StoredArea {
    QPoint origin{0, 0};
    QSize size{640, 480};
    bool wellFormed = false;
};
StoredArea parseAreaValue(const QString& text);
QString areaValueText(const QPoint& origin, const QSize& size);
extern const char* const kDefaultAreaValue; // "0*0-640*480"

// A free path for a new recording: folder + "REC_" + the time as "yyyyMMddhhmmsszzz" +
// "." + extension, or, while that exists, "REC_<time>(n).<extension>" for n = 1, 2, ...
// A folder without a final "/" gets one; "//" becomes "/".
QString recordFileNameIn(const QString& folder, const QDateTime& now, const QString& extension,
                         const std::function<bool(const QString&)>& exists);

// Where the compact panel (panelSize) goes so that it is not recorded: under the area
// (right-aligned), else right of it, else above it, else left of it (bottom-aligned),
// the first that fits on the screen; always within 0..screen - panel. `fits` is false
// when none of the four fits (the panel is then hidden).
struct PanelPlacement {
    bool fits = false;
    QPoint position;
};
PanelPlacement placeBesideArea(const QSize& panelSize, const QRect& area, const QSize& screenSize);

// The recording time limit in microseconds, 0 for none: the stop-after length when that
// is on (0 never stops), else with a schedule its length (end - start, modulo 24 hours).
uint64_t recordingTimeLimit(bool stopAfterOn, int64_t stopAfterUs, bool scheduleOn, int64_t scheduleStartUs,
                            int64_t scheduleEndUs);
// Whether a recording at elapsed time t has passed its limit.
bool isPastTimeLimit(uint64_t elapsedUs, uint64_t limitUs);

// The recording menu's pause/resume and stop labels with the hotkey texts, the key text
// starting at the thirteenth character ("Pause" and seven blanks).
QString pauseMenuLabel(bool paused, const QString& keyText);
QString stopMenuLabel(const QString& keyText);

// The maker's addresses: the update appcast (product id and version filled in), the help
// page's redirect and the home page.
QString appcastAddress();
QString helpAddress();
QString homeAddress();
