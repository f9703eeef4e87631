// Answers the next message box of the test process: keeps its text and presses its first
// button, so that a test can run code that tells the user something modally.
#pragma once

#include "toolkit/QRZButton.h"
#include "toolkit/QRZMessageBox.h"

#include <QApplication>
#include <QString>
#include <QTimer>

#include <functional>

// Waits for the next message box, keeps its text (its lines joined by a space)
// and presses its first button; `shown`, when given, sees the box first (a screenshot).
inline void acceptNextMessage(QString* text, std::function<void(QWidget*)> shown = {}) {
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, [poll, text, shown] {
        auto* box = qobject_cast<QRZMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr || !box->isVisible() || box->actionButtons().isEmpty()) {
            return;
        }
        poll->stop();
        poll->deleteLater();
        if (shown) {
            shown(box);
        }
        // What the box was given: its own wrapping cuts a long path where the line ends.
        *text = box->text().replace(QLatin1Char('\n'), QLatin1Char(' '));
        box->actionButtons().first()->click();
    });
    poll->start(20);
}
